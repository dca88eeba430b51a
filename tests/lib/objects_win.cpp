// The per-frame pass writing a real Direct3D 9 vertex buffer (render mode 1) under Wine.
#include <gtest/gtest.h>

#include "draw_device_win.h"
#include "tests/support/render_fakes.h"
#include "lib/framework/lib.h"
#include "lib/render/objects.h"
#include "model/model3.h"

TEST(ObjectsDevice, ModeOneRewritesTheGroupVertexBuffer) {
  TestDevice t;
  ASSERT_TRUE(TestDevice_Create(&t, 64, 64));
  u32 savedPolys = g_MaxPolygons, savedVerts = g_MaxVertices;
  g_MaxPolygons = 8;
  g_MaxVertices = 32;
  g_FrameOutputSuppressed = 0;
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_Init(9);
  ASSERT_NE(m, nullptr);
  m->renderMode = 1;
  m->poseUpdate = 1;
  for (int i = 0; i < 4; i++) {
    m->positions[i] = {(f32)i, 2.0f * i, 0.5f};
    m->bindings[i] = {0, 0, 1.0f, 0};
  }
  m->positionCount = 4;
  Polygon3 *p = &m->polygons[m->polygonCount++];
  p->cornerCount = 4;
  for (u32 j = 0; j < 4; j++) p->corners[j].vertex = j;

  IDirect3DVertexBuffer9 *vb = nullptr;
  ASSERT_TRUE(SUCCEEDED(t.device->CreateVertexBuffer(6 * 36, 0, 0, D3DPOOL_MANAGED, &vb, nullptr)));
  ModelPose *pose = g_ModelPoses[9];
  pose->vertexBuffers[0] = vb;
  pose->primCounts[0] = 6;
  Object_InstallDeviceHooks();
  Object_UpdateFrame();

  float *data = nullptr;
  ASSERT_TRUE(SUCCEEDED(vb->Lock(0, 0, (void **)&data, D3DLOCK_READONLY)));
  const int order[6] = {0, 1, 2, 0, 2, 3};
  for (int k = 0; k < 6; k++) {
    EXPECT_EQ(data[k * 9 + 0], (float)order[k]) << k;
    EXPECT_EQ(data[k * 9 + 1], 2.0f * order[k]) << k;
    EXPECT_EQ(data[k * 9 + 2], 0.5f) << k;
  }
  vb->Unlock();

  pose->vertexBuffers[0] = nullptr;   // released here, not through the seam
  vb->Release();
  Model3_FreeSlot(9);
  FakeRender_ClearPassHooks();
  g_MaxPolygons = savedPolys;
  g_MaxVertices = savedVerts;
  TestDevice_Destroy(&t);
}
