// The movie editor's state, family hooks, drags, keys, actors and playback. Owns
// g_MovieEditor (see scene/movie_edit.h).
#include "scene/movie_edit.h"

#include <stdlib.h>
#include <string.h>

#include "app/discard.h"
#include "app/current.h"
#include "app/docflags.h"
#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/views.h"
#include "app/vkeys.h"
#include "app/widget.h"
#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "model/bone2.h"
#include "model/math.h"
#include "model/model3.h"
#include "model/obj2.h"
#include "model/seam_errorbox.h"
#include "model/seam_timer.h"
#include "scene/movie.h"
#include "scene/movie_dlg.h"

MovieEditor g_MovieEditor;

static const char kTableFull[] = "これ以上 追加できません。";

// [SECTION] helpers

static MovieKey *KeyAtFrame(MovieObject *o) {
  if (!o) return nullptr;
  i32 count = o->keyCount > MOVIE_MAX_KEYS ? MOVIE_MAX_KEYS : o->keyCount;
  for (i32 k = 0; k < count; k++)
    if (o->keys[k].frame == g_MovieScene.frame) return &o->keys[k];
  return nullptr;
}

// Every edit of the movie: the frame tables follow, and leaving the family asks first.
static void MarkEdited(void) {
  Movie_MarkChanged();
  Doc_MarkEdited(DOC_MOVIE);
}

static bool OnlyButton(u32 b) {
  return Shell_ButtonHeld(b) &&
         (Shell_ButtonHeld(BUTTON_LEFT) + Shell_ButtonHeld(BUTTON_MIDDLE) + Shell_ButtonHeld(BUTTON_RIGHT)) == 1;
}


// [SECTION] dialogs

// The actor dialog of each kind (-1: none).
static i32 DialogOfKind(i32 kind) {
  switch (kind) {
    case MOVIE_KIND_IMAGE: return MOVIE_DIALOG_IMG;
    case MOVIE_KIND_OBJ2: return MOVIE_DIALOG_KZA;
    case MOVIE_KIND_BONE2: return MOVIE_DIALOG_KZB;
    case MOVIE_KIND_OBJ3: return MOVIE_DIALOG_KZO;
    case MOVIE_KIND_MODEL3: return MOVIE_DIALOG_KZP;
    case MOVIE_KIND_CAMERA: return MOVIE_DIALOG_CAM;
    case MOVIE_KIND_SCENE: return MOVIE_DIALOG_SCENE;
    case MOVIE_KIND_SOUND: return MOVIE_DIALOG_WAVE;
    case MOVIE_KIND_MESSAGE: return MOVIE_DIALOG_MES;
    default: return -1;
  }
}

const char *Movie_DialogName(u32 d) {
  static const char *const kTemplates[MOVIE_DIALOGS] = {
      "MOVIE_DLG",     "MOVIE_IMG_DLG",   "MOVIE_KZA_DLG",  "MOVIE_KZB_DLG", "MOVIE_KZO_DLG",  "MOVIE_KZP_DLG",
      "MOVIE_CAM_DLG", "MOVIE_SCENE_DLG", "MOVIE_WAVE_DLG", "MOVIE_MES_DLG", "MOVIE_KEY_DLG", "MOVIE_RENDER_DLG"};
  return d < MOVIE_DIALOGS ? kTemplates[d] : nullptr;
}

void *Movie_Dialog(u32 d) { return d < MOVIE_DIALOGS ? g_MovieEditor.dialogs[d] : nullptr; }

void Movie_SetScroll(i32 pos, i32 range) {
  void *bar = Widget_Control(Movie_Dialog(MOVIE_DIALOG_KEY), IDC_MOVIE_SCROLL);
  if (bar) Widget_SetScroll(bar, range, pos);
}

// Each dialog places itself (its registration): the size and place given here are not used.
static void OpenDialog(u32 d) {
  MovieEditor &e = g_MovieEditor;
  if (e.dialogs[d]) return;
  e.dialogs[d] = Widget_CreatePanel(Movie_DialogName(d), 0, 0, 0, 0);
  e.refresh[d] = 1;
}

void Movie_CloseDialog(u32 d) {
  if (d >= MOVIE_DIALOGS) return;
  void *w = g_MovieEditor.dialogs[d];
  g_MovieEditor.dialogs[d] = nullptr;   // cleared first: the window's destruction may call back
  if (w) Widget_Destroy(w);
}


void Movie_ShowActorDialog(const ShellSelection *sel) {
  const MovieObject *o = Movie_ObjectAtSlot(sel->g_CurSlot);
  if (!o) return;
  i32 mine = DialogOfKind(o->kind);
  // A dialog the user closed comes back when an object of its kind becomes current.
  if (mine >= 0) OpenDialog((u32)mine);
  // The others go first: the one shown finds its place among the windows that stay.
  for (u32 d = MOVIE_DIALOG_IMG; d <= MOVIE_DIALOG_MES; d++) {
    void *w = g_MovieEditor.dialogs[d];
    if (w && (i32)d != mine) Widget_ShowPanel(w, false);
  }
  if (mine >= 0 && g_MovieEditor.dialogs[mine]) Widget_ShowPanel(g_MovieEditor.dialogs[mine], true);
}


// The current actor is checked against the movie there is now (an open, 新規作成 or a list
// edit may leave fewer actors): one past them falls back to the last, and the panels show it.
void Movie_DocumentChanged(const HookCtx *c) {
  u32 actor = Current_Within(c->sel->g_CurSlot, Movie_ObjectCount());
  if (actor == c->sel->g_CurSlot) return;
  c->sel->g_CurSlot = actor;
  Movie_RefreshAllLists(c->sel);
}

void Movie_RefreshAllLists(const ShellSelection *sel) {
  for (u32 d = 0; d < MOVIE_DIALOGS; d++) g_MovieEditor.refresh[d] = 1;
  Movie_ShowActorDialog(sel);
}

// [SECTION] document


void Movie_NewDocument(u32 layout, const ShellSelection *sel) {
  MovieEditor &e = g_MovieEditor;
  Movie_InitData();
  Doc_Replaced(DOC_MOVIE);
  View_SetCount(layout, 5);
  ViewRecord *v = View_Get(layout, 4);
  v->inUse = 1;
  v->shown = 1;
  v->kind = VIEW_PERS;
  v->x = 176, v->y = 84, v->w = 712;
  v->h = g_Lib.osVersion < 5 ? 584 : 592;
  if (View_MovieCompact()) View_MovieCompactRect(4, g_Lib.desktopWidth, g_Lib.desktopHeight, &v->x, &v->y, &v->w, &v->h);
  for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++) View_Get(layout, i)->zoom = 0.1f;
  e.mode = MOVIE_MODE_MOVE;
  Movie_RefreshAllLists(sel);
}

// [SECTION] enter and leave

static const char *KindName(i32 kind) {
  switch (kind) {
    case MOVIE_KIND_IMAGE: return "２Ｄイメージ";
    case MOVIE_KIND_OBJ2: return "２Ｄモデル オブジェクト";
    case MOVIE_KIND_BONE2: return "２Ｄモデル ワンスキン";
    case MOVIE_KIND_OBJ3:
    case MOVIE_KIND_MODEL3: return "３Ｄモデル";
    case MOVIE_KIND_CAMERA: return "カメラ";
    case MOVIE_KIND_SCENE: return "シーン";
    case MOVIE_KIND_SOUND: return "効果音";
    case MOVIE_KIND_MESSAGE: return "メッセージ";
    default: return "";
  }
}
// The strip's source: the strip calls it when it paints, outside any hook, and shows the
// shell's current object.
static i32 StripObject(void) { return (i32)g_Sel.g_CurSlot; }
static i32 StripFrame(void) { return g_MovieScene.frame; }
static i32 StripFrameCount(void) { return g_MovieScene.frameCount; }
static const StripMovieSource kStripSource = {StripObject, StripFrame, StripFrameCount, KindName};

// The key dialog is the movie strip's window: its time line starts at (230, 84).
static void SetUpStrip(void) {
  g_Strip.g_StripMovie = kStripSource;
  g_Strip.g_StripGeo.margin = 230;
  g_Strip.g_StripGeo.rowTop = 84;
  Strip_SetDivisor(8);
  Strip_SetOffsets(0, 0);
}

void Movie_Enter(const HookCtx *c) {
  MovieEditor &e = g_MovieEditor;
  g_Lib.frameScaling = 0;
  App_LoadFamilyMenu("MENU_MOVIE");
  g_Lib.runState = LIB_RUN_MOVIE_PLAYBACK;
  c->sel->g_CurSlot = 0;
  g_MovieDlg = MovieDlgState{};
  SetUpStrip();
  Movie_NewDocument(c->layout, c->sel);
  g_MovieScene.frame = 0;
  e.shownFrame = -1;
  for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++) {
    ViewRecord *v = View_Get(c->layout, i);
    v->panX = v->panY = v->panZ = 0.0f;
  }
  View_Get(c->layout, 0)->panX = -160.0f;
  View_Get(c->layout, 0)->panY = -180.0f;
  for (u32 d = 0; d < MOVIE_DIALOGS; d++)
    if (d != MOVIE_DIALOG_RENDER) OpenDialog(d);
  Movie_SetScroll(0, g_MovieScene.frameCount);
  Movie_ShowActorDialog(c->sel);
  if (g_ShellSeam.createViewWindows) g_ShellSeam.createViewWindows();
  Movie_RefreshAllLists(c->sel);
}

void Movie_Leave(const HookCtx *c) {
  g_Shell.g_Playing = 0;
  Movie_CloseVideoWindow();   // the BGM does not play on in another family
  Lib_ClearAllModels();
  for (u32 d = 0; d < MOVIE_DIALOGS; d++) Movie_CloseDialog(d);
  if (g_ShellSeam.destroyExtraViews) g_ShellSeam.destroyExtraViews();
  g_ModelAllocArrays = 1;
}

// [SECTION] per-frame update

static i32 TableIndex(i32 frame) {
  if (frame < 0) return 0;
  return frame >= MOVIE_MAX_FRAMES ? MOVIE_MAX_FRAMES - 1 : frame;
}

void Movie_Update(const HookCtx *c) {
  MovieEditor &e = g_MovieEditor;
  if (g_MovieScene.frame != e.shownFrame) {
    Movie_SetScroll(g_MovieScene.frame, g_MovieScene.frameCount);
    e.shownFrame = g_MovieScene.frame;
  }
  Lib_SetSceneDraw(1);
  i32 count = Movie_ObjectCount();
  for (i32 n = 0; n < count && n < MODEL3_SLOTS; n++) {
    MovieObject *o = g_Movie.objects[n];
    Model3 *m = g_Model3Slots[n];
    if (!o || !m) continue;
    m->frame = o->frameTable[TableIndex(g_MovieScene.frame)];
    i32 key = o->curKey < 0 || o->curKey >= MOVIE_MAX_KEYS ? 0 : o->curKey;
    if (m->motion != o->keys[key].number) Model3_SetMotion(m, o->keys[key].number);
  }
  if (g_Movie.playState == MOVIE_STOPPED) Movie_PlaybackStep();
  App_MarkAllRedraw(c->layout);
  if (g_Movie.playState != MOVIE_PLAYING) return;
  // Only the Pers view, which the movie camera drives, is drawn while the movie plays; the
  // main view too is left out (it shows only the background here, and each pass it won
  // would be a frame missing from view 4).
  u32 layout = c->layout < VIEW_LAYOUTS ? c->layout : 0;
  for (i32 i = 0; i < g_Shell.g_ViewCount[layout] && i < VIEWS_PER_LAYOUT; i++) View_Get(layout, (u32)i)->redraw = 0;
  View_Get(layout, 4)->redraw = 1;
}

// [SECTION] mouse

// A press keeps its point and makes sure the object of the handed selection's slot has a key
// at the frame; a key made here marks the document edited.
static void AnchorAndKeyFrame(const HookCtx *c) {
  g_MovieEditor.anchorX = c->x, g_MovieEditor.anchorY = c->y;
  MovieObject *o = Movie_ObjectAtSlot(c->sel->g_CurSlot);
  i32 before = o ? o->keyCount : 0;
  Movie_EnsureKeyOf(o);
  if (o && o->keyCount != before) MarkEdited();
}

void Movie_LButtonDown(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  MovieEditor &e = g_MovieEditor;
  DragAnchors_SetAll(c->mouse, x, y);
  AnchorAndKeyFrame(c);
  e.dragAngles[0] = e.dragAngles[1] = e.dragAngles[2] = 0.0f;
  e.dragStarted = 1;
}

void Movie_RButtonDown(const HookCtx *c) {
  DragAnchors_SetAC(c->mouse, c->x, c->y);
  AnchorAndKeyFrame(c);
}

static bool IsPerspective(u32 kind) { return kind == VIEW_MAIN || kind == VIEW_PERS; }

// A point moved 0.1 per pixel parallel to the view (camera eye and target).
static bool MoveParallel(f32 p[3], u32 view, f32 mx, f32 my) {
  if (IsPerspective(view) || view == VIEW_TOP) { p[0] += 0.1f * mx; p[2] -= 0.1f * my; return true; }
  if (view == VIEW_FRONT) { p[0] += 0.1f * mx; p[1] -= 0.1f * my; return true; }
  if (view == VIEW_SIDE) { p[1] -= 0.1f * my; p[2] += 0.1f * mx; return true; }
  return false;
}

static f32 Clamp90(f32 a) { return a < -90.0f ? -90.0f : a > 90.0f ? 90.0f : a; }

static bool RotateModelKey(MovieKey &k, u32 view, f32 dx, f32 dy) {
  MovieEditor &e = g_MovieEditor;
  f32 step = (dx + dy) * 0.3f;
  f32 a = 0.0f, b = 0.0f, c = 0.0f;
  if (view == VIEW_SIDE) b = e.dragAngles[0] = Clamp90(e.dragAngles[0] + step);
  else if (view == VIEW_TOP) a = e.dragAngles[1] = Clamp90(e.dragAngles[1] - step);
  else if (view == VIEW_FRONT) c = e.dragAngles[2] = Clamp90(e.dragAngles[2] + step);
  else return false;
  // The whole drag turns the key from where it was: one drag of many moves is one turn.
  if (e.dragStarted) {
    memcpy(e.savedRotation, k.rotation, sizeof e.savedRotation);
    e.dragStarted = 0;
  } else {
    memcpy(k.rotation, e.savedRotation, sizeof k.rotation);
  }
  Mat4 m;
  Mat_ComposeSRTEuler(&m, 0, 0, 0, a, b, c, 1, 1, 1);
  Quat r;
  Quat_FromMatrix(&r, m);
  if (view != VIEW_SIDE) Quat_Normalize(&r);
  Quat q = {k.rotation[0], k.rotation[1], k.rotation[2], k.rotation[3]};
  Quat_MulInPlace(&q, r);
  k.rotation[0] = q.x, k.rotation[1] = q.y, k.rotation[2] = q.z, k.rotation[3] = q.w;
  return true;
}

static bool DragModelKey(MovieKey &k, u32 mode, u32 view, f32 dx, f32 dy, f32 mx, f32 my) {
  f32 *p = k.position, *s = k.scale;
  if (mode == MOVIE_MODE_MOVE) {
    if (view == VIEW_FRONT) { p[0] += 0.05f * mx; p[1] -= 0.05f * my; return true; }
    if (view == VIEW_TOP) { p[0] += 0.05f * mx; p[2] -= 0.05f * my; return true; }
    if (view == VIEW_SIDE) { p[1] -= 0.05f * my; p[2] += 0.05f * mx; return true; }
    return false;
  }
  if (mode == MOVIE_MODE_ROTATE) return RotateModelKey(k, view, dx, dy);
  if (IsPerspective(view)) {
    f32 f = 1.0f + 0.0025f * (mx - my);
    s[0] *= f, s[1] *= f, s[2] *= f;
    return true;
  }
  if (view == VIEW_FRONT) { s[0] += 0.005f * mx; s[1] -= 0.005f * my; return true; }
  if (view == VIEW_TOP) { s[0] += 0.005f * mx; s[2] -= 0.005f * my; return true; }
  if (view == VIEW_SIDE) { s[1] -= 0.005f * my; s[2] += 0.005f * mx; return true; }
  return false;
}

static bool DragKey(MovieKey &k, i32 kind, u32 mode, u32 view, f32 dx, f32 dy, f32 mx, f32 my) {
  switch (kind) {
    case MOVIE_KIND_IMAGE:
      if (mode == MOVIE_MODE_MOVE) { k.position[0] += dx; k.position[1] += dy; }
      else if (mode == MOVIE_MODE_ROTATE) k.angles[2] += 0.2f * dx;
      else { k.scale[0] += 0.0075f * dx; k.scale[1] -= 0.0075f * dy; }
      return true;
    case MOVIE_KIND_OBJ2:
    case MOVIE_KIND_BONE2:
      if (mode != MOVIE_MODE_MOVE) return false;
      k.position[0] += dx;
      k.position[1] += dy;
      return true;
    case MOVIE_KIND_MODEL3: return DragModelKey(k, mode, view, dx, dy, mx, my);
    case MOVIE_KIND_CAMERA: return MoveParallel(k.position, view, mx, my);
    default: return false;
  }
}

static MovieObject *CameraObject(void) {
  for (i32 n = Movie_ObjectCount() - 1; n >= 0; n--)
    if (g_Movie.objects[n] && g_Movie.objects[n]->kind == MOVIE_KIND_CAMERA) return g_Movie.objects[n];
  return nullptr;
}

void Movie_MouseMove(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  MovieEditor &e = g_MovieEditor;
  e.moveX = x, e.moveY = y;
  f32 mx = (f32)(x - e.anchorX), my = (f32)(y - e.anchorY);
  u32 view = c->view->kind;
  if (OnlyButton(BUTTON_RIGHT)) {
    MovieKey *k = KeyAtFrame(CameraObject());
    e.anchorX = x, e.anchorY = y;
    if (k && MoveParallel(k->target, view, mx, my)) {
      MarkEdited();
      e.refresh[MOVIE_DIALOG_CAM] = 1;   // the camera dialog shows the moved target
    }
    return;
  }
  if (!OnlyButton(BUTTON_LEFT)) return;
  MovieObject *o = Movie_ObjectAtSlot(c->sel->g_CurSlot);
  MovieKey *k = KeyAtFrame(o);
  if (!k) return;
  bool changed = DragKey(*k, o->kind, (u32)e.mode, view, c->mouse->g_MouseMoveDX, c->mouse->g_MouseMoveDY, mx, my);
  e.anchorX = x, e.anchorY = y;
  if (changed) MarkEdited();
  Movie_RefreshAllLists(c->sel);
  App_MarkAllRedraw(c->layout);
}

// [SECTION] keys and wheel

void Movie_KeyUp(const HookCtx *c) {
  u32 key = c->key;
  MovieEditor &e = g_MovieEditor;
  u32 kind = c->view->kind < 5 ? c->view->kind : 0;
  bool free = !Shell_ButtonHeld(BUTTON_LEFT) && !Shell_ButtonHeld(BUTTON_RIGHT);
  switch (key) {
    case VKEY_LEFT: if (free) e.offset2D[kind][0] -= 1.0f; break;
    case VKEY_RIGHT: if (free) e.offset2D[kind][0] += 1.0f; break;
    case VKEY_UP: if (free) e.offset2D[kind][1] -= 1.0f; break;
    case VKEY_DOWN: if (free) e.offset2D[kind][1] += 1.0f; break;
    case 'A': Movie_TogglePlayback(c->layout); break;
    case 'T': e.mode = MOVIE_MODE_MOVE; break;
    case 'R': e.mode = MOVIE_MODE_ROTATE; break;
    case 'G': e.mode = MOVIE_MODE_SCALE; break;
    default: return;
  }
  if (key == 'T' || key == 'R' || key == 'G') e.refresh[MOVIE_DIALOG_MAIN] = 1;   // its mode buttons
  App_MarkAllRedraw(c->layout);
}

void Movie_WheelKey(const HookCtx *c) {
  const MovieObject *o = Movie_ObjectAtSlot(c->sel->g_CurSlot);
  i32 f = g_MovieScene.frame;
  g_MovieScene.frame = c->step < 0 ? Movie_PrevKeyFrameOf(o, f) : Movie_NextKeyFrameOf(o, f);
  Movie_RefreshAllLists(c->sel);
}

// [SECTION] actors

// Room for object n of `kind`: its model slot must exist for the 2D kinds.
static bool HasRoom(i32 n, i32 kind) {
  if (n >= MOVIE_MAX_OBJECTS) return false;
  if (kind == MOVIE_KIND_OBJ2) return n < OBJ2_SLOTS;
  if (kind == MOVIE_KIND_BONE2) return n < BONE2_SLOTS;
  return true;
}

// One key at frame 0 holding the neutral pose; the pose is evaluated at once, so that a key
// made before the next update copies a real pose (a zero quaternion would turn nothing).
static void InitKeys(i32 n, MovieObject *o, i32 kind) {
  o->kind = kind;
  o->keyCount = 1;
  MovieKey &k = o->keys[0];
  k.frame = 0;
  k.shown = 1;
  k.rotation[3] = 1.0f;
  k.scale[0] = k.scale[1] = k.scale[2] = 1.0f;
  for (f32 &c : k.color) c = 255.0f;
  Movie_FindKeysOf(o, g_MovieScene.frame);
  Movie_InterpolateObject(n, o->curKey, o->fraction);
}

// A fresh record at n: one left over from an earlier actor is freed, not reused.
static MovieObject *FreshObject(i32 n) {
  free(g_Movie.objects[n]);
  g_Movie.objects[n] = nullptr;
  MovieObject *o = Movie_AllocObject(n);
  if (o) o->moveCurve = o->rotationCurve = o->scaleCurve = 1;
  return o;
}

bool Movie_AddActor(i32 kind) { return Movie_AddActorTo(&g_Sel, kind); }

bool Movie_AddActorTo(ShellSelection *sel, i32 kind) {
  i32 n = Movie_ObjectCount();
  if (!HasRoom(n, kind)) {
    Seam_ErrorBox(kTableFull);
    return false;
  }
  MovieObject *o = FreshObject(n);
  if (!o) return false;
  InitKeys(n, o, kind);
  g_Movie.objectCount = n + 1;
  sel->g_CurSlot = (u32)n;
  switch (kind) {
    case MOVIE_KIND_BONE2: Bone2_Init(n); break;
    case MOVIE_KIND_MODEL3: g_ModelAllocArrays = 1; Model3_Init(n); break;
    case MOVIE_KIND_OBJ2:
      if (Obj2Model *m = Obj2_Init(n)) m->objectCount = 2;
      break;
    case MOVIE_KIND_IMAGE: o->keys[0].position[0] = 320.0f, o->keys[0].position[1] = 240.0f; break;
    default: break;
  }
  MarkEdited();
  Movie_RefreshAllLists(sel);
  return true;
}

bool Movie_ClearModelActor(void) { return Movie_ClearModelActorOf(&g_Sel); }

bool Movie_ClearModelActorOf(const ShellSelection *sel) {
  MovieObject *o = Movie_ObjectAtSlot(sel->g_CurSlot);
  if (!o || o->kind != MOVIE_KIND_MODEL3) return false;
  i32 n = (i32)sel->g_CurSlot;
  o = FreshObject(n);
  if (!o) {
    g_Movie.objectCount = n;   // the record is gone; the objects after it cannot stay listed
    return false;
  }
  InitKeys(n, o, MOVIE_KIND_MODEL3);
  g_ModelAllocArrays = 1;
  Model3_Init(n);
  MarkEdited();
  Movie_RefreshAllLists(sel);
  return true;
}

// [SECTION] menu

// The menu's add items and the kind of actor each adds.
static const struct {
  u32 id;
  i32 kind;
} kAddItems[] = {
    {IDM_MOVIE_ADD_MESSAGE, MOVIE_KIND_MESSAGE}, {IDM_MOVIE_ADD_SOUND, MOVIE_KIND_SOUND},
    {IDM_MOVIE_ADD_KZB, MOVIE_KIND_BONE2},       {IDM_MOVIE_ADD_KZP, MOVIE_KIND_MODEL3},
    {IDM_MOVIE_ADD_KZA, MOVIE_KIND_OBJ2},        {IDM_MOVIE_ADD_IMAGE, MOVIE_KIND_IMAGE},
};

// Adds the actor of an add item, made current in sel; false when id is no add item.
static bool AddItemCommand(ShellSelection *sel, u32 id) {
  for (const auto &item : kAddItems)
    if (item.id == id) {
      Movie_AddActorTo(sel, item.kind);
      return true;
    }
  return false;
}

void Movie_Command(const HookCtx *c) {
  u32 id = c->command;
  switch (id) {
    case IDM_MOVIE_CLEAR: Movie_ClearModelActorOf(c->sel); break;
    case IDM_MOVIE_NEW:
      if (Discard_Ask(DOC_MOVIE)) Movie_NewDocument(c->layout, c->sel);
      break;
    case IDM_MOVIE_RENDER: OpenDialog(MOVIE_DIALOG_RENDER); break;
    default:
      if (!AddItemCommand(c->sel, id)) return;
  }
  App_MarkAllRedraw(c->layout);
}

// [SECTION] playback

static i32 ClampI(i32 v, i32 lo, i32 hi) { return v < lo ? lo : v > hi ? hi : v; }

static i32 ReadField(u32 id, i32 fallback) {
  i32 v = fallback;
  if (!Widget_ReadInt(Movie_Dialog(MOVIE_DIALOG_KEY), id, &v)) v = fallback;
  return v;
}

static void SetPlayText(const char *text) {
  Widget_SetText(Movie_Dialog(MOVIE_DIALOG_KEY), IDC_MOVIE_PLAY, text);
}


void Movie_StartPlayback(u32 layout) {
  MovieScene &s = g_MovieScene;
  i32 frames = s.frameCount < 1 ? 1 : s.frameCount;
  s.playStart = ClampI(ReadField(IDC_MOVIE_PLAY_START, s.playStart), 0, frames - 1);
  s.playEnd = ClampI(ReadField(IDC_MOVIE_PLAY_END, s.playEnd), 1, frames);
  SetPlayText("停止(A)");
  // Without a platform to ask, the loop flag stays as the document has it.
  if (g_Widget.isChecked) s.loopFlag = Widget_IsChecked(Movie_Dialog(MOVIE_DIALOG_KEY), IDC_MOVIE_LOOP) ? 1 : 0;
  if (g_Movie.playState == MOVIE_STOPPED) g_MovieEditor.savedFrame = g_MovieScene.frame;
  g_MovieScene.frame = s.playStart;
  g_MovieEditor.bgmRefused[0] = 0;   // a file refused before is named again on this start
  if (s.bgmPresent == 1) Movie_OpenBgm();
  g_Movie.playState = MOVIE_PLAYING;
  g_MovieEditor.refresh[MOVIE_DIALOG_KEY] = 1;
  Timer_Reset();
  if (void *view4 = View_Get(layout, 4)->window) Widget_Activate(view4);
}


void Movie_StopPlayback(u32 layout) {
  SetPlayText("再生(A)");
  g_Shell.g_Playing = 0;
  g_Lib.runState = LIB_RUN_MOVIE_PLAYBACK;
  g_Movie.playState = MOVIE_STOPPED;
  g_MovieEditor.recordHold = 0;
  // Also when the BGM was taken off during playback: its window goes all the same.
  Movie_CloseVideoWindow();
  g_MovieScene.frame = g_MovieEditor.savedFrame;
  g_MovieEditor.refresh[MOVIE_DIALOG_MAIN] = 1;
  App_MarkAllRedraw(layout);
  Timer_Reset();
  Movie_EndRecording();   // last: its message comes once the movie has stopped
}

// The A key toggles playback while a view window other than view 0, the main window or the
// key dialog is active (or none is).
static bool MayToggle(u32 layout) {
  void *a = Widget_ActiveWindow();
  if (!a || a == g_Shell.g_MainWindowHandle || a == Movie_Dialog(MOVIE_DIALOG_KEY)) return true;
  for (u32 i = 1; i < VIEWS_PER_LAYOUT; i++)
    if (View_Get(layout, i)->window && View_Get(layout, i)->window == a) return true;
  return false;
}


void Movie_TogglePlayback(u32 layout) {
  if (!MayToggle(layout)) return;
  if (g_Movie.playState != MOVIE_PLAYING) Movie_StartPlayback(layout);
  else Movie_StopPlayback(layout);
}
