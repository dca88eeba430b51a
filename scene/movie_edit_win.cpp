// The movie editor's windows: its dialogs' registration with the widget seam (children, place,
// panel slots and the key dialog's strip), the dialog procedures, the MCI video window and the
// Windows-only library calls.
#include "scene/movie_edit_win.h"

#include <vfw.h>

#include "app/panel_win.h"
#include "app/shell_win.h"
#include "app/strip.h"
#include "app/views.h"
#include "app/widget_win.h"
#include "app/winplace_win.h"
#include "app/winorder_win.h"
#include "lib/framework/fieldtext_win.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/avi.h"
#include "lib/media/snapshot.h"
#include "scene/movie.h"
#include "scene/movie_dlg.h"
#include "scene/movie_edit.h"

// [SECTION] dialogs

// The bottom of the desktop's work area (above a task bar).
static i32 WorkBottom(void) {
  RECT work;
  i32 bottom = g_Lib.desktopHeight;
  if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) && work.bottom > 0 && work.bottom < bottom) bottom = work.bottom;
  return bottom;
}

// On a compact desktop (View_MovieCompact) an actor dialog ends where the key dialog starts:
// its list box is shorter and the buttons along its bottom move up with its edge.
static void FitAboveKeys(HWND dlg) {
  RECT r, client;
  HWND keys = (HWND)g_MovieEditor.dialogs[MOVIE_DIALOG_KEY];
  LONG keyTop = WorkBottom() - VIEW_MOVIE_KEY_H;
  if (keys && GetWindowRect(keys, &r)) keyTop = r.top;
  GetWindowRect(dlg, &r);
  GetClientRect(dlg, &client);
  LONG cut = r.bottom - keyTop, band = client.bottom - 60;   // band: the row of buttons along the bottom
  if (cut <= 0 || cut >= band / 2) return;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT at;
    GetWindowRect(c, &at);
    MapWindowPoints(nullptr, dlg, (POINT *)&at, 2);
    if (at.top >= band)
      SetWindowPos(c, nullptr, at.left, at.top - cut, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    else if (at.bottom >= band)
      SetWindowPos(c, nullptr, 0, 0, at.right - at.left, at.bottom - at.top - cut, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetWindowPos(dlg, nullptr, 0, 0, r.right - r.left, r.bottom - r.top - cut, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Screen place of dialog d: the mode dialog left of the views, below the family selector that
// holds the screen's top left corner, the actor dialogs (one place, one shown) right of the
// views, the key dialog along the bottom, the render dialog centred. On a compact desktop the
// selector goes back to the top left corner (unless the user put it elsewhere), the actor
// dialogs take the right edge from the top and the key dialog the bottom right of the mode
// dialog's column, so that the views fit between them (View_MovieCompactRect). The first
// dialog made (an actor dialog, shown before the others are made) finds the selector there.
static void Place(HWND dlg, u32 d) {
  RECT r, selector;
  GetWindowRect(dlg, &r);
  bool compact = View_MovieCompact();
  i32 w = r.right - r.left, h = r.bottom - r.top, x = 0, y = 84;
  if (compact && g_EditDlg.window)
    WinPlace_PutUnlessUserPlaced((HWND)g_EditDlg.window, 0, VIEW_MOVIE_COMPACT_TOP);
  if (d == MOVIE_DIALOG_MAIN && g_EditDlg.window && GetWindowRect((HWND)g_EditDlg.window, &selector) && selector.bottom > y)
    y = selector.bottom;
  if (d >= MOVIE_DIALOG_IMG && d <= MOVIE_DIALOG_MES) x = compact ? g_Lib.desktopWidth - w : 890, y = compact ? VIEW_MOVIE_COMPACT_TOP : y;
  else if (d == MOVIE_DIALOG_KEY && compact) y = WorkBottom() - h, x = VIEW_MOVIE_COMPACT_LEFT;
  else if (d == MOVIE_DIALOG_KEY) y = g_Lib.desktopHeight - h - 40, x = 0;
  else if (d == MOVIE_DIALOG_RENDER) x = (g_Lib.desktopWidth - w) / 2, y = (g_Lib.desktopHeight - h) / 2;
  if (x + w > g_Lib.desktopWidth) x = g_Lib.desktopWidth - w;
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  SetWindowPos(dlg, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (compact && d >= MOVIE_DIALOG_IMG && d <= MOVIE_DIALOG_MES) FitAboveKeys(dlg);
}

static void AddChildren(HWND dlg, u32 d) {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  bool actor = d >= MOVIE_DIALOG_IMG && d <= MOVIE_DIALOG_KZP;
  if (actor || d == MOVIE_DIALOG_MES) {
    RECT r;
    GetClientRect(dlg, &r);
    i32 top = d == MOVIE_DIALOG_MES ? 6 : 300;
    CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY, 6, top,
                    r.right - 12, d == MOVIE_DIALOG_MES ? 260 : r.bottom - top - 40, dlg, (HMENU)IDC_MOVIE_LIST, inst,
                    nullptr);
  }
  if (d == MOVIE_DIALOG_KEY) {
    CheckDlgButton(dlg, IDC_MOVIE_LOOP, BST_CHECKED);
    HWND bar = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_HORZ, 64, 5, 160, 18, dlg,
                               (HMENU)IDC_MOVIE_SCROLL, inst, nullptr);
    SetScrollRange(bar, SB_CTL, 0, g_MovieScene.frameCount, FALSE);
    SetScrollPos(bar, SB_CTL, 0, TRUE);
  }
}

// The key dialog takes the wheel when active, and the camera, image and 3D model dialogs get
// the loop's dialog messages (their places in the shell's panel tables).
enum { KEY_WHEEL_SLOT = 5, CAM_PANEL_SLOT = 6, IMG_PANEL_SLOT = 7, KZP_PANEL_SLOT = 8 };

static HWND *PanelSlot(u32 d) {
  switch (d) {
    case MOVIE_DIALOG_KEY: return &g_WheelPanels[KEY_WHEEL_SLOT];
    case MOVIE_DIALOG_CAM: return &g_DialogPanels[CAM_PANEL_SLOT];
    case MOVIE_DIALOG_IMG: return &g_DialogPanels[IMG_PANEL_SLOT];
    case MOVIE_DIALOG_KZP: return &g_DialogPanels[KZP_PANEL_SLOT];
    default: return nullptr;
  }
}

static u32 DialogOf(HWND dlg) { return (u32)GetWindowLongPtrA(dlg, DWLP_USER); }

// A dialog just made (its procedure has stored d): children, place, panel slot and strip.
static void Created(HWND dlg) {
  u32 d = DialogOf(dlg);
  AddChildren(dlg, d);
  Place(dlg, d);
  if (HWND *slot = PanelSlot(d)) *slot = dlg;
  if (d == MOVIE_DIALOG_KEY) {
    RECT r;
    GetClientRect(dlg, &r);
    Strip_Register(STRIP_MOVIE_KEYS, dlg, r.right, r.bottom);
  }
}

static void Destroyed(HWND w) {
  if (GetDlgItem(w, IDC_MOVIE_SCROLL)) Strip_Unregister(STRIP_MOVIE_KEYS);
  for (u32 d = 0; d < MOVIE_DIALOGS; d++)
    if (HWND *slot = PanelSlot(d))
      if (*slot == w) *slot = nullptr;
}

// The dialogs are shown without being activated; of the actor dialogs (one place) only the
// current one shows, which Movie_ShowActorDialog decides.
static void RegisterDialogs(void) {
  static WidgetPanelClass classes[MOVIE_DIALOGS];
  for (u32 d = 0; d < MOVIE_DIALOGS; d++) {
    u32 flags = WIDGET_PANEL_NOACTIVATE | WIDGET_PANEL_PLACED;
    if (d >= MOVIE_DIALOG_IMG && d <= MOVIE_DIALOG_MES) flags |= WIDGET_PANEL_HIDDEN;
    DLGPROC proc = d == MOVIE_DIALOG_RENDER ? Movie_RenderDlgProc : Movie_DlgProc;
    classes[d] = {Movie_DialogName(d), nullptr, proc, (LPARAM)d, flags, Created, Destroyed};
  }
  Widget_InstallWin();
  Widget_RegisterPanels(classes, MOVIE_DIALOGS);
}


// [SECTION] library calls

// The frame saved as a BMP is rendered and read back without being presented: after Present
// the back buffer of a discarding swap chain holds nothing defined.
static void FrameStep(void) { D3DApp_RenderFrame(); }
static bool AviStart(const char *name, u32 rate) { return Avi_StartRecording(name, rate); }
static void AviStop(void) { Avi_StopRecording(); }

// [SECTION] video window

static void VideoClose(void) {
  HWND w = (HWND)g_MovieEditor.video;
  g_MovieEditor.video = nullptr;
  if (!w) return;
  if (g_WinOrder.under == w) g_WinOrder.under = nullptr;
  SendMessageA(w, MCI_STOP, 0, 0);
  DestroyWindow(w);
}

// A video plays over the main window's client area from its top left, as large as the back
// buffer (the library draws nothing meanwhile). It is a window of its own, owned by the main
// window, since the main window's drawing surface covers its child windows; it lies right
// above the main window, so the tool windows and the views stay above it and take clicks. It
// is disabled and never activated: the keys still go to the main window.
static void PutVideo(HWND w, i32 width, i32 height) {
  POINT origin = {0, 0};
  ClientToScreen((HWND)g_Lib.mainWnd, &origin);
  SetWindowPos(w, nullptr, origin.x, origin.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  g_WinOrder.under = w;
  WinOrder_RaiseAll();
}

// The window is made hidden; music plays in it without ever being shown. A file the device
// cannot open or play (no device, a damaged or missing file) leaves no window.
static bool VideoOpen(const char *path, bool video) {
  DWORD kind = video ? WS_POPUP | WS_DISABLED : WS_CHILD;
  HWND w = MCIWndCreateA((HWND)g_Lib.mainWnd, GetModuleHandleA(nullptr),
                         kind | MCIWNDF_NOPLAYBAR | MCIWNDF_NOMENU | MCIWNDF_NOTIFYMODE | MCIWNDF_NOERRORDLG,
                         nullptr);
  if (!w) return false;
  ShowWindow(w, SW_HIDE);
  SendMessageA(w, MCI_STOP, 0, 0);
  if (SendMessageA(w, MCIWNDM_OPENA, 0, (LPARAM)path) != 0 || SendMessageA(w, MCIWNDM_CAN_PLAY, 0, 0) == 0) {
    DestroyWindow(w);
    return false;
  }
  // A video is in place before it starts, so that its first frame shows.
  if (video) PutVideo(w, g_Lib.screenWidth, g_Lib.screenHeight);
  if (SendMessageA(w, MCI_PLAY, 0, 0) != 0) {
    DestroyWindow(w);
    return false;
  }
  g_MovieEditor.video = w;
  return true;
}

// Back to the beginning and on: the seek's own stop notice comes back here and is let be.
static bool VideoRestart(void) {
  static bool restarting;
  HWND w = (HWND)g_MovieEditor.video;
  if (!w) return false;
  if (restarting) return true;
  restarting = true;
  bool ok = SendMessageA(w, MCI_SEEK, 0, MCIWND_START) == 0 && SendMessageA(w, MCI_PLAY, 0, 0) == 0;
  restarting = false;
  return ok;
}

// A change of the back buffer's size: the video follows it.
static void MoveVideo(i32 width, i32 height) {
  HWND w = (HWND)g_MovieEditor.video;
  if (w && IsWindowVisible(w)) PutVideo(w, width, height);
}

void Movie_InstallWin(void) {
  RegisterDialogs();
  SceneSeam &o = g_SceneSeam;
  o.frameStep = FrameStep;
  o.saveRect = Lib_SaveBackBufferRect;
  o.aviStart = AviStart;
  o.aviStop = AviStop;
  o.videoOpen = VideoOpen;
  o.videoClose = VideoClose;
  o.videoRestart = VideoRestart;
  g_LibHooks.moveVideoWindow = MoveVideo;
}

// [SECTION] procedures

// The key dialog's time line: left picks (repeated while dragged), middle moves the key,
// right scrolls; the mouse stays captured while a button is down.
static bool TimeLineMouse(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  i32 x = (i16)LOWORD(lParam), y = (i16)HIWORD(lParam);
  switch (msg) {
    case WM_LBUTTONDOWN: SetCapture(dlg); MovieDlg_LeftDown(x, y); return true;
    case WM_LBUTTONUP: ReleaseCapture(); MovieDlg_LeftUp(); return true;
    case WM_LBUTTONDBLCLK: MovieDlg_DoubleClick(); return true;
    case WM_MBUTTONDOWN: SetCapture(dlg); MovieDlg_MiddleDown(x); return true;
    case WM_RBUTTONDOWN: SetCapture(dlg); MovieDlg_RightDown(x, y); return true;
    case WM_MBUTTONUP:
    case WM_RBUTTONUP: ReleaseCapture(); return true;
    case WM_MOUSEMOVE: {
      u32 held = (u32)wParam & (MK_LBUTTON | MK_MBUTTON | MK_RBUTTON);
      if (held == MK_LBUTTON) MovieDlg_LeftDrag(x, y);
      else if (held == MK_MBUTTON) MovieDlg_MiddleDrag(x);
      else if (held == MK_RBUTTON) MovieDlg_RightDrag(x, y);
      return held != 0;
    }
    default: return false;
  }
}

INT_PTR CALLBACK Movie_DlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  u32 d = DialogOf(dlg);
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      SetTimer(dlg, 1, 50, nullptr);
      if ((u32)lParam < MOVIE_DIALOGS) g_MovieEditor.refresh[lParam] = 1;
      return TRUE;
    case WM_COMMAND:
      // Buttons, and a new selection in the message list (it shows that message).
      if (HIWORD(wParam) == BN_CLICKED || (HIWORD(wParam) == LBN_SELCHANGE && d == MOVIE_DIALOG_MES))
        MovieDlg_Command(d, LOWORD(wParam));
      return TRUE;
    case WM_HSCROLL:
      if ((HWND)lParam && GetDlgCtrlID((HWND)lParam) == IDC_MOVIE_SCROLL)
        MovieDlg_Scroll((i32)LOWORD(wParam), (i32)HIWORD(wParam));
      return TRUE;
    case WM_CTLCOLORSTATIC:
      // Labels and check boxes of the key dialog stand on the time line's black.
      if (d != MOVIE_DIALOG_KEY) return FALSE;
      SetTextColor((HDC)wParam, RGB(255, 255, 255));
      SetBkColor((HDC)wParam, RGB(0, 0, 0));
      return (INT_PTR)GetStockObject(BLACK_BRUSH);
    case WM_GETMINMAXINFO:
      if (d == MOVIE_DIALOG_KEY) {
        MINMAXINFO *m = (MINMAXINFO *)lParam;
        m->ptMinTrackSize.x = 646, m->ptMinTrackSize.y = 192;
      }
      return FALSE;
    case WM_SIZE:
      if (d == MOVIE_DIALOG_KEY && g_MovieEditor.dialogs[d] == dlg)
        Strip_Register(STRIP_MOVIE_KEYS, dlg, LOWORD(lParam), HIWORD(lParam));
      return FALSE;
    case WM_DESTROY: return Panel_StopRefresh(dlg);
    default:
      if (d < MOVIE_DIALOGS && g_MovieEditor.dialogs[d] == dlg && Panel_TakeRefresh(&g_MovieEditor.refresh[d]))
        MovieDlg_Refresh(d);
      if (d == MOVIE_DIALOG_KEY && TimeLineMouse(dlg, msg, wParam, lParam)) return TRUE;
      return FALSE;
  }
}

static void RenderCommand(HWND dlg, u32 id) {
  char name[256] = {};
  if (id != IDC_MOVIE_RENDER_CLOSE && !FieldText_Read(GetDlgItem(dlg, IDC_MOVIE_RENDER_NAME), name, sizeof name)) return;
  if (id == IDC_MOVIE_RENDER_BMP || id == IDC_MOVIE_RENDER_AVI) Str_Copy(g_Lib.renderName, sizeof g_Lib.renderName, name);
  if (id == IDC_MOVIE_RENDER_BMP) {
    Movie_SaveFrameBmp(name);
  } else if (id == IDC_MOVIE_RENDER_AVI) {
    char text[64] = "";
    if (!FieldText_Read(GetDlgItem(dlg, IDC_MOVIE_RENDER_INTERVAL), text, sizeof text)) return;
    i32 interval = 0;
    if (!MovieDlg_ParseInt(text, &interval)) interval = 0;
    Movie_RecordAvi(name, interval);   // shown back clamped on the next refresh
  } else if (id == IDC_MOVIE_RENDER_CLOSE) {
    g_MovieEditor.dialogs[MOVIE_DIALOG_RENDER] = nullptr;
    WinOrder_Leave(dlg);
    DestroyWindow(dlg);
  }
}

INT_PTR CALLBACK Movie_RenderDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      SetTimer(dlg, 1, 50, nullptr);
      g_MovieEditor.refresh[MOVIE_DIALOG_RENDER] = 1;
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) RenderCommand(dlg, LOWORD(wParam));
      return TRUE;
    case WM_DESTROY:
      KillTimer(dlg, 1);
      return FALSE;
    default:
      if (g_MovieEditor.dialogs[MOVIE_DIALOG_RENDER] == dlg && g_MovieEditor.refresh[MOVIE_DIALOG_RENDER] == 1) {
        g_MovieEditor.refresh[MOVIE_DIALOG_RENDER] = 0;
        Movie_RenderDlgRefresh();
      }
      return FALSE;
  }
}
