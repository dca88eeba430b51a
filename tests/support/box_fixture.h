// The base of the tests that read what the error box was asked to show: every box's text in
// Messages(), the core seam and the polygon and vertex capacities put back after each test.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/model3.h"
#include "model/seam.h"

struct BoxRecordingTest : ::testing::Test {
  static std::vector<std::string> &Messages() {
    static std::vector<std::string> m;
    return m;
  }
  static void RecordBox(const char *text) { Messages().push_back(text); }
  CoreSeam saved;
  u32 savedPolys = 0, savedVerts = 0;
  void SetUp() override {
    saved = g_Seam;
    g_Seam.errorBox = RecordBox;
    Messages().clear();
    savedPolys = g_MaxPolygons;
    savedVerts = g_MaxVertices;
  }
  void TearDown() override {
    g_Seam = saved;
    g_MaxPolygons = savedPolys;
    g_MaxVertices = savedVerts;
  }
};
