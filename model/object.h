// The scene object: one model slot placed in the scene with a position, rotation and scale.
//
// Globals declared here (defined in model/object.cpp): g_SceneObjects[512] and
// g_ObjectSideRecords[512]. Only ObjectInit (the library's scene-object pass) creates, frees
// and re-creates their entries; everything else moves objects through the Object_* setters.
#pragma once
#include "model/math.h"
#include "model/types.h"

enum { SCENE_OBJECTS = 512 };

namespace KZL {

// Nothing derives from it (its destructor is deliberately not virtual).
class OBJECT final {
 public:
  OBJECT();
  // Not virtual: ObjectInit runs it before freeing an old object.
  ~OBJECT() {}
  // Two empty operations that nothing calls through an object.
  virtual void Reserved0();
  virtual void Reserved1();

  u8 inUse;        // 1 once ObjectInit has set the object up
  u8 shown;        // 0 hides the object from every renderer
  i32 number;      // own index in g_SceneObjects (-1 until set up)
  i32 modelSlot;   // slot of g_Model3Slots drawn for this object
  f32 pos[3];
  f32 angles[3];   // a, b, c in degrees (angle form)
  Quat rotation;   // quaternion form, stored unnormalised
  f32 scale[3];
  // Collision resolution's own fields; nothing else reads or writes them.
  u8 pushed;
  f32 velocity[3];     // y vertical
  i32 groundPolygon;   // -1 for none
  u8 reboundDecay;
  f32 reboundFactor;
};

}  // namespace KZL

// The per-object record beside each object, under the same index.
struct ObjectSideRecord {
  u8 rotationForm;   // 0 = angles, 1 = quaternion
  Mat4 world;        // written every frame by the object pass, read by the renderers
};

extern KZL::OBJECT *g_SceneObjects[SCENE_OBJECTS];
extern ObjectSideRecord *g_ObjectSideRecords[SCENE_OBJECTS];

// Does nothing (the body of both virtual operations).
void Kzl_EmptyFunction(void);

// The object of index n, or null for an index outside 0..511 or an empty entry.
KZL::OBJECT *Object_Get(i32 n);
// The side record of an object (through its number), or null.
ObjectSideRecord *Object_SideRecord(const KZL::OBJECT *o);

// Setters: false and nothing changed for a null object, else true. Those that pick the
// rotation form also write it into the side record (when the object has one).
bool Object_SetPosition(KZL::OBJECT *o, f32 x, f32 y, f32 z);
bool Object_SetRotation(KZL::OBJECT *o, f32 a, f32 b, f32 c);
// Copies three raw 32-bit values into the angles unchanged (angle form).
bool Object_SetRotationRaw(KZL::OBJECT *o, u32 a, u32 b, u32 c);
bool Object_SetQuaternion(KZL::OBJECT *o, f32 x, f32 y, f32 z, f32 w);
bool Object_SetScale(KZL::OBJECT *o, f32 x, f32 y, f32 z);
bool Object_SetVisible(KZL::OBJECT *o, u8 shown);
