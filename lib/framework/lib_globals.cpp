// The library object, the library globals and the portable half of the start-up:
// defaults, capability levels, the data-folder search and the small accessors.
#include "lib/framework/lib.h"
#include "model/bone2.h"
#include "model/model3.h"
#include "model/str.h"
#include "lib/framework/lib_state.h"
#include "model/facework.h"
#include "model/seam_errorbox.h"

#include <stdlib.h>
#include <string.h>

LibState g_Lib = {
    640, 480,                          // screenWidth, screenHeight
    {65000, 0, 0, 0, 0},               // config
    {0, 1, 0.0f, 0.0f, 0.0f, 0.2f},    // flags
};
LibHooks g_LibHooks;
GpuInfo g_GpuInfo;
u32 g_FrameOutputSuppressed;

const char g_AppCaption[] = "Miravel";


// [SECTION] capability levels

static u32 ShaderMajor(u32 version) { return (version >> 8) & 0xFF; }

u8 Lib_ComputeGpuLevels(const GpuCapsInput *caps, GpuInfo *out) {
  u32 vs = ShaderMajor(caps->vertexShaderVersion);
  u32 ps = ShaderMajor(caps->pixelShaderVersion);
  u8 antialias = 0;
  u16 level = 0;
  if (caps->maxVertexBlendMatrices != 0) {
    level = 1;
    if (vs >= 1) { level = 3; antialias = 1; }
    if (vs >= 2) level = 5;
    if (vs >= 3) level = 6;
    if (vs >= 4) level = 8;
  }
  out->level = level;
  out->vertexShaderLevel = vs >= 3 ? 3 : vs;
  out->pixelShaderLevel = ps >= 3 ? 3 : ps;
  out->maxVertexBlendMatrices = caps->maxVertexBlendMatrices;
  out->maxVertexBlendMatrixIndex = caps->maxVertexBlendMatrixIndex;
  out->maxPrimitiveCount = caps->maxPrimitiveCount;
  out->maxVertexIndex = caps->maxVertexIndex;
  return antialias;
}

// [SECTION] start values and work buffers

void Lib_FillRandomTable(void) {
  for (int i = 0; i < LIB_RANDOM_COUNT; i++) g_Lib.randomTable[i] = (f32)(rand() % 5) + 3.0f;
}

void Lib_SetStartValues(void) {
  g_Lib.ambient[0] = g_Lib.ambient[1] = g_Lib.ambient[2] = 0.125f;
  g_Lib.textSize = 1.0f;
  g_Lib.runState = 4;
  Lib_FillRandomTable();
  g_Lib.clearColor[0] = g_Lib.clearColor[1] = g_Lib.clearColor[2] = 0;
  Str_Copy(g_Lib.renderName, sizeof g_Lib.renderName, "レンダリング");
  g_Lib.optLight = 1;
  g_Lib.renderInterval = 3;
  g_Lib.renderFirstFrame = 0;
  g_Lib.renderLastFrame = 300;
}

bool Lib_AllocWorkBuffers(u32 polygonCapacity) {
  size_t polys = polygonCapacity, verts = (size_t)polygonCapacity * 4;
  if (!g_FaceNormalWork) g_FaceNormalWork = (f32 *)calloc(polys ? polys : 1, 3 * sizeof(f32));
  if (!g_Lib.vertexShareCounts) g_Lib.vertexShareCounts = (i32 *)calloc(verts ? verts : 1, sizeof(i32));
  if (!g_Lib.batchVerts) g_Lib.batchVerts = (SceneVertex *)calloc(polys ? polys : 1, 240);
  return g_FaceNormalWork && g_Lib.vertexShareCounts && g_Lib.batchVerts;
}

// [SECTION] data folder

static bool CanOpenMarker(const LibFs *fs, const char *prefix) {
  char path[LIB_TEXT_SIZE];
  Str_Format(path, sizeof path, "%sKZ.Lib", prefix);
  if (fs->canOpen(fs->ctx, path)) return true;
  Str_Format(path, sizeof path, "%sKZ.LibDebug", prefix);
  return fs->canOpen(fs->ctx, path);
}

// Copies the current folder into out; refuses (false) a name that does not fit.
static bool CurrentDirInto(const LibFs *fs, char *out) {
  char big[1024];
  if (!fs->currentDir(fs->ctx, big, sizeof big)) return false;
  if (strlen(big) >= LIB_TEXT_SIZE) return false;
  Str_Copy(out, LIB_TEXT_SIZE, big);
  return true;
}

bool Lib_FindDataFolder(const LibFs *fs, char *root, char *data) {
  // Started inside a build folder ("KZ.Lib" beside it one or two levels up): the base
  // folder is the one that holds the build folders.
  if (CanOpenMarker(fs, "")) fs->changeDir(fs->ctx, "../");
  if (CanOpenMarker(fs, "../")) fs->changeDir(fs->ctx, "../../");
  if (!CurrentDirInto(fs, root)) {
    Seam_ErrorBox("フォルダのパスが長すぎます。");
    root[0] = 0;
    data[0] = 0;
    return false;
  }
  fs->changeDir(fs->ctx, "Data");
  if (!CurrentDirInto(fs, data)) {
    Seam_ErrorBox("フォルダのパスが長すぎます。");
    data[0] = 0;
    return false;
  }
  return true;
}

// [SECTION] accessors

const char *Lib_GetVersion(void) { return "2008.00"; }

int Lib_OsVersionClass(u32 platformId, u32 major, u32 minor) {
  if (platformId == 0) return 1;
  if (platformId == 1) return 2;
  if (platformId != 2) return 0;
  if (major >= 6) return 6;
  if (major == 5) return minor > 0 ? 5 : 4;
  return 3;
}

u32 D3DApp_IsActive(void) { return g_Lib.appActive; }
u32 Lib_IsReady(void) { return g_Lib.ready; }
i32 Lib_GetScreenHeight(void) { return g_Lib.screenHeight; }
void Lib_SetFadeStep(f32 step) { g_Lib.fadeStep = step; }
void Lib_SetFade(f32 level) { g_Lib.fade = level; g_Lib.fadeStep = 0.0f; }
u8 Lib_IsVSync(void) { return g_Lib.flags.vsync; }
void Lib_SetCpuOccupy(u8 on) { g_Lib.cpuOccupy = on; }
u8 Lib_GetCpuOccupy(void) { return g_Lib.cpuOccupy; }
void Lib_SetStartOptions(u32 polygonCapacity, u8 toonTexture) {
  if (polygonCapacity > 0) g_Lib.config.polygonCapacity = polygonCapacity;
  g_Lib.config.toonTexture = toonTexture;
}
void Lib_SetFrameMode(u32 viewWindows, u32 frameScaling) {
  g_Lib.viewWindowMode = viewWindows;
  g_Lib.frameScaling = frameScaling;
}
void Lib_SetOptions(u8 antialias, u32 light) {
  g_Lib.optAntialias = antialias;
  g_Lib.optLight = light;
}
void Lib_SetButtonHeld(u32 button, u32 held) {
  u32 *flag = button == 0 ? &g_Lib.app.leftHeld : button == 1 ? &g_Lib.app.middleHeld : &g_Lib.app.rightHeld;
  *flag = held;
}
bool Text_IsOutputOn(void) { return g_FrameOutputSuppressed == 0; }
void Text_SetSuppressed(u32 suppressed) {
  g_FrameOutputSuppressed = suppressed;
  g_Bone2SkinPaused = suppressed;
}

void Lib_SetGpuLevel(u16 level) {
  g_GpuInfo.level = level;
  g_Model3ModesOn = level != 0 ? 1 : 0;
}

char *Lib_StrDup(const char *text) {
  if (!text) return nullptr;
  size_t n = strlen(text) + 1;
  char *copy = (char *)malloc(n);
  if (copy) memcpy(copy, text, n);
  return copy;
}

void Lib_StepFade(void) {
  g_Lib.fade += g_Lib.fadeStep;
  if (g_Lib.fade <= 0.0f) { g_Lib.fade = 0.0f; g_Lib.fadeStep = 0.0f; }
  if (g_Lib.fade >= 1.0f) { g_Lib.fade = 1.0f; g_Lib.fadeStep = 0.0f; }
}

f32 Lib_FrameDeltaFromMs(u32 lastMs, u32 nowMs) { return (f32)(u32)(nowMs - lastMs) * 0.06f; }
