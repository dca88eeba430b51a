// 2D object models: cut-out puppets of up to 32 images and 33 objects in a parent hierarchy,
// each object animated by its own keys. The model record, its 8 slots, the per-slot images
// and textures, key evaluation, the hierarchy's matrices and the quads the frame draws.
//
// g_Obj2Slots and g_Obj2SlotShown are changed by Obj2_Init/Release, the KZA reader
// (model/kza.h), the 2D editor and the movie; the matrix tables only by Obj2_BuildMatrices.
// Everything runs on the main thread.
#pragma once
#include "model/bone2.h"   // Motion2
#include "model/keytrack.h"
#include "model/math.h"
#include "model/types.h"

enum {
  OBJ2_SLOTS = 8,
  OBJ2_MAX_IMAGES = 32,
  OBJ2_MAX_OBJECTS = 33,
  OBJ2_MAX_MOTIONS = 100,
  OBJ2_TRACK_KEYS = 8,   // keys per track of a new model
};

// 48 bytes, also the stored form.
struct ObjKey2 {
  i32 frame;
  u32 shown;
  f32 x, y;
  f32 angle;   // degrees
  f32 scaleX, scaleY;
  i32 image;
  i32 r, g, b, a;   // 0..255
};

// The key track of one object and motion (see Bone2Track).
typedef Keys_Track<ObjKey2> Obj2Track;
inline bool Obj2Track_Reserve(Obj2Track *t, i32 n) { return KeysTrack_Reserve(t, n); }
// Inserts a key in frame order (replacing a key of the same frame), growing the track.
inline i32 Obj2Track_Insert(Obj2Track *t, const ObjKey2 *key) { return KeysTrack_Insert(t, key); }
inline void Obj2Track_Free(Obj2Track *t) { KeysTrack_Free(t); }

struct Obj2Part {
  u32 shown;
  f32 x, y;
  f32 angle;
  f32 scaleX, scaleY;
  i32 image;
  i32 r, g, b, a;
  Obj2Track *keys;  // keyTableLength (100) tracks, one per motion
  i32 keyIndex;
  f32 fraction;
  u32 expanded;     // editors' object list only
  u32 listed;
};

struct Obj2Model {
  i32 version;
  i32 imageCount;
  char imageNames[OBJ2_MAX_IMAGES][256];
  // Pivot of each image in pixels from its top-left corner. pivotX and pivotY together are
  // the 64-entry pivot table the file format addresses (x entries 0..31, y entries 32..63).
  i32 pivotX[OBJ2_MAX_IMAGES];
  i32 pivotY[OBJ2_MAX_IMAGES];
  i32 objectCount;
  i32 parents[OBJ2_MAX_OBJECTS];   // 0 = hangs from the root
  i32 firstChild[OBJ2_MAX_OBJECTS];   // editors' object tree only
  i32 nextSibling[OBJ2_MAX_OBJECTS];
  i32 spare[OBJ2_MAX_OBJECTS];
  char objectNames[OBJ2_MAX_OBJECTS][256];
  i32 motionCount;
  Motion2 motions[OBJ2_MAX_MOTIONS];
  i32 keyTableLength;   // 100
  Obj2Part parts[OBJ2_MAX_OBJECTS];
  i32 nameListCount;
  char nameList[100][32];
  i32 slot;
  u32 active;
  i32 currentFrame;
  char filePath[256];
  i32 currentMotion;
  f32 placeX, placeY;
  char imageFolder[256];   // what the image names are kept from (model/docref.h; not in the
                           // file): the model's folder once read or saved
};

struct Obj2Image {
  char name[256];
  u32 width, height;   // of the image file; 32 x 32 when it could not be loaded
};

extern Obj2Model *g_Obj2Slots[OBJ2_SLOTS];
extern u32 g_Obj2SlotShown[OBJ2_SLOTS];
extern Obj2Image *g_Obj2Images[OBJ2_SLOTS * OBJ2_MAX_IMAGES];
extern void *g_Obj2Textures[OBJ2_SLOTS * OBJ2_MAX_IMAGES];   // platform textures (seam handles)
// The 2D object facility's state besides its slot tables; changed only in model/obj2.cpp.
struct Obj2State {
  u32 creatingSlot;   // the slot whose shown flag Obj2_New sets
  i32 kzaVersion;     // of new models and of the KZA writer (2004050)
  i32 pixelCount;
  u32 *pixels;        // the image pixels Obj2_CopyImagePixels copied (pixelCount of them)
  Mat4 localMatrices[OBJ2_SLOTS][OBJ2_MAX_OBJECTS];   // written by Obj2_BuildMatrices
  Mat4 worldMatrices[OBJ2_SLOTS][OBJ2_MAX_OBJECTS];
};
extern Obj2State g_Obj2;

// Objects 0..count-1 of the fixed object table (0 for a missing model).
inline i32 Obj2_ObjectCount(const Obj2Model *m) {
  if (!m || m->objectCount <= 0) return 0;
  return m->objectCount < OBJ2_MAX_OBJECTS ? m->objectCount : OBJ2_MAX_OBJECTS;
}

// [SECTION] creation and release
Obj2Model *Obj2_New(void);   // also sets the shown flag of slot g_Obj2.creatingSlot
Obj2Model *Obj2_Init(i32 slot);
// A new model that touches no slot or shown flag (readers fill it, then store it).
Obj2Model *Obj2_NewDetached(void);
void Obj2_Release(i32 slot);   // clears the active flag; the record stays in the slot
void Obj2_FreeAll(void);
// Frees a model record and its key tracks (null is ignored); returns null.
Obj2Model *Obj2_Free(Obj2Model *m);
// Stores m into slot s, freeing the record it replaces unless another slot still holds it.
void Obj2_SetSlot(i32 s, Obj2Model *m);
bool Obj2_SetPosition(Obj2Model *m, f32 x, f32 y);

// Tracks of the motions in use (below motionCount) that have no keys yet get one new key
// (room for 8); a track of a motion not in use stays empty until then. False when memory ran
// out.
bool Obj2_FreshTracks(Obj2Model *m);
// The track of object o for motion `motion`; null when there is none.
Obj2Track *Obj2_Track(Obj2Model *m, i32 o, i32 motion);
void Obj2_SetNewKey(ObjKey2 *k);
// Entry n (0..63) of the pivot table; null outside it.
i32 *Obj2_PivotEntry(Obj2Model *m, i32 n);
// 0 when every parent is in 0..objectCount-1 and the chain of every object reaches the root;
// otherwise the first object whose parent is out of range or on a cycle.
i32 Obj2_FindBadParent(const Obj2Model *m);

// [SECTION] evaluation
void Obj2_UpdateAll(void);
void Obj2_UpdateKeyIndices(i32 slot);
void Obj2_EvalKey(i32 slot, i32 o, i32 k, f32 t);
void Obj2_BuildMatrices(void);
void Obj2_ChainMatrix(i32 slot, i32 o);

// [SECTION] drawing
struct Obj2Quad {
  i32 x[4], y[4];    // corners in screen pixels, in drawing order
  u8 r, g, b;
  u32 a;
  void *texture;
};
// The quad of object o of slot s from the current matrices; false when it is not drawn.
bool Obj2_BuildQuad(i32 s, i32 o, Obj2Quad *q);
// Obj2_DrawAll, the drawing of every shown model: lib/draw/draw.h.

// [SECTION] images
void Obj2_LoadImage(i32 s, i32 i, const char *path);
u32 Obj2_GetImageWidth(i32 s, i32 i);
u32 Obj2_GetImageHeight(i32 s, i32 i);
void Obj2_ResetImageSize(i32 s, i32 i);
void Obj2_CopyImagePixels(i32 s, i32 i);
u32 Obj2_GetPixel(i32 n);
// Resamples texture pixels (A8R8G8B8, texW x texH) into a copy of the recorded size w x h
// (red in the lowest byte); texels that land nowhere leave 0. Null when out of memory.
u32 *Obj2_ResamplePixels(const u32 *tex, i32 texW, i32 texH, i32 w, i32 h);
