// Curved point-normal (PN) triangles: a cubic Bezier triangle from three corner positions
// and normals, sampled on a regular grid whose weights are computed once per level.
//
// Level L (1..12 in the tables, 1..8 for every user) has N = L + 2 grid points per edge,
// numbered row by row: row i (0..N-1) holds i + 1 points with u = 1 - i / (N - 1) and
// v = j / (N - 1), w = 1 - u - v. Point 0 is corner 2 (u = 1), the first point of the last
// row corner 1 (w = 1), the last point corner 3 (v = 1).
//
// Global owned here: g_Pn: the weight and index tables, the grid work buffers of one
// tessellated triangle, and the tessellation work model.
#pragma once
#include "model/model3.h"
#include "model/types.h"

enum { PN_LEVELS = 12, PN_MAX_LEVEL = 8, PN_MAX_GRID = 14 * 15 / 2 };

// Bezier weights of one grid point; see Pn_BezierWeights.
struct PnWeightRecord {
  f32 w[12];   // w^3, u^3, v^3, 3w^2u, 3wu^2, 3u^2v, 3uv^2, 3v^2w, 3w^2v, 6wuv, u, v
};
static_assert(sizeof(PnWeightRecord) == 48, "PnWeightRecord layout");

// One corner or grid point.
struct PnVertex {
  f32 pos[3];
  f32 normal[3];
  f32 uv[2];
};

// A corner as the callers give it: colour components 0..255.
struct PnCorner {
  f32 pos[3];
  f32 normal[3];
  i32 color[4];   // r, g, b, a
  f32 uv[2];
};

struct PnControl {
  f32 c[7][3];    // C0..C5 near edge points, C6 centre
};

// Work buffers of the triangle being tessellated, in grid numbering.
// The tessellation tables and work buffers: written by Pn_InitTables and the tessellation
// of one triangle (pn.cpp) only.
struct PnState {
  bool workReady;  // the work model is allocated
  u32 tablesBuilt;
  i32 gridCount;
  Model3 *workModel;
  PnWeightRecord *weights[PN_LEVELS];
  u16 *indices[PN_LEVELS];
  PnVertex grid[PN_MAX_GRID];
  f32 gridColors[PN_MAX_GRID][4];
};
extern PnState g_Pn;

void Pn_BezierWeights(PnWeightRecord *out, f32 u, f32 v);
// Builds the tables of all 12 levels once; 0 on success, E_FAIL (0x80004005) when memory ran
// out (the tables built so far are kept, the built flag stays 0).
i32 Pn_InitTables(void);
// Grid points and triangles of table entry k (level k + 1).
inline i32 Pn_GridPoints(i32 level) { return (level + 2) * (level + 3) / 2; }
inline i32 Pn_Triangles(i32 level) { return (level + 1) * (level + 1); }
inline i32 Pn_ClampLevel(i32 level) { return level < 1 ? 1 : (level > PN_MAX_LEVEL ? PN_MAX_LEVEL : level); }

// Control points of the triangle (P1, N1), (P2, N2), (P3, N3); normals are used as given.
void Pn_ControlPoints(PnControl *out, const f32 p1[3], const f32 n1[3], const f32 p2[3],
                      const f32 n2[3], const f32 p3[3], const f32 n3[3]);
// One curved grid point; appends its colour to the colour work buffer.
void Pn_Evaluate(PnVertex *out, const PnVertex *c1, const PnVertex *c2, const PnVertex *c3,
                 const f32 col1[4], const f32 col2[4], const f32 col3[4], const PnControl *ctl,
                 const PnWeightRecord *b);
// Fills the grid work buffers for the corners at a level (clamped to 1..8); returns the
// clamped level, or 0 when the tables are not built.
i32 Pn_BuildGrid(const PnCorner *c1, const PnCorner *c2, const PnCorner *c3, i32 level);
// Draws one triangle curved at the level: (L+1)^2 one-triangle draws of SceneVertex.
void Pn_TessellatePolygon(const PnCorner *c1, const PnCorner *c2, const PnCorner *c3, i16 level);

// The "曲面化" command: the model of a slot tessellated into the work model at its refinement
// level. False (with a message, work model left empty) when the result would not fit the
// work model's capacities, or when there is no model, work model or table.
bool Pn_TessellateModel(i32 slot);
// Copies the work model into the slot's model and recomputes its normals (false, nothing
// changed, without a tessellation to store).
bool Pn_StoreWorkModel(i32 slot);
// Frees the work model and creates a new, empty, fully allocated one.
void Pn_PrepareWorkModel(void);
