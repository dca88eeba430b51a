// The frame render (see frame.h).
#include "lib/render/frame.h"

#include <string.h>

#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawdev.h"
#include "lib/draw/image.h"
#include "lib/draw/text.h"
#include "lib/draw/texture.h"
#include "lib/framework/d3dapp.h"
#include "lib/framework/frametime.h"
#include "lib/framework/lib.h"
#include "lib/render/modeldraw.h"
#include "lib/render/rdev.h"
#include "lib/render/shadow.h"
#include "model/math.h"
#include "model/obj2.h"

// [SECTION] Toon stage

void Render_ToonMatrix(f32 out[16], const f32 light[3]) {
  const f32 eye[3] = {0, 0, 0};
  f32 up[3] = {0, 1, 0};
  if (light[0] == 0.0f && light[2] == 0.0f) up[0] = -light[1], up[1] = 0, up[2] = 0;
  Mat4 look, rot, scale, move, m;
  Cam_BuildLookAtLH(look.f, eye, light, up);
  Mat_RotationX(&rot, -1.570796f * (180.0f / 3.14159265f));
  Mat_Scaling(&scale, 0.49f, -0.49f, 1.0f);
  Mat_Translation(&move, 0.5f, 0.5f, 0.0f);
  Mat_Multiply(&m, look, rot);
  Mat_Multiply(&m, m, scale);
  Mat_Multiply(&m, m, move);
  memcpy(out, m.f, sizeof m.f);
}

void Draw_SetupToonStage(void) {
  DrawDev_SetStageState(1, DTSS_TEXCOORDINDEX, DTSS_TCI_CAMERASPACENORMAL);
  DrawDev_SetStageState(1, DTSS_TEXTURETRANSFORMFLAGS, DTTFF_COUNT2);
  f32 m[16];
  Render_ToonMatrix(m, g_Camera.light.vector);
  if (g_Dev.draw.setTransform) g_Dev.draw.setTransform(DTS_TEXTURE1, m);
}

// [SECTION] Frame pieces

static void SetViewport(u32 x, u32 y, u32 w, u32 h) {
  DrawViewport vp = {x, y, w, h, 0.0f, 1.0f};
  if (g_Dev.render.setViewport) g_Dev.render.setViewport(&vp);
}

static void SetFrameLight(void) {
  DrawDev_SetRenderState(DRS_SHADEMODE, DSHADE_GOURAUD);
  DrawDev_SetRenderState(DRS_LIGHTING, 1);
  RenderMaterial mat = {{1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}, 20.0f};
  if (g_Dev.render.setMaterial) g_Dev.render.setMaterial(&mat);
  RenderLight l = {};
  l.diffuse = RenderColor{g_Camera.light.diffuse[0], g_Camera.light.diffuse[1], g_Camera.light.diffuse[2], 0};
  l.specular = RenderColor{1, 1, 1, 0};
  l.ambient = RenderColor{g_Lib.ambient[0], g_Lib.ambient[1], g_Lib.ambient[2], 0};
  memcpy(l.position, g_Camera.light.vector, sizeof l.position);
  l.direction[0] = 1, l.direction[1] = -1, l.direction[2] = 1;
  l.range = 65000.0f;
  l.attenuation[0] = 1;
  if (g_Dev.render.setLight) g_Dev.render.setLight(1, &l);
  if (g_Dev.render.enableLight) g_Dev.render.enableLight(1, true);
}

static void SetRequestViewport(const FrameRequest *req) {
  if (req->viewport == FRAME_VIEWPORT_CENTRED) {
    SetViewport((u32)((g_Lib.screenWidth - 640) / 2), (u32)((g_Lib.screenHeight - 480) / 2), 640, 480);
  } else if (req->viewport == FRAME_VIEWPORT_PANNED) {
    i32 x = (i32)((f32)(g_Lib.desktopWidth - 640) * 0.5f + req->framePanX);
    i32 y = (i32)((f32)(g_Lib.desktopHeight - 480) * 0.5f + req->framePanY);
    SetViewport((u32)(x < 0 ? 0 : x), (u32)(y < 0 ? 0 : y), 640, 480);
  }
}

static void DrawFramesAndCover(const FrameRequest *req) {
  if (g_Lib.viewWindowMode) {
    if (req->outline2DFrame) {
      Img_Bind(-1);
      Draw_Rect2D(-1, -1, 640, 480, 255, 255, 255, 255);
    }
    if (req->outlineCentred) {
      i32 cx = (g_Lib.screenWidth - 640) / 2, cy = (g_Lib.screenHeight - 480) / 2;
      Img_Bind(-1);
      Draw_Rect2D(cx - 1, cy - 1, cx + 640, cy + 480, 255, 255, 255, 255);
    }
  }
  i32 a = Cam_CoverAlpha(g_Camera.light.brightness);
  if (a > 0) {
    Img_Bind(-1);
    Draw_Quad2D(0, 0, 0, 0, 0, a, 0.01f, 0.01f, g_Lib.screenWidth, 0, 0, 0, 0, a, 0.99f, 0.01f,
                g_Lib.screenWidth, g_Lib.screenHeight, 0, 0, 0, a, 0.99f, 0.99f, 0, g_Lib.screenHeight, 0, 0, 0, a, 0.01f, 0.99f);
  }
}

// [SECTION] Paths

static i32 BeginScene(void) { return g_Dev.render.beginScene ? g_Dev.render.beginScene() : -1; }
static void EndScene(void) { if (g_Dev.render.endScene) g_Dev.render.endScene(); }

static i32 ShaderPath(const FrameRequest *req) {
  i32 hr = BeginScene();
  if (hr < 0) return hr;
  g_LibHooks.shaderFrame();
  Draw_ResetWorld(0, 0, 0, 0, 0, 0, 1, 1, 1);
  DrawDev_SetTexture(0, nullptr);
  if (req->drawScene) req->drawScene();
  DrawDev_SetTexture(0, nullptr);
  if (req->drawOverlay) req->drawOverlay();
  Text_DrawQueue();
  EndScene();
  return 0;
}

static void ScenePasses(void) {
  Draw_SetLighting(1);
  Draw_KzoObjects();
  Draw_SceneObjects();
  Shadow_DrawBlobShadows();
  Shadow_DrawGround();
  Shadow_DrawStencil();
  Draw_ModelsFixed();
}

static i32 RenderRequest(const FrameRequest *req) {
  if (g_Lib.config.shaderMode && g_LibHooks.shaderFrame) return ShaderPath(req);
  if (g_D3DApp.videoActive) return 0;
  u32 flags = DCLEAR_TARGET | DCLEAR_ZBUFFER | (g_Lib.config.stencilShadows ? (u32)DCLEAR_STENCIL : 0u);
  u32 color = 0xFF000000u | (g_Lib.clearColor[0] & 0xFF) << 16 | (g_Lib.clearColor[1] & 0xFF) << 8 | (g_Lib.clearColor[2] & 0xFF);
  if (g_Dev.render.clear) g_Dev.render.clear(flags, color, 1.0f, 0);
  if (req->backgroundOnly) return 0;
  if (g_Tex.toonTexture) Draw_SetupToonStage();
  // The camera kept in g_Camera.eye / g_Camera.target / g_Camera.up: a device reset (view windows change
  // the back buffer) drops the device's view transform.
  Cam_ApplyView();
  SetFrameLight();
  SetRequestViewport(req);
  i32 hr = BeginScene();
  if (hr < 0) return hr;
  Draw_SetDefaultStates();
  f64 mark = FrameTime_Mark();
  if (g_Draw.sceneDrawOn == 1) ScenePasses();
  FrameTime_Add(FRAMETIME_MODEL, &mark);
  Draw_ResetWorld(0, 0, 0, 0, 0, 0, 1, 1, 1);
  DrawDev_SetTexture(0, nullptr);
  // The toon stage belongs to the models: the scene hook's grid and lines are drawn without it.
  if (g_Tex.toonTexture) DrawDev_SetTexture(1, nullptr);
  mark = FrameTime_Mark();
  if (req->drawScene) req->drawScene();
  FrameTime_Add(FRAMETIME_EDITOR, &mark);
  if (req->viewport != FRAME_VIEWPORT_WHOLE)
    SetViewport(0, 0, (u32)g_Lib.screenWidth, (u32)g_Lib.screenHeight);
  DrawDev_SetSamplerState(0, DSAMP_MINFILTER, DTEXF_NONE);
  DrawDev_SetSamplerState(0, DSAMP_MAGFILTER, DTEXF_NONE);
  mark = FrameTime_Mark();
  Draw_Kzb2DModels();
  Obj2_DrawAll();
  if (req->drawImages) req->drawImages();
  FrameTime_Add(FRAMETIME_MODEL, &mark);
  DrawDev_SetTexture(0, nullptr);
  mark = FrameTime_Mark();
  if (req->drawOverlay) req->drawOverlay();
  FrameTime_Add(FRAMETIME_EDITOR, &mark);
  Text_DrawQueue();
  DrawFramesAndCover(req);
  EndScene();
  return 0;
}

i32 Lib_RenderFrame(const FrameRequest *req) {
  Frame_Begin(req);
  i32 hr = RenderRequest(req);
  Frame_End();
  return hr;
}
