// Contexts for calling a family hook directly, built the way the shell's dispatchers build
// them (app/family.h) from the shell's records as the test left them.
#pragma once
#include <vector>

#include "app/family.h"
#include "app/views.h"
#include "app/shell_mouse.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"

// Keeps a context for the caller; the last eight stay valid.
inline const HookCtx *Hook_Keep(const HookCtx &c) {
  static HookCtx ring[8];
  static unsigned next;
  HookCtx *kept = &ring[next++ % 8];
  *kept = c;
  return kept;
}
inline const HookCtx *Hook_At(i32 x, i32 y) { return Hook_Keep(Family_Context(x, y)); }
inline const HookCtx *Hook_Now(void) { return Hook_Keep(Family_ShellContext()); }
// The context of drawing view `view` of the current layout.
inline const HookCtx *Hook_Draw(u32 view) { return Hook_Keep(Family_DrawContext(view)); }
// Key, command and wheel-step cells: the value in its field.
inline const HookCtx *Hook_Field(u32 HookCtx::*field, u32 value) {
  HookCtx c = Family_ShellContext();
  c.*field = value;
  return Hook_Keep(c);
}
inline const HookCtx *Hook_Key(u32 vk) { return Hook_Field(&HookCtx::key, vk); }
inline const HookCtx *Hook_Command(u32 id) { return Hook_Field(&HookCtx::command, id); }
inline const HookCtx *Hook_Step(i32 step) {
  HookCtx c = Family_ShellContext();
  c.step = step;
  return Hook_Keep(c);
}

// A selection record other than g_Sel, with flag arrays of the shell's work-array room.
struct Hook_OwnSelection {
  std::vector<u32> verts, faces;
  ShellSelection sel = {};
  explicit Hook_OwnSelection(u32 tool) : verts(App_WorkVertCount()), faces(App_WorkFaceCount()) {
    sel.g_PolySelVerts = verts.data();
    sel.g_PolySelFaces = faces.data();
    sel.g_PolyTool = tool;
  }
};
