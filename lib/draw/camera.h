// The scene camera, projection of world points to the screen, the frame light and
// brightness, the background colour and the scene reset.
//
// Global owned here: g_Camera (eye, target, up, light, last brightness); the setters here
// also write the library's g_Lib.clearColor and g_Lib.ambient (lib.h). Matrices are
// row-vector 4x4 (translation in elements 12..14).
#pragma once
#include "model/types.h"

struct LightRecord {
  f32 vector[3];    // light position/direction vector
  f32 diffuse[3];
  f32 brightness;   // 1.0 normal, 0.0 black (drawn as the brightness cover)
};

// The camera and the light: written by the Cam_/Light_ setters below (editors call them).
struct CameraState {
  f32 lastBrightness;
  f32 eye[3];
  f32 target[3];
  f32 up[3];
  LightRecord light;
};
extern CameraState g_Camera;

i32 Cam_ApplyView(void);
i32 Cam_SetEye(f32 x, f32 y, f32 z);
i32 Cam_SetTarget(f32 x, f32 y, f32 z);
// World point to screen pixels (logical 640x480 while frame scaling is on); out.z is the
// projected z before the division by w. Leaves the device's world transform at identity.
void Cam_ProjectToScreen(f32 out[3], f32 x, f32 y, f32 z);
// The same mapping taken once for many points: Cam_BeginProjection reads the device (and
// leaves its world transform at identity), Cam_Project maps one point with what it read.
struct CamProjection {
  bool ok;
  f32 m[16];
  f32 halfW, halfH;
  bool frameScaling;
  i32 screenW, screenH;
};
void Cam_BeginProjection(CamProjection *p);
void Cam_Project(const CamProjection *p, f32 out[3], f32 x, f32 y, f32 z);

void Light_Init(void);
void Cam_SetAmbient(f32 r, f32 g, f32 b);
i32 Cam_SetLightDirection(f32 x, f32 y, f32 z);
i32 Cam_SetLightColor(f32 r, f32 g, f32 b);
// Stores a new brightness level (the first call always stores).
void Cam_SetBrightness(f32 level);
// Alpha of the black brightness cover for a level: 255 - int(level * 255).
i32 Cam_CoverAlpha(f32 level);

void Lib_SetClearColor(i32 r, i32 g, i32 b);
// Frees every loaded model and tells the movie (g_LibHooks.modelsCleared), which forgets its
// loaded and play state.
void Lib_ClearAllModels(void);

// [SECTION] Matrix arithmetic
void Cam_Identity(f32 m[16]);
void Cam_Multiply(f32 out[16], const f32 a[16], const f32 b[16]);
void Cam_BuildLookAtLH(f32 out[16], const f32 eye[3], const f32 target[3], const f32 up[3]);
void Cam_BuildPerspectiveFovLH(f32 out[16], f32 fovY, f32 aspect, f32 zNear, f32 zFar);
// The projection step with all inputs given: M = world x view x projection.
void Cam_ProjectWith(f32 out[3], const f32 m[16], f32 x, f32 y, f32 z, f32 halfW, f32 halfH,
                     bool frameScaling, i32 screenW, i32 screenH);
