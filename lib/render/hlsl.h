// The library's effect slots and the shader frame (the HLSL_3D / HLSL_2D passes with the
// shadow map, depth of field, bloom and the final copy).
//
// g_Hlsl owns the five effect slots (needs-load byte + effect), the effect clocks and the
// platform's message box; the frame render and the model drawing use them. Portable: the
// device work of the shader frame is in hlsl_frame_win.cpp.
#pragma once
#include "lib/render/effect.h"

enum {
  HLSL_FX_3D = 0,
  HLSL_FX_2D = 1,
  HLSL_FX_BONE = 2,
  HLSL_FX_BUMP = 3,
  HLSL_FX_BUMPGROUND = 4,
  HLSL_FX_COUNT = 5,
};

struct HlslEffectSlot {
  u8 needsLoad;   // 1 at start and after every device reset
  Effect *effect; // null when absent or the load failed
};

struct Model3;
struct ModelPose;

// Draws one model with the current world transform (Hlsl_DrawModel of the model drawing);
// the shader frame runs it inside each effect pass.
typedef void (*HlslDrawModelFn)(i32 n, i32 part, Model3 *model);

struct HlslState {
  const EffectDevice *device;  // set by the Windows start-up (or a test)
  // Message box with its own caption ("ERROR"); null writes nothing.
  void (*messageBox)(const char *text, const char *caption);
  f32 objectTime;   // +0.01 per object pass set-up
  f32 frameTime3D;  // +0.01 per 3D frame
  f32 frameTime2D;  // +0.001 per 2D frame
  f32 boneTime;     // +0.01 per bone-effect draw
  HlslDrawModelFn drawModel;   // null draws nothing
  // A 1 x 1 white texture (made with the shader targets): stage 0 of an untextured group
  // inside the shader passes, whose pixel shaders always sample stage 0.
  void *whiteTexture;
  HlslEffectSlot slots[HLSL_FX_COUNT];
};
extern HlslState g_Hlsl;

// Marks every slot for loading (start-up).
void Hlsl_Init(void);
// Releases every effect and marks the slots for loading again (before a device reset).
void Hlsl_ReleaseEffects(void);
// The path of a slot's file under the data folder ("<data>/System/HLSL_3D.fx", ...).
void Hlsl_EffectPath(i32 slot, char *out, size_t size);
// The slot's effect; on the first call after start or a reset it is created from
// Hlsl_EffectPath, and a failure shows one "ERROR" box (the error text, or the path) until
// the next reset. Null when there is none.
Effect *Hlsl_GetEffect(i32 slot);
// The effect only when it already exists (never loads).
Effect *Hlsl_PeekEffect(i32 slot);

// [SECTION] shader frame arithmetic

// The per-frame values of the 3D effect: "World" identity, "WView" = View, "WVProj" =
// View x PerspectiveFovLH(0.785, 1.333, 1, 65000), "LightVProj" from the light 25 left,
// 50 up and 25 in front of scene object 0 looking at it, "vLightDir", "Ambient", "LightColor".
struct HlslFrameValues {
  Mat4 world, view, projection, wview, wvproj, lightVProj;
  f32 lightDir[4];
  f32 ambient[4];
  f32 lightColor[4];
};
// False when scene object 0 does not exist (the shader frame then draws nothing).
bool Hlsl_FrameValues(HlslFrameValues *out);
void Hlsl_PerspectiveLH(Mat4 *out, f32 width, f32 height, f32 zNear, f32 zFar);

// [SECTION] bone render mode

enum { HLSL_BONE_PALETTE = 76 };  // bones the "Bone.fx" palette holds (BONE_BATCH_BONES)

// The skinning palette of the bone render mode: for each bone b below boneCount (at most
// HLSL_BONE_PALETTE, at least 1) Translation(-rest origin of b) x posed[b]. Returns the
// number of matrices written.
i32 Hlsl_BonePalette(const ModelPose *pose, i32 boneCount, Mat4 *out);
// The same matrices for the bones listed (a bone batch's palette; numbers of 128 or more
// count as bone 0).
void Hlsl_BonePaletteOf(const ModelPose *pose, const u8 *bones, i32 count, Mat4 *out);
// The values the lit bone effect needs besides the palette, from the device's world, view
// and projection and the frame light: "mViewProj" (world x view x projection), "mToon"
// (the view's rotation x the toon texture matrix, for the camera-space normal the fixed
// toon stage uses), "vLightPos", "vLightDiffuse", "vLightAmbient".
struct HlslBoneValues {
  Mat4 worldViewProj, toon;
  f32 lightPos[4], lightDiffuse[4], lightAmbient[4];
};
void Hlsl_BoneValues(const f32 world[16], const f32 view[16], const f32 proj[16], HlslBoneValues *out);
