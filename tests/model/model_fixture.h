// Shared set-up of the model tests: small capacities (so full models are cheap), a
// recording error box, and every slot emptied afterwards (LeakSanitizer sees the rest).
#pragma once
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "box_fixture.h"
#include "model/kzo.h"
#include "model/model3.h"

struct ModelTest : BoxRecordingTest {
  u32 savedMode = 0;
  void SetUp() override {
    BoxRecordingTest::SetUp();
    savedMode = g_Model3Edited;
    g_MaxPolygons = 64;
    g_MaxVertices = 256;
    g_ModelAllocArrays = 0;
  }
  void TearDown() override {
    Model3_FreeAllSlots();
    Kzo_FreeAll();
    BoxRecordingTest::TearDown();
    g_Model3Edited = savedMode;
    g_ModelAllocArrays = 0;
  }
  static Model3 *NewFull() {
    g_ModelAllocArrays = 1;
    return Model3_New();
  }
};
