// Shared set-up of the collision tests: a recording error box, capacities big enough for the
// test models, radius 5 for every object, and the document, slots and collide flags cleared
// afterwards.
#pragma once
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "box_fixture.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/render/objects.h"
#include "model/model3.h"
#include "model/object.h"
#include "scene/coli.h"

struct ColiTest : BoxRecordingTest {
  f32 savedRandom[LIB_RANDOM_COUNT];
  void SetUp() override {
    BoxRecordingTest::SetUp();
    g_MaxPolygons = 8192;
    g_MaxVertices = 32768;
    g_ModelAllocArrays = 0;
    memcpy(savedRandom, g_Lib.randomTable, sizeof savedRandom);
    for (f32 &r : g_Lib.randomTable) r = 5.0f;
  }
  void TearDown() override {
    Coli_ReplaceDocument(nullptr);
    memset(g_Coli.collide, 0, sizeof g_Coli.collide);
    Model3_FreeAllSlots();
    BoxRecordingTest::TearDown();
    g_ModelAllocArrays = 0;
    memcpy(g_Lib.randomTable, savedRandom, sizeof savedRandom);
  }
  // Scene object n on a model of its own, taking part in the collision pass.
  static KZL::OBJECT *Character(i32 n, f32 x, f32 y, f32 z) {
    Model3_Init(n);
    KZL::OBJECT *o = ObjectInit(n);
    Object_SetPosition(o, x, y, z);
    g_Coli.collide[n] = 1;
    return o;
  }
};

// A collision model from plain lists: polygons of 3 or 4 corners (-1 ends a triangle), each
// with the normal index of its first corner.
struct ColiModelSpec {
  std::vector<Vec3> positions;
  std::vector<Vec3> normals;
  struct Poly { i32 v[4]; u32 normal; };
  std::vector<Poly> polygons;
};

inline Model3 *ColiBuildModel(const ColiModelSpec &s) {
  Model3 *m = Model3_New();
  if (!m || !Model3_Reserve(m, (i32)s.positions.size(), (i32)s.normals.size(), 1, 1, (i32)s.polygons.size())) {
    Model3_Free(m);
    return nullptr;
  }
  m->positionCount = (i32)s.positions.size();
  m->normalCount = (i32)s.normals.size();
  m->polygonCount = (i32)s.polygons.size();
  if (!s.positions.empty()) memcpy(m->positions, s.positions.data(), s.positions.size() * sizeof(Vec3));
  if (!s.normals.empty()) memcpy(m->normals, s.normals.data(), s.normals.size() * sizeof(Vec3));
  for (size_t i = 0; i < s.polygons.size(); i++) {
    Polygon3 &p = m->polygons[i];
    memset(&p, 0, sizeof p);
    p.cornerCount = s.polygons[i].v[3] < 0 ? 3 : 4;
    for (int c = 0; c < p.cornerCount; c++) p.corners[c].vertex = (u32)s.polygons[i].v[c];
    p.corners[0].normal = s.polygons[i].normal;
  }
  return m;
}
