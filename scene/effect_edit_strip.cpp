// The effect strip's source: the emitters of document 0 as the strip paints them (labels,
// key frames) and the current frame. The family creates no window for the strip, so it is
// painted only where a window has been registered for it.
#include "app/strip.h"
#include "app/strip_state.h"
#include "model/types.h"
#include "scene/effect_edit.h"
#include "scene/movie.h"

static const ParticleEmitter *StripEmitter(i32 i) {
  const EffectDoc *d = g_ParticleEdit.docs[0];
  if (!d || i < 0 || i >= PARTICLE_EMITTERS || i >= d->emitterCount) return nullptr;
  return &d->emitters[i];
}

static i32 StripEmitterCount(void) {
  const EffectDoc *d = g_ParticleEdit.docs[0];
  if (!d) return 0;
  return d->emitterCount < 0 ? 0 : d->emitterCount > PARTICLE_EMITTERS ? PARTICLE_EMITTERS : d->emitterCount;
}

static void StripEmitterLabel(i32 i, char *out, u32 n) {
  const ParticleEmitter *em = StripEmitter(i);
  if (n) Str_Copy(out, n, em ? em->name : "");
}

static i32 StripKeyCount(i32 i) {
  const ParticleEmitter *em = StripEmitter(i);
  if (!em) return 0;
  return em->keyCount < 0 ? 0 : em->keyCount > PARTICLE_KEYS ? PARTICLE_KEYS : em->keyCount;
}

static i32 StripKeyFrame(i32 i, i32 k) {
  const ParticleEmitter *em = StripEmitter(i);
  return em && k >= 0 && k < StripKeyCount(i) ? em->keys[k].frame : 0;
}

static i32 StripCurrentFrame(void) { return g_MovieScene.frame; }

void Particle_InstallStripSource(void) {
  StripEffectSource &s = g_Strip.g_StripEffect;
  s.emitterCount = StripEmitterCount;
  s.emitterLabel = StripEmitterLabel;
  s.keyCount = StripKeyCount;
  s.keyFrame = StripKeyFrame;
  s.currentFrame = StripCurrentFrame;
}
