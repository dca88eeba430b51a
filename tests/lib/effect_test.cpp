// The effect layer: parsing of good and broken .fx texts, the runtime's uploads, state
// save/restore and texture binding through a recording device, and the effect slots'
// one-error-box rule.
#include <gtest/gtest.h>

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/render/effect.h"
#include "lib/render/hlsl.h"

namespace {

// [SECTION] recording device

struct RecShader {
  bool pixel;
  std::string source;
};

struct RecDevice {
  std::vector<RecShader *> created;
  int released = 0;
  std::string failOn;  // a source containing this text fails to assemble
  void *vs = nullptr, *ps = nullptr;
  std::map<std::pair<bool, i32>, std::vector<f32>> constants;  // (pixel, register) -> 4 floats
  std::map<i32, void *> textures;
  std::map<std::tuple<u16, u16, u32>, u32> states;
  int constantCalls = 0;
};

RecDevice *D(void *c) { return (RecDevice *)c; }
bool Create(void *c, bool pixel, const char *src, size_t len, void **out, char *err, size_t n) {
  std::string s(src, len);
  if (!D(c)->failOn.empty() && s.find(D(c)->failOn) != std::string::npos) {
    Str_Copy(err, n, "(3): error X2000: syntax error");
    return false;
  }
  RecShader *sh = new RecShader{pixel, s};
  D(c)->created.push_back(sh);
  *out = sh;
  return true;
}
void Release(void *c, void *s) {
  D(c)->released++;
  delete (RecShader *)s;
}
void SetShader(void *c, bool pixel, void *s) { (pixel ? D(c)->ps : D(c)->vs) = s; }
void SetConstants(void *c, bool pixel, i32 reg, const f32 *v, i32 count) {
  D(c)->constantCalls++;
  for (i32 i = 0; i < count; i++) D(c)->constants[{pixel, reg + i}] = std::vector<f32>(v + 4 * i, v + 4 * i + 4);
}
void SetTexture(void *c, i32 stage, void *t) { D(c)->textures[stage] = t; }
u32 GetState(void *c, u16 kind, u16 stage, u32 state) {
  auto it = D(c)->states.find({kind, stage, state});
  return it == D(c)->states.end() ? 0 : it->second;
}
void SetState(void *c, u16 kind, u16 stage, u32 state, u32 value) { D(c)->states[{kind, stage, state}] = value; }

const char kGood[] =
    "// test effect\n"
    "param matrix WVP vs:c0\n"
    "param matrix43 Bones[2] vs:c4\n"
    "param vector Color vs:c10 ps:c0\n"
    "param float Time ps:c1   // x only\n"
    "param bool Flag ps:c2\n"
    "param texture Tex1 s:1\n"
    "\n"
    "vertexshader VS\n"
    "  vs_2_0\n"
    "  dcl_position v0\n"
    "  m4x4 oPos, v0, c0   // = is not special here\n"
    "end\n"
    "pixelshader PS\n"
    "  ps_2_0\n"
    "  mov oC0, c0\n"
    "end\n"
    "technique First\n"
    "  pass P0\n"
    "    VertexShader = VS\n"
    "    PixelShader = PS\n"
    "    ZWriteEnable = FALSE\n"
    "    SrcBlend=SRCALPHA\n"
    "    Sampler1.MinFilter = LINEAR\n"
    "    Sampler1.AddressU = CLAMP\n"
    "  end\n"
    "  pass P1\n"
    "    CullMode = NONE\n"
    "    AlphaRef = 0x80\n"
    "  end\n"
    "end\n"
    "technique Second\n"
    "  pass Only\n"
    "    VertexShader = VS\n"
    "  end\n"
    "end\n";

struct EffectFixture : ::testing::Test {
  RecDevice rec;
  EffectDevice dev{&rec, Create, Release, SetShader, SetConstants, SetTexture, GetState, SetState};
  char err[EFFECT_ERROR_SIZE] = {};
  std::vector<f32> Const(bool pixel, i32 reg) { return rec.constants[{pixel, reg}]; }
  size_t ConstCount(bool pixel, i32 reg) { return rec.constants.count({pixel, reg}); }
  Effect *Make(const char *text) { return Effect_CreateFromMemory(&dev, text, strlen(text), "t.fx", err, sizeof err); }
};

TEST_F(EffectFixture, GoodFileGivesTechniquesPassesStatesAndBindings) {
  EffectDesc d;
  ASSERT_TRUE(Effect_Parse(kGood, sizeof kGood - 1, "t.fx", &d, err, sizeof err)) << err;
  ASSERT_EQ(d.techniqueCount, 2);
  EXPECT_STREQ(d.techniques[0].name, "First");
  EXPECT_EQ(d.techniques[0].passCount, 2);
  EXPECT_EQ(EffectDesc_FindTechnique(&d, "Second"), 1);
  EXPECT_EQ(EffectDesc_FindTechnique(&d, "Missing"), -1);
  const EffectPass &p0 = d.passes[0];
  EXPECT_EQ(p0.vertexShader, 0);
  EXPECT_EQ(p0.pixelShader, 1);
  ASSERT_EQ(p0.stateCount, 4);
  // ZWriteEnable 14 = 0, SrcBlend 19 = SRCALPHA 5, sampler 1 MinFilter 6 = LINEAR 2, AddressU 1 = CLAMP 3
  EXPECT_EQ(d.states[0].state, 14u);
  EXPECT_EQ(d.states[0].value, 0u);
  EXPECT_EQ(d.states[1].state, 19u);
  EXPECT_EQ(d.states[1].value, 5u);
  EXPECT_EQ(d.states[2].kind, FXS_SAMPLER);
  EXPECT_EQ(d.states[2].stage, 1);
  EXPECT_EQ(d.states[2].value, 2u);
  EXPECT_EQ(d.states[3].value, 3u);
  EXPECT_EQ(d.passes[1].vertexShader, -1);
  EXPECT_EQ(d.states[4].value, 1u);     // CullMode NONE
  EXPECT_EQ(d.states[5].value, 0x80u);  // AlphaRef hex
  i32 bones = EffectDesc_FindParam(&d, "Bones");
  ASSERT_GE(bones, 0);
  EXPECT_EQ(d.params[bones].count, 2);
  EXPECT_EQ(d.params[bones].registerCount, 6);
  EXPECT_EQ(d.params[EffectDesc_FindParam(&d, "Color")].psRegister, 0);
  EXPECT_EQ(d.params[EffectDesc_FindParam(&d, "Tex1")].sampler, 1);
  // The shader body keeps its lines (comments included) for the assembler.
  std::string vs(d.text + d.shaders[0].textOffset, (size_t)d.shaders[0].textLength);
  EXPECT_NE(vs.find("m4x4 oPos, v0, c0"), std::string::npos);
  EXPECT_EQ(d.shaders[0].line, 10);
  EffectDesc_Free(&d);
}

TEST_F(EffectFixture, BrokenFilesAreRefusedWithLineAndReason) {
  struct Case {
    const char *text;
    const char *expect;
  } cases[] = {
      {"technique T\n pass P\n  ZWrite = TRUE\n end\nend\n", "t.fx(3): unknown state \"ZWrite\""},
      {"technique T\n pass P\n  VertexShader = Nope\n end\nend\n", "t.fx(3): unknown shader"},
      {"pixelshader PS\nps_2_0\nend\ntechnique T\n pass P\n  VertexShader = PS\n end\nend\n", "not a vertex shader"},
      {"technique T\n pass P\n  ZEnable = MAYBE\n end\nend\n", "bad value \"MAYBE\""},
      {"technique T\n pass P\n  Sampler16.MinFilter = LINEAR\n end\nend\n", "bad sampler stage"},
      {"param float A ps:c0\nparam float A ps:c1\n", "t.fx(2): parameter \"A\" declared twice"},
      {"param matrix M vs:c254\n", "bad binding \"vs:c254\""},
      {"param vector V[300] vs:c0\n", "bad array size"},
      {"param texture T vs:c0\n", "bound to constants"},
      {"param int I vs:c0\n", "unknown parameter type"},
      {"technique T\nend\n", "technique \"T\" has no pass"},
      {"vertexshader VS\nvs_2_0\n", "missing \"end\""},
      {"technique T\n pass P\n end\n", "missing \"end\""},
      {"param float A ps:c0\n", "no technique"},
      {"vertexshader VS\nend\n", "is empty"},
      {"technique T\n pass P\n  ZEnable TRUE\n end\nend\n", "expected"},
      {"banana\n", "t.fx(1): unexpected \"banana\""},
  };
  for (const Case &c : cases) {
    EffectDesc d;
    EXPECT_FALSE(Effect_Parse(c.text, strlen(c.text), "t.fx", &d, err, sizeof err)) << c.text;
    EXPECT_NE(strstr(err, c.expect), nullptr) << "got: " << err << "\nwant: " << c.expect;
    EXPECT_EQ(d.text, nullptr);
  }
  // Truncating the good file anywhere never reads past the text and never succeeds halfway
  // through a block.
  for (size_t n = 0; n < sizeof kGood - 1; n += 7) {
    EffectDesc d;
    if (Effect_Parse(kGood, n, "t.fx", &d, err, sizeof err)) EffectDesc_Free(&d);
  }
}

TEST_F(EffectFixture, PassUploadsTransposedMatricesScalarsAndTextures) {
  Effect *e = Make(kGood);
  ASSERT_NE(e, nullptr) << err;
  ASSERT_EQ(rec.created.size(), 2u);
  EXPECT_FALSE(rec.created[0]->pixel);
  EXPECT_TRUE(rec.created[1]->pixel);
  Mat4 m;
  for (int i = 0; i < 16; i++) m.f[i] = (f32)i;
  ASSERT_TRUE(Effect_SetMatrix(e, "WVP", &m));
  Mat4 bones[3] = {m, m, m};
  bones[1].m[3][0] = 100;  // translation x of bone 1
  ASSERT_TRUE(Effect_SetMatrixArray(e, "Bones", bones, 3));  // the third is beyond the array
  f32 color[4] = {1, 2, 3, 4};
  ASSERT_TRUE(Effect_SetVector(e, "Color", color));
  ASSERT_TRUE(Effect_SetFloat(e, "Time", 0.5f));
  ASSERT_TRUE(Effect_SetBool(e, "Flag", true));
  int tex = 0;
  ASSERT_TRUE(Effect_SetTexture(e, "Tex1", &tex));
  EXPECT_FALSE(Effect_SetFloat(e, "Color", 1));      // wrong type
  EXPECT_FALSE(Effect_SetFloat(e, "Missing", 1));
  EXPECT_FALSE(Effect_SetTechnique(e, "Missing"));

  ASSERT_EQ(Effect_Begin(e), 2u);
  EXPECT_TRUE(Effect_Pass(e, 0));
  EXPECT_EQ(rec.vs, rec.created[0]);
  EXPECT_EQ(rec.ps, rec.created[1]);
  // Register 0 is column 0 of the row-vector matrix: elements 0, 4, 8, 12.
  EXPECT_EQ(Const(false, 0), (std::vector<f32>{0, 4, 8, 12}));
  EXPECT_EQ(Const(false, 3), (std::vector<f32>{3, 7, 11, 15}));
  // Bone palette: three registers per bone; bone 1 starts at c7, its column 0 ends in 100.
  EXPECT_EQ(Const(false, 7), (std::vector<f32>{0, 4, 8, 100}));
  EXPECT_EQ(ConstCount(false, 10), 1u);  // Color in the vertex shader
  EXPECT_EQ(ConstCount(false, 13), 0u);  // nothing beyond the declared bones
  EXPECT_EQ(Const(true, 0), (std::vector<f32>{1, 2, 3, 4}));
  EXPECT_EQ(Const(true, 1), (std::vector<f32>{0.5f, 0, 0, 0}));
  EXPECT_EQ(Const(true, 2), (std::vector<f32>{1, 0, 0, 0}));
  EXPECT_EQ(rec.textures[1], &tex);
  // A value set while the pass is active reaches the device at once.
  EXPECT_TRUE(Effect_SetFloat(e, "Time", 2.0f));
  EXPECT_EQ(Const(true, 1)[0], 2.0f);
  EXPECT_FALSE(Effect_Pass(e, 2));
  Effect_End(e);
  EXPECT_EQ(rec.vs, nullptr);
  EXPECT_EQ(rec.textures[1], nullptr);
  Effect_Release(e);
  EXPECT_EQ(rec.released, 2);
}

TEST_F(EffectFixture, EndPutsBackEveryStateThePassesSet) {
  rec.states[{FXS_RENDER, 0, 14}] = 1;  // ZWriteEnable on before the effect
  rec.states[{FXS_RENDER, 0, 22}] = 3;  // CullMode CCW
  Effect *e = Make(kGood);
  ASSERT_NE(e, nullptr);
  Effect_Begin(e);
  Effect_Pass(e, 0);
  EXPECT_EQ((rec.states[{FXS_RENDER, 0, 14}]), 0u);
  EXPECT_EQ((rec.states[{FXS_SAMPLER, 1, 6}]), 2u);
  Effect_Pass(e, 1);
  EXPECT_EQ((rec.states[{FXS_RENDER, 0, 22}]), 1u);
  Effect_End(e);
  EXPECT_EQ((rec.states[{FXS_RENDER, 0, 14}]), 1u);
  EXPECT_EQ((rec.states[{FXS_RENDER, 0, 22}]), 3u);
  EXPECT_EQ((rec.states[{FXS_SAMPLER, 1, 6}]), 0u);
  // The second technique: one pass without a pixel shader.
  ASSERT_TRUE(Effect_SetTechnique(e, "Second"));
  EXPECT_EQ(Effect_Begin(e), 1u);
  Effect_Pass(e, 0);
  EXPECT_EQ(rec.ps, nullptr);
  Effect_Release(e);  // releasing inside Begin..End ends first
  EXPECT_EQ(rec.vs, nullptr);
}

TEST_F(EffectFixture, AssemblyFailureNamesTheShaderAndReleasesTheOthers) {
  rec.failOn = "mov oC0";
  EXPECT_EQ(Make(kGood), nullptr);
  EXPECT_NE(strstr(err, "shader \"PS\""), nullptr) << err;
  EXPECT_NE(strstr(err, "X2000"), nullptr);
  EXPECT_EQ(rec.released, 1);
  EXPECT_EQ(Effect_CreateFromFile(&dev, "/nonexistent/x.fx", err, sizeof err), nullptr);
  EXPECT_STREQ(err, "/nonexistent/x.fx: cannot be read");
}

// [SECTION] effect slots

std::vector<std::pair<std::string, std::string>> g_Boxes;
void RecordBox(const char *text, const char *caption) { g_Boxes.push_back({text, caption}); }

TEST_F(EffectFixture, BrokenEffectShowsOneErrorBoxUntilTheNextReset) {
  char dir[] = "/tmp/miravel_fx_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::string sys = std::string(dir) + "/System";
  ASSERT_EQ(system(("mkdir -p " + sys).c_str()), 0);
  FILE *f = fopen((sys + "/Bone.fx").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fputs("technique BoneRender\n pass P\n  Nonsense = 1\n end\nend\n", f);
  fclose(f);
  Str_Copy(g_Lib.dataDir, sizeof g_Lib.dataDir, dir);
  g_Hlsl.device = &dev;
  g_Hlsl.messageBox = RecordBox;
  g_Boxes.clear();
  Hlsl_Init();
  EXPECT_EQ(Hlsl_PeekEffect(HLSL_FX_BONE), nullptr);
  EXPECT_EQ(Hlsl_GetEffect(HLSL_FX_BONE), nullptr);
  EXPECT_EQ(Hlsl_GetEffect(HLSL_FX_BONE), nullptr);
  ASSERT_EQ(g_Boxes.size(), 1u);
  EXPECT_EQ(g_Boxes[0].second, "ERROR");
  EXPECT_NE(g_Boxes[0].first.find("(3): unknown state \"Nonsense\""), std::string::npos) << g_Boxes[0].first;
  // Missing file: the text names the path under the data folder itself.
  EXPECT_EQ(Hlsl_GetEffect(HLSL_FX_3D), nullptr);
  ASSERT_EQ(g_Boxes.size(), 2u);
  EXPECT_NE(g_Boxes[1].first.find(std::string(dir) + "/System/HLSL_3D.fx"), std::string::npos);
  // A device reset allows one new attempt; a mended file then loads.
  f = fopen((sys + "/Bone.fx").c_str(), "wb");
  fputs("technique BoneRender\n pass P\n  Lighting = FALSE\n end\nend\n", f);
  fclose(f);
  Hlsl_ReleaseEffects();
  Effect *e = Hlsl_GetEffect(HLSL_FX_BONE);
  EXPECT_NE(e, nullptr);
  EXPECT_EQ(Hlsl_PeekEffect(HLSL_FX_BONE), e);
  EXPECT_EQ(g_Boxes.size(), 2u);
  EXPECT_STREQ(g_Lib.dataDir, dir);  // loading never rewrites the data folder
  Hlsl_ReleaseEffects();
  EXPECT_EQ(Hlsl_PeekEffect(HLSL_FX_BONE), nullptr);
  g_Hlsl.device = nullptr;
  g_Hlsl.messageBox = nullptr;
  system(("rm -rf " + std::string(dir)).c_str());
}

// [SECTION] the shipped effect files

std::string SourceFile(const char *rel) {
  const char *root = getenv("MIRAVEL_SRC");
  return std::string(root ? root : ".") + "/" + rel;
}

TEST_F(EffectFixture, ShippedEffectsOfferEveryTechniqueAndParameterTheRendererUses) {
  struct Want {
    const char *file;
    std::vector<const char *> techniques;
    std::vector<const char *> params;
  } wants[] = {
      {"Data/System/HLSL_3D.fx",
       {"ShadowMapTex", "ShadowMapDraw", "DepthOfFieldTex", "SpecularDraw", "BloomDraw", "RenderBlend"},
       {"World", "WView", "WVProj", "Ambient", "vLightDir", "LightVProj", "LightColor", "ShadowTex", "Margin",
        "g_fTime", "bTex", "bBloom", "Tex1", "Tex2", "Tex3"}},
      {"Data/System/HLSL_2D.fx", {}, {"g_fTime"}},
      {"Data/System/Bone.fx", {"BoneRender"}, {"matWorld", "mViewProj", "fTime", "g_mWorld"}},
  };
  for (const Want &w : wants) {
    Effect *e = Effect_CreateFromFile(&dev, SourceFile(w.file).c_str(), err, sizeof err);
    ASSERT_NE(e, nullptr) << err;
    for (const char *t : w.techniques) EXPECT_GE(EffectDesc_FindTechnique(&e->desc, t), 0) << w.file << " " << t;
    for (const char *p : w.params) EXPECT_GE(EffectDesc_FindParam(&e->desc, p), 0) << w.file << " " << p;
    Effect_Release(e);
  }
  // The depth-of-field pass renders into work 0 while "Tex1" is work 0: it must not sample it.
  Effect *e = Effect_CreateFromFile(&dev, SourceFile("Data/System/HLSL_3D.fx").c_str(), err, sizeof err);
  ASSERT_NE(e, nullptr);
  i32 tex1 = e->desc.params[EffectDesc_FindParam(&e->desc, "Tex1")].sampler;
  const EffectTechnique &dof = e->desc.techniques[EffectDesc_FindTechnique(&e->desc, "DepthOfFieldTex")];
  for (i32 p = dof.firstPass; p < dof.firstPass + dof.passCount; p++) {
    i32 ps = e->desc.passes[p].pixelShader;
    ASSERT_GE(ps, 0);
    std::string body(e->desc.text + e->desc.shaders[ps].textOffset, (size_t)e->desc.shaders[ps].textLength);
    char sampler[8];
    snprintf(sampler, sizeof sampler, "s%d", tex1);
    EXPECT_EQ(body.find(std::string(", ") + sampler), std::string::npos) << body;
  }
  Effect_Release(e);
}

}  // namespace

// [SECTION] bone palette and frame values

#include "lib/draw/camera.h"
#include "lib/render/objects.h"
#include "model/model3.h"
#include "model/object.h"

namespace {

TEST(HlslArithmetic, BonePaletteAgreesWithProcessorSkinning) {
  ModelPose *pose = ModelPose_New();
  ASSERT_NE(pose, nullptr);
  for (int b = 0; b < 3; b++) {
    Mat_Translation(&pose->rest[b], (f32)b * 4, 1, 0);
    Mat4 r, t;
    Mat_RotationY(&r, 20.0f * (f32)b);
    Mat_Translation(&t, 2, (f32)b, -1);
    Mat_Multiply(&pose->posed[b], r, t);
  }
  Mat4 palette[HLSL_BONE_PALETTE];
  EXPECT_EQ(Hlsl_BonePalette(pose, 3, palette), 3);
  EXPECT_EQ(Hlsl_BonePalette(pose, 0, palette), 1);    // bone 0 always
  EXPECT_EQ(Hlsl_BonePalette(pose, 128, palette), (i32)HLSL_BONE_PALETTE);
  Hlsl_BonePalette(pose, 3, palette);
  for (u16 b = 0; b < 3; b++) {
    VertexBinding bind = {b, 0, 1.0f, 0};
    Vec3 p = {3, -2, 5}, cpu;
    Object_SkinPoint(pose, 3, &bind, &p, &cpu);
    f32 gpu[3];
    Mat_TransformPoint(gpu, p.x, p.y, p.z, palette[b]);
    EXPECT_NEAR(gpu[0], cpu.x, 1e-4f);
    EXPECT_NEAR(gpu[1], cpu.y, 1e-4f);
    EXPECT_NEAR(gpu[2], cpu.z, 1e-4f);
  }
  ModelPose_Free(pose);
}

TEST(HlslArithmetic, ShadowLightFollowsSceneObjectZero) {
  KZL::OBJECT *saved = g_SceneObjects[0];
  g_SceneObjects[0] = nullptr;
  HlslFrameValues v;
  EXPECT_FALSE(Hlsl_FrameValues(&v));
  KZL::OBJECT o{};
  o.inUse = 1;
  o.pos[0] = 10;
  o.pos[1] = 5;
  o.pos[2] = -3;
  g_SceneObjects[0] = &o;
  ASSERT_TRUE(Hlsl_FrameValues(&v));
  g_SceneObjects[0] = saved;
  // Object 0 sits in the middle of the light's picture; the light's own eye is at depth 0.
  f32 c[4] = {};
  for (int k = 0; k < 4; k++) c[k] = 10 * v.lightVProj.m[0][k] + 5 * v.lightVProj.m[1][k] - 3 * v.lightVProj.m[2][k] + v.lightVProj.m[3][k];
  EXPECT_NEAR(c[0] / c[3], 0.0f, 1e-4f);
  EXPECT_NEAR(c[1] / c[3], 0.0f, 1e-4f);
  EXPECT_NEAR(c[3], sqrtf(25 * 25 + 50 * 50 + 25 * 25), 1e-2f);
  EXPECT_NEAR(v.lightDir[0] * v.lightDir[0] + v.lightDir[1] * v.lightDir[1] + v.lightDir[2] * v.lightDir[2], 1.0f, 1e-5f);
  EXPECT_EQ(v.lightColor[0], 1.0f);
}

}  // namespace
