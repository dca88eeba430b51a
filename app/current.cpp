// Cached current pointers of the 3D model family and the current scene object.
#include "app/current.h"
#include "app/views.h"

u32 g_CurSlot;
u32 g_Cur2DSlot;
u32 g_CurBoneIndex;
u32 g_CurPartIndex;
u32 g_CurGroupIndex;

Model3 *g_CurModel3;
Bone3 *g_CurBone3;
BoneKey3 *g_CurBone3KeyBuf;
Motion3 *g_CurMotion3;
KeyTrack *g_CurBone3KeyTrack;
BoneKey3 *g_CurBone3Key;
KZL::OBJECT *g_CurSceneObject;

void Current_Refresh3D(void) {
  g_CurModel3 = g_CurSlot < MODEL3_SLOTS ? g_Model3Slots[g_CurSlot] : nullptr;
  g_CurSceneObject = g_CurSlot < SCENE_OBJECTS ? g_SceneObjects[g_CurSlot] : nullptr;
  g_CurBone3 = nullptr;
  g_CurBone3KeyBuf = nullptr;
  g_CurMotion3 = nullptr;
  g_CurBone3KeyTrack = nullptr;
  g_CurBone3Key = nullptr;
  Model3 *m = g_CurModel3;
  if (!m) return;
  if (g_CurBoneIndex < MODEL3_BONES) {
    g_CurBone3 = &m->bones[g_CurBoneIndex];
    g_CurBone3KeyBuf = &m->boneRest[g_CurBoneIndex];
  }
  if (m->motion >= 0 && m->motion < MODEL3_MOTIONS) g_CurMotion3 = &m->motions[m->motion];
  Bone3 *b = g_CurBone3;
  if (b && b->keys && m->motion >= 0 && m->motion < m->keyTableLength) {
    g_CurBone3KeyTrack = &b->keys[m->motion];
    KeyTrack *t = g_CurBone3KeyTrack;
    if (t->keys && b->keyIndex >= 0 && b->keyIndex < t->count) g_CurBone3Key = &t->keys[b->keyIndex];
  }
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
