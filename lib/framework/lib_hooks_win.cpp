// Connects the framework to the library facilities it calls but does not own (frame
// render, screen text, primitives, tessellation, sound, AVI capture). Each owner adds the
// line for its function here; an entry left empty is skipped by the framework.
#include "lib/framework/lib.h"

void Lib_InstallHooks(void) {
}
