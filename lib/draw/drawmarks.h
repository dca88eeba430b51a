// Lines, points and marks hidden by later ones left out, with the same picture.
//
// An overlay that draws an opaque mark at every selected position (a box outline, a cross of
// points) or a wire whose lines fall on each other where the model is dense draws many of them
// over each other. A line whose every pixel later opaque lines and points cover again leaves no
// pixel of its own: it can be left out. The pixels are known where they land on pixel centres
// (a batch at whole pixels, DrawWire_Exact) and the line never passes exactly halfway between
// two pixels (DrawMarks_TieFree): on each step along its longer side it covers the pixel nearest
// to it. Devices differ only at the ends: one leaves out the start of a line going up more
// than across, devices that draw the last pixel draw the end. So the covered pixels are kept
// for each of the four kinds of device these two choices make: a line is left out when, on
// every kind, later opaque primitives cover each pixel it draws there (the same line drawn
// again later hides it on every device, ends included). A line with a halfway step always
// shows and counts as covering its start where it is drawn.
//
// The overlay walks what it draws once backwards before drawing (DrawMarks_Begin, then
// DrawMarks_Line, DrawMarks_Box and DrawMarks_Point from the last drawn to the first), keeps
// what they return and draws only that (DrawMarks_DrawBox draws the box sides kept).
//
// Globals owned here: s_ file statics only (the covered pixels of the view).
#pragma once
#include "model/types.h"

// Clears the covered pixels of the device's viewport; false when there is none (or no memory).
bool DrawMarks_Begin(void);
// Whether a line (or a point, both ends equal) drawn now may still show under what the walk
// met so far; when opaque, the pixels it surely covers count as covered after.
bool DrawMarks_Line(i32 x1, i32 y1, i32 x2, i32 y2, bool opaque);
// Whether a line between pixel centres never passes exactly halfway between two pixels: the
// long side over the greatest common divisor of the two sides is odd. Such a line covers the
// same pixels between its ends in either direction.
bool DrawMarks_TieFree(i32 x1, i32 y1, i32 x2, i32 y2);
// Whether pixel (x, y) is covered on every device (a pixel beyond the viewport never is).
bool DrawMarks_Covered(i32 x, i32 y);
// A box outline as Draw_Rect2D draws it: bit k set for each side still to be drawn (in
// Draw_Rect2D's order: top, right, bottom, left); an opaque point: whether it is still to be drawn.
u32 DrawMarks_Box(i32 x1, i32 y1, i32 x2, i32 y2);
bool DrawMarks_Point(i32 x, i32 y);
// Whether mark number `mark` (0-3, the caller's own shapes, each always drawn alike about its
// pixel) was met at pixel (x, y) before in the walk, so is drawn again later and hides this
// one wholly; notes it otherwise. False beyond the viewport.
bool DrawMarks_Again(i32 x, i32 y, u32 mark);
// Whether the same line, between the same ends the same way round, was met before in the walk
// as an opaque line: drawn again later, it covers the very pixels this one covers on every
// device, halfway steps included, so this one leaves no pixel of its own. An opaque line not
// met before is noted. For lines with a halfway step, whose pixels the walk does not know.
bool DrawMarks_LineAgain(i32 x1, i32 y1, i32 x2, i32 y2, bool opaque);
// Draw_Rect2D drawing only the sides in `sides`.
void DrawMarks_DrawBox(i32 x1, i32 y1, i32 x2, i32 y2, u32 sides, i32 r, i32 g, i32 b, i32 a);
