// The File menu's front end: one table of open, save and new commands, each a short
// operation over the library's file dialogs and the model and scene readers and writers;
// the common 3D model load; the quick loads of the F7, F9 and F11 keys.
#include "app/filemenu.h"

#include <string.h>

#include "app/commands.h"
#include "app/current.h"
#include "app/discard.h"
#include "app/docflags.h"
#include "app/entries.h"
#include "app/family.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/tree.h"
#include "app/views.h"
#include "lib/draw/drawdev.h"
#include "lib/draw/texture.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/dialogs.h"
#include "lib/media/filename.h"
#include "lib/render/objects.h"
#include "model/bone2.h"
#include "model/formats/formats.h"
#include "model/formats/kzm.h"
#include "model/formats/xfile.h"
#include "model/kza.h"
#include "model/kzb.h"
#include "model/kzo.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "model/obj2.h"
#include "model/seam_errorbox.h"
#include "model/seam_timer.h"
#include "model/cp932.h"
#include "model/str.h"


static const char kSaveTitle[] = "名前を付けてファイルに保存";
static const char kNoData[] = "保存するデータがありません。";
enum { BACKGROUND_SLOT = 10, SCRATCH_SLOT = 255 };

// [SECTION] helpers
static void *Owner(void) { return g_Shell.g_MainWindowHandle; }

static Model3 *SlotModel(u32 slot) { return slot < MODEL3_SLOTS ? g_Model3Slots[slot] : nullptr; }

static bool InPolySubMode(void) { return g_Shell.g_EditSubMode >= SUB_3D_POLY && g_Shell.g_EditSubMode <= SUB_3D_MOTION; }

// The current 3D model, computed with the active view made current, or null.
static Model3 *CurrentModel(void) {
  return Current_Model3();
}

// Refuses a save without data before any dialog is shown.
static bool HasDataOrSay(bool has) {
  if (!has) Seam_ErrorBox(kNoData);
  return has;
}

// Clears the polygon editors' selection flags for the positions and polygons of m.
static void ClearSelections(const Model3 *m) {
  if (!m) return;
  App_ClearSelectionFlags((u32)(m->positionCount > 0 ? m->positionCount : 0),
                          (u32)(m->polygonCount > 0 ? m->polygonCount : 0));
}

// The hierarchy of a freshly read model opens fully expanded.
static void ExpandAllBones(Model3 *m) {
  if (!m) return;
  for (Bone3 &b : m->bones) b.expanded = 1;
}

// One line "\n<name>" more in a list of missing files (what does not fit is left out).
static void AddMissing(char *list, size_t size, size_t *used, const char *name) {
  if (*used < size) *used += (size_t)Str_Format(list + *used, size - *used, "\n%s", name);
}

// After a model was read into slot: the textures it names that were found neither where
// the model is nor in the current folder are said in one message. Without a device nothing
// loads, so nothing is reported.
static void ReportMissingTextures(u32 slot) {
  const Model3 *m = SlotModel(slot);
  const ModelPose *pose = slot < MODEL3_SLOTS ? g_ModelPoses[slot] : nullptr;
  if (!m || !pose || !DrawDev_Ready()) return;
  char missing[1024] = "";
  size_t used = 0;
  for (i32 i = 0; i < m->textureCount && i < MODEL3_TEXTURES; i++)
    if (m->textures[i].used == 1 && m->textures[i].name && m->textures[i].name[0] && !pose->textures[i] &&
        !Tex_WasRefused(m->textures[i].name))   // found, and its kind refused with a message
      AddMissing(missing, sizeof missing, &used, m->textures[i].name);
  if (used) Seam_ErrorBoxf("次のテクスチャが見つかりませんでした。\n%s", missing);
}

// The same for the textures of the 2D bone model in slot 0 and the images of the 2D object
// model in slot 0.
static void ReportMissing2DImages(bool bone) {
  if (!DrawDev_Ready()) return;
  char missing[1024] = "";
  size_t used = 0;
  if (const Bone2Model *m = bone ? g_Bone2Slots[0] : nullptr)
    for (i32 n = 0; n < m->textureCount && n < BONE2_MAX_TEXTURES; n++)
      if (m->textures[n].used == 1 && m->textures[n].name[0] && !g_Tex.bone2Textures[n] && !Tex_WasRefused(m->textures[n].name))
        AddMissing(missing, sizeof missing, &used, m->textures[n].name);
  if (const Obj2Model *m = bone ? nullptr : g_Obj2Slots[0])
    for (i32 i = 0; i < m->imageCount && i < OBJ2_MAX_IMAGES; i++)
      if (m->imageNames[i][0] && !g_Obj2Textures[i] && !Tex_WasRefused(m->imageNames[i])) AddMissing(missing, sizeof missing, &used, m->imageNames[i]);
  if (used) Seam_ErrorBoxf(bone ? "次のテクスチャが見つかりませんでした。\n%s" : "次のイメージが見つかりませんでした。\n%s", missing);
}

static void EndOpen(void) {
  App_MarkAllRedraw(View_CurrentLayout());
  Timer_Reset();
}

void FileMenu_DefaultName(char *out, size_t size, const char *fileName, const char *ext) {
  if (!out || size == 0) return;
  if (!fileName || !fileName[0]) {
    Str_Format(out, size, "新規.%s", ext);
    return;
  }
  // The base without the text from its last point on (a point in first place is no extension).
  size_t len = strlen(fileName);
  const char *dot = strrchr(fileName, '.');
  if (dot && dot != fileName) len = (size_t)(dot - fileName);
  size_t room = strlen(ext) + 2;   // ".", the extension and the terminator
  if (size <= room) { out[0] = 0; return; }
  if (len > size - room) len = Cp932_CutLength(fileName, size - room);
  Str_Format(out, size, "%.*s.%s", (int)len, fileName, ext);
}

// Asks for a file to open / save; "" when cancelled.
static const char *AskOpen(const char *ext, const char *title) {
  return FileDlg_OpenByExt(Owner(), ext, title, "");
}

// The save dialog proposes the document's name with the extension of the format written.
static const char *AskSave(const char *ext, const char *documentName) {
  char def[FILEMENU_NAME];
  FileMenu_DefaultName(def, sizeof def, documentName ? documentName : "", ext);
  return FileDlg_SaveByExt(Owner(), ext, kSaveTitle, def);
}

// [SECTION] the common 3D model load
void FileMenu_LoadKzp(const char *name) {
  if (!name || !name[0]) {
    Timer_Reset();
    return;
  }
  // Layout 0 and the polygon sub-modes keep the full per-vertex arrays in their models.
  if (g_Shell.g_EditSubMode == 0 || InPolySubMode()) g_ModelAllocArrays = 1;
  ModelResult res;
  Model3 *m = Model3_OpenFile(0, name, &res);
  Seam_ShowResult(&res);
  if (m) {
    // The slot and the picks move only when the model was read: a refused file leaves the
    // user on the model and selection they had.
    g_Sel.g_CurSlot = 0;
    g_Sel.g_PickedPolygon = -1;
    g_Sel.g_PickedVertex = -1;
    ClearSelections(m);
    HookCtx c = Family_ShellContext();   // the new model in the current slot
    View_FitAll(&c);
    ExpandAllBones(m);
    Discard_LayerReplaced(0);
    ReportMissingTextures(0);
  }
  char label[FILEMENU_NAME];
  Str_Format(label, sizeof label, "%s 読み込み", name);
  if (g_ShellSeam.undoPush) g_ShellSeam.undoPush(label);
  Tex_CopyModel3Pixels((i32)g_Sel.g_CurSlot);
  HookCtx c = Family_ShellContext();
  App_RefreshLists(&c);
  // Again after the lists (their refresh may pick); a refused file keeps the selection.
  if (m) ClearSelections(CurrentModel());
  EndOpen();
}

bool FileMenu_CheckExportLimit(void) {
  const Model3 *m = Current_Model3();
  if (!m || m->polygonCount <= FILEMENU_EXPORT_LIMIT) return true;
  Seam_ErrorBoxf("%d ポリゴンまでしか保存できません。", FILEMENU_EXPORT_LIMIT);
  return false;
}

// [SECTION] open commands
// A model read into the current layer is the 3D editor's undo step "<file> 読み込み".
static void PushRead(const char *name) {
  char label[FILEMENU_NAME];
  Str_Format(label, sizeof label, "%s 読み込み", name);
  if (g_ShellSeam.undoPush) g_ShellSeam.undoPush(label);
}

static void OpenKzp(void) {
  const char *name = AskOpen("KZP", "読み込む KZP ファイルを選択して下さい");
  if (!name[0]) { Timer_Reset(); return; }
  FileMenu_LoadKzp(name);
}

static void OpenAnyFile(void) {
  // A filter is pairs of label and pattern ending in two NULs (the literal adds the second).
  static const char kAllFiles[] = "すべてのファイル\0*.*\0";
  const char *name = FileDlg_OpenWithFilter(Owner(), kAllFiles, "読み込むファイルを選択して下さい", "");
  if (!name[0]) { Timer_Reset(); return; }
  FileMenu_LoadKzp(name);   // the model reader chooses the format by the extension
}

typedef i32 (*SlotReader)(i32 slot, const char *name, ModelResult *res);

// Our X reader: 1 when read, otherwise an error code (with its message in *res when it has one).
static i32 ImportX(i32 slot, const char *name, ModelResult *res) { return XFile_Import(slot, name, res) == 1 ? 1 : 0; }

// The foreign formats: read into slot 0, which becomes current.
static void OpenForeign(const char *ext, const char *title, SlotReader read) {
  const char *name = AskOpen(ext, title);
  if (name[0]) {
    g_Sel.g_CurSlot = 0;
    g_Sel.g_PickedPolygon = -1;
    g_ModelAllocArrays = 1;
    ModelResult res;
    bool ok = read(0, name, &res) > 0;
    // The importers say nothing of a file that is not theirs or ends early; the user still
    // learns that the file was not read (the model is as it was).
    if (!ok && !res.message[0]) ModelResult_Refusef(&res, "%s を読み込むことができませんでした。", name);
    Seam_ShowResult(&res);
    g_ModelAllocArrays = 0;   // the request never outlives this read
    if (ok && Current_Model3()) {
      g_Sel.g_CurBoneIndex = 0;
      Discard_LayerReplaced(0);
      ReportMissingTextures(0);
      PushRead(name);
    }
  }
  EndOpen();
}

static void OpenMx(void) { OpenForeign("MX", "読み込む MX ファイルを選択して下さい", Mx_Read); }
static void OpenLwo(void) { OpenForeign("LWO", "読み込む LWO ファイルを選択して下さい", Lwo_Read); }
static void OpenMqo(void) { OpenForeign("MQO", "読み込む MQO ファイルを選択して下さい", Mqo_Read); }
static void OpenRok(void) { OpenForeign("ROK", "読み込む ROK ファイルを選択して下さい", Rok_Read); }
static void OpenDxf(void) { OpenForeign("DXF", "読み込む DXF ファイルを選択して下さい", Dxf_Read); }
static void OpenX(void) { OpenForeign("X", "読み込む X ファイルを選択して下さい", ImportX); }

static void OpenKzm(void) {
  const char *name = AskOpen("KZM", "読み込む KZM ファイルを選択して下さい");
  ModelResult res = {};
  if (name[0] && Kzm_Read((i32)g_Sel.g_CurSlot, name, &res) > 0) {
    Discard_LayerReplaced(g_Sel.g_CurSlot);   // its motion list and sounds are the file's
    PushRead(name);
  }
  Seam_ShowResult(&res);
  EndOpen();
}

// The object set's first part after the parent object 0; a set of the parent alone has only 0.
static u32 FirstObjectPart(void) {
  const Obj3Set *s = g_Obj3Sets[0];
  return s ? Current_Within(1, Kzo_ObjectCount(s)) : 1;
}

static void OpenKzo(void) {
  const char *name = AskOpen("KZO", "読み込む KZO ファイルを選択して下さい");
  if (name[0]) {
    g_Sel.g_CurSlot = 0;
    ModelResult res;
    if (Kzo_Read(0, name, Seam_ShowResult, &res)) Doc_Replaced(DOC_OBJ3);
    Seam_ShowResult(&res);
  }
  // Also after a cancel: the object editor starts again from its first part.
  g_Sel.g_CurPartIndex = FirstObjectPart();
  HookCtx c = Family_ShellContext();
  App_RefreshLists(&c);
  Kzo_UpdatePoses();
  EndOpen();
}

static void OpenKzb(void) {
  const char *name = AskOpen("KZB", "読み込む KZB ファイルを選択して下さい");
  if (!name[0]) { Timer_Reset(); return; }
  g_Sel.g_Cur2DSlot = 0;
  g_Sel.g_PickedPolygon = -1;
  g_ModelAllocArrays = 1;
  ModelResult res;
  i32 ok = Kzb_Read(0, name, &res);
  Seam_ShowResult(&res);
  g_ModelAllocArrays = 0;
  if (ok == 1) {
    HookCtx c = Family_ShellContext();   // the model just read
    App_RefreshLists(&c);
    c.sel->g_CurBoneIndex = 0;
    c.sel->g_PickedVertex = -1;
    // The flags and points of the model before name vertices of this one.
    App_ForgetPolySelection(c.sel);
    Doc_Replaced(DOC_BONE2);
    ReportMissing2DImages(true);
  }
  // The texture pixels of the 2D slot that was read (not of the 3D layer g_Sel.g_CurSlot).
  Tex_CopyBone2Pixels(0);
  HookCtx c = Family_ShellContext();
  App_RefreshLists(&c);
  Timer_Reset();
}

static void OpenKza(void) {
  const char *name = AskOpen("KZA", "読み込む KZA ファイルを選択して下さい");
  if (!name[0]) { Timer_Reset(); return; }
  g_Sel.g_Cur2DSlot = 0;
  ModelResult res;
  Obj2Model *m = Kza_Read(0, name, &res) > 0 ? g_Obj2Slots[0] : nullptr;
  Seam_ShowResult(&res);
  if (m) {
    m->currentFrame = 0;
    g_Sel.g_CurBoneIndex = 0;
    g_Sel.g_PickedVertex = -1;
    i32 motion = m->currentMotion;
    i32 length = motion >= 0 && motion < OBJ2_MAX_MOTIONS ? m->motions[motion].length : 0;
    if (g_ShellEntries.obj2FrameBar) g_ShellEntries.obj2FrameBar(length);
    Doc_Replaced(DOC_OBJ2);
    ReportMissing2DImages(false);
  }
  if (g_ShellEntries.obj2RefreshLists) g_ShellEntries.obj2RefreshLists();
  Timer_Reset();
}

// A scene document's reader; an editor that has not registered one is refused before the dialog.
static bool SceneReader(const DocFileEntries &e, const char *what) {
  if (e.read) return true;
  Seam_ErrorBoxf("%s の読み込みは、まだ用意されていません。", what);
  return false;
}

// Asks for a file of scene document e (`what` names it when it has no reader), reads it (a
// file read leaves the document unchanged) and has the editor show it; firstSlot makes slot 0
// current before that. False when there is no reader or no file was chosen.
static bool ReadScene(const DocFileEntries &e, const char *what, const char *ext, const char *prompt, u32 kind,
                      bool firstSlot) {
  if (!SceneReader(e, what)) return false;
  const char *name = AskOpen(ext, prompt);
  if (!name[0]) {
    Timer_Reset();
    return false;
  }
  if (e.read(name)) Doc_Replaced(kind);
  if (firstSlot) g_Sel.g_CurSlot = 0;
  if (e.afterRead) e.afterRead();
  return true;
}

// The reader sets frame 0 and rebuilds the frame tables; the old movie stays on failure.
static void OpenKzv(void) {
  if (!ReadScene(g_ShellEntries.movie, "ムービー( KZV )", "KZV", "読み込むムービーファイル( KZV )を選択して下さい",
                 DOC_MOVIE, true))
    return;
  HookCtx c = Family_ShellContext();
  App_RefreshLists(&c);
  EndOpen();
}

static void OpenKzc(void) {
  if (ReadScene(g_ShellEntries.collision, "KZC", "KZC", "読み込む KZC ファイルを選択して下さい", DOC_COLLISION, false))
    EndOpen();
}

static void OpenCollisionModel(void) {
  if (!g_ShellEntries.collisionSetModel) {
    Seam_ErrorBox("当たり判定モデルの読み込みは、まだ用意されていません。");
    return;
  }
  const char *name = AskOpen("KZP", "読み込む KZP ファイルを選択して下さい");
  if (!name[0]) { Timer_Reset(); return; }
  // Read into the scratch slot: the document's model is replaced only by a model that was read.
  ModelResult res;
  Model3 *read = Model3_OpenFile(SCRATCH_SLOT, name, &res);
  Seam_ShowResult(&res);
  Model3 *copy = read ? Model3_Clone(read) : nullptr;
  if (copy && !g_ShellEntries.collisionSetModel(copy, name)) Model3_Free(copy);
  EndOpen();
}

static void OpenBackground(void) {
  const char *name = AskOpen("KZP", "読み込む KZP ファイルを選択して下さい");
  if (!name[0]) { Timer_Reset(); return; }
  g_Sel.g_CurSlot = BACKGROUND_SLOT;   // stays current: later edits act on the background model
  ModelResult res;
  Model3_OpenFile(BACKGROUND_SLOT, name, &res);
  Seam_ShowResult(&res);
  if (g_Model3Slots[BACKGROUND_SLOT]) {
    ObjectInit(BACKGROUND_SLOT);
    if (g_ShellEntries.collisionSetBackground) g_ShellEntries.collisionSetBackground(BACKGROUND_SLOT, name);
  }
  EndOpen();
}

static void OpenMap2(void) {
  if (ReadScene(g_ShellEntries.map2, "MAP2", "MAP2", "読み込む MAP2 ファイルを選択して下さい", DOC_MAP2, false))
    Timer_Reset();
}

// [SECTION] save commands
static void SaveDone(bool ok, u32 kind) {
  if (ok) Doc_ClearChanged(kind);
  Timer_Reset();
}

static const char *ModelFileName(const Model3 *m) { return m && m->fileName ? m->fileName : ""; }

typedef i32 (*SlotWriter)(i32 slot, const char *name, ModelResult *res);

// Asks for the file name (documentName suggests it) and writes the slot, showing the writer's
// answer. The name written to, or null when none was chosen or the write failed.
static const char *WriteSlot(const char *ext, const char *documentName, SlotWriter write, u32 slot) {
  const char *name = AskSave(ext, documentName);
  ModelResult res = {};
  bool ok = name[0] && write((i32)slot, name, &res) > 0;
  Seam_ShowResult(&res);
  return ok ? name : nullptr;
}

// WriteSlot for a document that keeps its file name in `field`: the name written replaces it.
static bool WriteSlotAs(const char *ext, char *field, size_t size, SlotWriter write, u32 slot) {
  const char *name = WriteSlot(ext, field, write, slot);
  if (name) Str_Copy(field, size, name);
  return name != nullptr;
}

static void SaveKzp(void) {
  Model3 *m = CurrentModel();
  if (!HasDataOrSay(m != nullptr)) return;
  const char *name = AskSave("KZP", ModelFileName(m));
  ModelResult res = {};
  bool ok = name[0] && Kzp_Write(m, name, &res);
  Seam_ShowResult(&res);
  if (ok) {
    // The title and the next save name the new file, also after an undo.
    char old[FILEMENU_NAME];
    Str_Copy(old, sizeof old, ModelFileName(m));
    Model3_SetText(&m->fileName, name);
    if (g_ShellSeam.undoFileSaved) g_ShellSeam.undoFileSaved(old, name);
  }
  // The layer's file holds no sound list: a changed one stays to be saved as a KZM.
  SaveDone(ok, Doc_LayerKind(g_Sel.g_CurSlot));
}

static void SaveKzm(void) {
  Model3 *m = CurrentModel();
  if (!HasDataOrSay(m != nullptr)) return;
  // A KZM holds the motion list and the sounds, not the model: the layer stays as changed as it was.
  SaveDone(WriteSlot("KZM", ModelFileName(m), Kzm_Write, g_Sel.g_CurSlot) != nullptr, Doc_SoundKind(g_Sel.g_CurSlot));
}

static void SaveKzo(void) {
  // g_Sel.g_CurSlot is the set number here; the background slot 10 and the layers beyond the 16
  // sets hold no set to save.
  bool has = g_Sel.g_CurSlot < OBJ3_SETS && g_Obj3Sets[g_Sel.g_CurSlot] != nullptr;
  if (!HasDataOrSay(has)) return;
  Model3 *m = CurrentModel();
  const char *name = AskSave("KZO", m ? ModelFileName(m) : "");
  ModelResult res = {};
  bool ok = name[0] && Kzo_Write((i32)g_Sel.g_CurSlot, name, &res);
  Seam_ShowResult(&res);
  Obj3Set *s = g_Obj3Sets[g_Sel.g_CurSlot];
  if (ok && s) Str_Copy(s->parts[0].path, sizeof s->parts[0].path, name);   // object 0 names the set
  SaveDone(ok, DOC_OBJ3);
}

static void SaveKzb(void) {
  Bone2Model *m = g_Sel.g_Cur2DSlot < BONE2_SLOTS ? g_Bone2Slots[g_Sel.g_Cur2DSlot] : nullptr;
  if (!HasDataOrSay(m != nullptr)) return;
  SaveDone(WriteSlotAs("KZB", m->name, sizeof m->name, Kzb_Write, g_Sel.g_Cur2DSlot), DOC_BONE2);
}

static void SaveKza(void) {
  Obj2Model *m = g_Sel.g_Cur2DSlot < OBJ2_SLOTS ? g_Obj2Slots[g_Sel.g_Cur2DSlot] : nullptr;
  if (!HasDataOrSay(m != nullptr)) return;
  SaveDone(WriteSlotAs("KZA", m->filePath, sizeof m->filePath, Kza_Write, g_Sel.g_Cur2DSlot), DOC_OBJ2);
}

// A scene document's writer: no registered document means nothing to save.
static void SaveScene(const DocFileEntries &e, const char *ext, u32 kind) {
  if (!HasDataOrSay(e.write && e.hasData && e.hasData())) return;
  const char *def = e.fileName ? e.fileName() : nullptr;
  const char *name = AskSave(ext, def);
  SaveDone(name[0] && e.write(name), kind);
}

static void SaveKzv(void) { SaveScene(g_ShellEntries.movie, "KZV", DOC_MOVIE); }
static void SaveKzc(void) { SaveScene(g_ShellEntries.collision, "KZC", DOC_COLLISION); }
static void SaveMap2(void) { SaveScene(g_ShellEntries.map2, "MAP2", DOC_MAP2); }

// MX, LWO and X: a current model with polygons (these formats hold nothing else: an empty
// model, as after 新規作成, has no data to save), within the export limit.
// The writers' answers say their failures.
static void SaveExport(const char *ext, SlotWriter write) {
  Model3 *m = CurrentModel();
  if (!HasDataOrSay(m != nullptr && m->polygonCount > 0) || !FileMenu_CheckExportLimit()) return;
  WriteSlot(ext, ModelFileName(m), write, g_Sel.g_CurSlot);
  Timer_Reset();
}

static void SaveMx(void) { SaveExport("MX", Mx_Write); }
static void SaveLwo(void) { SaveExport("LWO", Lwo_Write); }
static void SaveX(void) { SaveExport("X", XFile_Export); }

// [SECTION] new documents
static void New3D(void) {
  if (InPolySubMode()) g_ModelAllocArrays = 1;
  bool made = Model3_Init(0) != nullptr;
  if (made) Discard_LayerReplaced(0);
  g_ModelAllocArrays = 0;
  // The new model is layer 0's step: an undo goes back to the model it replaced.
  if (made && g_Sel.g_CurSlot == 0 && g_ShellSeam.undoPush) g_ShellSeam.undoPush("新規作成");
  App_MarkAllRedraw(View_CurrentLayout());
  Timer_Reset();
}

static void New2DObject(void) {
  if (g_Sel.g_Cur2DSlot < OBJ2_SLOTS && Obj2_Init((i32)g_Sel.g_Cur2DSlot)) Doc_Replaced(DOC_OBJ2);
  if (g_ShellEntries.obj2RefreshLists) g_ShellEntries.obj2RefreshLists();
  Timer_Reset();
}

// [SECTION] the command table
static const FileCommand kCommands[] = {
  {IDM_KZP_OPEN, FILECMD_OPEN, DOC_MODEL3, "KZP", "読み込む KZP ファイルを選択して下さい", OpenKzp},
  {IDM_ANY_OPEN, FILECMD_OPEN, DOC_MODEL3, nullptr, "読み込むファイルを選択して下さい", OpenAnyFile},
  {IDM_MX_OPEN, FILECMD_OPEN, DOC_MODEL3, "MX", "読み込む MX ファイルを選択して下さい", OpenMx},
  {IDM_LWO_OPEN, FILECMD_OPEN, DOC_MODEL3, "LWO", "読み込む LWO ファイルを選択して下さい", OpenLwo},
  {IDM_MQO_OPEN, FILECMD_OPEN, DOC_MODEL3, "MQO", "読み込む MQO ファイルを選択して下さい", OpenMqo},
  {IDM_ROK_OPEN, FILECMD_OPEN, DOC_MODEL3, "ROK", "読み込む ROK ファイルを選択して下さい", OpenRok},
  {IDM_DXF_OPEN, FILECMD_OPEN, DOC_MODEL3, "DXF", "読み込む DXF ファイルを選択して下さい", OpenDxf},
  {IDM_X_OPEN, FILECMD_OPEN, DOC_MODEL3, "X", "読み込む X ファイルを選択して下さい", OpenX},
  {IDM_KZM_OPEN, FILECMD_OPEN, FILEMENU_CURRENT_LAYER, "KZM", "読み込む KZM ファイルを選択して下さい", OpenKzm},
  {IDM_KZO_OPEN, FILECMD_OPEN, DOC_OBJ3, "KZO", "読み込む KZO ファイルを選択して下さい", OpenKzo},
  {IDM_KZB_OPEN, FILECMD_OPEN, DOC_BONE2, "KZB", "読み込む KZB ファイルを選択して下さい", OpenKzb},
  {IDM_KZA_OPEN, FILECMD_OPEN, DOC_OBJ2, "KZA", "読み込む KZA ファイルを選択して下さい", OpenKza},
  {IDM_KZV_OPEN, FILECMD_OPEN, DOC_MOVIE, "KZV", "読み込むムービーファイル( KZV )を選択して下さい", OpenKzv},
  {IDM_KZC_OPEN, FILECMD_OPEN, DOC_COLLISION, "KZC", "読み込む KZC ファイルを選択して下さい", OpenKzc},
  {IDM_COLI_KZP_OPEN, FILECMD_OPEN, DOC_NONE, "KZP", "読み込む KZP ファイルを選択して下さい", OpenCollisionModel},
  {IDM_BACK_KZP_OPEN, FILECMD_OPEN, DOC_NONE, "KZP", "読み込む KZP ファイルを選択して下さい", OpenBackground},
  {IDM_MAP2_OPEN, FILECMD_OPEN, DOC_MAP2, "MAP2", "読み込む MAP2 ファイルを選択して下さい", OpenMap2},
  {IDM_KZP_SAVE, FILECMD_SAVE, DOC_NONE, "KZP", kSaveTitle, SaveKzp},
  {IDM_KZM_SAVE, FILECMD_SAVE, DOC_NONE, "KZM", kSaveTitle, SaveKzm},
  {IDM_KZO_SAVE, FILECMD_SAVE, DOC_NONE, "KZO", kSaveTitle, SaveKzo},
  {IDM_KZB_SAVE, FILECMD_SAVE, DOC_NONE, "KZB", kSaveTitle, SaveKzb},
  {IDM_KZA_SAVE, FILECMD_SAVE, DOC_NONE, "KZA", kSaveTitle, SaveKza},
  {IDM_KZV_SAVE, FILECMD_SAVE, DOC_NONE, "KZV", kSaveTitle, SaveKzv},
  {IDM_KZC_SAVE, FILECMD_SAVE, DOC_NONE, "KZC", kSaveTitle, SaveKzc},
  {IDM_MAP2_SAVE, FILECMD_SAVE, DOC_NONE, "MAP2", kSaveTitle, SaveMap2},
  {IDM_MX_SAVE, FILECMD_SAVE, DOC_NONE, "MX", kSaveTitle, SaveMx},
  {IDM_LWO_SAVE, FILECMD_SAVE, DOC_NONE, "LWO", kSaveTitle, SaveLwo},
  {IDM_X_SAVE, FILECMD_SAVE, DOC_NONE, "X", kSaveTitle, SaveX},
  {IDM_NEW_MODEL, FILECMD_NEW, DOC_MODEL3, nullptr, "新規作成", New3D},
  {IDM_NEW_OBJ2, FILECMD_NEW, DOC_OBJ2, nullptr, "新規作成", New2DObject},
};

// The question before a command replaces kind: a layer's model goes with its sound list.
static bool AskReplace(u32 kind) {
  if (kind == FILEMENU_CURRENT_LAYER) return Discard_AskLayer(g_Sel.g_CurSlot);
  i32 layer = Doc_LayerSlot(kind);
  return layer >= 0 ? Discard_AskLayer((u32)layer) : Discard_Ask(kind);
}

const FileCommand *FileMenu_Find(u32 id) {
  for (const FileCommand &c : kCommands)
    if (c.id == id) return &c;
  return nullptr;
}

bool FileMenu_Command(u32 id) {
  const FileCommand *c = FileMenu_Find(id);
  if (!c) return false;
  // A changed document is replaced only when the user agrees; "いいえ" leaves it all as it was.
  if (c->replaces != DOC_NONE && !AskReplace(c->replaces)) {
    Timer_Reset();
    return true;
  }
  c->run();
  return true;
}

static void FileCommandEntry(u32 id) { FileMenu_Command(id); }

void FileMenu_Install(void) { g_ShellSeam.fileCommand = FileCommandEntry; }

// [SECTION] quick loads
struct QuickLoad {
  const char *folder;   // under the data folder; null for the data folder itself
  const char *file;
  const char *label;    // the undo step's label
};
static const QuickLoad kQuick[] = {
  {nullptr, "0.KZP", "KeyF7"},
  {"Brawl3D_2005", "ペルカ.KZP", "KeyF9"},
  {"Brawl3D_2006", "woman.KZP", "KeyF11"},
};

// Context c with the model now in its selection's current slot (a load has replaced it).
static HookCtx Reloaded(const HookCtx *c) {
  HookCtx r = *c;
  r.slot = c->sel->g_CurSlot;
  r.model = SlotModel(r.slot);
  return r;
}

// Reads a sample model into the context's layer and shows it whole.
static void QuickLoadModel(const HookCtx *c, const QuickLoad &q) {
  // A missing sample folder leaves the data folder current, so the reader reports the file.
  if (q.folder) FileDlg_ChangeDir(q.folder);
  g_ModelAllocArrays = 1;
  ModelResult res;
  u32 slot = c->sel->g_CurSlot;
  if (Model3_OpenFile((i32)slot, q.file, &res)) Discard_LayerReplaced(slot);
  Seam_ShowResult(&res);
  Tex_CopyModel3Pixels((i32)slot);
  if (Model3 *m = SlotModel(slot)) {
    ExpandAllBones(m);
    Tree_BuildRowsBones3D();
  }
  if (q.folder && g_Lib.dataDir[0]) FileDlg_ChangeDir(g_Lib.dataDir);
  HookCtx read = Reloaded(c);
  View_FitAll(&read);
}

static void QuickLoadObjectSet(const HookCtx *c) {
  c->sel->g_CurSlot = 0;
  ModelResult res;
  if (Kzo_Read(0, "0.KZO", Seam_ShowResult, &res)) Doc_Replaced(DOC_OBJ3);
  Seam_ShowResult(&res);
  c->sel->g_CurPartIndex = FirstObjectPart();
  HookCtx read = Reloaded(c);
  App_RefreshLists(&read);
  Kzo_UpdatePoses();
  Timer_Reset();
}

void FileMenu_QuickLoad(const HookCtx *c, u32 which) {
  if (which > QUICK_F11) return;
  const QuickLoad &q = kQuick[which];
  if (g_Lib.dataDir[0]) FileDlg_ChangeDir(g_Lib.dataDir);
  if (g_Shell.g_EditFamily == FAMILY_3D_MODEL) {
    // A quick load replaces the layer's model (or the object set) like an open does.
    bool objects = c->layout == SUB_3D_OBJMOTION;
    bool loads = !objects || which == QUICK_F7;
    if (loads && !(objects ? Discard_Ask(DOC_OBJ3) : Discard_AskLayer(c->sel->g_CurSlot))) {
      Timer_Reset();
      return;
    }
    if (objects && loads) QuickLoadObjectSet(c);
    else if (!objects) QuickLoadModel(c, q);
    HookCtx read = Reloaded(c);
    App_RefreshLists(&read);
  }
  // A missing file was reported by the reader; the step is recorded all the same.
  if (g_ShellSeam.undoPush) g_ShellSeam.undoPush(q.label);
  Timer_Reset();
}
