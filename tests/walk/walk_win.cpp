// The program walked as a user meets it at 1280 x 1024: started as a child process, every
// family entered from the selector and every 3D and 2D sub-mode from its mode panel, in two
// orders, so that each step has two different predecessors. After each step it counts, from
// this other process (WindowFromPoint then gives the topmost window at a point, as a click
// would find it): controls covered at their centre, controls outside their dialog, menu bar
// items covered, view windows of one colour or more than half covered, windows left from
// the previous step, screen text covered; and once, the menu bar under the preview family's
// render and options dialogs, a moved panel that must open where the user left it, and tool windows hidden
// behind a file dialog and a message box.
// With MIRAVEL_WALK_SHOTS=<folder> each step asks for a screenshot there (see AskShot).
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "resources/edit2d_ids.h"
#include "resources/edit3d_ids.h"
#include "resources/shell_ids.h"
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

// Polls `ready` until it holds or `ms` have passed by the clock (a busy machine makes each
// poll slower, not the wait shorter). A wait that runs out says what it waited for, so a
// failed walk names its step.
template <class F>
bool WaitFor(const std::string &what, DWORD ms, F ready, DWORD pollMs = 50) {
  DWORD start = GetTickCount();
  while (!ready()) {
    if (GetTickCount() - start >= ms) {
      printf("  waited %lu ms for %s: it did not come\n", (unsigned long)ms, what.c_str());
      fflush(stdout);
      return false;
    }
    Sleep(pollMs);
  }
  return true;
}

HWND WaitTop(DWORD pid, const char *title, DWORD ms, const char *cls = nullptr) {
  HWND w = nullptr;
  WaitFor(std::string("the window \"") + title + "\"", ms, [&] { return (w = FindTop(pid, title, cls)) != nullptr; }, 100);
  return w;
}

// The program's loop has taken what was posted to it before: a message sent to its window
// is answered at the loop's next look at its queue, which also takes the posted ones; three
// answers in a row put at least one further pass of the loop behind them.
bool Answered(HWND w, const std::string &what) {
  for (int i = 0; i < 3; i++) {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &r)) {
      printf("  the program did not answer after %s\n", what.c_str());
      fflush(stdout);
      return false;
    }
  }
  return true;
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
  int textCovered = 0;   // lines of screen text a window covers
  std::set<std::string> known;   // the faults found so far: each counts once over the walk
  int Total() const { return covered + outside + menuCovered + blank + buried + left + hiddenFile + hiddenBox + notKept + textCovered; }
  // True (and the fault printed) the first time `what` is found.
  bool New(const char *step, const std::string &what) {
    if (!known.insert(what).second) return false;
    printf("  %s: %s\n", step, what.c_str());
    return true;
  }
};

std::string Quote(const std::string &s) { return "\"" + s + "\""; }

// Every visible, enabled control of every window of the process (but group boxes, which
// only frame others): is the window at its centre its own dialog, and does it lie inside
// the dialog's client area?
void CountControls(DWORD pid, const char *step, Counts *c) {
  for (HWND top : TopWindows(pid)) {
    RECT client;
    GetClientRect(top, &client);
    MapWindowPoints(top, nullptr, (POINT *)&client, 2);
    for (HWND ctl = GetWindow(top, GW_CHILD); ctl; ctl = GetWindow(ctl, GW_HWNDNEXT)) {
      if (!IsWindowVisible(ctl) || !IsWindowEnabled(ctl)) continue;
      if (Class(ctl) == "Button" && (GetWindowLongA(ctl, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) continue;
      RECT r;
      GetWindowRect(ctl, &r);
      POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
      HWND hit = RootAt(centre);
      std::string name = Quote(Text(top)) + " " + Class(ctl) + " " + std::to_string(GetDlgCtrlID(ctl)) + " " + Quote(Text(ctl));
      if (hit != top) c->covered += c->New(step, name + " lies under " + (hit ? Quote(Text(hit)) : "nothing"));
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
      seen[order][s.name] = Titles(pid, main);
      steps[order].push_back(s.name);
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

  // The 3D mode panel moved by the user, the family left and entered again: the panel opens
  // where the user left it.
  bool MovedStays() {
    if (!Press(pid, kSelector[0])) return false;
    Settle("the 3D model family");
    HWND panel = FindTop(pid, k3DPanel);
    if (!panel) return false;
    SetWindowPos(panel, nullptr, 600, 700, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    WaitFor("the mode panel moved to 600,700", 5000, [&] {
      RECT r = {};
      return GetWindowRect(panel, &r) && r.left == 600 && r.top == 700;
    });
    Answered(main, "the mode panel moved");
    if (!Press(pid, kSelector[2]) || !Press(pid, kSelector[0])) return false;
    Settle("the 3D model family entered again");
    panel = FindTop(pid, k3DPanel);
    RECT r = {};
    if (panel) GetWindowRect(panel, &r);
    if (r.left != 600 || r.top != 700)
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
};

}  // namespace

TEST(Walk, EveryFamilyAndSubModeInTwoOrdersLeavesEverythingInReach) {
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
  EXPECT_TRUE(walk.MenuDialogs());
  EXPECT_TRUE(walk.MovedStays());
  EXPECT_TRUE(walk.Modals());
  const Counts &c = walk.counts;
  printf("walk: %d controls covered, %d controls outside their dialog, %d menu bar cells covered, "
         "%d views of one colour, %d views covered by more than half, %d windows left from the step before, "
         "%d windows hidden behind a file dialog, %d behind a message box, %d moved windows not kept where put, "
         "%d lines of screen text covered\n",
         c.covered, c.outside, c.menuCovered, c.blank, c.buried, c.left, c.hiddenFile, c.hiddenBox, c.notKept, c.textCovered);
  EXPECT_EQ(c.Total(), 0);
}
