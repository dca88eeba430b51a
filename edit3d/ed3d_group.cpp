// Group record operations of the 3D editor's current layer (copy, delete, swap with the
// polygons' group numbers), the render-mode-7 refresh and the bone axis cross.
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "edit3d/ed3d.h"

#include <stdlib.h>
#include <string.h>

#include "app/current.h"
#include "app/family.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/draw/texture.h"
#include "lib/framework/view_record.h"

// [SECTION] groups
static bool IsGroup(const Model3 *m, i32 g) { return m && g >= 0 && g < m->groupCount && g < MODEL3_GROUPS; }

// The motions' key lists of group `to` become copies of those of `from` (none where it has none).
static bool CopyGroupKeys(Model3 *m, i32 from, i32 to) {
  for (i32 mo = 0; mo < MODEL3_MOTIONS; mo++) {
    GroupKeyList3 **lists = m->motions[mo].groupKeys;
    if (!lists[from]) {
      free(lists[to]);
      lists[to] = nullptr;
    } else if (GroupKeyList3 *l = Model3_EnsureGroupKeys(m, mo, to)) {
      *l = *lists[from];
    } else {
      return false;
    }
  }
  return true;
}

bool Ed3D_ModelCopyGroup(Model3 *m, i32 from, i32 to) {
  // The target may be the next free record (a copy makes a new group there).
  if (!IsGroup(m, from) || to < 0 || to >= MODEL3_GROUPS) return false;
  if (from == to) return true;
  m->groups[to] = m->groups[from];
  return CopyGroupKeys(m, from, to);
}

void Ed3D_CopyGroupRecord(i32 from, i32 to) { Ed3D_ModelCopyGroup(Current_Model3(), from, to); }

bool Ed3D_ModelDeleteGroup(Model3 *m, i32 g) {
  if (!IsGroup(m, g) || m->groupCount <= 1) return false;   // a model keeps at least one group
  for (i32 i = g; i + 1 < m->groupCount; i++) m->groups[i] = m->groups[i + 1];
  // The key lists of every motion move down with their groups; the deleted group's go.
  for (i32 mo = 0; mo < MODEL3_MOTIONS; mo++) {
    GroupKeyList3 **lists = m->motions[mo].groupKeys;
    free(lists[g]);
    memmove(&lists[g], &lists[g + 1], (size_t)(m->groupCount - 1 - g) * sizeof lists[0]);
    lists[m->groupCount - 1] = nullptr;
  }
  // The polygons of group g join the group below it; with g = 0 those of group 0 stay.
  u32 from = g > 1 ? (u32)g : 1u;
  for (i32 p = 0; p < m->polygonCount; p++) {
    u32 &group = m->polygons[p].group;
    if (group >= from) group--;
  }
  m->groupCount--;
  return true;
}

bool Ed3D_ModelSwapGroups(Model3 *m, i32 a, i32 b) {
  if (!IsGroup(m, a) || !IsGroup(m, b)) return false;
  if (a == b) return true;
  Group3 t = m->groups[a];
  m->groups[a] = m->groups[b];
  m->groups[b] = t;
  for (i32 mo = 0; mo < MODEL3_MOTIONS; mo++) {
    GroupKeyList3 **lists = m->motions[mo].groupKeys, *l = lists[a];
    lists[a] = lists[b];
    lists[b] = l;
  }
  for (i32 p = 0; p < m->polygonCount; p++) {
    u32 &group = m->polygons[p].group;
    if (group == (u32)a) group = (u32)b;
    else if (group == (u32)b) group = (u32)a;
  }
  return true;
}

void Ed3D_DeleteGroupRecord(i32 g) { Ed3D_ModelDeleteGroup(Current_Model3(), g); }

void Ed3D_SwapGroups(i32 a, i32 b) {
  if (Ed3D_ModelSwapGroups(Current_Model3(), a, b)) g_Sel.g_CurGroupIndex = (u32)b;
}

void Ed3D_SetRenderMode7AndRefresh(void) {
  if (Current_Model3()) Model3_SetRenderMode(Current_Model3(), 7);
  HookCtx c = Family_ShellContext();
  App_RefreshLists(&c);
}

// [SECTION] view 0's camera
bool Ed3D_ViewCamera(const ViewRecord *v0, f32 angleX, f32 angleY, f32 vp[16], i32 *w, i32 *h) {
  *w = v0->clientW > 0 ? v0->clientW : v0->w;
  *h = v0->clientH > 0 ? v0->clientH : v0->h;
  if (*w <= 0 || *h <= 0) return false;
  f32 eye[3], target[3] = {v0->panX, v0->panY, v0->panZ}, view[16], proj[16];
  View_PerspectiveEye(v0, angleX, angleY, eye);
  Cam_BuildLookAtLH(view, eye, target, g_Camera.up);
  Cam_BuildPerspectiveFovLH(proj, 0.785398f, (f32)*w / (f32)*h, 1.0f, 65000.0f);
  Cam_Multiply(vp, view, proj);
  return true;
}

// [SECTION] bone axis cross
void Ed3D_DrawBoneAxes(i32 bone, i32 axis) {
  // The layer being edited, not slot 0: the bone sub-mode keeps any layer current.
  Ed3D_DrawBoneAxesOf(g_Sel.g_CurSlot, g_Shell.g_EditSubMode, g_Sel.g_CurBoneIndex, bone, axis);
}

void Ed3D_DrawBoneAxesOf(u32 slot, u32 layout, u32 curBone, i32 bone, i32 axis) {
  Vec3 o = layout == SUB_3D_MOTION ? Model3_GetBoneOrigin((i32)slot, bone)
                                                  : Model3_GetBoneRestOrigin((i32)slot, bone);
  Ed3D_DrawAxisCross(o, bone >= 0 && (u32)bone == curBone, axis);
}

void Ed3D_DrawAxisCross(Vec3 o, bool current, i32 axis) {
  static const i32 kColors[3][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  for (i32 k = 0; k < 3; k++) {
    f32 d[3] = {0, 0, 0};
    d[k] = 0.5f;
    f32 a[3], b[3];
    Cam_ProjectToScreen(a, o.x - d[0], o.y - d[1], o.z - d[2]);
    Cam_ProjectToScreen(b, o.x + d[0], o.y + d[1], o.z + d[2]);
    const i32 *c = kColors[k];
    i32 r = c[0], g = c[1], bl = c[2];
    if (current && axis == k) r = 255, g = 255, bl = 0;
    Draw_Line2D((i32)a[0], (i32)a[1], r, g, bl, 255, (i32)b[0], (i32)b[1], r, g, bl, 255);
  }
}
