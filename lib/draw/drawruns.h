// Opaque lines of one colour drawn one after another, sent as few lines with the same picture.
//
// Where a walker draws a run of opaque lines of one colour with nothing else between them,
// the picture is the union of their pixels, in whatever order they come. A line across (left
// or right) or down always draws its start and every pixel up to its end, and its end as the
// device does: lines along one row the same way round, or down one column, that touch or
// overlap cover together exactly the pixels of the one line from the first start to the last
// end, on every device. They go out as that line. Lines up a column join the same way where
// they overlap, and where they only touch when the run's rows draw the pixel they touch at (a
// device may leave out both the start of the one and the end of the other there). Slanted
// lines go out as they are. Pixels stand at pixel centres (a batch at whole pixels,
// DrawWire_Exact) and the colour is opaque.
//
// The walker opens a run (DrawRun_Begin), hands it each line (DrawRun_Line, with the keys its
// ends share vertices by, drawbatch.h) and closes it (DrawRun_End), which draws them.
//
// Globals owned here: g_DrawRunOff (a measuring run or a test sets it: every line as given) and
// s_ file statics (the run's lines and the scratch that sorts them, grown).
#pragma once
#include "lib/draw/draw.h"

extern u32 g_DrawRunOff;

void DrawRun_Begin(const Place2D *place, i32 r, i32 g, i32 b);
void DrawRun_Line(i32 x1, i32 y1, u32 key1, i32 x2, i32 y2, u32 key2);
// A point of any colour within the run (a point drawn at once, Draw_Point2D): it goes out after
// the run's lines before it, and the lines after it that may draw its pixels on some device come
// after it again (the run is cut there); the other lines after it draw none of its pixels, so
// they may go out with the earlier ones.
void DrawRun_Point(i32 x, i32 y, i32 r, i32 g, i32 b, i32 a);
// Draws the run's lines, then its pending points; the lines drawn into *drawn when given.
void DrawRun_End(u32 *drawn = nullptr);
