// Immediate primitives and render-state presets.
//
// One point, line, triangle or quad per call, built on the stack and drawn at once through
// g_Dev.draw. 2D primitives take pixels of the screen (or of the logical 640x480 frame while
// g_Lib.frameScaling is set) and get the same placement as the screen text: scaled by g_Scale2D
// and, when the frame request places them in a 640x480 frame, moved into the middle of the view
// window by the frame pan.
// 3D primitives take world coordinates under the transforms already set on the device.
//
// Global owned here: g_Draw (the next-quad blend and the scene switch); the light is in
// g_Camera (camera.h), the screen quad, render targets and shadow volumes in g_Target
// (target.h).
#pragma once
#include "model/types.h"

// 2D vertex: XYZRHW | DIFFUSE | TEX1, 28 bytes.
struct ScreenVertex {
  f32 x, y, z, rhw;
  u32 color;
  f32 u, v;
};
// 3D vertex (also the layout of g_Lib.batchVerts): XYZ | NORMAL | DIFFUSE | SPECULAR | TEX1, 40 bytes.
struct SceneVertex {
  f32 x, y, z;
  f32 nx, ny, nz;
  u32 diffuse;
  u32 specular;
  f32 u, v;
};
static_assert(sizeof(ScreenVertex) == 28, "ScreenVertex layout");
static_assert(sizeof(SceneVertex) == 40, "SceneVertex layout");

enum : u32 {
  FVF_SCREENVERTEX = 0x004 | 0x040 | 0x100,
  FVF_SCENEVERTEX = 0x002 | 0x010 | 0x040 | 0x080 | 0x100,
};

// One 2D corner as the callers give it.
struct Vert2D {
  i32 x, y;
  i32 r, g, b, a;
  f32 u, v;
};

// Where 2D pixels land: scale, then (in a 640x480 frame with view windows) an offset.
struct Place2D {
  f32 scaleX, scaleY;
  bool inFrame;
  f32 offsetX, offsetY;   // (desktop size - 640x480) / 2 + pan of view 0
};

// Drawing switches: written by Draw_SetNextQuadAdditive and Lib_SetSceneDraw.
struct DrawSwitches {
  u32 sceneDrawOn;
  u32 nextQuadAdditive;
};
extern DrawSwitches g_Draw;

// A8R8G8B8 from the low bytes of r, g, b and a.
inline u32 Draw_PackColor(i32 r, i32 g, i32 b, i32 a) {
  return ((u32)a & 0xFF) << 24 | ((u32)r & 0xFF) << 16 | ((u32)g & 0xFF) << 8 | ((u32)b & 0xFF);
}

// The placement in force now (g_Scale2D, g_Lib.viewWindowMode, the request's 2D frame and frame pan).
Place2D Draw_CurrentPlacement(void);
// One 2D corner placed into a screen vertex.
ScreenVertex Draw_PlaceVertex(const Place2D *p, const Vert2D *v);

void Draw_Point2DColors(i32 x, i32 y, i32 r, i32 g, i32 b, i32 a, f32 u, f32 v);
void Draw_Line2DColors(i32 x1, i32 y1, i32 r1, i32 g1, i32 b1, i32 a1, f32 u1, f32 v1,
                       i32 x2, i32 y2, i32 r2, i32 g2, i32 b2, i32 a2, f32 u2, f32 v2);
void Draw_Point2D(i32 x, i32 y, i32 r, i32 g, i32 b, i32 a);
void Draw_Line2D(i32 x1, i32 y1, i32 r1, i32 g1, i32 b1, i32 a1,
                 i32 x2, i32 y2, i32 r2, i32 g2, i32 b2, i32 a2);
// A run of one-colour 2D lines between pixels whose ends are keyed (a model position each,
// say): the placement is taken once for the run (Draw_CurrentPlacement) and, in an open batch,
// an end shares the vertex listed under its key when that vertex is the same. The picture is
// the one Draw_Line2D gives for each line.
void Draw_Line2DKeyed(const Place2D *p, i32 x1, i32 y1, u32 key1, i32 x2, i32 y2, u32 key2, i32 r, i32 g, i32 b, i32 a);
void Draw_Triangle2D(i32 x1, i32 y1, i32 r1, i32 g1, i32 b1, i32 a1, f32 u1, f32 v1,
                     i32 x2, i32 y2, i32 r2, i32 g2, i32 b2, i32 a2, f32 u2, f32 v2,
                     i32 x3, i32 y3, i32 r3, i32 g3, i32 b3, i32 a3, f32 u3, f32 v3);
void Draw_Quad2D(i32 x1, i32 y1, i32 r1, i32 g1, i32 b1, i32 a1, f32 u1, f32 v1,
                 i32 x2, i32 y2, i32 r2, i32 g2, i32 b2, i32 a2, f32 u2, f32 v2,
                 i32 x3, i32 y3, i32 r3, i32 g3, i32 b3, i32 a3, f32 u3, f32 v3,
                 i32 x4, i32 y4, i32 r4, i32 g4, i32 b4, i32 a4, f32 u4, f32 v4);
// The same quad from four corners in fan order.
void Draw_Quad2DCorners(const Vert2D v[4]);
void Draw_Rect2D(i32 x1, i32 y1, i32 x2, i32 y2, i32 r, i32 g, i32 b, i32 a);

void Draw_Point3D(f32 x, f32 y, f32 z, i32 r, i32 g, i32 b, i32 a, f32 u, f32 v);
void Draw_Line3D(f32 x1, f32 y1, f32 z1, i32 r1, i32 g1, i32 b1, i32 a1, f32 u1, f32 v1,
                 f32 x2, f32 y2, f32 z2, i32 r2, i32 g2, i32 b2, i32 a2, f32 u2, f32 v2);
void Draw_Triangle3D(f32 x1, f32 y1, f32 z1, f32 nx1, f32 ny1, f32 nz1, i32 r1, i32 g1, i32 b1, i32 a1, f32 u1, f32 v1,
                     f32 x2, f32 y2, f32 z2, f32 nx2, f32 ny2, f32 nz2, i32 r2, i32 g2, i32 b2, i32 a2, f32 u2, f32 v2,
                     f32 x3, f32 y3, f32 z3, f32 nx3, f32 ny3, f32 nz3, i32 r3, i32 g3, i32 b3, i32 a3, f32 u3, f32 v3);
void Draw_Quad3D(f32 x1, f32 y1, f32 z1, f32 nx1, f32 ny1, f32 nz1, i32 r1, i32 g1, i32 b1, i32 a1, f32 u1, f32 v1,
                 f32 x2, f32 y2, f32 z2, f32 nx2, f32 ny2, f32 nz2, i32 r2, i32 g2, i32 b2, i32 a2, f32 u2, f32 v2,
                 f32 x3, f32 y3, f32 z3, f32 nx3, f32 ny3, f32 nz3, i32 r3, i32 g3, i32 b3, i32 a3, f32 u3, f32 v3,
                 f32 x4, f32 y4, f32 z4, f32 nx4, f32 ny4, f32 nz4, i32 r4, i32 g4, i32 b4, i32 a4, f32 u4, f32 v4);
// The closed ring of n (2 to 4) lines between corners xyz (three floats each): 0-1, ..., (n-1)-0,
// in one colour (u = v = 0). With keys (one per corner, e.g. the model position it stands on),
// a batch lists a corner met again with the same vertex once.
void Draw_LineRing3D(const f32 *xyz, i32 n, i32 r, i32 g, i32 b, i32 a, const u32 *keys = nullptr);
// Triangle and quad from ready vertices (A, B, C[, D]); the quad is (A, B, C) and (A, C, D).
void Draw_Triangle3DVerts(const SceneVertex v[3]);
void Draw_Quad3DVerts(const SceneVertex v[4]);

void Draw_SetNextQuadAdditive(u32 flag);
void Draw_SetLighting(u32 flag);
// 1 points, 2 wireframe (Gouraud), 3 solid flat, 4 and 5 solid Gouraud; anything else: no change.
void Draw_SetFillMode(i32 mode);
void Draw_SetDefaultStates(void);
void Lib_SetSceneDraw(u32 flag);

// Draws every shown, active 2D object model through the immediate quads (the frame render
// calls it; the quads come from Obj2_BuildQuad).
void Obj2_DrawAll(void);
