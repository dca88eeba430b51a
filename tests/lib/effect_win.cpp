// The shipped effect files on a real Direct3D 9 device under Wine: every shader assembles
// and every technique runs its passes.
#include <gtest/gtest.h>

#include <string>

#include "draw_device_win.h"
#include "lib/render/effect_win.h"

namespace {

TEST(EffectWin, ShippedEffectsAssembleOnTheDevice) {
  TestDevice t;
  ASSERT_TRUE(TestDevice_Create(&t, 320, 240)) << "no Direct3D device";
  const EffectDevice *dev = Effect_DeviceFor(&t.device);
  for (const char *file : {"Data/System/HLSL_3D.fx", "Data/System/HLSL_2D.fx", "Data/System/Bone.fx"}) {
    char err[EFFECT_ERROR_SIZE] = {};
    Effect *e = Effect_CreateFromFile(dev, SourcePath(file).c_str(), err, sizeof err);
    ASSERT_NE(e, nullptr) << file << ": " << err;
    for (i32 i = 0; i < e->desc.techniqueCount; i++) {
      ASSERT_TRUE(Effect_SetTechnique(e, e->desc.techniques[i].name));
      u32 passes = Effect_Begin(e);
      EXPECT_GE(passes, 1u);
      for (u32 p = 0; p < passes; p++) EXPECT_TRUE(Effect_Pass(e, p));
      Effect_End(e);
    }
    Effect_Release(e);
  }
  // A broken shader gives the assembler's own text.
  const char bad[] = "vertexshader VS\n vs_2_0\n frobnicate r0, v0\nend\ntechnique T\n pass P\n  VertexShader = VS\n end\nend\n";
  char err[EFFECT_ERROR_SIZE] = {};
  EXPECT_EQ(Effect_CreateFromMemory(dev, bad, sizeof bad - 1, "bad.fx", err, sizeof err), nullptr);
  EXPECT_NE(std::string(err).find("shader \"VS\""), std::string::npos) << err;
  TestDevice_Destroy(&t);
}

}  // namespace
