// 2D one-skin bone models: the model record, its 32 slots, the rest and pose matrix tables,
// key evaluation and the per-frame skinning pass.
//
// g_Bone2Slots and g_Bone2SlotShown are changed by Bone2_Init/FreeSlot/FreeAll, the KZB reader
// (model/kzb.h) and the 2D editors; the matrix tables only by Bone2_BuildRestMatrices and
// Bone2_UpdatePoseMatrices. Everything runs on the main thread.
#pragma once
#include "model/keytrack.h"
#include "model/math.h"
#include "model/model3.h"
#include "model/types.h"

enum {
  BONE2_SLOTS = 32,
  BONE2_MAX_BONES = 128,
  BONE2_MAX_TEXTURES = 128,
  BONE2_MAX_GROUPS = 128,
  BONE2_MAX_MOTIONS = 100,
  BONE2_NAME_LIST = 100,
  BONE2_TRACK_KEYS = 16,   // keys per track of a model made with full arrays
};

// A motion record; shared with the 2D object model.
struct Motion2 {
  u32 used;
  u32 unused;
  char name[256];
  i32 length;   // frames
};

struct BoneKey2 {
  i32 frame;
  f32 x, y;
  f32 angle;    // degrees
  f32 scaleX, scaleY;
};

// The key track of one bone and motion: keys sorted by frame, at most one per frame; it grows
// past its capacity (Bone2Track_Reserve, and the Keys_* helpers of model/keytrack.h).
typedef Keys_Track<BoneKey2> Bone2Track;
inline bool Bone2Track_Reserve(Bone2Track *t, i32 n) { return KeysTrack_Reserve(t, n); }
// Inserts a key in frame order (replacing a key of the same frame), growing the track.
// Returns the key's index, or -1 when the track could not grow.
inline i32 Bone2Track_Insert(Bone2Track *t, const BoneKey2 *key) { return KeysTrack_Insert(t, key); }
inline void Bone2Track_Free(Bone2Track *t) { KeysTrack_Free(t); }

struct Bone2Point { f32 x, y; };
struct Bone2Colour { f32 r, g, b, a; };   // 0..255
struct Bone2UV { f32 u, v; };

struct Corner2 {
  u16 vertex;
  u16 colour;
  u16 uv;
};

// 36 bytes; the KZB file stores this image piecewise (see Polygon2_ToImage).
struct Polygon2 {
  u32 used;
  u8 cornerCount;   // 3 or 4 (1..4 while modelling)
  u8 pad0;
  Corner2 corners[4];
  u16 pad1;
  u32 group;
};
static_assert(sizeof(Polygon2) == 36, "Polygon2 is the 36-byte polygon image");

struct Texture2 {
  u32 used;
  char name[256];
  u32 width, height;   // of the loaded image; not stored in the file
};

struct Group2 {
  char name[256];
  i32 texture;
  f32 r, g, b, a;
  i32 shadeMode;     // 0 hidden .. 5 curved
  u8 mappingKind;
  f32 p[5];          // mapping parameters
};

struct Bone2 {
  char name[256];
  i32 parent;
  i32 firstChild;    // editors' bone list only
  i32 nextSibling;
  Bone2Track *keys;  // keyTableLength tracks, one per motion; null = none
  f32 pose[5];       // evaluated x, y, angle, scale x, scale y
  i32 keyIndex;
  f32 fraction;
  u32 expanded;
  u32 listed;
};

struct Bone2Model {
  i32 version;
  char name[256];
  u16 vertexCount;
  u16 colourCount;
  u16 uvCount;
  Bone2Point *positions;
  Bone2Colour *colours;
  Bone2UV *uvs;
  VertexBinding *bindings;
  i32 polygonCount;
  Polygon2 *polygons;
  i32 textureCount;
  Texture2 textures[BONE2_MAX_TEXTURES];
  i32 groupCount;
  Group2 groups[BONE2_MAX_GROUPS];
  f32 colour[4];
  i32 motionCount;
  Motion2 motions[BONE2_MAX_MOTIONS];
  i32 keyTableLength;
  i32 nameListCount;
  char nameList[BONE2_NAME_LIST][256];
  u32 soundChoice[20];
  i32 lightingFlag;
  i32 vertexColourFlag;
  i32 reservedWord;
  f32 reservedFloat;
  i32 boneCount;
  Bone2 bones[BONE2_MAX_BONES];
  BoneKey2 rest[BONE2_MAX_BONES];
  i32 slot;
  f32 workPoint[BONE2_MAX_BONES][3];
  i32 workCount[BONE2_MAX_BONES];
  Bone2Point *skinned;
  i32 displayMode;   // 2 plain, 3 weight colouring
  i32 currentFrame;
  f32 playTime;
  i32 currentMotion;
  f32 placeX, placeY, placeAngle, placeScaleX, placeScaleY;
  // Room of the arrays above (entries): full models have g_MaxVertices / g_MaxPolygons,
  // reader-made ones exactly what the file held (at least 1).
  i32 vertexCapacity;
  i32 colourCapacity;
  i32 uvCapacity;
  i32 polygonCapacity;
  char textureFolder[256];   // what the texture names are kept from (model/docref.h; not in
                             // the file): the model's folder once read or saved
};

extern Bone2Model *g_Bone2Slots[BONE2_SLOTS];
extern u32 g_Bone2SlotShown[BONE2_SLOTS];
// The 2D bone facility's state besides its slot tables; changed only in model/bone2.cpp.
struct Bone2State {
  i32 kzbVersion;   // of new models and of the KZB writer (2004000)
  Mat4 restMatrices[BONE2_SLOTS][BONE2_MAX_BONES];
  Mat4 poseMatrices[BONE2_SLOTS][BONE2_MAX_BONES];
  // Counts changes of any model's skin, bones, rest entries or keys (Bone2_ModelChanged): the
  // per-frame pass redoes a slot when it moved since the slot was last done.
  u32 revision;
};
extern Bone2State g_Bone2;

// [SECTION] clamped counts: the entries an array really holds (Model3_ClampCount: the count
// clamped to 0..capacity, 0 when the array or the model is missing).
inline i32 Bone2_VertexCount(const Bone2Model *m) { return Model3_ClampCount(m->vertexCount, m->vertexCapacity, m->positions); }
inline i32 Bone2_ColourCount(const Bone2Model *m) { return Model3_ClampCount(m->colourCount, m->colourCapacity, m->colours); }
inline i32 Bone2_UVCount(const Bone2Model *m) { return Model3_ClampCount(m->uvCount, m->uvCapacity, m->uvs); }
inline i32 Bone2_PolygonCount(const Bone2Model *m) { return Model3_ClampCount(m->polygonCount, m->polygonCapacity, m->polygons); }
inline i32 Bone2_BoneCount(const Bone2Model *m) {
  if (!m || m->boneCount <= 0) return 0;
  return m->boneCount < BONE2_MAX_BONES ? m->boneCount : BONE2_MAX_BONES;
}

// [SECTION] creation and release
Bone2Model *Bone2_New(void);          // consumes g_ModelAllocArrays
Bone2Model *Bone2_Init(i32 slot);     // null for a slot outside 0..31
Bone2Model *Bone2_Free(Bone2Model *m);   // returns null
void Bone2_FreeSlot(i32 slot);
void Bone2_FreeAll(void);
bool Bone2_SetPosition(Bone2Model *m, f32 x, f32 y);
bool Bone2_SetAngle(Bone2Model *m, f32 angle);
bool Bone2_SetScale(Bone2Model *m, f32 sx, f32 sy);

// Vertices from..to-1 coming into use get the binding of a new vertex (automatic, first bone).
void Bone2_FreshBindings(Bone2Model *m, i32 from, i32 to);
// Tracks of the motions in use (below motionCount) that have no keys yet get the identity key
// at frame 0 (room for 16); a track of a motion not in use stays empty until then and
// evaluates as the identity. False when memory ran out.
bool Bone2_FreshTracks(Bone2Model *m);

// The track of bone b for motion `motion`; null when the model has none.
Bone2Track *Bone2_Track(Bone2Model *m, i32 bone, i32 motion);
// Makes room for `count` keys in bone b's track of `motion` (growing the table when needed).
bool Bone2_ReserveKeys(Bone2Model *m, i32 bone, i32 motion, i32 count);

// [SECTION] evaluation
// The key segment of a track at `frame` (keys of `stride` bytes, each starting with its i32
// frame): the last key at or before the frame and the fraction towards the next; after the
// last key the segment runs round the motion's end to the first. Fewer than 2 keys give 0, 0.
// *index keeps its value when no key qualifies.
void Key2_FindSegment(const void *keys, size_t stride, i32 count, i32 frame, i32 length, i32 *index, f32 *fraction);
void Bone2_UpdateKeyIndices(i32 slot);
void Bone2_EvalKey(i32 slot, i32 bone, i32 k, f32 t);
void Bone2_BuildRestMatrices(void);
void Bone2_UpdatePoseMatrices(void);
// Both tables of one slot (nothing for an empty slot).
void Bone2_BuildSlotMatrices(i32 slot);
// While non-zero Bone2_SkinAll does nothing (the library pauses it while the frame's output
// is off, Text_SetSuppressed).
extern u32 g_Bone2SkinPaused;
// The per-frame pass over every shown slot, redoing only what changed since the slot was last
// done: nothing while the model, its frame and motion and the revision (Bone2_ModelChanged)
// are the same; else its pose and rest matrices, then the whole skin after a change of the
// revision, the model, its vertex or bone count, or only the vertices of the bones whose pose
// matrix or rest origin moved (playback).
void Bone2_SkinAll(void);
// Whoever changes a model's skin, bones, rest entries or keys outside the editors' edits
// (which the shell reports, app/update.cpp) says so here; new and freed models count.
void Bone2_ModelChanged(void);
void Bone2_TransformByPose(f32 out[3], i32 slot, i32 bone, f32 x, f32 y, f32 z);
void Bone2_TransformByRest(f32 out[3], i32 slot, i32 bone, f32 x, f32 y, f32 z);
// The skinning of one slot, every vertex (no suppression test, matrices as they are):
// (position - the bone's rest origin) through the bone's pose matrix, the two bones blended
// by the first one's weight when it lies strictly between 0 and 1.
void Bone2_SkinSlot(i32 slot);

// The 36-byte polygon image the file format is built from.
void Polygon2_ToImage(const Polygon2 *p, u8 image[36]);
