// Mx_GetTextureSize: the pixel size of an image-table row, for the MX texture coordinates
// and the texture editor. It lives beside the image table it reads, so that the model
// readers do not depend on the drawing code.
#include "lib/draw/image.h"

void Mx_GetTextureSize(const ImageHandle *handle, f32 *width, f32 *height) {
  *width = *height = 0.0f;
  if (!handle || !handle->loaded) return;
  ImageRow *row = Img_GetRow(handle);
  if (!row) return;
  *width = row->width;
  *height = row->height;
}
