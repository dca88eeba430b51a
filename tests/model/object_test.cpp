// Scene-object setters: null objects are refused, the rotation form follows the last setter.
#include <gtest/gtest.h>
#include <string.h>

#include "model/object.h"

TEST(SceneObject, ConstructionAndSetters) {
  KZL::OBJECT *o = new KZL::OBJECT();
  EXPECT_EQ(o->inUse, 0); EXPECT_EQ(o->shown, 1); EXPECT_EQ(o->number, -1);
  EXPECT_EQ(o->scale[1], 1.0f); EXPECT_EQ(o->groundPolygon, -1); EXPECT_EQ(o->reboundDecay, 1);

  EXPECT_FALSE(Object_SetPosition(nullptr, 1, 2, 3));
  EXPECT_FALSE(Object_SetRotation(nullptr, 1, 2, 3));
  EXPECT_FALSE(Object_SetRotationRaw(nullptr, 1, 2, 3));
  EXPECT_FALSE(Object_SetQuaternion(nullptr, 0, 0, 0, 1));
  EXPECT_FALSE(Object_SetScale(nullptr, 1, 1, 1));
  EXPECT_FALSE(Object_SetVisible(nullptr, 0));
  EXPECT_EQ(Object_Get(-1), nullptr);
  EXPECT_EQ(Object_Get(512), nullptr);

  // A set-up object with its side record, as ObjectInit leaves it.
  o->number = 12;
  o->inUse = 1;
  g_SceneObjects[12] = o;
  ObjectSideRecord *side = new ObjectSideRecord();
  g_ObjectSideRecords[12] = side;
  EXPECT_EQ(Object_Get(12), o);
  EXPECT_TRUE(Object_SetQuaternion(o, 0, 0, 2, 0));
  EXPECT_EQ(side->rotationForm, 1);
  EXPECT_EQ(o->rotation.z, 2.0f);   // stored unnormalised
  EXPECT_TRUE(Object_SetRotation(o, 10, 20, 30));
  EXPECT_EQ(side->rotationForm, 0);
  EXPECT_EQ(o->rotation.z, 2.0f);   // kept for the next quaternion switch
  f32 f = 1.5f;
  u32 raw;
  memcpy(&raw, &f, 4);
  EXPECT_TRUE(Object_SetRotationRaw(o, raw, raw, raw));
  EXPECT_EQ(o->angles[2], 1.5f);
  EXPECT_TRUE(Object_SetPosition(o, 1, 2, 3));
  EXPECT_TRUE(Object_SetScale(o, 4, 5, 6));
  EXPECT_TRUE(Object_SetVisible(o, 0));
  EXPECT_EQ(o->pos[2], 3.0f); EXPECT_EQ(o->scale[0], 4.0f); EXPECT_EQ(o->shown, 0);

  // An object whose number is out of range still takes setters, without a side record.
  KZL::OBJECT stray;
  stray.number = 9999;
  EXPECT_TRUE(Object_SetQuaternion(&stray, 0, 0, 0, 1));
  g_SceneObjects[12] = nullptr;
  g_ObjectSideRecords[12] = nullptr;
  delete side;
  delete o;
}
