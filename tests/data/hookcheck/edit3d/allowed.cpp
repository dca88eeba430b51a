#include "app/records.h"
// edit3d/ may write g_Playing, through any name.
void Play(ShellContext *s) { s->g_Playing = 1; g_Shell.g_Playing++; }
