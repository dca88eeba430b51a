// Textures from image files, per-slot texture reloads and CPU copies of texture pixels.
//
// Tex_LoadImageFile is the one entry that turns an image file into a texture: the program's
// own raw "kzi" images, PSD, PNG and palette BMP images are decoded here and stretched into a
// power-of-two texture; every other file goes to the platform loader with opaque black as
// colour key. A file that is there and decodes in neither way gets a message naming it.
//
// Raw "kzi" image, little-endian: i32 (unused), i32 (unused), i32 width, i32 height, then
// width * height pixels of 4 bytes (blue, green, red, alpha), rows from top to bottom.
//
// Global owned here: g_Tex: the pixel copies (128 CPU copies shared by all models, with
// their sizes), the 2D bone models' textures (slot * 128 + texture) and the toon texture.
#pragma once
#include "model/types.h"

enum {
  TEX_PER_MODEL = 128,
  TEX_MAX_POW2 = 1024,      // sizes above this are not rounded up
  TEX_TOLD = 16,            // files last refused for their kind of image, remembered
  KZI_MAX_SIDE = 4096,      // larger decoded images are refused (64 MiB of pixels at most)
  BONE2_TEX_SLOTS = 32,
};

// While set, a file that does not decode gives no message (the reloads after a device reset
// load files that were reported when first loaded).
// Texture loading state: written by the Tex_ calls (texture.cpp); loadQuiet by callers that
// load many files and want no message per failure.
struct TexState {
  bool toonWasLoaded;  // DevObjects_Lost saw the toon texture (render/devobjects.cpp)
  void *toonTexture;   // Draw_LoadToonTexture (models.cpp)
  char toonPath[260];  // the file it was loaded from, for a reload on another device
  u32 loadQuiet;
  // The last Tex_LoadImageFile found its file but could not decode it, and said so: a caller
  // adds no message of its own ("cannot open") for that load.
  bool lastTold;
  i32 pixelsWidth[TEX_PER_MODEL];
  i32 pixelsHeight[TEX_PER_MODEL];
  u32 *pixels[TEX_PER_MODEL];
  void *bone2Textures[BONE2_TEX_SLOTS * TEX_PER_MODEL];
  char told[TEX_TOLD][260];   // the last files said to be of a kind not handled (ring)
  u32 toldNext;
};
extern TexState g_Tex;

// A decoded image: width * height pixels of 4 bytes (blue, green, red, alpha), owned.
struct TexImage {
  u8 *bgra;
  i32 width, height;
};

// Loads an image file into *texture (the old one is released first); size gets the image's
// own width and height, (0, 0) when nothing was loaded. A null path changes nothing.
void Tex_LoadImageFile(void **texture, const char *path, f32 size[2]);
// The same with another colour key for the platform loader (0 = none).
void Tex_LoadImageFileKeyed(void **texture, const char *path, f32 size[2], u32 colorKey);

// Whether the last load of a file named `name` (the whole path, or its last part) found it
// but refused its kind of image with a message: a list of textures not found leaves it out,
// since the user was told the true reason already.
bool Tex_WasRefused(const char *name);

void Tex_ReloadModel3Texture(i32 slot, i32 n, const char *path);
void Tex_ReloadBone2Texture(i32 slot, i32 n, const char *path);
void Tex_ReloadObj3PartTexture(i32 set, i32 part, i32 n, const char *path);
// Fills the core seam's texture entries with the reloads above and, when it has none, the
// pixel copy through the drawing device (Tex_ReadPixels).
void Tex_InstallSeam(void);
void Tex_CopyModel3Pixels(i32 slot);
void Tex_CopyBone2Pixels(i32 slot);
// Pixel i of the copy of texture t; 0 when there is no such copy or pixel.
u32 Tex_GetPixel(i32 t, i32 i);
// Level 0 of a texture as A8R8G8B8 pixels, rows top to bottom, in a new malloc() block
// (the caller frees it); null when it cannot be read.
u32 *Tex_ReadPixels(void *texture, i32 *width, i32 *height);
// Frees every CPU copy.
void Tex_FreePixelCopies(void);
// Copies texture `texture` into g_Tex.pixels[n] at the image's own size (entry width x height).
void Tex_CopyPixels(i32 n, void *texture, i32 entryWidth, i32 entryHeight);

// The toon texture (start-up option): loaded through Tex_LoadImageFile; false (and 32 x 32)
// when it cannot be loaded.
bool Draw_LoadToonTexture(const char *path, i32 *width, i32 *height);
// Releases the toon texture (its file name is kept); the reload takes the same file again,
// false when none was ever asked for or it cannot be loaded.
void Draw_ReleaseToonTexture(void);
bool Draw_ReloadToonTexture(void);

// Origin of a bone's posed and of its rest matrix in the slot's pose record ((0, 0, 0) for a
// slot without one or a bone out of range).
struct Vec3;
Vec3 Model3_GetBoneOrigin(i32 slot, i32 bone);
Vec3 Model3_GetBoneRestOrigin(i32 slot, i32 bone);

// [SECTION] Portable pieces (no device needed)

// Power-of-two texture side for an image side: rounded up within 1..1024, larger unchanged.
i32 Tex_TextureSide(i32 imageSide);
// True when the extension of path (after its last point) equals ext, ignoring case.
bool Tex_HasExtension(const char *path, const char *ext);
// Decodes a raw image. A file shorter than its pixels leaves the rest 0; a size that is not
// 1..KZI_MAX_SIDE on each side, or a file shorter than the header, is refused (false).
bool Kzi_Decode(const u8 *data, size_t size, TexImage *out);
// PSD channels (planar red, green, blue, alpha) to blue, green, red, alpha pixels; an image
// of exactly 3 channels gets alpha 0 where red, green and blue are all 0, else 255.
bool Tex_FromPsdChannels(const u32 *planes, i32 width, i32 height, i32 channels, TexImage *out);
void TexImage_Free(TexImage *img);
// Fills a texture of texW x texH texels (row pitch in bytes) from the image by nearest
// neighbour: texel (x, y) takes row int(imgH / texH * y), column int(imgW / texW * x).
void Tex_Stretch(const TexImage *img, u8 *dst, i32 pitch, i32 texW, i32 texH);
// One texel (blue, green, red, alpha bytes) as a CPU-copy value: alpha, blue, green, red.
inline u32 Tex_CopyValue(const u8 *texel) {
  return (u32)texel[3] << 24 | (u32)texel[0] << 16 | (u32)texel[1] << 8 | (u32)texel[2];
}
