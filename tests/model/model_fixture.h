// Shared set-up of the model tests: small capacities (so full models are cheap), a
// recording error box, and every slot emptied afterwards (LeakSanitizer sees the rest).
#pragma once
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "model/kzo.h"
#include "model/model3.h"
#include "model/seam.h"

struct ModelTest : ::testing::Test {
  static std::vector<std::string> &Messages() {
    static std::vector<std::string> m;
    return m;
  }
  static void RecordBox(const char *text) { Messages().push_back(text); }
  CoreSeam saved;
  u32 savedPolys = 0, savedVerts = 0, savedMode = 0;
  void SetUp() override {
    saved = g_Seam;
    g_Seam.errorBox = RecordBox;
    Messages().clear();
    savedPolys = g_MaxPolygons;
    savedVerts = g_MaxVertices;
    savedMode = g_EditorMode;
    g_MaxPolygons = 64;
    g_MaxVertices = 256;
    g_ModelAllocArrays = 0;
  }
  void TearDown() override {
    Model3_FreeAllSlots();
    Kzo_FreeAll();
    g_Seam = saved;
    g_MaxPolygons = savedPolys;
    g_MaxVertices = savedVerts;
    g_EditorMode = savedMode;
    g_ModelAllocArrays = 0;
  }
  static Model3 *NewFull() {
    g_ModelAllocArrays = 1;
    return Model3_New();
  }
};
