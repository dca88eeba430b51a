// The 3D model editor's mouse and key hooks act on the records their context hands them: each
// hook of the table runs once on the shell's model, selection, mouse record and active view,
// and once, from the same start, on copies handed in the context. The second run leaves the
// shell's records as they were, and the copies end as the shell's records ended in the first.
#include "tests/support/hook_differ.h"
#include <gtest/gtest.h>
#include <string>

#include "app/current.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "app/vkeys.h"
#include "draw_fakedev.h"
#include "edit3d/bone.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_bone.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_rows.h"
#include "edit3d/ed3d_tex.h"
#include "edit3d/objmotion.h"
#include "edit3d/undo.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "model/bone2.h"
#include "model/model3.h"
#include "model/str.h"
#include "resources/edit3d_motion_ids.h"
#include "shell_fixture.h"
#include "test_models.h"
#include "widget_fake.h"

namespace {

const u32 kCopySlot = 7;

// Both runs start from the same model: a quad (group 0, mapped from the front) and a
// triangle (group 1), three bones.
void Fill(Model3 *m) {
  const Vec3 pos[5] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}};
  m->positionCount = 5;
  for (i32 i = 0; i < 5; i++) m->positions[i] = pos[i];
  Model3_FreshBindings(m, 0, 5);
  m->polygonCount = 2;
  m->polygons[0] = Polygon3{};
  m->polygons[0].cornerCount = 4;
  for (u32 k = 0; k < 4; k++) m->polygons[0].corners[k].vertex = k;
  m->polygons[1] = Polygon3{};
  m->polygons[1].cornerCount = 3;
  m->polygons[1].group = 1;
  m->polygons[1].corners[0].vertex = 1;
  m->polygons[1].corners[1].vertex = 4;
  m->polygons[1].corners[2].vertex = 2;
  m->groupCount = 2;
  for (i32 g = 0; g < 2; g++) {
    m->groups[g].mapping = 0;
    m->groups[g].scaleU = m->groups[g].scaleV = 1;
    m->groups[g].offsetU = m->groups[g].offsetV = 0;
  }
  m->boneCount = 3;
  m->bones[1].parent = 0;
  m->bones[2].parent = 1;
  const f32 rest[3][3] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}};
  for (i32 b = 0; b < 3; b++)
    for (i32 k = 0; k < 3; k++) m->boneRest[b].pos[k] = rest[b][k];
  m->changed = 0;
}

// What a case sets in the records before its hook runs (applied to the shell's records and,
// for the second run, taken over by the copies).
typedef void Arrange(Model3 *m, ShellSelection *sel, ShellMouse *mouse);

struct Case {
  const char *name;
  u32 subMode;
  FamilyHook hook;
  u32 activeView;     // 0 the perspective view, 1 the Front view
  u32 buttons;        // bit per button held (BUTTON_LEFT ...)
  i32 x, y;
  u32 key;
  Arrange *arrange;
};

void FaceZero(Model3 *, ShellSelection *sel, ShellMouse *) { sel->g_PolySelFaces[0] = 1; }
void FaceModeFlags(Model3 *, ShellSelection *sel, ShellMouse *mouse) {
  sel->g_PolySelectMode = 1;
  sel->g_PolySelFaces[1] = 1;
  sel->g_PolySelVerts[4] = 1;
  mouse->g_PolyDragAnchor = mouse->g_PolyDragAnchor2 = {5, 5};
}
void MergeVertexPair(Model3 *, ShellSelection *sel, ShellMouse *) {
  sel->g_PolySelectMode = 0;
  sel->g_PolySelVerts[1] = sel->g_PolySelVerts[2] = 1;
}
void MoveToolFaceMode(Model3 *m, ShellSelection *sel, ShellMouse *mouse) {
  FaceModeFlags(m, sel, mouse);
  sel->g_PolyTool = POLY_TOOL_MOVE;
}
void FreeOnePoint(Model3 *, ShellSelection *sel, ShellMouse *) {
  sel->g_PolyTool = POLY_TOOL_FREE;
  sel->g_FreeCreateCount = 1;
  sel->g_FreeCreatePoints[0][0] = -1;
  sel->g_FreeCreatePoints[0][1] = 2;
}
void FreeTwoPoints(Model3 *m, ShellSelection *sel, ShellMouse *mouse) {
  FreeOnePoint(m, sel, mouse);
  sel->g_FreeCreateCount = 2;
  sel->g_FreeCreatePoints[1][0] = 3;
  sel->g_FreeCreatePoints[1][1] = 3;
}
void ClickVertexMode(Model3 *, ShellSelection *sel, ShellMouse *mouse) {
  sel->g_PolySelectMode = 0;
  sel->g_PolyTool = POLY_TOOL_VERTEX;
  sel->g_PolySelVerts[3] = 1;
  mouse->g_PolyDragAnchor = {330, 230};
  mouse->g_MouseX = 330;
  mouse->g_MouseY = 230;
}
void DragMoveVertices(Model3 *, ShellSelection *sel, ShellMouse *mouse) {
  sel->g_PolyTool = POLY_TOOL_MOVE;
  sel->g_PolySelVerts[1] = sel->g_PolySelVerts[2] = 1;
  mouse->g_PolyDragAnchor = mouse->g_PolyDragAnchor2 = {100, 100};
}
void BoneOne(Model3 *, ShellSelection *sel, ShellMouse *mouse) {
  sel->g_CurBoneIndex = 1;
  sel->g_MotionEditOp = 2;
  mouse->g_PolyDragAnchor = mouse->g_PolyDragAnchor2 = {100, 100};
  mouse->g_ObjMotionDragAnchor = {100, 100};
  mouse->g_MouseX = 140;
  mouse->g_MouseY = 100;
}
void GroupZero(Model3 *, ShellSelection *sel, ShellMouse *) { sel->g_CurGroupIndex = 0; }

const u32 L = 1u << BUTTON_LEFT, R = 1u << BUTTON_RIGHT;

const Case kCases[] = {
    {"poly S selects all", SUB_3D_POLY, Ed3D_PolyKeyUp, 1, 0, 0, 0, 'S', FaceZero},
    {"poly E to vertex mode", SUB_3D_POLY, Ed3D_PolyKeyUp, 1, 0, 0, 0, 'E', FaceModeFlags},
    {"poly T on the move tool", SUB_3D_POLY, Ed3D_PolyKeyUp, 1, 0, 0, 0, 'T', MoveToolFaceMode},
    {"poly A toggles the pick", SUB_3D_POLY, Ed3D_PolyKeyUp, 1, 0, 0, 0, 'A', FaceZero},
    {"poly D deletes faces", SUB_3D_POLY, Ed3D_PolyKeyUp, 1, 0, 0, 0, 'D', FaceModeFlags},
    {"poly M merges vertices", SUB_3D_POLY, Ed3D_PolyKeyUp, 1, 0, 0, 0, 'M', MergeVertexPair},
    {"poly left arrow pans", SUB_3D_POLY, Ed3D_PolyKeyUp, 1, 0, 0, 0, VKEY_LEFT, FaceZero},
    {"poly release adds a free point", SUB_3D_POLY, Ed3D_PolyLButtonUp, 1, 0, 120, 80, 0, FreeOnePoint},
    {"poly free creation", SUB_3D_POLY, Ed3D_PolyFreeCreate, 1, 0, 140, 60, 0, FreeTwoPoints},
    {"poly right click picks", SUB_3D_POLY, Ed3D_PolyRButtonUp, 0, 0, 330, 230, 0, ClickVertexMode},
    {"poly move drag", SUB_3D_POLY, Ed3D_PolyMouseMove, 1, L, 108, 96, 0, DragMoveVertices},
    {"bone drag", SUB_3D_BONE, Ed3D_BoneMouseMove, 1, L, 120, 90, 0, BoneOne},
    {"bone release", SUB_3D_BONE, Ed3D_BoneLButtonUp, 1, 0, 120, 90, 0, BoneOne},
    {"bone right-held pick", SUB_3D_BONE, Ed3D_BoneUpdate, 1, R, 140, 100, 0, BoneOne},
    {"bone up arrow pans", SUB_3D_BONE, Ed3D_BoneKeyUp, 1, 0, 0, 0, VKEY_UP, BoneOne},
    {"weight right click picks", SUB_3D_WEIGHT, Ed3D_WeightRButtonUp, 1, 0, 140, 100, 0, BoneOne},
    {"weight box drag", SUB_3D_WEIGHT, Ed3D_WeightMouseMove, 1, L, 130, 70, 0, BoneOne},
    {"weight update", SUB_3D_WEIGHT, Ed3D_WeightUpdate, 1, 0, 0, 0, 0, BoneOne},
    {"weight right arrow pans", SUB_3D_WEIGHT, Ed3D_WeightKeyDown, 1, 0, 0, 0, VKEY_RIGHT, BoneOne},
    {"texture T by hand", SUB_3D_TEXTURE, Ed3D_TexKeyUp, 1, 0, 0, 0, 'T', GroupZero},
    {"texture planar drag", SUB_3D_TEXTURE, Ed3D_TexMouseMove, 0, L, 40, 30, 0, GroupZero},
};

struct HookDifferTest : ::testing::Test {
  Ed3DPolyEditorState poly0;
  Ed3DTexEditor tex0;
  Ed3DBoneEditorState bone0;
  void SetUp() override {
    poly0 = Ed3DPolyEditor;
    tex0 = g_Ed3DTex;
    bone0 = Ed3DBoneEditor;
  }
  void TearDown() override {
    Model3_FreeAllSlots();
    WidgetFake_Remove();
    FakeDev_Remove();
    for (u32 b = 0; b < 3; b++) Shell_SetButtonHeld(b, 0);
  }
  // The shell as each run finds it; returns the shell's model.
  Model3 *Start(const Case &t) {
    Model3_FreeAllSlots();
    Shell_ResetForTest();
    FakeDev_Install();
    WidgetFake_Install();
    Ed3DPolyEditor = poly0;
    g_Ed3DTex = tex0;
    Ed3DBoneEditor = bone0;
    Differ_SetShellSel(ShellSelection{});
    Model3 *m = TestModel_Slot3D(t.subMode);
    if (!m) return nullptr;
    App_AllocWorkArrays(&g_Sel);
    App_ClearSelectionFlags(App_WorkVertCount(), App_WorkFaceCount());
    g_Mouse = ShellMouse{};
    g_Shell.g_ViewCount[t.subMode] = 2;
    ViewRecord *v = g_Shell.g_Views[t.subMode];
    v[0] = ViewRecord{};
    v[0].inUse = 1; v[0].kind = VIEW_MAIN; v[0].clientW = 640; v[0].clientH = 480; v[0].zoom = 1;
    v[1] = ViewRecord{};
    v[1].inUse = 1; v[1].kind = VIEW_FRONT; v[1].centerX = 100; v[1].centerY = 100; v[1].zoom = 1;
    g_Shell.g_ActiveView = t.activeView;
    for (u32 b = 0; b < 3; b++) Shell_SetButtonHeld(b, (t.buttons >> b) & 1u);
    Undo_ResetAll();
    Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "記録開始");
    Undo_Push(Undo_Current());
    Fill(m);
    t.arrange(m, &g_Sel, &g_Mouse);
    return m;
  }
  ViewRecord *Active(const Case &t) { return &g_Shell.g_Views[t.subMode][t.activeView]; }
};

// The records a context hands a hook, pictured.
std::string Records(const Model3 *m, const ShellSelection &sel, const ShellMouse &mouse, const ViewRecord &view) {
  return Differ_Model3Text(m) + Differ_SelText(sel) + Differ_MouseText(mouse) + Differ_ViewText(view);
}

TEST_F(HookDifferTest, HooksActOnTheHandedRecordsOnly) {
  for (const Case &t : kCases) {
    SCOPED_TRACE(t.name);
    // The shell's records.
    Model3 *m = Start(t);
    ASSERT_NE(m, nullptr);
    HookCtx a = Family_Context(t.x, t.y);
    a.key = t.key;
    const std::string start = Records(m, g_Sel, g_Mouse, *Active(t));
    t.hook(&a);
    const std::string want = Records(m, g_Sel, g_Mouse, *Active(t));
    EXPECT_NE(start, want) << "the hook changes none of the records";

    // Copies of the same start handed in the context.
    m = Start(t);
    ASSERT_NE(m, nullptr);
    g_ModelAllocArrays = 1;
    Model3 *other = Model3_Init((i32)kCopySlot);
    ASSERT_NE(other, nullptr);
    Fill(other);
    Differ_SelCopy own(g_Sel);
    ShellMouse mouse = g_Mouse;
    t.arrange(other, &own.sel, &mouse);
    ViewRecord view = *Active(t);
    HookCtx b = Family_Context(t.x, t.y);
    b.key = t.key;
    b.model = other;
    b.slot = kCopySlot;
    b.sel = &own.sel;
    b.mouse = &mouse;
    b.view = &view;
    const std::string shellBefore = Records(m, g_Sel, g_Mouse, *Active(t));
    t.hook(&b);
    EXPECT_EQ(Records(m, g_Sel, g_Mouse, *Active(t)), shellBefore) << "the shell's records";
    EXPECT_EQ(Records(other, own.sel, mouse, view), want) << "the handed copies";
  }
}

// [SECTION] every cell of the rows
// Each cell of the family row and of the six sub-mode rows runs twice from the same start: on
// the shell's records, and on copies handed in its context while the shell holds a decoy
// that differs in every record the context carries (layout, active view, mouse position,
// camera angles, layer and its model, each selection field and flag, each mouse field). What
// the hook leaves in the handed records, the layer's undo history and the drawing device must
// be the same both times.

// Enough in every record for the cells to act: faces and vertices selected, bone 1 and group 0
// current, a free-creation point placed, the anchors apart from the position.
void RowState(Model3 *, ShellSelection *sel, ShellMouse *mouse) {
  sel->g_PolySelectMode = 1;
  sel->g_PolyTool = POLY_TOOL_FACE;
  sel->g_PolySelFaces[0] = 1;
  sel->g_PolySelVerts[1] = sel->g_PolySelVerts[4] = 1;
  sel->g_CurBoneIndex = 1;
  sel->g_CurGroupIndex = 0;
  sel->g_MotionEditOp = 1;
  sel->g_PolyNoAutoPick = 0;
  sel->g_PolyShowNormals = 1;
  sel->g_FreeCreateCount = 1;
  sel->g_FreeCreatePoints[0][0] = -1;
  sel->g_FreeCreatePoints[0][1] = 2;
  mouse->g_MouseX = 120;
  mouse->g_MouseY = 90;
  mouse->g_PolyDragAnchor = mouse->g_PolyDragAnchor2 = {100, 100};
  mouse->g_MotionDragAnchor = mouse->g_ObjMotionDragAnchor = {100, 100};
  mouse->g_DragAnchorX = mouse->g_DragAnchorY = 100;
}

// The shell's records made to differ from the context's in every field: its selection (every
// number and every flag flipped), its mouse record, its layout, active view, camera angles and
// layer (whose model is moved off the handed one's shape), its 2D model and the view it draws.
void RowDecoy(u32 subMode, u32 drawView) {
  ShellSelection &s = g_Sel;
  s.g_CurSlot = 0;
  s.g_Cur2DSlot ^= 1;
  s.g_CurBoneIndex = 2;
  s.g_PrevBone += 3;
  s.g_BoneListDirty ^= 1;
  s.g_CurPartIndex += 1;
  s.g_CurGroupIndex = 1;
  s.g_SelectedBone += 2;
  s.g_PickedVertex += 2;
  s.g_PickedPolygon += 2;
  s.g_PolySelectMode ^= 1;
  s.g_PolyTool = POLY_TOOL_ROTATE;
  s.g_MotionEditOp = 2;
  s.g_GizmoAxis = (s.g_GizmoAxis + 1) % 3;
  s.g_PolyNoAutoPick ^= 1;
  s.g_PolyShowNormals ^= 1;
  s.g_FreeCreateCount = 2;
  for (auto &p : s.g_FreeCreatePoints)
    for (f32 &v : p) v += 1.5f;
  s.g_PolyFaceNo += 1;
  s.g_PolyVertexNo += 1;
  for (u32 i = 0; i < App_WorkVertCount(); i++) s.g_PolySelVerts[i] ^= 1;
  for (u32 i = 0; i < App_WorkFaceCount(); i++) s.g_PolySelFaces[i] ^= 1;
  for (u32 i = 0; i < 3 * App_WorkVertCount(); i++) s.g_PolyScreenPos[i] += 7.0f;
  ShellMouse &m = g_Mouse;
  m.g_MouseX += 50, m.g_MouseY += 30;
  m.g_MouseMoveX += 4, m.g_MouseMoveY -= 3;
  m.g_MousePrevX += 6, m.g_MousePrevY += 2;
  m.g_MouseMoveDX += 3, m.g_MouseMoveDY -= 2;
  m.g_NavMoveDX += 5, m.g_NavMoveDY += 4;
  m.g_RightButtonFlag ^= 1;
  m.g_ZKeyHeld ^= 1;
  m.g_MotionDragAnchor.x += 40, m.g_MotionDragAnchor.y -= 20;
  m.g_ObjMotionDragAnchor.x += 40, m.g_ObjMotionDragAnchor.y -= 20;
  m.g_PolyDragAnchor.x += 40, m.g_PolyDragAnchor.y -= 20;
  m.g_PolyDragAnchor2.x += 40, m.g_PolyDragAnchor2.y -= 20;
  m.g_DragAnchorX += 40, m.g_DragAnchorY -= 20;
  g_Shell.g_PerspAngleX += 15.0f, g_Shell.g_PerspAngleY -= 10.0f;
  g_Shell.g_ActiveView ^= 1;
  g_Shell.g_EditSubMode = subMode == SUB_3D_POLY ? SUB_3D_BONE : SUB_3D_POLY;
  if (Model3 *shell = Current_Model3()) shell->positions[2] = {3, 3, 1};
  g_Shell.g_DrawView = drawView ^ 1;
  static Bone2Model *decoy2 = Bone2_New();
  g_Bone2Slots[0] = decoy2;
}

// The history of one layer: its index, top and labels.
std::string HistoryText(u32 slot) {
  const UndoHistory *h = Undo_Of(slot);
  if (!h) return "none\n";
  std::string t = "undo " + std::to_string(h->index) + " " + std::to_string(h->top) + "\n";
  for (i32 i = 0; i <= h->top && i < UNDO_STEPS; i++) t += std::string(h->steps[i].label) + "\n";
  return t;
}

// What reached the drawing device: each draw's kind, count and vertex bytes, and the texts.
std::string DrawsText(void) {
  if (!g_Fake) return "";
  std::string t;
  for (const FakeDraw &d : g_Fake->draws)
    t += "draw " + std::to_string(d.primType) + " " + std::to_string(d.primCount) + " " +
         std::to_string(std::hash<std::string>()(std::string(d.bytes.begin(), d.bytes.end()))) + "\n";
  for (const FakeText &x : g_Fake->texts) t += "text " + x.text + " " + std::to_string(x.left) + "," + std::to_string(x.top) + "\n";
  return t;
}

// The views of the layout but the context's own.
std::string OtherViewsText(const HookCtx &c) {
  std::string t;
  for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++)
    if (i != c.viewIndex) t += Differ_ViewText(*View_Get(c.layout, i)) + "|\n";
  return t;
}

// Everything a cell may change: the handed records, the other views of the layout, the layer's
// history and the drawing.
std::string RowPicture(const HookCtx &c) {
  return Records(c.model, *c.sel, *c.mouse, *c.view) + OtherViewsText(c) + HistoryText(c.slot) + DrawsText();
}

// The shell's records as the decoy left them: its selection, its mouse record and its layer's
// model as a document (the bones' evaluated pose left out: the scene's frame update poses
// every layer).
std::string ShellRecords(const Model3 *m) {
  std::string t, line;
  for (char ch : Differ_Model3Text(m)) {
    line += ch;
    if (ch != '\n') continue;
    bool pose = line.rfind("model.bone[", 0) == 0 && line.find(".track[") == std::string::npos &&
                (line.find("].local") != std::string::npos || line.find("].quat") != std::string::npos ||
                 line.find("].scale") != std::string::npos);
    if (!pose) t += line;
    line.clear();
  }
  return t + Differ_SelText(g_Sel) + Differ_MouseText(g_Mouse);
}

struct Cell;
bool BuildsHierarchyRows(const Cell &k, u32 subMode);

// The hierarchy rows of the bone tree are built by the shell (app/tree.cpp) from its current
// model, whose bones' expanded flags the build sets: for the cells that build them, those
// flags are left out of the picture.
std::string TreeBuilt(const Cell &k, u32 subMode, const std::string &picture) {
  if (!BuildsHierarchyRows(k, subMode)) return picture;
  std::string t, line;
  for (char ch : picture) {
    line += ch;
    if (ch != '\n') continue;
    if (line.find(".expanded=") == std::string::npos) t += line;
    line.clear();
  }
  return t + line;
}

struct Cell {
  const char *name;
  FamilyHook FamilyHooks::*cell;
  bool draw;        // a draw hook: run for the main and the Front view
  u32 buttons;
  u32 key, command;
  i32 step;
};

const Cell kCells[] = {
    {"enter", &FamilyHooks::enter, false, 0, 0, 0, 0},
    {"leave", &FamilyHooks::leave, false, 0, 0, 0, 0},
    {"update", &FamilyHooks::update, false, R, 0, 0, 0},
    {"drawScene", &FamilyHooks::drawScene, true, 0, 0, 0, 0},
    {"drawOverlay", &FamilyHooks::drawOverlay, true, L, 0, 0, 0},
    {"lButtonDown", &FamilyHooks::lButtonDown, false, L, 0, 0, 0},
    {"lButtonUp", &FamilyHooks::lButtonUp, false, 0, 0, 0, 0},
    {"mButtonDown", &FamilyHooks::mButtonDown, false, 1u << BUTTON_MIDDLE, 0, 0, 0},
    {"mButtonUp", &FamilyHooks::mButtonUp, false, 0, 0, 0, 0},
    {"rButtonDown", &FamilyHooks::rButtonDown, false, R, 0, 0, 0},
    {"rButtonUp", &FamilyHooks::rButtonUp, false, 0, 0, 0, 0},
    {"mouseMove", &FamilyHooks::mouseMove, false, L, 0, 0, 0},
    {"keyDown", &FamilyHooks::keyDown, false, 0, VKEY_RIGHT, 0, 0},
    {"keyUp S", &FamilyHooks::keyUp, false, 0, 'S', 0, 0},
    {"keyUp left", &FamilyHooks::keyUp, false, 0, VKEY_LEFT, 0, 0},
    {"keyUp T", &FamilyHooks::keyUp, false, 0, 'T', 0, 0},
    {"keyUp A", &FamilyHooks::keyUp, false, 0, 'A', 0, 0},
    {"keyUp D", &FamilyHooks::keyUp, false, 0, 'D', 0, 0},
    {"loopKeyUp", &FamilyHooks::loopKeyUp, false, 0, 'S', 0, 0},
    {"command", &FamilyHooks::command, false, 0, 0, IDM_MOT_FREEZE, 0},
    {"wheelKey", &FamilyHooks::wheelKey, false, 0, 0, 0, 1},
    {"doubleClick", &FamilyHooks::doubleClick, false, 0, 0, 0, 0},
    {"refreshLists", &FamilyHooks::refreshLists, false, 0, 0, 0, 0},
    {"hoverPick", &FamilyHooks::hoverPick, false, 0, 0, 0, 0},
    {"documentChanged", &FamilyHooks::documentChanged, false, 0, 0, 0, 0},
};

bool BuildsHierarchyRows(const Cell &k, u32 subMode) {
  return k.cell == &FamilyHooks::refreshLists || (k.cell == &FamilyHooks::enter && subMode == SUB_3D_MOTION) ||
         (k.cell == &FamilyHooks::keyUp && k.key == 'A' && subMode == SUB_3D_BONE);   // a bone added
}

const u32 kSubModes[] = {SUB_3D_OBJMOTION, SUB_3D_POLY, SUB_3D_TEXTURE, SUB_3D_BONE, SUB_3D_WEIGHT, SUB_3D_MOTION};

struct RowsDifferTest : HookDifferTest {
  void SetUp() override {
    HookDifferTest::SetUp();
    Edit3D_Install();
  }
  // Start, keeping the texture editor's coordinate flags (grown once, kept across runs).
  Model3 *StartRow(const Case &t) {
    u32 *uvSel = g_Ed3DTex.uvSel;
    u32 uvRoom = g_Ed3DTex.uvSelRoom;
    Model3 *m = Start(t);
    g_Ed3DTex.uvSel = uvSel;
    g_Ed3DTex.uvSelRoom = uvRoom;
    return m;
  }
  // The context of the cell as the dispatchers build it from the shell's records.
  static HookCtx ContextOf(const Cell &k, u32 drawView) {
    HookCtx c = k.draw ? Family_DrawContext(drawView) : Family_Context(120, 90);
    if (!k.draw) c.x = 120, c.y = 90;
    c.key = k.key;
    c.command = k.command;
    c.step = k.step;
    return c;
  }
};

TEST_F(RowsDifferTest, EveryCellActsOnItsContextWhateverTheShellHolds) {
  u32 run = 0;
  for (u32 subMode : kSubModes) {
    const FamilyHooks rows[2] = {g_FamilyHooks[FAMILY_3D_MODEL], g_Ed3DSubModeRows[subMode - ED3D_FIRST_SUB_MODE]};
    for (u32 r = 0; r < 2; r++)
      for (const Cell &k : kCells) {
        FamilyHook hook = rows[r].*k.cell;
        if (!hook) continue;
        for (u32 drawView = 0; drawView < (k.draw ? 2u : 1u); drawView++) {
          const std::string name = std::to_string(subMode) + (r ? " sub-mode row " : " family row ") + k.name +
                                   (k.draw ? " view " + std::to_string(drawView) : "");
          SCOPED_TRACE(name);
          const Case t = {name.c_str(), subMode, hook, 1, k.buttons, 120, 90, k.key, RowState};
          // The shell's records.
          Model3 *m = StartRow(t);
          ASSERT_NE(m, nullptr);
          g_Shell.g_DrawView = drawView;
          HookCtx a = ContextOf(k, drawView);
          if (k.draw) FakeDev_Install();
          hook(&a);
          const std::string want = RowPicture(a);

          // The same start on copies handed in the context; the shell's records then the decoy.
          m = StartRow(t);
          ASSERT_NE(m, nullptr);
          g_ModelAllocArrays = 1;
          Model3 *other = Model3_Init((i32)kCopySlot);
          ASSERT_NE(other, nullptr);
          Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "記録開始");
          Undo_PushSlot(kCopySlot);
          Fill(other);
          Differ_SelCopy own(g_Sel);
          ShellMouse mouse = g_Mouse;
          HookCtx b = ContextOf(k, drawView);
          ViewRecord view = *b.view;
          b.model = other;
          b.slot = kCopySlot;
          b.sel = &own.sel;
          b.mouse = &mouse;
          b.view = &view;
          g_Shell.g_DrawView = drawView;
          Bone2Model *model2 = g_Bone2Slots[0];
          RowDecoy(subMode, drawView);
          const std::string shell = ShellRecords(m);
          if (k.draw) FakeDev_Install();
          hook(&b);
          g_Bone2Slots[0] = model2;
          EXPECT_EQ(TreeBuilt(k, subMode, RowPicture(b)), TreeBuilt(k, subMode, want));
          EXPECT_EQ(TreeBuilt(k, subMode, ShellRecords(m)), TreeBuilt(k, subMode, shell)) << "the shell's records";
          run++;
        }
      }
  }
  EXPECT_GT(run, 90u);   // every cell of the seven rows ran
}

}  // namespace
