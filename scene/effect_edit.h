// The effect editor (family 19): the effect documents (g_ParticleEdit.docs, 0 edited) whose
// emitter keys the mouse moves and the wheel steps through, and the explosion preview of up
// to 300 sprites of "爆発.png" tuned by the effect dialog's two sliders. No effect document is
// read from or written to a file.
//
// The family's hooks and the document keep the Effect_ names; the editor's own names take
// Particle_ (Effect_ in the library is the HLSL effect files).
//
// Owners: effect_edit.cpp owns g_ParticleEdit (only the family's hooks and the dialog's
// notifications change it) and makes the dialog through the widget seam
// (app/widget.h); effect_edit_win.cpp registers its template and procedure.
#pragma once
#include "app/hook_ctx.h"
#include "lib/draw/image.h"
#include "model/types.h"
#include "resources/effect_edit_ids.h"

enum {
  PARTICLE_DOCS = 4,            // document table; document 0 is the edited one
  PARTICLE_EMITTERS = 3,
  PARTICLE_KEYS = 16,           // keys per emitter
  PARTICLE_NAME_SIZE = 256,
  PARTICLE_SPRITES = 300,
  PARTICLE_MAX_RADIUS = 72,     // spawn radius of the later particles
  PARTICLE_SPAWN_TRIES = 10000, // random draws per particle before it settles at the centre
  PARTICLE_FRAMES_MAX = 180,    // frame-count slider range
};
extern const u32 g_KzeVersion;   // 2003000
// The screen text the family shows at the top left of its frame in the main view, and where:
// the notice always, the hint while vertical sync is off.
enum { EFFECT_NOTICE_X = 8, EFFECT_NOTICE_Y = 8, EFFECT_HINT_X = 10, EFFECT_HINT_Y = -32 };
extern const char g_EffectNotice[];
extern const char g_EffectVSyncHint[];

// One key: 18 four-byte fields; the first is the frame, the third and fourth the position.
struct ParticleKey {
  i32 frame;
  i32 field1;
  f32 x, y;
  i32 rest[14];
};
static_assert(sizeof(ParticleKey) == 72, "an effect key is 72 bytes");

struct ParticleEmitter {
  char name[PARTICLE_NAME_SIZE];
  i32 keyCount;                // 0..16
  ParticleKey keys[PARTICLE_KEYS];
  i32 kind[2];                 // 0 and 4 on creation (emitter 0)
  i32 flags[3];                // 1 on creation
  i32 curKey, nextKey;         // key segment at the current frame
  f32 fraction;                // 0..1 between curKey and nextKey
};

struct EffectDoc {
  ParticleEmitter emitters[PARTICLE_EMITTERS];
  u32 version;
  char name[PARTICLE_NAME_SIZE];
  i32 emitterCount;
  i32 frameCount;
};

struct ParticleSprite {
  u32 inUse;
  i32 counter;
  i32 delay;     // frames before it shows and starts to fade
  f32 x, y;      // screen position of the sprite's top-left corner
  f32 alpha;
};

enum { PARTICLE_MODE_MOVE = 0, PARTICLE_MODE_ROTATE = 2 };

// The family object.
struct ParticleEditor {
  i32 frameCounter;        // preview frame; the explosion restarts above frameCount
  f32 fall;                // falls by 3.0 each frame
  i32 frameCount;          // slider 116, 0..180
  i32 explosionCount;      // slider 113, 0..300
  i32 curEmitter;
  i32 mode;                // PARTICLE_MODE_*
  u8 refresh;              // the dialog's labels are out of date
  void *dialog;            // the effect dialog (platform handle), null when closed
  EffectDoc *docs[PARTICLE_DOCS];   // allocated zeroed by Effect_InitDocument
  f32 scale, scale2;       // the document's camera values (2.0 and 3.9)
  i32 viewPair[2];         // (150, 84)
  ParticleSprite particles[PARTICLE_SPRITES];
  ImageHandle image;       // "爆発.png": one row, reloaded on every entry
  i32 (*random)(void);     // the particles' random source (rand; seeded fakes in tests)
};

// The effect dialog's name with the widget seam (its template is IDD_EFFECT).
#define PARTICLE_PANEL "IDD_EFFECT"

extern ParticleEditor g_ParticleEdit;

// [SECTION] Document

// Allocates document n when absent (false when n is outside the table or memory runs out)
// and fills its trailer and emitters.
bool Effect_InitDocument(i32 n);
// Frees every document (tests and program end).
void Particle_FreeDocuments(void);
// Document 0 initialised, move mode, the camera values; the views of layout `layout` redrawn
// (the enter hook passes its context's).
void Effect_NewDocument(u32 layout);
// The key segment of emitter 0 of document 0 at g_MovieScene.frame.
void Effect_FindCurrentKeys(void);
// The largest key frame of the current emitter below f, or 0 when none.
i32 Effect_PrevKeyFrame(i32 f);
// The first key frame of the current emitter above f, or f when none.
i32 Effect_NextKeyFrame(i32 f);
// The wheel's step: g_MovieScene.frame to the previous (-1) or next key frame, then the segment
// again and the dialog refreshed.
void Particle_WheelKey(const HookCtx *c);

// [SECTION] Preview

// Spawns the first free particle with radius r and delay d; false when all are in use.
bool Particle_Spawn(i32 radius, i32 delay);
// Clears every particle and spawns the explosion again.
void Particle_Restart(void);
// Each frame: the counter, the restart, the particle steps, every view flagged.
FamilyHookFn Effect_Update, Effect_Draw;

// [SECTION] Family hooks
FamilyHookFn Effect_Enter, Effect_Leave, Effect_MouseMove;

// [SECTION] Effect dialog (template 107): the procedure hands its sliders here.
// The dialog's start: both counts to their full values (180, 300).
void Particle_DialogInit(void);
// A slider moved to position pos; true when it is one of the two.
bool Particle_SliderChanged(i32 control, i32 pos);
// The text of a "%d" label (119 or 122); empty for other controls.
void Particle_LabelText(i32 control, char *out, size_t size);

// [SECTION] Effect strip (effect_edit_strip.cpp)
// Fills the strip's source with the emitters of document 0 and the current frame (program
// start). The family makes no window for the strip.
void Particle_InstallStripSource(void);

// The effect dialog's registration with the widget seam (effect_edit_win.cpp, program start).
void Particle_InstallWin(void);
