// Scene objects: construction and the setters every editor, the movie player and the script
// runner use to move them. ObjectInit (the library's object pass) owns creation.
#include "model/object.h"

#include <string.h>

KZL::OBJECT *g_SceneObjects[SCENE_OBJECTS];
ObjectSideRecord *g_ObjectSideRecords[SCENE_OBJECTS];

void Kzl_EmptyFunction(void) {}

namespace KZL {

// ObjectInit sets the model slot and the rotation right after; they start harmless here.
OBJECT::OBJECT() {
  inUse = 0;
  shown = 1;
  number = -1;
  modelSlot = -1;
  Quat_Identity(&rotation);
  pos[0] = pos[1] = pos[2] = 0.0f;
  angles[0] = angles[1] = angles[2] = 0.0f;
  scale[0] = scale[1] = scale[2] = 1.0f;
  pushed = 0;
  velocity[0] = velocity[1] = velocity[2] = 0.0f;
  groundPolygon = -1;
  reboundDecay = 1;
  reboundFactor = 0.0f;
}

void OBJECT::Reserved0() { Kzl_EmptyFunction(); }
void OBJECT::Reserved1() { Kzl_EmptyFunction(); }

}  // namespace KZL

KZL::OBJECT *Object_Get(i32 n) {
  if (n < 0 || n >= SCENE_OBJECTS) return nullptr;
  return g_SceneObjects[n];
}

ObjectSideRecord *Object_SideRecord(const KZL::OBJECT *o) {
  if (!o || o->number < 0 || o->number >= SCENE_OBJECTS) return nullptr;
  return g_ObjectSideRecords[o->number];
}

static void SetForm(KZL::OBJECT *o, u8 form) {
  ObjectSideRecord *side = Object_SideRecord(o);
  if (side) side->rotationForm = form;
}

bool Object_SetPosition(KZL::OBJECT *o, f32 x, f32 y, f32 z) {
  if (!o) return false;
  o->pos[0] = x;
  o->pos[1] = y;
  o->pos[2] = z;
  return true;
}

bool Object_SetRotation(KZL::OBJECT *o, f32 a, f32 b, f32 c) {
  if (!o) return false;
  o->angles[0] = a;
  o->angles[1] = b;
  o->angles[2] = c;
  SetForm(o, 0);
  return true;
}

bool Object_SetRotationRaw(KZL::OBJECT *o, u32 a, u32 b, u32 c) {
  if (!o) return false;
  memcpy(&o->angles[0], &a, 4);
  memcpy(&o->angles[1], &b, 4);
  memcpy(&o->angles[2], &c, 4);
  SetForm(o, 0);
  return true;
}

bool Object_SetQuaternion(KZL::OBJECT *o, f32 x, f32 y, f32 z, f32 w) {
  if (!o) return false;
  o->rotation.x = x;
  o->rotation.y = y;
  o->rotation.z = z;
  o->rotation.w = w;
  SetForm(o, 1);
  return true;
}

bool Object_SetScale(KZL::OBJECT *o, f32 x, f32 y, f32 z) {
  if (!o) return false;
  o->scale[0] = x;
  o->scale[1] = y;
  o->scale[2] = z;
  return true;
}

bool Object_SetVisible(KZL::OBJECT *o, u8 shown) {
  if (!o) return false;
  o->shown = shown;
  return true;
}
