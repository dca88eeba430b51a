// Effect slots of the library: lazy creation, one error box per attempt, release before a
// device reset.
#include "lib/render/hlsl.h"

#include <math.h>
#include <string.h>

#include "lib/draw/camera.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/render/frame.h"
#include "model/model3.h"
#include "model/object.h"
#include "model/seam_log.h"
#include "model/seam_timer.h"
#include "model/str.h"

HlslState g_Hlsl;

static const char *const kEffectFiles[HLSL_FX_COUNT] = {
    "System/HLSL_3D.fx", "System/HLSL_2D.fx", "System/Bone.fx", "Bump/Bump.fx", "BumpGround/BumpGround.fx",
};

void Hlsl_Init(void) {
  for (HlslEffectSlot &s : g_Hlsl.slots) s.needsLoad = 1;
}

void Hlsl_ReleaseEffects(void) {
  for (HlslEffectSlot &s : g_Hlsl.slots) {
    Effect_Release(s.effect);
    s.effect = nullptr;
    s.needsLoad = 1;
  }
}

// The effect files live in the data folder itself: its path is used as it stands, so a data
// folder found anywhere (not only "<root>\Data") works for every effect.
void Hlsl_EffectPath(i32 slot, char *out, size_t size) {
  if (slot < 0 || slot >= HLSL_FX_COUNT) {
    Str_Copy(out, size, "");
    return;
  }
  Str_Format(out, size, "%s/%s", g_Lib.dataDir, kEffectFiles[slot]);
}

Effect *Hlsl_GetEffect(i32 slot) {
  if (slot < 0 || slot >= HLSL_FX_COUNT) return nullptr;
  HlslEffectSlot *s = &g_Hlsl.slots[slot];
  if (!s->needsLoad) return s->effect;
  s->needsLoad = 0;  // cleared first: a failed load is not retried until the next reset
  if (!g_Hlsl.device) return nullptr;
  char path[LIB_TEXT_SIZE + 64];
  Hlsl_EffectPath(slot, path, sizeof path);
  char err[EFFECT_ERROR_SIZE] = {};
  s->effect = Effect_CreateFromFile(g_Hlsl.device, path, err, sizeof err);
  if (!s->effect) {
    Log_Printf("%s", err[0] ? err : path);
    if (g_Hlsl.messageBox) g_Hlsl.messageBox(err[0] ? err : path, "ERROR");
    Timer_Reset();
  }
  return s->effect;
}

Effect *Hlsl_PeekEffect(i32 slot) {
  if (slot < 0 || slot >= HLSL_FX_COUNT) return nullptr;
  return g_Hlsl.slots[slot].needsLoad ? nullptr : g_Hlsl.slots[slot].effect;
}

// [SECTION] shader frame arithmetic

void Hlsl_PerspectiveLH(Mat4 *out, f32 w, f32 h, f32 zn, f32 zf) {
  memset(out, 0, sizeof *out);
  out->m[0][0] = 2.0f * zn / w;
  out->m[1][1] = 2.0f * zn / h;
  out->m[2][2] = zf / (zf - zn);
  out->m[2][3] = 1.0f;
  out->m[3][2] = -zn * zf / (zf - zn);
}

bool Hlsl_FrameValues(HlslFrameValues *v) {
  const KZL::OBJECT *o0 = g_SceneObjects[0];
  if (!o0) return false;
  Mat_Identity(&v->world);
  Cam_BuildLookAtLH(v->view.f, g_Camera.eye, g_Camera.target, g_Camera.up);
  Cam_BuildPerspectiveFovLH(v->projection.f, 0.785f, 1.333f, 1.0f, 65000.0f);
  Mat_Multiply(&v->wview, v->world, v->view);
  Mat_Multiply(&v->wvproj, v->wview, v->projection);
  const f32 eye[3] = {o0->pos[0] - 25.0f, o0->pos[1] + 50.0f, o0->pos[2] - 25.0f};
  const f32 up[3] = {0.0f, 1.0f, 0.0f};
  Mat4 lightView, lightProj;
  Cam_BuildLookAtLH(lightView.f, eye, o0->pos, up);
  Hlsl_PerspectiveLH(&lightProj, 4.0f, 4.0f, 1.0f, 65000.0f);
  Mat_Multiply(&v->lightVProj, lightView, lightProj);
  const f32 d[3] = {-0.25f, 0.5f, -0.25f};
  f32 len = sqrtf(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  for (int i = 0; i < 3; i++) v->lightDir[i] = d[i] / len;
  v->lightDir[3] = 0.0f;
  const f32 ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  memcpy(v->ambient, ambient, sizeof ambient);
  // The light of the shadow map is plain white.
  for (f32 &c : v->lightColor) c = 1.0f;
  return true;
}

// [SECTION] bone render mode

static void PaletteEntry(const ModelPose *pose, i32 b, Mat4 *out) {
  // The rest origin is where the rest matrix takes the bone's own origin.
  Mat4 toOrigin;
  Mat_Translation(&toOrigin, -pose->rest[b].m[3][0], -pose->rest[b].m[3][1], -pose->rest[b].m[3][2]);
  Mat_Multiply(out, toOrigin, pose->posed[b]);
}

void Hlsl_BonePaletteOf(const ModelPose *pose, const u8 *bones, i32 count, Mat4 *out) {
  for (i32 i = 0; i < count; i++) PaletteEntry(pose, bones[i] < MODEL3_BONES ? bones[i] : 0, &out[i]);
}

void Hlsl_BoneValues(const f32 world[16], const f32 view[16], const f32 proj[16], HlslBoneValues *out) {
  Mat4 w, v, p, wv;
  memcpy(w.f, world, sizeof w.f);
  memcpy(v.f, view, sizeof v.f);
  memcpy(p.f, proj, sizeof p.f);
  Mat_Multiply(&wv, w, v);
  Mat_Multiply(&out->worldViewProj, wv, p);
  // Normals turn with the view's rotation only; the toon matrix then maps them to (u, v).
  Mat4 rot = v, toon;
  rot.m[3][0] = rot.m[3][1] = rot.m[3][2] = 0.0f;
  Render_ToonMatrix(toon.f, g_Camera.light.vector);
  Mat_Multiply(&out->toon, rot, toon);
  for (int i = 0; i < 3; i++) {
    out->lightPos[i] = g_Camera.light.vector[i];
    out->lightDiffuse[i] = g_Camera.light.diffuse[i];
    out->lightAmbient[i] = g_Lib.ambient[i];
  }
  out->lightPos[3] = 1.0f;
  out->lightDiffuse[3] = 1.0f;
  out->lightAmbient[3] = 0.0f;
}

i32 Hlsl_BonePalette(const ModelPose *pose, i32 boneCount, Mat4 *out) {
  if (boneCount < 1) boneCount = 1;  // bone 0 always has matrices
  if (boneCount > HLSL_BONE_PALETTE) boneCount = HLSL_BONE_PALETTE;
  for (i32 b = 0; b < boneCount; b++) PaletteEntry(pose, b, &out[b]);
  return boneCount;
}
