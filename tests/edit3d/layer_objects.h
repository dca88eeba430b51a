// Frees the scene objects of the ten layers between tests (ObjectInit's own release steps).
#pragma once
#include <stdlib.h>

#include <new>

#include "model/object.h"

inline void FreeLayerObjects() {
  for (i32 n = 0; n < 10; n++) {
    if (KZL::OBJECT *o = g_SceneObjects[n]) {
      o->~OBJECT();
      ::operator delete(o);
    }
    free(g_ObjectSideRecords[n]);
    g_SceneObjects[n] = nullptr;
    g_ObjectSideRecords[n] = nullptr;
  }
}
