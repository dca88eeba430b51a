// The fixture's shared records.
#pragma once
struct Model3 { int n; };
struct Bone2Model { int n; };
struct ViewRecord { int redraw; };

struct ShellSelection {
  // writers: app/owner.cpp
  unsigned g_CurSlot;
  int g_Cur2DSlot;
  unsigned *g_Flags;   // one flag per face
};
extern ShellSelection g_Sel;

struct ShellMouse {
  // writers: app/owner.cpp
  int g_MouseX, g_MouseY;
  char g_Name[16];
  ShellMouse *g_Next;
};
extern ShellMouse g_Mouse;

struct ShellContext {
  // writers: app/owner.cpp
  ViewRecord g_Views[2][2];
  unsigned g_EditSubMode, g_ActiveView, g_DrawView;
  float g_PerspAngleX, g_PerspAngleY;   // writers: app/owner.cpp edit3d/
  unsigned g_Playing;   // writers: app/owner.cpp edit3d/
};
extern ShellContext g_Shell;

extern Bone2Model *g_Bone2Slots[4];
Model3 *Current_Model3(void);
unsigned View_CurrentLayout(void);
void App_Service(void);
unsigned App_Slot(void);
