// The program walked as a user meets it at each desktop size of kDesktops (1280 x 1024 first):
// started as a child process, every family entered from the selector and every 3D and 2D
// sub-mode from its mode panel, in two orders, so that each step has two different predecessors. After each step it counts, from
// this other process (WindowFromPoint then gives the topmost window at a point, as a click
// would find it): controls covered at their centre or painted over, controls outside their dialog, menu bar
// items covered, view windows of one colour or more than half covered, windows left from
// the previous step, screen text covered; and once, the menu bar under the preview family's
// render and options dialogs, a moved panel that must open where the user left it, and tool windows hidden
// behind a file dialog and a message box. Then, in further orders (ムービー before ３Ｄモデル
// and オブジェクト, モデリング with the group dialog moved before テクスチャ, every dialog a
// command opens, each kind of movie actor added and selected), the same counts after every
// step, and every window that opens elsewhere than it did at that step of the first order.
// With MIRAVEL_WALK_SHOTS=<folder> each step asks for a screenshot there (see AskShot).
// The press walk (the last section) presses every enabled button at each step, in parts that
// CTest runs side by side; with MIRAVEL_PRESS_TRACE set it prints each press and its outcome.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>
#include "outside_wait.h"

#include "resources/edit2d_ids.h"
#include "resources/edit3d_ids.h"
#include "resources/edit3d_motion_ids.h"
#include "resources/edit3d_obj_ids.h"
#include "resources/movie_edit_ids.h"
#include "resources/shell_ids.h"
#include "resources/tools_ids.h"
#include "screen_grab.h"

namespace {

std::string ExeDir() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s(path, n);
  return s.substr(0, s.find_last_of("\\/"));
}

struct Child {
  PROCESS_INFORMATION pi = {};
  std::string folder;
  bool Start() {
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    folder = std::string(tmp) + "miravel_walk";
    CreateDirectoryA(folder.c_str(), nullptr);
    SetEnvironmentVariableA("MIRAVEL_SETTINGS_DIR", folder.c_str());
    SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", nullptr);
    SetEnvironmentVariableA("MIRAVEL_READY_FILE", nullptr);
    std::string cmd = "\"" + ExeDir() + "\\Miravel.exe\"";
    std::vector<char> buf(cmd.begin(), cmd.end());
    buf.push_back(0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    return CreateProcessA(nullptr, buf.data(), nullptr, nullptr, FALSE, 0, nullptr, ExeDir().c_str(), &si, &pi) != 0;
  }
  ~Child() {
    if (!pi.hProcess) return;
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    while (h != INVALID_HANDLE_VALUE) {
      DeleteFileA((folder + "\\" + fd.cFileName).c_str());
      if (!FindNextFileA(h, &fd)) { FindClose(h); break; }
    }
    RemoveDirectoryA(folder.c_str());
  }
};

std::string Text(HWND w) {
  char t[256] = "";
  GetWindowTextA(w, t, sizeof t);
  return t;
}

std::string Class(HWND w) {
  char c[64] = "";
  GetClassNameA(w, c, sizeof c);
  return c;
}

struct Top {
  DWORD pid;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectTop(HWND w, LPARAM lp) {
  Top *t = (Top *)lp;
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == t->pid && IsWindowVisible(w)) t->windows.push_back(w);
  return TRUE;
}

// The visible top-level windows of the process, topmost first.
std::vector<HWND> TopWindows(DWORD pid) {
  Top t{pid, {}};
  EnumWindows(CollectTop, (LPARAM)&t);
  return t.windows;
}

HWND FindTop(DWORD pid, const char *title, const char *cls = nullptr) {
  for (HWND w : TopWindows(pid))
    if (Text(w) == title && (!cls || Class(w) == cls)) return w;
  return nullptr;
}

HWND WaitTop(DWORD pid, const char *title, DWORD ms, const char *cls = nullptr) {
  HWND w = nullptr;
  WaitFor(std::string("the window \"") + title + "\"", ms, [&] { return (w = FindTop(pid, title, cls)) != nullptr; }, 100);
  return w;
}

HWND RootAt(POINT p) {
  HWND hit = WindowFromPoint(p);
  return hit ? GetAncestor(hit, GA_ROOT) : nullptr;
}

bool IsView(HWND w) {
  std::string t = Text(w);
  return Class(w) == "#32770" && (t == "Front" || t == "Top" || t == "Side" || t == "Pers");
}

// The whole screen, 32-bit, top row first.
struct Screen {
  std::vector<uint32_t> px;
  int w = 0, h = 0;
  void Grab() {
    w = GetSystemMetrics(SM_CXSCREEN);
    h = GetSystemMetrics(SM_CYSCREEN);
    px = ScreenGrab_Rect(0, 0, w, h);
  }
  unsigned At(int x, int y) const { return x < 0 || y < 0 || x >= w || y >= h ? 0 : px[(size_t)y * w + x] & 0xFFFFFF; }
};

struct Counts {
  int covered = 0, outside = 0, menuCovered = 0, blank = 0, buried = 0, left = 0, hiddenFile = 0, hiddenBox = 0;
  int notKept = 0;   // windows the user moved that did not open there again
  int workHidden = 0;   // work areas not wholly on top at entry
  int textCovered = 0;   // lines of screen text a window covers
  int away = 0;   // windows that open elsewhere than at the same step of the first order
  std::set<std::string> known;   // the faults found so far: each counts once over the walk
  int Total() const {
    return covered + outside + menuCovered + blank + buried + left + hiddenFile + hiddenBox + notKept + textCovered + workHidden +
           away;
  }
  // True (and the fault printed) the first time `what` is found.
  bool New(const char *step, const std::string &what) {
    if (!known.insert(what).second) return false;
    printf("  %s: %s\n", step, what.c_str());
    return true;
  }
};

std::string Quote(const std::string &s) { return "\"" + s + "\""; }

unsigned Rgb(int sysColour) {
  COLORREF c = GetSysColor(sysColour);
  return (unsigned)GetRValue(c) << 16 | (unsigned)GetGValue(c) << 8 | GetBValue(c);
}

// A button, edit, combo or list box shows its own face (button face, window or highlight
// colour) over at least a quarter of its inside; one a window's painter paints over shows the
// painter's picture instead, although WindowFromPoint still finds it.
bool PaintedOver(HWND ctl, const RECT &r) {
  std::string cls = Class(ctl);
  if (cls != "Button" && cls != "Edit" && cls != "ComboBox" && cls != "ListBox") return false;
  if (cls == "Button" && (GetWindowLongA(ctl, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW) return false;
  int w = r.right - r.left - 4, h = r.bottom - r.top - 4;
  if (w <= 0 || h <= 0) return false;
  std::vector<uint32_t> px = ScreenGrab_Rect(r.left + 2, r.top + 2, w, h);
  const unsigned own[3] = {Rgb(COLOR_BTNFACE), Rgb(COLOR_WINDOW), Rgb(COLOR_HIGHLIGHT)};
  size_t face = 0;
  for (uint32_t p : px) face += (p & 0xFFFFFF) == own[0] || (p & 0xFFFFFF) == own[1] || (p & 0xFFFFFF) == own[2];
  return face * 4 < px.size();
}

// Every visible control of every window of the process (but group boxes, which only frame
// others): does it lie inside the dialog's client area, and for an enabled one, is the window
// at its centre its own dialog and is the control seen there rather than painted over?
void CountControls(DWORD pid, const char *step, Counts *c) {
  for (HWND top : TopWindows(pid)) {
    RECT client;
    GetClientRect(top, &client);
    MapWindowPoints(top, nullptr, (POINT *)&client, 2);
    for (HWND ctl = GetWindow(top, GW_CHILD); ctl; ctl = GetWindow(ctl, GW_HWNDNEXT)) {
      if (!IsWindowVisible(ctl)) continue;
      if (Class(ctl) == "Button" && (GetWindowLongA(ctl, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) continue;
      RECT r;
      GetWindowRect(ctl, &r);
      POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
      HWND hit = RootAt(centre);
      std::string name = Quote(Text(top)) + " " + Class(ctl) + " " + std::to_string(GetDlgCtrlID(ctl)) + " " + Quote(Text(ctl));
      if (!IsWindowEnabled(ctl)) {   // a disabled control need only lie inside its dialog
      } else if (hit != top) c->covered += c->New(step, name + " lies under " + (hit ? Quote(Text(hit)) : "nothing"));
      // A busy program may not have repainted it yet: painted over is what stays so.
      else if (PaintedOver(ctl, r) && !WaitFor(name + " repainted", 2000, [&] { return !PaintedOver(ctl, r); }))
        c->covered += c->New(step, name + " is painted over");
      if (r.left < client.left || r.top < client.top || r.right > client.right || r.bottom > client.bottom) {
        char at[96];
        snprintf(at, sizeof at, " (%ld,%ld,%ld,%ld in %ld,%ld,%ld,%ld)", r.left, r.top, r.right, r.bottom, client.left,
                 client.top, client.right, client.bottom);
        c->outside += c->New(step, name + " sticks out of its dialog" + at);
      }
    }
  }
}

// The main window's menu bar, cell by cell (40 px) over its first 480 px.
void CountMenuBar(HWND main, const char *step, Counts *c) {
  if (!GetMenu(main)) return;
  RECT client;
  GetClientRect(main, &client);
  MapWindowPoints(main, nullptr, (POINT *)&client, 2);
  int y = client.top - GetSystemMetrics(SM_CYMENU) / 2;
  for (int x = client.left + 20; x < client.left + 480; x += 40) {
    HWND hit = RootAt({x, y});
    if (hit != main)
      c->menuCovered += c->New(step, "the menu bar at x " + std::to_string(x) + " lies under " + (hit ? Quote(Text(hit)) : "nothing"));
  }
}

// Each view window in 16 x 16 cells of its client area: the cells whose centre shows the
// view are read pixel by pixel; one colour over all of them, or the view on top in fewer
// than half of the cells.
void CountViews(DWORD pid, const Screen &s, const char *step, Counts *c) {
  for (HWND v : TopWindows(pid)) {
    if (!IsView(v)) continue;
    RECT r;
    GetClientRect(v, &r);
    MapWindowPoints(v, nullptr, (POINT *)&r, 2);
    int own = 0, all = 0;
    unsigned first = s.At(r.left, r.top);
    bool one = true;
    for (int i = 0; i < 16; i++)
      for (int j = 0; j < 16; j++) {
        RECT cell = {r.left + (r.right - r.left) * i / 16, r.top + (r.bottom - r.top) * j / 16,
                     r.left + (r.right - r.left) * (i + 1) / 16, r.top + (r.bottom - r.top) * (j + 1) / 16};
        POINT p = {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
        if (p.x < 0 || p.y < 0 || p.x >= s.w || p.y >= s.h) continue;
        all++;
        if (RootAt(p) != v) continue;
        if (own++ == 0) first = s.At(p.x, p.y);
        for (int y = cell.top; y < cell.bottom && one; y++)
          for (int x = cell.left; x < cell.right && one; x++) one = s.At(x, y) == first;
      }
    std::string view = std::string(step) + " view " + Quote(Text(v));
    if (own > 0 && one) c->blank += c->New(step, view + " shows one colour");
    if (own * 2 < all) c->buried += c->New(step, view + " is covered at more than half of its points");
  }
}

// Screen text a user must read, in the coordinates of the 640 x 480 frame, which is centred
// on the main view (as large as the screen, shown from the client area's top left) and moved
// by the family's pan; every 8th point of it must show the main window.
struct KeptText {
  const char *step;
  int panX, panY;
  RECT rect;
  const char *what;
};
const KeptText kKeptText[] = {
  {"effect", -160, -120, {8, 8, 328, 24}, "the notice"},
  {"effect", -160, -120, {10, -32, 618, -16}, "the vertical-sync hint"},
};

void CountText(HWND main, const char *step, Counts *c) {
  for (const KeptText &k : kKeptText) {
    if (strcmp(k.step, step)) continue;
    POINT o = {GetSystemMetrics(SM_CXSCREEN) / 2 - 320 + k.panX, GetSystemMetrics(SM_CYSCREEN) / 2 - 240 + k.panY};
    ClientToScreen(main, &o);
    for (int y = k.rect.top; y < k.rect.bottom; y += 8)
      for (int x = k.rect.left; x < k.rect.right; x += 8) {
        HWND hit = RootAt({o.x + x, o.y + y});
        if (hit == main) continue;
        c->textCovered += c->New(step, std::string(k.what) + " lies under " + (hit ? Quote(Text(hit)) : "nothing"));
        x = k.rect.right;
        y = k.rect.bottom;
      }
  }
}

// The work area of each family and sub-mode at entry: the part of the main view's frame it
// draws its work in (frame coordinates, moved by the family's pan, as kKeptText) or of the
// main window's client area, or a window the user works in (its whole rectangle, or a
// rectangle of its client area). All of it must be on top at entry. The 2D texture sub-mode
// shows its frame at 3/4 of its size (480 x 360 pixels of the screen), on a desktop 768 high
// at 1/2 above a smaller UV preview; there the polygon and motion frames show at 3/4 and the
// weight frame at 0.45 and the object frame at 1/2, each at its own place.
enum { AREA_FRAME, AREA_CLIENT, AREA_WINDOW };
struct WorkArea {
  const char *step;
  int kind;
  const char *window;   // AREA_WINDOW: the window's caption
  int panX, panY;
  RECT rect;            // empty: the window whole
  const char *what;
  int desktopH;         // 0: at every desktop size, else only on a desktop this high
};
const WorkArea kWorkAreas[] = {
  {"3D texture", AREA_WINDOW, "イメージ", 0, 0, {0, 0, 0, 0}, "the image panel"},
  {"2D object", AREA_FRAME, nullptr, -148, -271, {0, 0, 640, 480}, "the object frame", 1024},
  {"2D object", AREA_WINDOW, "イメージ", 0, 0, {116, 0, 456, 490}, "the image preview", 1024},
  {"2D object", AREA_FRAME, nullptr, -96, -136, {0, 0, 320, 240}, "the object frame", 768},
  {"2D object", AREA_WINDOW, "イメージ", 0, 0, {116, 0, 456, 270}, "the image preview", 768},
  {"2D texture", AREA_WINDOW, "テクスチャ", 0, 0, {0, 0, 512, 512}, "the UV preview", 1024},
  {"2D texture", AREA_FRAME, nullptr, 80, -256, {0, 0, 480, 360}, "the mesh", 1024},
  {"2D texture", AREA_WINDOW, "テクスチャ", 0, 0, {0, 0, 240, 240}, "the UV preview", 768},
  {"2D texture", AREA_FRAME, nullptr, 176, -128, {0, 0, 320, 240}, "the mesh", 768},
  {"2D weight", AREA_FRAME, nullptr, -48, 0, {0, 0, 640, 480}, "the mesh", 1024},
  {"2D weight", AREA_FRAME, nullptr, 170, -136, {0, 0, 288, 216}, "the mesh", 768},
  {"2D polygon", AREA_FRAME, nullptr, 0, 8, {0, 0, 640, 480}, "the mesh", 1024},
  {"2D polygon", AREA_FRAME, nullptr, 0, -136, {0, 0, 480, 360}, "the mesh", 768},
  {"2D motion", AREA_FRAME, nullptr, -96, -136, {0, 0, 480, 360}, "the character", 768},
  {"program", AREA_FRAME, nullptr, -160, -120, {0, 0, 640, 480}, "the script's frame"},
  {"effect", AREA_FRAME, nullptr, -160, -120, {0, 0, 640, 480}, "the explosion preview"},
  {"movie", AREA_WINDOW, "Pers", 0, 0, {0, 0, 0, 0}, "the Pers view"},
  {"collision", AREA_CLIENT, nullptr, 0, 0, {100, 10, 700, 26}, "the vertical-sync notice"},
  {"collision", AREA_FRAME, nullptr, 0, 0, {160, 120, 480, 360}, "the followed character"},
};

// The share of a work area on top, sampled every 8 pixels: 1 when all of it shows.
double VisibleShare(DWORD pid, HWND main, const WorkArea &a, RECT *at) {
  HWND owner = main;
  RECT r = a.rect;
  if (a.kind == AREA_WINDOW) {
    owner = FindTop(pid, a.window);
    if (!owner) return 0;
    if (IsRectEmpty(&r)) GetWindowRect(owner, &r);
    else MapWindowPoints(owner, nullptr, (POINT *)&r, 2);
  } else {
    POINT o = {0, 0};
    if (a.kind == AREA_FRAME) o = {GetSystemMetrics(SM_CXSCREEN) / 2 - 320 + a.panX, GetSystemMetrics(SM_CYSCREEN) / 2 - 240 + a.panY};
    ClientToScreen(main, &o);
    OffsetRect(&r, o.x, o.y);
  }
  RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  *at = r;
  int all = 0, own = 0;
  for (int y = r.top; y < r.bottom; y += 8)
    for (int x = r.left; x < r.right; x += 8) {
      all++;
      POINT p = {x, y};
      HWND hit = PtInRect(&screen, p) ? RootAt(p) : nullptr;
      if (hit == owner) own++;
    }
  return all ? (double)own / all : 0;
}

// Work areas not wholly on top at their step, each named with its visible share.
int CountWorkHidden(DWORD pid, HWND main, const char *step, Counts *c) {
  int hidden = 0;
  for (const WorkArea &a : kWorkAreas) {
    if (strcmp(a.step, step) || (a.desktopH && a.desktopH != GetSystemMetrics(SM_CYSCREEN))) continue;
    RECT at = {};
    double share = VisibleShare(pid, main, a, &at);
    if (share >= 1.0) continue;
    char what[320];
    snprintf(what, sizeof what, "%s (%ld,%ld,%ld,%ld) is %d %% visible", a.what, at.left, at.top, at.right,
             at.bottom, (int)(share * 100));
    if (c->New(step, what)) hidden++;
  }
  return hidden;
}

// The titles of the process's windows beside the main window, counted.
typedef std::map<std::string, int> TitleSet;
TitleSet Titles(DWORD pid, HWND main) {
  TitleSet t;
  for (HWND w : TopWindows(pid))
    if (w != main) t[Text(w)]++;
  return t;
}

struct Step {
  const char *name;
  const char *panel;   // the mode panel's caption; null: the selector
  int button;
};

const Step kSelector[] = {
  {"3D model", nullptr, IDC_EDIT_3D_MODEL}, {"2D model", nullptr, IDC_EDIT_2D_MODEL},
  {"preview", nullptr, IDC_EDIT_PREVIEW},   {"effect", nullptr, IDC_EDIT_EFFECT},
  {"2D map", nullptr, IDC_EDIT_2D_MAP},     {"collision", nullptr, IDC_EDIT_COLLISION},
  {"movie", nullptr, IDC_EDIT_MOVIE},       {"program", nullptr, IDC_EDIT_PROGRAM},
};
const char *const k3DPanel = "３Ｄモデル";
const char *const k2DPanel = " ２Ｄモデル";
const Step k3DModes[] = {
  {"3D object", k3DPanel, IDC_M3D_OBJECT}, {"3D motion", k3DPanel, IDC_M3D_MOTION},
  {"3D texture", k3DPanel, IDC_M3D_TEXTURE}, {"3D bone", k3DPanel, IDC_M3D_BONE},
  {"3D weight", k3DPanel, IDC_M3D_WEIGHT}, {"3D polygon", k3DPanel, IDC_M3D_POLY},
};
const Step k2DModes[] = {
  {"2D object", k2DPanel, IDC_M2D_OBJECT}, {"2D texture", k2DPanel, IDC_M2D_TEXTURE},
  {"2D bone", k2DPanel, IDC_M2D_BONE},     {"2D weight", k2DPanel, IDC_M2D_WEIGHT},
  {"2D motion", k2DPanel, IDC_M2D_MOTION}, {"2D polygon", k2DPanel, IDC_M2D_POLY},
};

// The first order: each family, the model families followed by their sub-modes. The
// second: the families backwards, the sub-modes backwards.
std::vector<Step> Order(bool backwards) {
  std::vector<Step> out;
  std::vector<Step> families(std::begin(kSelector), std::end(kSelector));
  if (backwards) std::reverse(families.begin(), families.end());
  for (const Step &f : families) {
    out.push_back(f);
    std::vector<Step> modes;
    if (f.button == IDC_EDIT_3D_MODEL) modes.assign(std::begin(k3DModes), std::end(k3DModes));
    if (f.button == IDC_EDIT_2D_MODEL) modes.assign(std::begin(k2DModes), std::end(k2DModes));
    if (backwards) std::reverse(modes.begin(), modes.end());
    out.insert(out.end(), modes.begin(), modes.end());
  }
  return out;
}

// Asked with a time limit: a program stuck behind a box it shows must fail the walk, not hang it.
bool IsChecked(HWND dlg, int id) {
  DWORD_PTR state = 0;
  return SendMessageTimeoutA(GetDlgItem(dlg, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state) && state == BST_CHECKED;
}

// Presses the step's button as a click on it does and waits until it shows pressed.
bool Press(DWORD pid, const Step &s) {
  HWND panel = WaitTop(pid, s.panel ? s.panel : " 編集モード", 10000);
  if (!panel) return false;
  PostMessageA(GetDlgItem(panel, s.button), BM_CLICK, 0, 0);
  return WaitFor(std::string("\"") + s.name + "\" to show pressed", 20000,
                 [&] { return IsChecked(panel, s.button) || (s.panel && !IsWindow(panel)); });
}

struct Walk {
  DWORD pid;
  HWND main;
  Counts counts;
  std::map<std::string, TitleSet> seen[2];   // per order, per step: the windows there
  std::vector<std::string> steps[2];
  std::string shots;

  // Where the process's visible windows are.
  std::vector<uintptr_t> Places() {
    std::vector<uintptr_t> places;
    for (HWND w : TopWindows(pid)) {
      RECT r;
      GetWindowRect(w, &r);
      places.insert(places.end(), {(uintptr_t)w, (uintptr_t)r.left, (uintptr_t)r.top, (uintptr_t)r.right, (uintptr_t)r.bottom});
    }
    return places;
  }

  // Whether every view window shows more than one colour on `s` (a view not yet drawn after
  // a step shows its background alone).
  bool ViewsDrawn(const Screen &s) {
    for (HWND v : TopWindows(pid)) {
      if (!IsView(v)) continue;
      RECT r;
      GetClientRect(v, &r);
      MapWindowPoints(v, nullptr, (POINT *)&r, 2);
      bool one = true;
      unsigned first = s.At(r.left, r.top);
      for (int y = r.top; y < r.bottom && one; y += 2)
        for (int x = r.left; x < r.right && one; x += 2) one = s.At(x, y) == first;
      if (one) return false;
    }
    return true;
  }

  // Waits until what `step` started has come to rest: the program has taken the step's
  // messages, three looks 150 ms apart find the same windows in the same places, the views
  // have drawn, and two looks the same screen. A step with something moving on screen never
  // rests there: its screen is taken as it is 2 s after its windows came to rest.
  void Settle(const std::string &step) {
    Answered(main, step);
    std::vector<uintptr_t> last;
    uint64_t lastScreen = 0;
    int calm = 0;
    DWORD calmSince = 0;
    WaitFor(step + " to come to rest", 20000, [&] {
      std::vector<uintptr_t> now = Places();
      Screen screen;
      screen.Grab();
      uint64_t h = 1469598103934665603ull;
      for (uint32_t c : screen.px) h = (h ^ c) * 1099511628211ull;
      bool sameScreen = h == lastScreen;
      if (now == last) {
        if (++calm == 2) calmSince = GetTickCount();
      } else {
        calm = 0;
      }
      last.swap(now);
      lastScreen = h;
      return calm >= 2 && ViewsDrawn(screen) && (sameScreen || GetTickCount() - calmSince >= 2000);
    }, 150);
  }

  // Asks the watcher outside Wine for a screenshot: an empty file `name`.req in the shots
  // folder, removed once the picture is taken (at most 10 s).
  void AskShot(std::string name) {
    std::replace(name.begin(), name.end(), ' ', '_');
    std::string req = shots + "\\" + name + ".req";
    FILE *f = fopen(req.c_str(), "wb");
    if (f) fclose(f);
    WaitFor("the screenshot " + name, 10000, [&] { return GetFileAttributesA(req.c_str()) == INVALID_FILE_ATTRIBUTES; }, 100);
  }

  bool Run(int order) {
    TitleSet before = Titles(pid, main);
    for (const Step &s : Order(order == 1)) {
      if (!Press(pid, s)) {
        printf("  %s: its button could not be pressed\n", s.name);
        return false;
      }
      Settle(s.name);
      Screen screen;
      screen.Grab();
      if (!shots.empty()) AskShot(std::to_string(order + 1) + "_" + s.name);
      CountControls(pid, s.name, &counts);
      CountMenuBar(main, s.name, &counts);
      CountViews(pid, screen, s.name, &counts);
      CountText(main, s.name, &counts);
      counts.workHidden += CountWorkHidden(pid, main, s.name, &counts);
      seen[order][s.name] = Titles(pid, main);
      steps[order].push_back(s.name);
      if (order == 0) home[s.name] = Rects();
    }
    return true;
  }

  // A window at a step in one order, not there at the same step in the other, but there at
  // the step before: it was left from that step.
  void CountLeft() {
    for (int o = 0; o < 2; o++)
      for (size_t i = 1; i < steps[o].size(); i++) {
        const std::string &step = steps[o][i];
        const TitleSet &here = seen[o][step], &other = seen[1 - o][step], &prev = seen[o][steps[o][i - 1]];
        for (const auto &w : here) {
          auto in = [&](const TitleSet &t) { auto f = t.find(w.first); return f == t.end() ? 0 : f->second; };
          int extra = std::min(w.second - in(other), in(prev));
          if (extra <= 0) continue;
          counts.left += extra;
          printf("  %s (order %d): \"%s\" is left from \"%s\"\n", step.c_str(), o + 1, w.first.c_str(),
                 steps[o][i - 1].c_str());
        }
      }
  }

  // With a modal box `box` open: every other window of the process but the main window
  // must still be on top somewhere outside the box.
  int Hidden(HWND box, const char *what) {
    Settle(std::string("the ") + what);
    RECT b;
    GetWindowRect(box, &b);
    int hidden = 0;
    for (HWND w : TopWindows(pid)) {
      if (w == main || w == box || GetWindow(w, GW_OWNER) == box) continue;
      RECT r;
      GetWindowRect(w, &r);
      bool seenOnTop = false;
      for (int i = 0; i < 8 && !seenOnTop; i++)
        for (int j = 0; j < 8 && !seenOnTop; j++) {
          POINT p = {r.left + (r.right - r.left) * (2 * i + 1) / 16, r.top + (r.bottom - r.top) * (2 * j + 1) / 16};
          if (PtInRect(&b, p)) continue;
          seenOnTop = RootAt(p) == w;
        }
      if (seenOnTop) continue;
      hidden++;
      printf("  behind the %s: \"%s\" is hidden\n", what, Text(w).c_str());
    }
    return hidden;
  }

  // A dialog box that came up after `before` was taken, while the main window is disabled.
  HWND WaitModal(const std::vector<HWND> &before, DWORD ms, const char *what) {
    HWND box = nullptr;
    WaitFor(what, ms, [&] {
      for (HWND w : TopWindows(pid))
        if (Class(w) == "#32770" && !IsWindowEnabled(main) && std::find(before.begin(), before.end(), w) == before.end())
          return (box = w) != nullptr;
      return false;
    }, 100);
    return box;
  }

  bool CloseModal(HWND box) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)GetDlgItem(box, IDCANCEL));
    return WaitFor("the " + Text(box) + " box to close", 10000, [&] { return !IsWindow(box) || !IsWindowVisible(box); });
  }

  // The preview family's render dialog and the options dialog opened from the menu bar:
  // neither covers the menu bar nor another window's control.
  bool MenuDialogs() {
    if (!Press(pid, kSelector[2])) return false;
    for (int id : {IDM_RENDER, IDM_OPTIONS}) {
      const char *step = id == IDM_RENDER ? "preview render dialog" : "preview options dialog";
      std::vector<HWND> before = TopWindows(pid);
      PostMessageA(main, WM_COMMAND, (WPARAM)id, 0);
      WaitFor(step, 20000, [&] {
        for (HWND w : TopWindows(pid))
          if (std::find(before.begin(), before.end(), w) == before.end()) return true;
        return false;
      }, 100);
      Settle(step);
      CountControls(pid, step, &counts);
      CountMenuBar(main, step, &counts);
    }
    return true;
  }

  // The 3D mode panel moved by the user to a place where it covers no other window, the family
  // left and entered again: the panel opens where the user left it.
  bool MovedStays() {
    if (!Press(pid, kSelector[0])) return false;
    Settle("the 3D model family");
    HWND panel = FindTop(pid, k3DPanel);
    if (!panel) return false;
    SetWindowPos(panel, nullptr, 600, 520, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    WaitFor("the mode panel moved to 600,520", 5000, [&] {
      RECT r = {};
      return GetWindowRect(panel, &r) && r.left == 600 && r.top == 520;
    });
    Answered(main, "the mode panel moved");
    if (!Press(pid, kSelector[2]) || !Press(pid, kSelector[0])) return false;
    Settle("the 3D model family entered again");
    panel = FindTop(pid, k3DPanel);
    RECT r = {};
    if (panel) GetWindowRect(panel, &r);
    if (r.left != 600 || r.top != 520)
      counts.notKept += counts.New("3D model", "the moved mode panel opened at " + std::to_string(r.left) + "," + std::to_string(r.top));
    return true;
  }

  // The 3D family's file dialog and the exit question, each looked at while open.
  bool Modals() {
    if (!Press(pid, kSelector[0])) return false;
    Settle("the 3D model family");
    std::vector<HWND> before = TopWindows(pid);
    PostMessageA(main, WM_COMMAND, IDM_KZP_OPEN, 0);
    HWND dlg = WaitModal(before, 20000, "the file dialog");
    if (!dlg) return false;
    counts.hiddenFile = Hidden(dlg, "file dialog");
    if (!CloseModal(dlg)) return false;
    Settle("the file dialog closed");
    for (int tries = 0; tries < 5; tries++) {
      PostMessageA(main, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
      Answered(main, "Esc pressed");   // the key-down taken, then held as a user's short press
      Sleep(200);
      PostMessageA(main, WM_KEYUP, VK_ESCAPE, 0xC0010001);
      if (HWND box = WaitModal(before, 4000, "the exit question")) {
        counts.hiddenBox = Hidden(box, "message box");
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), (LPARAM)GetDlgItem(box, IDNO));
        return true;
      }
    }
    return false;
  }

  // [SECTION] further orders: every window at its own place
  // Where each window but the views stands at each step of the first order (titles that occur
  // once there): the window's home at that step.
  std::map<std::string, std::map<std::string, RECT>> home;

  std::map<std::string, RECT> Rects() {
    std::map<std::string, RECT> out;
    std::map<std::string, int> count;
    for (HWND w : TopWindows(pid)) {
      if (w == main || IsView(w)) continue;
      RECT r;
      GetWindowRect(w, &r);
      out[Text(w)] = r;
      count[Text(w)]++;
    }
    for (const auto &c : count)
      if (c.second > 1) out.erase(c.first);
    return out;
  }

  // Windows standing elsewhere than at their home of `step`, but those in `moved` (the user
  // put them somewhere else).
  void CountAway(const std::string &label, const std::string &step, const std::set<std::string> &moved) {
    auto h = home.find(step);
    if (h == home.end()) return;
    for (const auto &w : Rects()) {
      auto at = h->second.find(w.first);
      if (at == h->second.end() || moved.count(w.first)) continue;
      if (at->second.left == w.second.left && at->second.top == w.second.top) continue;
      char what[200];
      snprintf(what, sizeof what, " opens at (%ld, %ld), not at (%ld, %ld) as in the first order", w.second.left,
               w.second.top, at->second.left, at->second.top);
      counts.away += counts.New(label.c_str(), Quote(w.first) + what);
    }
  }

  // The counts of a step of the orders, after `label` (a step of another order or a command)
  // at the step `step` of the first order; `moved` as for CountAway.
  void Check(const std::string &label, const std::string &step, const std::set<std::string> &moved = {}) {
    Settle(label);
    Screen screen;
    screen.Grab();
    if (!shots.empty()) AskShot("3_" + label);
    int before = counts.Total();
    CountControls(pid, label.c_str(), &counts);
    CountMenuBar(main, label.c_str(), &counts);
    CountViews(pid, screen, label.c_str(), &counts);
    CountText(main, step.c_str(), &counts);
    counts.workHidden += CountWorkHidden(pid, main, step.c_str(), &counts);
    CountAway(label, step, moved);
    printf("  %s: %d faults\n", label.c_str(), counts.Total() - before);
  }

  // A step's button pressed; a question about dropping a changed document is answered "yes"
  // (the walk gives its changes up).
  bool Enter(const Step &s) {
    std::vector<HWND> before = TopWindows(pid);
    bool pressed = Press(pid, s);
    for (int tries = 0; !pressed && tries < 3; tries++) {
      for (HWND w : TopWindows(pid))
        if (std::find(before.begin(), before.end(), w) == before.end() && Class(w) == "#32770" && !IsWindowEnabled(main))
          PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), (LPARAM)GetDlgItem(w, IDYES));
      Answered(main, std::string(s.name) + " asked again");
      pressed = Press(pid, s);
    }
    if (!pressed) {
      printf("  %s: its button could not be pressed\n", s.name);
      return false;
    }
    // A question the step asks once its button shows pressed.
    Answered(main, s.name);
    WaitFor(std::string("the questions of ") + s.name + " answered", 5000, [&] {
      if (IsWindowEnabled(main)) return true;
      for (HWND w : TopWindows(pid))
        if (std::find(before.begin(), before.end(), w) == before.end() && Class(w) == "#32770")
          PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), (LPARAM)GetDlgItem(w, IDYES));
      return false;
    }, 100);
    return true;
  }

  // A window of the process that was not among `before`, waited for (null when none came).
  HWND WaitNew(const std::vector<HWND> &before, const std::string &what) {
    HWND found = nullptr;
    WaitFor(what, 20000, [&] {
      for (HWND w : TopWindows(pid))
        if (std::find(before.begin(), before.end(), w) == before.end() && !IsView(w)) return (found = w) != nullptr;
      return false;
    }, 100);
    return found;
  }

  // Closes a dialog by its "閉じる" button, or as its close box does.
  bool CloseDialog(HWND dlg) {
    HWND close = nullptr;
    for (HWND c = GetWindow(dlg, GW_CHILD); c && !close; c = GetWindow(c, GW_HWNDNEXT))
      if (Class(c) == "Button" && Text(c) == "閉じる" && IsWindowEnabled(c)) close = c;
    if (close) PostMessageA(close, BM_CLICK, 0, 0);
    else PostMessageA(dlg, WM_CLOSE, 0, 0);
    return WaitFor("the " + Text(dlg) + " dialog to close", 10000, [&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); });
  }

  // A command of the main window (or of `to`) that opens a dialog: the dialog checked where
  // it opens, then closed.
  bool CommandDialog(const std::string &label, const std::string &step, UINT id, HWND to = nullptr) {
    Settle(label + " asked");
    std::vector<HWND> before = TopWindows(pid);
    PostMessageA(to ? to : main, WM_COMMAND, id, 0);
    HWND dlg = WaitNew(before, label);
    if (!dlg) return false;
    Check(label + " (" + Text(dlg) + ")", step);
    return CloseDialog(dlg);
  }

  // ムービー, then ３Ｄモデル and オブジェクト, then an object set loaded (F7).
  bool MovieThen3D() {
    printf("walk: ムービー, ３Ｄモデル, オブジェクト, F7\n");
    if (!Enter(kSelector[6])) return false;
    Check("movie", "movie");
    if (!Enter(kSelector[0])) return false;
    Check("3D model after movie", "3D model");
    if (!Enter(k3DModes[0])) return false;
    Check("3D object after movie", "3D object");
    PostMessageA(main, WM_KEYDOWN, VK_F7, 0x00410001);
    Answered(main, "F7 pressed");
    PostMessageA(main, WM_KEYUP, VK_F7, 0xC0410001);
    Check("3D object with F7", "3D object");
    return true;
  }

  // モデリング with its group dialog moved to the middle of the screen, then テクスチャ,
  // モデリング again (the dialog opens where it was left unless that covers the work) and
  // ウエイト.
  bool MovedGroupDialog() {
    printf("walk: モデリング with the group dialog moved, テクスチャ, モデリング, ウエイト\n");
    if (!Enter(kSelector[1]) || !Enter(k2DModes[5])) return false;
    HWND group = FindTop(pid, "グループ");
    if (!group) return false;
    int x = GetSystemMetrics(SM_CXSCREEN) / 2 - 100, y = GetSystemMetrics(SM_CYSCREEN) / 2 - 200;
    SetWindowPos(group, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    WaitFor("the group dialog moved", 5000, [&] {
      RECT r = {};
      return GetWindowRect(group, &r) && r.left == x && r.top == y;
    });
    Answered(main, "the group dialog moved");
    if (!Enter(k2DModes[1])) return false;
    Check("2D texture after a moved group dialog", "2D texture");
    if (!Enter(k2DModes[5])) return false;
    Check("2D polygon with the group dialog moved before", "2D polygon", {"グループ"});
    if (!Enter(k2DModes[3])) return false;
    Check("2D weight after a moved group dialog", "2D weight");
    return true;
  }

  // The dialogs the menus and the view windows' menu open: 下絵 and オプション in the 3D
  // model family, 効果音 一覧 in its motion and object sub-modes, レンダリング in the movie.
  bool CommandDialogs() {
    printf("walk: the dialogs commands open\n");
    if (!Enter(kSelector[2]) || !Enter(kSelector[0])) return false;
    Settle("3D model");
    HWND front = FindTop(pid, "Front");
    if (!front) printf("  3D model: no Front view\n");
    if (!front || !CommandDialog("3D model 下絵", "3D model", IDM_WIN_SKETCH, front)) return false;
    if (!CommandDialog("3D model オプション", "3D model", IDM_OPTIONS)) return false;
    if (!Enter(k3DModes[1]) || !CommandDialog("3D motion 効果音", "3D motion", IDM_MOT_SOUNDS)) return false;
    if (!Enter(k3DModes[0]) || !CommandDialog("3D object 効果音", "3D object", IDM_OBJ_SOUNDS)) return false;
    if (!Enter(kSelector[1]) || !CommandDialog("2D model オプション", "2D model", IDM_OPTIONS)) return false;
    if (!Enter(kSelector[6]) || !CommandDialog("movie レンダリング", "movie", IDM_MOVIE_RENDER)) return false;
    return true;
  }

  // Each kind of movie actor added (it becomes the current one and its dialog shows), then
  // every actor selected in the key dialog's time line.
  bool MovieActors() {
    printf("walk: each kind of movie actor added and selected\n");
    static const struct { UINT id; const char *name; } kAdd[] = {
      {IDM_MOVIE_ADD_IMAGE, "image"}, {IDM_MOVIE_ADD_KZA, "2D object"}, {IDM_MOVIE_ADD_KZB, "2D skin"},
      {IDM_MOVIE_ADD_KZP, "3D model"}, {IDM_MOVIE_ADD_SOUND, "sound"}, {IDM_MOVIE_ADD_MESSAGE, "message"},
    };
    // The dialogs an earlier part of the walk left open go first.
    for (const char *left : {"オプション", "レンダリング"})
      if (HWND w = FindTop(pid, left)) CloseDialog(w);
    if (!Enter(kSelector[6])) return false;
    for (const auto &a : kAdd) {
      PostMessageA(main, WM_COMMAND, a.id, 0);
      Answered(main, std::string("the ") + a.name + " actor added");
      Check(std::string("movie, ") + a.name + " actor added", "movie");
    }
    HWND keys = FindTop(pid, "キーフレーム");
    if (!keys) return false;
    // The scene, the camera, then the added actors, a row of 25 pixels each from y 89.
    for (int row = 0; row < 2 + (int)(sizeof kAdd / sizeof kAdd[0]); row++) {
      LPARAM at = MAKELPARAM(100, 89 + 25 * row + 12);
      PostMessageA(keys, WM_LBUTTONDOWN, MK_LBUTTON, at);
      PostMessageA(keys, WM_LBUTTONUP, 0, at);
      Answered(keys, "a row picked");
      Check("movie, actor row " + std::to_string(row) + " selected", "movie");
    }
    return true;
  }
};

// [SECTION] every enabled control does something
// What a user can see of the process: every visible top-level window's caption, rectangle
// and controls (class, id, text, shown, enabled, check, list selection and count), and a
// hash of the pixels each window shows.
struct Snapshot {
  std::map<HWND, std::string> shape;
  std::map<HWND, uint64_t> pixels;
};

// The pixels of r but those of `skip` (a control whose own look is not looked at), every one
// of them: a mark or line one pixel wide (a selection drawn in a view) changes the hash.
uint64_t HashRect(const Screen &s, RECT r, const RECT &skip) {
  uint64_t h = 1469598103934665603ull;
  const int x0 = std::max(0L, r.left), x1 = std::min((long)s.w, r.right);
  for (int y = std::max(0L, r.top); y < std::min((long)s.h, r.bottom); y++) {
    const uint32_t *row = &s.px[(size_t)y * s.w];
    const bool skipRow = y >= skip.top && y < skip.bottom;
    for (int x = x0; x < x1; x++)
      if (!skipRow || x < skip.left || x >= skip.right) h = (h ^ (row[x] & 0xFFFFFF)) * 1099511628211ull;
  }
  return h;
}

// Whether a button of `style` has a check to ask for: a push button's is always clear.
bool HoldsCheck(LONG style) {
  LONG type = style & BS_TYPEMASK;
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
         type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

// A control's class and id, which never change: every question about another process's window
// is a round trip to Wine's server, which on a busy machine is most of a look's time, so each
// is asked once per control.
const std::string &ClassAndId(HWND c) {
  static std::map<HWND, std::string> known;
  auto f = known.find(c);
  if (f != known.end()) return f->second;
  return known[c] = Class(c) + "/" + std::to_string(GetDlgCtrlID(c));
}

// A window's caption, place and controls; the check of `own` is left out. The window is one
// the user sees, so a control of it is seen when its own style says so.
std::string Shape(HWND w, HWND own) {
  RECT r;
  GetWindowRect(w, &r);
  std::string out = Text(w) + "@" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
                    "," + std::to_string(r.bottom) + ":";
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const std::string &id = ClassAndId(c);
    std::string cls = id.substr(0, id.find('/'));
    LONG style = GetWindowLongA(c, GWL_STYLE);
    DWORD_PTR check = 0, sel = 0, count = 0;
    if (cls == "Button" && c != own && HoldsCheck(style)) SendMessageTimeoutA(c, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 500, &check);
    if (cls == "ListBox") {
      SendMessageTimeoutA(c, LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 500, &sel);
      SendMessageTimeoutA(c, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 500, &count);
    }
    if (cls == "ComboBox") SendMessageTimeoutA(c, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 500, &sel);
    if (cls == "ScrollBar") SendMessageTimeoutA(c, SBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 500, &sel);
    out += id + "/" + Text(c) + "/" + std::to_string((style & WS_VISIBLE) != 0) + std::to_string((style & WS_DISABLED) == 0) +
           "/" + std::to_string(check) + "/" + std::to_string(sel) + "/" + std::to_string(count) + ";";
  }
  return out;
}

// What the user sees, but the look of the pressed control `own` (its focus frame, its pushed
// face, its tick): a press that changes only that has done nothing.
Snapshot Snap(DWORD pid, HWND own = nullptr) {
  Snapshot out;
  Screen screen;
  screen.Grab();
  RECT skip = {};
  if (own) GetWindowRect(own, &skip);
  for (HWND w : TopWindows(pid)) {
    out.shape[w] = Shape(w, own);
    RECT r;
    GetWindowRect(w, &r);
    out.pixels[w] = HashRect(screen, r, skip);
  }
  return out;
}

// A press changed something when a window came or went, a window's shape changed, or the
// pixels of a window that was still before the press changed.
bool Differs(const Snapshot &a, const Snapshot &b, const std::set<HWND> &moving) {
  if (a.shape != b.shape) {
    if (getenv("MIRAVEL_PRESS_DEBUG"))
      for (const auto &p : a.shape) {
        auto f = b.shape.find(p.first);
        if (f == b.shape.end()) printf("      gone: %s\n", p.second.substr(0, 60).c_str());
        else if (f->second != p.second) {
          size_t i = 0;
          while (i < p.second.size() && i < f->second.size() && p.second[i] == f->second[i]) i++;
          size_t from = i > 60 ? i - 60 : 0;
          printf("      shape: %s | %s\n", p.second.substr(from, 120).c_str(), f->second.substr(from, 120).c_str());
        }
      }
    return true;
  }
  for (const auto &p : a.pixels) {
    auto f = b.pixels.find(p.first);
    if (f == b.pixels.end() || (f->second != p.second && !moving.count(p.first))) {
      if (getenv("MIRAVEL_PRESS_DEBUG")) printf("      pixels of %s\n", Text(p.first).c_str());
      return true;
    }
  }
  return false;
}

// Enabled controls a press leaves without a visible effect at entry, with the reason they
// still act: "window|control text" of the step. They are pressed as the others are (a fault
// such as a crash still shows) but their stillness is not counted; a control whose effect
// shows once the document holds something is in kGiven instead.
struct Quiet {
  const char *step;
  const char *control;   // "caption|text"
  const char *reason;
};
const Quiet kQuiet[] = {
  {"*", "|コピー", "copies into the editor's clipboard: seen at the next paste"},
  {"*", "モーションリスト|決定", "stores the fields into the motion: they hold its values at entry"},
  {"*", "モーション|決定", "stores the fields into the key: they hold its values at entry"},
  {"*", "ボーン一覧|決定", "stores name and parent: they hold the bone's values at entry"},
  {"*", "イメージ|決定", "stores the image fields: they hold the image's values at entry"},
  {"*", "グループ|決定", "stores the group's name, texture and shading: they hold its values at entry"},
  {"3D motion", "モーション|>", "steps to the next key: a new motion has none after frame 0"},
  {"3D texture", "テクスチャ|ＵＶ展開", "unfolds the selected faces: the sub-mode makes no face to select"},
  {"3D texture", "テクスチャ|消去", "deletes the current texture: adding one takes a picture chosen in the file dialog"},
  {"2D object", "オブジェクト|キー作成", "makes a key at the current frame: frame 0 has one already"},
  {"*", "モデリング|", "switches the automatic normals: they are worked out at the next edit of a lit model"},
  {"3D model", "モデリング|頂点 No.???", "steps the vertex marked on the picked face: a face is picked only under the pointer"},
  {"3D polygon", "モデリング|頂点 No.???", "steps the vertex marked on the picked face: a face is picked only under the pointer"},
  {"2D model", "モデリング|法線表示", "shows the normals in the 3D modelling views (the flag is the shell's): the 2D frame draws none"},
  {"2D polygon", "モデリング|法線表示", "shows the normals in the 3D modelling views (the flag is the shell's): the 2D frame draws none"},
  {"2D model", "モデリング|ライト", "sets the model's lighting flag, kept in its file: the 2D frame draws unlit"},
  {"2D polygon", "モデリング|ライト", "sets the model's lighting flag, kept in its file: the 2D frame draws unlit"},
  {"3D texture", "グループ|鏡面", "mirrors the current group's faces: the sub-mode makes no face"},
  {"3D weight", "グループ|鏡面", "mirrors the current group's faces: the sub-mode makes no face"},
  // Tools and modes: chosen, they show only in the button's own tick until the next drag.
  {"*", "モデリング|移動( T )", "chooses the move tool: seen on the next drag in a view"},
  {"*", "モデリング|回転( R )", "chooses the rotate tool: seen on the next drag in a view"},
  {"*", "モデリング|拡縮( G )", "chooses the scale tool: seen on the next drag in a view"},
  {"*", "モデリング|移動(T)", "chooses the move tool: seen on the next drag in a view"},
  {"*", "オブジェクト|座標(T)", "chooses the move tool: seen on the next drag in the frame"},
  {"*", "イメージ|回転軸", "makes the drag move the pivot: seen on the next drag in the preview"},
  {"*", "テクスチャ|頂点選択(E)", "picks vertices instead of faces: seen on the next pick"},
  {"*", "テクスチャ|頂点選択", "picks vertices instead of faces: seen on the next pick"},
  {"*", "テクスチャ|面選択_UV回転", "makes the pick turn the face's UVs: seen on the next pick"},
  {"*", "モデリング|回転(R)", "chooses the rotate tool: seen on the next drag in a view"},
  {"*", "モデリング|拡縮(G)", "chooses the scale tool: seen on the next drag in a view"},
  {"*", "テクスチャ|回転(R)", "chooses the rotate tool: seen on the next drag in the preview"},
  {"*", "テクスチャ|回転", "chooses the rotate tool: seen on the next drag in the preview"},
  {"*", "テクスチャ|拡大縮小", "chooses the scale tool: seen on the next drag in the preview"},
  {"*", "モデリング|ＵＶ編集", "chooses the UV tool: seen on the next drag in the frame"},
  {"*", "テクスチャ|拡縮(G)", "chooses the scale tool: seen on the next drag in the preview"},
  {"*", "モデリング|ポリゴン自由作成", "chooses the free polygon tool: seen on the next clicks in a view"},
  {"*", "テクスチャ|移動(T)", "chooses the move tool: seen on the next drag in the preview"},
  {"*", "テクスチャ|移動", "chooses the move tool: seen on the next drag in the preview"},
  {"*", "オブジェクト|カット", "cuts the key at the current frame: frame 0's key is the part's first, which stays"},
  {"*", "オブジェクト|貼り付け", "pastes the copied key over the current frame's: the same key"},
  {"*", "オブジェクト|消去", "deletes the key at the current frame: frame 0's key is the part's first, which stays"},
  // The options change how the program draws and takes input; the main view, which redraws on
  // its own, is left out of the comparison (the shell walk holds the two shadows' pixels).
  {"*", "オプション|編集中のViewのみ更新する", "draws only the edited view while a button is held"},
  {"*", "オプション|ライト", "lights the preview's model: seen in the main view"},
  {"*", "オプション|マウスホイールの回転を逆にする", "turns the wheel's zoom round: seen on the next turn"},
  {"*", "オプション|垂直同期 ( 各編集モード別に設定できます )", "waits for the vertical sync: seen in the frame rate"},
  {"*", "オプション|ＣＰＵ占有 ( 各編集モード別に設定できます )", "leaves out the pause between frames: seen in the load"},
  {"*", "オプション|２Ｄシャドウ ( プレビューのみ )", "draws the blob shadow under the model: seen in the main view"},
  {"*", "オプション|３Ｄシャドウ", "draws the model's shadow on the ground: seen in the main view"},
  {"*", "オプション|トゥーンシェーダー", "draws the model toon-shaded: seen in the main view"},
  {"*", "|自動選択しない(A)", "stops the pick under the pointer: seen only with the pointer over a model"},
  {"*", "|自動選択しない", "stops the pick under the pointer: seen only with the pointer over a model"},
  {"*", "|子供も影響を受ける", "makes a bone's children follow its drag: seen on the next drag"},
  {"*", "|ループ再生", "loops playback: read when playback starts"},
  {"*", "テクスチャ|法線展開", "unfolds the selected faces: the sub-mode makes no face to select"},
  {"*", "モーション|キー作成", "makes a key at the current frame: frame 0 has one already"},
  {"*", "モーション|カット", "cuts the key at the current frame: frame 0's key is the bone's first, which stays"},
  {"*", "モーション|貼り付け", "pastes the copied key over the current frame's: the same key"},
  {"*", "モーション|消去", "deletes the key at the current frame: frame 0's key is the bone's first, which stays"},
  {"*", "モーション|回転リセット", "resets the current bone's turn: a turn takes a drag in a view"},
  {"*", "モーション|<", "steps back to the previous key: there is none before frame 0"},
  {"*", "オブジェクト|決定", "stores the key's fields: they hold its values at entry"},
  {"*", "オブジェクト一覧|決定", "stores the part's fields: they hold its values at entry"},
  {"*", "ムービー|移動 : 曲線", "switches the current actor's move curve: the button names it only for a 3D model actor with its model loaded"},
  {"*", "ムービー|回転 : 曲線", "switches the current actor's turn curve: the button names it only for a 3D model actor with its model loaded"},
  {"*", "シーン|BGM解除", "drops the BGM: choosing one takes the file dialog"},
  {"*", "シーン|解除", "drops the next movie: choosing one takes the file dialog"},
  {"*", "キーフレーム|", "loops playback: read when playback starts"},
  {"*", "キーフレーム|#2", "switches the chain to the next movie, drawn only once one is chosen"},
  {"*", "キーフレーム|#3", "hides the current actor at its key: the current actor at entry is the scene, which draws nothing"},
  {"*", "|停止(A)", "stops playback: nothing plays at entry, and playing moves the views on their own, which hides what a stop changes"},
  {"*", "オブジェクト|表示", "hides the current part at its key: a new model has no part, and a new part no image"},
  {"*", "レンダリング|このシーンのみレンダリング", "writes the current frame to the picture file named in the field: seen in the folder"},
  {"*", "レンダリング|レンダリング", "writes the preview to the picture file named in the field: seen in the folder"},
  {"*", "下絵|表示", "shows the sketch pictures: none is chosen at entry, and choosing one takes the file dialog"},
  {"2D texture", "グループ|鏡面", "mirrors the current group's faces: the sub-mode makes no face"},
  {"2D weight", "グループ|鏡面", "mirrors the current group's faces: the sub-mode makes no face"},
  {"*", "カメラ|決定", "stores the camera's fields into its key: they hold its values"},
  {"*", "２Ｄイメージ|決定", "stores the actor's fields into it and its key: they hold their values"},
  {"*", "２Ｄモデル オブジェクト|決定", "stores the actor's fields into it and its key: they hold their values"},
  {"*", "２Ｄモデル ワンスキン|決定", "stores the actor's fields into it and its key: they hold their values"},
  {"*", "３Ｄモデル|決定", "stores the actor's fields into it and its key: they hold their values"},
  {"*", "効果音|決定", "stores the list's sound into the key: the list shows the key's sound already"},
  {"*", "メッセージ|決定", "stores the list's message into the key: the list shows the key's message already"},
  {"*", "キーフレーム|決定", "sets the frame count from its field: it holds the count at entry"},
  {"2D weight", "ウエイト|決定", "binds the selected vertices to the fields' bones: the sub-mode makes no vertex"},
  {"2D texture", "テクスチャ|正面( Ｚ方向 )", "projects the selected faces' UVs from the front: the sub-mode makes no face"},
  {"2D map", "イメージ|サンプルデータセット", "fills the map with the sample set: the map at entry is that set"},
  {"2D map", "イメージ|移動○×", "toggles the chosen tile's passable flag: choosing a tile takes a click in the palette"},
};

const Quiet *FindQuiet(const std::string &step, const std::string &control) {
  std::string any = control.substr(control.find('|'));
  for (const Quiet &q : kQuiet)
    if ((!strcmp(q.step, "*") || step == q.step) && (control == q.control || any == q.control)) return &q;
  return nullptr;
}

// The undo panel's list: whether a step lies below (`redo` false) or above the current one.
bool UndoListHas(HWND panel, bool redo) {
  DWORD_PTR sel = 0, count = 0;
  HWND list = GetDlgItem(panel, IDC_UNDO_LIST);
  SendMessageTimeoutA(list, LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &sel);
  SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
  int s = (int)(LRESULT)sel, n = (int)count;
  return redo ? s >= 0 && s + 1 < n : s > 0;
}
bool UndoReady(HWND panel) { return UndoListHas(panel, false); }
bool RedoReady(HWND panel) { return UndoListHas(panel, true); }

// Controls whose effect shows only once the document holds something (a model, a selection,
// a copy, a step to undo, a frame away from 0): before each is pressed, the presses in
// `first` give it that, so its press is judged where it must show, whatever ran before. Each
// entry of `first` is "caption|text" ("|text": the control's own window; "#2": the second
// button of that text), or several joined by " or ", the first shown and enabled of which is
// pressed; "list N" picks line N of the window's list box. `ready`, when set, says the precondition holds already (the presses are skipped).
struct Given {
  const char *step;
  const char *control;
  std::vector<const char *> first;
  bool (*ready)(HWND window);
};
#define MAKE_FACES "モデリング|立方体 or モデリング|４角形"
// A shape made comes selected; a change of the selection mode clears the selection.
#define UNSELECT "|頂点選択", "|面選択(E)"
#define FACES_SELECTED MAKE_FACES, UNSELECT, "|全選択( S ) or |全選択"
#define MAKE_STEP "グループ|スペキュラー or ボーン一覧|追加(A) or モーションリスト|追加"
const Given kGiven[] = {
  {"*", "アンドゥ＆リドゥ|アンドゥ( U )", {MAKE_STEP}, UndoReady},
  {"*", "アンドゥ＆リドゥ|リドゥ( I )", {MAKE_STEP, "|アンドゥ( U )"}, RedoReady},
  {"*", "グループ|↑", {"グループ|コピー#2"}, nullptr},
  {"*", "グループ|↓", {"グループ|コピー#2", "グループ|↑"}, nullptr},
  {"3D model", "グループ|鏡面", {MAKE_FACES}, nullptr},
  {"3D polygon", "グループ|鏡面", {MAKE_FACES}, nullptr},
  {"2D model", "グループ|鏡面", {MAKE_FACES}, nullptr},
  {"2D polygon", "グループ|鏡面", {MAKE_FACES}, nullptr},
  {"*", "レイヤー|1", {"レイヤー|2"}, nullptr},
  {"*", "モデリング|見た目", {"モデリング|法線"}, nullptr},
  {"*", "ムービー|移動(T)", {"ムービー|回転(R)"}, nullptr},
  {"*", "テクスチャ|縮小", {"テクスチャ|拡大"}, nullptr},
  {"*", "モデリング|全選択( S )", {MAKE_FACES, UNSELECT}, nullptr},
  {"*", "モデリング|全選択", {MAKE_FACES, UNSELECT}, nullptr},
  {"*", "モデリング|選択反転", {MAKE_FACES, UNSELECT}, nullptr},
  {"3D model", "モデリング|法線表示", {MAKE_FACES}, nullptr},
  {"3D polygon", "モデリング|法線表示", {MAKE_FACES}, nullptr},
  {"*", "モデリング|左半分消", {MAKE_FACES}, nullptr},
  {"2D model", "モデリング|頂点 No.???", {MAKE_FACES}, nullptr},
  {"2D polygon", "モデリング|頂点 No.???", {MAKE_FACES}, nullptr},
  {"3D model", "モデリング|ライト", {FACES_SELECTED}, nullptr},
  {"3D polygon", "モデリング|ライト", {FACES_SELECTED}, nullptr},
  {"*", "モデリング|消去(D)", {FACES_SELECTED}, nullptr},
  {"*", "モデリング|統合(M)", {MAKE_FACES, "|頂点選択", "|全選択"}, nullptr},
  {"*", "モデリング|面分割", {FACES_SELECTED}, nullptr},
  {"*", "モデリング|面反転", {FACES_SELECTED}, nullptr},
  {"*", "モデリング|面撤去", {FACES_SELECTED}, nullptr},
  {"*", "モデリング|カット", {FACES_SELECTED}, nullptr},
  {"*", "モデリング|ペースト", {FACES_SELECTED, "|コピー"}, nullptr},
  {"*", "キーフレーム|キー作成", {"キーフレーム|>"}, nullptr},
  {"*", "キーフレーム|<#2", {"キーフレーム|>#2"}, nullptr},
  {"*", "効果音|フォルダ", {"list 1"}, nullptr},
  {"*", "効果音|効果音( WAV )", {"list 1"}, nullptr},
  {"3D motion", "モーション|<#2", {"モーション|キー作成"}, nullptr},
  {"3D motion", "モーション|>#2", {"モーション|キー作成"}, nullptr},
  {"3D motion", "モーション|<#3", {"モーション|キー作成"}, nullptr},
  {"3D motion", "モーション|>#3", {"モーション|キー作成"}, nullptr},
  {"3D motion", "モーション|<#4", {"モーション|キー作成"}, nullptr},
  {"3D motion", "モーション|>#4", {"モーション|キー作成"}, nullptr},
  {"3D motion", "モーション|<#5", {"モーション|キー作成"}, nullptr},
  {"3D motion", "モーション|>#5", {"モーション|キー作成"}, nullptr},
  {"*", "キーフレーム|<<<", {"キーフレーム|>"}, nullptr},
  {"*", "キーフレーム|<", {"キーフレーム|>"}, nullptr},
  {"*", "キーフレーム|<<", {"キーフレーム|>"}, nullptr},
  {"*", "キーフレーム|>>", {"キーフレーム|>", "キーフレーム|キー作成", "キーフレーム|<<<"}, nullptr},
  {"*", "キーフレーム|カット", {"キーフレーム|>", "キーフレーム|キー作成"}, nullptr},
};
#undef MAKE_FACES
#undef MAKE_STEP
#undef UNSELECT
#undef FACES_SELECTED

const Given *FindGiven(const std::string &step, const std::string &control) {
  std::string any = control.substr(control.find('|'));
  for (const Given &g : kGiven)
    if ((!strcmp(g.step, "*") || step == g.step) && (control == g.control || any == g.control)) return &g;
  return nullptr;
}

// The windows whose buttons are pressed: not the family selector and the mode panels (the
// walk itself presses those), not the main window.
bool PressesIn(HWND w, HWND main) {
  std::string t = Text(w);
  return w != main && t != " 編集モード" && t != k3DPanel && t != k2DPanel && Class(w) == "#32770";
}

// How long the moving windows are watched, how long a press's effect is waited for at least
// (the wait ends at the first look that finds one) and how often it is looked for (ms). A look
// asks every control of the program for its state, so on a loaded machine, where the program
// is slow to take the press, the looks are slow too: the wait lasts kSettleLooks looks at least.
const DWORD kMovingMs = 150, kSettleMs = 1000, kPollMs = 50, kSettleLooks = 6;

// Waits until the program has taken what was posted to it and its windows stand still: two
// looks kMovingMs apart find the same windows in the same places with the same controls (a
// window still being made, placed or filled). Pixels are not compared: a view may animate.
void Rest(DWORD pid, HWND main, const std::string &what) {
  Answered(main, what);
  std::map<HWND, std::string> last;
  WaitFor(what + " to come to rest", 20000, [&] {
    std::map<HWND, std::string> now;
    for (HWND w : TopWindows(pid)) now[w] = Shape(w, nullptr);
    bool same = now == last;
    last.swap(now);
    return same;
  }, kMovingMs);
}

struct PressWalk {
  DWORD pid;
  HWND main;
  int inert = 0, excused = 0;
  std::set<std::string> seen;

  // A modal box or dialog opened by a press is an effect: it is answered "no" / cancelled.
  bool CloseModals(const std::vector<HWND> &before) {
    bool any = false;
    for (int round = 0; round < 5; round++) {
      HWND box = nullptr;
      for (HWND w : TopWindows(pid))
        if (std::find(before.begin(), before.end(), w) == before.end() && !IsWindowEnabled(main) && Class(w) == "#32770")
          box = w;
      if (!box) break;
      any = true;
      for (int id : {IDNO, IDCANCEL}) PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(box, id));
      PostMessageA(box, WM_CLOSE, 0, 0);
      for (int t = 0; t < 40 && IsWindow(box) && IsWindowVisible(box); t++) Sleep(50);
    }
    return any;
  }

  // Presses every enabled button of the tool windows once. Before each press the windows
  // that change on their own (a playing preview, a blinking caret) are found, and their
  // pixels are left out of the comparison.
  void Step(const char *step, HWND only = nullptr) {
    struct Target { HWND window, control; std::string name; };
    std::vector<Target> targets, closers;
    for (HWND w : TopWindows(pid)) {
      if (!PressesIn(w, main) || (only && w != only)) continue;
      for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (Class(c) != "Button" || !IsWindowVisible(c) || !IsWindowEnabled(c)) continue;
        if ((GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) continue;
        // A button that closes its window goes last, so the window's other buttons are pressed.
        (Text(c) == "閉じる" ? closers : targets).push_back({w, c, Name(w, c)});
      }
    }
    targets.insert(targets.end(), closers.begin(), closers.end());
    for (const Target &t : targets) {
      if (!IsWindow(t.control) || !IsWindowVisible(t.control) || !IsWindowEnabled(t.control)) {
        if (IsWindow(t.window) && IsWindowVisible(t.window)) Fault(step, t.name, "was not pressed: an earlier press hid or disabled it");
        continue;
      }
      const Given *given = FindGiven(step, t.name);
      const Quiet *quiet = given ? nullptr : FindQuiet(step, t.name);
      if (given && !SetUp(*given, t.window)) {
        Fault(step, t.name, "could not be given what it acts on");
        continue;
      }
      // A window that changed on its own hides what the press did there: a press found
      // still while one did is tried once more (a toggle then changes back, which counts).
      bool changed = false;
      std::vector<HWND> windows;
      std::set<HWND> moving;
      DWORD start = GetTickCount(), lookMs = 0;
      int attempts = 0, looks = 0;
      bool tick = IsTick(t.control);
      int ticked = tick ? Check(t.control) : 0;
      // The press's own look (the focus frame, the default button's frame, the window made
      // active) is in place before the look the press is judged against.
      Focus(t.window, t.control);
      for (int attempt = 0; attempt < 2 && !changed; attempt++) {
        attempts++;
        // A second try needs what the first one used up (a frame to step back from).
        if (attempt > 0 && given) SetUp(*given, t.window);
        DWORD lookStart = GetTickCount();
        Snapshot first = Snap(pid, t.control);
        lookMs = GetTickCount() - lookStart;
        const DWORD settle = std::max(kSettleMs, kSettleLooks * (lookMs + kPollMs));
        Sleep(kMovingMs);
        Snapshot before = Snap(pid, t.control);
        moving.clear();
        for (const auto &p : before.pixels) {
          auto f = first.pixels.find(p.first);
          if (f == first.pixels.end() || f->second != p.second) moving.insert(p.first);
        }
        windows = TopWindows(pid);
        PostMessageA(t.control, BM_CLICK, 0, 0);
        // The wait for the press's effect starts once the program has taken the press: on a
        // loaded machine it may take it long after it was posted. An excused press is not
        // judged: one look then (a box it opened is answered below).
        Answered(main, "the press of " + t.name);
        DWORD pressed = GetTickCount();
        do {
          Sleep(kPollMs);
          changed = CloseModals(windows) || Differs(before, Snap(pid, t.control), moving);
          looks++;
        } while (!changed && !quiet && GetTickCount() - pressed < settle);
        if (moving.empty() || quiet) break;
      }
      // What an excused press changed is drawn before the next press is judged: two looks
      // agree (but for the windows that change on their own).
      if (quiet) {
        Snapshot last = Snap(pid);
        WaitFor("the screen to settle after " + t.name, 3000, [&] {
          Sleep(kMovingMs);
          Snapshot now = Snap(pid);
          bool same = !Differs(last, now, moving);
          last = now;
          return same;
        });
      }
      // A box the press opened may have shown before it could be answered: it is answered
      // (and any it leads to) before the next press.
      for (int i = 0; changed && i < 40 && !IsWindowEnabled(main); i++) {
        CloseModals(windows);
        Sleep(kPollMs);
      }
      // A press that started playback (its button now reads "停止") stops it again: the
      // presses after it are judged on a still screen, not against a playing one.
      if (changed && Text(t.control).rfind("停止", 0) == 0) {
        PostMessageA(t.control, BM_CLICK, 0, 0);
        WaitFor("the playback to stop", 5000, [&] { return Text(t.control).rfind("停止", 0) != 0; });
      } else if (changed && Text(t.control).rfind("再生", 0) == 0) {
        // A window with a stop button of its own: that button stops what the press started.
        for (HWND c = GetWindow(t.window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
          if (c != t.control && Class(c) == "Button" && Text(c).rfind("停止", 0) == 0 && IsWindowEnabled(c)) {
            PostMessageA(c, BM_CLICK, 0, 0);
            Answered(t.window, "the stop");
          }
      }
      if (getenv("MIRAVEL_PRESS_TRACE"))
        printf("    %s: %s after %lu ms (%d attempts, %d looks, a look %lu ms)\n", t.name.c_str(), changed ? "changed" : "still",
               GetTickCount() - start, attempts, looks, lookMs);
      if (quiet) {
        excused++;
        if (getenv("MIRAVEL_PRESS_TRACE"))
          printf("    %s: excused (%s)%s\n", t.name.c_str(), quiet->reason, changed ? ", but it changed something" : "");
        // An excused tick is put back, so the presses after it meet the program as it was.
        if (tick && Check(t.control) != ticked) {
          PostMessageA(t.control, BM_CLICK, 0, 0);
          Answered(t.window, "a tick put back");
        }
        continue;
      }
      const char *fault = changed ? nullptr : given ? "changes nothing although given what it acts on" : "changes nothing";
      // A tick the window's "決定" takes back was never the program's: the box only shows a
      // state it does not keep.
      if (changed && tick && Check(t.control) != ticked && TickUndoneByApply(t.window, t.control, ticked))
        fault = "ticks, and 決定 takes the tick back";
      if (fault) Fault(step, t.name, fault);
    }
  }

  void Fault(const char *step, const std::string &name, const char *fault) {
    std::string what = std::string(step) + ": " + name;
    if (!seen.insert(what).second) return;
    inert++;
    printf("  %s %s\n", what.c_str(), fault);
  }

  // "caption|text" of a button, "#2" added for the second of that text in its window.
  static std::string Name(HWND window, HWND control) {
    std::string text = Text(control);
    int n = 0;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (Class(c) == "Button" && Text(c) == text) n++;
      if (c == control) break;
    }
    return Text(window) + "|" + text + (n > 1 ? "#" + std::to_string(n) : "");
  }

  // The shown, enabled button named "caption|text" ("|text" in `own`), or null.
  HWND FindButton(const std::string &name, HWND own) {
    size_t bar = name.find('|');
    std::string caption = name.substr(0, bar);
    for (HWND w : TopWindows(pid)) {
      if (caption.empty() ? w != own : Text(w) != caption) continue;
      for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (Class(c) == "Button" && IsWindowVisible(c) && IsWindowEnabled(c) && Name(w, c) == Text(w) + name.substr(bar))
          return c;
    }
    return nullptr;
  }

  // Makes what `g` needs: each of its presses in turn (the first of its alternatives found),
  // each taken by the program and any box it opened answered. False when one is not there.
  bool SetUp(const Given &g, HWND window) {
    if (g.ready && g.ready(window)) return true;
    for (const char *step : g.first) {
      if (!strncmp(step, "list ", 5)) {
        HWND list = FindWindowExA(window, nullptr, "ListBox", nullptr);
        if (!list) {
          printf("    no list to pick in before %s\n", g.control);
          return false;
        }
        PostMessageA(list, LB_SETCURSEL, atoi(step + 5), 0);
        Answered(window, "a list line picked");
        continue;
      }
      std::string alternatives = step;
      HWND button = nullptr;
      for (size_t from = 0; !button && from != std::string::npos;) {
        size_t or_ = alternatives.find(" or ", from);
        button = FindButton(alternatives.substr(from, or_ == std::string::npos ? or_ : or_ - from), window);
        from = or_ == std::string::npos ? or_ : or_ + 4;
      }
      if (!button) {
        printf("    none of \"%s\" is there to press\n", step);
        return false;
      }
      std::vector<HWND> windows = TopWindows(pid);
      PostMessageA(button, BM_CLICK, 0, 0);
      Answered(main, std::string("the press of ") + Text(button));
      for (int i = 0; i < 40 && !IsWindowEnabled(main); i++) {
        CloseModals(windows);
        Sleep(kPollMs);
      }
      Sleep(kMovingMs);
    }
    // What the presses changed is drawn before the press they prepare is judged.
    if (!g.first.empty()) {
      Snapshot last = Snap(pid);
      WaitFor("the screen to settle after the presses before " + std::string(g.control), 3000, [&] {
        Sleep(kMovingMs);
        Snapshot now = Snap(pid);
        bool same = now.shape == last.shape && now.pixels == last.pixels;
        last = now;
        return same;
      });
    }
    if (g.ready && !g.ready(window)) {
      printf("    the presses before %s did not make it ready\n", g.control);
      return false;
    }
    return true;
  }

  static bool IsTick(HWND c) {
    LONG type = GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
  }

  static int Check(HWND c) {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(c, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
    return (int)state;
  }

  // Gives the control the focus as a click does, and waits until it has it.
  void Focus(HWND window, HWND control) {
    PostMessageA(window, WM_NEXTDLGCTL, (WPARAM)control, TRUE);
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    for (int i = 0; i < 100; i++) {
      GUITHREADINFO gui = {};
      gui.cbSize = sizeof gui;
      if (GetGUIThreadInfo(thread, &gui) && gui.hwndFocus == control) break;
      Sleep(20);
    }
    Sleep(kMovingMs);
  }

  // Presses the window's enabled "決定" and tells whether the box then shows `was` again.
  bool TickUndoneByApply(HWND window, HWND box, int was) {
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (Class(c) != "Button" || Text(c) != "決定" || !IsWindowVisible(c) || !IsWindowEnabled(c)) continue;
      std::vector<HWND> windows = TopWindows(pid);
      PostMessageA(c, BM_CLICK, 0, 0);
      bool back = false;
      for (DWORD t0 = GetTickCount(); !back && GetTickCount() - t0 < 3000;) {
        Sleep(kPollMs);
        back = Check(box) == was;
      }
      for (int i = 0; i < 40 && !IsWindowEnabled(main); i++) {
        CloseModals(windows);
        Sleep(kPollMs);
      }
      return back;
    }
    return false;
  }
};

}  // namespace

// The desktop sizes the walk runs at; the further orders run at the first only.
struct Desktop { int w, h; };
const Desktop kDesktops[] = {{1280, 1024}, {1024, 768}};

// The Wine desktop set to `d` (the program finds it so at start).
bool SetDesktop(const Desktop &d) {
  DEVMODEA mode = {};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = d.w, mode.dmPelsHeight = d.h, mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  ChangeDisplaySettingsExA(nullptr, &mode, nullptr, 0, nullptr);
  return GetSystemMetrics(SM_CXSCREEN) == d.w && GetSystemMetrics(SM_CYSCREEN) == d.h;
}

struct WalkTest : ::testing::TestWithParam<Desktop> {};

TEST_P(WalkTest, EveryFamilyAndSubModeInTwoOrdersLeavesEverythingInReach) {
  const bool first = GetParam().w == kDesktops[0].w;
  ASSERT_TRUE(SetDesktop(GetParam()));
  Child child;
  ASSERT_TRUE(child.Start());
  DWORD pid = child.pi.dwProcessId;
  ASSERT_NE(WaitTop(pid, " 編集モード", 60000), nullptr);
  Walk walk{pid, nullptr, {}, {}, {}, {}};
  for (HWND w : TopWindows(pid))
    if (Class(w) == "D3D Window") walk.main = w;
  ASSERT_NE(walk.main, nullptr);
  if (const char *shots = getenv("MIRAVEL_WALK_SHOTS")) walk.shots = shots;
  walk.Settle("the start");
  ASSERT_TRUE(walk.Run(0));
  ASSERT_TRUE(walk.Run(1));
  walk.CountLeft();
  if (first) {
    EXPECT_TRUE(walk.MovieThen3D());
    EXPECT_TRUE(walk.CommandDialogs());
  }
  EXPECT_TRUE(walk.MovedGroupDialog());
  if (first) {
    EXPECT_TRUE(walk.MenuDialogs());
    EXPECT_TRUE(walk.MovedStays());
    EXPECT_TRUE(walk.Modals());
    EXPECT_TRUE(walk.MovieActors());   // last: the movie it changes is left unsaved
  }
  const Counts &c = walk.counts;
  printf("walk: %d controls covered, %d controls outside their dialog, %d menu bar cells covered, "
         "%d views of one colour, %d views covered by more than half, %d windows left from the step before, "
         "%d windows hidden behind a file dialog, %d behind a message box, %d moved windows not kept where put, "
         "%d lines of screen text covered\n",
         c.covered, c.outside, c.menuCovered, c.blank, c.buried, c.left, c.hiddenFile, c.hiddenBox, c.notKept, c.textCovered);
  printf("walk: %d work areas hidden at entry\n", c.workHidden);
  printf("walk: %d windows opened elsewhere than in the first order\n", c.away);
  EXPECT_EQ(c.Total(), 0);
}

INSTANTIATE_TEST_SUITE_P(Desktops, WalkTest, ::testing::ValuesIn(kDesktops),
                         [](const ::testing::TestParamInfo<Desktop> &i) {
                           return std::to_string(i.param.w) + "x" + std::to_string(i.param.h);
                         });

// The press walk in parts that run side by side, each a family with its sub-modes (or a few
// families): a part starts the program, enters its steps in the walk's first order and
// presses every enabled button there.
struct PressPart {
  const char *name;   // the part's name in the test's name
  std::vector<int> families;   // buttons of kSelector
  std::vector<int> modes;      // sub-mode buttons entered after the family
  bool atFamilyEntry;          // the buttons are pressed at the family's entry as well
};

// The part's steps in the walk's first order: its families, each followed by the part's
// sub-modes of it.
std::vector<Step> PartSteps(const PressPart &p) {
  std::vector<Step> out;
  bool in = false;   // the last family entered is one of the part's
  for (const Step &s : Order(false)) {
    if (!s.panel) in = std::find(p.families.begin(), p.families.end(), s.button) != p.families.end();
    bool mode = s.panel && std::find(p.modes.begin(), p.modes.end(), s.button) != p.modes.end();
    if (in && (!s.panel || mode)) out.push_back(s);
  }
  return out;
}

const PressPart kPressParts[] = {
  {"3D_model", {IDC_EDIT_3D_MODEL}, {}, true},
  {"3D_object_motion", {IDC_EDIT_3D_MODEL}, {IDC_M3D_OBJECT, IDC_M3D_MOTION}, false},
  {"3D_texture_bone", {IDC_EDIT_3D_MODEL}, {IDC_M3D_TEXTURE, IDC_M3D_BONE}, false},
  {"3D_weight_polygon", {IDC_EDIT_3D_MODEL}, {IDC_M3D_WEIGHT, IDC_M3D_POLY}, false},
  {"2D_object_texture_bone", {IDC_EDIT_2D_MODEL}, {IDC_M2D_OBJECT, IDC_M2D_TEXTURE, IDC_M2D_BONE}, true},
  {"2D_weight_motion_polygon", {IDC_EDIT_2D_MODEL}, {IDC_M2D_WEIGHT, IDC_M2D_MOTION, IDC_M2D_POLY}, false},
  {"preview_effect_map_collision", {IDC_EDIT_PREVIEW, IDC_EDIT_EFFECT, IDC_EDIT_2D_MAP, IDC_EDIT_COLLISION}, {}, true},
  {"movie_program", {IDC_EDIT_MOVIE, IDC_EDIT_PROGRAM}, {}, true},
};

// The parts together enter every step of the walk's first order once, so none goes unpressed.
TEST(PressParts, TogetherEnterEveryStepOnce) {
  std::map<std::string, int> entered;
  for (const PressPart &p : kPressParts)
    for (const Step &s : PartSteps(p))
      if (s.panel || p.atFamilyEntry) entered[s.name]++;
  for (const Step &s : Order(false)) EXPECT_EQ(entered[s.name], 1) << s.name;
  EXPECT_EQ(entered.size(), Order(false).size());
}

struct PressWalkTest : ::testing::TestWithParam<PressPart> {};

// The dialogs commands open after a step's entry (`to`: the view window whose menu holds the
// command; else the main window's menu).
// command; else the main window's menu). `file`: the field naming the file the dialog writes,
// given a name in the walk's own folder first.
struct CommandDialog {
  const char *step;
  UINT command;
  const char *to;
  const char *label;
  int file;
};
const CommandDialog kCommandDialogs[] = {
  {"3D model", IDM_WIN_SKETCH, "Front", "3D model 下絵", 0},
  {"3D model", IDM_OPTIONS, nullptr, "3D model options", 0},
  {"3D object", IDM_OBJ_SOUNDS, nullptr, "3D object 効果音", 0},
  {"3D motion", IDM_MOT_SOUNDS, nullptr, "3D motion 効果音", 0},
  {"2D model", IDM_OPTIONS, nullptr, "2D model options", 0},
  {"preview", IDM_OPTIONS, nullptr, "preview options", 0},
  {"preview", IDM_RENDER, nullptr, "preview render", IDC_RENDER_NAME},
  {"movie", IDM_MOVIE_RENDER, nullptr, "movie render", IDC_MOVIE_RENDER_NAME},
};

// A dialog a command opens after the step's entry: opened, its buttons pressed as at entry,
// then closed again.
void PressCommandDialog(PressWalk *walk, const CommandDialog &d) {
  HWND to = d.to ? FindTop(walk->pid, d.to) : walk->main;
  if (!to) {
    walk->Fault(d.label, d.to, "is not there to take the command");
    return;
  }
  std::vector<HWND> before = TopWindows(walk->pid);
  PostMessageA(to, WM_COMMAND, (WPARAM)d.command, 0);
  HWND dlg = nullptr;
  WaitFor(d.label, 20000, [&] {
    for (HWND w : TopWindows(walk->pid))
      if (std::find(before.begin(), before.end(), w) == before.end() && !IsView(w)) return (dlg = w) != nullptr;
    return false;
  }, 100);
  if (!dlg) {
    walk->Fault(d.label, "", "did not open its dialog");
    return;
  }
  Rest(walk->pid, walk->main, d.label);
  if (d.file) {
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    std::string name = std::string(tmp) + "miravel_walk\\press_render";
    DWORD_PTR r = 0;
    SendMessageTimeoutA(GetDlgItem(dlg, d.file), WM_SETTEXT, 0, (LPARAM)name.c_str(), SMTO_ABORTIFHUNG, 5000, &r);
  }
  walk->Step(d.label, dlg);
  if (IsWindow(dlg)) PostMessageA(dlg, WM_CLOSE, 0, 0);
  WaitFor(std::string("the dialog of ") + d.label + " to close", 10000, [&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); });
}

// Each kind of movie actor made current, and the buttons of its dialog pressed: the camera
// (the key dialog's second row picked), then each kind the menu adds, which becomes the
// current actor at once.
void PressMovieActors(PressWalk *walk) {
  HWND keys = FindTop(walk->pid, "キーフレーム");
  if (!keys) {
    walk->Fault("movie actors", "キーフレーム", "is not there to pick the camera in");
    return;
  }
  LPARAM camera = MAKELPARAM(100, 89 + 25 + 12);
  PostMessageA(keys, WM_LBUTTONDOWN, MK_LBUTTON, camera);
  PostMessageA(keys, WM_LBUTTONUP, 0, camera);
  static const struct { UINT add; const char *caption, *label; } kActors[] = {
    {0, "カメラ", "movie, camera"},
    {IDM_MOVIE_ADD_IMAGE, "２Ｄイメージ", "movie, image actor"},
    {IDM_MOVIE_ADD_KZA, "２Ｄモデル オブジェクト", "movie, 2D object actor"},
    {IDM_MOVIE_ADD_KZB, "２Ｄモデル ワンスキン", "movie, 2D skin actor"},
    {IDM_MOVIE_ADD_KZP, "３Ｄモデル", "movie, 3D model actor"},
    {IDM_MOVIE_ADD_SOUND, "効果音", "movie, sound actor"},
    {IDM_MOVIE_ADD_MESSAGE, "メッセージ", "movie, message actor"},
  };
  for (const auto &a : kActors) {
    if (a.add) PostMessageA(walk->main, WM_COMMAND, a.add, 0);
    Answered(walk->main, a.label);
    HWND dlg = WaitTop(walk->pid, a.caption, 10000);
    if (!dlg) {
      walk->Fault(a.label, a.caption, "did not show");
      continue;
    }
    Rest(walk->pid, walk->main, a.label);
    walk->Step(a.label, dlg);
  }
}

// Every enabled button of every tool window at the entry of each family and sub-mode of the
// part, of the dialogs commands open there and of each movie actor kind's dialog, pressed
// once: it must change something a user sees (a window, a control's state or text, pixels
// that were still), after the presses kGiven names where its effect needs a model, a
// selection or a step to undo, or be in kQuiet with its reason.
TEST_P(PressWalkTest, EveryEnabledControlDoesSomethingAtEntry) {
  Child child;
  ASSERT_TRUE(child.Start());
  DWORD pid = child.pi.dwProcessId;
  ASSERT_NE(WaitTop(pid, " 編集モード", 60000), nullptr);
  HWND main = nullptr;
  for (HWND w : TopWindows(pid))
    if (Class(w) == "D3D Window") main = w;
  ASSERT_NE(main, nullptr);
  Rest(pid, main, "the start");
  PressWalk walk{pid, main};
  // The preview shows the 3D editor's model: a cube made at start-up gives it one to show (and
  // its options something to change).
  const std::vector<int> &families = GetParam().families;
  if (std::find(families.begin(), families.end(), IDC_EDIT_PREVIEW) != families.end()) {
    HWND modelling = WaitTop(pid, "モデリング", 10000);
    if (modelling) PostMessageA(GetDlgItem(modelling, IDC_POLY_CUBE), BM_CLICK, 0, 0);
    Rest(pid, main, "the cube made");
  }
  for (const Step &s : PartSteps(GetParam())) {
    DWORD start = GetTickCount();
    // Leaving a document the presses changed asks first: the answer gives it up.
    std::vector<HWND> before = TopWindows(pid);
    bool pressed = Press(pid, s);
    for (int tries = 0; !pressed && tries < 3; tries++) {
      for (HWND w : TopWindows(pid))
        if (std::find(before.begin(), before.end(), w) == before.end() && Class(w) == "#32770")
          PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), (LPARAM)GetDlgItem(w, IDYES));
      Answered(main, std::string(s.name) + " asked again");
      pressed = Press(pid, s);
    }
    ASSERT_TRUE(pressed) << s.name;
    Rest(pid, main, s.name);
    if (!s.panel && !GetParam().atFamilyEntry) continue;
    walk.Step(s.name);
    for (const CommandDialog &d : kCommandDialogs)
      if (!strcmp(d.step, s.name)) PressCommandDialog(&walk, d);
    if (s.button == IDC_EDIT_MOVIE && !s.panel) PressMovieActors(&walk);
    printf("  %s: pressed in %lu s\n", s.name, (GetTickCount() - start + 500) / 1000);
  }
  printf("walk: %d presses excused, %d enabled controls change nothing\n", walk.excused, walk.inert);
  EXPECT_EQ(walk.inert, 0);
}

INSTANTIATE_TEST_SUITE_P(Parts, PressWalkTest, ::testing::ValuesIn(kPressParts),
                         [](const ::testing::TestParamInfo<PressPart> &i) { return std::string(i.param.name); });
