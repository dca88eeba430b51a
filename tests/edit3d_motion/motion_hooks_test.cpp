// The motion and object-motion hooks act on the records their context hands them. Each case
// runs its hooks once on the shell's records (model in layer 0, g_Sel, g_Mouse) and once with
// a context whose model (layer 7), selection and mouse are copies set up the same way, while
// the shell holds another bone, tool, axis, group, frame, mouse and bone positions. The second
// run must leave the shell's model and records as they were, end the copies exactly where the
// first run ended the shell's, and leave the editor's own state (pivot, IK, drag snapshot,
// undo steps) as the first run did: a step that still reads or writes a shell record shows as
// a difference.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/tree.h"
#include "app/views.h"
#include "app/vkeys.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/objmotion.h"
#include "edit3d/undo.h"
#include "lib/framework/view_record.h"
#include "lib/render/objects.h"
#include "model/motion.h"
#include "model/seam.h"
#include "resources/edit3d_motion_ids.h"
#include "tests/edit3d/motion_reset.h"
#include "tests/support/hook_differ.h"
#include "tests/support/widget_fake.h"

namespace {

enum { SHELL_SLOT = 0, HANDED_SLOT = 7 };

// What one case sets before its hooks run, the same for the shell's run and the handed one.
struct Given {
  u32 bone, tool, axis, group;
  u32 viewKind;            // kind of the active view (view 1 of the layout)
  i32 frame;
  f32 dx, dy;              // the mouse's move
  i32 mx, my;              // the mouse position (the pick of the right-held update)
  u8 left, right;          // buttons held
  u8 childrenFollow;
  i16 target;              // bone or group mode
  f32 restShift;           // bone b's rest position moved by b * restShift along X
};

struct Step {
  FamilyHookFn *hook;
  i32 x, y;
  u32 key, command;
  i32 step;
};

struct Case {
  const char *what;
  Given setup;
  std::vector<Step> steps;
};

// Four bones in a chain, each one unit above its parent, keys of bones 1..3 at frames 0, 10
// and 30 of motion 0 (each a little turned so that keys differ), a quad bound to bone 1.
Model3 *BuildModel(i32 slot) {
  Model3_FreeSlot(slot);
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_Init(slot);
  if (!m) return nullptr;
  m->boneCount = 4;
  m->motionCount = 1;
  m->motions[0].used = 1;
  m->motions[0].length = 60;
  m->keyTableLength = MODEL3_MOTIONS;
  for (i32 b = 0; b < 4; b++) {
    m->bones[b].parent = b > 0 ? b - 1 : 0;
    m->bones[b].firstChild = b < 3 ? b + 1 : 0;   // the links the tree would make for the chain
    m->bones[b].nextSibling = 0;
    m->boneRest[b].pos[1] = b ? 1.0f : 0.0f;
    if (!Model3_EnsureKeyTable(m, b)) return nullptr;
    if (b == 0) continue;
    for (i32 f : {0, 10, 30}) {
      BoneKey3 k;
      BoneKey3_Identity(&k, f);
      Quat q;
      Quat_FromAxisAngle(&q, 1, 0, 0, (f32)(5 * b + f));
      k.quat[0] = q.x, k.quat[1] = q.y, k.quat[2] = q.z, k.quat[3] = q.w;
      k.pos[0] = 0.1f * (f32)b;
      KeyTrack_Insert(&m->bones[b].keys[0], &k);
    }
  }
  for (i32 i = 0; i < 4; i++) {
    m->positions[i] = {(f32)(i & 1), 1.0f + (f32)(i >> 1), 0};
    m->bindings[i] = {1, 0, 1.0f, 0};
  }
  m->positionCount = 4;
  return m;
}

void Apply(const Given &s, Model3 *m, ShellSelection *sel, ShellMouse *mouse) {
  m->frame = s.frame;
  for (i32 b = 1; b < m->boneCount; b++) {
    m->boneRest[b].pos[0] = s.restShift * (f32)b;
    KeyTrack &t = m->bones[b].keys[0];
    for (i32 k = 0; k < t.count; k++) t.keys[k].pos[2] = s.restShift;
  }
  sel->g_CurSlot = SHELL_SLOT;   // the handed run's context names its own slot
  sel->g_CurBoneIndex = s.bone;
  sel->g_MotionEditOp = s.tool;
  sel->g_GizmoAxis = s.axis;
  sel->g_CurGroupIndex = s.group;
  *mouse = ShellMouse{};
  mouse->g_MouseMoveDX = s.dx;
  mouse->g_MouseMoveDY = s.dy;
  mouse->g_MouseX = s.mx;
  mouse->g_MouseY = s.my;
  mouse->g_MotionDragAnchor = mouse->g_ObjMotionDragAnchor = {s.mx, s.my};
}

// The shell and the editors as each run starts: the views, the editor state and the buttons.
void ResetShell(const Given &s) {
  MotionReset_3D([](const char *) {}, 1);
  g_Ed3DMotionPanels = Ed3DMotionPanels{};
  g_Ed3DMotion.childrenFollow = s.childrenFollow;
  g_Ed3DMotion.target = s.target;
  Ed3DObjMotionEditor.ring = -1;
  g_Shell.g_PerspAngleX = 20.0f;
  g_Shell.g_PerspAngleY = 30.0f;
  for (u32 i = 0; i < 2; i++) {
    ViewRecord *v = View_Get(SUB_3D_MOTION, i);
    v->inUse = 1;
    v->kind = i == 0 ? (u32)VIEW_MAIN : s.viewKind;
    v->zoom = 1.0f;
    v->w = v->clientW = 400;
    v->h = v->clientH = 300;
    v->centerX = 200;
    v->centerY = 150;
  }
  Shell_SetButtonHeld(BUTTON_LEFT, s.left);
  Shell_SetButtonHeld(BUTTON_RIGHT, s.right);
  Undo_ResetAll();
}

void Pose() {
  Model3_BuildRestMatrices();
  Model3_EvalPoseMatrices();
}

HookCtx ContextOf(const Step &st) {
  HookCtx c = Family_Context(st.x, st.y);
  c.key = st.key;
  c.command = st.command;
  c.step = st.step;
  return c;
}

// The shell holds other values than the case: bone 0 (never a bone a walk visits), another
// tool, axis, group, frame, mouse and bones standing elsewhere.
Given Decoy(const Given &s) {
  Given d = s;
  d.bone = 0;
  d.restShift = 0.9f;
  d.tool = (s.tool + 1) % 3;
  d.axis = (s.axis + 1) % 3;
  d.group = s.group + 1;
  d.frame = s.frame == 30 ? 10 : 30;
  d.dx = -s.dx - 3;
  d.dy = s.dy + 5;
  d.mx = s.mx + 37;
  d.my = s.my + 60;   // nearer bone 2 than bone 3 in the Front view
  return d;
}

// The editor's own state a step leaves (the same global in both runs): pivot, IK state and
// screen positions, the drag-start snapshot, the key index and the undo steps recorded, the
// history of the layer the steps acted on (`acted`) standing where the shell's layer's stands.
std::vector<double> EditorState(u32 acted = SHELL_SLOT) {
  const Ed3DMotionEditor &e = g_Ed3DMotion;
  std::vector<double> v = {(double)e.keyIndex, (double)e.ikRoot, (double)e.ikJoint, (double)e.ikEnd,
                           (double)e.delta.x, (double)e.delta.y, (double)e.delta.z, (double)e.delta.w};
  v.insert(v.end(), e.pivot, e.pivot + 3);
  v.insert(v.end(), e.ikTarget, e.ikTarget + 2);
  v.insert(v.end(), e.rotAccum, e.rotAccum + 3);
  v.insert(v.end(), e.pressQuat, e.pressQuat + 4);
  for (i32 b = 0; b < 4; b++) {
    const Ed3DMotionSnap &sn = e.snap[b];
    v.insert(v.end(), e.boneScreen[b], e.boneScreen[b] + 2);
    v.insert(v.end(), {(double)sn.held, (double)sn.frame});
    v.insert(v.end(), sn.pos, sn.pos + 3);
    v.insert(v.end(), sn.quat, sn.quat + 4);
    const f32 *posed = (const f32 *)&sn.posed;
    v.insert(v.end(), posed, posed + 16);
  }
  for (u32 i = 0; i < UNDO_LAYERS; i++) {
    u32 at = i == SHELL_SLOT ? acted : i == acted ? (u32)SHELL_SLOT : i;
    v.push_back((double)g_Undo.histories[at].top);
  }
  return v;
}

struct MotionHooksTest : ::testing::Test {
  FamilyHook refresh = nullptr;
  // The shell's list refresh (App_RefreshLists, after a pick) builds the shell's own context to
  // show the shell's document: it is left out, so that only the hooks' own steps are compared.
  void SetUp() override {
    WidgetFake_Install();
    App_AllocWorkArrays(&g_Sel);
    refresh = g_FamilyHooks[FAMILY_3D_MODEL].refreshLists;
    g_FamilyHooks[FAMILY_3D_MODEL].refreshLists = nullptr;
  }
  void TearDown() override {
    g_FamilyHooks[FAMILY_3D_MODEL].refreshLists = refresh;
    Model3_FreeAllSlots();
    g_Seam.errorBox = nullptr;
    for (u32 b = 0; b < 3; b++) Shell_SetButtonHeld(b, 0);
    WidgetFake_Remove();
  }
};

// The screen point of bone b of the model in layer 0 in the active (orthographic) view.
void BoneInView(i32 b, i32 *x, i32 *y) {
  f32 s[2];
  Ed3D_MotionBoneScreen(View_Get(SUB_3D_MOTION, 1), SHELL_SLOT, b, s);
  *x = (i32)s[0], *y = (i32)s[1];
}

TEST_F(MotionHooksTest, HooksChangeTheHandedRecordsAsTheShellsAndLeaveTheShellsAlone) {
  // The pick targets: bone 3 in the Front view, and on view 0's perspective camera.
  Given probe = {1, 0, 0, 0, VIEW_FRONT, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  ResetShell(probe);
  ASSERT_NE(BuildModel(SHELL_SLOT), nullptr);
  g_Sel.g_CurSlot = SHELL_SLOT;
  Pose();
  i32 fx, fy, px, py;
  BoneInView(3, &fx, &fy);
  f32 s[2];
  ASSERT_TRUE(Ed3D_MotionBoneScreenView0(Hook_Now(), 3, s));
  px = (i32)s[0], py = (i32)s[1];

  const u32 MOVE = ED3D_MOTION_TOOL_MOVE, ROT = ED3D_MOTION_TOOL_ROTATE, SCALE = ED3D_MOTION_TOOL_SCALE,
            IK = ED3D_MOTION_TOOL_IK;
  const Step press = {Ed3D_MotionLButtonDown, 130, 90, 0, 0, 0}, move = {Ed3D_MotionMouseMove, 134, 92, 0, 0, 0},
             release = {Ed3D_MotionLButtonUp, 134, 92, 0, 0, 0};
  auto key = [](FamilyHookFn *h, u32 vk) { return Step{h, 0, 0, vk, 0, 0}; };
  const Case cases[] = {
      {"left press makes the bone's key at its frame", {2, ROT, 0, 0, VIEW_FRONT, 20, 0, 0, 0, 0, 1, 0, 0, 0}, {press}},
      {"group press makes the group's key", {1, ROT, 0, 1, VIEW_FRONT, 20, 0, 0, 0, 0, 1, 0, 0, 1}, {press}},
      {"move drag in Front", {1, MOVE, 0, 0, VIEW_FRONT, 10, 4, 2, 0, 0, 1, 0, 0, 0}, {press, move, release}},
      {"move drag along the gizmo axis", {2, MOVE, 2, 0, VIEW_MAIN, 10, 4, 2, 0, 0, 1, 0, 0, 0}, {press, move}},
      {"rotate drag, children following", {1, ROT, 0, 0, VIEW_SIDE, 20, 6, -2, 0, 0, 1, 0, 1, 0}, {press, move, move}},
      {"scale drag in Top", {3, SCALE, 0, 0, VIEW_TOP, 30, 5, 1, 0, 0, 1, 0, 0, 0}, {press, move}},
      {"IK drag and the Side view's step", {3, IK, 0, 0, VIEW_SIDE, 10, 3, 3, 0, 0, 1, 0, 1, 0},
       {press, {Ed3D_MotionMouseMove, 90, 60, 0, 0, 0}, {Ed3D_MotionUpdate, 90, 60, 0, 0, 0}}},
      {"right held over bone 3 in Front", {1, ROT, 0, 0, VIEW_FRONT, 0, 0, 0, fx, fy, 0, 1, 0, 0},
       {{Ed3D_MotionUpdate, fx, fy, 0, 0, 0}}},
      {"right release where pressed picks a bone", {1, ROT, 0, 0, VIEW_MAIN, 0, 0, 0, px, py, 0, 0, 0, 0},
       {{Ed3D_MotionRButtonUp, px, py, 0, 0, 0}}},
      {"R toggles rotate and IK", {1, ROT, 0, 0, VIEW_FRONT, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {key(Ed3D_MotionKeyUp, 'R')}},
      {"Delete removes the key at the frame", {2, ROT, 0, 0, VIEW_FRONT, 10, 0, 0, 0, 0, 0, 0, 0, 0},
       {key(Ed3D_MotionKeyUp, VKEY_DELETE)}},
      {"wheel steps to the previous key, then the next", {3, ROT, 0, 0, VIEW_FRONT, 12, 0, 0, 0, 0, 0, 0, 0, 0},
       {{Ed3D_MotionWheelKey, 0, 0, 0, 0, -1}, {Ed3D_MotionWheelKey, 0, 0, 0, 0, 1}}},
      {"freeze", {2, ROT, 0, 0, VIEW_FRONT, 10, 0, 0, 0, 0, 0, 0, 0, 0}, {{Ed3D_MotionCommand, 0, 0, 0, IDM_MOT_FREEZE, 0}}},
      {"object press sets the anchors", {1, ROT, 0, 0, VIEW_FRONT, 0, 0, 0, 0, 0, 1, 0, 0, 0},
       {{Ed3D_ObjLButtonDown, 77, 66, 0, 0, 0}}},
      {"object keys pick the tool", {1, MOVE, 0, 0, VIEW_FRONT, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       {key(Ed3D_ObjMotionKeyDown, 'G'), key(Ed3D_ObjMotionKeyDown, 'R')}},
  };
  for (const Case &t : cases) {
    SCOPED_TRACE(t.what);
    // The shell's run.
    ResetShell(t.setup);
    Model3 *shell = BuildModel(SHELL_SLOT);
    ASSERT_NE(shell, nullptr);
    Apply(t.setup, shell, &g_Sel, &g_Mouse);
    const ShellSelection start = g_Sel;
    const std::string startSel = Differ_SelText(start), startMouse = Differ_MouseText(g_Mouse);
    Pose();
    const std::string startModel = Differ_Model3Text(shell);
    for (const Step &st : t.steps) {
      HookCtx c = ContextOf(st);
      st.hook(&c);
    }
    const std::string wantModel = Differ_Model3Text(shell), wantSel = Differ_SelText(g_Sel);
    const std::string wantMouse = Differ_MouseText(g_Mouse);
    const std::vector<double> wantEditor = EditorState();
    // Every case changes the model, the selection or the mouse (else it would compare nothing).
    EXPECT_TRUE(wantModel != startModel || wantSel != startSel || wantMouse != startMouse);

    // The handed run: the same case on copies, the shell holding the decoy.
    ResetShell(t.setup);
    shell = BuildModel(SHELL_SLOT);
    Model3 *other = BuildModel(HANDED_SLOT);
    ASSERT_NE(shell, nullptr);
    ASSERT_NE(other, nullptr);
    // The copy starts as the shell's selection started the first run, with arrays of its own.
    g_Sel = start;
    Differ_SelCopy own(start);
    Apply(Decoy(t.setup), shell, &g_Sel, &g_Mouse);
    ShellMouse mouse;
    Apply(t.setup, other, &own.sel, &mouse);
    Pose();
    const std::string shellModel = Differ_Model3Text(shell), shellSel = Differ_SelText(g_Sel);
    const std::string shellMouse = Differ_MouseText(g_Mouse);
    for (const Step &st : t.steps) {
      HookCtx c = ContextOf(st);
      c.model = other;
      c.slot = HANDED_SLOT;
      c.sel = &own.sel;
      c.mouse = &mouse;
      st.hook(&c);
    }
    EXPECT_EQ(Differ_Model3Text(shell), shellModel);
    EXPECT_EQ(Differ_SelText(g_Sel), shellSel);
    EXPECT_EQ(Differ_MouseText(g_Mouse), shellMouse);
    EXPECT_EQ(Differ_Model3Text(other), wantModel);
    EXPECT_EQ(Differ_SelText(own.sel), wantSel);
    EXPECT_EQ(Differ_MouseText(mouse), wantMouse);
    EXPECT_EQ(EditorState(HANDED_SLOT), wantEditor);
  }
}

}  // namespace
