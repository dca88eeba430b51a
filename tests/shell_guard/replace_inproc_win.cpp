// Every command that loads, creates or resets a document, from a menu, a panel button or a
// key, asks before it replaces a changed document: "いいえ" opens no dialog and leaves the
// document and its changed flag as they were; "はい" runs the command. Undo, redo and a jump
// in the undo list count as changes of the 3D model, so a saved model undone is asked for.
// So do family visits, Esc and the close box for each layer, its sound list and the object set;
// a 3D document given up is no longer drawn. After "はい" what the family holds as current lies
// within the document there is now, its panels show that document's records, and a name typed
// into the 3D panel and applied lands on the record the panel shows (in the saved file).
#include "app/current.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "guard_drive.h"

#include "edit2d/ed2d_object.h"
#include "edit2d/ed2d_poly.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/ed3d_tex.h"
#include "edit3d/objmotion.h"
#include "edit3d/poly.h"
#include "edit3d/undo.h"
#include "lib/framework/lib_state.h"
#include "model/kza.h"
#include "model/kzb.h"
#include "model/kzo.h"
#include "model/obj2.h"
#include "resources/edit2d_ids.h"
#include "resources/edit3d_motion_ids.h"
#include "resources/map2_ids.h"
#include "resources/movie_edit_ids.h"
#include "resources/prog_ids.h"
#include "scene/movie.h"
#include "scene/movie_edit.h"
#include "scene/movie_state.h"
#include "scene/prog.h"

namespace {

enum How { BY_MENU, BY_PANEL, BY_KEY, BY_FAMILY, BY_EXIT };

struct Replacing {
  const char *name;
  int familyButton;
  int subModeButton;   // 0: the family's first sub-mode as it comes up
  u32 kind;            // the document kind it replaces
  How how;
  int id;              // command id, panel control id or virtual key
  void *(*panel)(void);
  int layer;           // a layer button pressed first (0: none)
  const char *named;   // what the question names (null: any)
};

void *PolyDialog() { return Ed3DPolyEditor.dlg; }
void *Poly2DPanel() { return g_Ed2DPoly.panel; }
void *MapPanel() { return g_Map2Editor.dialog; }

const Replacing kReplacing[] = {
    {"KZP open", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_MODEL3, BY_MENU, IDM_KZP_OPEN, nullptr},
    {"any open", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_MODEL3, BY_MENU, IDM_ANY_OPEN, nullptr},
    {"MX open", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_MODEL3, BY_MENU, IDM_MX_OPEN, nullptr},
    {"LWO open", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_MODEL3, BY_MENU, IDM_LWO_OPEN, nullptr},
    {"MQO open", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_MODEL3, BY_MENU, IDM_MQO_OPEN, nullptr},
    {"ROK open", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_MODEL3, BY_MENU, IDM_ROK_OPEN, nullptr},
    {"DXF open", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_MODEL3, BY_MENU, IDM_DXF_OPEN, nullptr},
    {"X open", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_MODEL3, BY_MENU, IDM_X_OPEN, nullptr},
    {"KZM open", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_MODEL3, BY_MENU, IDM_KZM_OPEN, nullptr},
    {"3D new", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_MODEL3, BY_MENU, IDM_NEW_MODEL, nullptr},
    {"modelling 読み込み", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_MODEL3, BY_PANEL, IDC_POLY_LOAD, PolyDialog},
    {"F7", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_MODEL3, BY_KEY, VK_F7, nullptr},
    {"F9", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_MODEL3, BY_KEY, VK_F9, nullptr},
    {"F11", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_MODEL3, BY_KEY, VK_F11, nullptr},
    {"F7 bones", IDC_EDIT_3D_MODEL, IDC_M3D_BONE, DOC_MODEL3, BY_KEY, VK_F7, nullptr},
    {"3D new motions", IDC_EDIT_3D_MODEL, IDC_M3D_MOTION, DOC_MODEL3, BY_MENU, IDM_NEW_MODEL, nullptr},
    {"KZP open groups", IDC_EDIT_3D_MODEL, IDC_M3D_TEXTURE, DOC_MODEL3, BY_MENU, IDM_KZP_OPEN, nullptr},
    {"KZO open", IDC_EDIT_3D_MODEL, IDC_M3D_OBJECT, DOC_OBJ3, BY_MENU, IDM_KZO_OPEN, nullptr},
    {"F7 objects", IDC_EDIT_3D_MODEL, IDC_M3D_OBJECT, DOC_OBJ3, BY_KEY, VK_F7, nullptr},
    {"KZB open", IDC_EDIT_2D_MODEL, IDC_M2D_POLY, DOC_BONE2, BY_MENU, IDM_KZB_OPEN, nullptr},
    {"2D bone new", IDC_EDIT_2D_MODEL, IDC_M2D_POLY, DOC_BONE2, BY_MENU, IDM_2D_BONE_NEW, nullptr},
    {"2D 読み込み", IDC_EDIT_2D_MODEL, IDC_M2D_POLY, DOC_BONE2, BY_PANEL, IDC_P2D_OPEN, Poly2DPanel},
    {"KZB open bones", IDC_EDIT_2D_MODEL, IDC_M2D_BONE, DOC_BONE2, BY_MENU, IDM_KZB_OPEN, nullptr},
    {"2D bone new bones", IDC_EDIT_2D_MODEL, IDC_M2D_BONE, DOC_BONE2, BY_MENU, IDM_2D_BONE_NEW, nullptr},
    {"KZA open", IDC_EDIT_2D_MODEL, IDC_M2D_OBJECT, DOC_OBJ2, BY_MENU, IDM_KZA_OPEN, nullptr},
    {"2D object new", IDC_EDIT_2D_MODEL, IDC_M2D_OBJECT, DOC_OBJ2, BY_MENU, IDM_NEW_OBJ2, nullptr},
    {"KZV open", IDC_EDIT_MOVIE, 0, DOC_MOVIE, BY_MENU, IDM_KZV_OPEN, nullptr},
    {"movie new", IDC_EDIT_MOVIE, 0, DOC_MOVIE, BY_MENU, IDM_MOVIE_NEW, nullptr},
    {"KZC open", IDC_EDIT_COLLISION, 0, DOC_COLLISION, BY_MENU, IDM_KZC_OPEN, nullptr},
    {"MAP2 open", IDC_EDIT_2D_MAP, 0, DOC_MAP2, BY_MENU, IDM_MAP2_OPEN, nullptr},
    {"サンプルデータセット", IDC_EDIT_2D_MAP, 0, DOC_MAP2, BY_PANEL, IDC_MAP2_SAMPLE, MapPanel},
    {"ソース選択", IDC_EDIT_PROGRAM, 0, DOC_PROGRAM, BY_MENU, IDM_PROG_SOURCE, nullptr},
    {"layer 2 KZM open", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_LAYER2, BY_MENU, IDM_KZM_OPEN, nullptr, IDC_LAYER_2, "（レイヤー 2）"},
    {"layer 2 F7", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_LAYER2, BY_KEY, VK_F7, nullptr, IDC_LAYER_2, "（レイヤー 2）"},
    {"layer 2 visit", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_LAYER2, BY_FAMILY, IDC_EDIT_PREVIEW, nullptr, IDC_LAYER_2, "0.KZP"},
    {"layer 2 Esc", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_LAYER2, BY_EXIT, VK_ESCAPE, nullptr, IDC_LAYER_2, "（レイヤー 2）"},
    {"layer 1 visit", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_MODEL3, BY_FAMILY, IDC_EDIT_2D_MODEL, nullptr, IDC_LAYER_1, "0.KZP"},
    {"KZM open", IDC_EDIT_3D_MODEL, IDC_M3D_MOTION, DOC_SOUNDS1, BY_MENU, IDM_KZM_OPEN, nullptr, 0, "効果音「"},
    {"KZM by F7", IDC_EDIT_3D_MODEL, IDC_M3D_POLY, DOC_SOUNDS1, BY_KEY, VK_F7, nullptr, IDC_LAYER_1, "効果音"},
    {"KZM visit", IDC_EDIT_3D_MODEL, IDC_M3D_MOTION, DOC_SOUNDS1, BY_FAMILY, IDC_EDIT_PREVIEW, nullptr, 0, "効果音「0.KZM」"},
    {"KZM Esc", IDC_EDIT_3D_MODEL, IDC_M3D_MOTION, DOC_SOUNDS1, BY_EXIT, VK_ESCAPE, nullptr, 0, "３Ｄモデルの効果音"},
    {"objects visit", IDC_EDIT_3D_MODEL, IDC_M3D_OBJECT, DOC_OBJ3, BY_FAMILY, IDC_EDIT_2D_MODEL, nullptr, 0, "オブジェクト"},
    {"objects close box", IDC_EDIT_3D_MODEL, IDC_M3D_OBJECT, DOC_OBJ3, BY_EXIT, SC_CLOSE, nullptr, 0, "３Ｄオブジェクト"},
};

u32 FamilyOfButton(int button) {
  for (const GuardFamily &f : kGuardFamilies)
    if (f.button == button) return f.family;
  return 0;
}

// Into the command's family and sub-mode with every document as it was made (answering the
// questions of the way there "はい").
void Reach(const Replacing &r) {
  g_GuardAnswer = IDYES;
  ASSERT_TRUE(Guard_Family(r.familyButton, FamilyOfButton(r.familyButton))) << r.name;
  if (r.subModeButton && r.familyButton == IDC_EDIT_3D_MODEL) Drive_Press3D(r.subModeButton);
  if (r.subModeButton && r.familyButton == IDC_EDIT_2D_MODEL) Drive_Press2D(r.subModeButton);
  if (r.layer) Drive_Command(g_Ed3D.layer.window, r.layer);
  // A 3D document left by a visit is the sample, so that it would show if it were drawn.
  if (r.how == BY_FAMILY && r.familyButton == IDC_EDIT_3D_MODEL) Guard_Key(VK_F7);
  Guard_PumpIdle(3);
}

// Nothing of the 3D editor's documents is drawn: freeing every layer and the set changes no pixel.
bool Nothing3DDrawn() {
  std::vector<unsigned> shown = Drive_CaptureMain() ? g_DriveShot.pixels : std::vector<unsigned>();
  for (i32 s = 0; s < 10; s++) Model3_FreeSlot(s);
  Kzo_FreeSet(0);
  bool same = Drive_CaptureMain() && g_DriveShot.pixels == shown;
  App_NewModelInSlot0();
  Drive_CaptureEnd();
  return same;
}

void RunCommand(const Replacing &r) {
  switch (r.how) {
    case BY_MENU: SendMessageA(g_Lib.mainWnd, WM_COMMAND, (WPARAM)r.id, 0); break;
    case BY_PANEL: Drive_Command(r.panel(), r.id); break;
    case BY_KEY: Guard_Key((UINT)r.id); break;
    case BY_FAMILY: Drive_Command(g_EditDlg.window, r.id); break;
    case BY_EXIT: r.id == VK_ESCAPE ? Guard_Key(VK_ESCAPE) : (void)SendMessageA(g_Lib.mainWnd, WM_SYSCOMMAND, SC_CLOSE, 0); break;
  }
  Guard_PumpIdle(3);
}

bool AskedToDiscard() {
  for (const std::string &b : g_GuardBoxes)
    if (b.find("は破棄されます。よろしいですか？") != std::string::npos) return true;
  return false;
}

// The question first, naming the document; after "いいえ" nothing else.
bool AskedToDiscard(const Replacing &r, bool alone) {
  const char *asks = r.how == BY_EXIT ? "終了しても、よろしいですか？" : "は破棄されます。よろしいですか？";
  return !g_GuardBoxes.empty() && (!alone || g_GuardBoxes.size() == 1) && g_GuardBoxes[0].find(asks) != std::string::npos &&
         (!r.named || g_GuardBoxes[0].find(r.named) != std::string::npos);
}

// The document as the user sees it, compared before and after "いいえ".
std::string Snapshot(u32 kind) {
  char text[256];
  if (Doc_LayerSlot(kind) >= 0) kind = DOC_MODEL3;
  switch (kind) {
    case DOC_MODEL3: {
      const Model3 *m = g_Model3Slots[g_Sel.g_CurSlot < MODEL3_SLOTS ? g_Sel.g_CurSlot : 0];
      snprintf(text, sizeof text, "%p %d %d", (const void *)m, m ? m->positionCount : -1, m ? m->polygonCount : -1);
      return text;
    }
    case DOC_PROGRAM: {
      char edit[2048] = {};
      if (g_ProgEditor.sourceDialog) GetDlgItemTextA((HWND)g_ProgEditor.sourceDialog, IDC_PROG_EDIT, edit, sizeof edit);
      return std::string(g_ProgEditor.sourceName) + "|" + edit;
    }
    case DOC_MAP2:
      return g_Map2Editor.doc ? std::string((const char *)g_Map2Editor.doc, sizeof *g_Map2Editor.doc) : "";
    default:
      snprintf(text, sizeof text, "%p %p %p", (const void *)g_Obj2Slots[0], (const void *)g_Bone2Slots[0],
               (const void *)g_Obj3Sets[0]);
      return text;
  }
}

// The document changed as a user changes it: text typed into the program's source, a cell
// painted on the map, otherwise the kind's changed flag set as an edit sets it.
void Change(u32 kind) {
  if (kind == DOC_PROGRAM && g_ProgEditor.sourceDialog) {
    HWND edit = GetDlgItem((HWND)g_ProgEditor.sourceDialog, IDC_PROG_EDIT);
    for (char c : std::string("Var a")) SendMessageA(edit, WM_CHAR, (WPARAM)c, 1);   // typed
  } else if (kind == DOC_MAP2 && g_Map2Editor.doc) {
    g_Map2Editor.doc->grid[3][3] = 1;
    Doc_MarkEdited(DOC_MAP2);
  } else {
    Doc_MarkEdited(kind);
  }
  Guard_PumpIdle(2);
}

// [currents] Each family's current indices pointed high in a bigger document before "はい",
// then checked against the document there is: out of range is a fault, named in the text.
void Within(std::string *out, const char *what, i64 index, i64 count) {
  if (index >= 0 && index < (count > 0 ? count : 1)) return;
  char t[96];
  snprintf(t, sizeof t, " %s %lld of %lld;", what, (long long)index, (long long)count);
  *out += t;
}

// Four bones, three motions and three groups, each named by its number.
bool WriteBigModel(const std::string &path) {
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_New();
  if (!m) return false;
  m->boneCount = 4;
  m->motionCount = m->keyTableLength = m->groupCount = 3;
  for (int i = 0; i < 4; i++) snprintf(m->bones[i].name, MODEL3_NAME, "big bone %d", i), m->bones[i].parent = i ? i - 1 : 0;
  for (int i = 0; i < 3; i++) {
    snprintf(m->motions[i].name, MODEL3_NAME, "big motion %d", i);
    m->motions[i].used = 1;
    m->motions[i].length = 60;
    snprintf(m->groups[i].name, MODEL3_NAME, "big group %d", i);
  }
  m->textureCount = 3;   // entry 0 and two images no folder holds
  for (int i = 1; i < 3; i++) Model3_SetText(&m->textures[i].name, i == 1 ? "guard_1.bmp" : "guard_2.bmp"), m->textures[i].used = 1;
  bool ok = Shown(Kzp_Write, m, path.c_str());
  Model3_Free(m);
  return ok;
}

// Layer 1 reads the bigger model (a file opens there only); in every layer the currents point
// at the last records.
void Raise3D() {
  if (g_Shell.g_EditSubMode == SUB_3D_OBJMOTION || !g_Model3Slots[g_Sel.g_CurSlot]) return;
  if (g_Sel.g_CurSlot == 0) {
    Drive_OpenByMenu(IDM_KZP_OPEN, "guard_big.kzp");
    g_ModalHooks.getOpenFileName = Guard_File;
  }
  Model3 *m = g_Model3Slots[g_Sel.g_CurSlot];
  g_Sel.g_CurBoneIndex = g_Sel.g_PrevBone = g_Sel.g_SelectedBone = (u32)Model3_BoneCount(m) - 1;
  g_Sel.g_CurGroupIndex = m->groupCount > 0 ? (u32)m->groupCount - 1 : 0;
  m->motion = m->motionCount > 0 ? m->motionCount - 1 : 0;
  m->frame = m->motions[m->motion].length - 10;
  g_Ed3DTex.texture = m->textureCount - 1;
  g_Ed3DMotion.keyIndex = 1;   // 0.KZP's motion has two keys
  Guard_PumpIdle(3);
}

std::string Stale3D() {
  std::string out;
  const Model3 *m = g_Model3Slots[g_Sel.g_CurSlot];
  if (!m) return " no model;";
  i32 bones = Model3_BoneCount(m);
  Within(&out, "bone", g_Sel.g_CurBoneIndex, bones);
  Within(&out, "previous bone", g_Sel.g_PrevBone, bones);
  Within(&out, "selected bone", g_Sel.g_SelectedBone, bones);
  Within(&out, "group", g_Sel.g_CurGroupIndex, m->groupCount);
  Within(&out, "texture", g_Ed3DTex.texture, m->textureCount);
  Within(&out, "motion", m->motion, m->motionCount);
  if (m->motion >= 0 && m->motion < MODEL3_MOTIONS && m->frame > m->motions[m->motion].length) out += " frame past the motion;";
  if (g_Shell.g_EditSubMode == SUB_3D_MOTION && g_Ed3DMotion.target == ED3D_MOTION_TARGET_BONE && g_Sel.g_CurBoneIndex < (u32)bones)
    Within(&out, "key", g_Ed3DMotion.keyIndex, KeyTrack_Count(Ed3D_MotionTrack((Model3 *)m, (i32)g_Sel.g_CurBoneIndex)));
  if (const Obj3Set *s = g_Obj3Sets[0]) {
    Within(&out, "object", g_Sel.g_CurPartIndex, Kzo_ObjectCount(s));
    Within(&out, "object motion", s->motion, s->motionCount);
  }
  return out;
}

// A list (once its panel has caught up) holds `count` lines and marks line `current` (the caret,
// or the selection for a single-choice list); a list not shown passes.
bool ListShows(void *list, i32 count, i32 current, UINT marked = LB_GETCARETINDEX) {
  if (!Drive_Alive(list)) return true;
  auto rows = [&](UINT message) { return (i32)SendMessageA((HWND)list, message, 0, 0); };
  auto follows = [&] { return (count < 0 || rows(LB_GETCOUNT) == count) && rows(marked) == current; };
  Drive_PumpUntil(follows, 3000);
  return follows();
}

// A 3D panel that shows a current record: its number and name fields, its 決定, and where
// modeldump lists the records.
struct Panel3D {
  int subMode;
  void *(*panel)(void);
  int noId, nameId, applyId;
  const char *noFormat;   // null: the panel shows no number
  const char *listed;
  i32 (*current)(const Model3 *m);
  const char *(*name)(const Model3 *m, i32 k);
};

const Panel3D kPanels3D[] = {
    {SUB_3D_BONE, [] { return g_Ed3D.bonePanel; }, IDC_BONE_NO, IDC_BONE_NAME, IDC_BONE_APPLY, "ボーンNo.%d", "\"bones\":[",
     [](const Model3 *) { return (i32)g_Sel.g_CurBoneIndex; }, [](const Model3 *m, i32 k) { return (const char *)m->bones[k].name; }},
    {SUB_3D_MOTION, [] { return g_Ed3DMotionPanels.listDlg; }, IDC_MLIST_NO, IDC_MLIST_NAME, IDC_MLIST_OK, "No.%3d", "\"motions\":[",
     [](const Model3 *m) { return m->motion; }, [](const Model3 *m, i32 k) { return (const char *)m->motions[k].name; }},
    {SUB_3D_TEXTURE, [] { return (void *)GetParent((HWND)g_Ed3D.group.list); }, 0, IDC_GRP_NAME, IDC_GRP_APPLY, nullptr,
     "\"groups\":[", [](const Model3 *) { return (i32)g_Sel.g_CurGroupIndex; },
     [](const Model3 *m, i32 k) { return (const char *)m->groups[k].name; }},
};

std::string FieldText(void *panel, int id) {
  char t[300] = "";
  if (id) GetDlgItemTextA((HWND)panel, id, t, sizeof t);
  return t;
}

// The position of the record named `name` among those modeldump lists after `listed` (-1: none).
i32 DumpIndex(const std::string &dump, const char *listed, const std::string &name) {
  size_t at = dump.find(listed), end = dump.find("}]", at);
  i32 k = 0;
  for (size_t p = dump.find("{\"name\":\"", at); at != std::string::npos && p < end; p = dump.find("{\"name\":\"", p + 1), k++)
    if (dump.compare(p + 9, name.size() + 1, name + "\"") == 0) return k;
  return -1;
}

// The row's panel (the bone list when its sub-mode has none) shows the current record of the
// model there is; a name typed into it and applied is saved on that record.
std::string ShownAndEdited3D(const Replacing &) {
  if (g_Shell.g_EditFamily == FAMILY_3D_MODEL && g_Shell.g_EditSubMode == SUB_3D_OBJMOTION && g_Obj3Sets[0])
    return ListShows(Ed3DObjMotionEditor.list, Kzo_ObjectCount(g_Obj3Sets[0]), (i32)g_Sel.g_CurPartIndex) ? "" : " the object list shows another object;";
  if (g_Shell.g_EditFamily != FAMILY_3D_MODEL || g_Shell.g_EditSubMode == SUB_3D_OBJMOTION) return "";
  const Panel3D *p = &kPanels3D[0];
  for (const Panel3D &q : kPanels3D)
    if (q.subMode == (int)g_Shell.g_EditSubMode) p = &q;
  if (g_Shell.g_EditSubMode != (u32)p->subMode) Drive_Press3D(IDC_M3D_BONE);
  const Model3 *m = g_Model3Slots[g_Sel.g_CurSlot];
  void *panel = p->panel();
  if (!m || !Drive_Alive(panel)) return " no panel;";
  i32 k = p->current(m);
  char no[64] = "";
  if (p->noFormat) snprintf(no, sizeof no, p->noFormat, (int)k);
  std::string name = k >= 0 && k < MODEL3_BONES ? p->name(m, k) : "";
  Drive_PumpUntil([&] { return FieldText(panel, p->noId) == no && FieldText(panel, p->nameId) == name; }, 3000);
  std::string out;
  if (FieldText(panel, p->noId) != no || FieldText(panel, p->nameId) != name)
    out += " shows " + FieldText(panel, p->noId) + " " + FieldText(panel, p->nameId) + " for " + no + " " + name + ";";
  SetDlgItemTextA((HWND)panel, p->nameId, "stroll");
  Drive_Command(panel, p->applyId);
  std::string kept = m->fileName ? m->fileName : "";   // the later rows' questions name the layer
  std::string dump = Drive_ModelDump(Drive_SaveByMenu(IDM_KZP_SAVE, "guard_edit.kzp"));
  g_ModalHooks.getSaveFileName = Guard_File;
  Model3_SetText(&g_Model3Slots[g_Sel.g_CurSlot]->fileName, kept.c_str());
  if (DumpIndex(dump, p->listed, "stroll") != k) out += " the name was saved elsewhere: " + dump + ";";
  return out;
}

// A 2D bone model (its `n` bones, motions and groups) and a 2D object model (its `n` objects,
// motions and images) written through a slot the program leaves empty.
bool Write2D(const std::string &name, i32 n) {
  g_ModelAllocArrays = 1;
  Bone2Model *m = Bone2_Init(20);
  g_ModelAllocArrays = 0;
  Obj2Model *o = Obj2_NewDetached(), *kept = g_Obj2Slots[OBJ2_SLOTS - 1];
  if (!m || !o) return false;
  m->boneCount = m->motionCount = m->groupCount = o->objectCount = o->motionCount = o->imageCount = n;
  for (i32 i = 0; i < n; i++) {
    m->bones[i].parent = i ? i - 1 : 0;
    m->motions[i].used = o->motions[i].used = o->parts[i].shown = 1;
    m->motions[i].length = o->motions[i].length = 60;
    m->groups[i].a = 1.0f;
    snprintf(o->imageNames[i], sizeof o->imageNames[i], "guard_%d.bmp", (int)i);
  }
  bool ok = Bone2_FreshTracks(m) && Shown(Kzb_Write, 20, Drive_Temp((name + ".kzb").c_str()).c_str()) == 1;
  Bone2_FreeSlot(20);
  Obj2_SetSlot(OBJ2_SLOTS - 1, o);
  ok = ok && Obj2_FreshTracks(o) && Shown(Kza_Write, OBJ2_SLOTS - 1, Drive_Temp((name + ".kza").c_str()).c_str()) == 1;
  Obj2_SetSlot(OBJ2_SLOTS - 1, kept);   // frees o
  return ok;
}

void Raise2D() {
  bool objects = g_Shell.g_EditSubMode == SUB_2D_OBJECT;
  Drive_OpenByMenu(objects ? IDM_KZA_OPEN : IDM_KZB_OPEN, objects ? "guard_big.kza" : "guard_big.kzb");
  g_ModalHooks.getOpenFileName = Guard_File;
  if (Bone2Model *m = g_Bone2Slots[0]) {
    g_Sel.g_CurBoneIndex = g_Sel.g_PrevBone = (u32)Bone2_BoneCount(m) - 1;
    m->currentMotion = m->motionCount - 1;
    g_Sel.g_CurGroupIndex = (u32)m->groupCount - 1;
  }
  if (Obj2Model *o = g_Obj2Slots[0]) {
    g_Sel.g_CurPartIndex = (u32)Obj2_ObjectCount(o) - 1;
    o->currentMotion = o->motionCount - 1;
    g_Ed2DObj.curImage = o->imageCount - 1;
  }
  Guard_PumpIdle(3);
}

std::string Stale2D() {
  std::string out;
  if (const Bone2Model *m = g_Bone2Slots[0]) {
    Within(&out, "2D bone", g_Sel.g_CurBoneIndex, Bone2_BoneCount(m));
    Within(&out, "2D previous bone", g_Sel.g_PrevBone, Bone2_BoneCount(m));
    Within(&out, "2D motion", m->currentMotion, m->motionCount);
    Within(&out, "2D group", g_Sel.g_CurGroupIndex, m->groupCount);
  }
  if (const Obj2Model *o = g_Obj2Slots[0]) {
    Within(&out, "2D object", g_Sel.g_CurPartIndex, Obj2_ObjectCount(o));
    Within(&out, "2D object motion", o->currentMotion, o->motionCount);
    Within(&out, "2D image", g_Ed2DObj.curImage, o->imageCount);
  }
  return out;
}

// The movie as it was made is saved for the open to read; then three actors join, the last current.
void RaiseMovie() {
  Drive_SaveByMenu(IDM_KZV_SAVE, "guard_small.kzv");
  g_ModalHooks.getSaveFileName = Guard_File;
  for (int i = 0; i < 3; i++) Movie_AddActor(MOVIE_KIND_MESSAGE);
}

std::string StaleMovie() {
  std::string out;
  Within(&out, "actor", g_Sel.g_CurSlot, Movie_ObjectCount());
  return out;
}

std::string NothingShown(const Replacing &) { return ""; }

// The 2D bone list, and the object sub-mode's lists: as many lines as the model has, the current
// bone or object at the caret, the current motion and image selected.
std::string Shown2D(const Replacing &) {
  const Obj2Model *o = g_Obj2Slots[0];
  const Ed2DObjEditor &e = g_Ed2DObj;
  if (g_Shell.g_EditSubMode == SUB_2D_BONE && g_Bone2Slots[0])
    return ListShows(g_Ed2D.boneList, Bone2_BoneCount(g_Bone2Slots[0]), (i32)g_Sel.g_CurBoneIndex) ? "" : " the bone list shows another bone;";
  if (g_Shell.g_EditSubMode != SUB_2D_OBJECT || !o) return "";
  std::string out;
  if (!ListShows(e.objectList, Obj2_ObjectCount(o), (i32)g_Sel.g_CurPartIndex)) out += " the object list shows another object;";
  if (!ListShows(e.motionList, -1, o->currentMotion, LB_GETCURSEL)) out += " the motion list shows another motion;";
  if (o->imageCount > 0 && !ListShows(e.imageList, -1, e.curImage, LB_GETCURSEL)) out += " the image list shows another image;";
  return out;
}

struct Currents {
  bool (*of)(u32 kind);
  const char *small;   // what an open of the family reads ("guard_small.kzp", .kzb, ...)
  void (*raise)(void);
  std::string (*stale)(void);
  std::string (*shown)(const Replacing &r);
};

const Currents kCurrents[] = {
    {[](u32 k) { return Doc_LayerSlot(k) >= 0 || k == DOC_OBJ3; }, "guard_small.kzp", Raise3D, Stale3D, ShownAndEdited3D},
    {[](u32 k) { return k == DOC_BONE2 || k == DOC_OBJ2; }, "guard_small.kzb", Raise2D, Stale2D, Shown2D},
    {[](u32 k) { return k == DOC_MOVIE; }, "guard_small.kzv", RaiseMovie, StaleMovie, NothingShown},
    {[](u32) { return true; }, nullptr, [] {}, [] { return std::string(); }, NothingShown},
};

const Currents &CurrentsOf(u32 kind) {
  for (const Currents &c : kCurrents)
    if (c.of(kind)) return c;
  return kCurrents[0];
}

TEST(Replace, EveryReplacingCommandAsksAndNoKeepsTheDocument) {
  Guard_Start("miravel_guard");
  u32 unasked = Doc_UnaskedReplaces();
  ASSERT_TRUE(WriteBigModel(Drive_Temp("guard_big.kzp")));
  ASSERT_TRUE(Drive_WriteCube(Drive_Temp("guard_small.kzp")));
  ASSERT_TRUE(Write2D("guard_big", 4));
  ASSERT_TRUE(Write2D("guard_small", 1));
  for (const Replacing &r : kReplacing) {
    Reach(r);
    if (r.panel) { ASSERT_NE(r.panel(), nullptr) << r.name; }
    Change(r.kind);
    ASSERT_TRUE(Doc_IsChanged(r.kind)) << r.name;
    std::string before = Snapshot(r.kind);
    g_GuardBoxes.clear();
    g_GuardFileTitles.clear();
    g_GuardAnswer = IDNO;
    RunCommand(r);
    EXPECT_TRUE(AskedToDiscard(r, true)) << r.name << ": " << (g_GuardBoxes.empty() ? "" : g_GuardBoxes.back());
    EXPECT_TRUE(g_GuardFileTitles.empty()) << r.name << ": no dialog after いいえ";
    EXPECT_TRUE(Doc_IsChanged(r.kind)) << r.name;
    EXPECT_EQ(Snapshot(r.kind), before) << r.name;
    EXPECT_EQ(g_Shell.g_EditFamily, FamilyOfButton(r.familyButton)) << r.name;
    if (r.how == BY_EXIT) { Doc_ClearChanged(r.kind); continue; }   // "はい" would end the program

    // "はい" in a bigger document whose currents point high: the command runs (a model open
    // reads the small cube, other opens are cancelled).
    g_GuardAnswer = IDYES;
    const Currents &cur = CurrentsOf(r.kind);
    cur.raise();
    Change(r.kind);
    g_GuardBoxes.clear();
    bool reads = r.how == BY_PANEL || (r.how == BY_MENU && r.id != IDM_NEW_MODEL && r.id != IDM_NEW_OBJ2 && r.id != IDM_2D_BONE_NEW &&
                                       r.id != IDM_MOVIE_NEW && r.id != IDM_KZM_OPEN && r.id != IDM_KZO_OPEN);
    g_DriveAnswer = cur.small ? cur.small : "";
    if (cur.small && r.kind == DOC_OBJ2) g_DriveAnswer = "guard_small.kza";
    g_GuardWhileFile = reads && cur.small ? Drive_AnswerFile : nullptr;
    RunCommand(r);
    g_GuardWhileFile = nullptr;
    Replacing raised = r;
    raised.named = nullptr;   // the bigger document has a name of its own
    EXPECT_TRUE(AskedToDiscard(raised, false)) << r.name;
    if (r.how == BY_FAMILY) { EXPECT_FALSE(Doc_IsChanged(r.kind)) << r.name << ": given up"; }
    if (r.how == BY_FAMILY && r.familyButton == IDC_EDIT_3D_MODEL) { EXPECT_TRUE(Nothing3DDrawn()) << r.name; }
    if (r.how == BY_MENU && (r.id == IDM_NEW_MODEL || r.id == IDM_NEW_OBJ2 || r.id == IDM_2D_BONE_NEW || r.id == IDM_MOVIE_NEW)) {
      EXPECT_FALSE(Doc_IsChanged(r.kind)) << r.name << ": a new document is unchanged";
    }
    EXPECT_EQ(Doc_UnaskedReplaces(), unasked) << r.name;
    // Back in the family a visit left, what it holds as current is checked there.
    if (r.how == BY_FAMILY) { ASSERT_TRUE(Guard_Family(r.familyButton, FamilyOfButton(r.familyButton))) << r.name; }
    EXPECT_EQ(cur.stale(), "") << r.name;
    EXPECT_EQ(cur.shown(r), "") << r.name;
    Doc_ClearChanged(r.kind);
  }
  g_GuardAnswer = IDYES;
}

TEST(Replace, ASavedModelUndoneIsAskedForByEveryReplacingCommand) {
  Guard_Start("miravel_guard");
  g_GuardAnswer = IDYES;
  ASSERT_TRUE(Guard_Family(IDC_EDIT_PREVIEW, FAMILY_PREVIEW));
  ASSERT_TRUE(Guard_Family(IDC_EDIT_3D_MODEL, FAMILY_3D_MODEL));
  // A cube made, saved, then U: the model is no longer the saved one.
  std::string path = Drive_Temp("guard_undo.kzp");
  ASSERT_TRUE(Drive_WriteCube(path));
  Drive_OpenByMenu(IDM_KZP_OPEN, "guard_undo.kzp");
  g_ModalHooks.getOpenFileName = Guard_File;
  ASSERT_NE(g_Model3Slots[0], nullptr);
  ASSERT_EQ(g_Model3Slots[0]->polygonCount, 6);
  Doc_MarkEdited(DOC_MODEL3);
  Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "立方体");
  Undo_Push(Undo_Current());
  Drive_SaveByMenu(IDM_KZP_SAVE, "guard_undo.kzp");
  g_ModalHooks.getSaveFileName = Guard_File;
  ASSERT_FALSE(Doc_IsChanged(DOC_MODEL3)) << "saved";

  struct Way {
    const char *name;
    void (*run)(void);
  };
  const Way ways[] = {
      {"U", [] { Guard_Key('U'); }},
      {"I after U", [] { Guard_Key('U'); Doc_ClearChanged(DOC_MODEL3); Guard_Key('I'); }},
      {"undo list", [] {
         UndoHistory *h = Undo_Current();
         Undo_ChooseLine(h->index > 0 ? h->index - 1 : 0);
       }},
  };
  for (const Way &w : ways) {
    Doc_ClearChanged(DOC_MODEL3);
    w.run();
    EXPECT_TRUE(Doc_IsChanged(DOC_MODEL3)) << w.name;
    // Each replacing command asks; "いいえ" keeps the model.
    g_GuardAnswer = IDNO;
    for (int id : {IDM_NEW_MODEL, IDM_KZP_OPEN}) {
      g_GuardBoxes.clear();
      SendMessageA(g_Lib.mainWnd, WM_COMMAND, (WPARAM)id, 0);
      EXPECT_TRUE(AskedToDiscard()) << w.name << " " << id;
    }
    g_GuardBoxes.clear();
    Drive_Command(g_EditDlg.window, IDC_EDIT_PREVIEW);
    Guard_PumpIdle(3);
    EXPECT_TRUE(AskedToDiscard()) << w.name << ": family switch";
    EXPECT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_3D_MODEL);
    // Esc names the model in the exit question.
    g_GuardBoxes.clear();
    Guard_Key(VK_ESCAPE);
    ASSERT_FALSE(g_GuardBoxes.empty()) << w.name;
    EXPECT_NE(g_GuardBoxes.back().find("３Ｄモデル"), std::string::npos) << w.name << ": " << g_GuardBoxes.back();
    g_GuardAnswer = IDYES;
  }
  Doc_ClearChanged(DOC_MODEL3);
  DeleteFileA(path.c_str());
}

}  // namespace
