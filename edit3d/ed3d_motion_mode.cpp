// The bone and group motion sub-mode's life: entering and leaving with its panels, the
// per-frame update (IK in the Side view, display state, the right-held bone pick), the overlay
// (mesh, bones, rotation rings, axis crosses), the keys sent from the main loop, playback,
// the list refresh and the menu commands. Owns g_Ed3DMotionPanels and g_Ed3DViewConst.
#include <math.h>
#include <string.h>

#include "app/family.h"
#include "app/play.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/tree.h"
#include "app/viewdraw.h"
#include "app/views.h"
#include "app/vkeys.h"
#include "app/widget.h"
#include "edit3d/ed3d_bone.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/undo.h"
#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawbatch.h"
#include "lib/draw/target.h"
#include "lib/draw/texture.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "model/motion.h"
#include "resources/edit3d_motion_ids.h"

Ed3DMotionPanels g_Ed3DMotionPanels;
Ed3DViewConstants g_Ed3DViewConst;

// [SECTION] helpers

static void SetText(void *panel, u32 id, const char *text) {
  if (panel) Widget_SetText(panel, id, text);
}

static bool Ortho(const ViewRecord *v) { return v->kind == VIEW_FRONT || v->kind == VIEW_TOP || v->kind == VIEW_SIDE; }

static void LoadMenu(const char *name) {
  // A sub-mode switch inside the family replaces the previous sub-mode's menu.
  App_LoadFamilyMenu(name);
}

void Ed3D_ResetViewConstants(void) {
  Ed3DViewConstants &c = g_Ed3DViewConst;
  c.scale[0] = 2.0f;
  c.scale[1] = 3.9f;
  c.distance = -15.0f;
  c.offset[0] = c.offset[1] = c.offset[2] = 0.0f;
  c.angle = 90.0f;
  c.flag = 0;
}

// [SECTION] enter and leave
static void OpenPanels(const Model3 *m, u32 group) {
  Ed3DMotionPanels &p = g_Ed3DMotionPanels;
  Ed3DMotionEditor &e = g_Ed3DMotion;
  i32 dw = g_Lib.desktopWidth, dh = g_Lib.desktopHeight;
  if (!p.motionDlg) {
    p.motionDlg = Widget_CreatePanel("3D_MOTION_DLG", dw - 273, dh - 400, 273, 370);
    e.modeCombo = Ed3D_Control(p.motionDlg, IDC_MOT_MODE);
    e.textureCombo = Ed3D_Control(p.motionDlg, IDC_MOT_TEXTURE);
    Ed3D_FillMotionModeCombo();
    Ed3D_FillMotionTextureCombo(m, group);
  }
  if (!p.keyDlg) {
    p.keyDlg = Widget_CreatePanel("MOTION_KEY_DLG", 0, dh - 600, 400, 570);
    p.soundCombo = Ed3D_Control(p.keyDlg, IDC_MKEY_SOUND);
    Ed3D_FillMotionSoundCombo(m);
  }
  if (!p.listDlg) {
    p.listDlg = Widget_CreatePanel("3D_MOTION_LIST_DLG", dw - 228, 47, 228, 397);
    p.list = Ed3D_CreateListBox(p.listDlg, IDC_MLIST_LIST, 0, 95, 222, 285);
    Ed3D_FillMotionList(m);
    if (p.listDlg) Widget_Activate(p.listDlg);
  }
}

void Ed3D_MotionEnter(const HookCtx *c) {
  ShellSelection *sel = c->sel;
  g_Lib.runState = 4;
  sel->g_CurSlot = 0;
  App_AllocWorkArrays(c->sel);
  if (sel->g_CurBoneIndex == 0) sel->g_CurBoneIndex = 1;
  if (g_TreeRows.current == 0) g_TreeRows.current = 1;
  if (g_TreeRows.hovered == 0) g_TreeRows.hovered = 1;
  // The sub-mode edits layer 0 from here on: the context's model was the slot current before
  // the switch above, so slot 0's model is read afresh.
  Model3 *m = Model3_Get(0);
  if (m) {
    m->frame = 0;
    m->frameFraction = 0.0f;
    if (m->motion < 0 || m->motion >= m->motionCount || m->motion >= MODEL3_MOTIONS) m->motion = 0;
  }
  g_Ed3DMotionPanels.listSeenMotion = m ? m->motion : 0;
  LoadMenu("MENU_3D_MOTION");
  Ed3D_ResetViewConstants();
  sel->g_MotionEditOp = ED3D_MOTION_TOOL_ROTATE;
  g_Ed3DMotionPanels.loop = 1;
  g_ShellEntries.model3Loop = &g_Ed3DMotionPanels.loop;
  g_Strip.g_StripGeo.margin = 0;
  g_Strip.g_StripGeo.rowTop = 90;
  OpenPanels(c->model, sel->g_CurGroupIndex);
  Tree_BuildRowsBones3D();
}

void Ed3D_MotionLeave(const HookCtx *c) {
  Ed3DMotionPanels &p = g_Ed3DMotionPanels;
  g_Shell.g_Playing = 0;
  g_ShellEntries.model3Loop = nullptr;   // the other sub-modes' playback always loops
  Ed3D_DestroyWindow(&p.motionDlg);
  g_Ed3DMotion.modeCombo = g_Ed3DMotion.textureCombo = nullptr;
  Ed3D_DestroyWindow(&p.list);
  Ed3D_DestroyWindow(&p.listDlg);
  p.soundCombo = nullptr;
  Ed3D_DestroyWindow(&p.keyDlg);
  Ed3D_DestroyWindow(&p.waveList);
  Ed3D_DestroyWindow(&p.waveDlg);
}

// [SECTION] update
i32 Ed3D_MotionPickBone(const HookCtx *c, const ViewRecord *v, i32 mx, i32 my) {
  const Model3 *m = c->model;
  if (!m || !v || !Ortho(v)) return -1;
  f32 best = 99999.9f;
  i32 found = -1;
  for (i32 b = 0; b < Model3_BoneCount(m); b++) {
    f32 s[2];
    Ed3D_MotionBoneScreen(v, c->slot, b, s);
    f32 d = fabsf(s[0] - (f32)mx) + fabsf(s[1] - (f32)my);
    if (d < best) {
      best = d;
      found = b;
    }
  }
  return found;
}

void Ed3D_MotionUpdate(const HookCtx *c) {
  g_Strip.g_StripWindows[STRIP_MOTION3_KEYS].dirty = 1;
  g_Strip.g_StripMotion3Groups = g_Ed3DMotion.target == ED3D_MOTION_TARGET_GROUP ? 1u : 0u;
  Ed3D_UpdateCurrentKeyIndex(c);
  Lib_SetSceneDraw(1);
  Model3 *m = c->model;
  ShellSelection *sel = c->sel;
  if (!m) return;
  m->poseUpdate = 1;
  if (sel->g_MotionEditOp == ED3D_MOTION_TOOL_IK && c->view->kind == VIEW_SIDE) {
    Ed3D_IkSetChain(c, (i32)sel->g_CurBoneIndex);
    Ed3D_IkStep(c, c->view);
    App_MarkAllRedraw(c->layout);
  }
  bool left = Shell_ButtonHeld(BUTTON_LEFT), middle = Shell_ButtonHeld(BUTTON_MIDDLE),
       right = Shell_ButtonHeld(BUTTON_RIGHT);
  m->displayState = (g_Shell.g_Playing != 1 && !left) ? 3 : 2;
  if (g_Shell.g_Playing == 1 || left || middle || !right) return;
  i32 b = Ed3D_MotionPickBone(c, c->view, c->mouse->g_MouseX, c->mouse->g_MouseY);
  if (b >= 0 && (u32)b != sel->g_CurBoneIndex) {
    g_Ed3DMotionPanels.prevBone = (i32)sel->g_CurBoneIndex;
    sel->g_CurBoneIndex = (u32)b;
    g_Ed3DMotion.dialogRefresh = 1;
    g_Ed3DMotion.keyDialogRefresh = 1;
  }
}

// [SECTION] rings
Vec3 Ed3D_RingPoint(Vec3 c, i32 r, i32 s) {
  f32 a = (f32)s * 22.5f * 3.14159265f / 180.0f;
  f32 u = 1.5f * cosf(a), w = 1.5f * sinf(a);
  switch (r) {
    case 0: return {c.x + u, c.y, c.z + w};
    case 1: return {c.x, c.y + u, c.z + w};
    default: return {c.x + u, c.y + w, c.z};
  }
}

i32 Ed3D_ChooseRing(const f32 screen[3][ED3D_RING_SEGMENTS + 1][2], i32 mx, i32 my, bool rightHeld) {
  f32 best = 99999.9f;
  i32 ring = -1;
  for (i32 r = 0; r < 3; r++)
    for (i32 s = 0; s <= ED3D_RING_SEGMENTS; s++) {
      f32 d = fabsf(screen[r][s][0] - (f32)mx) + fabsf(screen[r][s][1] - (f32)my);
      if (d < best) {
        best = d;
        ring = r;
      }
    }
  if (best > 50.0f && !rightHeld) return -1;
  return ring;
}

bool Ed3D_ProjectView0(const HookCtx *c, f32 x, f32 y, f32 z, f32 out[2]) {
  f32 vp[16], s[3];
  i32 w, h;
  if (!Ed3D_ViewCamera(View_Get(c->layout, 0), c->perspAngleX, c->perspAngleY, vp, &w, &h)) return false;
  Cam_ProjectWith(s, vp, x, y, z, (f32)w * 0.5f, (f32)h * 0.5f, false, 0, 0);
  out[0] = s[0];
  out[1] = s[1];
  return isfinite(s[0]) && isfinite(s[1]);
}

void Ed3D_DrawRings(Vec3 c, i32 mx, i32 my, i32 *ring) {
  bool left = Shell_ButtonHeld(BUTTON_LEFT);
  f32 screen[3][ED3D_RING_SEGMENTS + 1][2];
  for (i32 r = 0; r < 3; r++)
    for (i32 s = 0; s <= ED3D_RING_SEGMENTS; s++) {
      Vec3 p = Ed3D_RingPoint(c, r, s);
      f32 o[3];
      Cam_ProjectToScreen(o, p.x, p.y, p.z);
      screen[r][s][0] = o[0];
      screen[r][s][1] = o[1];
    }
  if (!Shell_AnyButtonHeld()) *ring = Ed3D_ChooseRing(screen, mx, my, false);
  // Ring 0 turns about Y (green), ring 1 about X (red), ring 2 about Z (blue).
  static const i32 kColors[3][3] = {{0, 200, 0}, {200, 0, 0}, {0, 0, 200}};
  for (i32 r = 0; r < 3; r++) {
    i32 cr = kColors[r][0], cg = kColors[r][1], cb = kColors[r][2];
    if (r == *ring) cr = 255, cg = 255, cb = 0;
    else if (left) cr /= 3, cg /= 3, cb /= 3;
    for (i32 s = 0; s < ED3D_RING_SEGMENTS; s++)
      Draw_Line2D((i32)screen[r][s][0], (i32)screen[r][s][1], cr, cg, cb, 255, (i32)screen[r][s + 1][0],
                  (i32)screen[r][s + 1][1], cr, cg, cb, 255);
  }
}

void Ed3D_DrawAxisCrosses(i32 count, i32 cur, i32 ring, void (*draw)(i32 item, i32 axis)) {
  static const i32 kRingAxis[3] = {1, 0, 2};
  i32 axis = ring >= 0 && ring < 3 ? kRingAxis[ring] : -1;
  if (!Shell_ButtonHeld(BUTTON_LEFT) && !Shell_ButtonHeld(BUTTON_MIDDLE)) {
    for (i32 i = 1; i < count; i++) draw(i, axis);
  } else if (cur > 0 && cur < count) {
    draw(cur, axis);
  }
}

// The context whose bones' axis crosses are being drawn (DrawRings sets it for the callback).
static const HookCtx *s_CrossCtx;

static void DrawBoneAxesOfCtx(i32 bone, i32 axis) {
  const HookCtx *c = s_CrossCtx;
  Ed3D_DrawBoneAxesOf(c->slot, c->layout, c->sel->g_CurBoneIndex, bone, axis);
}

// The rings about the current bone, its selection and the axis crosses (main view).
static void DrawRings(const HookCtx *c, const Model3 *m) {
  Ed3DMotionEditor &e = g_Ed3DMotion;
  i32 cur = (i32)c->sel->g_CurBoneIndex;
  DrawBatch_Begin();
  if (c->sel->g_MotionEditOp == ED3D_MOTION_TOOL_ROTATE && cur > 0 && cur < Model3_BoneCount(m))
    Ed3D_DrawRings(Model3_GetBoneOrigin((i32)c->slot, cur), c->mouse->g_MouseX, c->mouse->g_MouseY, &e.ring);
  else
    e.ring = -1;
  s_CrossCtx = c;
  Ed3D_DrawAxisCrosses(Model3_BoneCount(m), cur, e.ring, DrawBoneAxesOfCtx);
  DrawBatch_End();
}

// [SECTION] overlay
// The point of a model position in an orthographic view, as the bone pick maps it.
static void OrthoPoint(const ViewRecord *v, Vec3 p, i32 *x, i32 *y) {
  f32 s[2];
  Ed3D_OrthoScreen(v, p, s);
  *x = (i32)s[0];
  *y = (i32)s[1];
}

// One edge of the posed mesh, coloured by the current bone's share in its start vertex.
static void MeshPoint(const Model3 *m, const ViewRecord *v, u32 i, i32 *x, i32 *y) {
  const Vec3 *pts = (m->poseUpdate == 1 && m->posed) ? m->posed : m->positions;
  OrthoPoint(v, pts[i], x, y);
}

// The bone whose share MeshEdge shows: the drawn context's current bone, set by DrawMesh for
// the one walk of the edges (the edge callback has no argument of its own for it).
static u32 s_MeshBone;

static void MeshEdge(const Model3 *m, u32 a, u32, const i32 e[4], bool, bool stroke) {
  if (!stroke) return;
  u32 cur = s_MeshBone;
  i32 x1 = e[0], y1 = e[1], x2 = e[2], y2 = e[3];
  i32 r = 146, g = 146, bl = 146;
  if (m->bindings && (m->bindings[a].bone1 == cur || m->bindings[a].bone2 == cur)) {
    // Red at full weight, yellow at none.
    const VertexBinding &bd = m->bindings[a];
    f32 share = bd.bone1 == cur ? bd.weight : 1.0f - bd.weight;
    share = share < 0.0f ? 0.0f : (share > 1.0f ? 1.0f : share);
    r = 255, g = (i32)(255.0f * (1.0f - share)), bl = 0;
  }
  Ed3D_WireStroke(x1, y1, x2, y2, r, g, bl);
}

static void DrawMesh(const Model3 *m, const ViewRecord *v, u32 bone) {
  s_MeshBone = bone;
  Ed3D_WireEdges(m, v, MeshPoint, MeshEdge, nullptr);
}

static void DrawBones(const HookCtx *c, const Model3 *m, const ViewRecord *v) {
  Ed3DMotionEditor &e = g_Ed3DMotion;
  i32 n = Model3_BoneCount(m);
  for (i32 b = 0; b < n; b++) Ed3D_MotionBoneScreen(v, c->slot, b, e.boneScreen[b]);
  DrawBatch_Begin();
  for (i32 b = 1; b < n; b++) {
    bool cur = (u32)b == c->sel->g_CurBoneIndex;
    i32 lum = cur ? 255 : 150;
    i32 p = Model3_BoneParent(m, b);
    i32 x = (i32)e.boneScreen[b][0], y = (i32)e.boneScreen[b][1];
    if (p > 0 && p < n)
      Draw_Line2D((i32)e.boneScreen[p][0], (i32)e.boneScreen[p][1], lum, lum, 0, 255, x, y, lum, lum, 0, 255);
    Draw_Rect2D(x - 2, y - 2, x + 2, y + 2, lum, lum, 0, 255);
  }
  DrawBatch_End();
}

void Ed3D_MotionDrawOverlay(const HookCtx *c) {
  const ViewRecord *v = c->view;
  Model3 *m = c->model;
  bool playing = g_Shell.g_Playing == 1;
  if (Ortho(v) || playing) {
    View_Draw2DGrid(c->view);
    if (m) {
      DrawMesh(m, v, c->sel->g_CurBoneIndex);
      DrawBones(c, m, v);
    }
  }
  // Only the main view's overlay chooses the ring: the other views are drawn between its
  // frames, and a reset there would take the ring from a rotate drag in the main view.
  if (v->kind != VIEW_MAIN) return;
  if (!playing && m) DrawRings(c, m);
  else g_Ed3DMotion.ring = -1;
}

// [SECTION] keys from the main loop
void Ed3D_MotionArrowKey(ViewRecord *v, u32 layout, u32 vk, bool redraw) {
  if (Shell_ButtonHeld(BUTTON_RIGHT) || Shell_ButtonHeld(BUTTON_LEFT)) return;
  f32 step = 3.0f * g_Shell.g_PerspStep;
  if (v->kind == VIEW_MAIN || v->kind == VIEW_PERS) {
    switch (vk) {
      case VKEY_LEFT: g_Shell.g_PerspOffset[1] += step; break;
      case VKEY_UP: g_Shell.g_PerspOffset[0] -= step; break;
      case VKEY_RIGHT: g_Shell.g_PerspOffset[1] -= step; break;
      default: g_Shell.g_PerspOffset[0] += step; break;
    }
  } else if (v->zoom != 0.0f) {   // no step at zoom 0 (1 / 0 would throw the view away)
    f32 d = 1.0f / v->zoom;
    bool side = v->kind == VIEW_SIDE, top = v->kind == VIEW_TOP;
    switch (vk) {
      case VKEY_LEFT: if (side) v->panZ += d; else v->panX -= d; break;
      case VKEY_UP: if (top) v->panZ -= d; else v->panY += d; break;
      case VKEY_RIGHT: if (side) v->panZ -= d; else v->panX += d; break;
      default: if (top) v->panZ += d; else v->panY -= d; break;
    }
  }
  if (redraw) App_MarkAllRedraw(layout);
}

void Ed3D_MotionKeyUp(const HookCtx *c) {
  u32 vk = c->key;
  Ed3DMotionEditor &e = g_Ed3DMotion;
  u32 &op = c->sel->g_MotionEditOp;
  switch (vk) {
    case VKEY_LEFT: case VKEY_UP: case VKEY_RIGHT: case VKEY_DOWN: Ed3D_MotionArrowKey(c->view, c->layout, vk, true); break;
    case VKEY_DELETE: Ed3D_DeleteKeyWithStep(c); break;
    case 'A': Ed3D_TogglePlay(c); break;
    case 'G': op = ED3D_MOTION_TOOL_SCALE; e.dialogRefresh = 1; break;
    case 'R':
      op = op == ED3D_MOTION_TOOL_ROTATE ? ED3D_MOTION_TOOL_IK : ED3D_MOTION_TOOL_ROTATE;
      e.dialogRefresh = 1;
      break;
    case 'T': op = ED3D_MOTION_TOOL_MOVE; e.dialogRefresh = 1; break;
    default: break;
  }
}

// [SECTION] playback
void Ed3D_TogglePlay(const HookCtx *c) {
  const Ed3DMotionPanels &p = g_Ed3DMotionPanels;
  void *active = Widget_ActiveWindow();
  bool ours = active && (active == (void *)g_Shell.g_MainWindowHandle || active == p.motionDlg || active == p.keyDlg);
  if (c->viewIndex == 0 && !ours) return;
  if (g_Shell.g_Playing == 0) Ed3D_MotionPlay(c);
  else Ed3D_MotionStop(c);
}

void Ed3D_MotionPlay(const HookCtx *c) {
  Ed3DMotionPanels &p = g_Ed3DMotionPanels;
  SetText(p.motionDlg, IDC_MOT_PLAY, "停止(A)");
  Model3 *m = c->model;
  if (m) m->frameFraction = 0.0f;
  Play_Start(&g_Ed3DMotionKeyStrip.play, m ? &m->frame : nullptr, &p.savedFrame);
}

void Ed3D_MotionStop(const HookCtx *c) {
  Ed3DMotionPanels &p = g_Ed3DMotionPanels;
  g_Shell.g_Playing = 0;
  SetText(p.motionDlg, IDC_MOT_PLAY, "再生(A)");
  Model3 *m = c->model;
  Play_Stop(&g_Ed3DMotionKeyStrip.play, m ? &m->frame : nullptr, p.savedFrame);
  if (m) {
    m->frameFraction = 0.0f;
    Model3_UpdateKeyIndices((i32)c->slot);
  }
}

// [SECTION] refresh
void Ed3D_FillMotionLists(const Model3 *m) {
  Ed3D_FillMotionList(m);
  Ed3D_FillMotionSoundList(m);
  Ed3D_FillMotionSoundCombo(m);
}

void Ed3D_MotionRefreshLists(const Model3 *m, u32 layout) {
  Ed3DMotionEditor &e = g_Ed3DMotion;
  e.dialogRefresh = 1;
  e.keyDialogRefresh = 1;
  g_Strip.g_StripWindows[STRIP_MOTION3_KEYS].dirty = 1;
  g_Ed3DMotionPanels.listRefresh = 1;
  Ed3D_FillMotionLists(m);
  App_MarkAllRedraw(layout);   // every view of the layout and the seven strip flags
  Draw_FlagTargetForClear(0);
}

// [SECTION] menu
static void OpenSoundDialog(const Model3 *m) {
  Ed3DMotionPanels &p = g_Ed3DMotionPanels;
  if (Ed3D_OpenSoundPanel("MOTION_WAVE_DLG", IDC_MLIST_LIST, &p.waveDlg, &p.waveList)) Ed3D_FillMotionSoundList(m);
}

void Ed3D_MotionCommand(const HookCtx *c) {
  u32 id = c->command;
  switch (id) {
    case IDM_MOT_SOUNDS: OpenSoundDialog(c->model); break;
    case IDM_MOT_COPY_MOTIONS: Ed3D_CopyMotionsCommand(c); break;
    case IDM_MOT_FREEZE: {
      bool yes = g_ShellSeam.askYesNo ? g_ShellSeam.askYesNo("フリーズしてもいいですか？") : true;
      if (yes) Ed3D_FreezePose(c);
      Ed3D_MotionRefreshLists(c->model, c->layout);
      break;
    }
    default: break;
  }
}
