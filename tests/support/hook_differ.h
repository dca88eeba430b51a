// Tests that run a hook twice to show that it acts on the records its context hands it: once
// on the shell's records, once on copies arranged the same way. The records are pictured as
// text, one named field a line, so that a failing comparison shows the fields that differ.
// Differ_Run is the whole differential for hooks whose documents are the shell's; tests that
// hand a model of their own run their loop on the same pictures and selection copy.
#pragma once
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "app/shell_mouse.h"
#include "app/shell_sel.h"
#include "lib/framework/view_record.h"
#include "model/bone2.h"
#include "model/keytrack.h"
#include "model/model3.h"
#include "tests/support/hook_at.h"

// One field of a picture: "name=value" on a line of its own (floats to their last digit).
inline void Differ_Add(std::string *out, const std::string &name, double v) {
  char t[48];
  snprintf(t, sizeof t, "=%.9g\n", v);
  *out += name + t;
}
inline void Differ_AddAll(std::string *out, const std::string &name, const f32 *v, u32 n) {
  for (u32 i = 0; i < n; i++) Differ_Add(out, name + "[" + std::to_string(i) + "]", v[i]);
}

// The set flags of a flag array of n entries, as index=value, a run of equal values as
// first-last=value.
inline std::string Differ_FlagText(const u32 *flags, u32 n) {
  std::string s;
  for (u32 i = 0; flags && i < n; i++) {
    if (!flags[i]) continue;
    u32 last = i;
    while (last + 1 < n && flags[last + 1] == flags[i]) last++;
    s += " " + std::to_string(i) + (last > i ? "-" + std::to_string(last) : "") + "=" + std::to_string(flags[i]);
    i = last;
  }
  return s;
}

// What a selection record holds: every number, the free-creation points and the flags by value
// (the arrays' addresses and the scratch arrays left out: a copy has arrays of its own).
inline std::string Differ_SelText(const ShellSelection &s) {
  std::string t;
  const struct { const char *name; double v; } fields[] = {
      {"sel.curSlot", (double)s.g_CurSlot},           {"sel.cur2DSlot", (double)s.g_Cur2DSlot},
      {"sel.curBone", (double)s.g_CurBoneIndex},      {"sel.prevBone", (double)s.g_PrevBone},
      {"sel.boneListDirty", (double)s.g_BoneListDirty}, {"sel.curPart", (double)s.g_CurPartIndex},
      {"sel.curGroup", (double)s.g_CurGroupIndex},    {"sel.selectedBone", (double)s.g_SelectedBone},
      {"sel.pickedVertex", (double)s.g_PickedVertex}, {"sel.pickedPolygon", (double)s.g_PickedPolygon},
      {"sel.selectMode", (double)s.g_PolySelectMode}, {"sel.tool", (double)s.g_PolyTool},
      {"sel.motionOp", (double)s.g_MotionEditOp},     {"sel.gizmoAxis", (double)s.g_GizmoAxis},
      {"sel.noAutoPick", (double)s.g_PolyNoAutoPick}, {"sel.freeCount", (double)s.g_FreeCreateCount},
      {"sel.faceNo", (double)s.g_PolyFaceNo},         {"sel.vertexNo", (double)s.g_PolyVertexNo},
      {"sel.showNormals", (double)s.g_PolyShowNormals},
  };
  for (const auto &f : fields) Differ_Add(&t, f.name, f.v);
  for (u32 p = 0; p < POLY_FREE_POINTS; p++)
    Differ_AddAll(&t, "sel.free[" + std::to_string(p) + "]", s.g_FreeCreatePoints[p], 3);
  t += "sel.verts" + Differ_FlagText(s.g_PolySelVerts, App_WorkVertCount()) + "\n";
  t += "sel.faces" + Differ_FlagText(s.g_PolySelFaces, App_WorkFaceCount()) + "\n";
  return t;
}

// A copy of a selection record whose flag and scratch arrays are the copy's own (the flags
// copied by value, so that a hook writing the shell's arrays shows).
struct Differ_SelCopy {
  std::vector<u32> verts, faces, work;
  std::vector<f32> screen, centres, normals2D;
  ShellSelection sel;
  explicit Differ_SelCopy(const ShellSelection &from) : sel(from) {
    const u32 nv = App_WorkVertCount(), nf = App_WorkFaceCount();
    Own(&sel.g_PolySelVerts, &verts, nv);
    Own(&sel.g_PolySelFaces, &faces, nf);
    Own(&sel.g_PolyWorkVerts, &work, nv);
    Own(&sel.g_PolyScreenPos, &screen, 3 * nv);
    Own(&sel.g_PolyFaceCentres, &centres, 2 * nf);
    Own(&sel.g_PolyFaceNormals2D, &normals2D, 2 * nf);
  }
  template <class T> static void Own(T **array, std::vector<T> *own, u32 n) {
    if (!*array) return;
    own->assign(*array, *array + n);
    *array = own->data();
  }
};

// g_Sel set to `to` with the shell's flag and scratch arrays kept (the shell allocates them once
// for the program's life).
inline void Differ_SetShellSel(const ShellSelection &to) {
  ShellSelection kept = g_Sel;
  g_Sel = to;
  g_Sel.g_PolySelFaces = kept.g_PolySelFaces;
  g_Sel.g_PolySelVerts = kept.g_PolySelVerts;
  g_Sel.g_PolyWorkVerts = kept.g_PolyWorkVerts;
  g_Sel.g_PolyScreenPos = kept.g_PolyScreenPos;
  g_Sel.g_PolyFaceCentres = kept.g_PolyFaceCentres;
  g_Sel.g_PolyFaceNormals2D = kept.g_PolyFaceNormals2D;
}

inline std::string Differ_MouseText(const ShellMouse &m) {
  std::string t;
  const struct { const char *name; double v; } fields[] = {
      {"mouse.x", (double)m.g_MouseX},                 {"mouse.y", (double)m.g_MouseY},
      {"mouse.moveX", (double)m.g_MouseMoveX},         {"mouse.moveY", (double)m.g_MouseMoveY},
      {"mouse.prevX", (double)m.g_MousePrevX},         {"mouse.prevY", (double)m.g_MousePrevY},
      {"mouse.moveDX", (double)m.g_MouseMoveDX},       {"mouse.moveDY", (double)m.g_MouseMoveDY},
      {"mouse.navDX", (double)m.g_NavMoveDX},          {"mouse.navDY", (double)m.g_NavMoveDY},
      {"mouse.rightButton", (double)m.g_RightButtonFlag}, {"mouse.zKey", (double)m.g_ZKeyHeld},
      {"mouse.motionAnchor.x", (double)m.g_MotionDragAnchor.x},
      {"mouse.motionAnchor.y", (double)m.g_MotionDragAnchor.y},
      {"mouse.objMotionAnchor.x", (double)m.g_ObjMotionDragAnchor.x},
      {"mouse.objMotionAnchor.y", (double)m.g_ObjMotionDragAnchor.y},
      {"mouse.polyAnchor.x", (double)m.g_PolyDragAnchor.x}, {"mouse.polyAnchor.y", (double)m.g_PolyDragAnchor.y},
      {"mouse.polyAnchor2.x", (double)m.g_PolyDragAnchor2.x}, {"mouse.polyAnchor2.y", (double)m.g_PolyDragAnchor2.y},
      {"mouse.panAnchor.x", (double)m.g_DragAnchorX},  {"mouse.panAnchor.y", (double)m.g_DragAnchorY},
  };

  for (const auto &f : fields) Differ_Add(&t, f.name, f.v);
  return t;
}

inline std::string Differ_ViewText(const ViewRecord &v) {
  std::string t;
  Differ_Add(&t, "view.kind", v.kind);
  Differ_Add(&t, "view.panX", v.panX);
  Differ_Add(&t, "view.panY", v.panY);
  Differ_Add(&t, "view.panZ", v.panZ);
  Differ_Add(&t, "view.zoom", v.zoom);
  return t;
}

// What the 3D editors change in a model: the counts and flags, the mesh, the groups, each
// bone's links, rest, key index, evaluated pose and every key of its tracks, the current motion
// and frame, and the group key lists.
inline std::string Differ_Model3Text(const Model3 *m) {
  if (!m) return "none\n";
  std::string t;
  Differ_Add(&t, "model.positions", m->positionCount);
  Differ_Add(&t, "model.polygons", m->polygonCount);
  Differ_Add(&t, "model.uvs", m->uvCount);
  Differ_Add(&t, "model.groups", m->groupCount);
  Differ_Add(&t, "model.bones", m->boneCount);
  Differ_Add(&t, "model.changed", m->changed);
  Differ_Add(&t, "model.displayMode", m->displayMode);
  Differ_Add(&t, "model.motion", m->motion);
  Differ_Add(&t, "model.frame", m->frame);
  Differ_Add(&t, "model.frameFraction", m->frameFraction);
  for (i32 i = 0; m->positions && i < m->positionCount && i < m->capPositions; i++)
    Differ_AddAll(&t, "model.pos[" + std::to_string(i) + "]", &m->positions[i].x, 3);
  for (i32 i = 0; m->polygons && i < m->polygonCount; i++) {
    const std::string n = "model.poly[" + std::to_string(i) + "]";
    Differ_Add(&t, n + ".corners", m->polygons[i].cornerCount);
    Differ_Add(&t, n + ".group", m->polygons[i].group);
    for (u32 k = 0; k < 4; k++) Differ_Add(&t, n + ".v" + std::to_string(k), m->polygons[i].corners[k].vertex);
  }
  for (i32 g = 0; g < m->groupCount && g < MODEL3_GROUPS; g++) {
    const std::string n = "model.group[" + std::to_string(g) + "]";
    const Group3 &gr = m->groups[g];
    Differ_Add(&t, n + ".mapping", gr.mapping);
    Differ_Add(&t, n + ".offsetU", gr.offsetU);
    Differ_Add(&t, n + ".offsetV", gr.offsetV);
    Differ_Add(&t, n + ".scaleU", gr.scaleU);
    Differ_Add(&t, n + ".scaleV", gr.scaleV);
  }
  for (i32 b = 0; b < m->boneCount && b < MODEL3_BONES; b++) {
    const std::string n = "model.bone[" + std::to_string(b) + "]";
    const Bone3 &bone = m->bones[b];
    Differ_Add(&t, n + ".parent", bone.parent);
    Differ_AddAll(&t, n + ".rest", m->boneRest[b].pos, 3);
    Differ_Add(&t, n + ".keyIndex", bone.keyIndex);
    Differ_Add(&t, n + ".expanded", bone.expanded);
    Differ_AddAll(&t, n + ".local", bone.local, 3);
    Differ_AddAll(&t, n + ".quat", bone.quat, 4);
    Differ_AddAll(&t, n + ".scale", bone.scale, 3);
    for (i32 mo = 0; bone.keys && mo < m->keyTableLength; mo++) {
      const KeyTrack &track = bone.keys[mo];
      if (!track.count) continue;   // an empty track is left out of the picture
      const std::string tn = n + ".track[" + std::to_string(mo) + "]";
      Differ_Add(&t, tn + ".count", track.count);
      for (i32 k = 0; k < track.count; k++) {
        const BoneKey3 &key = track.keys[k];
        const std::string kn = tn + ".key[" + std::to_string(k) + "]";
        Differ_Add(&t, kn + ".frame", key.frame);
        Differ_AddAll(&t, kn + ".pos", key.pos, 3);
        Differ_AddAll(&t, kn + ".quat", key.quat, 4);
        Differ_AddAll(&t, kn + ".scale", key.scale, 3);
      }
    }
  }
  for (i32 mo = 0; mo < MODEL3_MOTIONS; mo++)
    for (i32 g = 0; g < MODEL3_GROUPS; g++) {
      const GroupKeyList3 *l = m->motions[mo].groupKeys[g];
      if (!l) continue;
      const std::string n = "model.motion[" + std::to_string(mo) + "].groupKeys[" + std::to_string(g) + "]";
      Differ_Add(&t, n + ".count", l->count);
      for (i32 k = 0; k < l->count && k < MODEL3_GROUP_KEYS; k++)
        Differ_Add(&t, n + "[" + std::to_string(k) + "].frame", l->keys[k].frame);
    }
  return t;
}

// The document of a 2D bone model: skin, polygons, bones and the current motion's keys.
inline std::string Differ_Bone2Text(const Bone2Model *m) {
  if (!m) return "none\n";
  std::string t;
  Differ_Add(&t, "model2.verts", m->vertexCount);
  for (i32 v = 0; v < Bone2_VertexCount(m); v++) {
    const std::string n = "model2.vert[" + std::to_string(v) + "]";
    const VertexBinding &b = m->bindings[v];
    Differ_Add(&t, n + ".x", m->positions[v].x);
    Differ_Add(&t, n + ".y", m->positions[v].y);
    Differ_Add(&t, n + ".bone1", b.bone1);
    Differ_Add(&t, n + ".bone2", b.bone2);
    Differ_Add(&t, n + ".weight", b.weight);
    Differ_Add(&t, n + ".automatic", b.automatic);
  }
  Differ_Add(&t, "model2.colours", m->colourCount);
  Differ_Add(&t, "model2.uvs", m->uvCount);
  Differ_Add(&t, "model2.polys", m->polygonCount);
  for (i32 f = 0; f < m->polygonCount && f < m->polygonCapacity; f++) {
    const std::string n = "model2.poly[" + std::to_string(f) + "]";
    const Polygon2 &p = m->polygons[f];
    Differ_Add(&t, n + ".corners", p.cornerCount);
    Differ_Add(&t, n + ".group", p.group);
    for (i32 k = 0; k < p.cornerCount && k < 4; k++) Differ_Add(&t, n + ".v" + std::to_string(k), p.corners[k].vertex);
  }
  Differ_Add(&t, "model2.bones", m->boneCount);
  for (i32 b = 0; b < Bone2_BoneCount(m); b++) {
    const std::string n = "model2.bone[" + std::to_string(b) + "]";
    Differ_Add(&t, n + ".restX", m->rest[b].x);
    Differ_Add(&t, n + ".restY", m->rest[b].y);
    Differ_Add(&t, n + ".parent", m->bones[b].parent);
    const Bone2Track *track = m->currentMotion >= 0 && m->currentMotion < m->motionCount
                                  ? Bone2_Track(const_cast<Bone2Model *>(m), b, m->currentMotion)
                                  : nullptr;
    for (i32 k = 0; track && track->keys && k < track->count; k++) {
      const BoneKey2 &key = track->keys[k];
      const std::string kn = n + ".key[" + std::to_string(k) + "]";
      Differ_Add(&t, kn + ".frame", key.frame);
      const f32 v[5] = {key.x, key.y, key.angle, key.scaleX, key.scaleY};
      Differ_AddAll(&t, kn + ".xyAngleScale", v, 5);
    }
  }
  Differ_Add(&t, "model2.frame", m->currentFrame);
  Differ_Add(&t, "model2.placeX", m->placeX);
  Differ_Add(&t, "model2.placeY", m->placeY);
  Differ_Add(&t, "model2.display", m->displayMode);
  return t;
}

// The views 1 and up of a layout (the cases' hooks write view 0 of their layout by number).
inline std::string Differ_OtherViewsText(u32 layout) {
  std::string t;
  for (u32 i = 1; i < VIEWS_PER_LAYOUT; i++) t += Differ_ViewText(*View_Get(layout, i)) + "|\n";
  return t;
}

// The rest of what a context carries, other in the shell's records: the layout and the view
// drawn, the picked and numbered items, the bone shown, the free-creation count, the tools and
// the mouse's remaining fields.
inline void Differ_DecoyRest(void) {
  g_Shell.g_EditSubMode = (g_Shell.g_EditSubMode + 1) % VIEW_LAYOUTS;
  g_Shell.g_DrawView = (g_Shell.g_DrawView + 3) % VIEWS_PER_LAYOUT;
  ShellSelection &s = g_Sel;
  s.g_SelectedBone += 2;
  s.g_PrevBone += 1;
  s.g_PickedVertex += 3, s.g_PickedPolygon += 2;
  s.g_PolyFaceNo += 1, s.g_PolyVertexNo += 2;
  s.g_FreeCreateCount = (s.g_FreeCreateCount + 2) % POLY_FREE_POINTS;
  s.g_MotionEditOp = (s.g_MotionEditOp + 1) % 3;
  s.g_GizmoAxis = (s.g_GizmoAxis + 1) % 3;
  s.g_PolyNoAutoPick ^= 1, s.g_PolyShowNormals ^= 1;
  ShellMouse &m = g_Mouse;
  m.g_MouseMoveX += 7, m.g_MouseMoveY -= 5;
  m.g_MousePrevX += 9, m.g_MousePrevY += 11;
  m.g_RightButtonFlag ^= 1;
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
  // Every flag flipped: a hook that reads the shell's flags instead of its context's selects
  // other elements.
  for (u32 i = 0; s.g_PolySelVerts && i < App_WorkVertCount(); i++) s.g_PolySelVerts[i] ^= 1;
  for (u32 i = 0; s.g_PolySelFaces && i < App_WorkFaceCount(); i++) s.g_PolySelFaces[i] ^= 1;
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
  Differ_DecoyRest();
}

struct Differ_Case {
  const char *name;
  void (*arrange)(void);   // documents, views, buttons and the shell's records
  FamilyHookFn *hook;
  i32 x, y;
  u32 key, command;
  i32 step;
  std::string (*result)(const HookCtx *c);   // what else the hook changed
  // An enter hook may place the shell's camera (the context carries only its values): the
  // camera then ends where the shell's run left it, or as the decoy held it when left alone.
  bool placesCamera = false;
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

// The hook on the shell's records, then on copies of them arranged the same while the shell's
// hold the decoy: the copies must end as the shell's did, the shell's must stay as they were,
// and what else the hook changes (documents, the layout's main view) must be the same.
inline void Differ_Run(const Differ_Case &t) {
  SCOPED_TRACE(t.name);
  // The shell's own records.
  t.arrange();
  HookCtx a = Differ_Context(t);
  t.hook(&a);
  const f32 placedX = g_Shell.g_PerspAngleX, placedY = g_Shell.g_PerspAngleY;
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
  const bool placed = t.placesCamera && g_Shell.g_PerspAngleX == placedX && g_Shell.g_PerspAngleY == placedY;
  EXPECT_EQ(g_Shell.g_PerspAngleX, placed ? placedX : angleX);
  EXPECT_EQ(g_Shell.g_PerspAngleY, placed ? placedY : angleY);
  EXPECT_EQ(Differ_SelText(sel.sel), selA) << "the handed selection";
  EXPECT_EQ(Differ_MouseText(mouse), mouseA) << "the handed mouse record";
  EXPECT_EQ(Differ_ViewText(view), viewA) << "the handed view";
  EXPECT_EQ(t.result(&b), resultA) << "the documents";
}
