// The 2D map editor: the sample map, the tile slots, drawing, the cursor and painting, the
// family hooks and the tile panel's actions. Owns g_Map2Editor.doc and g_Map2Editor.
//
// One mapping between cells and the screen: a cell (x, y) lies at (304 + 32x - sx,
// 224 + 32y - sy) with the scroll (sx, sy) in pixels; Map2_CursorFromMouse is its inverse for
// a mouse position in the main view.
#include "scene/map2.h"

#include <stdlib.h>
#include <string.h>

#include "app/discard.h"
#include "app/docflags.h"
#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_view.h"
#include "app/views.h"
#include "app/vkeys.h"
#include "app/widget.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawdev.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/media/dialogs.h"
#include "lib/media/filename.h"
#include "model/model3.h"
#include "model/bytes.h"
#include "model/docref.h"
#include "model/object.h"
#include "model/seam_errorbox.h"
#include "model/seam_timer.h"
#include "model/str.h"

Map2Editor g_Map2Editor;

static const char kFolder[] = "MAP2_２Ｄマップ";
static const char kCharacter[] = "cat.psd";

// [SECTION] Document and tile slots

bool Map2_AllocDocument(void) {
  Map2_FreeDocument();
  g_Map2Editor.doc = (Map2Doc *)calloc(1, sizeof(Map2Doc));
  return g_Map2Editor.doc != nullptr;
}

void Map2_FreeDocument(void) {
  free(g_Map2Editor.doc);
  g_Map2Editor.doc = nullptr;
}

bool Map2_LoadTileImage(i32 i, const char *name) {
  if (i < 0 || i >= MAP2_TILES || !name) return false;
  // Img_Load reloads into the row the slot already holds, so reloading never uses up rows;
  // a failed load leaves the slot without a texture (and the library's 32 x 32).
  return Img_Load(&g_Map2Editor.tiles[i], name) >= 0;
}

const char *Map2_TileFolder(void) {
  static char s_Folder[LIB_TEXT_SIZE];
  Str_Format(s_Folder, sizeof s_Folder, "%s\\%s", g_Lib.dataDir, kFolder);
  return s_Folder;
}

void Map2_LoadTiles(const Map2Doc *d) {
  if (!d) return;
  char missing[1024] = "";
  size_t used = 0;
  const char *bases[] = {Map2_TileFolder()};
  for (i32 i = 0; i < d->tileCount && i < MAP2_TILES; i++) {
    char path[LIB_TEXT_SIZE];
    bool found = DocRef_Find(d->folder, d->names[i], bases, 1, path, sizeof path);
    // Loaded also when missing: the failed load empties the slot of an earlier map's image.
    bool loaded = Map2_LoadTileImage(i, path);
    if ((!found || !loaded) && used < sizeof missing)
      used += (size_t)Str_Format(missing + used, sizeof missing - used, "\n%s", d->names[i]);
  }
  // Without a device nothing loads and nothing is missing.
  if (used && DrawDev_Ready()) Seam_ErrorBoxf("次のタイルの画像が見つかりませんでした。\n%s", missing);
}

void Map2_AfterDocumentChange(void) {
  Map2Editor &e = g_Map2Editor;
  i32 count = g_Map2Editor.doc ? g_Map2Editor.doc->tileCount : 0;
  // The slots above the count are not drawn (Map2_DrawTiles checks the count); their rows
  // stay with the slots for their next load.
  if (e.currentTile >= count) e.currentTile = count > 0 ? count - 1 : 0;
  if (e.currentTile < 0) e.currentTile = 0;
}

// A tile of the sample set: its image comes from the data folder's map folder, wherever a
// file dialog has left the current folder.
static void SetTile(Map2Doc *d, i32 i, const char *name, u8 passable) {
  Str_Copy(d->names[i], MAP2_NAME_SIZE, name);
  d->passable[i] = passable;
  char path[LIB_TEXT_SIZE];
  if (Str_FormatAll(path, sizeof path, "%s\\%s\\%s", g_Lib.dataDir, kFolder, name)) Map2_LoadTileImage(i, path);
}

void Map2_NewDocument(void) {
  Map2Doc *d = g_Map2Editor.doc;
  if (!d) return;
  memset(d, 0, sizeof *d);
  SetTile(d, 0, "草.psd", 1);
  SetTile(d, 1, "川.psd", 0);
  d->tileCount = 2;
  for (i32 y = 0; y < 8; y++)
    for (i32 x = 0; x < 8; x++) d->grid[y][x] = (x == 0 || y == 0) ? 1 : 0;
  d->width = 20;
  d->height = 20;
  Map2_AfterDocumentChange();
  Doc_Replaced(DOC_MAP2);
}

// [SECTION] Screen mapping

void Map2_CellToScreen(i32 column, i32 row, i32 sx, i32 sy, i32 *x, i32 *y) {
  *x = 304 + MAP2_CELL * column - sx;
  *y = 224 + MAP2_CELL * row - sy;
}

static i32 ClampCell(i32 v, i32 count) {
  if (v < 0) v = 0;   // the lower bound first
  if (v > count - 1) v = count - 1;
  return v;
}

bool Map2_CursorFromMouse(i32 mx, i32 my, f32 panX, f32 panY, i32 *column, i32 *row) {
  const Map2Doc *d = g_Map2Editor.doc;
  const Map2Editor &e = g_Map2Editor;
  if (!d || d->width <= 0 || d->height <= 0) return false;
  // Integer division toward zero, as the main view's placement of the cells implies.
  i32 c = (i32)((f32)mx - panX - 16.0f) / MAP2_CELL + e.scrollX - 19;
  i32 r = (i32)((f32)my - panY - 16.0f) / MAP2_CELL + e.scrollY - 15;
  *column = ClampCell(c, d->width);
  *row = ClampCell(r, d->height);
  return true;
}

// [SECTION] Drawing

void Map2_DrawTiles(i32 sx, i32 sy) {
  const Map2Doc *d = g_Map2Editor.doc;
  if (!d) return;
  for (i32 y = 0; y < d->height && y < MAP2_SIDE; y++)
    for (i32 x = 0; x < d->width && x < MAP2_SIDE; x++) {
      i32 t = d->grid[y][x];
      if (t < 0 || t >= d->tileCount) continue;   // no such tile in this map
      const ImageHandle *h = &g_Map2Editor.tiles[t];
      ImageRow *row = Img_GetRow(h);
      if (!h->loaded || !row || !row->texture) continue;
      i32 px, py;
      Map2_CellToScreen(x, y, sx, sy, &px, &py);
      f64 w = row->width, ht = row->height;
      Img_DrawUV(h, px, py, px + 32, py, px + 32, py + 32, px, py + 32, 0, 0, w, 0, w, ht, 0, ht,
                 255, 255, 255, 255);
    }
}

static void DrawCursor(void) {
  const Map2Doc *d = g_Map2Editor.doc;
  const Map2Editor &e = g_Map2Editor;
  if (!d || d->width <= 0 || d->height <= 0) return;
  i32 sx = (e.cursorX - e.scrollX) * MAP2_CELL + 304;
  i32 sy = (e.cursorY - e.scrollY + 7) * MAP2_CELL;
  DrawDev_SetTexture(0, nullptr);
  Draw_Rect2D(sx, sy, sx + 31, sy + 31, 255, 255, 0, 255);
}

static void DrawCharacter(void) {
  Map2Editor &e = g_Map2Editor;
  e.animTimer += g_Lib.frameDelta;
  while (e.animTimer >= 20.0f) {
    e.animTimer -= 20.0f;
    e.animFrame = (e.animFrame + 1) % 4;
  }
  static const i32 kTop[4] = {0, 64, 0, 128};
  f64 t = kTop[e.animFrame & 3];
  if (!e.character.loaded) return;
  Img_DrawUV(&e.character, 288, 192, 352, 192, 352, 256, 288, 256, 0, t, 64, t, 64, t + 64, 0, t + 64,
             255, 255, 255, 255);
}

void Map2_Draw(const HookCtx *c) {
  const Map2Editor &e = g_Map2Editor;
  Map2_DrawTiles(MAP2_CELL * e.scrollX, MAP2_CELL * e.scrollY);
  DrawCursor();
  DrawCharacter();
}

// [SECTION] Cursor, painting, mouse and keys

static void Paint(void) {
  Map2Doc *d = g_Map2Editor.doc;
  const Map2Editor &e = g_Map2Editor;
  if (!d || d->width <= 0 || d->height <= 0) return;   // an empty map has no cell to paint
  i32 &cell = d->grid[e.cursorY][e.cursorX];
  if (cell == e.currentTile) return;
  cell = e.currentTile;
  Doc_MarkEdited(DOC_MAP2);
}

void Map2_Update(const HookCtx *c) {
  Map2Editor &e = g_Map2Editor;
  const ViewRecord *v = View_Get(c->layout, 0);
  i32 col, r;
  if (Map2_CursorFromMouse(c->x, c->y, v->panX, v->panY, &col, &r)) {
    e.cursorX = col;
    e.cursorY = r;
  }
  App_MarkAllRedraw(c->layout);
  if (e.painting) Paint();
}

void Map2_LButtonDown(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  g_Map2Editor.painting = 1;
  DragAnchors_SetAll(c->mouse, x, y);
}

void Map2_LButtonUp(const HookCtx *c) { g_Map2Editor.painting = 0; }

void Map2_MouseMove(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  u32 held = Shell_ButtonHeld(BUTTON_LEFT) + Shell_ButtonHeld(BUTTON_MIDDLE) + Shell_ButtonHeld(BUTTON_RIGHT);
  if (g_SceneObjects[0] && held == 1) DragAnchors_SetAll(c->mouse, x, y);
}

void Map2_KeyDown(const HookCtx *c) {
  u32 key = c->key;
  Map2Editor &e = g_Map2Editor;
  switch (key) {
    case VKEY_LEFT: e.scrollX--; break;
    case VKEY_UP: e.scrollY--; break;
    case VKEY_RIGHT: e.scrollX++; break;
    case VKEY_DOWN: e.scrollY++; break;
    default: break;
  }
}

// [SECTION] Entry and exit
void Map2_FillList(void) {
  void *list = g_Map2Editor.list;
  if (!list) return;
  Widget_ListReset(list);
  i32 count = g_Map2Editor.doc ? g_Map2Editor.doc->tileCount : 0;
  for (i32 i = 0; i < count; i++) {
    char row[MAP2_NAME_SIZE + 16];
    Map2_RowText(i, row, sizeof row);
    Widget_ListAdd(list, row);
  }
  if (g_Map2Editor.currentTile < count) Widget_ListSelect(list, g_Map2Editor.currentTile);
}

// The tile dialog at the desktop's lower right, made when it does not exist.
static void OpenPanel(void) {
  Map2Editor &e = g_Map2Editor;
  if (e.dialog) return;
  i32 w, h;
  Widget_PanelDesktopSize(&w, &h);
  e.dialog = Widget_CreatePanel(MAP2_PANEL, w - 468, h - 553, 468, 524);
  if (!e.dialog) return;
  e.list = Widget_Control(e.dialog, IDC_MAP2_LIST);
  Map2_FillList();
}

static void ClosePanel(void) {
  Map2Editor &e = g_Map2Editor;
  if (e.dialog) Widget_Destroy(e.dialog);
  e.dialog = e.list = nullptr;
}


static void ToMapFolder(void) {
  char path[LIB_TEXT_SIZE];
  if (Str_FormatAll(path, sizeof path, "%s\\%s", g_Lib.dataDir, kFolder)) FileDlg_ChangeDir(path);
}

void Map2_Enter(const HookCtx *c) {
  Map2Editor &e = g_Map2Editor;
  App_LoadFamilyMenu("MENU_MAP2");
  ToMapFolder();
  if (Map2_AllocDocument()) Map2_NewDocument();
  Img_Load(&e.character, kCharacter);
  e.scrollX = e.scrollY = 0;
  e.painting = 0;
  ViewRecord *v = View_Get(c->layout, 0);
  v->panX = -160.0f;
  v->panY = -120.0f;
  OpenPanel();
  Widget_ActivateMain();
}

void Map2_Leave(const HookCtx *c) {
  g_ModelAllocArrays = 1;
  g_Map2Editor.painting = 0;
  ClosePanel();
  Map2_FreeDocument();
}

// [SECTION] Tile panel

void Map2_RowText(i32 i, char *out, size_t size) {
  const Map2Doc *d = g_Map2Editor.doc;
  if (!d || i < 0 || i >= d->tileCount) {
    if (size) out[0] = 0;
    return;
  }
  Str_Format(out, size, "%2d : %s : %s", i, d->passable[i] ? "○" : "×", d->names[i]);
}

static bool AddTile(void) {
  Map2Doc *d = g_Map2Editor.doc;
  Map2Editor &e = g_Map2Editor;
  if (d->tileCount >= MAP2_TILES) {
    Seam_ErrorBox("これ以上 追加できません。");
    return false;
  }
  const char *name = FileDlg_OpenByExt(e.dialog, "*", "読み込むイメージファイルを、選択して下さい", "");
  if (!name || !name[0]) { Timer_Reset(); return false; }
  // Kept from the map's folder; a name the field cannot hold is refused, never cut.
  char kept[MAP2_NAME_SIZE];
  if (!DocRef_Choose(d->folder, sizeof d->folder, name, kept, sizeof kept)) {
    Seam_ErrorBoxf(kDocRefMsgTooLong, name);
    Timer_Reset();
    return false;
  }
  i32 n = d->tileCount;
  Map2_LoadTileImage(n, name);
  Str_Copy(d->names[n], MAP2_NAME_SIZE, kept);
  d->passable[n] = 0;
  d->tileCount = n + 1;
  e.currentTile = n;
  Doc_MarkEdited(DOC_MAP2);
  Timer_Reset();
  return true;
}

bool Map2_PanelCommand(i32 control, i32 value) {
  Map2Doc *d = g_Map2Editor.doc;
  Map2Editor &e = g_Map2Editor;
  if (!d) return false;
  switch (control) {
    case IDC_MAP2_ADD: AddTile(); return true;
    case IDC_MAP2_LIST:
      // No selection (LB_ERR) changes nothing.
      if (value >= 0 && value < d->tileCount) e.currentTile = value;
      return false;
    case IDC_MAP2_PASSABLE:
      if (e.currentTile < 0 || e.currentTile >= d->tileCount) return false;
      d->passable[e.currentTile] = d->passable[e.currentTile] ? 0 : 1;
      Doc_MarkEdited(DOC_MAP2);
      return true;
    case IDC_MAP2_SAMPLE:
      // The sample replaces the map: "いいえ" keeps the painted one.
      if (!Discard_Ask(DOC_MAP2)) return false;
      Map2_NewDocument();
      return true;
    default: return false;   // 64 "消去" and 66 "入れ換え" have no action
  }
}
