// The script runtime's host entries that the library's portable calls serve: screen text,
// images, model slots, scene objects, camera and light, the key state, folders, the model
// pass and the views. The windows (menu, source dialog, file dialog) are prog_win.cpp's.
#include <string.h>
#include <unistd.h>

#include "app/shell_services.h"
#include "app/shell_view.h"
#include "app/views.h"
#include "lib/draw/camera.h"
#include "lib/draw/image.h"
#include "lib/draw/text.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/media/dialogs.h"
#include "lib/media/filename.h"
#include "lib/render/objects.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "model/object.h"
#include "model/seam_errorbox.h"
#include "scene/prog_run.h"

static void Host_Print(i32 x, i32 y, const char *text) { Text_Printf(x, y, "%s", text); }
static bool Host_TextOn(void) { return Text_IsOutputOn(); }
static i32 Host_ImageLoad(ImageHandle *h, const char *path) { return Img_Load(h, path); }
static void Host_ImageDraw(const ImageHandle *h, i32 x, i32 y) { Img_Draw(h, x, y); }

static bool Host_ModelLoad(i32 slot, const char *path) {
  if (!Model3_Init(slot)) return false;
  ModelResult res;
  Model3 *m = Model3_OpenFile(slot, path, &res);
  Seam_ShowResult(&res);
  return m != nullptr;
}

static bool Host_ModelSet(i32 slot, i32 what, i32 value) {
  Model3 *m = Model3_Get(slot);
  if (!m) return false;
  if (what == PROG_MODEL_LIGHT) Model3_SetLighting(m, (u8)(value != 0));
  else if (what == PROG_MODEL_MOTION) Model3_SetMotion(m, value);
  else Model3_SetRenderMode(m, (u32)value);
  return true;
}

static bool Host_ObjectExists(i32 n) { return Object_Get(n) != nullptr; }
static bool Host_ObjectCreate(i32 n) { return ObjectInit(n) != nullptr; }

static bool Host_ObjectSet(i32 n, i32 what, f32 x, f32 y, f32 z) {
  KZL::OBJECT *o = Object_Get(n);
  if (!o) return false;
  if (what == PROG_OBJECT_POSITION) return Object_SetPosition(o, x, y, z);
  if (what == PROG_OBJECT_SCALE) return Object_SetScale(o, x, y, z);
  // The angles are stored as they are given, in degrees.
  u32 a, b, c;
  memcpy(&a, &x, 4);
  memcpy(&b, &y, 4);
  memcpy(&c, &z, 4);
  return Object_SetRotationRaw(o, a, b, c);
}

static void Host_Camera(i32 what, f32 x, f32 y, f32 z) {
  if (what == PROG_CAMERA_EYE) Cam_SetEye(x, y, z);
  else if (what == PROG_CAMERA_TARGET) Cam_SetTarget(x, y, z);
  else Cam_SetLightDirection(x, y, z);
}

static bool Host_KeyHeld(i32 key) { return key >= 0 && key < 256 && g_Lib.app.keyState[key] != 0; }
static bool Host_ChangeDir(const char *path) { return FileDlg_ChangeDir(path) == 0; }
static void Host_ToDataDir(void) { FileDlg_ChangeDir(g_Lib.dataDir); }

static void Host_MarkAllRedraw(void) { App_MarkAllRedraw(View_CurrentLayout()); }

static void Host_FlagMainView(void) {
  ViewRecord *v = View_Get(g_Shell.g_EditSubMode, 0);
  v->inUse = 1;
  v->redraw = 1;
}

// The chosen name stays in the library's text buffer.
static const char *Host_ChooseSource(const char *defaultName) {
  const char *name = FileDlg_OpenByExt(g_Shell.g_MainWindowHandle, "TXT", "ファイルを選択して下さい", defaultName);
  Str_Copy(g_Lib.textBuf, sizeof g_Lib.textBuf, name);
  return g_Lib.textBuf;
}

static bool Host_CurrentDir(char *out, size_t size) { return getcwd(out, size) != nullptr; }

void Prog_InstallLibraryHost(void) {
  SceneSeam &h = g_SceneSeam;
  h.print = Host_Print;
  h.textOn = Host_TextOn;
  h.imageLoad = Host_ImageLoad;
  h.imageDraw = Host_ImageDraw;
  h.modelLoad = Host_ModelLoad;
  h.modelSet = Host_ModelSet;
  h.objectExists = Host_ObjectExists;
  h.objectCreate = Host_ObjectCreate;
  h.objectSet = Host_ObjectSet;
  h.camera = Host_Camera;
  h.keyHeld = Host_KeyHeld;
  h.changeDir = Host_ChangeDir;
  h.toDataDir = Host_ToDataDir;
  h.freeModels = Model3_FreeAllSlots;
  h.stepAnimations = Object_StepAnimations;
  h.markAllRedraw = Host_MarkAllRedraw;
  h.flagMainView = Host_FlagMainView;
  h.currentDir = Host_CurrentDir;
  h.chooseSource = Host_ChooseSource;
  h.clearAllModels = Lib_ClearAllModels;
}
