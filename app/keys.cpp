// Key commands: the latch, the Z key, the global keys on release and the family hooks.
#include "app/keys.h"

#include "app/current.h"
#include "app/entries.h"
#include "app/family.h"
#include "app/filemenu.h"
#include "app/options.h"
#include "app/settings.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/views.h"
#include "model/model3.h"


enum : u32 {
  VK_ESC = 27, VK_F2 = 113, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8, VK_F9, VK_F11 = 122,
};

KeyAction Key_GlobalAction(u32 vk, u32 family) {
  bool program = family == FAMILY_PROGRAM;
  switch (vk) {
    case VK_ESC: return KEY_CONFIRM_EXIT;
    case 'F': return KEY_FIT_VIEW;
    case 'I': return KEY_REDO;
    case 'O': return KEY_OPTIONS;
    case 'U': return KEY_UNDO;
    case 'Z': return KEY_Z_RELEASED;
    case VK_F2: return KEY_ANTIALIAS;
    case VK_F3: return KEY_VSYNC;
    case VK_F4: return KEY_CPU_OCCUPY;
    case VK_F5: return program ? KEY_PROG_RUN : KEY_REFRESH_LISTS;
    case VK_F6: return program ? KEY_PROG_STOP : KEY_NONE;
    case VK_F7: return KEY_QUICK_F7;
    case VK_F8: return KEY_RENDER_MODE;
    case VK_F9: return KEY_QUICK_F9;
    case VK_F11: return KEY_QUICK_F11;
    default: return KEY_NONE;
  }
}

void Key_ToggleRenderMode(Model3 *m, u32 layout) {
  if (!m) return;
  Model3_SetRenderMode(m, m->renderMode == 4 ? 0 : 4);
  App_MarkAllRedraw(layout);
}

static void Call(void (*f)(void)) {
  if (f) f();
}

void Key_Run(const HookCtx *c, KeyAction a) {
  const ShellEntries &e = g_ShellEntries;
  switch (a) {
    case KEY_CONFIRM_EXIT: if (g_ShellSeam.confirmExit) g_ShellSeam.confirmExit(); break;
    case KEY_FIT_VIEW: View_Fit(c); break;
    case KEY_REDO: Call(e.undoRedo); break;
    case KEY_OPTIONS: Call(g_ShellSeam.openOptions); break;
    case KEY_UNDO: Call(e.undoUndo); break;
    case KEY_Z_RELEASED: c->mouse->g_ZKeyHeld = 0; break;
    case KEY_ANTIALIAS: Options_ToggleAntialias(); App_MarkAllRedraw(c->layout); break;
    case KEY_VSYNC: Options_ToggleVSync(c->layout); break;
    case KEY_CPU_OCCUPY: Options_ToggleCpuOccupy(c->layout); break;
    case KEY_PROG_RUN: Call(e.progRun); break;
    case KEY_REFRESH_LISTS: App_RefreshLists(c); break;
    case KEY_PROG_STOP: Call(e.progStop); break;
    case KEY_QUICK_F7: FileMenu_QuickLoad(c, QUICK_F7); break;
    case KEY_RENDER_MODE: Key_ToggleRenderMode(c->model, c->layout); break;
    case KEY_QUICK_F9: FileMenu_QuickLoad(c, QUICK_F9); break;
    case KEY_QUICK_F11: FileMenu_QuickLoad(c, QUICK_F11); break;
    default: break;
  }
}

// Takes the latch; false when a key message already acted in this idle pass.
static bool TakeLatch(void) {
  if (g_AppShell.keyLatch != 0) return false;
  g_AppShell.keyLatch = 1;
  return true;
}

void App_OnKeyDown(u32 vk) {
  // Z is tracked on every message: a Z key-up lost to the latch would leave every later
  // drag zooming.
  if (vk == 'Z') g_Mouse.g_ZKeyHeld = 1;
  if (!TakeLatch()) return;
  u32 f = g_Shell.g_EditFamily;
  if (f != FAMILY_3D_MODEL && f != FAMILY_2D_MAP && f != FAMILY_COLLISION) return;
  const FamilyHooks *row = Family_Current();
  HookCtx c = Family_ShellContext();
  c.key = vk;
  if (row && row->keyDown) row->keyDown(&c);
}

void App_OnKeyUp(u32 vk) {
  if (vk == 'Z') g_Mouse.g_ZKeyHeld = 0;
  if (!TakeLatch()) return;
  u32 family = g_Shell.g_EditFamily;
  KeyAction a = Key_GlobalAction(vk, family);
  // An exit that was confirmed closed the window: nothing may reach the family any more.
  if (a == KEY_CONFIRM_EXIT && g_ShellSeam.confirmExit && g_ShellSeam.confirmExit()) return;
  if (a != KEY_CONFIRM_EXIT) {
    HookCtx k = Family_ShellContext();
    k.key = vk;
    Key_Run(&k, a);
  }
  if (family != FAMILY_3D_MODEL || g_Shell.g_EditFamily != FAMILY_3D_MODEL) return;
  const FamilyHooks *row = Family_Current();
  // Built after the action: a quick load may have replaced the model.
  HookCtx c = Family_ShellContext();
  c.key = vk;
  if (row && row->keyUp) row->keyUp(&c);
}
