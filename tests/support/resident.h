// Resident memory of the test process, for tests that check what untouched capacity costs.
#pragma once
#include <stdio.h>
#include <unistd.h>

// KiB resident now, or -1 where /proc is not there.
static inline long Test_ResidentKiB(void) {
  FILE *f = fopen("/proc/self/statm", "r");
  if (!f) return -1;
  long pages = 0, resident = 0;
  int got = fscanf(f, "%ld %ld", &pages, &resident);
  fclose(f);
  return got == 2 ? resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}
