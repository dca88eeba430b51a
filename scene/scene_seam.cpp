// Owner of g_SceneSeam (see scene/scene_seam.h) and its drawing entries' library calls, set
// from the start so that a view draws the same whoever filled the rest.
#include "scene/scene_seam.h"

#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/draw/text.h"

static void LibPrint(i32 x, i32 y, const char *text) { Text_Printf(x, y, "%s", text); }

static void LibLine(const f32 a[3], const f32 b[3], i32 r, i32 g, i32 bl) {
  Draw_Line3D(a[0], a[1], a[2], r, g, bl, 255, 0, 0, b[0], b[1], b[2], r, g, bl, 255, 0, 0);
}

static void LibTriangle(const f32 p[9], const f32 n[3]) {
  enum { R = 96, G = 160, B = 255, A = 96 };
  Draw_Triangle3D(p[0], p[1], p[2], n[0], n[1], n[2], R, G, B, A, 0, 0, p[3], p[4], p[5], n[0], n[1], n[2], R, G, B, A, 0,
                  0, p[6], p[7], p[8], n[0], n[1], n[2], R, G, B, A, 0, 0);
}

// The drawing entries lead the record, so the rest starts empty.
SceneSeam g_SceneSeam = {LibPrint, Cam_ProjectToScreen, LibLine, LibTriangle};
