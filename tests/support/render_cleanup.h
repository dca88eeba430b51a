// What the render tests leave behind, released between tests: every slot's draw meshes and
// every scene object with its side record.
#pragma once
#include <stdlib.h>

#include <new>

#include "lib/render/meshes.h"
#include "model/model3.h"
#include "model/object.h"

// The weighted, palette, indexed and displaced meshes of every 3D slot released.
inline void RenderTest_FreeSlotMeshes(void) {
  for (i32 s = 0; s < MODEL3_SLOTS; ++s) {
    Draw_FreeWeightedMesh4(s);
    Draw_FreePaletteMesh3(s);
    Draw_FreeIndexedMesh2(s);
    Draw_FreeDisplacedModel(s);
  }
}

// Every scene object destroyed and freed, and its side record with it.
inline void RenderTest_FreeSceneObjects(void) {
  for (i32 i = 0; i < SCENE_OBJECTS; ++i) {
    if (g_SceneObjects[i]) {
      g_SceneObjects[i]->~OBJECT();
      ::operator delete(g_SceneObjects[i]);
    }
    g_SceneObjects[i] = nullptr;
    free(g_ObjectSideRecords[i]);
    g_ObjectSideRecords[i] = nullptr;
  }
}
