// g_Strip: the time-line strips' geometry, window records, data sources and texture previews
// (app/strip.h draws them). Each group of fields names the files that may write it
// ("writers:", checked by the build, tools/hookcheck writes).
#pragma once
#include "model/types.h"
#include "app/strip.h"

// Time-line geometry shared by all strips.
struct StripGeometry {
  i32 left, right;      // row lines run from left to right (left and right of g_StripRect)
  i32 divisor;          // frame f is at f * 10 / divisor + offsetX + 189; kept within 1..64
  i32 offsetX;          // pans the key area; never above 0
  i32 offsetY;          // pans the rows; never above 0
  i32 margin;           // ruler x offset (hierarchical strips) / key-area x (effect, movie)
  i32 rowTop;           // y of the first row of the effect and movie strips
  i32 bottom;           // lower end of the vertical indicator lines
};

// One strip window; the owning dialog fills it (window null while closed, client size on
// every message, dirty 1 to repaint at the next dispatcher run). Entries whose flag is one
// of g_StripDirty use that flag instead of their own.
struct StripWindow {
  void *window;
  i32 width, height;
  u32 dirty;
};

// [SECTION] data sources the owning editors fill
// The effect editor's emitters.
struct StripEffectSource {
  i32 (*emitterCount)(void);
  // Label of emitter i into out (n bytes).
  void (*emitterLabel)(i32 i, char *out, u32 n);
  i32 (*keyCount)(i32 i);
  i32 (*keyFrame)(i32 i, i32 k);
  i32 (*currentFrame)(void);
};

// The movie editor's state beside the movie objects of the library.
struct StripMovieSource {
  i32 (*currentObject)(void);
  i32 (*currentFrame)(void);
  i32 (*frameCount)(void);
  const char *(*kindName)(i32 kind);   // "" when null
};

// A texture preview (the 2D and 3D texture sub-modes fill theirs).
struct StripTexView {
  i32 texture;       // pixel copy shown (g_Tex.pixels), -1 = none
  u32 inUse;         // 1 when the current texture is in use
  f32 zoom;          // 1.0 after start-up
  i32 panX, panY;
  u32 groupUses;     // 1 when the current group uses the shown texture
  // Texture-coordinate lines of the group's faces and the selected points, in texels.
  i32 (*lineCount)(void);
  void (*line)(i32 i, f32 out[4]);   // x1, y1, x2, y2
  i32 (*pointCount)(void);
  void (*point)(i32 i, f32 out[2]);
  u32 dragActive;    // 1 while texture tool 11 drags its rectangle
  u32 dragRight;     // 1 with the right button
  i32 drag[4];       // x1, y1, x2, y2 in preview pixels
};

// The strips' state. The dispatcher and the drawing operations write the text colour and the
// geometry; the owning editors fill the window records, the data sources and the texture
// previews; the dialogs' scroll bars set the scroll positions.
struct StripState {
  // writers: app/strip.cpp
  u8 g_StripTextRGB[3] = {255, 255, 255};   // red, green, blue; white after start-up
  u32 g_StripMotion3Groups;   // 3D motion editor: 1 while it shows groups (Strip_DrawGroup3Keys), 0 for bones; writers: app/strip.cpp edit3d/
  i32 g_StripGroupScroll2D, g_StripGroupScroll3D;   // first group shown in the 2D and 3D group lists; writers: app/strip.cpp app/update.cpp
  i32 g_StripObj2Image;       // current image of the 2D object image dialog (of g_Obj2Slots[g_Cur2DSlot]); writers: app/strip.cpp edit2d/
  StripGeometry g_StripGeo;   // an editor sets margin and row top as it enters; writers: app/strip.cpp edit3d/ edit2d/ scene/
  StripEffectSource g_StripEffect;   // writers: app/strip.cpp scene/
  StripMovieSource g_StripMovie;     // writers: app/strip.cpp scene/
  StripTexView g_StripTex2D, g_StripTex3D;   // writers: app/strip.cpp edit2d/ edit3d/
  StripWindow g_StripWindows[STRIP_ENTRIES];   // writers: app/strip.cpp edit3d/ edit2d/ scene/
};
extern StripState g_Strip;
