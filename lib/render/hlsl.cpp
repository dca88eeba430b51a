// Effect slots of the library: lazy creation, one error box per attempt, release before a
// device reset.
#include "lib/render/hlsl.h"

#include <string.h>

#include "lib/framework/lib.h"
#include "model/seam.h"

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
  Str_Format(out, size, "%s/%s", g_DataDir, kEffectFiles[slot]);
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
