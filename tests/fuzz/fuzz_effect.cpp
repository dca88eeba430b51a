// Fuzz target: the effect file parser and the runtime's setters and passes on a device that
// only records, over arbitrary .fx text.
#include <stdlib.h>
#include <string.h>

#include "lib/render/effect.h"

static bool Create(void *, bool, const char *, size_t, void **out, char *, size_t) {
  *out = malloc(1);
  return true;
}
static void Release(void *, void *s) { free(s); }
static void SetShader(void *, bool, void *) {}
static void SetConstants(void *, bool, i32 reg, const f32 *v, i32 n) {
  // Touch every value handed over, so a read past the pool shows.
  volatile f32 sink = 0;
  for (i32 i = 0; i < n * 4; i++) sink = sink + v[i];
  (void)reg;
}
static void SetTexture(void *, i32, void *) {}
static u32 GetState(void *, u16, u16, u32) { return 0; }
static void SetState(void *, u16, u16, u32, u32) {}

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  static const EffectDevice dev = {nullptr, Create, Release, SetShader, SetConstants, SetTexture, GetState, SetState};
  char err[EFFECT_ERROR_SIZE];
  Effect *e = Effect_CreateFromMemory(&dev, (const char *)data, size, "fuzz.fx", err, sizeof err);
  if (!e) return 0;
  Mat4 m[300];
  memset(m, 0, sizeof m);
  f32 v[4] = {1, 2, 3, 4};
  for (i32 i = 0; i < e->desc.paramCount; i++) {
    const char *name = e->desc.params[i].name;
    Effect_SetMatrixArray(e, name, m, 300);
    Effect_SetMatrix(e, name, &m[0]);
    Effect_SetVector(e, name, v);
    Effect_SetFloat(e, name, 1.0f);
    Effect_SetBool(e, name, true);
    Effect_SetTexture(e, name, e);
  }
  for (i32 t = 0; t < e->desc.techniqueCount; t++) {
    Effect_SetTechnique(e, e->desc.techniques[t].name);
    u32 passes = Effect_Begin(e);
    for (u32 p = 0; p <= passes; p++) Effect_Pass(e, p);
    Effect_End(e);
  }
  Effect_Release(e);
  return 0;
}
