// The effect editor: the effect document and its key segment, the wheel's key steps, the key
// drag, the explosion preview, the family's entry and exit and the dialog's slider actions.
// Owns g_ParticleEdit.docs and g_ParticleEdit.
#include "scene/effect_edit.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "app/widget.h"
#include "lib/draw/draw.h"
#include "lib/draw/text.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/media/filename.h"
#include "scene/movie_state.h"
#include "model/model3.h"
#include "model/str.h"
#include "scene/movie.h"

const u32 g_KzeVersion = 2003000;

ParticleEditor g_ParticleEdit;

static const char kParticleImage[] = "爆発.png";

// [SECTION] Document

bool Effect_InitDocument(i32 n) {
  if (n < 0 || n >= PARTICLE_DOCS) return false;
  if (!g_ParticleEdit.docs[n]) g_ParticleEdit.docs[n] = (EffectDoc *)calloc(1, sizeof(EffectDoc));
  EffectDoc *d = g_ParticleEdit.docs[n];
  if (!d) return false;
  d->version = g_KzeVersion;
  Str_Copy(d->name, sizeof d->name, "新規.KZE");
  d->emitterCount = 1;
  d->frameCount = 180;
  d->emitters[0].kind[0] = 0;
  d->emitters[0].kind[1] = 4;
  for (i32 i = 0; i < d->emitterCount; i++) {
    ParticleEmitter &em = d->emitters[i];
    em.flags[0] = em.flags[1] = em.flags[2] = 1;
    em.keyCount = 1;
    em.keys[0].frame = 0;
  }
  return true;
}

void Particle_FreeDocuments(void) {
  for (EffectDoc *&d : g_ParticleEdit.docs) {
    free(d);
    d = nullptr;
  }
}


void Effect_NewDocument(u32 layout) {
  ParticleEditor &e = g_ParticleEdit;
  Effect_InitDocument(0);
  e.mode = PARTICLE_MODE_MOVE;
  e.scale = 2.0f;
  e.scale2 = 3.9f;
  e.viewPair[0] = 150;
  e.viewPair[1] = 84;
  g_Shell.g_PerspAngleX = g_Shell.g_PerspAngleY = 0.0f;
  g_Shell.g_PerspOffset[0] = g_Shell.g_PerspOffset[1] = 0.0f;
  g_Shell.g_PerspOffset[2] = -15.0f;
  App_MarkAllRedraw(layout);
}

// The emitter the wheel and the drag work on; null when the document or emitter is missing.
static ParticleEmitter *CurrentEmitter(void) {
  EffectDoc *d = g_ParticleEdit.docs[0];
  i32 i = g_ParticleEdit.curEmitter;
  if (!d || i < 0 || i >= PARTICLE_EMITTERS) return nullptr;
  return &d->emitters[i];
}

// The stored count bounded to the key array (a count of 0 means no key at all).
static i32 KeyCount(const ParticleEmitter *em) {
  i32 n = em->keyCount;
  return n < 0 ? 0 : n > PARTICLE_KEYS ? PARTICLE_KEYS : n;
}

void Effect_FindCurrentKeys(void) {
  EffectDoc *d = g_ParticleEdit.docs[0];
  if (!d) return;
  ParticleEmitter &em = d->emitters[0];
  i32 n = KeyCount(&em), f = g_MovieScene.frame;
  // Without keys there is no segment: index -1 would read before the key array.
  if (n == 0) return;
  i32 cur = n - 1, next = n - 1;
  for (i32 i = 0; i + 1 < n; i++) {
    if (em.keys[i].frame <= f && f < em.keys[i + 1].frame) {
      cur = i;
      next = i + 1;
      break;
    }
  }
  em.curKey = cur;
  em.nextKey = next;
  i32 f0 = em.keys[cur].frame, f1 = em.keys[next].frame;
  em.fraction = f0 == f1 ? 0.0f : (f32)(f - f0) / (f32)(f1 - f0);
}

i32 Effect_PrevKeyFrame(i32 f) {
  const ParticleEmitter *em = CurrentEmitter();
  if (!em) return 0;
  for (i32 i = KeyCount(em) - 1; i >= 0; i--)
    if (em->keys[i].frame < f) return em->keys[i].frame;
  return 0;
}

i32 Effect_NextKeyFrame(i32 f) {
  const ParticleEmitter *em = CurrentEmitter();
  if (!em) return f;
  i32 n = KeyCount(em);
  for (i32 i = 0; i < n; i++)
    if (em->keys[i].frame > f) return em->keys[i].frame;
  return f;
}

void Particle_WheelKey(const HookCtx *c) {
  i32 step = c->step;
  g_MovieScene.frame = step < 0 ? Effect_PrevKeyFrame(g_MovieScene.frame) : Effect_NextKeyFrame(g_MovieScene.frame);
  Effect_FindCurrentKeys();
  g_ParticleEdit.refresh = 1;
  App_MarkAllRedraw(c->layout);
}

// [SECTION] Key drag

static bool OnlyLeftButton(void) {
  return Shell_ButtonHeld(BUTTON_LEFT) && !Shell_ButtonHeld(BUTTON_MIDDLE) && !Shell_ButtonHeld(BUTTON_RIGHT);
}

// The key of the emitter at the current frame; the last of equal frames; -1 when none.
static i32 KeyAtCurrentFrame(const ParticleEmitter *em) {
  i32 found = -1;
  for (i32 i = 0; i < KeyCount(em); i++)
    if (em->keys[i].frame == g_MovieScene.frame) found = i;
  return found;
}

// Turns key k of movie object n by the mouse movement; axes by the current view's kind.
// Nothing happens when that object or key does not exist.
static void TurnMovieKey(const ViewRecord *v, i32 n, i32 k, f32 dx, f32 dy) {
  if (n < 0 || n >= MOVIE_MAX_OBJECTS || !g_Movie.objects[n]) return;
  MovieObject *o = g_Movie.objects[n];
  if (k < 0 || k >= o->keyCount || k >= MOVIE_MAX_KEYS) return;
  f32 *a = o->keys[k].angles;
  const f32 s = 0.025f;
  switch (v ? v->kind : 0) {
    case 0: a[0] += (dx + dy) * s; a[1] += (dx + dy) * s; a[2] += (dx + dy) * s; break;
    case 1: a[0] += dx * s; a[1] += -dy * s; break;
    case 2: a[0] += dx * s; a[2] += -dy * s; break;
    case 3: a[1] += -dy * s; a[2] += dx * s; break;
    default: break;
  }
}

void Effect_MouseMove(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  if (!OnlyLeftButton()) return;
  ParticleEmitter *em = CurrentEmitter();
  i32 k = em ? KeyAtCurrentFrame(em) : -1;
  if (k >= 0) {
    const DragAnchor &a = c->mouse->g_MotionDragAnchor;
    f32 dx = (f32)(x - a.x), dy = (f32)(y - a.y);
    if (g_ParticleEdit.mode == PARTICLE_MODE_MOVE) {
      em->keys[k].x += dx;
      em->keys[k].y += dy;
    } else if (g_ParticleEdit.mode == PARTICLE_MODE_ROTATE) {
      TurnMovieKey(c->view, g_ParticleEdit.curEmitter, k, dx, dy);
    }
  }
  DragAnchors_SetAC(c->mouse, x, y);
  App_MarkAllRedraw(c->layout);
}

// [SECTION] Preview

static i32 Random(void) {
  return g_ParticleEdit.random ? g_ParticleEdit.random() : rand();
}

bool Particle_Spawn(i32 radius, i32 delay) {
  ParticleSprite *p = nullptr;
  for (ParticleSprite &q : g_ParticleEdit.particles)
    if (!q.inUse) { p = &q; break; }
  if (!p) return false;
  i32 dx = 0, dy = 0;
  bool inside = false;
  // A source that never yields a point in the circle (radius 0 needs one pair of 76,800)
  // would hold the frame for ever: after the bound the particle sits at the centre.
  for (i32 t = 0; t < PARTICLE_SPAWN_TRIES && !inside; t++) {
    dx = Random() % 320 - 160;
    dy = Random() % 240 - 120;
    inside = dx * dx + dy * dy <= radius * radius;
  }
  if (!inside) dx = dy = 0;
  p->inUse = 1;
  p->counter = 0;
  p->delay = delay;
  p->x = (f32)(dx + 320 - 32);
  p->y = (f32)(dy + 240 - 32);
  p->alpha = 255.0f;
  return true;
}

void Particle_Restart(void) {
  ParticleEditor &e = g_ParticleEdit;
  memset(e.particles, 0, sizeof e.particles);
  for (i32 k = 0; k < e.explosionCount; k++) {
    i32 r = k < PARTICLE_MAX_RADIUS ? k : PARTICLE_MAX_RADIUS;
    if (!Particle_Spawn(r, (i32)(k * 0.04))) break;   // the rest find no free record either
  }
}

static void StepParticle(ParticleSprite &p) {
  if (!p.inUse) return;
  if (p.delay > 0) {
    p.delay--;
    return;
  }
  p.alpha -= 4.0f;
  if (!(p.alpha > 0.0f)) memset(&p, 0, sizeof p);
}

void Effect_Update(const HookCtx *c) {
  ParticleEditor &e = g_ParticleEdit;
  e.frameCounter++;
  e.fall -= 3.0f;
  if (e.frameCounter > e.frameCount) {
    e.frameCounter = 0;
    Particle_Restart();
  }
  for (ParticleSprite &p : e.particles) StepParticle(p);
  App_MarkAllRedraw(c->layout);
}

const char g_EffectNotice[] = "エフェクト編集モードは、現在開発中です。";
const char g_EffectVSyncHint[] = "オプション -> 垂直同期 -> ONにされないと、時の流れ(タイミング)が合いません。";

void Effect_Draw(const HookCtx *c) {
  // The screen's text and particles belong to the main view: the other view windows would
  // show a cut-off copy of them.
  if (!View_DrawingMain(c)) return;
  Text_Printf(EFFECT_NOTICE_X, EFFECT_NOTICE_Y, "%s", g_EffectNotice);
  if (!Lib_IsVSync())
    Text_Printf(EFFECT_HINT_X, EFFECT_HINT_Y, "%s", g_EffectVSyncHint);
  for (const ParticleSprite &p : g_ParticleEdit.particles) {
    if (!p.inUse || p.delay != 0) continue;
    Draw_SetNextQuadAdditive(1);
    Img_DrawColored(&g_ParticleEdit.image, (i32)p.x, (i32)p.y, 128, 128, 128, (i32)p.alpha);
  }
}

// [SECTION] Entry and exit

// The effect dialog along the desktop's bottom, made when it does not exist. Where 300
// pixels of it would reach above the explosion preview's bottom (a low desktop), it is only
// as high as its two sliders.
static void OpenDialog(void) {
  if (g_ParticleEdit.dialog) return;
  enum { DIALOG_W = 740, DIALOG_H = 300, LOW_DIALOG_H = 120, BOTTOM_GAP = 30, PREVIEW_BOTTOM = 542 };
  i32 w, h;
  Widget_PanelDesktopSize(&w, &h);
  i32 dh = h - BOTTOM_GAP - DIALOG_H < PREVIEW_BOTTOM ? LOW_DIALOG_H : DIALOG_H;
  g_ParticleEdit.dialog = Widget_CreatePanel(PARTICLE_PANEL, 0, h - BOTTOM_GAP - dh, DIALOG_W, dh);
}

void Effect_Enter(const HookCtx *c) {
  ParticleEditor &e = g_ParticleEdit;
  App_LoadFamilyMenu("MENU_KZE");
  g_Lib.runState = 5;
  ViewRecord *v = View_Get(c->layout, 0);
  v->panX = -160.0f;
  v->panY = -120.0f;
  Model3_FreeAllSlots();
  e.curEmitter = 0;
  Effect_NewDocument(c->layout);
  FileDlg_ChangeDir(g_Lib.dataDir);
  // The handle keeps its row: entering again reloads into it instead of taking a new one.
  Img_Load(&e.image, kParticleImage);
  e.frameCounter = 100;
  Particle_DialogInit();   // the dialog's start values, also without a dialog
  OpenDialog();
}

void Effect_Leave(const HookCtx *c) {
  g_Shell.g_Playing = 0;
  ParticleEditor &e = g_ParticleEdit;
  if (e.dialog) Widget_Destroy(e.dialog);
  e.dialog = nullptr;
}

// [SECTION] Effect dialog

void Particle_DialogInit(void) {
  g_ParticleEdit.frameCount = PARTICLE_FRAMES_MAX;
  g_ParticleEdit.explosionCount = PARTICLE_SPRITES;
  g_ParticleEdit.refresh = 1;
}

bool Particle_SliderChanged(i32 control, i32 pos) {
  if (control == IDC_EFFECT_FRAMES) g_ParticleEdit.frameCount = pos;
  else if (control == IDC_EFFECT_EXPLOSIONS) g_ParticleEdit.explosionCount = pos;
  else return false;
  g_ParticleEdit.refresh = 1;
  return true;
}

void Particle_LabelText(i32 control, char *out, size_t size) {
  if (!size) return;
  out[0] = 0;
  if (control == IDC_EFFECT_FRAMES_TEXT) Str_Format(out, size, "%d", g_ParticleEdit.frameCount);
  else if (control == IDC_EFFECT_EXPLOSIONS_TEXT) Str_Format(out, size, "%d", g_ParticleEdit.explosionCount);
}
