// The drawing device: the few device operations that the portable drawing code needs.
//
// Primitives, screen text, the camera, textures and the image table are portable: they
// build vertices, matrices and texel rows themselves and hand them to g_Dev.draw. The
// Windows program fills g_Dev.draw with Direct3D 9 calls (drawdev_win.cpp); native tests
// install a recording device. Every wrapper below first sends the lines and points that an
// open batch holds (drawbatch.h), so that they reach the device in the order they were given. While an entry is null the operation does nothing, and
// `ready` null or false means "no device" (loads then fail, targets are not created).
//
// The constants below carry the Direct3D 9 numbers so that the Windows device passes
// them through unchanged (the Windows build checks every one against the platform).
#pragma once
#include "model/types.h"

// Render states.
enum {
  DRS_ZENABLE = 7, DRS_FILLMODE = 8, DRS_SHADEMODE = 9, DRS_ZWRITEENABLE = 14,
  DRS_ALPHATESTENABLE = 15, DRS_SRCBLEND = 19, DRS_DESTBLEND = 20, DRS_CULLMODE = 22,
  DRS_ALPHAREF = 24, DRS_ALPHAFUNC = 25, DRS_DITHERENABLE = 26, DRS_ALPHABLENDENABLE = 27,
  DRS_FOGENABLE = 28, DRS_STENCILENABLE = 52, DRS_STENCILFAIL = 53, DRS_STENCILZFAIL = 54,
  DRS_STENCILPASS = 55, DRS_STENCILFUNC = 56, DRS_STENCILREF = 57, DRS_STENCILMASK = 58,
  DRS_STENCILWRITEMASK = 59, DRS_LIGHTING = 137, DRS_NORMALIZENORMALS = 143,
};
// Render-state values.
enum {
  DFILL_POINT = 1, DFILL_WIREFRAME = 2, DFILL_SOLID = 3,
  DSHADE_FLAT = 1, DSHADE_GOURAUD = 2,
  DBLEND_ZERO = 1, DBLEND_ONE = 2, DBLEND_SRCALPHA = 5, DBLEND_INVSRCALPHA = 6,
  DCULL_NONE = 1, DCULL_CW = 2, DCULL_CCW = 3,
  DCMP_ALWAYS = 8, DCMP_LESSEQUAL = 4, DCMP_GREATEREQUAL = 7,
  DSTENCILOP_KEEP = 1, DSTENCILOP_INCR = 7, DSTENCILOP_DECR = 8,
};
// Texture-stage states, sampler states and their values.
enum {
  DTSS_COLOROP = 1, DTSS_COLORARG1 = 2, DTSS_COLORARG2 = 3, DTSS_ALPHAOP = 4, DTSS_ALPHAARG1 = 5,
  DTOP_MODULATE = 4, DTA_DIFFUSE = 0, DTA_TEXTURE = 2,
  DSAMP_ADDRESSU = 1, DSAMP_ADDRESSV = 2, DSAMP_MAGFILTER = 5, DSAMP_MINFILTER = 6,
  DSAMP_MIPFILTER = 7, DTEXF_NONE = 0, DTEXF_POINT = 1, DTEXF_LINEAR = 2, DTADDRESS_WRAP = 1,
};
// Primitive types, vertex formats and transform slots.
enum {
  DPT_POINTLIST = 1, DPT_LINELIST = 2, DPT_TRIANGLELIST = 4, DPT_TRIANGLESTRIP = 5,
  DPT_TRIANGLEFAN = 6,
  DFVF_XYZ = 0x002, DFVF_XYZRHW = 0x004, DFVF_NORMAL = 0x010, DFVF_DIFFUSE = 0x040,
  DFVF_SPECULAR = 0x080, DFVF_TEX1 = 0x100,
  DTS_VIEW = 2, DTS_PROJECTION = 3, DTS_WORLD = 256,
};

struct DrawViewport {
  u32 x, y, width, height;
  f32 minZ, maxZ;
};

struct DrawDev {
  bool (*ready)(void);
  void (*setRenderState)(u32 state, u32 value);
  void (*setSamplerState)(u32 sampler, u32 type, u32 value);
  void (*setTextureStageState)(u32 stage, u32 type, u32 value);
  void (*setTexture)(u32 stage, void *texture);
  void (*setFVF)(u32 fvf);
  void (*drawPrimitiveUP)(u32 primType, u32 primCount, const void *verts, u32 stride);
  // Indexed draw from memory: 16-bit indices into vertices 0..vertCount-1.
  void (*drawIndexedPrimitiveUP)(u32 primType, u32 vertCount, u32 primCount, const u16 *indices,
                                 const void *verts, u32 stride);
  // Transforms are row-vector 4x4 matrices (16 floats, translation in 12..14); HRESULT-like result.
  i32 (*setTransform)(u32 which, const f32 *m);
  void (*getTransform)(u32 which, f32 *m);
  void (*getViewport)(DrawViewport *vp);
  // Textures: A8R8G8B8, one level, managed pool; the created size is reported back.
  void *(*createTexture)(i32 width, i32 height, i32 *outWidth, i32 *outHeight);
  bool (*textureSize)(void *texture, i32 *width, i32 *height);
  u8 *(*lockTexture)(void *texture, i32 *pitch);
  void (*unlockTexture)(void *texture);
  // The platform image loader (full mip chain, A8R8G8B8, managed, point filters); colorKey 0 = none.
  void *(*loadTextureFile)(const char *path, u32 colorKey, i32 *width, i32 *height);
  // Render-target texture (A8R8G8B8, one level, default pool) and its level-0 surface.
  void *(*createTargetTexture)(u32 width, u32 height, void **surface);
  void (*release)(void *handle);
  // The screen-text font: a SHIFTJIS GDI font of the given pixel height made into a text font.
  void *(*createFont)(i32 height);
  void (*drawText)(void *font, const char *text, i32 left, i32 top, u32 color);
  // One more holder of a handle: it lives until every holder has released it.
  void (*retain)(void *handle);
};

// The render device's table: the operations the model renderers need beyond the immediate
// drawing above (device buffers, scene, clear, material, light, viewport, indexed draws;
// lib/render/rdev.h has its helpers).
struct RenderColor { f32 r, g, b, a; };

struct RenderMaterial {
  RenderColor diffuse, ambient, specular, emissive;
  f32 power;
};

// A point light (the only kind the frame uses).
struct RenderLight {
  RenderColor diffuse, specular, ambient;
  f32 position[3];
  f32 direction[3];
  f32 range;
  f32 attenuation[3];
};

struct RenderDev {
  // Write-only buffers in the managed pool; null when they cannot be created.
  void *(*createVertexBuffer)(u32 bytes);
  void *(*createIndexBuffer)(u32 bytes, bool index32);
  // Locks a whole buffer for writing; null when it cannot be locked.
  void *(*lockVertexBuffer)(void *buffer);
  void (*unlockVertexBuffer)(void *buffer);
  void *(*lockIndexBuffer)(void *buffer);
  void (*unlockIndexBuffer)(void *buffer);
  // Scene and frame; HRESULT-like results (< 0 failed).
  i32 (*beginScene)(void);
  void (*endScene)(void);
  void (*clear)(u32 flags, u32 color, f32 z, u32 stencil);
  void (*setViewport)(const DrawViewport *vp);
  void (*setMaterial)(const RenderMaterial *m);
  void (*setLight)(u32 index, const RenderLight *l);
  void (*enableLight)(u32 index, bool on);
  // Stream 0 and the index buffer of the indexed draws.
  void (*setStreamSource)(void *buffer, u32 stride);
  void (*setIndices)(void *buffer);
  void (*drawPrimitive)(u32 primType, u32 startVertex, u32 primCount);
  void (*drawIndexedPrimitive)(u32 primType, u32 numVertices, u32 startIndex, u32 primCount);
  void (*setSoftwareVertexProcessing)(bool on);
};

// The one device table of the library: the drawing and the render device. Writers: the
// Windows start-up (Draw_InstallFor, Render_InstallDevice); native tests install fakes
// (tests/support). A null entry does nothing.
struct LibDevice {
  DrawDev draw;
  RenderDev render;
  // Called when the device is replaced, before the library lets its own objects go: whoever
  // retained handles (the undo history keeps textures) releases them, so the old device goes
  // with its last reference. Installed by the holder; null when nobody keeps any.
  void (*releaseKept)(void);
};
extern LibDevice g_Dev;

inline bool DrawDev_Ready() { return g_Dev.draw.ready && g_Dev.draw.ready(); }
void DrawDev_SetRenderState(u32 state, u32 value);
void DrawDev_SetSamplerState(u32 sampler, u32 type, u32 value);
void DrawDev_SetStageState(u32 stage, u32 type, u32 value);
// Stage 0's colour: the texture's modulated by the diffuse colour.
void DrawDev_ModulateTextureColour(void);
void DrawDev_SetTexture(u32 stage, void *texture);
void DrawDev_DrawUP(u32 fvf, u32 primType, u32 primCount, const void *verts, u32 stride);
void DrawDev_DrawIndexedUP(u32 fvf, u32 primType, u32 vertCount, u32 primCount, const u16 *indices,
                           const void *verts, u32 stride);
void DrawDev_Release(void *handle);
// Keeps a handle for a second holder; false (nothing kept) on a device that cannot.
bool DrawDev_Retain(void *handle);
