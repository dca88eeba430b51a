// MX import and export (little-endian faces of four corners with their own normals and UVs).
#include "model/formats/formats.h"

i32 Mx_Read(i32 slot, const char *path) { return 0; }
i32 Mx_Write(i32 slot, const char *path) { return 0; }
void Mx_TextureFileSize(const char *path, f32 *width, f32 *height) { *width = *height = 0; }
