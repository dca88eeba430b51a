// The tests drive the library with the shell's state, as the program does: the frame render
// asks the shell's request builder for the view it draws.
#include "app/views.h"
#include "lib/framework/lib.h"

namespace {
struct InstallFrameRequest {
  InstallFrameRequest() { g_LibHooks.frameRequest = View_FrameRequest; }
} s_InstallFrameRequest;
}  // namespace
