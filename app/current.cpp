// What is current in the model data, computed from the selection record when asked.
#include "app/current.h"
#include "app/views.h"
#include "model/bone2.h"
#include "model/obj2.h"

void App_NewModelInSlot0(void) {
  g_ModelAllocArrays = 1;
  Model3_Init(0);
  View_UseActive();
}

void App_SetObject0Rotation(f32 x, f32 y, f32 z) {
  KZL::OBJECT *o = Object_Get(0);
  if (o) Object_SetRotation(o, x, y, z);
}

// [SECTION] accessors
// Entry `index` of a table of `max`, `count` of them in use; null outside.
template <typename T>
static T *ItemAt(T *items, i32 max, i32 count, i32 index) {
  return index >= 0 && index < max && index < count ? &items[index] : nullptr;
}

// The track of the model's current motion in an item's key table; null when it has none.
template <typename Track, typename Model>
static Track *TrackAt(Track *keys, const Model *m) {
  i32 motion = m->currentMotion;
  return keys && motion >= 0 && motion < m->keyTableLength ? &keys[motion] : nullptr;
}

// Key k of a track; null when the track has no keys or k is outside them.
template <typename Track>
static auto KeyAt(Track *t, i32 k) -> decltype(t->keys) {
  return t->keys && k >= 0 && k < t->count ? &t->keys[k] : nullptr;
}

KZL::OBJECT *Current_SceneObject(void) { return g_Sel.g_CurSlot < SCENE_OBJECTS ? g_SceneObjects[g_Sel.g_CurSlot] : nullptr; }

Bone3 *Current_Bone3(void) {
  Model3 *m = Current_Model3();
  return m && g_Sel.g_CurBoneIndex < MODEL3_BONES ? &m->bones[g_Sel.g_CurBoneIndex] : nullptr;
}

BoneKey3 *Current_Bone3KeyBuf(void) {
  Model3 *m = Current_Model3();
  return m && g_Sel.g_CurBoneIndex < MODEL3_BONES ? &m->boneRest[g_Sel.g_CurBoneIndex] : nullptr;
}

Motion3 *Current_Motion3(void) {
  Model3 *m = Current_Model3();
  return m && m->motion >= 0 && m->motion < MODEL3_MOTIONS ? &m->motions[m->motion] : nullptr;
}

KeyTrack *Current_Bone3KeyTrack(void) {
  Model3 *m = Current_Model3();
  Bone3 *b = Current_Bone3();
  return b && b->keys && m->motion >= 0 && m->motion < m->keyTableLength ? &b->keys[m->motion] : nullptr;
}

BoneKey3 *Current_Bone3Key(void) {
  KeyTrack *t = Current_Bone3KeyTrack();
  return t ? KeyAt(t, Current_Bone3()->keyIndex) : nullptr;
}

Obj2Model *Current_Obj2(void) { return g_Sel.g_Cur2DSlot < OBJ2_SLOTS ? g_Obj2Slots[g_Sel.g_Cur2DSlot] : nullptr; }
Obj2Model *Current_Obj2Model(void) { return g_Obj2Slots[0]; }

Motion2 *Current_Obj2Motion(void) {
  Obj2Model *m = Current_Obj2Model();
  return m ? ItemAt(m->motions, OBJ2_MAX_MOTIONS, m->motionCount, m->currentMotion) : nullptr;
}

Obj2Part *Current_Obj2Part(void) {
  Obj2Model *m = Current_Obj2Model();
  return m ? ItemAt(m->parts, OBJ2_MAX_OBJECTS, m->objectCount, (i32)g_Sel.g_CurPartIndex) : nullptr;
}

Obj2Track *Current_Obj2KeyTrack(void) {
  Obj2Part *p = Current_Obj2Part();
  return p ? TrackAt(p->keys, Current_Obj2Model()) : nullptr;
}

ObjKey2 *Current_Obj2Key(void) {
  Obj2Track *t = Current_Obj2KeyTrack();
  return t ? KeyAt(t, Current_Obj2Part()->keyIndex) : nullptr;
}

// The bone model follows the current 2D slot (the 3D layer number has no meaning here).
Bone2Model *Current_Bone2Model(void) { return g_Sel.g_Cur2DSlot < BONE2_SLOTS ? g_Bone2Slots[g_Sel.g_Cur2DSlot] : nullptr; }

Motion2 *Current_Bone2Motion(void) {
  Bone2Model *m = Current_Bone2Model();
  return m ? ItemAt(m->motions, BONE2_MAX_MOTIONS, m->motionCount, m->currentMotion) : nullptr;
}

Bone2 *Current_Bone2(void) {
  Bone2Model *m = Current_Bone2Model();
  return m ? ItemAt(m->bones, BONE2_MAX_BONES, m->boneCount, (i32)g_Sel.g_CurBoneIndex) : nullptr;
}

BoneKey2 *Current_Bone2KeyBuf(void) {
  return Current_Bone2() ? &Current_Bone2Model()->rest[g_Sel.g_CurBoneIndex] : nullptr;
}

Bone2Track *Current_Bone2KeyTrack(void) {
  Bone2 *b = Current_Bone2();
  return b ? TrackAt(b->keys, Current_Bone2Model()) : nullptr;
}

BoneKey2 *Current_Bone2Key(void) {
  Bone2Track *t = Current_Bone2KeyTrack();
  return t ? KeyAt(t, Current_Bone2()->keyIndex) : nullptr;
}
