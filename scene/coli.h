// Collision sets: the document being edited, the geometric primitives and the per-frame
// resolution that moves the participating scene objects against the set.
//
// Global owned here: g_Coli.
//   doc        the one collision set (null before the collision editor first runs);
//              replaced only by Coli_NewDocument, Coli_ReplaceDocument and Kzc_Read, edited
//              in place by the collision editor; Coli_Resolve writes its ground height and
//              triangle cache.
//   collide    collide flag per scene object 0..255 (1 = the object takes part); set by the
//              collision editor. The radius of object i is g_Lib.randomTable[i].
//   triangle   the current triangle of the segment tests (Coli_SegmentTriangle).
//   grid       Coli_Resolve's grid over the collision model (Coli_InvalidateGrid drops it).
//
// The document's own collision model lives outside the slot table. Coli_Resolve keeps a grid
// over the first corners of its polygons; whoever changes that model's polygons or positions
// in place calls Coli_InvalidateGrid (a new model, or a new document, is noticed by itself).
#pragma once
#include "model/model3.h"
#include "model/types.h"

enum {
  COLI_BOXES = 100,
  COLI_CIRCLES = 100,
  COLI_SLOTS = 10,           // character models placed with a set (model slots 10..19)
  COLI_FIRST_CHARACTER = 10, // model slot and scene object of character slot 0
  COLI_NAME = 256,
  COLI_OBJECTS = 256,        // scene objects with a participation entry and a triangle cache
  COLI_SCRATCH_SLOT = 255,   // the model slot a read opens the collision model into
};

// A box wall: a square of half-size `size` turned by `angle` degrees about the vertical axis.
struct ColiBox {
  u32 used;   // 1 = in use
  f32 x, y, z;
  f32 angle;
  f32 size;
};

// A circular wall of radius `size` on the ground.
struct ColiCircle {
  u32 used;
  f32 x, y, z;
  f32 size;
};

struct CollisionDoc {
  u32 version;             // g_KzcVersion for a new set; the file's version after a read
  f32 bounds[6];           // movement range: min x, y, z, max x, y, z
  i32 boxCount;            // records in use, packed at the front of boxes
  i32 circleCount;
  u32 loaded;              // 1 after a successful read; the editor clears it on leave
  Model3 *model;           // the collision model (owned); null when the set names none
  f32 groundHeight;        // height of the ground found under the last resolved object
  ColiBox boxes[COLI_BOXES];
  ColiCircle circles[COLI_CIRCLES];
  char modelName[COLI_NAME];                 // file of the collision model; "" = none
  u32 slotFlags[COLI_SLOTS];                 // 1 = a character model file is named
  char slotNames[COLI_SLOTS][COLI_NAME];
  char fileName[COLI_NAME];                  // "新規.KZC" for a new set
  char folder[COLI_NAME];                    // what the model names are kept from (not in the
                                             // file; see model/docref.h)
  i32 triangleCache[COLI_OBJECTS];           // last polygon hit per object; -1 = none
};


// [SECTION] The document
// A zeroed document with the defaults of a new set, not installed; null when out of memory.
CollisionDoc *Coli_AllocDocument(void);
// Frees a document and its collision model (null does nothing).
void Coli_FreeDocument(CollisionDoc *d);
// Installs d as g_Coli.doc, freeing the document it replaces (and its collision model).
void Coli_ReplaceDocument(CollisionDoc *d);
// A new default set in g_Coli.doc (the old one freed); null when out of memory, and the
// old document then stays.
CollisionDoc *Coli_NewDocument(void);

// Fills the File menu's KZC, collision-model and background entries (start-up).
void Coli_InstallFileMenu(void);

// [SECTION] Geometry
struct ColiTriangle {
  f32 p[3][3];   // corners P0, P1, P2
  f32 n[3];      // unit plane normal (zero for a degenerate triangle)
  f32 d;         // plane constant: n·X + d = 0 on the plane
};

// The near-polygon grid of the collision model (coli_resolve.cpp).
struct ColiGrid {
  const Model3 *model;      // what it was built for (null: not built)
  const Polygon3 *polygons;
  const Vec3 *positions;
  i32 polygonCount, positionCount, normalCount;
  f64 minX, minZ, cell;
  i32 nx, nz;
  i32 *cellStart;   // nx * nz + 1 offsets into items
  i32 *items;       // polygon indices, ascending within each cell
  i32 *nearList;    // the near polygons of one object
};

// The collision facility's state (owners in the file header).
struct ColiFacility {
  CollisionDoc *doc;
  ColiTriangle triangle;
  ColiGrid grid;
  u32 collide[COLI_OBJECTS];
};
extern ColiFacility g_Coli;

f32 Vec3_Length(f32 x, f32 y, f32 z);
// v := (x, y, z) / its length; a zero vector stays zero.
void Vec3_Normalize(f32 v[3], f32 x, f32 y, f32 z);
// Whether p, a point on the current triangle's plane, lies inside it (edges included).
bool Coli_PointInTriangle(const f32 p[3]);
// Where segment a-b meets the current triangle's plane (into hit), and whether that point is
// inside the triangle. A segment parallel to the plane, or lying in it, never hits.
bool Coli_SegmentPlane(const f32 a[3], const f32 b[3], f32 hit[3]);
// Makes the nine floats tri (P0, P1, P2) the current triangle and tests segment a-b against it;
// normal receives the unnormalised normal (P1 - P0) x (P2 - P1). A degenerate triangle never hits.
bool Coli_SegmentTriangle(const f32 tri[9], const f32 a[3], const f32 b[3], f32 hit[3], f32 normal[3]);

// [SECTION] Resolution
// Radius of participating object i (0..255).
f32 Coli_Radius(i32 i);
// One frame of collision for every participating object; nothing without a loaded set.
void Coli_Resolve(void);
// Drops the near-polygon grid (rebuilt on the next Coli_Resolve).
void Coli_InvalidateGrid(void);
