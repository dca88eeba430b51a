// Readable pictures of the records a hook may change, for tests that run a hook once on the
// shell's records and once on copies handed through the context and compare the two.
#pragma once
#include <stdio.h>

#include <string>

#include "app/shell_mouse.h"
#include "app/shell_sel.h"
#include "model/bone2.h"

inline void Differ_Add(std::string *out, const char *name, double v) {
  char t[64];
  snprintf(t, sizeof t, " %s=%g", name, v);
  *out += t;
}

// The selection's numbers and its first `flags` vertex and face flags.
inline std::string Differ_Selection(const ShellSelection &s, u32 flags) {
  std::string o;
  Differ_Add(&o, "slot", s.g_CurSlot);
  Differ_Add(&o, "slot2d", s.g_Cur2DSlot);
  Differ_Add(&o, "bone", s.g_CurBoneIndex);
  Differ_Add(&o, "prevBone", s.g_PrevBone);
  Differ_Add(&o, "boneListDirty", s.g_BoneListDirty);
  Differ_Add(&o, "part", s.g_CurPartIndex);
  Differ_Add(&o, "group", s.g_CurGroupIndex);
  Differ_Add(&o, "selectedBone", s.g_SelectedBone);
  Differ_Add(&o, "mode", s.g_PolySelectMode);
  Differ_Add(&o, "tool", s.g_PolyTool);
  Differ_Add(&o, "noAutoPick", s.g_PolyNoAutoPick);
  Differ_Add(&o, "freeCount", s.g_FreeCreateCount);
  for (u32 i = 0; i < POLY_FREE_POINTS; i++)
    for (u32 k = 0; k < 2; k++) Differ_Add(&o, "free", s.g_FreeCreatePoints[i][k]);
  Differ_Add(&o, "faceNo", s.g_PolyFaceNo);
  o += " verts=";
  for (u32 i = 0; i < flags; i++) o += s.g_PolySelVerts && s.g_PolySelVerts[i] ? '1' : '0';
  o += " faces=";
  for (u32 i = 0; i < flags; i++) o += s.g_PolySelFaces && s.g_PolySelFaces[i] ? '1' : '0';
  return o;
}

inline std::string Differ_Mouse(const ShellMouse &m) {
  std::string o;
  for (const DragAnchor *a : {&m.g_MotionDragAnchor, &m.g_ObjMotionDragAnchor, &m.g_PolyDragAnchor, &m.g_PolyDragAnchor2}) {
    Differ_Add(&o, "anchor", a->x);
    Differ_Add(&o, "", a->y);
  }
  Differ_Add(&o, "pan", m.g_DragAnchorX);
  Differ_Add(&o, "", m.g_DragAnchorY);
  Differ_Add(&o, "at", m.g_MouseX);
  Differ_Add(&o, "", m.g_MouseY);
  return o;
}

// The document of a 2D bone model: skin, polygons, bones and the current motion's keys.
inline std::string Differ_Bone2(const Bone2Model *m) {
  if (!m) return "none";
  std::string o;
  Differ_Add(&o, "verts", m->vertexCount);
  for (i32 v = 0; v < Bone2_VertexCount(m); v++) {
    Differ_Add(&o, "p", m->positions[v].x);
    Differ_Add(&o, "", m->positions[v].y);
    const VertexBinding &b = m->bindings[v];
    Differ_Add(&o, "bind", b.bone1);
    Differ_Add(&o, "", b.bone2);
    Differ_Add(&o, "", b.weight);
    Differ_Add(&o, "", b.automatic);
  }
  Differ_Add(&o, "colours", m->colourCount);
  Differ_Add(&o, "uvs", m->uvCount);
  Differ_Add(&o, "polys", m->polygonCount);
  for (i32 f = 0; f < m->polygonCount && f < m->polygonCapacity; f++) {
    const Polygon2 &p = m->polygons[f];
    Differ_Add(&o, "poly", p.cornerCount);
    Differ_Add(&o, "group", p.group);
    for (i32 k = 0; k < p.cornerCount && k < 4; k++) Differ_Add(&o, "c", p.corners[k].vertex);
  }
  Differ_Add(&o, "bones", m->boneCount);
  for (i32 b = 0; b < Bone2_BoneCount(m); b++) {
    Differ_Add(&o, "rest", m->rest[b].x);
    Differ_Add(&o, "", m->rest[b].y);
    Differ_Add(&o, "parent", m->bones[b].parent);
    const Bone2Track *t = m->currentMotion >= 0 && m->currentMotion < m->motionCount
                              ? Bone2_Track(const_cast<Bone2Model *>(m), b, m->currentMotion)
                              : nullptr;
    for (i32 k = 0; t && t->keys && k < t->count; k++) {
      const BoneKey2 &key = t->keys[k];
      Differ_Add(&o, "key", key.frame);
      for (f32 v : {key.x, key.y, key.angle, key.scaleX, key.scaleY}) Differ_Add(&o, "", v);
    }
  }
  Differ_Add(&o, "frame", m->currentFrame);
  Differ_Add(&o, "place", m->placeX);
  Differ_Add(&o, "", m->placeY);
  Differ_Add(&o, "display", m->displayMode);
  return o;
}
