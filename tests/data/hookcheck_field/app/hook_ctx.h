// A context with a field the read check cannot place: it stops rather than count too few.
#pragma once
struct ShellSelection;
struct HookCtx {
  ShellSelection *sel;
  unsigned frame;   // a new field
};
