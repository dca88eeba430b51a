// Runs a hook twice to show that it acts on the records its context hands it: first on the
// shell's own records, then on copies arranged the same way while the shell's records hold
// other values. The copies must end as the shell's did, the shell's must stay as they were,
// and what else the hook changes (documents, the layout's main view) must be the same.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/framework/view_record.h"
#include "tests/support/hook_at.h"

// A copy of a selection record whose flag arrays are the copy's own.
struct Differ_SelCopy {
  std::vector<u32> verts, faces;
  ShellSelection sel;
  explicit Differ_SelCopy(const ShellSelection &from) : sel(from) {
    if (from.g_PolySelVerts) {
      verts.assign(from.g_PolySelVerts, from.g_PolySelVerts + App_WorkVertCount());
      sel.g_PolySelVerts = verts.data();
    }
    if (from.g_PolySelFaces) {
      faces.assign(from.g_PolySelFaces, from.g_PolySelFaces + App_WorkFaceCount());
      sel.g_PolySelFaces = faces.data();
    }
  }
};

// The indices of the set flags of a flag array of n entries.
inline std::string Differ_FlagText(const u32 *flags, u32 n) {
  std::string s;
  for (u32 i = 0; flags && i < n; i++)
    if (flags[i]) s += " " + std::to_string(i) + "=" + std::to_string(flags[i]);
  return s;
}

// What a selection record holds, as text to compare (the flags by value, not by address).
inline std::string Differ_SelText(const ShellSelection &s) {
  std::string t;
  for (u32 v : {s.g_CurSlot, s.g_Cur2DSlot, s.g_CurBoneIndex, s.g_PrevBone, s.g_BoneListDirty, s.g_CurPartIndex,
                s.g_CurGroupIndex, s.g_SelectedBone, s.g_PolySelectMode, s.g_PolyTool, s.g_MotionEditOp, s.g_GizmoAxis,
                s.g_PolyNoAutoPick, s.g_FreeCreateCount, s.g_PolyShowNormals})
    t += std::to_string(v) + " ";
  for (i32 v : {s.g_PickedVertex, s.g_PickedPolygon, s.g_PolyFaceNo, s.g_PolyVertexNo}) t += std::to_string(v) + " ";
  t += "verts" + Differ_FlagText(s.g_PolySelVerts, App_WorkVertCount());
  t += " faces" + Differ_FlagText(s.g_PolySelFaces, App_WorkFaceCount());
  return t;
}

inline std::string Differ_MouseText(const ShellMouse &m) {
  std::string t;
  for (i32 v : {m.g_MouseX, m.g_MouseY, m.g_MouseMoveX, m.g_MouseMoveY, m.g_MousePrevX, m.g_MousePrevY,
                m.g_MotionDragAnchor.x, m.g_MotionDragAnchor.y, m.g_ObjMotionDragAnchor.x, m.g_ObjMotionDragAnchor.y,
                m.g_PolyDragAnchor.x, m.g_PolyDragAnchor.y, m.g_PolyDragAnchor2.x, m.g_PolyDragAnchor2.y,
                m.g_DragAnchorX, m.g_DragAnchorY})
    t += std::to_string(v) + " ";
  for (f32 v : {m.g_MouseMoveDX, m.g_MouseMoveDY, m.g_NavMoveDX, m.g_NavMoveDY}) t += std::to_string(v) + " ";
  return t + std::to_string(m.g_RightButtonFlag) + " " + std::to_string(m.g_ZKeyHeld);
}

inline std::string Differ_ViewText(const ViewRecord &v) {
  std::string t = std::to_string(v.kind);
  for (f32 f : {v.panX, v.panY, v.panZ, v.zoom}) t += " " + std::to_string(f);
  return t;
}

// The views 1 and up of a layout (the cases' hooks write view 0 of their layout by number).
inline std::string Differ_OtherViewsText(u32 layout) {
  std::string t;
  for (u32 i = 1; i < VIEWS_PER_LAYOUT; i++) t += Differ_ViewText(*View_Get(layout, i)) + "|";
  return t;
}

// Other values in the shell's records and camera: a hook that reads them instead of its
// context acts differently.
inline void Differ_Decoy(void) {
  ShellSelection &s = g_Sel;
  s.g_CurSlot ^= 1;
  s.g_Cur2DSlot ^= 1;
  s.g_CurBoneIndex += 1;
  s.g_CurPartIndex += 1;
  s.g_CurGroupIndex += 1;
  s.g_PolyTool = s.g_PolyTool == 1 ? 2 : 1;   // a tool that selects nothing
  s.g_PolySelectMode ^= 1;
  ShellMouse &m = g_Mouse;
  m.g_MouseX += 50, m.g_MouseY += 30;
  m.g_MouseMoveDX += 3, m.g_MouseMoveDY -= 2;
  m.g_NavMoveDX += 5, m.g_NavMoveDY += 4;
  m.g_MotionDragAnchor.x += 40, m.g_MotionDragAnchor.y -= 20;
  m.g_ObjMotionDragAnchor.x += 40, m.g_ObjMotionDragAnchor.y -= 20;
  m.g_PolyDragAnchor.x += 40, m.g_PolyDragAnchor.y -= 20;
  m.g_PolyDragAnchor2.x += 40, m.g_PolyDragAnchor2.y -= 20;
  m.g_DragAnchorX += 40, m.g_DragAnchorY -= 20;
  m.g_ZKeyHeld ^= 1;
  g_Shell.g_PerspAngleX += 15.0f, g_Shell.g_PerspAngleY -= 10.0f;
  g_Shell.g_ActiveView = (g_Shell.g_ActiveView + 2) % VIEWS_PER_LAYOUT;
}

struct Differ_Case {
  const char *name;
  void (*arrange)(void);   // documents, views, buttons and the shell's records
  FamilyHookFn *hook;
  i32 x, y;
  u32 key, command;
  i32 step;
  std::string (*result)(const HookCtx *c);   // what else the hook changed
};

// The dispatchers keep a message's position in the mouse record before they build its context.
inline HookCtx Differ_Context(const Differ_Case &t) {
  g_Mouse.g_MouseX = t.x;
  g_Mouse.g_MouseY = t.y;
  HookCtx c = Family_Context(t.x, t.y);
  c.key = t.key;
  c.command = t.command;
  c.step = t.step;
  return c;
}

inline void Differ_Run(const Differ_Case &t) {
  SCOPED_TRACE(t.name);
  // The shell's own records.
  t.arrange();
  HookCtx a = Differ_Context(t);
  t.hook(&a);
  const std::string selA = Differ_SelText(g_Sel), mouseA = Differ_MouseText(g_Mouse);
  const std::string viewA = Differ_ViewText(*a.view), resultA = t.result(&a);
  // Copies arranged the same; the shell's records, camera and active view then changed.
  t.arrange();
  HookCtx b = Differ_Context(t);
  Differ_SelCopy sel(g_Sel);
  ShellMouse mouse = g_Mouse;
  ViewRecord view = *b.view;
  b.sel = &sel.sel;
  b.mouse = &mouse;
  b.view = &view;
  Differ_Decoy();
  const std::string selShell = Differ_SelText(g_Sel), mouseShell = Differ_MouseText(g_Mouse);
  const std::string viewsShell = Differ_OtherViewsText(b.layout);
  const f32 angleX = g_Shell.g_PerspAngleX, angleY = g_Shell.g_PerspAngleY;
  t.hook(&b);
  EXPECT_EQ(Differ_SelText(g_Sel), selShell) << "the shell's selection changed";
  EXPECT_EQ(Differ_MouseText(g_Mouse), mouseShell) << "the shell's mouse record changed";
  EXPECT_EQ(Differ_OtherViewsText(b.layout), viewsShell) << "a view of the shell's changed";
  EXPECT_EQ(g_Shell.g_PerspAngleX, angleX);
  EXPECT_EQ(g_Shell.g_PerspAngleY, angleY);
  EXPECT_EQ(Differ_SelText(sel.sel), selA) << "the handed selection";
  EXPECT_EQ(Differ_MouseText(mouse), mouseA) << "the handed mouse record";
  EXPECT_EQ(Differ_ViewText(view), viewA) << "the handed view";
  EXPECT_EQ(t.result(&b), resultA) << "the documents";
}
