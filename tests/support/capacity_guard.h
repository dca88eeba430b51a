// The polygon and vertex capacities as they were when the guard was made, put back when it
// goes: a test fixture holds one and sets the capacities its models need.
#pragma once
#include "model/model3.h"

struct CapacityGuard {
  u32 polys = g_MaxPolygons, verts = g_MaxVertices;
  CapacityGuard() = default;
  CapacityGuard(const CapacityGuard &) = delete;
  CapacityGuard &operator=(const CapacityGuard &) = delete;
  ~CapacityGuard() {
    g_MaxPolygons = polys;
    g_MaxVertices = verts;
  }
};
