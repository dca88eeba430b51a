// Cached current pointers of the 3D model family and the current scene object.
#include "app/current.h"
#include "app/views.h"
#include "model/bone2.h"
#include "model/obj2.h"


Model3 *g_CurModel3;
Bone3 *g_CurBone3;
BoneKey3 *g_CurBone3KeyBuf;
Motion3 *g_CurMotion3;
KeyTrack *g_CurBone3KeyTrack;
BoneKey3 *g_CurBone3Key;
KZL::OBJECT *g_CurSceneObject;

void Current_Refresh3D(void) {
  g_CurModel3 = g_Sel.g_CurSlot < MODEL3_SLOTS ? g_Model3Slots[g_Sel.g_CurSlot] : nullptr;
  g_CurSceneObject = g_Sel.g_CurSlot < SCENE_OBJECTS ? g_SceneObjects[g_Sel.g_CurSlot] : nullptr;
  g_CurBone3 = nullptr;
  g_CurBone3KeyBuf = nullptr;
  g_CurMotion3 = nullptr;
  g_CurBone3KeyTrack = nullptr;
  g_CurBone3Key = nullptr;
  Model3 *m = g_CurModel3;
  if (!m) return;
  if (g_Sel.g_CurBoneIndex < MODEL3_BONES) {
    g_CurBone3 = &m->bones[g_Sel.g_CurBoneIndex];
    g_CurBone3KeyBuf = &m->boneRest[g_Sel.g_CurBoneIndex];
  }
  if (m->motion >= 0 && m->motion < MODEL3_MOTIONS) g_CurMotion3 = &m->motions[m->motion];
  Bone3 *b = g_CurBone3;
  if (b && b->keys && m->motion >= 0 && m->motion < m->keyTableLength) {
    g_CurBone3KeyTrack = &b->keys[m->motion];
    KeyTrack *t = g_CurBone3KeyTrack;
    if (t->keys && b->keyIndex >= 0 && b->keyIndex < t->count) g_CurBone3Key = &t->keys[b->keyIndex];
  }
}

Obj2Model *g_CurObj2;
Obj2Model *g_CurObj2Model;
Obj2Part *g_CurObj2Part;
Obj2Track *g_CurObj2KeyTrack;
ObjKey2 *g_CurObj2Key;
Motion2 *g_CurObj2Motion;
Bone2Model *g_CurBone2Model;
BoneKey2 *g_CurBone2KeyBuf;
Bone2 *g_CurBone2;
Motion2 *g_CurBone2Motion;
Bone2Track *g_CurBone2KeyTrack;
BoneKey2 *g_CurBone2Key;

static void RefreshObj2(void) {
  g_CurObj2 = g_Sel.g_Cur2DSlot < OBJ2_SLOTS ? g_Obj2Slots[g_Sel.g_Cur2DSlot] : nullptr;
  g_CurObj2Model = g_Obj2Slots[0];
  g_CurObj2Part = nullptr;
  g_CurObj2KeyTrack = nullptr;
  g_CurObj2Key = nullptr;
  g_CurObj2Motion = nullptr;
  Obj2Model *m = g_CurObj2Model;
  if (!m) return;
  i32 motion = m->currentMotion;
  if (motion >= 0 && motion < OBJ2_MAX_MOTIONS && motion < m->motionCount) g_CurObj2Motion = &m->motions[motion];
  if ((i32)g_Sel.g_CurPartIndex >= m->objectCount || g_Sel.g_CurPartIndex >= OBJ2_MAX_OBJECTS) return;
  Obj2Part *p = &m->parts[g_Sel.g_CurPartIndex];
  g_CurObj2Part = p;
  if (!p->keys || motion < 0 || motion >= m->keyTableLength) return;
  g_CurObj2KeyTrack = &p->keys[motion];
  Obj2Track *t = g_CurObj2KeyTrack;
  if (t->keys && p->keyIndex >= 0 && p->keyIndex < t->count) g_CurObj2Key = &t->keys[p->keyIndex];
}

// The bone model follows the current 2D slot (the 3D layer number has no meaning here).
static void RefreshBone2(void) {
  g_CurBone2Model = g_Sel.g_Cur2DSlot < BONE2_SLOTS ? g_Bone2Slots[g_Sel.g_Cur2DSlot] : nullptr;
  g_CurBone2KeyBuf = nullptr;
  g_CurBone2 = nullptr;
  g_CurBone2Motion = nullptr;
  g_CurBone2KeyTrack = nullptr;
  g_CurBone2Key = nullptr;
  Bone2Model *m = g_CurBone2Model;
  if (!m) return;
  i32 motion = m->currentMotion;
  if (motion >= 0 && motion < BONE2_MAX_MOTIONS && motion < m->motionCount) g_CurBone2Motion = &m->motions[motion];
  if ((i32)g_Sel.g_CurBoneIndex >= m->boneCount || g_Sel.g_CurBoneIndex >= BONE2_MAX_BONES) return;
  Bone2 *b = &m->bones[g_Sel.g_CurBoneIndex];
  g_CurBone2 = b;
  g_CurBone2KeyBuf = &m->rest[g_Sel.g_CurBoneIndex];
  if (!b->keys || motion < 0 || motion >= m->keyTableLength) return;
  g_CurBone2KeyTrack = &b->keys[motion];
  Bone2Track *t = g_CurBone2KeyTrack;
  if (t->keys && b->keyIndex >= 0 && b->keyIndex < t->count) g_CurBone2Key = &t->keys[b->keyIndex];
}

void Current_Refresh2D(void) {
  RefreshObj2();
  RefreshBone2();
}

void App_NewModelInSlot0(void) {
  g_ModelAllocArrays = 1;
  Model3_Init(0);
  App_RefreshCurrentPointers();
}

void App_SetObject0Rotation(f32 x, f32 y, f32 z) {
  KZL::OBJECT *o = Object_Get(0);
  if (o) Object_SetRotation(o, x, y, z);
}

// [SECTION] accessors
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
  if (!t || !t->keys) return nullptr;
  i32 k = Current_Bone3()->keyIndex;
  return k >= 0 && k < t->count ? &t->keys[k] : nullptr;
}

Obj2Model *Current_Obj2(void) { return g_Sel.g_Cur2DSlot < OBJ2_SLOTS ? g_Obj2Slots[g_Sel.g_Cur2DSlot] : nullptr; }
Obj2Model *Current_Obj2Model(void) { return g_Obj2Slots[0]; }

Motion2 *Current_Obj2Motion(void) {
  Obj2Model *m = Current_Obj2Model();
  if (!m) return nullptr;
  i32 motion = m->currentMotion;
  return motion >= 0 && motion < OBJ2_MAX_MOTIONS && motion < m->motionCount ? &m->motions[motion] : nullptr;
}

Obj2Part *Current_Obj2Part(void) {
  Obj2Model *m = Current_Obj2Model();
  if (!m || (i32)g_Sel.g_CurPartIndex >= m->objectCount || g_Sel.g_CurPartIndex >= OBJ2_MAX_OBJECTS) return nullptr;
  return &m->parts[g_Sel.g_CurPartIndex];
}

Obj2Track *Current_Obj2KeyTrack(void) {
  Obj2Part *p = Current_Obj2Part();
  if (!p || !p->keys) return nullptr;
  i32 motion = Current_Obj2Model()->currentMotion;
  return motion >= 0 && motion < Current_Obj2Model()->keyTableLength ? &p->keys[motion] : nullptr;
}

ObjKey2 *Current_Obj2Key(void) {
  Obj2Track *t = Current_Obj2KeyTrack();
  if (!t || !t->keys) return nullptr;
  i32 k = Current_Obj2Part()->keyIndex;
  return k >= 0 && k < t->count ? &t->keys[k] : nullptr;
}

// The bone model follows the current 2D slot (the 3D layer number has no meaning here).
Bone2Model *Current_Bone2Model(void) { return g_Sel.g_Cur2DSlot < BONE2_SLOTS ? g_Bone2Slots[g_Sel.g_Cur2DSlot] : nullptr; }

Motion2 *Current_Bone2Motion(void) {
  Bone2Model *m = Current_Bone2Model();
  if (!m) return nullptr;
  i32 motion = m->currentMotion;
  return motion >= 0 && motion < BONE2_MAX_MOTIONS && motion < m->motionCount ? &m->motions[motion] : nullptr;
}

Bone2 *Current_Bone2(void) {
  Bone2Model *m = Current_Bone2Model();
  if (!m || (i32)g_Sel.g_CurBoneIndex >= m->boneCount || g_Sel.g_CurBoneIndex >= BONE2_MAX_BONES) return nullptr;
  return &m->bones[g_Sel.g_CurBoneIndex];
}

BoneKey2 *Current_Bone2KeyBuf(void) {
  return Current_Bone2() ? &Current_Bone2Model()->rest[g_Sel.g_CurBoneIndex] : nullptr;
}

Bone2Track *Current_Bone2KeyTrack(void) {
  Bone2 *b = Current_Bone2();
  if (!b || !b->keys) return nullptr;
  i32 motion = Current_Bone2Model()->currentMotion;
  return motion >= 0 && motion < Current_Bone2Model()->keyTableLength ? &b->keys[motion] : nullptr;
}

BoneKey2 *Current_Bone2Key(void) {
  Bone2Track *t = Current_Bone2KeyTrack();
  if (!t || !t->keys) return nullptr;
  i32 k = Current_Bone2()->keyIndex;
  return k >= 0 && k < t->count ? &t->keys[k] : nullptr;
}
