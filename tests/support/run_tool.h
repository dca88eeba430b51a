// Runs one of the tools built beside the native test programs and keeps what it printed.
#pragma once
#include <stdio.h>
#include <sys/wait.h>

#include <string>

// Whether the tool (a path) was built beside the test program: the tests that run it skip
// when it was not.
inline bool Test_ToolBuilt(const std::string &path) {
  FILE *f = fopen(path.c_str(), "rb");
  if (!f) return false;
  fclose(f);
  return true;
}

// Runs cmd through the shell; its output into *out and its exit status into *status (-1 when
// it did not exit normally). False when it could not be started.
inline bool Test_RunTool(const std::string &cmd, std::string *out, int *status) {
  FILE *p = popen(cmd.c_str(), "r");
  if (!p) return false;
  char buf[4096];
  size_t n;
  out->clear();
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out->append(buf, n);
  int st = pclose(p);
  *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return true;
}

// The dump tool run on args with its messages kept: what it printed into *out; its exit status,
// -1 when it did not exit normally and -2 when it could not be started.
inline int Test_Modeldump(const std::string &args, std::string *out) {
  int status = -1;
  if (!Test_RunTool("./modeldump " + args + " 2>&1", out, &status)) return -2;
  return status;
}
