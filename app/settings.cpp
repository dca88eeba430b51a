// The settings file: defaults, encoder, all-or-nothing decoder, load and save.
// Owns g_AppShell and g_Options.
#include "app/settings.h"
#include "app/family.h"
#include "app/options.h"
#include "app/shell_options.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/views.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/media/filename.h"
#include "model/str.h"
#include "model/seam_errorbox.h"

#include <stdlib.h>
#include <string.h>

AppShell g_AppShell;
AppOptions g_Options = {};

// [SECTION] defaults
enum { WEIGHT_2D_PAN_X = -48 };

// The view windows' first places: on a desktop lower than VIEW_TEXTURE_FULL_HEIGHT smaller,
// so that the three find room beside the panels.
static void SetDefaultViews(void) {
  static const i32 kFull[4][4] = {{0, 0, 0, 0}, {96, 256, 256, 256}, {192, 44, 256, 256}, {600, 256, 256, 256}};
  static const i32 kLow[4][4] = {{0, 0, 0, 0}, {96, 256, 192, 192}, {192, 44, 192, 192}, {600, 256, 192, 192}};
  // The 3D texture sub-mode's panels leave two columns: two views left of the group dialog,
  // one right of the undo dialog.
  static const i32 kLowTexture[4][4] = {{0, 0, 0, 0}, {186, 40, 176, 176}, {186, 224, 176, 176}, {820, 470, 176, 176}};
  for (int L = 0; L < VIEW_LAYOUTS; L++) {
    const i32(*kRects)[4] = !View_TextureLayoutLow() ? kFull : L == SUB_3D_TEXTURE ? kLowTexture : kLow;
    g_Shell.g_ViewCount[L] = 4;
    for (int i = 0; i < 4; i++) {
      ViewRecord *v = &g_Shell.g_Views[L][i];
      v->inUse = 1;
      v->kind = (u32)i;
      v->panX = v->panY = v->panZ = 0;
      v->zoom = 0.25f;
      v->extra[0] = 3;
      v->created = 1;
      if (i == 0) {
        v->shown = 0;
        v->panY = 8.0f;
        v->zoom = 3.2f;
        v->window = g_Shell.g_MainWindowHandle;
        // The 2D weight frame starts left of the centre: at 1280 px the bone list (356 px)
        // and the group dialog (264 px) then fit on either side of its 640 px.
        if (L == SUB_2D_WEIGHT) v->panX = WEIGHT_2D_PAN_X;
        View_LowFramePan((u32)L, &v->panX, &v->panY);
      } else {
        v->shown = 1;
        v->x = kRects[i][0]; v->y = kRects[i][1]; v->w = kRects[i][2]; v->h = kRects[i][3];
        // The movie's side views beside its Pers view where the desktop is too small for
        // the full layout.
        if (L == FAMILY_MOVIE && View_MovieCompact())
          View_MovieCompactRect((u32)i, g_Lib.desktopWidth, g_Lib.desktopHeight, &v->x, &v->y, &v->w, &v->h);
      }
    }
  }
}

void Settings_SetDefaults(void) {
  SetDefaultViews();
  // "2D_GROUP_DLG" opens at the right edge of the frame.
  g_Options.g_Group2DDlg.x = g_Lib.desktopWidth - 262;
  g_Options.g_Group2DDlg.y = 0;
  g_Sel.g_PolyNoAutoPick = 1;
  g_Options.g_OptGrid = 1;
  g_Options.g_OptToon = 0;
  g_Options.g_OptMaxPolygons = 65000;
  g_Options.g_OptReverseWheel = 0;
  memset(g_AppShell.vsync, 0, sizeof g_AppShell.vsync);
  memset(g_AppShell.cpuOccupy, 0, sizeof g_AppShell.cpuOccupy);
  static const int kVsyncLayouts[] = {0, 19, 20, 21, 22, 23};
  for (int L : kVsyncLayouts) g_AppShell.vsync[L] = 1;
  if (g_ShellSeam.setVSync) g_ShellSeam.setVSync(0);
  Lib_SetCpuOccupy(0);
}

// [SECTION] encoder
void Settings_Encode(ByteWriter *w) {
  Wr_I32(w, SETTINGS_FILE_ID);
  for (i32 v : g_Options.g_MainWndRect) Wr_I32(w, v);
  for (i32 v : g_Options.g_SettingsReserved) Wr_I32(w, v);
  Wr_I32(w, (i32)g_Options.g_OptUpdateEditedViewOnly);
  Wr_U8(w, g_Lib.optAntialias);
  Wr_Zeros(w, 3);
  Wr_I32(w, (i32)g_Lib.optLight);
  Wr_I32(w, g_Options.g_OptShadow);
  Wr_I32(w, g_Options.g_PolySavedOption);
  Wr_I32(w, (i32)g_Sel.g_PolyNoAutoPick);
  Wr_I32(w, (i32)g_Options.g_OptGrid);
  Wr_I32(w, (i32)g_Options.g_OptToon);
  Wr_I32(w, g_Options.g_OptMaxPolygons);
  for (int L = 0; L < VIEW_LAYOUTS; L++) {
    i32 n = g_Shell.g_ViewCount[L];
    if (n < 0) n = 0;
    if (n > VIEWS_PER_LAYOUT) n = VIEWS_PER_LAYOUT;
    Wr_I32(w, n);
    for (int i = 0; i < n; i++) {
      const ViewRecord *v = &g_Shell.g_Views[L][i];
      Wr_I32(w, (i32)v->inUse);
      if (v->inUse != 1) continue;
      Wr_I32(w, v->x); Wr_I32(w, v->y); Wr_I32(w, v->w); Wr_I32(w, v->h);
      Wr_I32(w, (i32)v->kind);
      for (u32 e : v->extra) Wr_U32(w, e);
    }
  }
  Wr_I32(w, SETTINGS_LAYOUTS);
  Wr_I32(w, SETTINGS_PANELS);
  for (int L = 0; L < SETTINGS_LAYOUTS; L++)
    for (int p = 0; p < SETTINGS_PANELS; p++) {
      const WindowHolder *h = &g_AppShell.panels[L][p];
      Wr_I32(w, h->x); Wr_I32(w, h->y); Wr_I32(w, h->w); Wr_I32(w, h->h);
    }
  Wr_Bytes(w, g_AppShell.progFolder, 256);
  Wr_Bytes(w, g_AppShell.progFile, 256);
  Wr_U8(w, Lib_GetCpuOccupy());
  Wr_U8(w, Lib_IsVSync());
  Wr_I32(w, SETTINGS_LAYOUTS);
  Wr_Bytes(w, g_AppShell.vsync, SETTINGS_LAYOUTS);
  Wr_Bytes(w, g_AppShell.cpuOccupy, SETTINGS_LAYOUTS);
  Wr_U8(w, g_Options.g_OptReverseWheel);
}

// [SECTION] decoder
// Everything the file holds, parsed before anything is committed.
struct SettingsImage {
  i32 rect[4];
  i32 reserved[8];
  i32 opt[9];   // update-edited-only, (antialias), light, shadow, poly option, pick, grid, toon, max polygons
  u8 antialias;
  i32 viewCount[VIEW_LAYOUTS];
  struct { u32 inUse; i32 x, y, w, h; u32 kind; u32 extra[11]; } views[VIEW_LAYOUTS][VIEWS_PER_LAYOUT];
  i32 panels[SETTINGS_LAYOUTS][SETTINGS_PANELS][4];
  char progFolder[256], progFile[256];
  u8 cpuInEffect, vsyncInEffect;
  u8 vsync[SETTINGS_LAYOUTS], cpuOccupy[SETTINGS_LAYOUTS];
  u8 reverseWheel;
};

static bool RectFieldOk(i32 v) { return v >= SETTINGS_RECT_MIN && v <= SETTINGS_RECT_MAX; }

static bool ParseSettings(ByteReader *r, SettingsImage *s) {
  // The id first: a file of another kind is not read any further.
  if (Rd_I32(r) != SETTINGS_FILE_ID || r->err) return false;
  for (i32 &v : s->rect) {
    v = Rd_I32(r);
    if (!RectFieldOk(v)) return false;
  }
  for (i32 &v : s->reserved) v = Rd_I32(r);
  s->opt[0] = Rd_I32(r);
  // One byte of antialias flag in a 4-byte slot: the other three bytes mean nothing.
  s->antialias = (u8)(Rd_U32(r) & 0xFF);
  for (int i = 2; i < 9; i++) s->opt[i] = Rd_I32(r);
  for (int L = 0; L < VIEW_LAYOUTS; L++) {
    s->viewCount[L] = Rd_Count(r, VIEWS_PER_LAYOUT);
    for (int i = 0; i < s->viewCount[L]; i++) {
      auto &v = s->views[L][i];
      v.inUse = Rd_U32(r);
      if (v.inUse != 1) continue;
      v.x = Rd_I32(r); v.y = Rd_I32(r); v.w = Rd_I32(r); v.h = Rd_I32(r);
      v.kind = Rd_U32(r);
      if (v.kind > VIEW_PERS) return false;
      for (u32 &e : v.extra) e = Rd_U32(r);
    }
    if (r->err) return false;
  }
  if (Rd_I32(r) != SETTINGS_LAYOUTS || Rd_I32(r) != SETTINGS_PANELS) return false;
  for (auto &layout : s->panels)
    for (auto &p : layout)
      for (i32 &v : p) v = Rd_I32(r);
  Rd_Bytes(r, s->progFolder, 256);
  Rd_Bytes(r, s->progFile, 256);
  s->progFolder[255] = 0;
  s->progFile[255] = 0;
  s->cpuInEffect = Rd_U8(r);
  s->vsyncInEffect = Rd_U8(r);
  if (Rd_I32(r) != SETTINGS_LAYOUTS) return false;
  Rd_Bytes(r, s->vsync, SETTINGS_LAYOUTS);
  Rd_Bytes(r, s->cpuOccupy, SETTINGS_LAYOUTS);
  s->reverseWheel = Rd_U8(r);
  return !r->err;
}

static void CommitSettings(const SettingsImage *s) {
  memcpy(g_Options.g_MainWndRect, s->rect, sizeof g_Options.g_MainWndRect);
  memcpy(g_Options.g_SettingsReserved, s->reserved, sizeof g_Options.g_SettingsReserved);
  g_Options.g_OptUpdateEditedViewOnly = (u32)s->opt[0];
  Lib_SetOptions(s->antialias, (u32)s->opt[2]);
  g_Options.g_OptShadow = s->opt[3];
  g_Options.g_PolySavedOption = s->opt[4];
  g_Sel.g_PolyNoAutoPick = (u32)s->opt[5];
  g_Options.g_OptGrid = (u32)s->opt[6];
  g_Options.g_OptToon = (u32)s->opt[7];
  g_Options.g_OptMaxPolygons = Options_ClampMaxPolygons(s->opt[8]);
  for (int L = 0; L < VIEW_LAYOUTS; L++) {
    g_Shell.g_ViewCount[L] = s->viewCount[L];
    for (int i = 0; i < s->viewCount[L]; i++) {
      const auto &sv = s->views[L][i];
      ViewRecord *v = &g_Shell.g_Views[L][i];
      v->inUse = sv.inUse;
      if (sv.inUse != 1) continue;
      v->x = sv.x; v->y = sv.y; v->w = sv.w; v->h = sv.h;
      v->kind = sv.kind;
      memcpy(v->extra, sv.extra, sizeof v->extra);
      // The shown flag and the zoom are not kept: a stored view beyond the main one has its
      // own window again, and a view that was never zoomed gets the default zoom.
      if (i > 0) v->shown = 1;
      if (!(v->zoom > 0)) v->zoom = 0.25f;
    }
  }
  for (int L = 0; L < SETTINGS_LAYOUTS; L++)
    for (int p = 0; p < SETTINGS_PANELS; p++) {
      WindowHolder *h = &g_AppShell.panels[L][p];
      h->x = s->panels[L][p][0]; h->y = s->panels[L][p][1];
      h->w = s->panels[L][p][2]; h->h = s->panels[L][p][3];
    }
  memcpy(g_AppShell.progFolder, s->progFolder, 256);
  memcpy(g_AppShell.progFile, s->progFile, 256);
  memcpy(g_AppShell.vsync, s->vsync, SETTINGS_LAYOUTS);
  memcpy(g_AppShell.cpuOccupy, s->cpuOccupy, SETTINGS_LAYOUTS);
  g_Options.g_OptReverseWheel = s->reverseWheel;
  Lib_SetCpuOccupy(s->cpuInEffect);
  if (g_ShellSeam.setVSync) g_ShellSeam.setVSync(s->vsyncInEffect);
}

// The settings file image parsed into a scratch record of its own (free it); null when it
// cannot be read or no record could be had.
static SettingsImage *ParseImage(const u8 *data, size_t size) {
  SettingsImage *s = (SettingsImage *)calloc(1, sizeof(SettingsImage));
  if (!s) return nullptr;
  ByteReader r;
  Rd_Init(&r, data, size);
  if (ParseSettings(&r, s)) return s;
  free(s);
  return nullptr;
}

bool Settings_Decode(const u8 *data, size_t size) {
  SettingsImage *s = ParseImage(data, size);
  if (!s) return false;
  CommitSettings(s);
  free(s);
  return true;
}

i32 Settings_PeekToon(const u8 *data, size_t size) {
  SettingsImage *s = ParseImage(data, size);
  i32 result = s ? (s->opt[7] == 1 ? 1 : 0) : -1;
  free(s);
  return result;
}

i32 Settings_PeekMaxPolygons(const u8 *data, size_t size) {
  SettingsImage *s = ParseImage(data, size);
  i32 result = s ? Options_ClampMaxPolygons(s->opt[8]) : -1;
  free(s);
  return result;
}

// [SECTION] file
void Settings_FileName(char *out, size_t size, i32 desktopWidth) {
  Str_Format(out, size, "System/System%d.dat", desktopWidth);
}


bool Settings_SetFolder(const char *folder) {
  if (!folder || strlen(folder) >= sizeof g_Options.g_SettingsFolder) return false;
  Str_Copy(g_Options.g_SettingsFolder, sizeof g_Options.g_SettingsFolder, folder);
  return true;
}

void Settings_FilePath(char *out, size_t size, i32 desktopWidth) {
  if (!g_Options.g_SettingsFolder[0]) {
    Settings_FileName(out, size, desktopWidth);
    return;
  }
  // A name that would be cut is no name: nothing is read or written then.
  if (!Str_FormatAll(out, size, "%s/System%d.dat", g_Options.g_SettingsFolder, desktopWidth) && size) out[0] = 0;
}

// The file lives under the data folder; a file dialog may have left another folder current.
static void EnterDataFolder(void) {
  if (g_Lib.dataDir[0]) FileDlg_ChangeDir(g_Lib.dataDir);
}

void Settings_Load(void) {
  Settings_SetDefaults();
  EnterDataFolder();
  char name[300];
  Settings_FilePath(name, sizeof name, g_Lib.desktopWidth);
  FileData f;
  if (name[0] && File_ReadAll(name, &f)) {
    Settings_Decode(f.data, f.size);   // a refused file leaves the defaults
    File_Free(&f);
  }
  if (g_ShellSeam.applyMainWndRect) g_ShellSeam.applyMainWndRect();
  g_Options.g_ToonInEffect = g_Options.g_OptToon;
}

bool Settings_Save(void) {
  EnterDataFolder();
  char name[300];
  Settings_FilePath(name, sizeof name, g_Lib.desktopWidth);
  if (!name[0]) return false;
  ByteWriter w = {};
  Settings_Encode(&w);
  // A save that fails leaves the old file; the user hears that the options were not kept.
  bool ok = !w.err && File_WriteAtomic(name, w.data, w.size);
  Wr_Free(&w);
  if (!ok) Seam_ErrorBoxf("設定を %s に保存することができませんでした。", name);
  return ok;
}
