// The base of the tests that read what the error box was asked to show: every box's text in
// Messages(), the core seam and the polygon and vertex capacities put back after each test.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capacity_guard.h"
#include "model/model3.h"
#include "model/seam.h"

struct BoxRecordingTest : ::testing::Test {
  static std::vector<std::string> &Messages() {
    static std::vector<std::string> m;
    return m;
  }
  static void RecordBox(const char *text) { Messages().push_back(text); }
  CoreSeam saved;
  CapacityGuard capacity;
  void SetUp() override {
    saved = g_Seam;
    g_Seam.errorBox = RecordBox;
    Messages().clear();
  }
  void TearDown() override {
    g_Seam = saved;
  }
};
