// The main window's handler and command routing, the edit-mode selector, the options
// dialog, the view windows and the shell seam's platform entries. Windows build only.
#include "app/shell_win.h"
#include "app/settings.h"
#include "app/shell_options.h"
#include "app/shell_view.h"
#include "app/tools_win.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "app/commands.h"
#include "app/current.h"
#include "app/discard.h"
#include "app/family.h"
#include "app/options.h"
#include "app/panel_win.h"
#include "app/filemenu.h"
#include "app/shell_seam.h"
#include "app/startup_state.h"
#include "app/startup_win.h"
#include "app/update.h"
#include "app/views.h"
#include "app/winorder_win.h"
#include "app/winplace_win.h"
#include "lib/framework/fieldtext_win.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "lib/framework/view_record.h"
#include "model/model3.h"
#include "model/object.h"
#include "resources/shell_ids.h"
#include "model/seam_timer.h"

WindowHolder g_OptionDlg;
WindowHolder g_EditDlg;
HWND g_WheelPanels[WHEEL_PANELS];
HWND g_DialogPanels[DIALOG_PANELS];

static HINSTANCE ModuleInstance(void) { return GetModuleHandleA(nullptr); }

static void StorePosition(HWND dlg, WindowHolder *h) {
  RECT r;
  if (GetWindowRect(dlg, &r)) { h->x = r.left; h->y = r.top; }
}

// [SECTION] exit, options, download
// Set once the user agreed to end: the WM_CLOSE that follows does not ask again.
static bool s_ExitAgreed;

// The exit question, naming the documents that changed; true on "はい".
static bool AskExit(void) {
  if (s_ExitAgreed) return true;
  char text[1024];
  Discard_ExitQuestion(text, sizeof text);
  s_ExitAgreed = Modal_MessageBox(g_Lib.mainWnd, text, g_AppCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
  Timer_Reset();   // time spent in the box is not frame time
  return s_ExitAgreed;
}

bool App_ConfirmExit(void) {
  bool closed = AskExit();
  if (closed) SendMessageA(g_Lib.mainWnd, WM_CLOSE, 0, 0);
  return closed;
}

// The library asks before the close box's WM_CLOSE and before the session ends.
static bool MayCloseMainWindow(void) { return AskExit(); }

// The options dialog opens where it was last (its holder keeps the place), else centred on
// the main window's client area, never over the menu bar and the selector at the corner.
static void PlaceOptionsDialog(HWND dlg) {
  RECT d, c;
  if (!GetWindowRect(dlg, &d)) return;
  i32 w = d.right - d.left, h = d.bottom - d.top;
  i32 x = g_OptionDlg.x, y = g_OptionDlg.y;
  if (g_OptionDlg.w == 0 && g_Lib.mainWnd && GetClientRect(g_Lib.mainWnd, &c)) {
    POINT o = {0, 0};
    ClientToScreen(g_Lib.mainWnd, &o);
    x = o.x + (c.right - w) / 2;
    y = o.y + (c.bottom - h) / 2;
  }
  MoveWindow(dlg, x, y, w, h, FALSE);
  g_OptionDlg.x = x; g_OptionDlg.y = y; g_OptionDlg.w = w; g_OptionDlg.h = h;
}

void App_OpenOptions(void) {
  if (!g_OptionDlg.window) {
    g_OptionDlg.window = CreateDialogParamA(ModuleInstance(), "OPTION_DLG", g_Lib.mainWnd, Options_DlgProc, 0);
    if (g_OptionDlg.window) {
      PlaceOptionsDialog((HWND)g_OptionDlg.window);
      ShowWindow((HWND)g_OptionDlg.window, SW_SHOW);
      WinOrder_Join((HWND)g_OptionDlg.window);
    }
  }
  if (g_OptionDlg.window) SetActiveWindow((HWND)g_OptionDlg.window);
}

static void OpenDownloadPage(void) { Lib_ShellOpen(kDownloadPageAddress); }

void App_ApplyMainWndRect(void) {
  if (!g_Lib.mainWnd) return;
  MoveWindow(g_Lib.mainWnd, g_Options.g_MainWndRect[0], g_Options.g_MainWndRect[1], g_Options.g_MainWndRect[2], g_Options.g_MainWndRect[3], TRUE);
  if (g_Lib.device) D3DApp_ResetDevice();
}

// [SECTION] options dialog
static void SetCheck(HWND dlg, int id, bool on) { CheckDlgButton(dlg, id, on ? BST_CHECKED : BST_UNCHECKED); }

// The limit last put into the box; empty when the dialog opens. The box is read only when the
// dialog closes: a refresh (every click on a box makes one) puts the stored limit back only
// when it differs from what was last shown, so a limit being typed is not lost.
static char s_ShownMaxPolygons[OPTIONS_TEXT];

static void Options_ShowValues(HWND dlg) {
  OptionsShown shown;
  Options_Show(&shown);
  for (const auto &c : shown.checks) SetCheck(dlg, c.id, c.on != 0);
  if (strcmp(shown.maxPolygons, s_ShownMaxPolygons) == 0) return;
  SetDlgItemTextA(dlg, IDC_OPT_MAX_POLYGONS, shown.maxPolygons);
  Str_Copy(s_ShownMaxPolygons, sizeof s_ShownMaxPolygons, shown.maxPolygons);
}

static void Options_Close(HWND dlg) {
  DestroyWindow(dlg);
  g_OptionDlg.window = nullptr;
}

INT_PTR CALLBACK Options_DlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  StorePosition(dlg, &g_OptionDlg);
  if (msg == WM_DESTROY) WinOrder_Leave(dlg);
  switch (msg) {
    case WM_INITDIALOG:
      s_ShownMaxPolygons[0] = 0;
      return Panel_StartRefresh(dlg, &g_Options.g_OptionDlgRefresh);
    case WM_COMMAND: {
      char limit[64] = "";
      // Only "閉じる" takes the field; a text refused keeps the dialog open.
      if (LOWORD(wParam) == IDC_OPT_CLOSE && !FieldText_Read(GetDlgItem(dlg, IDC_OPT_MAX_POLYGONS), limit, sizeof limit))
        return TRUE;
      OptionsAnswer a = Options_Command(LOWORD(wParam), limit);
      if (a == OPTIONS_CLOSE) Options_Close(dlg);
      return a != OPTIONS_NOT_MINE ? TRUE : FALSE;
    }
    case WM_CLOSE:
      Options_Close(dlg);
      return TRUE;
    default:
      if (Panel_TakeRefresh(&g_Options.g_OptionDlgRefresh)) {
        App_MarkAllRedraw(View_CurrentLayout());
        Options_ShowValues(dlg);
      }
      return FALSE;
  }
}

// [SECTION] edit-mode selector
struct SelectorButton { int id; u32 family; };
static const SelectorButton kSelectorButtons[] = {
  {IDC_EDIT_PREVIEW, FAMILY_PREVIEW}, {IDC_EDIT_2D_MODEL, FAMILY_2D_MODEL},
  {IDC_EDIT_3D_MODEL, FAMILY_3D_MODEL}, {IDC_EDIT_EFFECT, FAMILY_EFFECT},
  {IDC_EDIT_2D_MAP, FAMILY_2D_MAP}, {IDC_EDIT_COLLISION, FAMILY_COLLISION},
  {IDC_EDIT_MOVIE, FAMILY_MOVIE}, {IDC_EDIT_PROGRAM, FAMILY_PROGRAM},
};

INT_PTR CALLBACK App_EditDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  StorePosition(dlg, &g_EditDlg);
  switch (msg) {
    case WM_INITDIALOG: return Panel_StartRefresh(dlg, &g_Shell.g_EditDlgRefresh);
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      for (const SelectorButton &b : kSelectorButtons) {
        if (b.id != id) continue;
        if (b.family == FAMILY_3D_MODEL) App_SwitchTo3DFamily();
        else App_SwitchFamily(b.family);
        g_Shell.g_EditDlgRefresh = 1;   // a refused switch still shows the family in effect
        return TRUE;
      }
      return FALSE;
    }
    default:
      if (Panel_TakeRefresh(&g_Shell.g_EditDlgRefresh))
        for (const SelectorButton &b : kSelectorButtons) SetCheck(dlg, b.id, b.family == g_Shell.g_EditFamily);
      return FALSE;
  }
}

// Grows the window so that its client area holds every control, disabled ones too, with the
// left-most control's margin at the right and at the bottom.
static void HoldEveryControl(HWND dlg) {
  RECT client;
  GetClientRect(dlg, &client);
  LONG left = client.right, right = 0, bottom = 0;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, dlg, (POINT *)&r, 2);
    left = r.left < left ? r.left : left;
    right = r.right > right ? r.right : right;
    bottom = r.bottom > bottom ? r.bottom : bottom;
  }
  LONG margin = left > 0 && left < client.right ? left : 0;
  LONG growW = right + margin - client.right, growH = bottom + margin - client.bottom;
  if (growW <= 0 && growH <= 0) return;
  RECT r;
  GetWindowRect(dlg, &r);
  SetWindowPos(dlg, nullptr, 0, 0, r.right - r.left + (growW > 0 ? growW : 0), r.bottom - r.top + (growH > 0 ? growH : 0),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void App_CreateEditDlg(void) {
  if (g_EditDlg.window) return;
  HWND dlg = CreateDialogParamA(ModuleInstance(), "EDIT_DLG", g_Lib.mainWnd, App_EditDlgProc, 0);
  g_EditDlg.window = dlg;
  if (!dlg) return;
  MoveWindow(dlg, 0, 47, 90, Lib_GetOsVersion() == 5 ? 270 : 265, TRUE);
  HoldEveryControl(dlg);
  ShowWindow(dlg, SW_SHOW);
  WinOrder_Join(dlg);
}

// [SECTION] view windows
static const char *KindTitle(u32 kind) {
  switch (kind) {
    case VIEW_FRONT: return "Front";
    case VIEW_TOP: return "Top";
    case VIEW_SIDE: return "Side";
    case VIEW_PERS: return "Pers";
    default: return nullptr;
  }
}

void View_FindActiveView(void) {
  u32 L = View_CurrentLayout();
  if (Shell_AnyButtonHeld()) return;   // a drag keeps the view it started on
  g_Shell.g_ActiveView = 0;
  HWND active = GetActiveWindow();
  for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++) {
    ViewRecord *v = &g_Shell.g_Views[L][i];
    if (v->inUse == 1 && v->window && (HWND)v->window == active) g_Shell.g_ActiveView = i;
  }
}

// The init parameter of a view window: its index in the current layout.
static HWND CreateViewWindow(u32 index) {
  return CreateDialogParamA(ModuleInstance(), "WIN_DLG", g_Lib.mainWnd, View_WinDlgProc, (LPARAM)index);
}

static void PutViewWindow(ViewRecord *v) {
  HWND w = (HWND)v->window;
  MoveWindow(w, v->x, v->y, v->w, v->h, TRUE);
  const char *title = KindTitle(v->kind);
  if (title) SetWindowTextA(w, title);
}

static void ShowViewWindow(HWND w) {
  ShowWindow(w, SW_SHOWNOACTIVATE);
  WinPlace_Place(w);
}

static void PlaceViewWindow(ViewRecord *v) {
  PutViewWindow(v);
  ShowViewWindow((HWND)v->window);
}

static i32 Area(const ViewRecord *v) { return v->w * v->h; }

void View_AddView(int shown, int x, int y, int w, int h) {
  i32 index = View_TakeFreeSlot(shown, x, y, w, h);
  if (index < 0) return;
  ViewRecord *v = View_Get(View_CurrentLayout(), (u32)index);
  if (!v->window) CreateViewWindow((u32)index);
  if (!v->window) { v->inUse = 0; return; }
  PlaceViewWindow(v);
  App_MarkAllRedraw(View_CurrentLayout());
}

static void AddRandomView(void) {
  int x = rand() % 640, y = rand() % 480;
  int w = 200 + rand() % 250, h = 200 + rand() % 150;
  View_AddView(1, x, y, w, h);
}

void View_CreateViewWindows(void) {
  u32 L = View_CurrentLayout();
  i32 n = g_Shell.g_ViewCount[L];
  if (n > VIEWS_PER_LAYOUT) n = VIEWS_PER_LAYOUT;
  ViewRecord *made[VIEWS_PER_LAYOUT];
  i32 count = 0;
  for (i32 i = 1; i < n; i++) {
    ViewRecord *v = &g_Shell.g_Views[L][i];
    if (v->inUse != 1 || v->shown != 1 || v->window) continue;
    v->created = 1;
    CreateViewWindow((u32)i);
    if (!v->window) continue;
    PutViewWindow(v);
    made[count++] = v;
  }
  // Shown and placed largest first: a smaller view moves aside rather than a larger one.
  for (i32 i = 0; i < count; i++) {
    i32 big = i;
    for (i32 k = i + 1; k < count; k++)
      if (Area(made[k]) > Area(made[big])) big = k;
    ViewRecord *t = made[i];
    made[i] = made[big];
    made[big] = t;
    ShowViewWindow((HWND)made[i]->window);
  }
  g_Shell.g_Views[L][0].window = (HWND__ *)g_Lib.mainWnd;
  if (g_Lib.mainWnd) SetActiveWindow(g_Lib.mainWnd);
  WinOrder_RaiseAll();
}

void View_DestroyExtraViews(void) {
  u32 L = View_CurrentLayout();
  for (i32 i = 1; i < VIEWS_PER_LAYOUT; i++) {
    ViewRecord *v = &g_Shell.g_Views[L][i];
    if (!v->window) continue;
    HWND w = (HWND)v->window;
    v->window = nullptr;   // cleared first: the window's own messages no longer find the view
    DestroyWindow(w);
  }
  if (g_Lib.mainWnd) SetActiveWindow(g_Lib.mainWnd);
}

static i32 ViewIndexOf(HWND dlg) {
  u32 L = View_CurrentLayout();
  for (i32 i = 0; i < VIEWS_PER_LAYOUT; i++)
    if (g_Shell.g_Views[L][i].inUse == 1 && (HWND)g_Shell.g_Views[L][i].window == dlg) return i;
  return -1;
}

static void ViewMouseDown(HWND dlg, u32 button, LPARAM lParam) {
  Shell_SetButtonHeld(button, 1);
  SetCapture(dlg);
  if (button == BUTTON_LEFT) App_OnLButtonDown(lParam);
  else if (button == BUTTON_MIDDLE) App_OnMButtonDown(lParam);
  else App_OnRButtonDown(lParam);
}

static void ViewMouseUp(u32 button, LPARAM lParam) {
  Shell_SetButtonHeld(button, 0);
  ReleaseCapture();
  if (button == BUTTON_LEFT) App_OnLButtonUp(lParam);
  else if (button == BUTTON_MIDDLE) App_OnMButtonUp(lParam);
  else App_OnRButtonUp(lParam);
}

static void SetViewKind(HWND dlg, ViewRecord *v, u32 kind) {
  v->kind = kind;
  SetWindowTextA(dlg, KindTitle(kind));
  App_MarkAllRedraw(View_CurrentLayout());
}

static INT_PTR ViewMessage(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  u32 L = View_CurrentLayout();
  if (msg == WM_DESTROY) {
    WinOrder_Leave(dlg);
    D3DApp_WindowGoing(dlg);   // the device presents into it no longer
  }
  if (msg == WM_INITDIALOG) {
    u32 index = (u32)lParam;
    if (index == 0 || index >= VIEWS_PER_LAYOUT) return FALSE;
    WinOrder_Join(dlg);
    g_Shell.g_Views[L][index].window = (HWND__ *)dlg;
    g_Shell.g_Views[L][index].created = 1;
    SetTimer(dlg, 1, 50, nullptr);
    return FALSE;
  }
  i32 index = ViewIndexOf(dlg);
  // A drag keeps the view it started on: the timer, paint and other messages that a view
  // window gets meanwhile (Wine sends them while the main view is dragged) do not take it.
  bool dragging = Shell_AnyButtonHeld();
  if (!dragging) g_Shell.g_ActiveView = 0;
  if (index <= 0) return FALSE;   // not a view window of the current layout
  ViewRecord *v = &g_Shell.g_Views[L][index];
  if (!dragging) {
    g_Shell.g_ActiveView = (u32)index;
    View_NoteActivated(v);
  }
  RECT r, c;
  if (GetWindowRect(dlg, &r)) { v->x = r.left; v->y = r.top; v->w = r.right - r.left; v->h = r.bottom - r.top; }
  if (GetClientRect(dlg, &c)) { v->clientW = c.right; v->clientH = c.bottom; }
  switch (msg) {
    case WM_MOUSEMOVE: App_OnMouseMove(lParam); return TRUE;
    case WM_LBUTTONDOWN: ViewMouseDown(dlg, BUTTON_LEFT, lParam); return TRUE;
    case WM_MBUTTONDOWN: ViewMouseDown(dlg, BUTTON_MIDDLE, lParam); return TRUE;
    case WM_RBUTTONDOWN: ViewMouseDown(dlg, BUTTON_RIGHT, lParam); return TRUE;
    case WM_LBUTTONUP: ViewMouseUp(BUTTON_LEFT, lParam); return TRUE;
    case WM_MBUTTONUP: ViewMouseUp(BUTTON_MIDDLE, lParam); return TRUE;
    case WM_RBUTTONUP: ViewMouseUp(BUTTON_RIGHT, lParam); return TRUE;
    case WM_KEYDOWN: App_OnKeyDown((u32)wParam); return TRUE;
    case WM_KEYUP: App_OnKeyUp((u32)wParam); return TRUE;
    case WM_MOVE: case WM_SIZE: case WM_ACTIVATE: case WM_EXITMENULOOP: case WM_SHOWWINDOW:
      App_MarkAllRedraw(View_CurrentLayout());
      return TRUE;
    case WM_TIMER: {
      // Under Wine the first frames presented into a window that has just appeared can be
      // lost: the view is drawn again on its first ticks (2 s at 50 ms).
      LONG_PTR ticks = GetWindowLongPtrA(dlg, GWLP_USERDATA);
      if (ticks < 40) {
        SetWindowLongPtrA(dlg, GWLP_USERDATA, ticks + 1);
        v->redraw = 1;
      }
      return TRUE;
    }
    case WM_ERASEBKGND:
      return TRUE;   // the device presents the whole client area
    case WM_PAINT: {
      // An uncovered view is drawn again by the loop rather than left blank.
      PAINTSTRUCT ps;
      BeginPaint(dlg, &ps);
      EndPaint(dlg, &ps);
      v->redraw = 1;
      return TRUE;
    }
    case WM_CLOSE:
      v->window = nullptr;
      v->inUse = 0;   // the view leaves the layout; the count is unchanged
      DestroyWindow(dlg);
      App_MarkAllRedraw(View_CurrentLayout());
      return TRUE;
    case WM_GETMINMAXINFO: {
      MINMAXINFO *mm = (MINMAXINFO *)lParam;
      mm->ptMinTrackSize.x = 100;
      mm->ptMinTrackSize.y = 100;
      if (g_Lib.desktopWidth > 0) { mm->ptMaxTrackSize.x = g_Lib.desktopWidth; mm->ptMaxTrackSize.y = g_Lib.desktopHeight; }
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDM_WIN_FRONT: SetViewKind(dlg, v, VIEW_FRONT); return TRUE;
        case IDM_WIN_TOP: SetViewKind(dlg, v, VIEW_TOP); return TRUE;
        case IDM_WIN_SIDE: SetViewKind(dlg, v, VIEW_SIDE); return TRUE;
        case IDM_WIN_SKETCH: Sketch_Open(); return TRUE;
        case IDM_WIN_FIT: {
          HookCtx c = Family_ShellContext();
          View_Fit(&c);
          return TRUE;
        }
        default: return FALSE;
      }
    default:
      if (v->created == 1) v->created = 0;
      return FALSE;
  }
}

// A view's input comes through the door of commands (app/update.h).
INT_PTR CALLBACK View_WinDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  bool input = Panel_IsInput(msg, wParam);
  if (input) App_CommandBegin();
  INT_PTR r = ViewMessage(dlg, msg, wParam, lParam);
  if (input) App_CommandEnd();
  return r;
}

// [SECTION] main window
// The main window's mouse messages and the shell's handler of each (given the message's lParam).
struct MouseMessage {
  u32 msg;
  void (*handle)(i64 lParam);
};
static const MouseMessage kMouseMessages[] = {
    {WM_MOUSEMOVE, App_OnMouseMove},     {WM_LBUTTONDOWN, App_OnLButtonDown},
    {WM_LBUTTONUP, App_OnLButtonUp},     {WM_LBUTTONDBLCLK, App_OnLButtonDblClk},
    {WM_RBUTTONDOWN, App_OnRButtonDown}, {WM_RBUTTONUP, App_OnRButtonUp},
    {WM_MBUTTONDOWN, App_OnMButtonDown}, {WM_MBUTTONUP, App_OnMButtonUp},
};

static void MainMessage(HWND hWnd, u32 msg, uintptr_t wParam, intptr_t lParam) {
  RECT r;
  if (GetWindowRect(hWnd, &r) && r.left > -3200) {   // a minimised window keeps its placement
    g_Options.g_MainWndRect[0] = r.left;
    g_Options.g_MainWndRect[1] = r.top;
    g_Options.g_MainWndRect[2] = r.right - r.left;
    g_Options.g_MainWndRect[3] = r.bottom - r.top;
    ViewRecord *main = View_Get(View_CurrentLayout(), 0);   // view 0 is the main window
    main->x = r.left; main->y = r.top; main->w = r.right - r.left; main->h = r.bottom - r.top;
  }
  View_FindActiveView();
  // A press on the main window works in view 0, as the click that activates the window makes
  // it on Windows (without a window manager under Wine a click activates nothing).
  if (msg == WM_LBUTTONDOWN || msg == WM_MBUTTONDOWN || msg == WM_RBUTTONDOWN) {
    g_Shell.g_ActiveView = 0;
  }
  WinOrder_MainMessage(hWnd, msg, wParam, lParam);
  for (const MouseMessage &m : kMouseMessages)
    if (m.msg == msg) {
      m.handle(lParam);
      return;
    }
  switch (msg) {
    case WM_KEYDOWN: App_OnKeyDown((u32)wParam); break;
    case WM_KEYUP: App_OnKeyUp((u32)wParam); break;
    case WM_COMMAND: App_RouteCommand((u64)wParam); break;
    case WM_DESTROY: Settings_Save(); break;
    // The session ends without WM_DESTROY: the settings are saved now. A session end that
    // was called off asks again next time.
    case WM_ENDSESSION:
      if (wParam) Settings_Save();
      else s_ExitAgreed = false;
      break;
    case WM_MOVE: case WM_SIZE: case WM_ACTIVATE: App_MarkAllRedraw(View_CurrentLayout()); break;
    // An uncovered main view (a tool window dragged over it) is drawn again by the loop.
    case WM_PAINT: View_Get(View_CurrentLayout(), 0)->redraw = 1; break;
    default: break;
  }
}

// The main window's input comes through the door of commands (app/update.h).
intptr_t App_MainWndProc(HWND__ *wnd, u32 msg, uintptr_t wParam, intptr_t lParam) {
  bool input = Panel_IsInput(msg, wParam);
  if (input) App_CommandBegin();
  MainMessage((HWND)wnd, msg, wParam, lParam);
  if (input) App_CommandEnd();
  return 0;
}

// [SECTION] message loop helpers
bool App_WheelTargetActive(void) {
  HWND active = GetActiveWindow();
  if (!active) return false;
  if (active == g_Lib.mainWnd) return true;
  u32 L = View_CurrentLayout();
  for (i32 i = 1; i < g_Shell.g_ViewCount[L] && i < VIEWS_PER_LAYOUT; i++) {
    const ViewRecord *v = &g_Shell.g_Views[L][i];
    if (v->inUse == 1 && v->window && (HWND)v->window == active) return true;
  }
  for (HWND p : g_WheelPanels)
    if (p && p == active) return true;
  return false;
}

bool App_DialogPanelsTake(MSG *msg) {
  HWND panels[DIALOG_PANELS];
  for (int i = 0; i < DIALOG_PANELS; i++) panels[i] = g_DialogPanels[i];
  // Slot 1 is the current layout's group panel (holder 1 of its block).
  HWND group = (HWND)g_AppShell.panels[View_CurrentLayout()][PANEL_GROUP].window;
  if (group) panels[1] = group;
  for (HWND p : panels)
    if (p && IsWindow(p) && IsDialogMessageA(p, msg)) return true;
  return false;
}

// [SECTION] seam
static void *LoadFamilyMenu(const char *name) {
  HMENU menu = LoadMenuA(ModuleInstance(), name);
  if (menu && g_Lib.mainWnd) SetMenu(g_Lib.mainWnd, menu);
  return menu;
}

static void DestroyFamilyMenu(void *menu) {
  // Detach first: a menu destroyed while attached leaves the window pointing at nothing.
  if (g_Lib.mainWnd && GetMenu(g_Lib.mainWnd) == (HMENU)menu) SetMenu(g_Lib.mainWnd, nullptr);
  DestroyMenu((HMENU)menu);
}

static bool AskYesNo(const char *text) {
  int answer = Modal_MessageBox(g_Lib.mainWnd, text, g_AppCaption, MB_YESNO | MB_ICONQUESTION);
  Timer_Reset();
  return answer == IDYES;
}

// A vsync change resets the device: every view is drawn again after it.
static void SetVSyncSeam(u32 on) {
  Lib_SetVSync(on != 0);
  App_MarkAllRedraw(View_CurrentLayout());
}
static void SetAntialiasSeam(u32 on) { Lib_SetAntialias(on != 0); }

void Shell_InstallSeam(void) {
  ShellSeam &s = g_ShellSeam;
  s.setVSync = SetVSyncSeam;
  s.setAntialias = SetAntialiasSeam;
  s.applyMainWndRect = App_ApplyMainWndRect;
  s.destroyMenu = DestroyFamilyMenu;
  s.askYesNo = AskYesNo;
  s.confirmExit = App_ConfirmExit;
  g_LibHooks.mayClose = MayCloseMainWindow;
  App_InstallModalIdle();
  s.openOptions = App_OpenOptions;
  s.openDownloadPage = OpenDownloadPage;
  s.addView = AddRandomView;
  FileMenu_Install();
  s.loadFamilyMenu = LoadFamilyMenu;
  s.createViewWindows = View_CreateViewWindows;
  s.keepWorkAreas = WinPlace_KeepWorkAreas;
  s.destroyExtraViews = View_DestroyExtraViews;
}
