// The polygon editors' rectangle test of one corner.
#include "app/poly_select.h"

#include <stdlib.h>
#include <string.h>

#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "model/seam_errorbox.h"

PolyRect Poly_SortedRect(i32 ax, i32 ay, i32 bx, i32 by) {
  PolyRect r;
  r.x1 = ax < bx ? ax : bx;
  r.x2 = ax < bx ? bx : ax;
  r.y1 = ay < by ? ay : by;
  r.y2 = ay < by ? by : ay;
  return r;
}

bool Poly_RectHolds(const PolyRect *r, f32 x, f32 y) {
  return (f32)r->x1 < x && x < (f32)r->x2 && (f32)r->y1 < y && y < (f32)r->y2;
}

static void SetVert(ShellSelection *sel, u32 v, u32 flag, u32 room) {
  if (v < room) sel->g_PolySelVerts[v] = flag;
}

void Poly_RectSelectCorner(ShellSelection *sel, const PolyRectFace *f, i32 corner, i32 x, i32 y, const PolyRect *r,
                           u32 faceRoom, u32 vertRoom) {
  if (sel->g_PolyTool != 0 && sel->g_PolyTool != 5) return;
  if (!sel->g_PolySelFaces || !sel->g_PolySelVerts || corner < 0 || corner >= f->cornerCount) return;
  bool left = Shell_ButtonHeld(BUTTON_LEFT) && !Shell_ButtonHeld(BUTTON_RIGHT) && !Shell_ButtonHeld(BUTTON_MIDDLE);
  bool right = Shell_ButtonHeld(BUTTON_RIGHT) && !Shell_ButtonHeld(BUTTON_LEFT) && !Shell_ButtonHeld(BUTTON_MIDDLE);
  if (!left && !right) return;
  u32 flag = left ? 1 : 0;
  bool cornerIn = Poly_RectHolds(r, (f32)x, (f32)y);
  if (sel->g_PolySelectMode == 1) {
    if (!cornerIn && !Poly_RectHolds(r, f->centreX, f->centreY)) return;
    if (f->face >= 0 && (u32)f->face < faceRoom) sel->g_PolySelFaces[f->face] = flag;
    for (i32 j = 0; j < f->cornerCount; j++) SetVert(sel, f->verts[j], flag, vertRoom);
  } else if (cornerIn) {
    SetVert(sel, f->verts[corner], flag, vertRoom);
  }
}

void Poly_RectSelectCorner(const PolyRectFace *f, i32 corner, i32 x, i32 y, const PolyRect *r, u32 faceRoom,
                           u32 vertRoom) {
  Poly_RectSelectCorner(&g_Sel, f, corner, x, y, r, faceRoom, vertRoom);
}

bool Poly_GrowFlags(u32 **flags, u32 *room, u32 need) {
  if (need <= *room) return true;
  u32 *grown = (u32 *)realloc(*flags, need * sizeof(u32));
  if (!grown) return false;
  memset(grown + *room, 0, (need - *room) * sizeof(u32));
  *flags = grown;
  *room = need;
  return true;
}

i32 Poly_CollectFlagged(const u32 *flags, u32 n, u32 **list, u32 *listRoom) {
  if (!flags || n == 0) return 0;
  if (n > *listRoom) {
    u32 *p = (u32 *)realloc(*list, n * sizeof(u32));
    if (!p) return 0;
    *list = p;
    *listRoom = n;
  }
  i32 count = 0;
  for (u32 i = 0; i < n; i++)
    if (flags[i]) (*list)[count++] = i;
  return count;
}

bool Poly_NewFaceCornersOk(i32 polygons, i32 selected) {
  if (polygons == 0 || selected < 2) {
    Seam_ErrorBox("２つ以上頂点を選択して下さい。");
    return false;
  }
  if (selected > 4) {
    Seam_ErrorBoxf("面は４つまでの頂点で作成して下さい。( 選択された角は %d 個です )", selected);
    return false;
  }
  return true;
}
