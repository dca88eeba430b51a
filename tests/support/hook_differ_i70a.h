// A hook run twice: once on the shell's records, once on copies handed in the context. The
// records are flattened into named numbers so that two runs compare field by field and a
// difference names the field.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/shell_mouse.h"
#include "app/shell_sel.h"
#include "app/views.h"
#include "lib/framework/view_record.h"
#include "model/model3.h"

typedef std::vector<std::pair<std::string, double>> DifferFields;

inline void Differ_Add(DifferFields *f, const std::string &name, double v) { f->push_back({name, v}); }

// The selection's own fields and the first `room` flags of each array.
inline void Differ_Selection(DifferFields *f, const ShellSelection *s, u32 room) {
  const struct { const char *name; double v; } scalars[] = {
      {"sel.curSlot", (double)s->g_CurSlot},         {"sel.curBone", (double)s->g_CurBoneIndex},
      {"sel.prevBone", (double)s->g_PrevBone},       {"sel.boneListDirty", (double)s->g_BoneListDirty},
      {"sel.curGroup", (double)s->g_CurGroupIndex},  {"sel.selectedBone", (double)s->g_SelectedBone},
      {"sel.selectMode", (double)s->g_PolySelectMode}, {"sel.tool", (double)s->g_PolyTool},
      {"sel.motionOp", (double)s->g_MotionEditOp},   {"sel.noAutoPick", (double)s->g_PolyNoAutoPick},
      {"sel.freeCount", (double)s->g_FreeCreateCount}, {"sel.faceNo", (double)s->g_PolyFaceNo},
      {"sel.vertexNo", (double)s->g_PolyVertexNo},
  };
  for (const auto &s1 : scalars) Differ_Add(f, s1.name, s1.v);
  for (u32 p = 0; p < POLY_FREE_POINTS; p++)
    for (u32 k = 0; k < 3; k++) Differ_Add(f, "sel.free[" + std::to_string(p) + "]", s->g_FreeCreatePoints[p][k]);
  for (u32 i = 0; i < room; i++) {
    Differ_Add(f, "sel.face[" + std::to_string(i) + "]", s->g_PolySelFaces ? s->g_PolySelFaces[i] : -1);
    Differ_Add(f, "sel.vert[" + std::to_string(i) + "]", s->g_PolySelVerts ? s->g_PolySelVerts[i] : -1);
  }
}

inline void Differ_Mouse(DifferFields *f, const ShellMouse *m) {
  const DragAnchor *anchors[4] = {&m->g_MotionDragAnchor, &m->g_ObjMotionDragAnchor, &m->g_PolyDragAnchor,
                                  &m->g_PolyDragAnchor2};
  for (u32 a = 0; a < 4; a++) {
    Differ_Add(f, "mouse.anchor" + std::to_string(a) + ".x", anchors[a]->x);
    Differ_Add(f, "mouse.anchor" + std::to_string(a) + ".y", anchors[a]->y);
  }
  Differ_Add(f, "mouse.panAnchor.x", m->g_DragAnchorX);
  Differ_Add(f, "mouse.panAnchor.y", m->g_DragAnchorY);
}

inline void Differ_View(DifferFields *f, const ViewRecord *v) {
  Differ_Add(f, "view.panX", v->panX);
  Differ_Add(f, "view.panY", v->panY);
  Differ_Add(f, "view.panZ", v->panZ);
  Differ_Add(f, "view.zoom", v->zoom);
}

// What the editors change in a model: elements, bones, groups and the flags.
inline void Differ_Model(DifferFields *f, const Model3 *m) {
  Differ_Add(f, "model.positions", m->positionCount);
  Differ_Add(f, "model.polygons", m->polygonCount);
  Differ_Add(f, "model.bones", m->boneCount);
  Differ_Add(f, "model.uvs", m->uvCount);
  Differ_Add(f, "model.changed", m->changed);
  Differ_Add(f, "model.displayMode", m->displayMode);
  for (i32 i = 0; i < m->positionCount; i++) {
    std::string n = "model.pos[" + std::to_string(i) + "]";
    Differ_Add(f, n + ".x", m->positions[i].x);
    Differ_Add(f, n + ".y", m->positions[i].y);
    Differ_Add(f, n + ".z", m->positions[i].z);
  }
  for (i32 i = 0; i < m->polygonCount; i++) {
    std::string n = "model.poly[" + std::to_string(i) + "]";
    Differ_Add(f, n + ".corners", m->polygons[i].cornerCount);
    Differ_Add(f, n + ".group", m->polygons[i].group);
    for (u32 k = 0; k < 4; k++) Differ_Add(f, n + ".v" + std::to_string(k), m->polygons[i].corners[k].vertex);
  }
  for (i32 b = 0; b < m->boneCount && b < MODEL3_BONES; b++) {
    std::string n = "model.bone[" + std::to_string(b) + "]";
    Differ_Add(f, n + ".parent", m->bones[b].parent);
    for (u32 k = 0; k < 3; k++) Differ_Add(f, n + ".rest" + std::to_string(k), m->boneRest[b].pos[k]);
  }
  for (i32 g = 0; g < m->groupCount && g < MODEL3_GROUPS; g++) {
    std::string n = "model.group[" + std::to_string(g) + "]";
    const Group3 &gr = m->groups[g];
    Differ_Add(f, n + ".mapping", gr.mapping);
    Differ_Add(f, n + ".offset", gr.offsetU);
    Differ_Add(f, n + ".offsetV", gr.offsetV);
    Differ_Add(f, n + ".scaleU", gr.scaleU);
    Differ_Add(f, n + ".scaleV", gr.scaleV);
  }
}

// The records a context hands a hook, flattened.
inline DifferFields Differ_Records(const Model3 *m, const ShellSelection *s, const ShellMouse *mouse,
                                   const ViewRecord *v, u32 room) {
  DifferFields f;
  Differ_Model(&f, m);
  Differ_Selection(&f, s, room);
  Differ_Mouse(&f, mouse);
  Differ_View(&f, v);
  return f;
}

// Every field of `got` equal to the same field of `want`, each difference reported by name.
inline void Differ_ExpectSame(const DifferFields &want, const DifferFields &got, const char *what) {
  ASSERT_EQ(want.size(), got.size()) << what;
  for (size_t i = 0; i < want.size(); i++)
    EXPECT_EQ(want[i].second, got[i].second) << what << ": " << want[i].first;
}
