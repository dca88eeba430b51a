// The collision editor's state, wall records, family hooks and picking. Owns g_ColiEdit and
// g_SceneSeam (see scene/coli_edit.h).
#include "scene/coli_edit.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "app/widget.h"
#include "lib/draw/camera.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/media/filename.h"
#include "lib/render/objects.h"
#include "model/docref.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "model/object.h"
#include "model/seam_errorbox.h"
#include "model/str.h"

ColiEditor g_ColiEdit = {0, 0, 0, -1, -1, {}, {}, {}, {}};

static const char kCharacterFile[] = "コリジョンキャラ.KZP";
static const char kBoxesFull[] = "壁(立方体)を追加できませんでした。";
static const char kCirclesFull[] = "壁(円)を追加できませんでした。";

// [SECTION] Records

static bool HasCharacter(void) { return g_Model3Slots[0] != nullptr; }

static void Object0Position(f32 p[3]) {
  const KZL::OBJECT *o = Object_Get(0);
  for (int k = 0; k < 3; k++) p[k] = o ? o->pos[k] : 0.0f;
}

static void MarkEdited(void) { Doc_MarkEdited(DOC_COLLISION); }

// Record k of a table of n made unused; with a character loaded it then stands at object 0's
// place, size 5, and is returned for the caller's own fields (else null).
template <typename Rec>
static Rec *ResetRecord(Rec *recs, i32 n, i32 k) {
  if (k < 0 || k >= n) return nullptr;
  Rec &r = recs[k];
  r.used = 0;
  if (!HasCharacter()) return nullptr;
  f32 p[3];
  Object0Position(p);
  r.x = p[0], r.y = p[1], r.z = p[2];
  r.size = 5.0f;
  return &r;
}

void Coli_ResetBox(i32 k) {
  CollisionDoc *d = g_Coli.doc;
  if (ColiBox *b = d ? ResetRecord(d->boxes, COLI_BOXES, k) : nullptr) b->angle = 0.0f;
}

void Coli_ResetCircle(i32 k) {
  if (CollisionDoc *d = g_Coli.doc) ResetRecord(d->circles, COLI_CIRCLES, k);
}

void Coli_CopyBox(i32 from, i32 to) {
  CollisionDoc *d = g_Coli.doc;
  if (d && from >= 0 && from < COLI_BOXES && to >= 0 && to < COLI_BOXES) d->boxes[to] = d->boxes[from];
}

void Coli_CopyCircle(i32 from, i32 to) {
  CollisionDoc *d = g_Coli.doc;
  if (d && from >= 0 && from < COLI_CIRCLES && to >= 0 && to < COLI_CIRCLES) d->circles[to] = d->circles[from];
}

// Passes that move a used record into the free one before it until one moves nothing; the
// moved record's selection flag is dropped. The count is the number of packed records after.
template <typename Rec>
static i32 Compact(Rec *recs, u8 *selected, i32 n) {
  bool moved = true;
  while (moved) {
    moved = false;
    for (i32 k = 0; k + 1 < n; k++) {
      if (!recs[k].used && recs[k + 1].used) {
        recs[k] = recs[k + 1];
        recs[k + 1].used = 0;
        selected[k] = 0;
        moved = true;
      }
    }
  }
  i32 count = 0;
  while (count < n && recs[count].used) count++;
  return count;
}

void Coli_CompactBoxes(void) {
  if (g_Coli.doc) g_Coli.doc->boxCount = Compact(g_Coli.doc->boxes, g_ColiEdit.boxSelected, COLI_BOXES);
}

void Coli_CompactCircles(void) {
  if (g_Coli.doc)
    g_Coli.doc->circleCount = Compact(g_Coli.doc->circles, g_ColiEdit.circleSelected, COLI_CIRCLES);
}

template <typename Rec>
static i32 FirstFree(const Rec *recs, i32 n) {
  for (i32 k = 0; k < n; k++)
    if (!recs[k].used) return k;
  return -1;
}

// A record added in the first free place (reset, then marked used) and made current when none
// was; the message and false when the table is full.
template <typename Rec>
static bool AddRecord(Rec *recs, i32 n, i32 *count, void (*reset)(i32), i32 *cur, i32 panel, const char *full) {
  i32 k = FirstFree(recs, n);
  if (k < 0) {
    Seam_ErrorBox(full);
    return false;
  }
  reset(k);
  recs[k].used = 1;
  (*count)++;
  if (*cur < 0) *cur = 0;
  g_ColiEdit.refresh[panel] = 1;
  MarkEdited();
  App_MarkAllRedraw(View_CurrentLayout());
  return true;
}

bool Coli_AddBox(void) {
  CollisionDoc *d = g_Coli.doc;
  return d && AddRecord(d->boxes, COLI_BOXES, &d->boxCount, Coli_ResetBox, &g_ColiEdit.curBox, COLI_PANEL_BOX,
                        kBoxesFull);
}

bool Coli_AddCircle(void) {
  CollisionDoc *d = g_Coli.doc;
  return d && AddRecord(d->circles, COLI_CIRCLES, &d->circleCount, Coli_ResetCircle, &g_ColiEdit.curCircle,
                        COLI_PANEL_CIRCLE, kCirclesFull);
}

bool Coli_SetModel(Model3 *m, const char *name) {
  CollisionDoc *d = g_Coli.doc;
  if (!d || !m || !name) return false;
  char kept[COLI_NAME];
  if (!DocRef_Choose(d->folder, sizeof d->folder, name, kept, sizeof kept)) {
    // A cut name would be saved and later open another file, or none.
    Seam_ErrorBoxf(kDocRefMsgTooLong, name);
    return false;
  }
  Model3_Free(d->model);
  d->model = m;
  memset(d->modelName, 0, sizeof d->modelName);
  Str_Copy(d->modelName, sizeof d->modelName, kept);
  Coli_InvalidateGrid();
  MarkEdited();
  App_MarkAllRedraw(View_CurrentLayout());
  return true;
}


void Coli_RefreshLists(u32 layout) {
  g_ColiEdit.refresh[COLI_PANEL_RANGE] = 1;
  g_ColiEdit.refresh[COLI_PANEL_BOX] = 1;
  g_ColiEdit.refresh[COLI_PANEL_CIRCLE] = 1;
  App_MarkAllRedraw(layout);
}

// [SECTION] Panels opened and closed

const char *Coli_PanelName(u32 p) {
  static const char *const kTemplates[COLI_PANELS] = {"COLI_SELECT_DLG", "COLI_MAX_DLG", "COLI_BOX_DLG",
                                                      "COLI_CIRCLE_DLG"};
  return p < COLI_PANELS ? kTemplates[p] : nullptr;
}

static void OpenPanel(u32 p) {
  ColiEditor &e = g_ColiEdit;
  if (e.panels[p]) return;
  i32 r[4];
  Coli_PanelRect(p, g_Lib.desktopWidth, r);
  e.panels[p] = Widget_CreatePanel(Coli_PanelName(p), r[0], r[1], r[2], r[3]);
  e.refresh[p] = 1;
}

static void ClosePanel(u32 p) {
  ColiEditor &e = g_ColiEdit;
  void *w = e.panels[p];
  e.panels[p] = nullptr;   // cleared first: the window's destruction may call back
  if (w) Widget_Destroy(w);
}

void Coli_SetTarget(u32 t) {
  if (t > COLI_TARGET_CIRCLES) return;
  static const u32 kPanelOf[3] = {COLI_PANEL_RANGE, COLI_PANEL_BOX, COLI_PANEL_CIRCLE};
  for (u32 i = 0; i < 3; i++)
    if (i != t) ClosePanel(kPanelOf[i]);
  g_ColiEdit.target = t;
  OpenPanel(kPanelOf[t]);
  g_ColiEdit.refresh[COLI_PANEL_SELECT] = 1;
}

// [SECTION] Enter and leave

// View angles and offsets back to their start values (the eye stands 15 zoom units off).
static void ResetViewValues(void) {
  g_Shell.g_PerspAngleX = -20.0f;
  g_Shell.g_PerspAngleY = 20.0f;
  for (f32 &o : g_Shell.g_PerspOffset) o = 0.0f;
}

static void LoadCharacters(void) {
  char system[LIB_TEXT_SIZE];
  // A data folder whose "System" path does not fit loads nothing rather than another folder.
  bool entered = Str_FormatAll(system, sizeof system, "%s/System", g_Lib.dataDir) && FileDlg_ChangeDir(system) == 0;
  for (i32 i = 0; i < COLI_CHARACTERS; i++) {
    // A file that cannot be read is reported by the opener and leaves the slot empty.
    if (entered) {
      ModelResult res;
      Model3_OpenFile(i, kCharacterFile, &res);
      Seam_ShowResult(&res);
    }
    Model3_SetRenderMode(g_Model3Slots[i], 1);
    KZL::OBJECT *o = ObjectInit(i);
    g_Coli.collide[i] = 1;
    f32 x = (f32)(rand() % 50 - 25), z = (f32)(rand() % 50 - 25);
    Object_SetPosition(o, x, 0.0f, z);
  }
  // Back to the data folder itself: "../" from a folder never entered would leave it.
  FileDlg_ChangeDir(g_Lib.dataDir);
  Object_SetPosition(Object_Get(0), 0.0f, 0.0f, 0.0f);
}

// A current box or circle past the records in use (an open may leave fewer) falls back to the
// last one there is, none without any, and its panel shows it.
static void FollowRecord(i32 *cur, i32 count, u32 panel) {
  if (*cur < 0) return;
  i32 k = count > 0 ? (i32)Current_Within((u32)*cur, count) : -1;
  if (k != *cur) *cur = k, g_ColiEdit.refresh[panel] = 1;
}

void Coli_DocumentChanged(const HookCtx *) {
  const CollisionDoc *d = g_Coli.doc;
  FollowRecord(&g_ColiEdit.curBox, d ? d->boxCount : 0, COLI_PANEL_BOX);
  FollowRecord(&g_ColiEdit.curCircle, d ? d->circleCount : 0, COLI_PANEL_CIRCLE);
}

void Coli_Enter(const HookCtx *c) {
  ColiEditor &e = g_ColiEdit;
  g_Lib.runState = 4;
  Lib_ClearAllModels();
  Coli_NewDocument();   // the document it replaces is freed with its collision model
  Doc_Replaced(DOC_COLLISION);
  e.curBox = e.curCircle = -1;
  e.boxMode = e.circleMode = COLI_MODE_MOVE;
  memset(e.boxSelected, 0, sizeof e.boxSelected);
  memset(e.circleSelected, 0, sizeof e.circleSelected);
  App_LoadFamilyMenu("MENU_COLI");
  ResetViewValues();
  g_Coli.collide[0] = 1;
  LoadCharacters();
  OpenPanel(COLI_PANEL_SELECT);
  Coli_SetTarget(COLI_TARGET_RANGE);
  c->view->zoom = 8.0f;
  App_MarkAllRedraw(c->layout);
}

void Coli_Leave(const HookCtx *c) {
  if (g_Coli.doc) g_Coli.doc->loaded = 0;
  for (i32 i = 0; i < COLI_CHARACTERS; i++) {
    Model3_FreeSlot(i);
    Model3_Init(i);
  }
  for (u32 p = 0; p < COLI_PANELS; p++) ClosePanel(p);
  g_ModelAllocArrays = 1;
}

// [SECTION] Per-frame update

// Direction keys in the order up, right, down, left: a later key overrides an earlier one.
static void StepCharacter(void) {
  f32 sx = 0.0f, sz = 0.0f;
  const u32 *keys = g_Lib.app.keyState;
  if (keys[38]) sz = 0.5f;
  if (keys[39]) sx = 0.5f;
  if (keys[40]) sz = -0.5f;
  if (keys[37]) sx = -0.5f;
  KZL::OBJECT *o = Object_Get(0);
  if (!o) return;
  o->pos[0] += sx;
  o->pos[2] += sz;
}

static void ClearSteps(void) {
  for (i32 i = 0; i < COLI_OBJECTS; i++) {
    KZL::OBJECT *o = Object_Get(i);
    if (o && g_Coli.collide[i] == 1) o->velocity[0] = o->velocity[1] = o->velocity[2] = 0.0f;
  }
}

// The used record whose projection at (x, y0, z) is nearest to the mouse at (mx, my); ties
// keep the lower index. -1 when none is used.
template <typename Rec>
static i32 Nearest(const Rec *recs, i32 n, f32 y0, i32 mx, i32 my) {
  f32 best = 99999.9f;
  i32 found = -1;
  for (i32 k = 0; k < n; k++) {
    if (!recs[k].used) continue;
    f32 s[3];
    g_SceneSeam.project(s, recs[k].x, y0, recs[k].z);
    f32 dx = s[0] - (f32)mx, dy = s[1] - (f32)my;
    f32 dist = sqrtf(dx * dx + dy * dy);
    if (dist < best) {
      best = dist;
      found = k;
    }
  }
  return found;
}

static void PickNearest(i32 mx, i32 my) {
  ColiEditor &e = g_ColiEdit;
  const CollisionDoc *d = g_Coli.doc;
  f32 p[3];
  Object0Position(p);
  if (e.target == COLI_TARGET_BOXES) {
    i32 k = Nearest(d->boxes, COLI_BOXES, p[1], mx, my);
    if (k != e.curBox) e.refresh[COLI_PANEL_BOX] = 1;
    e.curBox = k;
  } else if (e.target == COLI_TARGET_CIRCLES) {
    i32 k = Nearest(d->circles, COLI_CIRCLES, p[1], mx, my);
    if (k != e.curCircle) e.refresh[COLI_PANEL_CIRCLE] = 1;
    e.curCircle = k;
  }
}

void Coli_Update(const HookCtx *c) {
  if (!HasCharacter() || !g_Coli.doc) return;
  g_Coli.doc->loaded = 1;
  StepCharacter();
  Coli_Resolve();
  ClearSteps();
  f32 p[3];
  Object0Position(p);
  ViewRecord *v = View_Get(c->layout, 0);
  v->panX = p[0], v->panY = p[1], v->panZ = p[2];
  if (!Shell_AnyButtonHeld()) PickNearest(c->x, c->y);
  App_MarkAllRedraw(c->layout);
}

// [SECTION] Mouse and keys

static bool OnlyButton(u32 b) {
  return Shell_ButtonHeld(b) && Shell_AnyButtonHeld() &&
         (Shell_ButtonHeld(BUTTON_LEFT) + Shell_ButtonHeld(BUTTON_MIDDLE) + Shell_ButtonHeld(BUTTON_RIGHT)) == 1;
}

static f32 Grown(f32 size, f32 by) { return size + by < 0.1f ? 0.1f : size + by; }

// Turns a box; a circle has no angle (false: nothing turned).
static bool Turn(ColiBox *b, f32 by) {
  b->angle += by;
  return true;
}
static bool Turn(ColiCircle *, f32) { return false; }

// A left drag of (dx, dy) on the current box or circle `cur` of recs[n] in the panel's mode.
template <typename Rec>
static void DragShape(Rec *recs, i32 n, i32 cur, u32 mode, u32 panel, f32 dx, f32 dy) {
  if (cur < 0 || cur >= n) return;
  Rec &r = recs[cur];
  switch (mode) {
    case COLI_MODE_MOVE: r.x += 0.1f * dx; r.z -= 0.1f * dy; break;
    case COLI_MODE_ROTATE:
      if (!Turn(&r, 0.2f * dx - 0.2f * dy)) return;
      break;
    case COLI_MODE_SCALE: r.size = Grown(r.size, 0.1f * dx - 0.1f * dy); break;
    default: return;
  }
  g_ColiEdit.refresh[panel] = 1;
  MarkEdited();
}

// The three anchor setters of the family's row all set pairs a to c; the editor reads (a).
void Coli_MouseMove(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  if (!HasCharacter() || !g_Coli.doc) return;
  const DragAnchor &a = c->mouse->g_MotionDragAnchor;
  if (OnlyButton(BUTTON_MIDDLE) || OnlyButton(BUTTON_RIGHT)) {
    DragAnchors_SetAC(c->mouse, x, y);
    return;
  }
  if (!OnlyButton(BUTTON_LEFT)) return;
  f32 dx = (f32)(x - a.x), dy = (f32)(y - a.y);
  DragAnchors_SetAC(c->mouse, x, y);
  const ColiEditor &e = g_ColiEdit;
  if (e.target == COLI_TARGET_BOXES)
    DragShape(g_Coli.doc->boxes, COLI_BOXES, e.curBox, e.boxMode, COLI_PANEL_BOX, dx, dy);
  else if (e.target == COLI_TARGET_CIRCLES)
    DragShape(g_Coli.doc->circles, COLI_CIRCLES, e.curCircle, e.circleMode, COLI_PANEL_CIRCLE, dx, dy);
}

// Duplicate into the first free record (made current) or delete and compact.
template <typename Rec>
static void ReleaseOn(Rec *recs, i32 n, i32 *count, u8 *selected, u32 mode, i32 *cur, const char *fullText,
                      void (*compact)(void)) {
  if (*cur < 0 || *cur >= n) return;
  if (mode == COLI_MODE_DUPLICATE) {
    i32 k = FirstFree(recs, n);
    if (k < 0) {
      Seam_ErrorBox(fullText);
      return;
    }
    recs[k] = recs[*cur];
    selected[k] = 1;
    (*count)++;
    *cur = k;
  } else if (mode == COLI_MODE_DELETE) {
    recs[*cur].used = 0;
    compact();
    *cur = -1;   // the record it named may now be another one, or none
  } else {
    return;
  }
  MarkEdited();
}

void Coli_LButtonUp(const HookCtx *c) {
  ColiEditor &e = g_ColiEdit;
  CollisionDoc *d = g_Coli.doc;
  if (!d) return;
  if (e.target == COLI_TARGET_BOXES) {
    ReleaseOn(d->boxes, COLI_BOXES, &d->boxCount, e.boxSelected, e.boxMode, &e.curBox, kBoxesFull, Coli_CompactBoxes);
    e.refresh[COLI_PANEL_BOX] = 1;
  } else if (e.target == COLI_TARGET_CIRCLES) {
    ReleaseOn(d->circles, COLI_CIRCLES, &d->circleCount, e.circleSelected, e.circleMode, &e.curCircle, kCirclesFull,
              Coli_CompactCircles);
    e.refresh[COLI_PANEL_CIRCLE] = 1;
  }
}

void Coli_KeyDown(const HookCtx *c) {
  u32 key = c->key;
  if (key == 'E' || key == 'R' || key == 'T' || key == 'G') g_ColiEdit.refresh[COLI_PANEL_BOX] = 1;
}
