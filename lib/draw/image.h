// The image table: 1024 rows of loaded images that editors and the movie player draw in 2D.
//
// Callers keep an ImageHandle per image; Img_Load claims the lowest free row and loads the
// file into it, or reloads the row the handle already holds. A row stays claimed for the rest
// of the run once its load succeeded; a failed load gives its row back. Drawing goes through
// Draw_Quad2D.
// Global owned here: g_ImageTable.
#pragma once
#include "model/types.h"

enum { IMAGE_ROWS = 1024 };

struct ImageRow {
  u8 inUse;
  char *name;      // heap copy of the path last loaded into the row
  f32 width;       // image size in pixels (32.0 after a failed load)
  f32 height;
  void *texture;
};

struct ImageHandle {
  u32 loaded;      // 1 after a successful load
  i32 row;         // row in g_ImageTable, or -1
};

extern ImageRow g_ImageTable[IMAGE_ROWS];

// Loads an image into the row the handle holds (after a successful load), else into a new
// row; the row, or -1 (no device, table full, load failed: the row is then given back).
i32 Img_Load(ImageHandle *handle, const char *path);
// Claims the lowest free row; -1 when all 1024 are in use.
i32 Img_AllocRow(void);
// Binds the row's texture to stage 0; -1 (or any row out of range) binds none.
void Img_Bind(i32 row);
bool Img_Draw(const ImageHandle *handle, i32 x, i32 y);
bool Img_DrawColored(const ImageHandle *handle, i32 x, i32 y, i32 r, i32 g, i32 b, i32 a);
bool Img_DrawQuad(const ImageHandle *handle, i32 x1, i32 y1, i32 x2, i32 y2, i32 x3, i32 y3,
                  i32 x4, i32 y4, i32 r, i32 g, i32 b, i32 a);
bool Img_DrawUV(const ImageHandle *handle, f64 x1, f64 y1, f64 x2, f64 y2, f64 x3, f64 y3,
                f64 x4, f64 y4, f64 s1, f64 t1, f64 s2, f64 t2, f64 s3, f64 t3, f64 s4, f64 t4,
                i32 r, i32 g, i32 b, i32 a);
// The row a handle refers to, or null.
ImageRow *Img_GetRow(const ImageHandle *handle);
