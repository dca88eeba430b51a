// Mx_GetTextureSize: the pixel size of an image-table row, for the MX texture coordinates
// and the texture editor. Kept apart from mx.cpp so the importers do not pull in the image
// table and the drawing code behind it.
#include "lib/draw/image.h"
#include "model/formats/formats.h"

void Mx_GetTextureSize(const ImageHandle *handle, f32 *width, f32 *height) {
  *width = *height = 0.0f;
  if (!handle || !handle->loaded) return;
  ImageRow *row = Img_GetRow(handle);
  if (!row) return;
  *width = row->width;
  *height = row->height;
}
