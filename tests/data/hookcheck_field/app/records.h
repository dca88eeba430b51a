#pragma once
struct ShellSelection {
  // writers: app/
  unsigned g_CurSlot;
};
extern ShellSelection g_Sel;
