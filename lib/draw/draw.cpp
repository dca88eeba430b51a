// Immediate 2D and 3D primitives, the quad blend switch, fill modes and the frame's base states.
#include "lib/draw/draw.h"

#include "lib/draw/drawbatch.h"
#include "lib/draw/drawdev.h"
#include "lib/draw/screen.h"

DrawSwitches g_Draw = {1, 0};  // scene drawing on

// [SECTION] 2D placement

// Pixel (x, y) placed into s, field by field.
static void PlaceCorner(const Place2D *p, i32 x, i32 y, u32 color, f32 u, f32 v, ScreenVertex *s) {
  s->x = (f32)x * p->scaleX;
  s->y = (f32)y * p->scaleY;
  if (p->inFrame) {
    s->x += p->offsetX;
    s->y += p->offsetY;
  }
  s->z = 0.0f;
  s->rhw = 1.0f;
  s->color = color;
  s->u = u;
  s->v = v;
}

ScreenVertex Draw_PlaceVertex(const Place2D *p, const Vert2D *v) {
  ScreenVertex s;
  PlaceCorner(p, v->x, v->y, Draw_PackColor(v->r, v->g, v->b, v->a), v->u, v->v, &s);
  return s;
}

Place2D Draw_CurrentPlacement(void) {
  Place2D p;
  p.scaleX = g_Scale2D[0];
  p.scaleY = g_Scale2D[1];
  p.inFrame = Screen_InViewFrame();
  p.offsetX = 0.0f;
  p.offsetY = 0.0f;
  if (p.inFrame) {
    Screen_FrameOffset(&p.offsetX, &p.offsetY);
    f32 zoom = Screen_FrameZoom();   // the frame's content shown smaller or larger
    p.scaleX *= zoom;
    p.scaleY *= zoom;
  }
  return p;
}

static void Draw2D(u32 primType, u32 primCount, const Vert2D *v, int n) {
  Place2D p = Draw_CurrentPlacement();
  ScreenVertex s[4];
  for (int i = 0; i < n; i++) s[i] = Draw_PlaceVertex(&p, &v[i]);
  DrawDev_DrawUP(FVF_SCREENVERTEX, primType, primCount, s, sizeof(ScreenVertex));
}

// [SECTION] 2D primitives

void Draw_Point2DColors(i32 x, i32 y, i32 r, i32 g, i32 b, i32 a, f32 u, f32 v) {
  Vert2D p = {x, y, r, g, b, a, u, v};
  if (DrawBatch_IsOpen()) {
    Place2D pl = Draw_CurrentPlacement();
    DrawBatch_Point2D(Draw_PlaceVertex(&pl, &p));
    return;
  }
  Draw2D(DPT_POINTLIST, 1, &p, 1);
}

void Draw_Line2DColors(i32 x1, i32 y1, i32 r1, i32 g1, i32 b1, i32 a1, f32 u1, f32 v1,
                       i32 x2, i32 y2, i32 r2, i32 g2, i32 b2, i32 a2, f32 u2, f32 v2) {
  Vert2D v[2] = {{x1, y1, r1, g1, b1, a1, u1, v1}, {x2, y2, r2, g2, b2, a2, u2, v2}};
  if (DrawBatch_IsOpen()) {
    Place2D pl = Draw_CurrentPlacement();
    ScreenVertex s[2] = {Draw_PlaceVertex(&pl, &v[0]), Draw_PlaceVertex(&pl, &v[1])};
    DrawBatch_Line2D(s);
    return;
  }
  Draw2D(DPT_LINELIST, 1, v, 2);
}

void Draw_Line2DKeyed(const Place2D *p, i32 x1, i32 y1, u32 key1, i32 x2, i32 y2, u32 key2, i32 r, i32 g, i32 b, i32 a) {
  if (!DrawBatch_IsOpen()) {
    Draw_Line2D(x1, y1, r, g, b, a, x2, y2, r, g, b, a);
    return;
  }
  ScreenVertex s[2];
  u32 color = Draw_PackColor(r, g, b, a);
  PlaceCorner(p, x1, y1, color, 0.0f, 0.0f, &s[0]);
  PlaceCorner(p, x2, y2, color, 0.0f, 0.0f, &s[1]);
  const u32 keys[2] = {key1, key2};
  DrawBatch_Line2DKeyed(s, keys);
}

void Draw_Point2D(i32 x, i32 y, i32 r, i32 g, i32 b, i32 a) {
  Draw_Point2DColors(x, y, r, g, b, a, 0.0f, 0.0f);
}

void Draw_Line2D(i32 x1, i32 y1, i32 r1, i32 g1, i32 b1, i32 a1,
                 i32 x2, i32 y2, i32 r2, i32 g2, i32 b2, i32 a2) {
  Draw_Line2DColors(x1, y1, r1, g1, b1, a1, 0.0f, 0.0f, x2, y2, r2, g2, b2, a2, 0.0f, 0.0f);
}

void Draw_Triangle2D(i32 x1, i32 y1, i32 r1, i32 g1, i32 b1, i32 a1, f32 u1, f32 v1,
                     i32 x2, i32 y2, i32 r2, i32 g2, i32 b2, i32 a2, f32 u2, f32 v2,
                     i32 x3, i32 y3, i32 r3, i32 g3, i32 b3, i32 a3, f32 u3, f32 v3) {
  Vert2D v[3] = {{x1, y1, r1, g1, b1, a1, u1, v1}, {x2, y2, r2, g2, b2, a2, u2, v2},
                 {x3, y3, r3, g3, b3, a3, u3, v3}};
  Draw2D(DPT_TRIANGLELIST, 1, v, 3);
}

void Draw_Quad2DCorners(const Vert2D v[4]) {
  Place2D p = Draw_CurrentPlacement();
  ScreenVertex s[4];
  for (int i = 0; i < 4; i++) s[i] = Draw_PlaceVertex(&p, &v[i]);
  DrawBatch_FlushPending();
  if (g_Dev.draw.setFVF) g_Dev.draw.setFVF(FVF_SCREENVERTEX);
  if (g_Draw.nextQuadAdditive == 1) DrawDev_SetRenderState(DRS_DESTBLEND, DBLEND_ONE);
  if (g_Dev.draw.drawPrimitiveUP) g_Dev.draw.drawPrimitiveUP(DPT_TRIANGLEFAN, 2, s, sizeof(ScreenVertex));
  // Every quad leaves normal alpha blending behind it, additive or not.
  DrawDev_SetRenderState(DRS_DESTBLEND, DBLEND_INVSRCALPHA);
  g_Draw.nextQuadAdditive = 0;
}

void Draw_Quad2D(i32 x1, i32 y1, i32 r1, i32 g1, i32 b1, i32 a1, f32 u1, f32 v1,
                 i32 x2, i32 y2, i32 r2, i32 g2, i32 b2, i32 a2, f32 u2, f32 v2,
                 i32 x3, i32 y3, i32 r3, i32 g3, i32 b3, i32 a3, f32 u3, f32 v3,
                 i32 x4, i32 y4, i32 r4, i32 g4, i32 b4, i32 a4, f32 u4, f32 v4) {
  Vert2D v[4] = {{x1, y1, r1, g1, b1, a1, u1, v1}, {x2, y2, r2, g2, b2, a2, u2, v2},
                 {x3, y3, r3, g3, b3, a3, u3, v3}, {x4, y4, r4, g4, b4, a4, u4, v4}};
  Draw_Quad2DCorners(v);
}

void Draw_Rect2D(i32 x1, i32 y1, i32 x2, i32 y2, i32 r, i32 g, i32 b, i32 a) {
  Draw_Line2D(x1, y1, r, g, b, a, x2, y1, r, g, b, a);
  Draw_Line2D(x2, y1, r, g, b, a, x2, y2, r, g, b, a);
  Draw_Line2D(x1, y2, r, g, b, a, x2, y2, r, g, b, a);
  Draw_Line2D(x1, y1, r, g, b, a, x1, y2, r, g, b, a);
}

// [SECTION] 3D primitives

static SceneVertex MakeSceneVertex(f32 x, f32 y, f32 z, f32 nx, f32 ny, f32 nz,
                                   i32 r, i32 g, i32 b, i32 a, f32 u, f32 v) {
  SceneVertex s = {x, y, z, nx, ny, nz, Draw_PackColor(r, g, b, a), 0, u, v};
  return s;
}

// Points and lines keep their own colour: lighting is off around the draw and on after it.
static void DrawUnlit3D(u32 primType, const SceneVertex *v) {
  DrawDev_SetRenderState(DRS_LIGHTING, 0);
  DrawDev_DrawUP(FVF_SCENEVERTEX, primType, 1, v, sizeof(SceneVertex));
  DrawDev_SetRenderState(DRS_LIGHTING, 1);
}

void Draw_Point3D(f32 x, f32 y, f32 z, i32 r, i32 g, i32 b, i32 a, f32 u, f32 v) {
  SceneVertex s = MakeSceneVertex(x, y, z, 0, 0, 0, r, g, b, a, u, v);
  if (DrawBatch_IsOpen()) DrawBatch_Point3D(s);
  else DrawUnlit3D(DPT_POINTLIST, &s);
}

void Draw_Line3D(f32 x1, f32 y1, f32 z1, i32 r1, i32 g1, i32 b1, i32 a1, f32 u1, f32 v1,
                 f32 x2, f32 y2, f32 z2, i32 r2, i32 g2, i32 b2, i32 a2, f32 u2, f32 v2) {
  SceneVertex s[2] = {MakeSceneVertex(x1, y1, z1, 0, 0, 0, r1, g1, b1, a1, u1, v1),
                      MakeSceneVertex(x2, y2, z2, 0, 0, 0, r2, g2, b2, a2, u2, v2)};
  if (DrawBatch_IsOpen()) DrawBatch_Line3D(s);
  else DrawUnlit3D(DPT_LINELIST, s);
}

void Draw_LineRing3D(const f32 *xyz, i32 n, i32 r, i32 g, i32 b, i32 a, const u32 *keys) {
  if (n < 2 || n > 4) return;
  // Field by field, with no vertex staged and copied: the batch reads each corner at once.
  SceneVertex s[4] = {};
  u32 color = Draw_PackColor(r, g, b, a);
  for (i32 j = 0; j < n; j++) s[j].x = xyz[3 * j], s[j].y = xyz[3 * j + 1], s[j].z = xyz[3 * j + 2], s[j].diffuse = color;
  if (DrawBatch_IsOpen()) {
    if (keys) DrawBatch_Ring3DKeyed(s, keys, (u32)n);
    else DrawBatch_Ring3D(s, (u32)n);
    return;
  }
  for (i32 j = 0; j < n; j++) {
    const SceneVertex line[2] = {s[j], s[(j + 1) % n]};
    DrawUnlit3D(DPT_LINELIST, line);
  }
}

void Draw_Triangle3DVerts(const SceneVertex v[3]) {
  if (DrawBatch_IsOpen()) {
    DrawBatch_Triangle3D(v);
    return;
  }
  DrawDev_DrawUP(FVF_SCENEVERTEX, DPT_TRIANGLELIST, 1, v, sizeof(SceneVertex));
}

void Draw_Quad3DVerts(const SceneVertex v[4]) {
  SceneVertex s[6] = {v[0], v[1], v[2], v[0], v[2], v[3]};
  DrawDev_DrawUP(FVF_SCENEVERTEX, DPT_TRIANGLELIST, 2, s, sizeof(SceneVertex));
}

void Draw_Triangle3D(f32 x1, f32 y1, f32 z1, f32 nx1, f32 ny1, f32 nz1, i32 r1, i32 g1, i32 b1, i32 a1, f32 u1, f32 v1,
                     f32 x2, f32 y2, f32 z2, f32 nx2, f32 ny2, f32 nz2, i32 r2, i32 g2, i32 b2, i32 a2, f32 u2, f32 v2,
                     f32 x3, f32 y3, f32 z3, f32 nx3, f32 ny3, f32 nz3, i32 r3, i32 g3, i32 b3, i32 a3, f32 u3, f32 v3) {
  SceneVertex s[3] = {MakeSceneVertex(x1, y1, z1, nx1, ny1, nz1, r1, g1, b1, a1, u1, v1),
                      MakeSceneVertex(x2, y2, z2, nx2, ny2, nz2, r2, g2, b2, a2, u2, v2),
                      MakeSceneVertex(x3, y3, z3, nx3, ny3, nz3, r3, g3, b3, a3, u3, v3)};
  Draw_Triangle3DVerts(s);
}

void Draw_Quad3D(f32 x1, f32 y1, f32 z1, f32 nx1, f32 ny1, f32 nz1, i32 r1, i32 g1, i32 b1, i32 a1, f32 u1, f32 v1,
                 f32 x2, f32 y2, f32 z2, f32 nx2, f32 ny2, f32 nz2, i32 r2, i32 g2, i32 b2, i32 a2, f32 u2, f32 v2,
                 f32 x3, f32 y3, f32 z3, f32 nx3, f32 ny3, f32 nz3, i32 r3, i32 g3, i32 b3, i32 a3, f32 u3, f32 v3,
                 f32 x4, f32 y4, f32 z4, f32 nx4, f32 ny4, f32 nz4, i32 r4, i32 g4, i32 b4, i32 a4, f32 u4, f32 v4) {
  SceneVertex s[4] = {MakeSceneVertex(x1, y1, z1, nx1, ny1, nz1, r1, g1, b1, a1, u1, v1),
                      MakeSceneVertex(x2, y2, z2, nx2, ny2, nz2, r2, g2, b2, a2, u2, v2),
                      MakeSceneVertex(x3, y3, z3, nx3, ny3, nz3, r3, g3, b3, a3, u3, v3),
                      MakeSceneVertex(x4, y4, z4, nx4, ny4, nz4, r4, g4, b4, a4, u4, v4)};
  Draw_Quad3DVerts(s);
}

// [SECTION] States

void Draw_SetNextQuadAdditive(u32 flag) { g_Draw.nextQuadAdditive = flag; }

void Draw_SetLighting(u32 flag) { DrawDev_SetRenderState(DRS_LIGHTING, flag); }

void Lib_SetSceneDraw(u32 flag) { g_Draw.sceneDrawOn = flag; }

void Draw_SetFillMode(i32 mode) {
  u32 fill, shade;
  switch (mode) {
    case 1: fill = DFILL_POINT; shade = DSHADE_GOURAUD; break;
    case 2: fill = DFILL_WIREFRAME; shade = DSHADE_GOURAUD; break;
    case 3: fill = DFILL_SOLID; shade = DSHADE_FLAT; break;
    case 4:
    case 5: fill = DFILL_SOLID; shade = DSHADE_GOURAUD; break;
    default: return;
  }
  DrawDev_SetRenderState(DRS_FILLMODE, fill);
  DrawDev_SetRenderState(DRS_SHADEMODE, shade);
}

void Draw_SetDefaultStates(void) {
  DrawDev_SetSamplerState(0, DSAMP_MINFILTER, DTEXF_LINEAR);
  DrawDev_SetSamplerState(0, DSAMP_MAGFILTER, DTEXF_LINEAR);
  DrawDev_SetSamplerState(0, DSAMP_MIPFILTER, DTEXF_LINEAR);
  DrawDev_ModulateTextureColour();
  DrawDev_SetRenderState(DRS_DITHERENABLE, 1);
  DrawDev_SetRenderState(DRS_ZENABLE, 1);
  DrawDev_SetRenderState(DRS_NORMALIZENORMALS, 1);
  DrawDev_SetRenderState(DRS_ALPHABLENDENABLE, 1);
  DrawDev_SetRenderState(DRS_ALPHATESTENABLE, 1);
  DrawDev_SetRenderState(DRS_ALPHAREF, 1);
  DrawDev_SetRenderState(DRS_ALPHAFUNC, DCMP_GREATEREQUAL);
  DrawDev_SetRenderState(DRS_SHADEMODE, DSHADE_GOURAUD);
  DrawDev_SetRenderState(DRS_SRCBLEND, DBLEND_SRCALPHA);
  DrawDev_SetRenderState(DRS_DESTBLEND, DBLEND_INVSRCALPHA);
  DrawDev_SetStageState(0, DTSS_ALPHAARG1, DTA_TEXTURE);
  DrawDev_SetStageState(0, DTSS_ALPHAOP, DTOP_MODULATE);
  DrawDev_SetRenderState(DRS_FILLMODE, DFILL_SOLID);
  DrawDev_SetSamplerState(0, DSAMP_ADDRESSU, DTADDRESS_WRAP);
  DrawDev_SetSamplerState(0, DSAMP_ADDRESSV, DTADDRESS_WRAP);
}
