// Contexts for calling a family hook directly, built the way the shell's dispatchers build
// them (app/family.h) from the shell's records as the test left them.
#pragma once
#include "app/family.h"

inline const HookCtx *Hook_At(i32 x, i32 y) {
  static HookCtx c;
  c = Family_Context(x, y);
  return &c;
}
inline const HookCtx *Hook_Now(void) {
  static HookCtx c;
  c = Family_ShellContext();
  return &c;
}
inline const HookCtx *Hook_Key(u32 vk) {
  static HookCtx c;
  c = Family_ShellContext();
  c.key = vk;
  return &c;
}
inline const HookCtx *Hook_Command(u32 id) {
  static HookCtx c;
  c = Family_ShellContext();
  c.command = id;
  return &c;
}
inline const HookCtx *Hook_Step(i32 step) {
  static HookCtx c;
  c = Family_ShellContext();
  c.step = step;
  return &c;
}
// The context of drawing view `view` of the current layout.
inline const HookCtx *Hook_Draw(u32 view) {
  static HookCtx c;
  c = Family_DrawContext(view);
  return &c;
}
