// Every edit of the 3D model editor is one undo step that gives the edit back: for each
// edit, through the handler its panel, key or mouse calls, one step under its label is
// recorded (and the edited flag cleared), the saved document changed, an undo brings back the
// bytes of a save from before it and a redo those from after it. An undo keeps the file the
// layer was last saved to; U and I leave layer 0 alone where an object set is shown.
#include "tests/support/hook_at.h"
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "app/current.h"
#include "app/docflags.h"
#include "app/entries.h"
#include "app/filemenu.h"
#include "app/shell_services.h"
#include "app/update.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/tree.h"
#include "capacity_guard.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_bone.h"
#include "edit3d/ed3d_group_dlg.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_poly_dlg.h"
#include "edit3d/ed3d_rows.h"
#include "edit3d/ed3d_tex.h"
#include "edit3d/keystrip.h"
#include "edit3d/undo.h"
#include "edit3d/uv.h"
#include "lib/media/dialogs.h"
#include "model/formats/kzm.h"
#include "model/seam.h"
#include "model/str.h"
#include "motion_reset.h"
#include "resources/edit3d_ids.h"
#include "resources/edit3d_motion_ids.h"
#include "resources/edit3d_tex_ids.h"
#include "resources/shell_ids.h"
#include "shell_fixture.h"
#include "test_models.h"

namespace {

std::vector<std::string> g_boxes;
std::string g_answer;   // the file dialog's answer
std::string g_wav;      // a sound file the loader takes

bool Answer(FileDlgRequest *req) {
  Str_Copy(req->file, FILEDLG_TEXT, g_answer.c_str());
  Str_Copy(req->fileTitle, FILEDLG_TEXT, g_answer.c_str());
  return !g_answer.empty();
}

Model3 *M() { return g_Model3Slots[0]; }

// What a save keeps (the KZP and KZM files) and the two words the editors keep beside them
// (the key sounds and the model colour).
std::vector<u8> Saved() {
  std::vector<u8> bytes = TestModel_KzpBytes(M());
  ByteWriter w = {};
  EXPECT_TRUE(Kzm_Encode(M(), &w));
  std::vector<u8> kzm = TakeWriterBytes(&w);
  bytes.insert(bytes.end(), kzm.begin(), kzm.end());
  const u8 *k = (const u8 *)M()->keySounds, *c = (const u8 *)M()->color;
  bytes.insert(bytes.end(), k, k + sizeof M()->keySounds);
  bytes.insert(bytes.end(), c, c + sizeof M()->color);
  return bytes;
}

std::string TempFile(const char *name, const std::vector<u8> &bytes) {
  std::string path = ::testing::TempDir() + name;
  FILE *f = fopen(path.c_str(), "wb");
  if (f) {
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
  }
  return path;
}

struct Edit {
  const char *what;
  u32 subMode;
  const char *label;                  // the step's label
  std::function<void()> prepare;      // before the document is taken (may be empty)
  std::function<void()> edit;
};

struct UndoEditsTest : ::testing::Test {
  CapacityGuard capacity;
  std::string kzm;
  char cwd[1024] = {};   // the file dialog enters the folder of the file chosen
  void SetUp() override {
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    g_MaxPolygons = 64;
    g_MaxVertices = 256;
    g_wav = TempFile("undo_edits.wav", {'R', 'I', 'F', 'F'});
    // A KZM file with another motion list and sound list than the model's.
    Build();
    M()->motions[0].length = 90;
    Str_Copy(M()->sounds[1], MODEL3_NAME, "other.wav");
    M()->kzmWords[1] = 7;
    ByteWriter w = {};
    EXPECT_TRUE(Kzm_Encode(M(), &w));
    kzm = TempFile("undo_edits.kzm", TakeWriterBytes(&w));
  }
  void TearDown() override {
    Model3_FreeAllSlots();
    g_Ed3D.bonePanel = g_Ed3D.boneList = g_Ed3D.parentCombo = nullptr;
    free(g_Ed3DTex.uvSel);
    g_Ed3DTex = Ed3DTexEditor{};
    g_Ed3DMotionPanels = Ed3DMotionPanels{};
    g_Seam.errorBox = nullptr;
    g_LibHooks.fileDlg.run = nullptr;
    WidgetFake_Remove();
    remove(g_wav.c_str());
    remove(kzm.c_str());
    EXPECT_EQ(chdir(cwd), 0);
  }

  // Layer 0 in sub-mode `sub`: a quad of group 0 and a triangle of group 1 mapped by hand,
  // one texture, three bones with keys on bone 1 in two motions, a group key, two sounds.
  void Build(u32 sub = SUB_3D_POLY) {
    Shell_ResetForTest();
    Edit3D_Install();
    MotionReset_3D([](const char *t) { g_boxes.push_back(t); }, 0);
    WidgetFake_Install();
    Undo_Install();
    g_LibHooks.fileDlg.run = Answer;
    g_Shell.g_EditSubMode = sub;
    Model3 *m = TestModel_Slot3D(sub);
    ASSERT_NE(m, nullptr);
    const Vec3 p[7] = {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}, {1, 1, -2}, {3, 1, -2}, {2, 3, -1}};
    for (i32 i = 0; i < 7; i++) {
      m->positions[i] = p[i];
      m->normals[i] = {0, 0, 1};
      m->uvs[i] = {0.1f * (f32)i, 0.05f * (f32)i};
      m->bindings[i] = {1, 0, 1.0f, 0};
    }
    m->positionCount = m->normalCount = m->uvCount = 7;
    m->colors[0] = {200, 200, 200, 255};
    m->colorCount = 1;
    for (i32 f = 0; f < 2; f++) {
      Polygon3 &q = m->polygons[f];
      q.cornerCount = f == 0 ? 4 : 3;
      q.group = (u32)f;
      for (i32 k = 0; k < q.cornerCount; k++) {
        u32 v = (u32)(f == 0 ? k : 4 + k);
        q.corners[k] = {v, v, 0, v};
      }
    }
    m->polygonCount = 2;
    m->groupCount = 2;
    for (Group3 &g : m->groups) g.mapping = UV_MAP_BY_HAND;
    m->textureCount = 2;
    m->textures[1].used = 1;
    Model3_SetText(&m->textures[1].name, "a.png");
    m->boneCount = 3;
    for (i32 b = 0; b < 3; b++) {
      m->bones[b].parent = b > 0 ? b - 1 : 0;
      Str_Format(m->bones[b].name, MODEL3_NAME, "b%d", (int)b);
      m->boneRest[b].pos[1] = b ? 1.0f : 0.0f;
      ASSERT_TRUE(Model3_EnsureKeyTable(m, b));
    }
    m->motionCount = 2;
    m->keyTableLength = 2;
    for (i32 i = 0; i < 2; i++) {
      m->motions[i].used = 1;
      m->motions[i].length = 60;
      Str_Format(m->motions[i].name, MODEL3_NAME, "m%d", (int)i);
    }
    for (i32 f : {0, 10}) {
      BoneKey3 k;
      BoneKey3_Identity(&k, f);
      KeyTrack_Insert(&m->bones[1].keys[0], &k);
    }
    GroupKeyList3 *l = Model3_EnsureGroupKeys(m, 0, 0);
    ASSERT_NE(l, nullptr);
    l->count = 1;
    l->keys[0].frame = 0;
    m->soundCount = 2;
    Str_Copy(m->sounds[0], MODEL3_NAME, "なし");
    Str_Copy(m->sounds[1], MODEL3_NAME, "s.wav");
    Model3_SetText(&m->fileName, "0.KZP");
    Tree_LinkBones3D();
    Tree_BuildRowsBones3D();
    App_AllocWorkArrays(&g_Sel);
    for (i32 f = 0; f < 2; f++) g_Sel.g_PolySelFaces[f] = 1;
    for (i32 v = 0; v < 7; v++) g_Sel.g_PolySelVerts[v] = 1;
    g_Sel.g_CurGroupIndex = 0;
    g_Sel.g_CurBoneIndex = 1;
    // One view of each kind the mouse edits use.
    g_Shell.g_ViewCount[sub] = 2;
    ViewRecord *v = g_Shell.g_Views[sub];
    v[0] = ViewRecord{};
    v[0].inUse = 1, v[0].kind = VIEW_MAIN, v[0].zoom = 1;
    v[1] = ViewRecord{};
    v[1].inUse = 1, v[1].kind = VIEW_FRONT, v[1].centerX = 100, v[1].centerY = 100, v[1].zoom = 1;
    g_Shell.g_ActiveView = 0;
    // The panels the handlers read their fields from.
    g_Ed3D.bonePanel = (void *)1;
    g_Ed3D.boneList = (void *)2;
    g_Ed3D.parentCombo = (void *)3;
    g_Ed3DMotionPanels = Ed3DMotionPanels{};
    g_Ed3DMotionStrip = Ed3DStripMouse{};
    Strip_ResetGeometry();
    free(g_Ed3DTex.uvSel);
    g_Ed3DTex = Ed3DTexEditor{TEX_TOOL_SELECT, TEX_TOOL_MOVE, 0, 0, 0, 0, -1, 0, 0, 0, 1.0f, 8, 0};
    g_boxes.clear();
    RecordStart();
  }
  // The layer's history from its first step, the model as it is now.
  static void RecordStart() {
    Undo_ResetAll();
    Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "記録開始");
    Undo_Push(Undo_Current());
    Doc_ClearChanged(DOC_MODEL3);
  }

  static void Texts(void *panel, std::vector<std::pair<u32, const char *>> texts) {
    for (const auto &t : texts) WidgetFake_SetText(panel, t.first, t.second);
  }
  static void Fields(const char *x, const char *y, const char *z) {
    char f[ED3D_FIELDS][ED3D_FIELD_TEXT];
    const char *v[ED3D_FIELDS] = {x, y, z, "0", "0", "0", "1", "1", "1", "1"};
    for (i32 i = 0; i < ED3D_FIELDS; i++) Str_Copy(f[i], ED3D_FIELD_TEXT, v[i]);
    Ed3D_MotionDlgCommand(IDC_MOT_APPLY, -1, f);
  }
  static void Tex(u32 id, i32 focus = -1) { Ed3D_TexCommand(id, focus, nullptr); }
  static void Poly(u32 id) { Ed3D_PolyCommand(M(), &g_Sel, &g_Mouse, id); }
  // A drag through the shell's dispatchers, `first` pressed, then the other; the left released first.
  static void TwoButtonDrag(u32 first) {
    auto at = [](i32 x, i32 y) { return (i64)((u32)y << 16 | (u32)x); };
    (first == BUTTON_LEFT ? App_OnLButtonDown : App_OnRButtonDown)(at(50, 50)), Shell_SetButtonHeld(first, 1);
    App_OnMouseMove(at(60, 45));
    (first == BUTTON_LEFT ? App_OnRButtonDown : App_OnLButtonDown)(at(60, 45)), Shell_SetButtonHeld(BUTTON_LEFT + BUTTON_RIGHT - first, 1);
    App_OnMouseMove(at(70, 40));
    App_OnLButtonUp(at(70, 40)), Shell_SetButtonHeld(BUTTON_LEFT, 0), App_OnRButtonUp(at(70, 40)), Shell_SetButtonHeld(BUTTON_RIGHT, 0);
  }
  static void Planar() {
    M()->groups[0].mapping = UV_MAP_FRONT;
    Uv_ProjectGroup(M(), 0);
  }
};

TEST_F(UndoEditsTest, EveryEditIsOneStepThatUndoAndRedoGiveBack) {
  const Edit edits[] = {
      // [SECTION] bone and group motions (sub-mode 18)
      {"key fields 決定", SUB_3D_MOTION, "決定 ( モーション )", nullptr, [] { Fields("1.5", "2.5", "3.5"); }},
      {"group key texture 決定", SUB_3D_MOTION, "決定 ( モーション )",
       [] {
         g_Ed3DMotion.target = ED3D_MOTION_TARGET_GROUP;
       },
       [] { Ed3D_MotionDlgCommand(IDC_MOT_APPLY, 1, nullptr); }},
      {"strip double click", SUB_3D_MOTION, "キー 作成 ( モーション )", [] { M()->frame = 30; },
       [] { Ed3D_CreateKeyWithStep(Hook_Now()); }},
      {"press in a view makes a key", SUB_3D_MOTION, "キー 作成 ( モーション )", [] { M()->frame = 40; },
       [] {
         Ed3D_MotionLButtonDown(Hook_At(50, 50));
         Ed3D_MotionLButtonUp(Hook_At(50, 50));
       }},
      {"strip key drag", SUB_3D_MOTION, "キー 移動 ( モーション )", [] { M()->frame = 10; },
       [] {
         Ed3D_KeyStripMove(300, 100);
         KeyStrip_MiddleDown(&g_Ed3DMotionKeyStrip);
         Ed3D_KeyStripMove(320, 100);
         Ed3D_KeyStripMove(330, 100);
         KeyStrip_MiddleUp(&g_Ed3DMotionKeyStrip);
       }},
      {"key sound", SUB_3D_MOTION, "効果音 ( モーション )", [] { g_Ed3DMotion.keyIndex = 0; },
       [] { Ed3D_SetKeySound(1); }},
      {"効果音 追加", SUB_3D_MOTION, "効果音 追加 ( モーション )", nullptr, [] { Ed3D_AddMotionSound(g_wav.c_str()); }},
      {"motion list 決定", SUB_3D_MOTION, "決定 ( モーションリスト )", nullptr, [] { Ed3D_MotionListApply("歩く", "45"); }},
      {"motion list 追加", SUB_3D_MOTION, "追加 ( モーションリスト )", nullptr, [] { Ed3D_MotionListAdd("走る", "30"); }},
      // [SECTION] bones (sub-mode 16)
      {"bone list 決定", SUB_3D_BONE, "決定 ( ボーン )",
       [] {
         g_WidgetFake.caret[g_Ed3D.boneList] = 2;
         g_WidgetFake.selection[g_Ed3D.parentCombo] = 1;
         Texts(g_Ed3D.bonePanel, {{IDC_BONE_X, "1.5"}, {IDC_BONE_Y, "2.5"}, {IDC_BONE_Z, "3.5"}, {IDC_BONE_NAME, "腕"}});
       },
       [] { Ed3D_BoneListCommand(IDC_BONE_APPLY); }},
      {"bone list 色選択", SUB_3D_BONE, "カラー ( ボーン )",
       [] {
         g_WidgetFake.colourTaken = true;
         g_WidgetFake.colour[0] = 10, g_WidgetFake.colour[1] = 20, g_WidgetFake.colour[2] = 30;
       },
       [] { Ed3D_BoneListCommand(IDC_BONE_COLOR); }},
      // [SECTION] texture coordinates (sub-mode 15)
      {"正面", SUB_3D_TEXTURE, "正面 ( テクスチャ )", nullptr, [] { Tex(IDC_TEX_FRONT); }},
      {"上面", SUB_3D_TEXTURE, "上面 ( テクスチャ )", nullptr, [] { Tex(IDC_TEX_TOP); }},
      {"側面", SUB_3D_TEXTURE, "側面 ( テクスチャ )", nullptr, [] { Tex(IDC_TEX_SIDE); }},
      {"円柱", SUB_3D_TEXTURE, "円柱 ( テクスチャ )", nullptr, [] { Tex(IDC_TEX_CYLINDER); }},
      {"球体", SUB_3D_TEXTURE, "球体 ( テクスチャ )", nullptr, [] { Tex(IDC_TEX_SPHERE); }},
      {"各面単位", SUB_3D_TEXTURE, "各面単位 ( テクスチャ )", nullptr, [] { Tex(IDC_TEX_PER_FACE); }},
      {"ＵＶ編集", SUB_3D_TEXTURE, "ＵＶ編集 ( テクスチャ )", Planar, [] { Tex(IDC_TEX_BY_HAND); }},
      {"移動 tool leaves a projection", SUB_3D_TEXTURE, "ＵＶ編集 ( テクスチャ )", Planar, [] { Tex(IDC_TEX_MOVE); }},
      {"頂点展開", SUB_3D_TEXTURE, "頂点展開 ( テクスチャ )", nullptr, [] { Tex(IDC_TEX_VERTEX_UNFOLD); }},
      {"法線展開", SUB_3D_TEXTURE, "法線展開 ( テクスチャ )", nullptr, [] { Tex(IDC_TEX_NORMAL_UNFOLD); }},
      {"ＵＶ展開", SUB_3D_TEXTURE, "ＵＶ展開 ( テクスチャ )", nullptr, [] { Tex(IDC_TEX_UV_UNFOLD); }},
      {"追加", SUB_3D_TEXTURE, "追加 ( テクスチャ )", [] { g_answer = "b.png"; }, [] { Tex(IDC_TEX_ADD); }},
      {"入れ替え", SUB_3D_TEXTURE, "入れ替え ( テクスチャ )", [] { g_answer = "c.png"; }, [] { Tex(IDC_TEX_REPLACE, 1); }},
      {"消去", SUB_3D_TEXTURE, "消去 ( テクスチャ )", nullptr, [] { Tex(IDC_TEX_DELETE, 1); }},
      {"drag in the main view", SUB_3D_TEXTURE, "ＵＶ正面 ( テクスチャ )", Planar,
       [] {
         Shell_SetButtonHeld(BUTTON_LEFT, 1);
         Ed3D_TexMouseMove(Hook_At(50, 50));
         Ed3D_TexMouseMove(Hook_At(70, 40));
         Shell_SetButtonHeld(BUTTON_LEFT, 0);
         Ed3D_TexLButtonUp(Hook_At(70, 40));
       }},
      {"scale drag, left up first", SUB_3D_TEXTURE, "ＵＶ正面 ( テクスチャ )", Planar, [] { TwoButtonDrag(BUTTON_RIGHT); }},
      // [SECTION] modelling (sub-mode 14) and the group panel
      {"移動 drag, left up first", SUB_3D_POLY, "移動 ( モデリング )", [] { g_Sel.g_PolyTool = POLY_TOOL_MOVE; }, [] { TwoButtonDrag(BUTTON_LEFT); }},
      {"W row < changes nothing: no step", SUB_3D_MOTION, nullptr, nullptr, [] { Ed3D_MotionDlgCommand(IDC_MOT_TWIST_DOWN, -1, nullptr); }},
      {"ライト", SUB_3D_POLY, "ライトOFF ( モデリング )", nullptr, [] { Poly(IDC_POLY_LIGHT); }},
      {"頂点カラーモード", SUB_3D_POLY, "頂点カラーフラグON ( モデリング )", nullptr, [] { Poly(IDC_POLY_VERTEX_COLOURS); }},
      {"エッジ", SUB_3D_POLY, "エッジON ( モデリング )", nullptr, [] { Poly(IDC_POLY_EDGES); }},
      {"group 決定 with divisions", SUB_3D_POLY, "グループ 決定ボタン", nullptr,
       [] {
         Ed3DGroupFields f;
         Ed3D_GroupFieldsOf(M(), 0, &f);
         Str_Copy(f.divisions, sizeof f.divisions, "3");
         Ed3D_ApplyGroupFields(&f);
       }},
      // [SECTION] the file menu's reads into the layer
      {"KZM open", SUB_3D_MOTION, nullptr, nullptr, nullptr},
      {"新規作成", SUB_3D_POLY, "新規作成", nullptr, [] { FileMenu_Command(IDM_NEW_MODEL); }},
  };
  for (const Edit &c : edits) {
    SCOPED_TRACE(c.what);
    Build(c.subMode);
    if (c.prepare) c.prepare();
    RecordStart();
    std::function<void()> edit = c.edit;
    std::string label = c.label ? c.label : "";
    if (!edit) {   // the KZM file read into the layer
      g_answer = kzm;
      label = "undo_edits.kzm 読み込み";
      edit = [] { FileMenu_Command(IDM_KZM_OPEN); };
    }
    UndoHistory *h = Undo_Current();
    const std::vector<u8> before = Saved();
    const std::string fileBefore = M()->fileName;
    edit();
    if (!c.label && c.edit) {
      EXPECT_EQ(h->top, 0);
      EXPECT_TRUE(Saved() == before);
      continue;
    }
    EXPECT_EQ(h->top, 1);
    EXPECT_EQ(h->index, 1);
    EXPECT_EQ(std::string(h->steps[h->top].label), label);
    EXPECT_EQ(g_Shell.g_EditedFlag, 0);   // nothing of the edit is left unrecorded
    const std::vector<u8> after = Saved();
    const std::string fileAfter = M()->fileName;
    EXPECT_NE(after, before);
    Undo_Undo(h);
    EXPECT_TRUE(Saved() == before);
    EXPECT_EQ(M()->fileName, fileBefore);
    Undo_Redo(h);
    EXPECT_TRUE(Saved() == after);
    EXPECT_EQ(M()->fileName, fileAfter);
  }
}

// 名前を付けて保存 gave the layer another file: undo and redo leave it there, so the next save
// goes to the file of the last one; an undo of 新規作成 brings that file back, not the one
// the model was read from.
TEST_F(UndoEditsTest, UndoKeepsTheFileTheLayerWasSavedTo) {
  Build(SUB_3D_POLY);
  UndoHistory *h = Undo_Current();
  const u32 lighting = M()->lighting;
  Poly(IDC_POLY_LIGHT);
  g_answer = ::testing::TempDir() + "ik2.KZP";
  FileMenu_Command(IDM_KZP_SAVE);
  ASSERT_STREQ(M()->fileName, "ik2.KZP");   // in the folder the dialog entered
  Undo_Undo(h);
  EXPECT_EQ(M()->lighting, lighting);
  EXPECT_STREQ(M()->fileName, "ik2.KZP");
  Undo_Redo(h);
  EXPECT_EQ(M()->lighting, 1 - lighting);
  EXPECT_STREQ(M()->fileName, "ik2.KZP");
  FileMenu_Command(IDM_NEW_MODEL);
  EXPECT_STRNE(M()->fileName, "ik2.KZP");
  Undo_Undo(h);
  EXPECT_STREQ(M()->fileName, "ik2.KZP");
  EXPECT_EQ(M()->lighting, 1 - lighting);
  remove(g_answer.c_str());
}

// U and I act on the layer shown: in the object-motion sub-mode, which shows an object set,
// they leave layer 0's model alone.
TEST_F(UndoEditsTest, TheKeysLeaveTheLayerAloneWhereAnObjectSetIsShown) {
  Build(SUB_3D_POLY);
  Poly(IDC_POLY_EDGES);
  const std::vector<u8> edited = Saved();
  g_Shell.g_EditSubMode = SUB_3D_OBJMOTION;
  g_ShellEntries.undoUndo();
  EXPECT_TRUE(Saved() == edited);
  EXPECT_EQ(Undo_Current()->index, 1);
  g_Shell.g_EditSubMode = SUB_3D_POLY;
  g_ShellEntries.undoUndo();
  EXPECT_FALSE(Saved() == edited);
  g_ShellEntries.undoRedo();
  EXPECT_TRUE(Saved() == edited);
}

}  // namespace

// A current motion, key, bone, group or texture an undo, a redo, a jump in the undo list or a
// 消去 took past the model: an edit through the door of commands before any frame lands where it
// does after a frame (on what the panels then show), and saves.
TEST_F(UndoEditsTest, AnEditRightAfterAChangeLandsOnWhatThePanelsThenShow) {
  using Fn = std::function<void()>;
  auto lastKey = [] { const KeyTrack &t = M()->bones[1].keys[M()->motion]; M()->frame = t.keys[t.count - 1].frame; };
  auto key = [](u32 id) { Ed3D_MotionDlgCommand(id, -1, nullptr); };
  // The texture row starts with two images: a 消去 leaves one to replace.
  auto texture = [] { M()->textureCount = 3, M()->textures[2].used = 1, Model3_SetText(&M()->textures[2].name, "d.png"); };
  struct Row { const char *what; u32 subMode; Fn add, del, last, edit, setup = nullptr; } const rows[] = {
      {"motion", SUB_3D_MOTION, [] { Ed3D_MotionListAdd("走る", "30"); }, nullptr,
       [] { Ed3D_MotionListSelect(M()->motionCount - 1); }, [] { Ed3D_MotionListApply("歩く", "45"); }},
      {"key", SUB_3D_MOTION, [&] { M()->frame = 30, key(IDC_MOT_KEY_CREATE); }, [&] { key(IDC_MOT_KEY_DELETE); }, lastKey,
       [] { Fields("1.5", "2.5", "3.5"); }},
      {"bone", SUB_3D_BONE, [] { Ed3D_BoneListCommand(IDC_BONE_ADD); }, [] { Ed3D_BoneListCommand(IDC_BONE_DELETE); },
       [] { g_WidgetFake.caret[g_Ed3D.boneList] = Model3_BoneCount(M()) - 1; },
       [] { Texts(g_Ed3D.bonePanel, {{IDC_BONE_X, "0"}, {IDC_BONE_Y, "2.0"}, {IDC_BONE_Z, "0"}, {IDC_BONE_NAME, "hand"}}), Ed3D_BoneListCommand(IDC_BONE_APPLY); }},
      {"group", SUB_3D_POLY, [] { Ed3D_GroupCommand(IDC_GRP_COPY_RECORD); }, [] { Ed3D_GroupCommand(IDC_GRP_DELETE_RECORD); },
       [] { g_Sel.g_CurGroupIndex = (u32)M()->groupCount - 1; }, [] { Ed3D_GroupCommand(IDC_GRP_SPECULAR); }},
      {"texture", SUB_3D_TEXTURE, [] { g_answer = "b.png", Tex(IDC_TEX_ADD); }, [] { Tex(IDC_TEX_DELETE); },
       [] { g_Ed3DTex.texture = M()->textureCount - 1; }, [] { g_answer = "c.png", Tex(IDC_TEX_REPLACE); }, texture},
  };
  // 追加 then アンドゥ; 消去 (or 追加), アンドゥ, the last item, リドゥ; two 追加 and a jump back over
  // both in the undo list; 消去 of the last item.
  struct Change { const char *what; std::function<void(const Row &)> run; } const changes[] = {
      {"追加 アンドゥ", [](const Row &r) { r.add(), r.last(), Undo_Undo(Undo_Current()); }},
      {"リドゥ", [](const Row &r) { r.last(), (r.del ? r.del : r.add)(), Undo_Undo(Undo_Current()), r.last(), Undo_Redo(Undo_Current()); }},
      {"undo list jump", [](const Row &r) { r.add(), r.add(), r.last(), Undo_ChooseLine(Undo_Current()->index - 2); }},
      {"消去", [](const Row &r) { r.last(), r.del(); }},
  };
  for (const Row &r : rows)
    for (const Change &ch : changes) {
      if (!r.del && !strcmp(ch.what, "消去")) continue;
      std::vector<u8> landed[2];
      for (int framed = 0; framed < 2; framed++) {
        Build(r.subMode);
        if (r.setup) r.setup(), RecordStart();
        App_UpdateFrame();   // the first frame opens the door
        g_Sel.g_CurGroupIndex = 1, M()->motion = 0;
        ch.run(r);
        const std::vector<u8> before = Saved();
        if (framed) App_UpdateFrame();
        App_CommandBegin(), r.edit(), App_CommandEnd();
        EXPECT_TRUE((landed[framed] = Saved()) != before) << r.what << " after " << ch.what << ": the edit went to an item the model lacks";
      }
      EXPECT_TRUE(landed[0] == landed[1]) << r.what << " after " << ch.what << ": the edit missed what the panel shows";
    }
}
