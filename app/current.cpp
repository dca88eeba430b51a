// What is current in the model data, computed from the selection record when asked.
#include "app/current.h"
#include "app/shell_sel.h"
#include "app/views.h"
#include "model/bone2.h"
#include "model/obj2.h"

void App_NewModelInSlot0(void) {
  g_ModelAllocArrays = 1;
  Model3_Init(0);
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

// The current motion of a 2D model (m may be null) with a table of `max` motions.
template <typename Model>
static Motion2 *ModelMotion(Model *m, i32 max) {
  return m ? ItemAt(m->motions, max, m->motionCount, m->currentMotion) : nullptr;
}

// Key k of a track; null when the track has no keys or k is outside them.
template <typename Track>
static auto KeyAt(Track *t, i32 k) -> decltype(t->keys) {
  return t->keys && k >= 0 && k < t->count ? &t->keys[k] : nullptr;
}

// The track of a 2D model's current motion in an item's key table (item: a bone or an object);
// null without the item, its table or the motion.
template <typename Item, typename Model>
static auto ItemTrack(Item *item, const Model *m) -> decltype(item->keys) {
  if (!item) return nullptr;
  i32 motion = m->currentMotion;
  return item->keys && motion >= 0 && motion < m->keyTableLength ? &item->keys[motion] : nullptr;
}

// The item's current key in that track.
template <typename Item, typename Model>
static auto ItemKey(Item *item, const Model *m) -> decltype(item->keys->keys) {
  auto *t = ItemTrack(item, m);
  return t ? KeyAt(t, item->keyIndex) : nullptr;
}

Model3 *Current_Model3(void) { return g_Sel.g_CurSlot < MODEL3_SLOTS ? g_Model3Slots[g_Sel.g_CurSlot] : nullptr; }

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

Obj2Model *Current_Obj2OfSlot(void) { return g_Sel.g_Cur2DSlot < OBJ2_SLOTS ? g_Obj2Slots[g_Sel.g_Cur2DSlot] : nullptr; }
Obj2Model *Current_Obj2Model(void) { return g_Obj2Slots[0]; }

Motion2 *Current_Obj2Motion(void) { return ModelMotion(Current_Obj2Model(), OBJ2_MAX_MOTIONS); }

Obj2Part *Current_Obj2Part(void) {
  Obj2Model *m = Current_Obj2Model();
  return m ? ItemAt(m->parts, OBJ2_MAX_OBJECTS, m->objectCount, (i32)g_Sel.g_CurPartIndex) : nullptr;
}

Obj2Track *Current_Obj2KeyTrack(void) { return ItemTrack(Current_Obj2Part(), Current_Obj2Model()); }
ObjKey2 *Current_Obj2Key(void) { return ItemKey(Current_Obj2Part(), Current_Obj2Model()); }

// The bone model follows the current 2D slot (the 3D layer number has no meaning here).
Bone2Model *Current_Bone2Model(void) { return g_Sel.g_Cur2DSlot < BONE2_SLOTS ? g_Bone2Slots[g_Sel.g_Cur2DSlot] : nullptr; }

Bone2Model *Current_Bone2Edited(void) { return g_Bone2Slots[0]; }

Motion2 *Current_Bone2Motion(void) { return ModelMotion(Current_Bone2Model(), BONE2_MAX_MOTIONS); }

Bone2 *Current_Bone2(void) {
  Bone2Model *m = Current_Bone2Model();
  return m ? ItemAt(m->bones, BONE2_MAX_BONES, m->boneCount, (i32)g_Sel.g_CurBoneIndex) : nullptr;
}

BoneKey2 *Current_Bone2KeyBuf(void) {
  return Current_Bone2() ? &Current_Bone2Model()->rest[g_Sel.g_CurBoneIndex] : nullptr;
}

Bone2Track *Current_Bone2KeyTrack(void) { return ItemTrack(Current_Bone2(), Current_Bone2Model()); }
BoneKey2 *Current_Bone2Key(void) { return ItemKey(Current_Bone2(), Current_Bone2Model()); }
