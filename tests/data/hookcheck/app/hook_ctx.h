#pragma once
struct ShellSelection;
struct ShellMouse;
struct ViewRecord;
struct HookCtx {
  ViewRecord *view;
  unsigned slot;
  ShellSelection *sel;
  ShellMouse *mouse;
};
