#include <string.h>
#include "app/records.h"
ShellSelection g_Sel;
ShellMouse g_Mouse;
ShellContext g_Shell;
Bone2Model *g_Bone2Slots[4];
static Model3 s_Model;
Model3 *Current_Model3(void) { return g_Sel.g_CurSlot == 0 ? &s_Model : nullptr; }
unsigned View_CurrentLayout(void) { return g_Shell.g_EditSubMode; }
// A shell service: its reads are the shell's own, even when a hook calls it.
int App_Service(void) { return (int)g_Sel.g_CurSlot + g_Mouse.g_MouseX; }
void Owner(void) {
  g_Sel.g_CurSlot = 1;
  g_Mouse.g_MouseX++;
  memset(&g_Mouse, 0, sizeof g_Mouse);
  g_Shell.g_Views[0][1].redraw = 1;
}
