// Batched immediate lines and points.
//
// An overlay that walks a whole mesh opens a batch around its loop; while a batch is open the
// immediate 2D and 3D lines and points (draw.h) are gathered into one indexed vertex list and
// sent in few draw calls instead of one call each. The list goes out when it is full, when a
// render state, texture, transform or any other draw is about to change the device, when the
// kind of primitive changes (2D lines, 2D triangles, 3D lines, 3D points, 3D triangles) and when the outermost
// batch closes.
// The picture is the one that drawing each primitive at once gives: primitives keep their order
// inside a list, equal vertices are shared through the index list, and a 2D point is sent as the
// one-pixel line from its pixel to the next one to the right, so that points and lines stay in
// one list in the order they were given. A 2D line wholly beyond one side of the viewport
// draws no pixel and is left out. 3D lines and points switch lighting off once per list;
// triangles keep it as it is.
//
// Callers that draw the same opaque mark again and again in one batch (a selected vertex's box
// at every corner that passes it) may draw it at its last place only: the picture stays.
//
// Globals owned here: g_DrawBatch (changed only by this file) and g_DrawBatchOff, which a
// picture test sets to draw as before: every primitive at once and every repeated mark.
#pragma once
#include "lib/draw/draw.h"

enum {
  DRAWBATCH_VERTS = 32768,     // vertices of one list (16-bit indices)
  DRAWBATCH_INDICES = 65536,   // indices of one list: 32,768 lines
  DRAWBATCH_SHARE = 4096,      // slots of the table that finds an equal vertex already listed
};

enum DrawBatchKind : u32 {
  DRAWBATCH_NONE, DRAWBATCH_LINES2D, DRAWBATCH_LINES3D, DRAWBATCH_POINTS3D, DRAWBATCH_TRIS3D, DRAWBATCH_TRIS2D
};

struct DrawBatch {
  u32 depth;          // open batches (nested opens share the outermost)
  u32 kind;           // DrawBatchKind of what is pending
  u32 vertCount, indexCount;
  u32 stamp;          // tells this list's share slots from older lists'
  u32 flushing;       // set while the list goes to the device
  u32 lists;          // lists sent since the program started (the benchmark reads it)
  f32 clip[4];        // the viewport when the batch opened, widened by a pixel: left, top, right, bottom
  u32 clipOn;         // 1 when clip holds a viewport
  u32 shareStamp[DRAWBATCH_SHARE];
  u16 shareIndex[DRAWBATCH_SHARE];
  u16 indices[DRAWBATCH_INDICES];
  u8 verts[DRAWBATCH_VERTS * sizeof(SceneVertex)];
};

extern DrawBatch g_DrawBatch;
extern u32 g_DrawBatchOff;

void DrawBatch_Begin(void);
// Closes a batch; the outermost close sends what is pending.
void DrawBatch_End(void);
// Sends what is pending now (the device wrappers call it before they change anything).
void DrawBatch_Flush(void);
inline void DrawBatch_FlushPending(void) {
  if (g_DrawBatch.indexCount && !g_DrawBatch.flushing) DrawBatch_Flush();
}
// True when what is pending is in screen pixels, which no transform moves.
inline bool DrawBatch_PendingIsScreen(void) {
  return g_DrawBatch.kind == DRAWBATCH_LINES2D || g_DrawBatch.kind == DRAWBATCH_TRIS2D;
}
// True while primitives are gathered rather than drawn at once.
inline bool DrawBatch_IsOpen(void) { return g_DrawBatch.depth > 0 && !g_DrawBatchOff; }

// Gather one placed 2D line or point, or one 3D line or point (callers check DrawBatch_IsOpen).
void DrawBatch_Line2D(const ScreenVertex v[2]);
void DrawBatch_Point2D(const ScreenVertex &v);
void DrawBatch_Line3D(const SceneVertex v[2]);
void DrawBatch_Point3D(const SceneVertex &v);
// One 2D line, each end with a key (where it comes from, e.g. a model position): an end equal
// byte for byte to the vertex last listed under its key shares that vertex instead of being
// looked up by its contents.
void DrawBatch_Line2DKeyed(const ScreenVertex v[2], const u32 keys[2]);
// One lit 3D triangle (the collision model's translucent faces).
void DrawBatch_Triangle3D(const SceneVertex v[3]);
// The closed ring of n (at most 4) 3D lines v[0]-v[1], ..., v[n-1]-v[0]: the picture of the
// n lines one by one, its corners listed once each without looking them up.
void DrawBatch_Ring3D(const SceneVertex *v, u32 n);
// The same ring, each corner with a key (where it comes from, e.g. a model position): a corner
// equal byte for byte to the vertex last listed under its key shares that vertex.
void DrawBatch_Ring3DKeyed(const SceneVertex *v, const u32 *keys, u32 n);
// One placed 2D polygon of n (3 or 4) corners as the fan (0, i, i + 1). Its corners are listed
// once each and not looked up among the list's other vertices: a mesh's polygons draw as
// fast as their vertices can be copied.
void DrawBatch_Polygon2D(const ScreenVertex *v, u32 n);
