// Releasing and reloading the library's device objects around a device change (see
// devobjects.h).
#include "lib/render/devobjects.h"

#include "lib/draw/drawdev.h"
#include "lib/draw/image.h"
#include "lib/draw/target.h"
#include "lib/draw/text.h"
#include "lib/draw/texture.h"
#include "lib/render/modeldraw.h"
#include "lib/render/rdev.h"
#include "lib/render/rebuild.h"
#include "lib/render/shadow.h"
#include "model/bone2.h"
#include "model/kzo.h"
#include "model/model3.h"
#include "model/obj2.h"

// The toon texture was loaded when the device went.

static void ReleaseAll(void **handles, i32 count) {
  for (i32 i = 0; i < count; i++) RDev_Release(&handles[i]);
}

void DevObjects_Lost(void) {
  if (g_Dev.releaseKept) g_Dev.releaseKept();
  for (i32 s = 0; s < MODEL3_SLOTS; s++) {
    if (g_ModelPoses[s]) ReleaseAll(g_ModelPoses[s]->textures, MODEL3_TEXTURES);
    Render_ReleaseSlotBuffers(s);
  }
  for (ImageRow &r : g_ImageTable) RDev_Release(&r.texture);
  ReleaseAll(g_Tex.bone2Textures, BONE2_TEX_SLOTS * TEX_PER_MODEL);
  ReleaseAll(g_Obj2Textures, OBJ2_SLOTS * OBJ2_MAX_IMAGES);
  for (Obj3Pose *pose : g_Obj3Poses)
    if (pose) ReleaseAll(&pose->textures[0][0], OBJ3_PARTS * MODEL3_TEXTURES);
  g_Tex.toonWasLoaded = g_Tex.toonTexture != nullptr;
  Draw_ReleaseToonTexture();
  Shadow_ReleaseBlobTexture();
  if (g_LibHooks.releaseBumpSamples) g_LibHooks.releaseBumpSamples();
  Draw_ReleaseShaderTargets();
  Draw_ReleaseAllTargets();
  Text_ReleaseFont();
}

static void ReloadModels(void) {
  for (i32 s = 0; s < MODEL3_SLOTS; s++) {
    const Model3 *m = g_Model3Slots[s];
    if (!m || !g_ModelPoses[s]) continue;
    for (i32 n = 0; n < m->textureCount && n < MODEL3_TEXTURES; n++)
      if (m->textures[n].used == 1 && m->textures[n].name) Tex_ReloadModel3Texture(s, n, m->textures[n].name);
  }
  for (i32 set = 0; set < OBJ3_SETS; set++)
    for (i32 p = 0; p < OBJ3_PARTS; p++) {
      const Model3 *m = g_Obj3PartModels[set][p];
      if (!m || !g_Obj3Poses[set]) continue;
      for (i32 n = 0; n < m->textureCount && n < MODEL3_TEXTURES; n++)
        if (m->textures[n].used == 1 && m->textures[n].name) Tex_ReloadObj3PartTexture(set, p, n, m->textures[n].name);
    }
}

static void Reload2D(void) {
  for (i32 s = 0; s < BONE2_SLOTS; s++) {
    const Bone2Model *m = g_Bone2Slots[s];
    if (!m) continue;
    for (i32 n = 0; n < m->textureCount && n < BONE2_MAX_TEXTURES; n++)
      if (m->textures[n].used == 1) Tex_ReloadBone2Texture(s, n, m->textures[n].name);
  }
  for (i32 at = 0; at < OBJ2_SLOTS * OBJ2_MAX_IMAGES; at++) {
    const Obj2Image *img = g_Obj2Images[at];
    if (!img || !img->name[0]) continue;
    // The name is copied first: the load writes into the record it is read from.
    char name[sizeof img->name];
    Str_Copy(name, sizeof name, img->name);
    Obj2_LoadImage(at / OBJ2_MAX_IMAGES, at % OBJ2_MAX_IMAGES, name);
  }
}

void DevObjects_Reload(void) {
  g_Tex.loadQuiet = 1;
  ReloadModels();
  Reload2D();
  for (ImageRow &r : g_ImageTable) {
    if (!r.inUse || !r.name) continue;
    // A row keeps the size it had when the image cannot be read again.
    f32 size[2] = {0, 0};
    Tex_LoadImageFile(&r.texture, r.name, size);
    if (r.texture) r.width = size[0], r.height = size[1];
  }
  Draw_CreateAllTargets();
  Draw_FlagTargetForClear(0);
  if (g_Tex.toonWasLoaded) g_Model3ToonLoaded = Draw_ReloadToonTexture() ? 1 : 0;
  g_Tex.toonWasLoaded = false;
  g_Tex.loadQuiet = 0;
}
