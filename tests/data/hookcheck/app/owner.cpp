#include <string.h>
#include "app/records.h"
ShellSelection g_Sel;
ShellMouse g_Mouse;
ShellContext g_Shell;
Bone2Model *g_Bone2Slots[4];
static Model3 s_Model;
Model3 *Current_Model3(void) { return g_Sel.g_CurSlot == 0 ? &s_Model : nullptr; }
unsigned View_CurrentLayout(void) { return g_Shell.g_EditSubMode; }
// A shell service: it acts on the records and hands back nothing made from them, so its
// reads are the shell's own, even when a hook calls it.
void App_Service(void) { if (g_Sel.g_CurSlot) g_Mouse.g_MouseX = 0; }
// An accessor: what it hands back is read from the selection.
unsigned App_Slot(void) { return g_Sel.g_CurSlot; }
void Owner(void) {
  g_Sel.g_CurSlot = 1;
  g_Mouse.g_MouseX++;
  memset(&g_Mouse, 0, sizeof g_Mouse);
  g_Shell.g_Views[0][1].redraw = 1;
}
