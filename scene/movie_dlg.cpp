// The movie editor's dialogs (see scene/movie_dlg.h). Owns g_MovieDlg.
#include "scene/movie_dlg.h"

#include <ctype.h>
#include <float.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/shell_sel.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/views.h"
#include "app/widget.h"
#include "lib/draw/image.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/dialogs.h"
#include "lib/media/filename.h"
#include "lib/media/sound.h"
#include "model/bone2.h"
#include "model/kza.h"
#include "model/kzb.h"
#include "model/kzp.h"
#include "model/numfield.h"
#include "model/model3.h"
#include "model/obj2.h"
#include "model/seam_errorbox.h"
#include "model/cp932.h"
#include "model/docref.h"
#include "model/str.h"
#include "scene/kzv.h"
#include "scene/movie.h"
#include "scene/movie_edit.h"

MovieDlgState g_MovieDlg;

static const char kPickFile[] = "ファイルを選択して下さい";
static const char kPickMotion[] = "モーションファイルを選択して下さい";
static const char kBadCount[] = "フレーム数には 1 から 18000 までの数を入力して下さい。";
static const char kOutside[] = "%s の中のフォルダを選んで下さい。";
static const char kNotNumber[] = "%s が数値ではありません。この値は変わりません。";

// [SECTION] helpers

// The current object's key at or before the current frame.
static MovieKey *CurrentKey(MovieObject *o) {
  if (!o) return nullptr;
  Movie_FindKeysOf(o, g_MovieScene.frame);
  i32 k = o->curKey;
  return k >= 0 && k < MOVIE_MAX_KEYS && k < o->keyCount ? &o->keys[k] : nullptr;
}

static bool HasKeyAt(const MovieObject *o, i32 frame) {
  for (i32 k = 0; k < o->keyCount && k < MOVIE_MAX_KEYS; k++)
    if (o->keys[k].frame == frame) return true;
  return false;
}

static void Edited(void) {
  Movie_MarkChanged();
  Doc_MarkEdited(DOC_MOVIE);
}

// Full objects: a key at a frame without one is refused with the limit named.
static bool KeyRefused(void) {
  const MovieObject *o = Movie_CurrentObject();
  if (!o || o->keyCount < MOVIE_MAX_KEYS || HasKeyAt(o, g_MovieScene.frame)) return false;
  Seam_ErrorBoxf("キーは 1 つのオブジェクトに %d 個までです。", (int)MOVIE_MAX_KEYS);
  return true;
}

static void Changed(void) {
  HookCtx c = Family_ShellContext();
  Movie_RefreshAllLists(c.sel);
  App_MarkAllRedraw(c.layout);
}

// Fields, checks and lists of dialog d by control id (nothing while the dialog is closed).
static void SetText(u32 d, u32 id, const char *text) { Widget_SetText(Movie_Dialog(d), id, text); }

// The text cut to size bytes at a character boundary; false when there is no such field.
static bool ReadText(u32 d, u32 id, char *out, size_t size) {
  out[0] = 0;
  if (!Widget_GetText(Movie_Dialog(d), id, out, (u32)size)) return false;
  out[size - 1] = 0;
  out[Cp932_CutLength(out, strlen(out))] = 0;   // never half a character at the end
  return true;
}

static void SetCheck(u32 d, u32 id, bool on) { Widget_SetCheck(Movie_Dialog(d), id, on); }
static void *List(u32 d, u32 id) { return Widget_Control(Movie_Dialog(d), id); }
static void ListReset(u32 d, u32 id) { Widget_ListReset(List(d, id)); }
static void ListAdd(u32 d, u32 id, const char *text) { Widget_ListAdd(List(d, id), text); }
static void ListSelect(u32 d, u32 id, i32 line) { Widget_ListSelect(List(d, id), line); }
static i32 ListSelection(u32 d, u32 id) { return Widget_ListSelection(List(d, id)); }

static void ShowFloat(u32 d, u32 id, f32 v) {
  char t[64];
  Str_Format(t, sizeof t, "%3.3f", (double)v);
  Widget_ShowValue(Movie_Dialog(d), id, t, v);
}

static void ShowInt(u32 d, u32 id, i32 v) {
  char t[32];
  Str_Format(t, sizeof t, "%d", v);
  SetText(d, id, t);
}

static void ShowUnsigned(u32 d, u32 id, u32 v) {
  char t[32];
  Str_Format(t, sizeof t, "%u", v);
  SetText(d, id, t);
}

// A float field into *v; a field that is not a number keeps *v and says which it was. A field
// still showing what the dialog put there stands for the exact value it shows rounded.
static void ApplyFloat(u32 d, u32 id, const char *label, f32 *v) {
  char t[256];
  f32 x;
  f64 shown;
  if (!ReadText(d, id, t, sizeof t)) return;
  if (Widget_ShownValue(Movie_Dialog(d), id, t, &shown)) {
    *v = (f32)shown;
    return;
  }
  if (MovieDlg_ParseFloat(t, &x)) {
    *v = x;
    return;
  }
  char msg[256];
  Str_Format(msg, sizeof msg, kNotNumber, label);
  Seam_ErrorBox(msg);
}

// [SECTION] line texts

void MovieDlg_MotionLine(char *out, size_t size, i32 number, const char *name) {
  Str_Format(out, size, "%03d %s", number, name ? name : "");
}

void MovieDlg_KeyLine(char *out, size_t size, i32 key, i32 frame, const char *motion) {
  Str_Format(out, size, "%03d : %5d  %s", key, frame, motion ? motion : "");
}

void MovieDlg_SoundLine(char *out, size_t size, i32 slot) {
  const MovieScene &s = g_MovieScene;
  if (slot == 0) Str_Format(out, size, "%03d : ここに効果音は読み込めません", slot);
  else if (slot < 0 || slot >= MOVIE_MESSAGE_COUNT || slot >= s.soundCount) Str_Format(out, size, "%03d :", slot);
  else if (s.soundFolders[slot][0])
    Str_Format(out, size, "%03d : %s / %s", slot, s.soundFolders[slot], s.soundFileNames[slot]);
  else Str_Format(out, size, "%03d : %s", slot, s.soundFileNames[slot]);
}

void MovieDlg_MessageLine(char *out, size_t size, i32 m) {
  if (m == 0) Str_Format(out, size, "%03d : 空メッセージ用( 編集できません )", m);
  else if (m > 0 && m < MOVIE_MESSAGE_COUNT) Str_Format(out, size, "%03d : %s", m, g_Movie.messages[m]);
  else Str_Format(out, size, "%03d :", m);
}

// [SECTION] rules

bool MovieDlg_ParseFloat(const char *text, f32 *out) {
  f64 v = 0;
  if (NumField_Float(text, -FLT_MAX, FLT_MAX, &v) != NUMFIELD_OK) return false;
  *out = (f32)v;
  return true;
}

bool MovieDlg_ParseInt(const char *text, i32 *out) {
  i64 v = 0;
  if (NumField_Int(text, INT32_MIN, INT32_MAX, &v) != NUMFIELD_OK) return false;
  *out = (i32)v;
  return true;
}

static i32 ClampI(i32 v, i32 lo, i32 hi) { return v < lo ? lo : v > hi ? hi : v; }

bool MovieDlg_ApplyFrameCount(const char *text) {
  MovieScene &s = g_MovieScene;
  i32 n = 0;
  if (!MovieDlg_ParseInt(text, &n) || n < 1 || n > MOVIE_MAX_FRAMES) {
    Seam_ErrorBox(kBadCount);
    return false;
  }
  if (n == s.frameCount) return true;
  s.frameCount = n;
  s.playEnd = n;
  if (s.playStart > s.playEnd - 1) s.playStart = s.playEnd - 1;
  g_MovieScene.frame = ClampI(g_MovieScene.frame, 0, n);
  Movie_SetScroll(g_MovieScene.frame, n);
  g_MovieEditor.shownFrame = g_MovieScene.frame;
  Edited();
  return true;
}

static bool IsSep(char c) { return c == '\\' || c == '/'; }

bool MovieDlg_RelativeFolder(const char *base, const char *chosen, char *out, size_t size) {
  size_t n = strlen(base);
  while (n > 0 && IsSep(base[n - 1])) n--;
  // Folder names compare without regard to ASCII case (the file system's rule on Windows).
  for (size_t i = 0; i < n; i++) {
    char a = base[i], b = chosen[i];
    if (!b) return false;
    if (IsSep(a) && IsSep(b)) continue;
    if (tolower((u8)a) != tolower((u8)b)) return false;
  }
  const char *rest = chosen + n;
  if (*rest && !IsSep(*rest)) return false;   // "data2" is not inside "data"
  while (IsSep(*rest)) rest++;
  size_t len = strlen(rest);
  while (len > 0 && IsSep(rest[len - 1])) len--;
  if (len >= size) return false;
  memcpy(out, rest, len);
  out[len] = 0;
  return true;
}

i32 MovieDlg_PickFrame(i32 x) {
  if (x <= MOVIE_TIMELINE_X) return 0;
  i64 f = ((i64)x - g_Strip.g_StripGeo.offsetX - MOVIE_TIMELINE_X) * Strip_Divisor() / 10;
  return (i32)(f < 0 ? 0 : f > g_MovieScene.frameCount ? g_MovieScene.frameCount : f);
}

i32 MovieDlg_PickRow(i32 y) { return Strip_MovieRowAt(y); }

i32 MovieDlg_MoveStep(i32 dx) {
  i32 step = Strip_Divisor() * dx / 6;
  if (step == 0 && dx != 0) step = dx > 0 ? 1 : -1;
  return step;
}

void MovieDlg_Zoom(bool out) {
  i32 s = Strip_Divisor();
  Strip_SetDivisor(out ? (s * 2 > 64 ? 64 : s * 2) : (s / 2 < 1 ? 1 : s / 2));
}

void MovieDlg_ScrollBy(i32 dx, i32 dy) {
  i64 x = (i64)g_Strip.g_StripGeo.offsetX + dx, y = (i64)g_Strip.g_StripGeo.offsetY + dy;
  const i64 far = -(1 << 28);
  Strip_SetOffsets((i32)(x < far ? far : x), (i32)(y < far ? far : y));
}

i32 MovieDlg_ScrollFrame(i32 frame, i32 code, i32 thumb, i32 range) {
  i64 f = frame;
  switch (code) {
    case MOVIE_SB_LINELEFT: f -= 1; break;
    case MOVIE_SB_LINERIGHT: f += 1; break;
    case MOVIE_SB_PAGELEFT: f -= 60; break;
    case MOVIE_SB_PAGERIGHT: f += 60; break;
    case MOVIE_SB_THUMBPOSITION: f = thumb; break;
    default: return frame;   // dragging the thumb changes nothing until it is released
  }
  return (i32)(f < 0 ? 0 : f > range ? range : f);
}

i32 MovieDlg_SoundSelection(i32 sel) { return sel >= 0 && sel < MOVIE_SOUND_LINES ? sel : -1; }

i32 MovieDlg_MotionSelection(i32 sel, i32 motions) {
  return sel >= 0 && sel < 100 && sel < motions ? sel : -1;
}

bool MovieDlg_MoveKey(i32 dx) {
  MovieObject *o = Movie_CurrentObject();
  if (!o || dx == 0 || !HasKeyAt(o, g_MovieScene.frame)) return false;
  i32 from = g_MovieScene.frame, to = from + MovieDlg_MoveStep(dx);
  if (to < 0 || to > g_MovieScene.frameCount || HasKeyAt(o, to)) return false;
  Movie_FindCurrentKeys();
  MovieKey saved = g_MovieScene.keyClipboard;
  Movie_CopyKey();
  // The key at frame 0 (and an object's only key) is never deleted: it then stays where it
  // is rather than gaining a copy.
  if (!Movie_DeleteKeyAtFrame()) {
    g_MovieScene.keyClipboard = saved;
    return false;
  }
  g_MovieScene.frame = to;
  Movie_PasteKey();
  Edited();
  return true;
}

// [SECTION] lists

// The motions of the model the object's kind shows from slot n: count and name of motion i.
static i32 MotionCount(i32 kind, i32 n) {
  if (kind == MOVIE_KIND_OBJ2) return n < OBJ2_SLOTS && g_Obj2Slots[n] ? g_Obj2Slots[n]->motionCount : 0;
  if (kind == MOVIE_KIND_BONE2) return n < BONE2_SLOTS && g_Bone2Slots[n] ? g_Bone2Slots[n]->motionCount : 0;
  if (kind == MOVIE_KIND_OBJ3 || kind == MOVIE_KIND_MODEL3)
    return n < MODEL3_SLOTS && g_Model3Slots[n] ? g_Model3Slots[n]->motionCount : 0;
  return 0;
}

static const char *MotionName(i32 kind, i32 n, i32 i) {
  if (i < 0 || i >= 100) return "";
  if (kind == MOVIE_KIND_OBJ2) return g_Obj2Slots[n]->motions[i].name;
  if (kind == MOVIE_KIND_BONE2) return g_Bone2Slots[n]->motions[i].name;
  return g_Model3Slots[n]->motions[i].name;
}

static void FillMotions(u32 d, const MovieObject *o, i32 n) {
  ListReset(d, IDC_MOVIE_ACTOR_MOTIONS);
  i32 count = ClampI(MotionCount(o->kind, n), 0, 100);
  char line[300];
  for (i32 i = 0; i < count; i++) {
    MovieDlg_MotionLine(line, sizeof line, i, MotionName(o->kind, n, i));
    ListAdd(d, IDC_MOVIE_ACTOR_MOTIONS, line);
  }
  const MovieKey *k = o->curKey >= 0 && o->curKey < MOVIE_MAX_KEYS ? &o->keys[o->curKey] : nullptr;
  if (count > 0 && k) ListSelect(d, IDC_MOVIE_ACTOR_MOTIONS, k->number);
}

static void FillKeys(u32 d, const MovieObject *o, i32 n) {
  ListReset(d, IDC_MOVIE_LIST);
  const Model3 *m = n < MODEL3_SLOTS ? g_Model3Slots[n] : nullptr;
  if (!m) return;
  char line[300];
  i32 count = ClampI(o->keyCount, 0, MOVIE_MAX_KEYS);
  for (i32 k = 0; k < count; k++) {
    i32 num = o->keys[k].number;
    const char *name = num >= 0 && num < MODEL3_MOTIONS ? m->motions[num].name : "";
    MovieDlg_KeyLine(line, sizeof line, k, o->keys[k].frame, name);
    ListAdd(d, IDC_MOVIE_LIST, line);
  }
  ListSelect(d, IDC_MOVIE_LIST, o->curKey);
}

// List id of dialog d filled with `count` lines made by `line` (each cut to `size` bytes).
static void FillLines(u32 d, u32 id, i32 count, size_t size, void (*line)(char *, size_t, i32)) {
  ListReset(d, id);
  char text[600];
  if (size > sizeof text) size = sizeof text;
  for (i32 i = 0; i < count; i++) {
    line(text, size, i);
    ListAdd(d, id, text);
  }
}

static void FillSounds(void) {
  FillLines(MOVIE_DIALOG_WAVE, IDC_MOVIE_WAVE_LIST, MOVIE_SOUND_LINES, 600, MovieDlg_SoundLine);
  if (const MovieKey *k = CurrentKey(Movie_CurrentObject()))
    ListSelect(MOVIE_DIALOG_WAVE, IDC_MOVIE_WAVE_LIST, k->number);
}

static void FillMessages(void) {
  FillLines(MOVIE_DIALOG_MES, IDC_MOVIE_LIST, MOVIE_MESSAGE_COUNT, 300, MovieDlg_MessageLine);
  ListSelect(MOVIE_DIALOG_MES, IDC_MOVIE_LIST, g_MovieDlg.message);
}

// [SECTION] refresh

static bool IsActorDialog(u32 d) { return d >= MOVIE_DIALOG_IMG && d <= MOVIE_DIALOG_KZP; }

static void RefreshActor(u32 d) {
  Movie_FindCurrentKeys();
  MovieObject *o = Movie_CurrentObject();
  if (!o) return;
  i32 n = (i32)g_Sel.g_CurSlot;
  FillKeys(d, o, n);
  FillMotions(d, o, n);
  SetText(d, IDC_MOVIE_ACTOR_NAME, o->name);
  SetText(d, IDC_MOVIE_ACTOR_FILE_TEXT, o->fileName);
  SetText(d, IDC_MOVIE_ACTOR_MOTION_TEXT, o->motionFileName);
  SetText(d, d == MOVIE_DIALOG_KZP ? IDC_MOVIE_KZP_FOLDER_TEXT : IDC_MOVIE_ACTOR_FOLDER_TEXT, o->folder);
  const MovieKey *k = CurrentKey(o);
  if (!k) return;
  ShowFloat(d, IDC_MOVIE_ACTOR_X, k->position[0]);
  ShowFloat(d, IDC_MOVIE_ACTOR_Y, k->position[1]);
  ShowFloat(d, IDC_MOVIE_ACTOR_SCALE_X, k->scale[0]);
  ShowFloat(d, IDC_MOVIE_ACTOR_SCALE_Y, k->scale[1]);
  if (d == MOVIE_DIALOG_IMG) {
    ShowFloat(d, IDC_MOVIE_ACTOR_ANGLE_Z, k->angles[2]);
    for (i32 c = 0; c < 4; c++) ShowInt(d, IDC_MOVIE_ACTOR_COLOR_R + (u32)c, (i32)k->color[c]);
  } else if (d == MOVIE_DIALOG_KZO || d == MOVIE_DIALOG_KZP) {
    ShowFloat(d, IDC_MOVIE_ACTOR_Z, k->position[2]);
    ShowFloat(d, IDC_MOVIE_ACTOR_SCALE_Z, k->scale[2]);
    SetCheck(d, IDC_MOVIE_ACTOR_SHADOW_2D, o->shadowKind == 20);
    SetCheck(d, IDC_MOVIE_ACTOR_SHADOW_3D, o->shadowKind == 30);
  }
}

static void RefreshMain(void) {
  u32 d = MOVIE_DIALOG_MAIN;
  static const u32 kModes[3] = {IDC_MOVIE_MODE_MOVE, IDC_MOVIE_MODE_ROTATE, IDC_MOVIE_MODE_SCALE};
  for (i32 i = 0; i < 3; i++) SetCheck(d, kModes[i], g_MovieEditor.mode == i);
  const MovieObject *o = Movie_CurrentObject();
  if (!o || g_Sel.g_CurSlot >= MODEL3_SLOTS || !g_Model3Slots[g_Sel.g_CurSlot]) return;
  SetText(d, IDC_MOVIE_MOVE_CURVE, o->moveCurve == 1 ? "移動 : 曲線" : "移動 : 直線");
  SetText(d, IDC_MOVIE_ROTATE_CURVE, o->rotationCurve == 1 ? "回転 : 曲線" : "回転 : 直線");
}

static void RefreshKeyDialog(void) {
  u32 d = MOVIE_DIALOG_KEY;
  ShowUnsigned(d, IDC_MOVIE_PLAY_START, (u32)g_MovieScene.playStart);
  ShowUnsigned(d, IDC_MOVIE_PLAY_END, (u32)g_MovieScene.playEnd);
  ShowUnsigned(d, IDC_MOVIE_KEY_FRAMES, (u32)g_MovieScene.frameCount);
  const MovieKey *k = CurrentKey(Movie_CurrentObject());
  SetCheck(d, IDC_MOVIE_KEY_SHOWN, k && k->shown);
  // The play button names what it does next, also for a movie reached by a chain.
  SetText(d, IDC_MOVIE_PLAY, g_Movie.playState == MOVIE_PLAYING ? "停止(A)" : "再生(A)");
}

void MovieDlg_Refresh(u32 d) {
  if (IsActorDialog(d)) return RefreshActor(d);
  switch (d) {
    case MOVIE_DIALOG_MAIN: RefreshMain(); break;
    case MOVIE_DIALOG_KEY: RefreshKeyDialog(); break;
    case MOVIE_DIALOG_CAM:
      if (const MovieKey *k = CurrentKey(Movie_CurrentObject())) {
        for (u32 i = 0; i < 3; i++) ShowFloat(d, IDC_MOVIE_CAM_EYE_X + i, k->position[i]);
        for (u32 i = 0; i < 3; i++) ShowFloat(d, IDC_MOVIE_CAM_AT_X + i, k->target[i]);
      }
      break;
    case MOVIE_DIALOG_SCENE: {
      const MovieScene &s = g_MovieScene;
      char t[300];
      if (s.bgmPresent) Str_Format(t, sizeof t, "BGM : %s", s.bgmFileName);
      else Str_Copy(t, sizeof t, "BGM : なし");
      SetText(d, IDC_MOVIE_SCENE_BGM_TEXT, t);
      if (s.nextPresent) Str_Format(t, sizeof t, "次のKZV : %s", s.nextName);
      else Str_Copy(t, sizeof t, "次のKZV : なし");
      SetText(d, IDC_MOVIE_SCENE_NEXT_TEXT, t);
      break;
    }
    case MOVIE_DIALOG_WAVE: FillSounds(); break;
    case MOVIE_DIALOG_MES:
      FillMessages();
      SetText(d, IDC_MOVIE_MES_TEXT, g_Movie.messages[ClampI(g_MovieDlg.message, 0, MOVIE_MESSAGE_COUNT - 1)]);
      break;
    default: break;
  }
}

// [SECTION] file and folder choices

// The folder chooser's answer relative to base into out (size 256); false when cancelled or
// outside base (after a message).
static bool ChooseFolder(const char *base, char *out) {
  char chosen[FILEDLG_TEXT] = {};
  if (!FileDlg_BrowseFolder(chosen)) return false;
  if (MovieDlg_RelativeFolder(base, chosen, out, 256)) return true;
  char msg[600];
  Str_Format(msg, sizeof msg, kOutside, base);
  Seam_ErrorBox(msg);
  return false;
}

static const char *ModelExt(u32 d) {
  switch (d) {
    case MOVIE_DIALOG_IMG: return "*";
    case MOVIE_DIALOG_KZA: return "KZA";
    case MOVIE_DIALOG_KZB: return "KZB";
    default: return "KZP";
  }
}

static void LoadActorFile(u32 d, i32 n, const char *name) {
  ModelResult res = {true, ""};
  switch (d) {
    case MOVIE_DIALOG_IMG: Img_Load(&g_MovieImages[n], name); break;
    case MOVIE_DIALOG_KZA: if (n < OBJ2_SLOTS) Kza_Read(n, name, &res); break;
    case MOVIE_DIALOG_KZB: if (n < BONE2_SLOTS) Kzb_Read(n, name, &res); break;
    case MOVIE_DIALOG_KZO: break;   // an object set is kept, not loaded, as the movie's reader does
    default:
      if (n >= MODEL3_SLOTS) break;
      if (d == MOVIE_DIALOG_KZP) Model3_Init(n);
      Model3_OpenFile(n, name, &res);
      break;
  }
  Seam_ShowResult(&res);
}

// The file dialogs start where a kept file is found, else in the folder it was expected in.
static void StartAtKept(const char *folder, const char *name) {
  char found[FILEDLG_TEXT * 2];
  Kzv_FindFile(folder, name[0] ? name : "*", found, sizeof found);
  char dir[FILEDLG_TEXT * 2];
  Str_Format(dir, sizeof dir, "%.*s", (int)File_NameOffset(found), found);
  if (dir[0]) FileDlg_SetInitialDir(dir);
}

// "イメージファイル" / "モデル( ... )": the file chosen anywhere; the object keeps its folder
// relative to the movie's and its name (see Kzv_KeepFile).
static void ChooseActorFile(u32 d, MovieObject *o, i32 n) {
  StartAtKept(o->folder, o->fileName);
  const char *name = FileDlg_OpenByExt(nullptr, ModelExt(d), kPickFile, o->fileName);
  if (name && name[0]) {
    char folder[256], file[256];
    if (Kzv_KeepFile(name, folder, file)) {
      Str_Copy(o->fileName, sizeof o->fileName, file);
      Str_Copy(o->folder, sizeof o->folder, folder);
      LoadActorFile(d, n, name);
      if (!o->name[0]) Str_Copy(o->name, sizeof o->name, file);
      Edited();
    } else {
      Seam_ErrorBoxf(kDocRefMsgTooLong, name);
    }
  }
  FileDlg_ChangeDir(g_Lib.dataDir);
}

// [SECTION] commands

// False when a text of the actor dialog d has a letter the code page cannot hold (the user has
// been told, and nothing is to change).
static bool ActorTextsRefused(u32 d) {
  static const u32 kIds[] = {IDC_MOVIE_ACTOR_NAME,     IDC_MOVIE_ACTOR_X,       IDC_MOVIE_ACTOR_Y,
                             IDC_MOVIE_ACTOR_Z,        IDC_MOVIE_ACTOR_ANGLE_Z, IDC_MOVIE_ACTOR_SCALE_X,
                             IDC_MOVIE_ACTOR_SCALE_Y,  IDC_MOVIE_ACTOR_SCALE_Z, IDC_MOVIE_ACTOR_COLOR_R,
                             IDC_MOVIE_ACTOR_COLOR_G,  IDC_MOVIE_ACTOR_COLOR_B, IDC_MOVIE_ACTOR_COLOR_A,
                             IDC_MOVIE_KZP_FOLDER_TEXT};
  char t[256];
  for (u32 id : kIds)
    if (!Widget_ReadText(Movie_Dialog(d), id, t, sizeof t)) return true;
  return false;
}

// "決定" of an actor dialog: the fields into the object and its current key; false when a text
// was refused (nothing changed).
static bool ApplyActor(u32 d, MovieObject *o, i32 n) {
  char t[256];
  if (ActorTextsRefused(d)) return false;
  if (ReadText(d, IDC_MOVIE_ACTOR_NAME, t, sizeof t)) Str_Copy(o->name, sizeof o->name, t);
  MovieKey *k = CurrentKey(o);
  if (!k) return true;
  if (d == MOVIE_DIALOG_IMG) {
    ApplyFloat(d, IDC_MOVIE_ACTOR_X, "X", &k->position[0]);
    ApplyFloat(d, IDC_MOVIE_ACTOR_Y, "Y", &k->position[1]);
    ApplyFloat(d, IDC_MOVIE_ACTOR_ANGLE_Z, "回転 Z", &k->angles[2]);
    ApplyFloat(d, IDC_MOVIE_ACTOR_SCALE_X, "拡縮 X", &k->scale[0]);
    ApplyFloat(d, IDC_MOVIE_ACTOR_SCALE_Y, "拡縮 Y", &k->scale[1]);
    i32 c[4];
    bool all = true;
    for (u32 i = 0; i < 4; i++) all = all && ReadText(d, IDC_MOVIE_ACTOR_COLOR_R + i, t, sizeof t) && MovieDlg_ParseInt(t, &c[i]);
    if (all)
      for (i32 i = 0; i < 4; i++) k->color[i] = (f32)ClampI(c[i], 0, 255);
    return true;
  }
  i32 sel = MovieDlg_MotionSelection(ListSelection(d, IDC_MOVIE_ACTOR_MOTIONS), MotionCount(o->kind, n));
  if (sel >= 0) k->number = sel;
  if (d == MOVIE_DIALOG_KZO || d == MOVIE_DIALOG_KZP) {
    static const char *const kPos[3] = {"X", "Y", "Z"}, *const kScale[3] = {"拡縮 X", "拡縮 Y", "拡縮 Z"};
    for (u32 i = 0; i < 3; i++) ApplyFloat(d, IDC_MOVIE_ACTOR_X + i, kPos[i], &k->position[i]);
    for (u32 i = 0; i < 3; i++) ApplyFloat(d, IDC_MOVIE_ACTOR_SCALE_X + i, kScale[i], &k->scale[i]);
  }
  if (d == MOVIE_DIALOG_KZP && ReadText(d, IDC_MOVIE_KZP_FOLDER_TEXT, t, sizeof t)) Str_Copy(o->folder, sizeof o->folder, t);
  return true;
}

static void ChooseSceneFile(const char *ext, char *name, i32 *present, const char *title);

static void ActorCommand(u32 d, u32 id) {
  MovieObject *o = Movie_CurrentObject();
  i32 n = (i32)g_Sel.g_CurSlot;
  if (id == IDC_MOVIE_DLG_CLOSE) return Movie_CloseDialog(d);
  if (!o) return;
  char folder[256];
  switch (id) {
    case IDC_MOVIE_ACTOR_FOLDER:
      if (d == MOVIE_DIALOG_KZP || !ChooseFolder(g_Lib.dataDir, folder)) return;
      Str_Copy(o->folder, sizeof o->folder, folder);
      SetText(d, IDC_MOVIE_ACTOR_FOLDER_TEXT, folder);
      Edited();
      break;
    case IDC_MOVIE_ACTOR_FILE: ChooseActorFile(d, o, n); break;
    case IDC_MOVIE_ACTOR_MOTION: {
      if (d == MOVIE_DIALOG_IMG) return;
      // Kept from the movie's folder, as the scene's files are.
      i32 chosen = 0;
      ChooseSceneFile("KZM", o->motionFileName, &chosen, kPickMotion);
      break;
    }
    case IDC_MOVIE_ACTOR_APPLY:
      if (!ApplyActor(d, o, n)) return;
      Edited();
      break;
    default: return;
  }
  Changed();
}

static void MainCommand(u32 id) {
  MovieObject *o = Movie_CurrentObject();
  switch (id) {
    case IDC_MOVIE_MODE_MOVE: g_MovieEditor.mode = MOVIE_MODE_MOVE; break;
    case IDC_MOVIE_MODE_ROTATE: g_MovieEditor.mode = MOVIE_MODE_ROTATE; break;
    case IDC_MOVIE_MODE_SCALE: g_MovieEditor.mode = MOVIE_MODE_SCALE; break;
    case IDC_MOVIE_MOVE_CURVE: if (o) o->moveCurve = o->moveCurve == 1 ? 0 : 1, Edited(); break;
    case IDC_MOVIE_ROTATE_CURVE: if (o) o->rotationCurve = o->rotationCurve == 1 ? 0 : 1, Edited(); break;
    default: return;   // "アンドゥ", "リドゥ", "拡大 : 曲線"
  }
  Changed();
}

static void CameraCommand(u32 id) {
  if (id == IDC_MOVIE_DLG_CLOSE) return Movie_CloseDialog(MOVIE_DIALOG_CAM);
  if (id != IDC_MOVIE_CAM_APPLY) return;
  MovieKey *k = CurrentKey(Movie_CurrentObject());
  if (!k) return;
  static const char *const kEye[3] = {"視点 X", "視点 Y", "視点 Z"}, *const kAt[3] = {"注視点 X", "注視点 Y", "注視点 Z"};
  for (u32 i = 0; i < 3; i++) ApplyFloat(MOVIE_DIALOG_CAM, IDC_MOVIE_CAM_EYE_X + i, kEye[i], &k->position[i]);
  for (u32 i = 0; i < 3; i++) ApplyFloat(MOVIE_DIALOG_CAM, IDC_MOVIE_CAM_AT_X + i, kAt[i], &k->target[i]);
  Edited();
  Changed();
}

// An open dialog's answer into a 256-byte name and its present flag (a cancel changes nothing).
// The dialog starts where the kept file is.
static void ChooseSceneFile(const char *ext, char *name, i32 *present, const char *title) {
  char found[FILEDLG_TEXT];
  if (name[0] && MovieDlg_FindKeptPath(name, found, sizeof found)) {
    char folder[FILEDLG_TEXT];
    Str_Format(folder, sizeof folder, "%.*s", (int)File_NameOffset(found), found);
    FileDlg_SetInitialDir(folder);
  } else {
    Str_Copy(found, sizeof found, name);
  }
  const char *got = FileDlg_OpenByExt(nullptr, ext, title, found + File_NameOffset(found));
  char here[FILEDLG_TEXT], kept[256];
  if (got && got[0] && getcwd(here, sizeof here) && MovieDlg_KeepPath(here, got, kept, sizeof kept)) {
    Str_Copy(name, 256, kept);
    *present = 1;
    Edited();
  } else if (got && got[0]) {
    Seam_ErrorBoxf("%s の場所が長すぎて、覚えておくことができません。", got);
  }
  FileDlg_ChangeDir(g_Lib.dataDir);
}

static bool IsFullPath(const char *p) { return IsSep(p[0]) || (p[0] && p[1] == ':'); }

#if defined(_WIN32)
static const char kSep[] = "\\";
#else
static const char kSep[] = "/";
#endif

bool MovieDlg_KeepPath(const char *chosenFolder, const char *name, char *out, size_t size) {
  char full[FILEDLG_TEXT * 2];
  if (IsFullPath(name)) Str_Copy(full, sizeof full, name);
  else if (!Str_FormatAll(full, sizeof full, "%s%s%s", chosenFolder,
                          chosenFolder[0] && !IsSep(chosenFolder[strlen(chosenFolder) - 1]) ? kSep : "", name))
    return false;
  return DocRef_Keep(g_MovieScene.movieFolder, full, out, size);
}

bool MovieDlg_FindKeptPath(const char *kept, char *out, size_t size) {
  const char *bases[] = {g_Lib.dataDir};
  return DocRef_Find(g_MovieScene.movieFolder, kept, bases, 1, out, size);
}

static void SceneCommand(u32 id) {
  MovieScene &s = g_MovieScene;
  switch (id) {
    case IDC_MOVIE_SCENE_BGM: ChooseSceneFile("mid", s.bgmFileName, &s.bgmPresent, kPickFile); break;
    case IDC_MOVIE_SCENE_BGM_CLEAR: s.bgmPresent = 0; Edited(); break;
    case IDC_MOVIE_SCENE_NEXT: ChooseSceneFile("KZV", s.nextName, &s.nextPresent, kPickFile); break;
    case IDC_MOVIE_SCENE_NEXT_CLEAR: s.nextPresent = 0; Edited(); break;
    default: return;   // the colour fields, "カメラNo" and "決定" do nothing
  }
  Changed();
}

static void WaveCommand(u32 id) {
  MovieScene &s = g_MovieScene;
  i32 sel = MovieDlg_SoundSelection(ListSelection(MOVIE_DIALOG_WAVE, IDC_MOVIE_WAVE_LIST));
  if (sel >= 0) g_MovieDlg.soundSlot = sel;
  i32 slot = ClampI(g_MovieDlg.soundSlot, 0, MOVIE_SOUND_LINES - 1);
  if (id == IDC_MOVIE_WAVE_CLOSE) return Movie_CloseDialog(MOVIE_DIALOG_WAVE);
  if (id == IDC_MOVIE_WAVE_APPLY) {
    if (MovieKey *k = CurrentKey(Movie_CurrentObject())) k->number = slot, Edited();
    return Changed();
  }
  if ((id != IDC_MOVIE_WAVE_FOLDER && id != IDC_MOVIE_WAVE_FILE) || slot == 0) return;   // slot 0 holds no sound
  if (id == IDC_MOVIE_WAVE_FOLDER) {
    char folder[256];
    if (!ChooseFolder(g_Lib.dataDir, folder)) return;
    Str_Copy(s.soundFolders[slot], sizeof s.soundFolders[slot], folder);
  } else {
    StartAtKept(s.soundFolders[slot], s.soundFileNames[slot]);
    const char *name = FileDlg_OpenByExt(nullptr, "WAV", kPickFile, s.soundFileNames[slot]);
    char folder[256], file[256];
    bool kept = name && name[0] && Kzv_KeepFile(name, folder, file);
    if (kept) {
      Str_Copy(s.soundFileNames[slot], sizeof s.soundFileNames[slot], file);
      Str_Copy(s.soundFolders[slot], sizeof s.soundFolders[slot], folder);
      Sound_LoadSlot(slot, name);
    } else if (name && name[0]) {
      Seam_ErrorBoxf(kDocRefMsgTooLong, name);
    }
    FileDlg_ChangeDir(g_Lib.dataDir);
    if (!kept) return;
  }
  if (s.soundCount < slot + 1) s.soundCount = slot + 1;
  Edited();
  FillSounds();
  Changed();
}

static void MessageCommand(u32 id) {
  MovieScene &s = g_MovieScene;
  i32 sel = ListSelection(MOVIE_DIALOG_MES, IDC_MOVIE_LIST);
  if (sel >= 0 && sel < MOVIE_MESSAGE_COUNT) g_MovieDlg.message = sel;
  i32 m = ClampI(g_MovieDlg.message, 0, MOVIE_MESSAGE_COUNT - 1);
  if (id == IDC_MOVIE_LIST) {   // a new selection shows its text
    SetText(MOVIE_DIALOG_MES, IDC_MOVIE_MES_TEXT, g_Movie.messages[m]);
    return;
  }
  if (id != IDC_MOVIE_MES_APPLY) return;
  if (m != 0) {
    char t[256];
    if (!ReadText(MOVIE_DIALOG_MES, IDC_MOVIE_MES_TEXT, t, sizeof t)) return;   // refused: nothing changes
    if (s.messageCount < m + 1) s.messageCount = m + 1;
    Str_Copy(g_Movie.messages[m], sizeof g_Movie.messages[m], t);
    FillMessages();
  }
  if (MovieKey *k = CurrentKey(Movie_CurrentObject())) k->number = m;
  Edited();
  Changed();
}

static void KeyCommand(u32 id) {
  HookCtx c = Family_ShellContext();
  MovieScene &s = g_MovieScene;
  MovieObject *o = Movie_CurrentObject();
  char t[64];
  switch (id) {
    case IDC_MOVIE_KEY_CREATE: if (!KeyRefused() && Movie_EnsureKeyAtFrame()) Edited(); break;
    case IDC_MOVIE_KEY_FRAMES_APPLY:
      if (!ReadText(MOVIE_DIALOG_KEY, IDC_MOVIE_KEY_FRAMES, t, sizeof t)) return;
      MovieDlg_ApplyFrameCount(t);
      break;
    case IDC_MOVIE_KEY_DELETE: if (Movie_DeleteKeyAtFrame()) Edited(); break;
    case IDC_MOVIE_KEY_COPY: Movie_FindCurrentKeys(); Movie_CopyKey(); break;
    case IDC_MOVIE_KEY_CUT:
      Movie_FindCurrentKeys();
      Movie_CopyKey();
      if (Movie_DeleteKeyAtFrame()) Edited();
      break;
    case IDC_MOVIE_KEY_PASTE: if (!KeyRefused() && Movie_PasteKey()) Edited(); break;
    case IDC_MOVIE_KEY_FIRST: g_MovieScene.frame = 0; break;
    case IDC_MOVIE_KEY_PREV_KEY: g_MovieScene.frame = Movie_PrevKeyFrame(g_MovieScene.frame); break;
    case IDC_MOVIE_KEY_NEXT_KEY: g_MovieScene.frame = Movie_NextKeyFrame(g_MovieScene.frame); break;
    case IDC_MOVIE_KEY_PREV: if (g_MovieScene.frame > 0) g_MovieScene.frame--; break;
    case IDC_MOVIE_KEY_NEXT: if (g_MovieScene.frame < s.frameCount) g_MovieScene.frame++; break;   // never past the end
    case IDC_MOVIE_KEY_ZOOM_OUT: MovieDlg_Zoom(true); break;
    case IDC_MOVIE_KEY_ZOOM_IN: MovieDlg_Zoom(false); break;
    case IDC_MOVIE_KEY_SCROLL_LEFT: MovieDlg_ScrollBy(100, 0); break;
    case IDC_MOVIE_KEY_SCROLL_RIGHT: MovieDlg_ScrollBy(-100, 0); break;
    case IDC_MOVIE_PLAY: Movie_TogglePlayback(c.layout); return;
    case IDC_MOVIE_KEY_CHAIN:
      s.chainFlag = s.chainFlag ? 0 : 1;
      SetCheck(MOVIE_DIALOG_KEY, IDC_MOVIE_KEY_CHAIN, s.chainFlag != 0);
      break;
    case IDC_MOVIE_KEY_SHOWN:
      if (MovieKey *k = CurrentKey(o)) {
        k->shown = k->shown ? 0 : 1;
        SetCheck(MOVIE_DIALOG_KEY, IDC_MOVIE_KEY_SHOWN, k->shown != 0);
        Edited();
      }
      break;
    default: return;   // ">>>", the loop check box (read when playback starts)
  }
  Changed();
}

// The command handler of each dialog that is not an actor's.
static const struct {
  u32 dialog;
  void (*command)(u32 id);
} kDialogCommands[] = {
    {MOVIE_DIALOG_MAIN, MainCommand},   {MOVIE_DIALOG_CAM, CameraCommand},
    {MOVIE_DIALOG_SCENE, SceneCommand}, {MOVIE_DIALOG_WAVE, WaveCommand},
    {MOVIE_DIALOG_MES, MessageCommand}, {MOVIE_DIALOG_KEY, KeyCommand},
};

void MovieDlg_Command(u32 d, u32 id) {
  if (IsActorDialog(d)) return ActorCommand(d, id);
  for (const auto &c : kDialogCommands)
    if (c.dialog == d) return c.command(id);
}

// [SECTION] time line mouse

static void Pick(i32 x, i32 y) {
  g_MovieScene.frame = MovieDlg_PickFrame(x);
  i32 row = MovieDlg_PickRow(y);
  if (row >= 0 && row < Movie_ObjectCount() && g_Movie.objects[row]) g_Sel.g_CurSlot = (u32)row;
  Changed();
}

void MovieDlg_LeftDown(i32 x, i32 y) { Pick(x, y); }
void MovieDlg_LeftDrag(i32 x, i32 y) { Pick(x, y); }
void MovieDlg_LeftUp(void) {
  HookCtx c = Family_ShellContext();
  Movie_ShowActorDialog(c.sel);
}

void MovieDlg_DoubleClick(void) {
  if (!KeyRefused() && Movie_EnsureKeyAtFrame()) Edited();
  Changed();
}

void MovieDlg_MiddleDown(i32 x) { g_MovieDlg.middleX = x; }

void MovieDlg_MiddleDrag(i32 x) {
  i32 dx = x - g_MovieDlg.middleX;
  if (dx == 0) return;
  g_MovieDlg.middleX = x;
  if (MovieDlg_MoveKey(dx)) Changed();
}

void MovieDlg_RightDown(i32 x, i32 y) { g_MovieDlg.rightX = x, g_MovieDlg.rightY = y; }

void MovieDlg_RightDrag(i32 x, i32 y) {
  MovieDlg_ScrollBy(x - g_MovieDlg.rightX, y - g_MovieDlg.rightY);
  g_MovieDlg.rightX = x, g_MovieDlg.rightY = y;
  App_MarkAllRedraw(View_CurrentLayout());
}

void MovieDlg_Scroll(i32 code, i32 thumb) {
  i32 f = MovieDlg_ScrollFrame(g_MovieScene.frame, code, thumb, g_MovieScene.frameCount);
  if (f == g_MovieScene.frame && code != MOVIE_SB_THUMBPOSITION) return;
  g_MovieScene.frame = f;
  Movie_SetScroll(f, g_MovieScene.frameCount);
  g_MovieEditor.shownFrame = f;
  Changed();
}
