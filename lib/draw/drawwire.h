// Each edge of a mesh's wire drawn once where drawing it twice leaves the same picture.
//
// An overlay draws a wire as its faces' rings, face after face: an edge between two faces is
// drawn twice, once from each. The earlier of the two draws can be left out without changing a
// pixel when the later one is opaque and symmetric (DrawWire_Symmetric) and the lines land on
// pixel centres (a batch at whole pixels): a line covers the pixels between its ends the same
// way in both directions and never its end pixel, so the later line covers every pixel of the
// earlier one but its start; that start is covered again when an opaque edge kept after both
// leaves it in a way that covers its start pixel on every device (a point, a line longer
// across than down, or one going down: one device leaves out the start of a steep line up).
// Whatever was drawn in between is covered again as it was, so the order of overlapping marks
// and edges is kept.
//
// The walker lists its faces' rings once per frame (DrawWire_Build: corner j of face f is
// ring[4 f + j], count[f] corners, 0 for a face not drawn), plans with the positions' pixels
// (DrawWire_Plan) and asks DrawWire_Skip per corner. DrawWire_Twin names, for a
// corner's edge (to the next corner), the corner of the one other face that has that edge, or
// -1 when no other face has it, more than two faces have it, or either face passes a position
// twice. The pairing is kept while the rings stay the same (every view of a frame).
//
// Globals owned here: g_DrawWireOff (a measuring run sets it to draw every edge, as before) and
// s_ file statics (the pairing, its hash table and the plan).
#pragma once
#include "model/types.h"

extern u32 g_DrawWireOff;

void DrawWire_Build(const u32 *ring, const u8 *count, u32 faces);
i32 DrawWire_Twin(u32 corner);
// Chooses the edges to leave out once the rings are paired, walking the drawing backwards
// over the covered pixels of the viewport (drawmarks.h): pixels[2 v], pixels[2 v + 1] is
// position v's pixel; faces for which late(f) holds are drawn after the others (late null:
// none), each group in face order; the others' edges are opaque when earlyOpaque (late ones
// always are). marks(c), when given, plans the opaque marks drawn right after corner c's edge.
// An edge is left out when its twin is drawn later, opaque and symmetric and a later opaque
// primitive covers its start, or when later opaque primitives cover every pixel it may cover.
// False (nothing left out) when a ring names a position beyond `positions`, there is no
// viewport or no memory.
bool DrawWire_Plan(const i32 *pixels, u32 positions, bool (*late)(u32 face), bool earlyOpaque,
                   void (*marks)(u32 corner));
bool DrawWire_Skip(u32 corner);
// Whether a line between two pixel centres covers the same pixels between its ends in either
// direction: true unless it passes exactly halfway between two pixels somewhere, where the
// device may take either one by the direction (the long side over the greatest common divisor
// of the two sides is even).
bool DrawWire_Symmetric(i32 x1, i32 y1, i32 x2, i32 y2);
// True when an edge may be left out for its twin: a batch is open and 2D vertices land on
// whole pixels (no scale, whole offsets).
bool DrawWire_Exact(void);
