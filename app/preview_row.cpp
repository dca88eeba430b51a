// The preview family's hook row, installed the way every editor installs its own.
#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/preview.h"

void Preview_Install(void) {
  FamilyHooks r = {};
  r.enter = Preview_Enter;
  r.leave = Preview_Leave;
  r.update = Preview_Update;
  r.drawScene = Preview_DrawScene;
  r.lButtonDown = Preview_MouseDown;
  r.mButtonDown = Preview_MouseDown;
  r.rButtonDown = DragAnchor_PressACRedraw;
  r.command = Preview_Command;
  Family_InstallRow(FAMILY_PREVIEW, &r);
}
