#include <string.h>
#include <utility>
#include "app/hook_ctx.h"
#include "app/records.h"
static void Fill(unsigned *p) { *p = 0; }
static void Touch(unsigned &v) { v = 0; }
static void Show(unsigned v) { (void)v; }
static void ShowAt(const unsigned *p) { (void)p; }
static void UseSel(ShellSelection *s) { (void)s; }
static void Name(char *out, const char *in) { strcpy(out, in); }
static void Handle(ShellMouse *m) { (void)m; }
struct Hand { ShellSelection *sel; ShellMouse *mouse; };
int *Stray(const Hand *c, ShellMouse *pm) {
  c->mouse->g_MouseX = 5;
  ShellMouse &m = g_Mouse;
  m.g_MouseY = 1;
  std::swap(g_Mouse.g_MouseX, g_Mouse.g_MouseY);
  Fill(&g_Shell.g_Playing);
  memset(&g_Sel, 0, sizeof g_Sel);
  memcpy(g_Mouse.g_Name, "x", 2);
  int *p = &g_Mouse.g_MouseX;
  Touch(g_Sel.g_CurSlot);
  g_Sel = ShellSelection();
  ++pm->g_MouseY;
  g_Shell.g_Views[0][0].redraw = 1;
  Name(g_Mouse.g_Name, "y");
  g_Mouse.g_Next->g_MouseX = 3;
  g_Sel.g_Flags[2] = 1;
  *c->sel->g_Flags = 0;
  memset(g_Sel.g_Flags, 0, 8);
  (void)p;
  // Uses that write nothing:
  const ShellMouse &r = g_Mouse;
  Show(g_Sel.g_CurSlot + (unsigned)r.g_MouseX);
  ShowAt(&g_Sel.g_CurSlot);
  UseSel(&g_Sel);
  UseSel(c->sel);
  Name(nullptr, g_Mouse.g_Name);
  Handle(g_Mouse.g_Next);
  Show(g_Sel.g_Flags[1]);
  int x = g_Mouse.g_MouseX;
  (void)x;
  if (g_Sel.g_CurSlot == 2) return nullptr;
  return &g_Mouse.g_MouseY;
}
