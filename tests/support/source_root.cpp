// A test program started by hand, not by CTest, finds the source tree it was built from: the
// data its cases read lies there (Data/, tests/data/). Without this, a case reading ".\Data"
// waits on the program's own "cannot be read" box that nobody answers.
#include <stdlib.h>

namespace {

struct SourceRootDefault {
  SourceRootDefault() {
    if (getenv("MIRAVEL_SRC")) return;
#ifdef _WIN32
    _putenv("MIRAVEL_SRC=" MIRAVEL_SOURCE_DIR);
#else
    setenv("MIRAVEL_SRC", MIRAVEL_SOURCE_DIR, 0);
#endif
  }
} s_SourceRootDefault;

}  // namespace
