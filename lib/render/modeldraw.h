// Model drawing: one Model3 under the device's current world transform in its render mode,
// the loops over the scene objects and the 3D object-set parts, and the shared vertex batch
// the immediate modes (and the edge, ground-shadow and 2D bone passes) fill.
//
// Owned here: the batch fill count and g_BatchIndexOff (set by tests and benchmarks only). The calls into the effect layer go through the
// model-drawing entries of g_LibHooks (lib.h; null entries are skipped).
#pragma once
#include "lib/draw/draw.h"
#include "lib/framework/lib.h"
#include "model/model3.h"
#include "model/types.h"

struct ImageHandle;


// [SECTION] Shared vertex batch
// Vertices the batch holds: six per polygon of the capacity, in whole triangles; it is
// allocated (once, at that one size) when start-up has not done it.
i32 Batch_Capacity(void);
// Starts a batch of triangle-list SceneVertex data.
void Batch_Begin(void);
// Appends a triangle; a full batch is drawn first and started again, so nothing is dropped
// and nothing is written past the batch.
void Batch_AddTriangle(const SceneVertex v[3]);
// The same, each corner with a key (BATCH_NO_KEY: none): on a device with indexed drawing a
// corner equal byte for byte to the vertex last queued under its key shares that vertex.
enum : u32 { BATCH_NO_KEY = 0xFFFFFFFFu };
void Batch_AddTriangleKeyed(const SceneVertex v[3], const u32 key[3]);
// The fan (0, t + 1, t + 2) of a polygon of n (3 or 4) keyed corners, each corner looked up
// once; with `mirror`, after each triangle its copy mirrored in x (corners t + 1, 0, t + 2 with
// x and the normal's x negated, keyed one more).
void Batch_AddFanKeyed(const SceneVertex *v, const u32 *key, i32 n, bool mirror);
// Draws what the batch holds (one triangle list, stride 40; indexed where the device draws
// indexed) and empties it.
void Batch_Flush(void);
// Set: batches are drawn as plain triangle lists even where the device draws indexed (the
// reference the indexed picture is compared with).
extern u32 g_BatchIndexOff;

// [SECTION] Colours
// Diffuse colour of corner c of polygon p as the immediate modes draw it (weight view,
// vertex colours or group colour, each scaled by the model colour).
u32 Render_ImmediateDiffuse(const Model3 *m, const Polygon3 *p, i32 c);
// True when the model is drawn with its posed positions and vertex normals now.
bool Render_UsesPose(const Model3 *m);

// [SECTION] Drawing
void Hlsl_DrawModel(i32 n, i32 part, Model3 *model);
// Stage 0 texture (group key texture of the current motion, else the group's), the toon
// stage and the specular switch of group g, as the immediate modes set them (render mode 4
// of the effect layer uses it too).
void Render_BindGroupStages(i32 n, i32 part, const Model3 *m, i32 g);
void Draw_SceneObjects(void);
void Draw_KzoObjects(void);
// Sets the device world transform from position, angles (degrees) and scale.
void Draw_ResetWorld(f32 x, f32 y, f32 z, f32 a, f32 b, f32 c, f32 sx, f32 sy, f32 sz);
