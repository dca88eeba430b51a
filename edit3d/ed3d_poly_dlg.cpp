// The modelling dialog's and the numeric input's commands (ed3d_poly_dlg.h): each runs its
// operation on the current layer's model, writes the label and records the undo step when
// the operation did its work; a refused operation records nothing.
#include "edit3d/ed3d_poly_dlg.h"

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/filemenu.h"
#include "app/shell_mouse.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "app/widget.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_poly_clip.h"
#include "edit3d/ed3d_poly_ops.h"
#include "edit3d/undo.h"
#include "lib/draw/pn.h"
#include "lib/media/dialogs.h"
#include "model/mesh.h"
#include "model/str.h"
#include "resources/edit3d_ids.h"
#include "resources/shell_ids.h"

const char *const kPolyDlgNames[2] = {"POLY_DLG", "POLY_NUM_DLG"};

// [SECTION] open and close
void Ed3D_PolyOpenDialogs(void) {
  i32 w, h;
  Widget_DesktopSize(&w, &h);
  if (!Ed3DPolyEditor.dlg) Ed3DPolyEditor.dlg = Widget_CreatePanel(kPolyDlgNames[POLY_DLG_MAIN], 0, h - 210, 740, 180);
  if (!Ed3DPolyEditor.numDlg) Ed3DPolyEditor.numDlg = Widget_CreatePanel(kPolyDlgNames[POLY_DLG_NUMERIC], w - 172, h - 130, 172, 100);
}

void Ed3D_PolyCloseDialogs(void) {
  void *dlg = Ed3DPolyEditor.dlg, *num = Ed3DPolyEditor.numDlg;
  Ed3DPolyEditor.dlg = Ed3DPolyEditor.numDlg = nullptr;
  if (dlg) Widget_Destroy(dlg);
  if (num) Widget_Destroy(num);
}

// [SECTION] steps
// The step goes into the history of the context's layer.
static void Record(const HookCtx *c, Model3 *m, const char *label) {
  Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, label);
  Doc_MarkEdited(DOC_MODEL3);
  m->changed = 1;
  Undo_PushSlot(c->slot);
}

// Runs an operation; records its step when it did its work. Then the after-edit refresh.
static void Run(const HookCtx *c, Model3 *m, bool done, const char *label) {
  if (done) Record(c, m, label);
  Ed3DPolyEditor.dlgRefresh = 1;
  Ed3D_PolyAfterEdit(c->layout);
}

// A model flag toggled from the dialog. The flags are saved with the model: the toggle is an
// edit with its undo step.
static void Toggle(const HookCtx *c, Model3 *m, u32 *flag, const char *on, const char *off) {
  *flag = *flag ? 0 : 1;
  Record(c, m, *flag ? on : off);
  Ed3DPolyEditor.dlgRefresh = 1;
  App_MarkAllRedraw(c->layout);
}

static void SelectTool(ShellSelection *sel, u32 tool) {
  sel->g_PolyTool = tool;
  Ed3DPolyEditor.dlgRefresh = 1;
}

// Curved surfaces on the context's layer: the model tessellated and stored back into its slot.
static void Curve(const HookCtx *c, Model3 *m) {
  i32 slot = (i32)c->slot;
  if (Pn_TessellateModel(slot) && Pn_StoreWorkModel(slot)) {
    // The polygons are all new: no old selection applies to them.
    Ed3D_PolyClearFlags(c->sel);
    Record(c, Model3_Get(slot) ? Model3_Get(slot) : m, "曲面化 ( モデリング )");
  }
  HookCtx shell = Family_ShellContext();
  App_RefreshLists(&shell);
}

static void AddFile(const HookCtx *c, Model3 *m) {
  const char *name = FileDlg_OpenByExt(g_Shell.g_MainWindowHandle, "KZP", "読み込む KZP ファイルを選択して下さい", "");
  if (!name || !name[0]) return;
  if (!Ed3D_PolyMergeFileInto(c, m, name)) return;
  char label[UNDO_LABEL];
  Str_Format(label, sizeof label, "%s ( モデリング )", name);
  Record(c, m, label);
}

static bool Primitive(const HookCtx *c, Model3 *m, u32 id) {
  static const struct { u32 id; const char *name; } kPrimitives[] = {
    {IDC_POLY_TRIANGLE, "３角形"}, {IDC_POLY_QUAD, "４角形"}, {IDC_POLY_CUBE, "立方体"},
    {IDC_POLY_SPHERE, "球"},       {IDC_POLY_CYLINDER, "円柱"}, {IDC_POLY_CONE, "円錐"},
  };
  for (const auto &p : kPrimitives)
    if (p.id == id) {
      // A primitive that cannot be read or placed has said why and changed nothing.
      if (Ed3D_PolyLoadPrimitiveInto(c, m, p.name)) {
        char label[UNDO_LABEL];
        Str_Format(label, sizeof label, "%s ( モデリング )", p.name);
        Record(c, m, label);
      }
      Ed3D_PolyAfterEdit(c->layout);
      return true;
    }
  return false;
}

// Commands that change the model through an operation of ed3d_poly_ops.h, on selection sel.
static bool Operation(const HookCtx *c, Model3 *m, ShellSelection *sel, u32 id) {
  switch (id) {
    case IDC_POLY_LEFT_HALF: Run(c, m, Ed3D_PolyDeleteLeftHalf(m, sel), "左半分消 ( モデリング )"); return true;
    case IDC_POLY_DIVIDE: Run(c, m, Ed3D_PolyDivide(m, sel), "分割 ( モデリング )"); return true;
    case IDC_POLY_DELETE: Run(c, m, Ed3D_PolyDelete(m, sel), "消去 ( モデリング )"); return true;
    case IDC_POLY_FLIP: Run(c, m, Ed3D_PolyFlipFaces(m, sel), "反転 ( モデリング )"); return true;
    case IDC_POLY_BREAK: Run(c, m, Ed3D_PolyBreakFaces(m, sel), "面撤去 ( モデリング )"); return true;
    case IDC_POLY_OPTIMISE: Run(c, m, Ed3D_PolyOptimise(m, sel), "最適化 ( モデリング )"); return true;
    case IDC_POLY_MERGE: {
      bool faces = sel->g_PolySelectMode == 1;
      Run(c, m, Ed3D_PolyMerge(m, sel), faces ? "統合:面 ( モデリング )" : "統合:頂点 ( モデリング )");
      return true;
    }
    case IDC_POLY_EXTRUDE: {
      bool done = Ed3D_PolyExtrude(m, sel, g_Shell.g_LastViewZoom);
      if (done) sel->g_PolyTool = POLY_TOOL_MOVE;
      Run(c, m, done, "面押出し ( モデリング )");
      return true;
    }
    case IDC_POLY_CREATE:
      sel->g_FreeCreateCount = 0;
      Run(c, m, Ed3D_PolyCreateFace(m, sel), "作成 ( モデリング )");
      return true;
    case IDC_POLY_ROTATE_COLOURS:
      if (Ed3D_PolyRotateColours(m, sel)) Record(c, m, "色No回転 ( モデリング )");
      App_MarkAllRedraw(c->layout);
      return true;
    case IDC_POLY_NORMALS:
      Model3_CalcNormals(m);
      Run(c, m, true, "法線計算 ( モデリング )");
      return true;
    case IDC_POLY_CURVE: Curve(c, m); return true;
    default: return false;
  }
}

// Commands of the clipboard, the primitives and the file merge (recorded when they report a change).
static bool Clipboard(const HookCtx *c, Model3 *m, ShellSelection *sel, u32 id) {
  switch (id) {
    case IDC_POLY_CUT: Run(c, m, Ed3D_PolyCut(m, sel), "カット ( モデリング )"); return true;
    case IDC_POLY_COPY: if (Ed3D_PolyCopy(m, sel)) Record(c, m, "コピー ( モデリング )"); return true;
    case IDC_POLY_PASTE: Run(c, m, Ed3D_PolyPaste(m), "ペースト ( モデリング )"); return true;
    case IDC_POLY_ADD_FILE: AddFile(c, m); return true;
    default: return Primitive(c, m, id);
  }
}

// Selection, tools, switches and the file commands.
static bool Setting(const HookCtx *c, Model3 *m, ShellSelection *sel, ShellMouse *mouse, u32 id) {
  switch (id) {
    case IDC_POLY_MOVE_VIEW: Ed3DPolyEditor.moveMode = 0; App_MarkAllRedraw(c->layout); return true;
    case IDC_POLY_MOVE_NORMAL: Ed3DPolyEditor.moveMode = 1; App_MarkAllRedraw(c->layout); return true;
    case IDC_POLY_MOVE_AXIS: Ed3DPolyEditor.moveMode = 2; App_MarkAllRedraw(c->layout); return true;
    case IDC_POLY_INVERT: Ed3D_PolyInvertSelection(m, sel, c->layout); return true;
    case IDC_POLY_SELECT_ALL: Ed3D_PolySelectAllOrNone(sel, c->layout); return true;
    case IDC_POLY_MOVE: SelectTool(sel, POLY_TOOL_MOVE); return true;
    case IDC_POLY_ROTATE: SelectTool(sel, POLY_TOOL_ROTATE); return true;
    case IDC_POLY_SCALE: SelectTool(sel, POLY_TOOL_SCALE); return true;
    case IDC_POLY_VERTEX_MODE: Ed3D_PolySelectVertexMode(sel, mouse, c->layout); return true;
    case IDC_POLY_FACE_MODE: Ed3D_PolySelectFaceMode(sel, mouse, c->layout); return true;
    case IDC_POLY_FREE:
      sel->g_PolyTool = POLY_TOOL_FREE;
      sel->g_FreeCreateCount = 0;
      Ed3DPolyEditor.dlgRefresh = 1;
      Ed3D_PolyAfterEdit(c->layout);
      return true;
    case IDC_POLY_LOAD: FileMenu_Command(IDM_KZP_OPEN); return true;
    case IDC_POLY_SAVE: FileMenu_Command(IDM_KZP_SAVE); Ed3DPolyEditor.dlgRefresh = 1; return true;
    case IDC_POLY_FACE_NO:
    case IDC_POLY_POLYGONISE: return true;
    case IDC_POLY_VERTEX_NO:
      sel->g_PolyVertexNo += 1;
      Ed3DPolyEditor.dlgRefresh = 1;
      Ed3D_PolyAfterEdit(c->layout);
      return true;
    case IDC_POLY_LIGHT: Toggle(c, m, &m->lighting, "ライトON ( モデリング )", "ライトOFF ( モデリング )"); return true;
    case IDC_POLY_VERTEX_COLOURS:
      Toggle(c, m, &m->vertexColorMode, "頂点カラーフラグON ( モデリング )", "頂点カラーフラグOFF ( モデリング )");
      return true;
    case IDC_POLY_EDGES: Toggle(c, m, &m->immediate, "エッジON ( モデリング )", "エッジOFF ( モデリング )"); return true;
    case IDC_POLY_NO_AUTO_PICK: sel->g_PolyNoAutoPick = sel->g_PolyNoAutoPick ? 0 : 1; Ed3D_PolyAfterEdit(c->layout); return true;
    case IDC_POLY_SHOW_NORMALS: sel->g_PolyShowNormals = sel->g_PolyShowNormals ? 0 : 1; Ed3D_PolyAfterEdit(c->layout); return true;
    case IDC_POLY_AUTO_NORMALS: m->autoNormals = m->autoNormals ? 0 : 1; Ed3D_PolyAfterEdit(c->layout); return true;
    default: return false;
  }
}

bool Ed3D_PolyDlgCommand(u32 id) {
  HookCtx c = Family_ShellContext();
  return Ed3D_PolyCommand(&c, id);
}

bool Ed3D_PolyCommand(Model3 *m, ShellSelection *sel, ShellMouse *mouse, u32 id) {
  HookCtx c = Family_ShellContext();
  c.model = m;
  c.sel = sel;
  c.mouse = mouse;
  return Ed3D_PolyCommand(&c, id);
}

bool Ed3D_PolyCommand(const HookCtx *c, u32 id) {
  Model3 *m = c->model;
  ShellSelection *sel = c->sel;
  if (m) return Operation(c, m, sel, id) || Clipboard(c, m, sel, id) || Setting(c, m, sel, c->mouse, id);
  // Without a model the commands do nothing but are still the dialog's.
  static const u32 kIds[] = {
    IDC_POLY_MOVE_VIEW, IDC_POLY_MOVE_NORMAL, IDC_POLY_MOVE_AXIS, IDC_POLY_INVERT, IDC_POLY_SELECT_ALL,
    IDC_POLY_LEFT_HALF, IDC_POLY_CURVE, IDC_POLY_MOVE, IDC_POLY_VERTEX_MODE, IDC_POLY_FACE_MODE,
    IDC_POLY_DIVIDE, IDC_POLY_CUT, IDC_POLY_ROTATE, IDC_POLY_MERGE, IDC_POLY_COPY, IDC_POLY_SCALE,
    IDC_POLY_DELETE, IDC_POLY_PASTE, IDC_POLY_ROTATE_COLOURS, IDC_POLY_COLOUR, IDC_POLY_FREE, IDC_POLY_ADD_FILE,
    IDC_POLY_LOAD, IDC_POLY_FACE_NO, IDC_POLY_VERTEX_NO, IDC_POLY_APPLY, IDC_POLY_TRIANGLE, IDC_POLY_NORMALS,
    IDC_POLY_POLYGONISE, IDC_POLY_QUAD, IDC_POLY_CUBE, IDC_POLY_SPHERE, IDC_POLY_CYLINDER, IDC_POLY_CONE,
    IDC_POLY_CREATE, IDC_POLY_FLIP, IDC_POLY_OPTIMISE, IDC_POLY_LIGHT, IDC_POLY_BREAK, IDC_POLY_EXTRUDE,
    IDC_POLY_SAVE, IDC_POLY_VERTEX_COLOURS, IDC_POLY_EDGES, IDC_POLY_NO_AUTO_PICK, IDC_POLY_SHOW_NORMALS,
    IDC_POLY_AUTO_NORMALS};
  for (u32 k : kIds)
    if (k == id) return true;
  return false;
}

void Ed3D_PolyColourCommand(const char *const text[4], const char *label) {
  HookCtx c = Family_ShellContext();
  Model3 *m = c.model;
  if (!m) return;
  if (Ed3D_PolyApplyColourText(m, c.sel, text)) Record(&c, m, label);
  Ed3DPolyEditor.dlgRefresh = 1;   // the boxes show the colour as stored (clamped to 0..255)
  App_MarkAllRedraw(c.layout);
}

void Ed3D_PolyNumericCommand(const char *const text[3]) {
  HookCtx c = Family_ShellContext();
  Model3 *m = c.model;
  if (!m) return;
  if (Ed3D_PolyNumericInput(m, c.sel, text)) Record(&c, m, "数値入力 ( モデリング )");
  App_MarkAllRedraw(c.layout);
}

void Ed3D_PolyCountTexts(char out[4][32]) {
  const Model3 *m = Current_Model3();
  Str_Format(out[0], 32, "頂点数  %5d", m ? m->positionCount : 0);
  Str_Format(out[1], 32, "法線数  %5d", m ? m->normalCount : 0);
  Str_Format(out[2], 32, " 色数   %5d", m ? m->colorCount : 0);
  Str_Format(out[3], 32, "ＵＶ数  %5d", m ? m->uvCount : 0);
}
