// The movie editor's drawing, the render dialog's BMP and AVI output and the video window.
#include <ctype.h>
#include <string.h>

#include "app/current.h"
#include "app/family.h"
#include "app/mainloop.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/widget.h"
#include "app/shell_services.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawbatch.h"
#include "lib/draw/text.h"
#include "lib/framework/d3dapp.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/avi.h"
#include "lib/media/filename.h"
#include "model/object.h"
#include "model/seam_errorbox.h"
#include "model/seam_timer.h"
#include "model/str.h"
#include "scene/movie.h"
#include "lib/media/dialogs.h"
#include "scene/movie_dlg.h"
#include "scene/movie_edit.h"

// [SECTION] drawing

static void Line(const f32 a[3], const f32 b[3], i32 r, i32 g, i32 bl) {
  Draw_Line3D(a[0], a[1], a[2], r, g, bl, 255, 0, 0, b[0], b[1], b[2], r, g, bl, 255, 0, 0);
}

// The path of sel's current object through its keys as short white marks; its last point in *last.
static bool DrawPath(const ShellSelection *sel, f32 last[3]) {
  i32 n = (i32)sel->g_CurSlot;
  MovieObject *o = n < Movie_ObjectCount() ? Movie_Object(n) : nullptr;
  if (!o) return false;
  bool any = false;
  i32 keys = o->keyCount > MOVIE_MAX_KEYS ? MOVIE_MAX_KEYS : o->keyCount;
  for (i32 k = 0; k + 1 < keys; k++) {
    for (i32 step = 0; step < 10; step++) {
      Movie_InterpolateObject(n, k, (f32)step * 0.1f);
      const f32 *p = o->pose + MOVIE_POSE_POSITION;
      const f32 q[3] = {p[0] + 0.1f, p[1] + 0.1f, p[2]};
      Line(p, q, 255, 255, 255);
      memcpy(last, p, 3 * sizeof(f32));
      any = true;
    }
  }
  return any;
}

static void DrawSign(const f32 p[3]) {
  const f32 h = 1.5f;
  const f32 xy[4][3] = {{p[0] - h, p[1] - h, p[2]}, {p[0] + h, p[1] - h, p[2]}, {p[0] + h, p[1] + h, p[2]}, {p[0] - h, p[1] + h, p[2]}};
  const f32 xz[4][3] = {{p[0] - h, p[1], p[2] - h}, {p[0] + h, p[1], p[2] - h}, {p[0] + h, p[1], p[2] + h}, {p[0] - h, p[1], p[2] + h}};
  for (i32 i = 0; i < 4; i++) {
    Line(xy[i], xy[(i + 1) % 4], 255, 0, 0);
    Line(xz[i], xz[(i + 1) % 4], 255, 0, 0);
  }
}

static void PoseActors(void) {
  for (i32 n = 0; n < Movie_ObjectCount(); n++) {
    MovieObject *o = g_Movie.objects[n];
    if (!o || (o->kind != MOVIE_KIND_MODEL3 && o->kind != MOVIE_KIND_BONE2)) continue;
    Movie_InterpolateObject(n, o->curKey, o->fraction);
    if (o->kind != MOVIE_KIND_MODEL3) continue;   // 2D bone actors: the playback step places them
    KZL::OBJECT *obj = Object_Get(n);
    const f32 *p = o->pose;
    u32 raw[3];
    memcpy(raw, p + MOVIE_POSE_ANGLES, sizeof raw);
    Object_SetPosition(obj, p[MOVIE_POSE_POSITION], p[MOVIE_POSE_POSITION + 1], p[MOVIE_POSE_POSITION + 2]);
    Object_SetRotationRaw(obj, raw[0], raw[1], raw[2]);
    Object_SetScale(obj, p[MOVIE_POSE_SCALE], p[MOVIE_POSE_SCALE + 1], p[MOVIE_POSE_SCALE + 2]);
  }
}

void Movie_DrawScene(const HookCtx *c) {
  bool side = c->viewIndex != 0 && c->viewIndex != 4;
  f32 last[3] = {0, 0, 0};
  bool hasPath = false;
  Movie_FindCurrentKeys();
  DrawBatch_Begin();
  if (side) {
    if (MovieObject *cam = Movie_ObjectCount() > 1 ? Movie_Object(1) : nullptr) {
      Movie_InterpolateObject(1, cam->curKey, cam->fraction);
      Line(cam->pose + MOVIE_POSE_POSITION, cam->pose + MOVIE_POSE_TARGET, 255, 255, 0);
    }
    hasPath = DrawPath(c->sel, last);
    Movie_FindCurrentKeys();
  }
  PoseActors();
  if (side && hasPath)
    for (i32 n = 0; n < Movie_ObjectCount(); n++)
      if (g_Movie.objects[n] && g_Movie.objects[n]->kind == MOVIE_KIND_CAMERA) DrawSign(last);
  DrawBatch_End();
}

void Movie_Draw(const HookCtx *c) {
  if (!Lib_IsVSync())
    Text_Printf(10, -32, "%s", "オプション -> 垂直同期 -> ONにされないと、時の流れ(タイミング)が合いません。");
  if (g_Lib.runState == LIB_RUN_RECORDING)
    Text_Printf(g_Lib.desktopWidth / 2 - 210, g_Lib.desktopHeight / 2 - 70, "%s ( %s )", g_Lib.app.homePage, g_AppCaption);
}

// [SECTION] render dialog

i32 Movie_ClampInterval(i32 interval) { return interval < 1 ? 1 : interval > 60 ? 60 : interval; }

u32 Movie_FrameRate(i32 interval) { return (u32)(60 / Movie_ClampInterval(interval)); }

void Movie_BmpRect(i32 screenW, i32 screenH, i32 rect[4]) {
  rect[0] = (screenW - 640) / 2;
  rect[1] = (screenH - 480) / 2;
  rect[2] = rect[0] + 640;
  rect[3] = rect[1] + 480;
}

bool Movie_IsVideoPath(const char *path) {
  static const char *const kVideo[] = {"ASX", "AVI", "MPG", "WMV"};
  const char *ext = path ? FileDlg_GetExtension(path) : nullptr;
  if (!ext) return false;
  for (const char *v : kVideo) {
    size_t i = 0;
    while (v[i] && ext[i] && toupper((unsigned char)ext[i]) == v[i]) i++;
    if (!v[i] && !ext[i]) return true;
  }
  return false;
}

// "<name>.<ext>" into out; false after a message when the name is empty or too long.
static bool OutputName(char *out, size_t size, const char *name, const char *ext) {
  if (!name || !name[0]) {
    Seam_ErrorBox("ファイル名が指定されていません。");
    return false;
  }
  if (!Str_FormatAll(out, size, "%s.%s", name, ext)) {
    Seam_ErrorBoxf("%s は、名前が長すぎるため使えません。", name);
    return false;
  }
  return true;
}

// Renders the frame into the back buffer and saves the movie's rectangle of it to the file.
static bool RenderAndSaveFrame(void *file) {
  HookCtx c = Family_ShellContext();
  Movie_Update(&c);
  App_FramePasses();   // the poses of this frame, not of the loop's last pass
  f32 eye[3], target[3];
  if (Loop_MovieCamera(g_Shell.g_MovieCameraObject, eye, target)) {
    Cam_SetEye(eye[0], eye[1], eye[2]);
    Cam_SetTarget(target[0], target[1], target[2]);
  }
  if (g_SceneSeam.frameStep) g_SceneSeam.frameStep();
  i32 r[4];
  Movie_BmpRect(g_Lib.screenWidth, g_Lib.screenHeight, r);
  return g_SceneSeam.saveRect && g_SceneSeam.saveRect((const char *)file, r[0], r[1], r[2], r[3]);
}

bool Movie_SaveFrameBmp(const char *name) {
  char file[LIB_TEXT_SIZE];
  if (!OutputName(file, sizeof file, name, "BMP")) return false;
  // The picture is the one a recording takes: view 4 drawn through the movie camera into the
  // centred 640 x 480 viewport (view 0 of the movie family draws the background only). The
  // drawn view is put back afterwards; no view's kind changes.
  bool ok = View_DrawnAs(4, RenderAndSaveFrame, file);
  if (!ok) Seam_ErrorBoxf("%s に保存することができませんでした。", file);
  else Avi_SayWritten(file, false);
  return ok;
}

// The recording under way ("<name>.AVI", empty when none), and whether its BGM video was left out.
static char s_RecordFile[LIB_TEXT_SIZE];
static bool s_VideoLeftOut;

void Movie_EndRecording(void) {
  if (g_SceneSeam.aviStop) g_SceneSeam.aviStop();
  if (!s_RecordFile[0]) return;
  Avi_SayWritten(s_RecordFile, true);
  if (s_VideoLeftOut) Seam_ErrorBox("BGM の動画は、ＡＶＩ には入っていません。");
  s_RecordFile[0] = 0;
}

bool Movie_RecordAvi(const char *name, i32 interval) {
  char file[LIB_TEXT_SIZE];
  if (!OutputName(file, sizeof file, name, "AVI")) return false;
  MovieEditor &e = g_MovieEditor;
  interval = Movie_ClampInterval(interval);
  g_Lib.renderInterval = interval;   // the shell's playback tick advances the movie by it
  e.refresh[MOVIE_DIALOG_RENDER] = 1;
  e.savedFrame = g_MovieScene.frame;
  g_Shell.g_Playing = 1;
  g_Lib.runState = LIB_RUN_RECORDING;
  g_MovieScene.loopFlag = 0;
  g_MovieScene.frame = 0;
  bool ok = g_SceneSeam.aviStart && g_SceneSeam.aviStart(file, Movie_FrameRate(interval));
  HookCtx c = Family_ShellContext();
  if (ok) {
    Str_Copy(s_RecordFile, sizeof s_RecordFile, file);
    s_VideoLeftOut = false;
    // Starting playback from the stopped state would take frame 0 as the frame to restore, and
    // the loop box would keep the recording going for ever: both are put back.
    i32 saved = e.savedFrame;
    Movie_StartPlayback(c.layout);
    e.savedFrame = saved;
    g_MovieScene.loopFlag = 0;
    e.recordHold = 1;   // the start frame is the recording's first picture
  } else {
    Movie_StopPlayback(c.layout);
  }
  e.refresh[MOVIE_DIALOG_MAIN] = 1;
  e.refresh[MOVIE_DIALOG_KEY] = 1;
  return ok;
}

void Movie_RenderDlgRefresh(void) {
  void *dlg = Movie_Dialog(MOVIE_DIALOG_RENDER);
  char t[32];
  Widget_SetText(dlg, IDC_MOVIE_RENDER_NAME, g_Lib.renderName);
  Str_FormatAll(t, sizeof t, "%u", (u32)g_Lib.renderFirstFrame);
  Widget_SetText(dlg, IDC_MOVIE_RENDER_FIRST, t);
  Str_FormatAll(t, sizeof t, "%u", (u32)g_Lib.renderLastFrame);
  Widget_SetText(dlg, IDC_MOVIE_RENDER_LAST, t);
  Str_FormatAll(t, sizeof t, "%u", (u32)g_Lib.renderInterval);
  Widget_SetText(dlg, IDC_MOVIE_RENDER_INTERVAL, t);
}

// [SECTION] video window

bool Movie_OpenVideoWindow(const char *path, i32 flag) {
  bool video = Movie_IsVideoPath(path);
  // The file already playing (a loop of the movie, the end of the BGM) starts again in its
  // window: a window closed and made anew at every loop took the platform's player down.
  if (path && g_MovieEditor.video && g_D3DApp.videoLoop && strcmp(g_D3DApp.videoPath, path) == 0 &&
      g_SceneSeam.videoRestart && g_SceneSeam.videoRestart()) {
    Timer_Reset();
    return true;
  }
  Movie_CloseVideoWindow();
  if (!path || !g_SceneSeam.videoOpen || !g_SceneSeam.videoOpen(path, video)) return false;
  D3DApp_VideoOpened(path, video, (u8)flag);
  Timer_Reset();
  return true;
}

// A BGM that cannot be played is named once: the loops and chained movies that reopen it
// afterwards are silent until playback starts again.
static bool RefuseBgm(const char *fmt, const char *path) {
  MovieEditor &e = g_MovieEditor;
  if (strcmp(e.bgmRefused, path) == 0) return false;
  Str_Copy(e.bgmRefused, sizeof e.bgmRefused, path);
  Seam_ErrorBoxf(fmt, path);
  return false;
}

bool Movie_OpenBgm(void) {
  char path[FILEDLG_TEXT];
  if (!MovieDlg_FindKeptPath(g_MovieScene.bgmFileName, path, sizeof path))
    return RefuseBgm("BGM の %s を開くことができませんでした。", path);
  // Without a player (a build with no MCI) nothing plays and there is nothing to say.
  if (strcmp(g_MovieEditor.bgmRefused, path) == 0 || !g_SceneSeam.videoOpen) return false;
  // While a video plays the library draws nothing: a recording leaves it out rather than
  // write black pictures, and says so when it ends.
  if (g_Lib.runState == LIB_RUN_RECORDING && Movie_IsVideoPath(path)) {
    s_VideoLeftOut = true;
    return false;
  }
  if (!Movie_OpenVideoWindow(path, 1)) return RefuseBgm("BGM の %s を再生できませんでした。", path);
  return true;
}

void Movie_CloseVideoWindow(void) {
  // The library's state first: the window's stop notice, sent while it closes, then finds
  // nothing to replay.
  D3DApp_VideoClosed();
  if (g_SceneSeam.videoClose) g_SceneSeam.videoClose();
  Timer_Reset();
}
