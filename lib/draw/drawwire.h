// A mesh's wire drawn without the lines that leave no pixel of their own.
//
// An overlay draws a wire as its faces' rings, face after face: an edge between two faces is
// drawn twice, once from each, and where the model is dense or seen edge-on, lines and marks
// fall on each other. Two kinds of line can be left out with the picture unchanged:
// - the earlier draw of a shared edge, when the later one is opaque and tie-free
//   (DrawMarks_TieFree) and the lines land on pixel centres (a batch at whole pixels): both
//   directions cover the same pixels between the ends and neither end is the earlier line's
//   alone but its start (devices that draw the last pixel draw both ends either way), and that
//   start is covered again when an opaque primitive kept after both covers it on every device;
// - any line whose every pixel later opaque lines, points and marks cover (drawmarks.h).
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
// Globals owned here: g_DrawWireOff (a measuring run sets it to draw every line, as before) and
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
// True when an edge may be left out for its twin: a batch is open and 2D vertices land on
// whole pixels (no scale, whole offsets).
bool DrawWire_Exact(void);
