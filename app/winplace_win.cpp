// Where a window of the kept-above set opens (see winplace_win.h). Owns g_WinPlace.
#include "app/strip_state.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "model/types.h"
#include "app/family.h"
#include "app/shell_view.h"
#include "app/shell_win.h"
#include "app/strip.h"
#include "app/views.h"
#include "app/widget_win.h"
#include "lib/draw/screen.h"
#include "lib/framework/lib.h"
#include "app/winorder_win.h"
#include "app/winplace_win.h"

#include <commctrl.h>
#include <string.h>

WinPlace g_WinPlace;

enum { PLACE_STEP = 8, NARROW_STEP = 16, OBSTACLE_CAPACITY = 512, FIT_GROWTH_MAX = 40 };

// A control, caption or text under a window counts as this many pixels of a soft area (the
// 2D frame): a window rather covers the whole frame than one control.
static const long long HARD_WEIGHT = 1LL << 22;

static WinPlaceMember *Member(HWND w);
static const WinPlaceMemory *Remembered(const WinPlaceMember *m, bool user);
static void Remember(const WinPlaceMember *m, LONG x, LONG y, bool user = true);
static void Widen(void);

// A member left out of the obstacles while another window looks for a place (GiveWay).
static HWND s_Absent;
// Set from a family's or sub-mode's leave to the end of the next entry: the view windows
// still stand where the layout that was left put them, and go to the new layout's places after the
// panels have opened, so the panels opening then do not keep clear of them.
static bool s_Entering = true;

struct Obstacles {
  u32 count;
  RECT rects[OBSTACLE_CAPACITY];
  long long weight[OBSTACLE_CAPACITY];
  bool view[OBSTACLE_CAPACITY];   // a view's client area under a panel: rather not, but allowed
};

static void AddObstacle(Obstacles *o, const RECT &r, long long weight = HARD_WEIGHT, bool view = false) {
  if (o->count >= OBSTACLE_CAPACITY || r.right <= r.left || r.bottom <= r.top) return;
  o->rects[o->count] = r;
  o->view[o->count] = view;
  o->weight[o->count++] = weight;
}

// The key strips: their frame ruler on top and their label column on the left are kept clear.
static void AddStrips(HWND w, Obstacles *o) {
  static const i32 kKeyStrips[] = {STRIP_OBJ2_KEYS, STRIP_BONE2_KEYS, STRIP_KZO_KEYS,
                                   STRIP_MOTION3_KEYS, STRIP_EFFECT_KEYS, STRIP_MOVIE_KEYS};
  for (i32 entry : kKeyStrips) {
    HWND s = (HWND)g_Strip.g_StripWindows[entry].window;
    if (!s || s == w || !IsWindow(s) || !IsWindowVisible(s) || GetAncestor(s, GA_ROOT) == w) continue;
    RECT c;
    GetClientRect(s, &c);
    MapWindowPoints(s, nullptr, (POINT *)&c, 2);
    RECT ruler = {c.left, c.top, c.right, c.top + STRIP_HEADER};
    RECT labels = {c.left, c.top, c.left + STRIP_LABEL_X + 1, c.bottom};
    AddObstacle(o, ruler);
    AddObstacle(o, labels);
  }
}

// True when w lies below `over` in the order of the top-level windows.
static bool Below(HWND w, HWND over) {
  for (HWND n = GetWindow(over, GW_HWNDNEXT); n; n = GetWindow(n, GW_HWNDNEXT))
    if (n == w) return true;
  return false;
}

// True when the kept area k does not apply to w.
static bool KeptFrom(const WinPlaceKeep &k, HWND w) {
  if (IsRectEmpty(&k.client) || (k.only && k.only != w) || (k.owner && k.owner == w)) return true;
  if (k.panels && WinPlace_IsView(w)) return true;
  return k.above && k.owner && Below(w, k.owner);
}

// The kept areas that apply to w, in screen coordinates.
static void AddKept(HWND w, Obstacles *o) {
  HWND main = g_WinOrder.main;
  if (!main) return;
  for (const WinPlaceKeep &k : g_WinPlace.keep) {
    if (KeptFrom(k, w)) continue;
    RECT r = k.client;
    MapWindowPoints(main, nullptr, (POINT *)&r, 2);
    AddObstacle(o, r, k.soft ? 1 : HARD_WEIGHT);
  }
}

void WinPlace_Keep(i32 slot, const RECT *client, HWND only, bool soft) {
  if (slot < 0 || slot >= WINPLACE_KEEP_SLOTS) return;
  WinPlaceKeep &k = g_WinPlace.keep[slot];
  SetRectEmpty(&k.client);
  k.only = client ? only : nullptr;
  k.owner = nullptr;
  k.soft = soft;
  k.panels = false;
  k.above = false;
  if (client) k.client = *client;
}

// The window's whole rectangle kept in the slot, or the part of its client area `part` names
// when it is not empty (a right or bottom of -1: to the client area's edge); the window itself
// is not kept out of it. A part is kept only from the windows above the owner.
static void KeepWindow(i32 slot, HWND owner, bool soft, const RECT &part) {
  RECT r;
  if (!g_WinOrder.main || !GetWindowRect(owner, &r)) return;
  if (!IsRectEmpty(&part) || part.right < 0) {
    RECT c;
    GetClientRect(owner, &c);
    r = {part.left, part.top, part.right < 0 ? c.right : part.right, part.bottom < 0 ? c.bottom : part.bottom};
    MapWindowPoints(owner, nullptr, (POINT *)&r, 2);
  }
  MapWindowPoints(nullptr, g_WinOrder.main, (POINT *)&r, 2);
  WinPlace_Keep(slot, &r, nullptr, soft);
  g_WinPlace.keep[slot].owner = owner;
  g_WinPlace.keep[slot].above = part.right != 0;
}

void WinPlace_ClearWork(void) {
  WinPlace_Keep(WINPLACE_KEEP_WORK, nullptr, nullptr);
  WinPlace_Keep(WINPLACE_KEEP_WORK2, nullptr, nullptr);
}

// True when the window's rectangle meets a work area it is kept out of.
static bool CoversWork(HWND w) {
  HWND main = g_WinOrder.main;
  RECT r;
  if (!main || !GetWindowRect(w, &r)) return false;
  for (i32 slot = WINPLACE_KEEP_WORK; slot <= WINPLACE_KEEP_WORK2; slot++) {
    const WinPlaceKeep &k = g_WinPlace.keep[slot];
    if (KeptFrom(k, w)) continue;
    RECT area = k.client, x;
    MapWindowPoints(main, nullptr, (POINT *)&area, 2);
    if (IntersectRect(&x, &area, &r)) return true;
  }
  return false;
}

// What each layout works in: a rectangle (x, y, w, h) of the frame its main view draws or of
// the main window's client area, or a window by caption (whole, or the rectangle of its client
// area when w is not 0; -1 for w or h: to the client area's edge).
struct WorkRow {
  u32 layout;
  const char *window;   // null: the rectangle
  bool client;          // the rectangle is in client coordinates, not the frame's
  i32 x, y, w, h;
  bool soft;     // where no place is free of it, a window covers it rather than a control
  bool panels;   // views need not keep clear of it
  bool low;      // kept only on a desktop lower than VIEW_TEXTURE_FULL_HEIGHT
};
static const WorkRow kWorkRows[] = {
  {SUB_3D_TEXTURE, "イメージ", false, 0, 0, 0, 0, true},
  {SUB_2D_OBJECT, nullptr, false, 0, 0, 640, 480, true},
  {SUB_2D_OBJECT, "イメージ", false, 116, 0, -1, -1},   // its preview, where the pivot is dragged
  {SUB_2D_TEXTURE, "テクスチャ", false, 0, 0, 0, 0},
  {SUB_2D_TEXTURE, nullptr, false, 0, 0, 640, 480, true},
  {SUB_2D_WEIGHT, nullptr, false, 0, 0, 640, 480, true},
  {SUB_2D_POLY, nullptr, false, 0, 0, 640, 480, true},
  {SUB_2D_MOTION, nullptr, false, 0, 0, 640, 480, true, false, true},
  {FAMILY_PROGRAM, nullptr, false, 0, 0, 640, 480},
  {FAMILY_EFFECT, nullptr, false, 0, 0, 640, 480},
  {FAMILY_MOVIE, "Pers", false, 0, 0, 0, 0, false, true},
  // The vertical-sync notice at (100, 10) and the followed character at the view's centre.
  {FAMILY_COLLISION, nullptr, true, 96, 6, 616, 24},
  {FAMILY_COLLISION, nullptr, false, 152, 112, 336, 256},
};

static HWND MemberTitled(const char *title) {
  for (u32 i = 0; i < g_WinOrder.count; i++) {
    HWND m = g_WinOrder.windows[i];
    char t[WINPLACE_TITLE] = "";
    if (IsWindow(m) && IsWindowVisible(m) && GetWindowTextA(m, t, sizeof t) && !strcmp(t, title)) return m;
  }
  return nullptr;
}

// Where the family selector opened. On a desktop lower than VIEW_TEXTURE_FULL_HEIGHT a family
// may have moved it clear of its work; on leaving the family it goes back there (or to where
// the user put it), so that the next family opens around it as it does in any order.
static POINT s_SelectorHome;
static bool s_SelectorHomeSet;

static void SelectorHome(void) {
  HWND w = (HWND)g_EditDlg.window;
  WinPlaceMember *m = w ? Member(w) : nullptr;
  RECT r;
  if (!m || !m->placed || !s_SelectorHomeSet || !View_TextureLayoutLow() || !GetWindowRect(w, &r)) return;
  if (r.left != m->at.left || r.top != m->at.top) {   // the user moved it: it stays
    Remember(m, r.left, r.top);
    m->at = r;
    return;
  }
  const WinPlaceMemory *user = Remembered(m, true);
  POINT to = user ? POINT{user->x, user->y} : s_SelectorHome;
  if (to.x == r.left && to.y == r.top) return;
  SetWindowPos(w, nullptr, to.x, to.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetWindowRect(w, &m->at);
}

void WinPlace_KeepWorkAreas(bool on) {
  WinPlace_ClearWork();
  s_Entering = !on;
  if (!on) {
    SelectorHome();
    return;
  }
  Widen();
  i32 slot = WINPLACE_KEEP_WORK;
  for (const WorkRow &r : kWorkRows) {
    if (r.layout != g_Shell.g_EditSubMode || slot > WINPLACE_KEEP_WORK2 || (r.low && !View_TextureLayoutLow())) continue;
    if (r.window) {
      if (HWND w = MemberTitled(r.window)) {
        RECT part = {r.x, r.y, r.w < 0 ? -1 : r.x + r.w, r.h < 0 ? -1 : r.y + r.h};
        KeepWindow(slot, w, r.soft, part);
        g_WinPlace.keep[slot++].panels = r.panels;
      }
      continue;
    }
    if (r.client) {
      RECT c = {r.x, r.y, r.x + r.w, r.y + r.h};
      WinPlace_Keep(slot, &c, nullptr, r.soft);
    } else {
      WinPlace_KeepInFrame(slot, r.x, r.y, r.w, r.h, nullptr, r.soft);
    }
    g_WinPlace.keep[slot++].panels = r.panels;
  }
  WinPlace_UncoverWork();
}

static LONG Area(HWND w) {
  RECT r;
  return GetWindowRect(w, &r) ? (r.right - r.left) * (r.bottom - r.top) : 0;
}

// A window still over a work area after the smaller members were tried: a sizable member
// (a key strip, whose rows and frames lay out for any width) narrows from its right edge,
// down to half its width, until w finds a free place; true when it did. The strip keeps
// every control, it shows fewer frames at a time.
static bool Narrowed(HWND w) {
  for (u32 i = 0; i < g_WinOrder.count; i++) {
    HWND m = g_WinOrder.windows[i];
    if (m == w || !IsWindow(m) || !IsWindowVisible(m) || WinPlace_IsView(m)) continue;
    if (!(GetWindowLongA(m, GWL_STYLE) & WS_THICKFRAME)) continue;
    RECT r;
    GetWindowRect(m, &r);
    LONG width = r.right - r.left, height = r.bottom - r.top;
    for (LONG cut = NARROW_STEP; width - cut >= width / 2; cut += NARROW_STEP) {
      SetWindowPos(m, nullptr, 0, 0, width - cut, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      WinPlace_Place(w);
      if (!CoversWork(w)) {
        if (WinPlaceMember *mem = Member(m)) GetWindowRect(m, &mem->at);
        return true;
      }
    }
    SetWindowPos(m, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return false;
}

// A window still over a work area: the smaller members (but the family selector) are tried,
// smallest first, as if absent; the first whose absence leaves a free place for it gives
// way and is placed again itself.
static void GiveWay(HWND w) {
  LONG area = Area(w);
  HWND smaller[WINORDER_CAPACITY];
  u32 n = 0;
  for (u32 i = 0; i < g_WinOrder.count; i++) {
    HWND m = g_WinOrder.windows[i];
    if (m != w && IsWindow(m) && IsWindowVisible(m) && m != (HWND)g_EditDlg.window && Area(m) < area) smaller[n++] = m;
  }
  for (u32 i = 1; i < n; i++)
    for (u32 k = i; k > 0 && Area(smaller[k]) < Area(smaller[k - 1]); k--) {
      HWND t = smaller[k];
      smaller[k] = smaller[k - 1];
      smaller[k - 1] = t;
    }
  for (u32 i = 0; i < n; i++) {
    s_Absent = smaller[i];
    WinPlace_Place(w);
    s_Absent = nullptr;
    if (CoversWork(w)) continue;
    // The member that gave way finds another place; where none is free of the work areas,
    // a sizable member narrows to make one.
    WinPlace_Place(smaller[i]);
    if (CoversWork(smaller[i])) Narrowed(smaller[i]);
    return;
  }
  if (Narrowed(w)) return;
  WinPlace_Place(w);   // none gave way: the best place among all of them
}

// The members that cover a work area are placed again, largest first.
void WinPlace_UncoverWork(void) {
  HWND order[WINORDER_CAPACITY];
  u32 n = 0;
  for (u32 i = 0; i < g_WinOrder.count; i++) {
    HWND m = g_WinOrder.windows[i];
    if (IsWindow(m) && IsWindowVisible(m) && CoversWork(m)) order[n++] = m;
  }
  for (u32 i = 1; i < n; i++)
    for (u32 k = i; k > 0 && Area(order[k]) > Area(order[k - 1]); k--) {
      HWND t = order[k];
      order[k] = order[k - 1];
      order[k - 1] = t;
    }
  for (u32 i = 0; i < n; i++) {
    HWND w = order[i];
    WinPlace_Place(w);
    if (CoversWork(w)) GiveWay(w);
  }
}

// The frame lies where the library draws it, from the main view's pan.
void WinPlace_KeepInFrame(i32 slot, i32 x, i32 y, i32 w, i32 h, HWND only, bool soft) {
  const ViewRecord *v = View_Get(g_Shell.g_EditSubMode, 0);
  f32 fx, fy;
  Screen_FrameOffsetFor(g_Lib.desktopWidth, g_Lib.desktopHeight, v->panX, v->panY, &fx, &fy);
  f32 zoom = View_FrameZoom();   // the frame's pixels as the view shows them
  LONG left = (LONG)fx + (LONG)((f32)x * zoom), top = (LONG)fy + (LONG)((f32)y * zoom);
  RECT r = {left, top, left + (LONG)((f32)w * zoom + 0.5f), top + (LONG)((f32)h * zoom + 0.5f)};
  WinPlace_Keep(slot, &r, only, soft);
}

static bool IsGroupBox(HWND c) {
  char cls[16] = "";
  GetClassNameA(c, cls, sizeof cls);
  return lstrcmpiA(cls, "Button") == 0 && (GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

bool WinPlace_IsView(HWND w) {
  char title[8] = "";
  GetWindowTextA(w, title, sizeof title);
  return !strcmp(title, "Front") || !strcmp(title, "Top") || !strcmp(title, "Side") || !strcmp(title, "Pers");
}

// The main window's menu bar, the key strips' rulers and label columns and the captions and
// controls of every other visible member; for a view the client areas of the other views and
// the panels whole.
static void Collect(HWND w, Obstacles *o) {
  o->count = 0;
  HWND main = g_WinOrder.main;
  MENUBARINFO bar = {};
  bar.cbSize = sizeof bar;
  if (main && GetMenu(main) && GetMenuBarInfo(main, OBJID_MENU, 0, &bar)) AddObstacle(o, bar.rcBar);
  AddStrips(w, o);
  AddKept(w, o);
  bool view = WinPlace_IsView(w);
  for (u32 i = 0; i < g_WinOrder.count; i++) {
    HWND m = g_WinOrder.windows[i];
    if (m == w || m == s_Absent || !IsWindow(m) || !IsWindowVisible(m)) continue;
    if (WinPlace_IsView(m)) {
      if (!view && s_Entering) continue;
      RECT c;
      GetClientRect(m, &c);
      MapWindowPoints(m, nullptr, (POINT *)&c, 2);
      // A panel may lie over a view, but rather beside it where there is room.
      AddObstacle(o, c, view ? HARD_WEIGHT : 1, !view);
      continue;
    }
    if (view) {   // the tool panels stay above the views: a view keeps clear of them whole
      RECT r;
      GetWindowRect(m, &r);
      AddObstacle(o, r);
      continue;
    }
    RECT frame, client;
    GetWindowRect(m, &frame);
    GetClientRect(m, &client);
    MapWindowPoints(m, nullptr, (POINT *)&client, 2);
    RECT caption = {frame.left, frame.top, frame.right, client.top};
    AddObstacle(o, caption);
    for (HWND c = GetWindow(m, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (!IsWindowVisible(c) || IsGroupBox(c)) continue;
      RECT r;
      GetWindowRect(c, &r);
      AddObstacle(o, r);
    }
  }
}

// The area of r that the obstacles cover, each weighted (overlaps between obstacles counted twice).
static long long Covered(const Obstacles &o, const RECT &r) {
  long long area = 0;
  RECT x;
  for (u32 i = 0; i < o.count; i++)
    if (IntersectRect(&x, &o.rects[i], &r)) area += (long long)(x.right - x.left) * (x.bottom - x.top) * o.weight[i];
  return area;
}

static bool Overlaps(const Obstacles &o, const RECT &r) { return Covered(o, r) > 0; }

// Grows the window so that its client area holds every visible control with the margin of
// the left-most one at the right and the smaller of it and the top-most one's at the bottom
// (a dialog template laid out for a narrower font).
static void FitControls(HWND w) {
  RECT client;
  if (!GetClientRect(w, &client)) return;
  LONG left = client.right, top = client.bottom, right = 0, bottom = 0;
  bool any = false;
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!IsWindowVisible(c)) continue;
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, w, (POINT *)&r, 2);
    if (r.left < left) left = r.left;
    if (r.top < top) top = r.top;
    if (r.right > right) right = r.right;
    if (r.bottom > bottom) bottom = r.bottom;
    any = true;
  }
  if (!any) return;
  // Below the controls the smaller margin: a window whose top is painted (a swatch strip, a
  // list made later) has its first control far down, which is no margin to keep.
  LONG margin = top < left ? top : left;
  LONG needW = right + (left > 0 ? left : 0), needH = bottom + (margin > 0 ? margin : 0);
  LONG growW = needW > client.right ? needW - client.right : 0, growH = needH > client.bottom ? needH - client.bottom : 0;
  // A window whose controls are laid out later for a larger size (a strip) is left alone.
  if ((!growW && !growH) || growW > FIT_GROWTH_MAX || growH > FIT_GROWTH_MAX) return;
  RECT r;
  GetWindowRect(w, &r);
  SetWindowPos(w, nullptr, 0, 0, r.right - r.left + growW, r.bottom - r.top + growH,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// [SECTION] members and remembered places
// A window's kind: the registration of a panel made by name, else its dialog procedure (or
// window procedure).
static const void *KindOf(HWND w) {
  if (const void *c = Widget_PanelClassOf(w)) return c;
  if (LONG_PTR p = GetWindowLongPtrA(w, DWLP_DLGPROC)) return (const void *)p;
  return (const void *)GetWindowLongPtrA(w, GWLP_WNDPROC);
}

static WinPlaceMember *Member(HWND w) {
  WinPlace &p = g_WinPlace;
  for (u32 i = 0; i < p.memberCount; i++)
    if (p.members[i].window == w) return &p.members[i];
  return nullptr;
}

// The record of w, made (kind and what it serves now) when it has none.
static WinPlaceMember *NoteMember(HWND w) {
  WinPlace &p = g_WinPlace;
  if (WinPlaceMember *m = Member(w)) return m;
  if (p.memberCount >= WINPLACE_CAPACITY) return nullptr;
  WinPlaceMember *m = &p.members[p.memberCount++];
  *m = WinPlaceMember{};
  m->window = w;
  m->kind = KindOf(w);
  m->family = g_Shell.g_EditFamily;
  m->subMode = g_Shell.g_EditSubMode;
  return m;
}

static void DropMember(HWND w) {
  WinPlace &p = g_WinPlace;
  for (u32 i = 0; i < p.memberCount; i++) {
    if (p.members[i].window != w) continue;
    p.members[i] = p.members[--p.memberCount];
    return;
  }
}

static bool Serves(u32 served, u32 now) { return served == WINPLACE_ANY || served == now; }

// The place the user left a window of m's kind at for what m serves: the narrowest match first
// (this sub-mode, then the family, then every family).
static const WinPlaceMemory *Remembered(const WinPlaceMember *m, bool user) {
  const WinPlace &p = g_WinPlace;
  const WinPlaceMemory *best = nullptr;
  int bestRank = 3;
  for (u32 i = 0; i < p.memoryCount; i++) {
    const WinPlaceMemory &r = p.memory[i];
    if (r.user != user || r.kind != m->kind || !Serves(r.family, m->family) || !Serves(r.subMode, m->subMode)) continue;
    int rank = r.family == WINPLACE_ANY ? 2 : r.subMode == WINPLACE_ANY ? 1 : 0;
    if (rank < bestRank) best = &r, bestRank = rank;
  }
  return best;
}

// Keeps (x, y) as the place (user) or home of windows of m's kind serving what m serves.
static void Remember(const WinPlaceMember *m, LONG x, LONG y, bool user) {
  WinPlace &p = g_WinPlace;
  WinPlaceMemory *r = nullptr;
  for (u32 i = 0; i < p.memoryCount && !r; i++)
    if (p.memory[i].user == user && p.memory[i].kind == m->kind && p.memory[i].family == m->family &&
        p.memory[i].subMode == m->subMode)
      r = &p.memory[i];
  if (!r && p.memoryCount < WINPLACE_CAPACITY) r = &p.memory[p.memoryCount++];
  if (!r) {   // full: the oldest place goes
    r = &p.memory[p.memoryNext];
    p.memoryNext = (p.memoryNext + 1) % WINPLACE_CAPACITY;
  }
  *r = WinPlaceMemory{m->kind, m->family, m->subMode, x, y, user};
}

static void Widen(void) {
  WinPlace &p = g_WinPlace;
  for (u32 i = 0; i < p.memberCount; i++) {
    WinPlaceMember &m = p.members[i];
    if (!IsWindow(m.window)) continue;
    if (m.family != g_Shell.g_EditFamily) m.family = m.subMode = WINPLACE_ANY;
    else if (m.subMode != g_Shell.g_EditSubMode) m.subMode = WINPLACE_ANY;
  }
}

// A member is placed again each time it is shown (a panel made hidden, an actor dialog that
// comes back); its record goes with the window.
static LRESULT CALLBACK MemberProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  if (msg == WM_WINDOWPOSCHANGED && (((const WINDOWPOS *)lParam)->flags & SWP_SHOWWINDOW)) {
    LRESULT r = DefSubclassProc(w, msg, wParam, lParam);
    WinPlace_Place(w);
    // A window shown without being activated keeps the place in the order it had while
    // hidden: it is raised above the views, as the panels are.
    SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    return r;
  }
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(w, MemberProc, id);
    DropMember(w);
  }
  return DefSubclassProc(w, msg, wParam, lParam);
}

void WinPlace_Join(HWND w) {
  if (!w) return;
  if (!WinPlace_IsView(w) && !Member(w) && NoteMember(w)) SetWindowSubclass(w, MemberProc, 1, 0);
  WinPlace_Place(w);
}

// The free place nearest to r (same size) on the screen; when none is free, the place that
// covers the least, nearest first. r itself when the screen cannot hold it.
static RECT Nearest(const Obstacles &o, const RECT &r, const RECT &screen, long long *coverOut = nullptr) {
  LONG w = r.right - r.left, h = r.bottom - r.top;
  RECT best = r;
  long long bestCover = -1, bestD = 0;
  for (LONG y = screen.top; y + h <= screen.bottom; y += PLACE_STEP)
    for (LONG x = screen.left; x + w <= screen.right; x += PLACE_STEP) {
      long long dx = x - r.left, dy = y - r.top, d = dx * dx + dy * dy;
      if (bestCover == 0 && d >= bestD) continue;   // a free place nearer is all that can win
      RECT c = {x, y, x + w, y + h};
      long long cover = Covered(o, c);
      if (bestCover >= 0 && (cover > bestCover || (cover == bestCover && d >= bestD))) continue;
      best = c;
      bestCover = cover;
      bestD = d;
    }
  if (coverOut) *coverOut = bestCover;
  return best;
}

// An overlapped window with a sizing border and a maximize box (the log window) that finds no
// free place at its size takes the tallest free place of its width, down to a quarter of its
// height.
static RECT Shrunk(HWND w, const Obstacles &o, const RECT &r, const RECT &screen) {
  LONG style = GetWindowLongA(w, GWL_STYLE);
  if ((style & (WS_THICKFRAME | WS_MAXIMIZEBOX)) != (WS_THICKFRAME | WS_MAXIMIZEBOX)) return r;
  for (LONG h = (r.bottom - r.top) * 7 / 8; h >= (r.bottom - r.top) / 4; h -= (r.bottom - r.top) / 8) {
    RECT smaller = {r.left, r.top, r.right, r.top + h};
    long long cover = 0;
    RECT to = Nearest(o, smaller, screen, &cover);
    if (cover == 0) return to;
  }
  return r;
}

static bool OnScreen(const RECT &r, const RECT &screen) {
  RECT on;
  return IntersectRect(&on, &r, &screen) && EqualRect(&on, &r);
}

// True when r covers none of the obstacles but views (a user may leave a panel over a view).
static bool ClearButViews(const Obstacles &o, const RECT &r) {
  RECT x;
  for (u32 i = 0; i < o.count; i++)
    if (!o.view[i] && IntersectRect(&x, &o.rects[i], &r)) return false;
  return true;
}

void WinPlace_Place(HWND w) {
  if (!w || !IsWindowVisible(w) || (GetWindowLongA(w, GWL_STYLE) & WS_CHILD)) return;
  FitControls(w);
  RECT was, r;
  GetWindowRect(w, &was);
  r = was;
  // View windows keep their places in their layouts' records.
  WinPlaceMember *m = WinPlace_IsView(w) ? nullptr : NoteMember(w);
  if (m && m->placed && (was.left != m->at.left || was.top != m->at.top)) Remember(m, was.left, was.top);   // moved by the user
  RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  Obstacles o;
  Collect(w, &o);
  // A window that opens where the user left one of its kind starts from there; it stays
  // there unless it would cover something a user needs, and then gives way as at entry. A
  // window placed before (shown again, or placed again for a work area) keeps its place
  // over a view that came later as well.
  const WinPlaceMemory *mem = m && !m->placed ? Remembered(m, true) : nullptr;
  const WinPlaceMemory *home = m && !m->placed && !mem ? Remembered(m, false) : nullptr;
  if (mem) OffsetRect(&r, mem->x - r.left, mem->y - r.top);
  else if (home) OffsetRect(&r, home->x - r.left, home->y - r.top);
  RECT to = r;
  bool stays = OnScreen(r, screen) && (mem || (m && m->placed) ? ClearButViews(o, r) : !Overlaps(o, r));
  if (!stays) {
    long long cover = 0;
    to = Nearest(o, r, screen, &cover);
    if (cover > 0) {
      RECT fit = Shrunk(w, o, r, screen);
      if (!EqualRect(&fit, &r)) to = fit;
    }
  }
  if (!EqualRect(&to, &was))
    SetWindowPos(w, nullptr, to.left, to.top, to.right - to.left, to.bottom - to.top, SWP_NOZORDER | SWP_NOACTIVATE);
  if (m) {
    GetWindowRect(w, &m->at);
    if (!m->placed && !mem && !home) Remember(m, m->at.left, m->at.top, false);
    if (!m->placed && w == (HWND)g_EditDlg.window) {
      s_SelectorHome = {m->at.left, m->at.top};
      s_SelectorHomeSet = true;
    }
    m->placed = true;
  }
}

bool WinPlace_PutUnlessUserPlaced(HWND w, LONG x, LONG y) {
  WinPlaceMember *m = Member(w);
  RECT r;
  if (!m || !GetWindowRect(w, &r) || Remembered(m, true)) return false;
  if (m->placed && (r.left != m->at.left || r.top != m->at.top)) return false;   // moved by the user
  if (r.left == x && r.top == y) return false;
  SetWindowPos(w, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetWindowRect(w, &m->at);
  m->placed = true;
  return true;
}

void WinPlace_Forget(HWND w) {
  WinPlaceMember *m = Member(w);
  RECT r;
  if (m && m->placed && GetWindowRect(w, &r) && (r.left != m->at.left || r.top != m->at.top))
    Remember(m, r.left, r.top);   // the user put it there
  DropMember(w);
}
