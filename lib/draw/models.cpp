// Texture reloads and pixel copies of the 3D model slots, bone origins of the model poses,
// the 2D object models' quads and the scene reset that frees every loaded model.
#include "lib/draw/camera.h"
#include <math.h>

#include "lib/draw/draw.h"
#include "lib/draw/drawdev.h"
#include "lib/draw/texture.h"
#include "lib/framework/lib.h"
#include "model/bone2.h"
#include "model/bytes.h"
#include "model/docref.h"
#include "model/kzo.h"
#include "model/math.h"
#include "model/model3.h"
#include "model/obj2.h"

// Loads path into *tex through the one image loader: a name kept from a model's folder is
// found from there first (model/docref.h); then where its name says, then beside the document
// docPath (a model or object set moved with its images, or opened from another folder than
// the current one).
static void LoadNearDocument(void **tex, const char *path, const char *folder, const char *docPath, f32 size[2]) {
  char found[LIB_TEXT_SIZE];
  if (folder && folder[0] && path[0] && DocRef_Find(folder, path, nullptr, 0, found, sizeof found)) {
    Tex_LoadImageFile(tex, found, size);
    // A file that is there but does not decode is not looked for elsewhere: it has been said.
    if (*tex || g_Tex.lastTold) return;
  }
  Tex_LoadImageFile(tex, path, size);
  char beside[LIB_TEXT_SIZE];
  // A file that is there but does not decode is not looked for elsewhere: it has been said.
  if (!*tex && !g_Tex.lastTold && File_BesideDocument(beside, sizeof beside, docPath, path)) Tex_LoadImageFile(tex, beside, size);
}

void Tex_ReloadModel3Texture(i32 slot, i32 n, const char *path) {
  if (n < 0 || n >= MODEL3_TEXTURES) return;
  Model3 *m = Model3_Get(slot);
  ModelPose *pose = (slot >= 0 && slot < MODEL3_SLOTS) ? g_ModelPoses[slot] : nullptr;
  if (!m || !pose) return;
  f32 size[2] = {0, 0};
  LoadNearDocument(&pose->textures[n], path, m->textureFolder, m->fileName, size);
  // A failed load keeps the sizes the model already had.
  if (!pose->textures[n]) return;
  m->textures[n].width = (i32)size[0];
  m->textures[n].height = (i32)size[1];
}

void Tex_ReloadBone2Texture(i32 slot, i32 n, const char *path) {
  if (slot < 0 || slot >= BONE2_SLOTS || n < 0 || n >= BONE2_MAX_TEXTURES || !path) return;
  void *&tex = g_Tex.bone2Textures[slot * TEX_PER_MODEL + n];
  Bone2Model *m = g_Bone2Slots[slot];
  f32 size[2] = {0, 0};
  LoadNearDocument(&tex, path, m ? m->textureFolder : nullptr, m ? m->name : nullptr, size);
  if (tex && m) {
    m->textures[n].width = (u32)size[0];
    m->textures[n].height = (u32)size[1];
  }
}

void Tex_ReloadObj3PartTexture(i32 set, i32 part, i32 n, const char *path) {
  if (set < 0 || set >= OBJ3_SETS || part < 0 || part >= OBJ3_PARTS || n < 0 || n >= MODEL3_TEXTURES || !path) return;
  Obj3Pose *pose = g_Obj3Poses[set];
  if (!pose) return;
  void *&tex = pose->textures[part][n];
  Model3 *m = g_Obj3PartModels[set][part];
  f32 size[2] = {0, 0};
  LoadNearDocument(&tex, path, m ? m->textureFolder : nullptr, m ? m->fileName : nullptr, size);
  if (tex && m) {
    m->textures[n].width = (i32)size[0];
    m->textures[n].height = (i32)size[1];
  }
}

void Tex_CopyBone2Pixels(i32 slot) {
  Tex_FreePixelCopies();
  if (slot < 0 || slot >= BONE2_SLOTS || !g_Bone2Slots[slot]) return;
  const Bone2Model *m = g_Bone2Slots[slot];
  for (i32 n = 0; n < BONE2_MAX_TEXTURES; n++) {
    void *tex = g_Tex.bone2Textures[slot * TEX_PER_MODEL + n];
    if (m->textures[n].used && tex) Tex_CopyPixels(n, tex, (i32)m->textures[n].width, (i32)m->textures[n].height);
  }
}

void Tex_CopyModel3Pixels(i32 slot) {
  Tex_FreePixelCopies();
  Model3 *m = Model3_Get(slot);
  ModelPose *pose = (slot >= 0 && slot < MODEL3_SLOTS) ? g_ModelPoses[slot] : nullptr;
  if (!m || !pose) return;
  for (i32 n = 0; n < MODEL3_TEXTURES; n++) {
    if (m->textures[n].used && pose->textures[n])
      Tex_CopyPixels(n, pose->textures[n], m->textures[n].width, m->textures[n].height);
  }
}

// The point (0, 0, 0) through matrix m.
static Vec3 OriginOf(const Mat4 &m) {
  f32 p[3];
  Mat_TransformPoint(p, 0.0f, 0.0f, 0.0f, m);
  return Vec3{p[0], p[1], p[2]};
}

static const ModelPose *PoseOfBone(i32 slot, i32 bone) {
  if (slot < 0 || slot >= MODEL3_SLOTS || bone < 0 || bone >= MODEL3_BONES) return nullptr;
  return g_ModelPoses[slot];
}

Vec3 Model3_GetBoneOrigin(i32 slot, i32 bone) {
  const ModelPose *p = PoseOfBone(slot, bone);
  return p ? OriginOf(p->posed[bone]) : Vec3{0, 0, 0};
}

Vec3 Model3_GetBoneRestOrigin(i32 slot, i32 bone) {
  const ModelPose *p = PoseOfBone(slot, bone);
  return p ? OriginOf(p->rest[bone]) : Vec3{0, 0, 0};
}

void Lib_ClearAllModels(void) {
  if (g_LibHooks.modelsCleared) g_LibHooks.modelsCleared();
  Obj2_FreeAll();
  Bone2_FreeAll();
  Model3_FreeAllSlots();
}

// The file the toon texture came from, for a reload on a new device.

bool Draw_LoadToonTexture(const char *path, i32 *width, i32 *height) {
  f32 size[2] = {0, 0};
  if (path != g_Tex.toonPath) Str_Copy(g_Tex.toonPath, sizeof g_Tex.toonPath, path ? path : "");
  Tex_LoadImageFile(&g_Tex.toonTexture, path, size);
  if (!g_Tex.toonTexture) {
    *width = *height = 32;
    return false;
  }
  *width = (i32)size[0];
  *height = (i32)size[1];
  return true;
}

void Obj2_DrawAll(void) {
  Obj2_BuildMatrices();
  for (i32 s = 0; s < OBJ2_SLOTS; s++) {
    const Obj2Model *m = g_Obj2Slots[s];
    if (g_Obj2SlotShown[s] != 1 || !m || m->active != 1 || m->objectCount <= 1) continue;
    for (i32 o = 1; o < (m->objectCount < OBJ2_MAX_OBJECTS ? m->objectCount : OBJ2_MAX_OBJECTS); o++) {
      Obj2Quad q;
      if (!Obj2_BuildQuad(s, o, &q)) continue;
      // Texture coordinates stay just inside the image so no neighbouring texel bleeds in.
      const f32 u[4] = {0.01f, 0.99f, 0.99f, 0.01f}, v[4] = {0.01f, 0.01f, 0.99f, 0.99f};
      Vert2D corners[4];
      for (i32 c = 0; c < 4; c++) corners[c] = {q.x[c], q.y[c], q.r, q.g, q.b, (i32)q.a, u[c], v[c]};
      DrawDev_SetTexture(0, q.texture);
      Draw_Quad2DCorners(corners);
    }
  }
}

void Draw_ReleaseToonTexture(void) {
  DrawDev_Release(g_Tex.toonTexture);
  g_Tex.toonTexture = nullptr;
}

bool Draw_ReloadToonTexture(void) {
  if (!g_Tex.toonPath[0]) return false;
  i32 w = 0, h = 0;
  return Draw_LoadToonTexture(g_Tex.toonPath, &w, &h);
}
