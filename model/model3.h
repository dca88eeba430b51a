// The 3D polygon model (`Model3`), its records, the 256 model slots and their pose records.
//
// Globals owned here (defined in model/model3.cpp):
//   g_Model3Slots[256]  the model of each slot (null = empty); changed only through Model3_*,
//                       the readers and importers (which put a finished model into a slot)
//   g_ModelPoses[256]   the pose record beside each slot created by Model3_Init
//   g_ModelAllocArrays  one-shot flag: set it to 1 right before Model3_New / Model3_Init when
//                       the model needs its full arrays; the next Model3_New clears it
//   g_MaxPolygons / g_MaxVertices  capacities of every model's arrays (set by the library at
//                       start-up; 65000 / 260000 by default)
//   g_KzpVersion        version of new models and of the KZP writer (2006000)
//   g_Model3Edited      1 while models are edited (set by the application at start-up)
//
// A model made while g_ModelAllocArrays is 0 has null arrays and bones without key tables;
// it is a copy target (Model3_Copy grows what it needs) or a reader target.
#pragma once
#include "model/keytrack.h"
#include "model/math.h"
#include "model/types.h"

enum {
  MODEL3_SLOTS = 256,
  MODEL3_TEXTURES = 128,
  MODEL3_GROUPS = 128,
  MODEL3_MOTIONS = 100,
  MODEL3_BONES = 128,
  MODEL3_TRACK_KEYS = 16,   // keys per bone track as created (tracks grow beyond it)
  MODEL3_GROUP_KEYS = 16,   // keys per group key list (fixed)
  MODEL3_SOUNDS = 100,
  MODEL3_NAME = 256,
  MODEL3_KEY_SOUNDS = 16,
};

struct Vec2 { f32 u, v; };
struct Vec3 { f32 x, y, z; };
struct Color4 { f32 r, g, b, a; };   // 0..255 each

struct VertexBinding {
  u16 bone1;       // first bone
  u16 bone2;       // second bone
  f32 weight;      // weight of the first bone; the second has 1 - weight
  u32 automatic;   // 1 = Model3_AutoBindVertices rebinds this vertex to the nearest bone
};

struct PolyCorner {
  u32 vertex;   // index into positions (and bindings)
  u32 normal;   // index into normals
  u32 color;    // index into colors
  u32 uv;       // index into uvs
};

struct Polygon3 {
  u8 cornerCount;          // 3 or 4 (1..4 while modelling)
  PolyCorner corners[4];   // the fourth is ignored in triangles
  u32 group;
  Vec3 faceNormal;         // written by Model3_CalcNormals
};

struct Model3Texture {
  u32 used;     // 1 = a file is assigned
  char *name;   // heap, owned; never null in a model made by Model3_New
  i32 width;    // image size, stored when the texture is loaded
  i32 height;
};

struct Group3 {
  char name[MODEL3_NAME];   // "グループ %d"
  u32 texture;              // texture entry; 0 = none
  f32 r, g, b, a;           // 200, 200, 200, 255
  u32 shading;              // 0 hidden, 1 points, 2 wireframe, 3 flat, 4 Gouraud, 5 curved
  u8 mapping;               // 0 front, 1 top, 2 side, 3 cylinder, 4 sphere, 5 per face, 10 by hand
  f32 offsetU, offsetV;     // 0, 0
  f32 scaleU, scaleV;       // 1, 1
  u32 word0;                // 0; stored, copied, read and written as it is
  u32 word1;                // 4; likewise
  u32 mirror;               // "鏡面"
  u32 specular;             // "スペキュラー"
  u32 specR, specG, specB;  // 64 each
};

struct GroupKey3 {
  u32 frame;
  u16 word;      // 0
  u16 texture;   // replaces the group's texture while this key is current
  f32 values[4]; // 1.0 each
};

struct GroupKeyList3 {
  GroupKey3 keys[MODEL3_GROUP_KEYS];
  i32 count;
  i32 keyIndex;     // current key (Model3_UpdateKeyIndices)
  f32 keyFraction;  // fraction towards the next key
  u32 last;         // cleared on creation
};

struct Motion3 {
  u32 used;                                // 1 = the motion exists
  GroupKeyList3 *groupKeys[MODEL3_GROUPS];  // owned, one per group; null until needed
  u32 word;
  char name[MODEL3_NAME];
  i32 length;                              // frames (60)
};

struct Bone3 {
  char name[MODEL3_NAME];
  i32 parent;        // 0 = the root bone
  i32 firstChild;    // 0 = none; rebuilt from the parents by the editors
  i32 nextSibling;   // 0 = none
  KeyTrack *keys;    // owned table of keyTableLength tracks (one per motion), or null
  f32 local[3];      // evaluated local position
  f32 world[3];      // evaluated world position
  f32 quat[4];       // evaluated rotation x, y, z, w
  f32 scale[3];      // evaluated scale
  i32 keyIndex;      // current key (Model3_UpdateKeyIndices)
  f32 keyFraction;
  u32 expanded;      // tree-list row states of the editors
  u32 listed;
};

// Document and run-time state. The document is what the KZP file holds and what an undo
// step snapshots: version, fileName, the position / normal / colour / UV arrays with their
// counts, bindings, polygons, textures (names and sizes), dispTexture, dispScale, groups,
// refineLevel, color, motions with the bones' key tables (keyTableLength), sounds,
// keySounds, lighting, vertexColorMode, immediate, normalOffset, autoNormals, boneCount,
// boneRest, bones, kzmWords, shadowKind, shadow, renderMode.
// Derived (rebuilt from the document, never snapshotted): posed, vertexNormals,
// boneCentres / boneCentreCounts, bboxMin / bboxMax, changed, normalUpdate, poseUpdate.
// Run-time (the editors' and the player's state): textureFolder, soundFolder, slot, shown, shadowMode, displayMode,
// displayState, frame, frameFraction, motion, motionEnded; the cap* fields are allocation
// bookkeeping that follows the arrays.
struct Model3 {
  u32 version;         // format version read from or last written with
  char *fileName;      // heap, owned ("新規.KZP")
  i32 positionCount;
  i32 normalCount;
  i32 colorCount;
  i32 uvCount;
  Vec3 *positions;     // capacities: g_MaxVertices when allocated, else what a copy/reader sized
  Vec3 *normals;
  Color4 *colors;
  Vec2 *uvs;
  VertexBinding *bindings;   // one per position
  i32 polygonCount;
  Polygon3 *polygons;
  i16 textureCount;          // entry 0 stands for no texture
  Model3Texture textures[MODEL3_TEXTURES];
  i16 dispTexture;           // displacement texture entry; 0 = none
  f32 dispScale;
  i32 groupCount;
  Group3 groups[MODEL3_GROUPS];
  i16 refineLevel;           // "分割数"
  f32 color[4];              // model colour multiplier r, g, b, a (0..255)
  i32 motionCount;
  Motion3 motions[MODEL3_MOTIONS];
  i32 keyTableLength;        // tracks in each bone's key table
  i32 soundCount;
  char sounds[MODEL3_SOUNDS][MODEL3_NAME];   // entry 0 "なし", never loaded
  i32 keySounds[MODEL3_KEY_SOUNDS];          // sound number per key index (editors)
  u32 lighting;
  u32 vertexColorMode;
  u32 immediate;             // edge switch
  f32 normalOffset;          // edge hull push = normalOffset * 0.05
  u32 autoNormals;           // editors' automatic-normals toggle
  i32 boneCount;
  BoneKey3 boneRest[MODEL3_BONES];   // rest offset, quaternion, scale per bone (frame unused)
  Bone3 bones[MODEL3_BONES];
  i32 kzmWords[3];           // three words only the KZM format reads and writes
  u32 shadowKind;
  f32 shadow[5];             // height, then four values (the last three the direction)
  u32 shadowMode;            // the preview's shadow mode (0, 2 or 3)
  char textureFolder[MODEL3_NAME];   // what the texture names are kept from (model/docref.h):
                                     // the model file's folder once read or saved, else the
                                     // first chosen image's
  char soundFolder[MODEL3_NAME];     // the same for the sound names (the KZM file's folder)
  i32 slot;
  u8 shown;
  u32 normalUpdate;          // 1 = vertex normals recomputed after deforming
  u32 renderMode;            // 0..7, see Model3_SetRenderMode
  u32 changed;               // 1 = derived render data must be rebuilt
  u32 poseUpdate;            // 1 = the per-frame pass deforms this model
  f32 boneCentres[MODEL3_BONES][3];   // work area of Model3_AutoBindVertices
  i32 boneCentreCounts[MODEL3_BONES];
  Vec3 *posed;               // deformed positions, one per position
  Vec3 *vertexNormals;       // averaged normal per position
  u32 displayMode;           // 0 points, 1 wire, 2 solid, 3 solid with bone colouring
  u32 displayState;          // editors: 3 editing, 2 playing, 4/0 toggled by F8
  f32 bboxMin[3];            // written by the fit command
  f32 bboxMax[3];
  i32 frame;                 // current frame
  f32 frameFraction;
  i32 motion;                // current motion
  u8 motionEnded;
  // Allocated room of the arrays above (elements); the arrays never hold more than this.
  i32 capPositions;   // positions, bindings, posed, vertexNormals
  i32 capNormals;
  i32 capColors;
  i32 capUVs;
  i32 capPolygons;
};

// Per-slot pose and device resources; handles are opaque and released through g_Seam.
struct ModelPose {
  Mat4 posed[MODEL3_BONES];
  Mat4 rest[MODEL3_BONES];
  Mat4 accumRot[MODEL3_BONES];
  Quat accumQuat[MODEL3_BONES];
  void *vertexBuffers[MODEL3_GROUPS];
  void *indexBuffers[MODEL3_GROUPS];
  i32 primCounts[MODEL3_GROUPS];
  void *textures[MODEL3_TEXTURES];
};

extern Model3 *g_Model3Slots[MODEL3_SLOTS];
extern ModelPose *g_ModelPoses[MODEL3_SLOTS];
extern u32 g_ModelAllocArrays;
extern u32 g_MaxPolygons;
extern u32 g_MaxVertices;
extern u32 g_KzpVersion;
// 1 when the host edits models rather than only playing them (the editor sets it at
// start-up): normals are re-indexed after every computation, and a copy into an empty slot
// turns on full-capacity arrays (g_ModelAllocArrays).
extern u32 g_Model3Edited;
// 1 when the library loaded the toon texture at start-up (set by its loader; read by the
// render mode choice and the model drawing).
extern u32 g_Model3ToonLoaded;
// 1 when the drawing device draws render modes other than 0 (the library sets it from the
// card's level); 0: every model takes mode 0.
extern u32 g_Model3ModesOn;

// Null for a slot outside 0..255 or an empty slot.
Model3 *Model3_Get(i32 slot);

Model3 *Model3_New(void);
void Model3_Free(Model3 *m);
// Copies everything but sounds, lighting, shadow, play state and slot from s into d; with
// grow the arrays of d are sized to s's counts. The group key lists are copied too.
void Model3_Copy(const Model3 *s, Model3 *d, u8 grow);
// A new model holding everything of s (arrays sized to s's counts); null on failure.
Model3 *Model3_Clone(const Model3 *s);
// Creates an empty model with its pose record in slot n; returns it (null when refused).
Model3 *Model3_Init(i32 n);
void Model3_FreeSlot(i32 n);
void Model3_FreeAllSlots(void);
bool Model3_CopyToSlot(i32 src, i32 dst);
bool Model3_SetMotion(Model3 *m, i32 n);
bool Model3_SetLighting(Model3 *m, u8 on);
// Reads g_Model3ModesOn and g_Model3ToonLoaded.
bool Model3_SetRenderMode(Model3 *m, u32 mode);
bool Model3_DeletePolygon(Model3 *m, i32 n);
bool Model3_DeleteBone(Model3 *m, i32 n);
bool Model3_CopyBone(Model3 *m, i32 from, i32 to);

// Pose records (also used by readers that build a model outside the table).
ModelPose *ModelPose_New(void);
// Releases every non-null handle through the seam, then the record.
void ModelPose_Free(ModelPose *p);

// Recomputes face and vertex normals of a model that was just read.
void Model3_AfterRead(Model3 *m);

// [SECTION] Helpers shared by the readers and the editors
// Allocates a bone's key table (MODEL3_MOTIONS empty tracks) when it has none. False on failure
// or for a bone outside 0..127. Every key table holds MODEL3_MOTIONS tracks, whatever
// keyTableLength says, so freeing never depends on it.
bool Model3_EnsureKeyTable(Model3 *m, i32 bone);
// Allocates the group key list of (motion, group) when missing; returns it or null.
GroupKeyList3 *Model3_EnsureGroupKeys(Model3 *m, i32 motion, i32 group);
// Resets a group key list to its creation state (16 default keys, count 0).
void GroupKeyList3_Reset(GroupKeyList3 *l);
// Replaces a model's heap text field (file name, texture name) by a copy of s.
bool Model3_SetText(char **field, const char *s);
// Makes room for the given counts in every per-vertex array and the polygon array
// (existing elements kept, new room zeroed). False when a count is above the capacity.
bool Model3_Reserve(Model3 *m, i32 positions, i32 normals, i32 colors, i32 uvs, i32 polygons);
// As Model3_Reserve (polygons untouched), for a reader that writes every element below the
// counts of the positions, bindings, normals, colours and UVs: those are left unset where new
// (room past them is zeroed as ever; posed positions and vertex normals are zeroed).
bool Model3_ReserveToFill(Model3 *m, i32 positions, i32 normals, i32 colors, i32 uvs);
// Room for the given number of polygons with the records past the old room left unset, for
// a reader that writes every byte of each record it adds (the existing records are kept).
bool Model3_ReservePolygonsToFill(Model3 *m, i32 polygons);
// Elements each array needs so that every corner index below g_MaxVertices is inside it:
// the counts, raised to the largest index named + 1 (positions, normals, colours, UVs).
void Model3_CornerExtents(const Model3 *m, i32 room[4]);
// Gives bindings from..to-1 the binding of a new position (no bones, automatic 1). A model's
// bindings past its positions in use are zero until some code adds positions and calls this.
void Model3_FreshBindings(Model3 *m, i32 from, i32 to);
// The same for any table of bindings with room for `room` (null: nothing to do).
void Model3_FreshBindingRange(VertexBinding *bindings, i32 room, i32 from, i32 to);
// Gives every bone track (of a bone with a key table) of the motions in use that has no keys
// its one identity key at frame 0 (room for 16): a model's tracks come into being with the motion.
void Model3_FreshTracks(Model3 *m);
// Moves the whole content of src into the model held in slot n (or a new slot entry),
// freeing the previous model; the pose record is created when missing. src is consumed.
Model3 *Model3_ReplaceSlot(i32 n, Model3 *src);

// [SECTION] Clamped counts: the entries an array really holds, for loops over a model that may
// be half-built or damaged (the count clamped to 0..capacity, 0 when the array is missing).
inline i32 Model3_ClampCount(i32 count, i32 cap, const void *array) {
  if (!array || count <= 0) return 0;
  return count < cap ? count : cap;
}
inline i32 Model3_PositionCount(const Model3 *m) { return Model3_ClampCount(m->positionCount, m->capPositions, m->positions); }
inline i32 Model3_NormalCount(const Model3 *m) { return Model3_ClampCount(m->normalCount, m->capNormals, m->normals); }
inline i32 Model3_ColorCount(const Model3 *m) { return Model3_ClampCount(m->colorCount, m->capColors, m->colors); }
inline i32 Model3_UVCount(const Model3 *m) { return Model3_ClampCount(m->uvCount, m->capUVs, m->uvs); }
inline i32 Model3_PolygonCount(const Model3 *m) { return Model3_ClampCount(m->polygonCount, m->capPolygons, m->polygons); }
// Bones 0..count-1 of the fixed bone table.
inline i32 Model3_BoneCount(const Model3 *m) {
  return m->boneCount < 0 ? 0 : (m->boneCount > MODEL3_BONES ? MODEL3_BONES : m->boneCount);
}
