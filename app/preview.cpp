// The preview family (0): the model of slot 0 in the main view, with the menu "MENU_PREVIEW".
#include "app/shell_mouse.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "lib/media/avi.h"
#include "resources/shell_ids.h"
#include "app/current.h"
#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/preview.h"
#include "app/shell_seam.h"
#include "app/viewdraw.h"
#include "app/views.h"
#include "lib/draw/draw.h"
#include "lib/framework/lib.h"
#include "model/seam_errorbox.h"

#include <stdio.h>

PreviewRender g_PreviewRender;

void Preview_Enter(const HookCtx *c) {
  g_Lib.runState = 0;
  g_Shell.g_PrevEditFamily = 0;
  c->sel->g_CurSlot = 0;
  App_NewModelInSlot0();   // replaces slot 0's model: c->model no longer names it
  App_AllocWorkArrays(c->sel);
  App_LoadFamilyMenu("MENU_PREVIEW");
}

// The family menu is destroyed by App_LeaveFamily; the render dialog goes with the family and
// the model leaves the preview's shadow here.
void Preview_Leave(const HookCtx *c) {
  if (Model3 *m = Model3_Get(0)) m->shadowMode = 0;
  PreviewRender &r = g_PreviewRender;
  if (r.window && g_ShellSeam.previewCloseDialog) g_ShellSeam.previewCloseDialog(r.window);
  r.window = nullptr;
}

void Preview_Update(const HookCtx *c) {
  Lib_SetSceneDraw(1);
  View_Get(c->layout, 0)->redraw = 1;   // the preview redraws its main view continuously
}

void Preview_DrawScene(const HookCtx *c) {
  View_Draw3DGrid(c->viewIndex);
  View_DrawAxisGizmo(c->view);
}

void Preview_MouseDown(const HookCtx *c) {
  DragAnchors_SetAll(c->mouse, c->x, c->y);   // the five anchor pairs
  App_MarkAllRedraw(c->layout);
}

void Preview_Command(const HookCtx *c) {
  u32 id = c->command;
  PreviewRender &r = g_PreviewRender;
  if (id != IDM_RENDER || r.window || !g_ShellSeam.previewCreateDialog) return;
  r.refresh = 1;
  r.window = g_ShellSeam.previewCreateDialog();
}

bool Preview_Render(const char *text) {
  if (!text || !text[0]) {
    Seam_ErrorBox("ファイル名が指定されていません。");
    return false;
  }
  char name[LIB_TEXT_SIZE + 8];   // room for a full edit (255 characters) and ".BMP"
  snprintf(name, sizeof name, "%s.BMP", text);
  bool ok = g_ShellSeam.previewSaveBackBuffer && g_ShellSeam.previewSaveBackBuffer(name);
  if (!ok) Seam_ErrorBoxf("%s に保存することができませんでした。", name);
  else Avi_SayWritten(name, false);
  return ok;
}
