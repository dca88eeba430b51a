// Foreign model formats and PSD images: readers and writers of files made by other programs.
//
// Importers (MX, LWO, MQO, ROK, DXF) read a whole file into a scratch model and put it into
// g_Model3Slots[slot] only when the file was read completely and fits the model's capacities;
// a refused or unreadable file leaves the slot as it was. They show no message boxes except
// where a file is refused for a reason the user can act on (counts beyond capacity, broken
// references). Exporters (MX, LWO) build the whole file in memory and save it through
// File_WriteAtomic, so a failed export leaves the old file as it was. The 10,000-polygon
// export limit is checked by the file menu before the exporters are called.
//
// Coordinate rules: MX negates y and z; LWO x10 on import, x0.1 on export; MQO x0.1 with z
// negated; ROK x10 with y negated; DXF as stored.
#pragma once
#include "model/model_result.h"
#include "model/types.h"

struct ByteReader;
struct ImageHandle;

// [SECTION] PSD images

// A decoded PSD image: four planar channel arrays (red, green, blue, alpha) of
// width x height values 0..255 each, rows top to bottom. Channels the file lacks hold
// their defaults (0 for colour, 255 for alpha).
struct PsdImage {
  u32 *pixels;     // 4 * width * height values, owned
  i32 width;
  i32 height;
  i32 channels;    // channel count as stored in the file
};

// Largest side accepted; larger images (or width x height overflowing) are refused.
enum { PSD_MAX_SIDE = 16384 };

// Reads a version-1, 8-bit RGB PSD (raw or PackBits). Null when the file cannot be opened
// or is not of that kind. The caller frees the image with PsdImage_Free.
PsdImage *Psd_Load(const char *path);
// The same from bytes in memory.
PsdImage *Psd_Decode(const u8 *data, size_t size);
// Sets the size and allocates the four channel arrays (zeroed); false when out of memory
// or the size is refused.
bool PsdImage_Init(PsdImage *img, i32 width, i32 height);
void PsdImage_Free(PsdImage *img);
u16 Psd_ReadU16BE(ByteReader *r);
u32 Psd_ReadU32BE(ByteReader *r);

// [SECTION] Model importers and exporters (slot, path) -> 1 or 0
// The importers answer in *res (null: not wanted): a refusal's message, or no text for a file
// that is not theirs or cannot be read.

i32 Mx_Read(i32 slot, const char *path, ModelResult *res);
i32 Mx_Write(i32 slot, const char *path);
// Width and height (pixels) of an image file as the texture loader sees it (through the
// seam's textureLoad); (0, 0) when it cannot be loaded. The MX reader and writer learn their
// texture sizes with it.
// Mx_GetTextureSize (the size of an image-table row): lib/draw/image.h.
void Mx_TextureFileSize(const char *path, f32 *width, f32 *height);

i32 Lwo_Read(i32 slot, const char *path, ModelResult *res);
i32 Lwo_Write(i32 slot, const char *path);

i32 Mqo_Read(i32 slot, const char *path, ModelResult *res);
i32 Rok_Read(i32 slot, const char *path, ModelResult *res);
i32 Dxf_Read(i32 slot, const char *path, ModelResult *res);
