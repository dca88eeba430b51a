#pragma once
struct ShellSelection;
struct ShellMouse;
struct ViewRecord;
struct Model3;
struct Bone2Model;
struct HookCtx {
  ViewRecord *view;
  unsigned layout, viewIndex;
  int x, y;
  Model3 *model;
  unsigned slot;
  Bone2Model *model2;
  float perspAngleX, perspAngleY;
  ShellSelection *sel;
  ShellMouse *mouse;
};
