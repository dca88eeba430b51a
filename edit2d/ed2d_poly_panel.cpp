// The modelling panel's operation buttons: each runs its mesh operation (ed2d_poly_ops.cpp)
// on slot 0's skin and, when the operation did its work, writes its label, marks the model
// edited and asks for a redraw; the panel mirrors the counts at its next tick.
#include <string.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_poly.h"
#include "edit2d/ed2d_poly_ops.h"
#include "lib/media/dialogs.h"
#include "model/str.h"
#include "resources/shell_ids.h"

static void Redraw(void) {
  g_Ed2DPoly.panelRefresh = 1;
  App_MarkAllRedraw(View_CurrentLayout());
}

// A change of the mesh: label, edited flag, redraw.
static void Changed(const char *label) {
  if (label) Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, label);
  Doc_MarkEdited(DOC_BONE2);
  Redraw();
}

// The four colour fields as the panel holds them (the current colour without a panel); false
// when a field's text was refused (the user has been told).
static bool ColourFields(char text[4][32]) {
  Ed2DPolyEditor &e = g_Ed2DPoly;
  for (u32 k = 0; k < 4; k++) {
    if (!e.panel) Str_Format(text[k], 32, "%d", (int)e.colour[k]);
    else if (!Widget_ReadText(e.panel, IDC_P2D_RED + k, text[k], 32)) return false;
  }
  return true;
}

static bool ApplyFields(Bone2Model *m) {
  char text[4][32];
  if (!ColourFields(text)) return false;
  const char *const t[4] = {text[0], text[1], text[2], text[3]};
  return Ed2D_PolyApplyColourText(m, t);
}

// IDC_P2D_COLOUR: the chooser's colour becomes r, g, b of the current colour and of the fields (alpha
// stays), then it is applied. Cancel changes nothing.
static void ChooseColour(Bone2Model *m) {
  f32 rgb[3] = {0.0f, 0.0f, 0.0f};
  if (!Ed2D_ChooseColour(rgb)) return;
  Ed2DPolyEditor &e = g_Ed2DPoly;
  for (u32 k = 0; k < 3; k++) {
    e.colour[k] = (i32)rgb[k];
    char text[32];
    Str_Format(text, sizeof text, "%d", (int)e.colour[k]);
    if (e.panel) Widget_SetText(e.panel, IDC_P2D_RED + k, text);
  }
  if (ApplyFields(m)) Changed("カラー ( モデリング )");
}

// IDC_P2D_IMPORT: a KZP file's mesh appended; the label names the file.
static void Import(Bone2Model *m) {
  const char *path = FileDlg_OpenByExt(g_Shell.g_MainWindowHandle, "KZP", "読み込む KZP ファイルを選択して下さい", "");
  if (!path || !*path) return;
  char file[260];
  Str_Copy(file, sizeof file, path);
  bool ok = Ed2D_PolyImport(m, file);
  Widget_ActivateMain();
  if (!ok) return;
  const char *name = file;
  for (const char *c = file; *c; c++)
    if (*c == '\\' || *c == '/') name = c + 1;
  char label[DOC_UNDO_LABEL];
  Str_Format(label, sizeof label, "%s ( モデリング )", name);
  Changed(label);
}

static void ToggleFlag(i32 *flag, const char *on, const char *off) {
  *flag = 1 - *flag;
  Changed(*flag == 1 ? on : off);
}

static void FileCommand(u32 id) {
  if (g_ShellSeam.fileCommand) g_ShellSeam.fileCommand(id);
}

// Buttons that need no model.
static bool PlainCommand(u32 id) {
  switch (id) {
    case IDC_P2D_OPEN: FileCommand(IDM_KZB_OPEN); return true;
    case IDC_P2D_SAVE: FileCommand(IDM_KZB_SAVE); return true;
    case IDC_P2D_CORNER_NO: {
      Ed2DPolyEditor &e = g_Ed2DPoly;
      char text[32];
      Str_Format(text, sizeof text, "頂点 No.%d", (int)(g_Sel.g_PolyVertexNo + 1));
      if (e.panel) Widget_SetText(e.panel, IDC_P2D_CORNER_NO, text);
      return true;
    }
    default: return false;
  }
}

// The operations that change the mesh: the label when the operation did its work.
static bool MeshCommand(Bone2Model *m, u32 id) {
  bool faces = g_Sel.g_PolySelectMode == 1;
  switch (id) {
    case IDC_P2D_DELETE_LEFT: if (Ed2D_PolyDeleteLeftHalf(m)) Changed("左半分消 ( モデリング )"); return true;
    case IDC_P2D_SPLIT: if (Ed2D_PolySplitQuads(m)) Changed("分割 ( モデリング )"); return true;
    case IDC_P2D_MERGE:
      if (Ed2D_PolyMerge(m)) Changed(faces ? "統合:面 ( モデリング )" : "統合:頂点 ( モデリング )");
      return true;
    case IDC_P2D_DELETE: if (Ed2D_PolyDeleteSelection(m)) Changed("消去 ( モデリング )"); return true;
    case IDC_P2D_FLIP: if (Ed2D_PolyFlipFaces(m)) Changed("反転 ( モデリング )"); return true;
    case IDC_P2D_REMOVE_FACES: if (Ed2D_PolyRemoveFaces(m)) Changed("面撤去 ( モデリング )"); return true;
    case IDC_P2D_MAKE_FACE: if (Ed2D_PolyMakeFace(m)) Changed("作成 ( モデリング )"); return true;
    case IDC_P2D_OPTIMIZE: if (Ed2D_PolyOptimize(m)) Changed("最適化 ( モデリング )"); return true;
    case IDC_P2D_CUT:
      if (Ed2D_PolyCut(m)) Changed("カット ( モデリング )");
      return true;
    case IDC_P2D_PASTE:
      if (Ed2D_PolyPaste(m)) Changed("貼り付け ( モデリング )");
      Widget_ActivateMain();
      return true;
    case IDC_P2D_APPLY_COLOUR: if (ApplyFields(m)) Changed("決定ボタン ( モデリング )"); return true;
    case IDC_P2D_COLOUR: ChooseColour(m); return true;
    case IDC_P2D_IMPORT: Import(m); return true;
    case IDC_P2D_LIGHT:
      ToggleFlag(&m->lightingFlag, "ライトON ( モデリング )", "ライトOFF ( モデリング )");
      return true;
    case IDC_P2D_VERTEX_COLOUR:
      ToggleFlag(&m->vertexColourFlag, "頂点カラーフラグON ( モデリング )", "頂点カラーフラグOFF ( モデリング )");
      return true;
    default: return false;
  }
}

// The stock shapes: the label, then the main window activated.
static bool ShapeCommand(Bone2Model *m, u32 id) {
  bool ok;
  const char *label;
  switch (id) {
    case IDC_P2D_TRIANGLE: ok = Ed2D_PolyAddTriangle(m), label = "３角形 追加 ( モデリング )"; break;
    case IDC_P2D_QUAD: ok = Ed2D_PolyAddQuad(m), label = "４角形 追加 ( モデリング )"; break;
    case IDC_P2D_CIRCLE: ok = Ed2D_PolyAddCircle(m), label = "円 追加 ( モデリング )"; break;
    default: return false;
  }
  if (ok) Changed(label);
  Widget_ActivateMain();
  return true;
}

bool Ed2D_PolyOpCommand(u32 id) {
  if (PlainCommand(id)) return true;
  Bone2Model *m = Current_Bone2Edited();
  if (!m) return false;
  switch (id) {
    case IDC_P2D_SELECT_ALL: Ed2D_PolySelectAll(m); Redraw(); return true;
    case IDC_P2D_INVERT: Ed2D_PolyInvertSelection(m); Redraw(); return true;
    case IDC_P2D_COPY:
      if (Ed2D_PolyCopy(m)) {
        Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "コピー ( モデリング )");
        Widget_ActivateMain();
      }
      Redraw();
      return true;
    default: break;
  }
  if (!MeshCommand(m, id) && !ShapeCommand(m, id)) return false;
  g_Ed2DPoly.panelRefresh = 1;   // a refusal too: the panel shows the state as it is
  return true;
}
