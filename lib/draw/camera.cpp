// Camera, view transform, projection to the screen, frame light, brightness and clear colour.
#include "lib/draw/camera.h"

#include <math.h>
#include <string.h>

#include "lib/draw/drawbatch.h"
#include "lib/draw/drawdev.h"
#include "lib/draw/screen.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"

CameraState g_Camera = {
    -1.0f,                             // lastBrightness
    {0.0f, 0.0f, -15.0f},              // eye
    {0.0f, 0.0f, 0.0f},                // target
    {0.0f, 1.0f, 0.0f},                // up
    {{0, 0, 0}, {1, 1, 1}, 0.0f},      // light
};

// [SECTION] Matrix arithmetic

void Cam_Identity(f32 m[16]) {
  memset(m, 0, 16 * sizeof(f32));
  m[0] = m[5] = m[10] = m[15] = 1.0f;
}

void Cam_Multiply(f32 out[16], const f32 a[16], const f32 b[16]) {
  f32 r[16];
  for (int i = 0; i < 4; i++)
    for (int j = 0; j < 4; j++)
      r[i * 4 + j] = a[i * 4] * b[j] + a[i * 4 + 1] * b[4 + j] + a[i * 4 + 2] * b[8 + j] + a[i * 4 + 3] * b[12 + j];
  memcpy(out, r, sizeof r);
}

static void Normalize(f32 v[3]) {
  f32 len = sqrtf(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (len > 0.0f) {
    v[0] /= len;
    v[1] /= len;
    v[2] /= len;
  }
}

static void Cross(f32 out[3], const f32 a[3], const f32 b[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

static f32 Dot(const f32 a[3], const f32 b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void Cam_BuildLookAtLH(f32 out[16], const f32 eye[3], const f32 target[3], const f32 up[3]) {
  f32 z[3] = {target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]};
  Normalize(z);
  f32 x[3];
  Cross(x, up, z);
  Normalize(x);
  f32 y[3];
  Cross(y, z, x);
  f32 m[16] = {x[0], y[0], z[0], 0.0f,
               x[1], y[1], z[1], 0.0f,
               x[2], y[2], z[2], 0.0f,
               -Dot(x, eye), -Dot(y, eye), -Dot(z, eye), 1.0f};
  memcpy(out, m, sizeof m);
}

void Cam_BuildPerspectiveFovLH(f32 out[16], f32 fovY, f32 aspect, f32 zNear, f32 zFar) {
  f32 ys = 1.0f / tanf(fovY * 0.5f);
  f32 xs = ys / aspect;
  memset(out, 0, 16 * sizeof(f32));
  out[0] = xs;
  out[5] = ys;
  out[10] = zFar / (zFar - zNear);
  out[11] = 1.0f;
  out[14] = -zNear * zFar / (zFar - zNear);
}

void Cam_ProjectWith(f32 out[3], const f32 m[16], f32 x, f32 y, f32 z, f32 halfW, f32 halfH,
                     bool frameScaling, i32 screenW, i32 screenH) {
  f32 px = x * m[0] + y * m[4] + z * m[8] + m[12];
  f32 py = x * m[1] + y * m[5] + z * m[9] + m[13];
  f32 pz = x * m[2] + y * m[6] + z * m[10] + m[14];
  f32 pw = x * m[3] + y * m[7] + z * m[11] + m[15];
  out[0] = (px / pw + 1.0f) * halfW;
  out[1] = (1.0f - py / pw) * halfH;
  out[2] = pz;
  if (frameScaling && screenW > 0 && screenH > 0) {
    out[0] *= 640.0f / (f32)screenW;
    out[1] *= 480.0f / (f32)screenH;
  }
}

// [SECTION] Camera

i32 Cam_ApplyView(void) {
  f32 view[16];
  Cam_BuildLookAtLH(view, g_Camera.eye, g_Camera.target, g_Camera.up);
  if (!g_Dev.draw.setTransform) return 0;
  if (!DrawBatch_PendingIsScreen()) DrawBatch_FlushPending();
  return g_Dev.draw.setTransform(DTS_VIEW, view);
}

i32 Cam_SetEye(f32 x, f32 y, f32 z) {
  g_Camera.eye[0] = x;
  g_Camera.eye[1] = y;
  g_Camera.eye[2] = z;
  return Cam_ApplyView();
}

i32 Cam_SetTarget(f32 x, f32 y, f32 z) {
  g_Camera.target[0] = x;
  g_Camera.target[1] = y;
  g_Camera.target[2] = z;
  return Cam_ApplyView();
}

void Cam_BeginProjection(CamProjection *p) {
  p->ok = false;
  if (!g_Dev.draw.setTransform || !g_Dev.draw.getTransform || !g_Dev.draw.getViewport) return;
  f32 world[16], view[16], proj[16];
  Cam_Identity(world);
  // A lasting side effect the callers live with: their world transform is gone afterwards.
  // 3D lines gathered before it were meant for the old one.
  if (!DrawBatch_PendingIsScreen()) DrawBatch_FlushPending();
  g_Dev.draw.setTransform(DTS_WORLD, world);
  DrawViewport vp = {0, 0, 0, 0, 0.0f, 1.0f};
  g_Dev.draw.getViewport(&vp);
  g_Dev.draw.getTransform(DTS_WORLD, world);
  g_Dev.draw.getTransform(DTS_VIEW, view);
  g_Dev.draw.getTransform(DTS_PROJECTION, proj);
  Cam_Multiply(p->m, world, view);
  Cam_Multiply(p->m, p->m, proj);
  p->halfW = (f32)vp.width * 0.5f;
  p->halfH = (f32)vp.height * 0.5f;
  p->frameScaling = Screen_FrameScaling();
  p->screenW = Screen_Width();
  p->screenH = Screen_Height();
  p->ok = true;
}

void Cam_Project(const CamProjection *p, f32 out[3], f32 x, f32 y, f32 z) {
  out[0] = out[1] = out[2] = 0.0f;
  if (!p->ok) return;
  Cam_ProjectWith(out, p->m, x, y, z, p->halfW, p->halfH, p->frameScaling, p->screenW, p->screenH);
}

void Cam_ProjectToScreen(f32 out[3], f32 x, f32 y, f32 z) {
  CamProjection p;
  Cam_BeginProjection(&p);
  Cam_Project(&p, out, x, y, z);
}

// [SECTION] Light, brightness, background

void Light_Init(void) {
  g_Camera.light = {{0, 0, 0}, {1, 1, 1}, 0.0f};
  g_Camera.lastBrightness = -1.0f;
}

void Cam_SetAmbient(f32 r, f32 g, f32 b) {
  g_Lib.ambient[0] = r;
  g_Lib.ambient[1] = g;
  g_Lib.ambient[2] = b;
}

i32 Cam_SetLightDirection(f32 x, f32 y, f32 z) {
  g_Camera.light.vector[0] = x;
  g_Camera.light.vector[1] = y;
  g_Camera.light.vector[2] = z;
  return 1;
}

i32 Cam_SetLightColor(f32 r, f32 g, f32 b) {
  g_Camera.light.diffuse[0] = r;
  g_Camera.light.diffuse[1] = g;
  g_Camera.light.diffuse[2] = b;
  return 1;
}

void Cam_SetBrightness(f32 level) {
  if (level == g_Camera.lastBrightness) return;
  g_Camera.lastBrightness = level;
  g_Camera.light.brightness = level;
}

i32 Cam_CoverAlpha(f32 level) { return 255 - (i32)(level * 255.0f); }

void Lib_SetClearColor(i32 r, i32 g, i32 b) {
  g_Lib.clearColor[0] = (u32)r;
  g_Lib.clearColor[1] = (u32)g;
  g_Lib.clearColor[2] = (u32)b;
}
