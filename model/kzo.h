// 3D object sets: up to 32 objects, each a KZP model, linked into a parent hierarchy and
// animated by object motions; 16 set slots. KZO files (version 2005000) hold the motions and
// objects 1..N-1 (offset, model path, parent, extra word, keys).
//
// Globals owned here (model/kzo.cpp): g_Obj3Sets[16], g_Obj3PartLoaded[16][32],
// g_Obj3PartModels[16][32], g_Obj3Poses[16], g_KzoVersion. Changed by the Kzo_* operations,
// by Kzp_ReadIntoObjectPart and by the 3D object editor (counts, keys, parents).
#pragma once
#include "model/bytes.h"
#include "model/math.h"
#include "model/model3.h"
#include "model/model_result.h"

enum {
  OBJ3_SETS = 16,
  OBJ3_PARTS = 32,
  OBJ3_MOTIONS = 100,
  OBJ3_KEYS = 16,        // keys per motion, shared by every object of a set
  OBJ3_SOUND_NAME = 32,
};

// One key of one object in one motion; key i sits at the motion's key frame i.
struct ObjKey3 {
  f32 pos[3];
  f32 quat[4];   // x, y, z, w
  f32 scale[3];
};

struct Obj3KeyList {
  ObjKey3 *keys;   // owned, `capacity` keys (16)
  i32 capacity;
};

struct Obj3Part {
  Obj3KeyList *keyLists;   // owned table of OBJ3_MOTIONS lists, one per motion
  char path[MODEL3_NAME];  // the object's .KZP path; object 0: the set's own file path
  i32 extra;               // stored in the file, read by nothing else
  i32 parent;              // 0 = the parent object
  i32 firstChild;          // tree rows of the editor (rebuilt from the parents)
  i32 nextSibling;
  f32 keyPos[3];           // interpolated key position of the current frame
  f32 worldPos[3];         // through the parent chain
  Quat rotation;           // interpolated, normalised
  f32 scale[3];
  u32 expanded;
  u32 rowState;
};

struct Obj3Motion {
  u32 used;
  u32 word;                    // not stored, not used
  char name[MODEL3_NAME];
  i32 length;                  // frames (60)
  i32 keyCount;                // 0..16, shared by every object
  i32 keyFrames[OBJ3_KEYS];    // ascending
};

struct Obj3Set {
  i32 version;
  i32 objectCount;
  f32 offsets[OBJ3_PARTS][3];
  Obj3Part parts[OBJ3_PARTS];
  Obj3Motion motions[OBJ3_MOTIONS];
  i32 motionCount;
  i32 keyTableLength;   // always 100
  char sounds[100][OBJ3_SOUND_NAME];
  i32 soundCount;
  i32 frame;
  i32 motion;
  i32 keyIndex;         // written by Kzo_FindKeySegment
  f32 fraction;
  f32 placePos[3];      // placement of the whole set (not in the file)
  f32 placeAngles[3];
  f32 placeScale[3];
  char folder[MODEL3_NAME];   // what the objects' model paths are kept from (not in the file;
                              // the set's folder once read or saved, else the first chosen model's)
};

struct Obj3Pose {
  Mat4 drawn[OBJ3_PARTS];     // world matrix of each object
  Mat4 offsets[OBJ3_PARTS];   // offset translations chained through the parents
  void *textures[OBJ3_PARTS][MODEL3_TEXTURES];   // opaque handles, released through the seam
};

extern Obj3Set *g_Obj3Sets[OBJ3_SETS];
extern u32 g_Obj3PartLoaded[OBJ3_SETS][OBJ3_PARTS];
extern Model3 *g_Obj3PartModels[OBJ3_SETS][OBJ3_PARTS];
extern Obj3Pose *g_Obj3Poses[OBJ3_SETS];
extern i32 g_KzoVersion;

// (Re)initialises object p of set n (creating the set when empty); p = 0 also resets the set.
// The replaced model, key lists and pose block are freed.
void Kzo_NewPart(i32 n, i32 p);
// Kzo_NewPart for p = 0..31, then object count 1 and the set in use: a fresh set to edit.
void Kzo_NewSet(i32 n);
// Reads a .KZO file into set n and loads its objects' models, each found from the set's
// folder first; the set is replaced only when the file itself was valid, false with the
// refusal in *res otherwise. An object whose model cannot be read stays empty (its path kept
// for the next save); that model's refusal goes to partAnswer as it comes, and the models
// found nowhere go to it together in one answer after the others.
bool Kzo_Read(i32 n, const char *path, ModelAnswerFn partAnswer, ModelResult *res);
// Parses a whole KZO file image into a fresh set record and loaded flags. False when invalid.
bool Kzo_Parse(Obj3Set *set, u32 loaded[OBJ3_PARTS], const u8 *data, size_t size);
// Writes set n as version 2005000 (all-or-nothing replace), each object's model path kept
// from the new file's folder. False with the refusal in *res (paths as they were).
bool Kzo_Write(i32 n, const char *path, ModelResult *res);
bool Kzo_Encode(Obj3Set *set, const u32 loaded[OBJ3_PARTS], ByteWriter *w);
// Moves object `from` of the given set into place `to` (model copied in memory, offset and
// keys copied; parent and extra of `to` kept). False for a null set or bad numbers.
bool Kzo_MovePart(Obj3Set *set, i32 from, i32 to);
// Removes object p; later objects move down; the count drops unless it is below 2.
bool Kzo_RemovePart(Obj3Set *set, i32 p);
void Kzo_FindKeySegment(i32 n);
void Kzo_EvalPartKey(i32 n, i32 p, i32 k, f32 t);
// Per frame: evaluates every set in use into its pose matrices.
void Kzo_UpdatePoses(void);
// Origins of an object's drawn and offset matrices.
void Kzo_GetPartWorldOrigin(i32 n, i32 p, f32 out[3]);
void Kzo_GetPartLocalOrigin(i32 n, i32 p, f32 out[3]);
// A fresh set record (as Kzo_NewPart for p = 0..31 leaves it) outside the table, and its release.
Obj3Set *Kzo_NewSetRecord(void);
void Kzo_FreeSetRecord(Obj3Set *set);
// Frees set n with its part models and pose block (the slot is empty afterwards); every set.
void Kzo_FreeSet(i32 n);
void Kzo_FreeAll(void);
// Clears the texture table of a new pose block.
void Obj3Pose_Init(Obj3Pose *pose);

// Clamped counts: objects 0..count-1 of the fixed part table, keys of a motion's key list.
inline i32 Kzo_ObjectCount(const Obj3Set *s) {
  return s->objectCount < 0 ? 0 : (s->objectCount > OBJ3_PARTS ? OBJ3_PARTS : s->objectCount);
}
inline i32 Kzo_KeyCount(const Obj3Motion *mo) {
  return mo->keyCount < 0 ? 0 : (mo->keyCount > OBJ3_KEYS ? OBJ3_KEYS : mo->keyCount);
}

// Installs a model read from `path` as object p of set n (see Kzp_ReadIntoObjectPart); the
// object keeps the path as the set's folder finds it again (see model/docref.h).
bool Kzo_InstallPartModel(i32 n, i32 p, Model3 *m, const char *path);
// Index of a set record in g_Obj3Sets, or -1.
i32 Kzo_SetIndex(const Obj3Set *set);
