// The key-frame strips: the hierarchical strips (2D bones, 2D objects, 3D bones, 3D groups,
// the 3D object set's band) on one painter, and the effect and movie strips.
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/strip_local.h"
#include "app/current.h"
#include "app/startup_state.h"
#include "app/strip_state.h"
#include "app/tree.h"
#include "app/entries.h"
#include "model/kzo.h"
#include "model/obj2.h"

#include <string.h>

// [SECTION] hierarchical painter
// What differs between the hierarchical strips.
struct HierPlan {
  i32 entry;
  i32 rows;
  i32 current, hovered;   // rows, -1 = none
  u8 hover[3];            // colour of the line under the hovered row
  i32 frame, length, keyIndex;
  const void *doc;        // the model the label and key lists are read from (may be null)
  // Prints the label of row r whose top is t.
  typedef void (*Label)(const HierPlan &p, i32 r, i32 t);
  Label label;
  // Key list of row r: records of `stride` bytes whose first field is the frame.
  typedef i32 (*Keys)(const HierPlan &p, i32 r, const void **base, size_t *stride);
  Keys keys;
};

static i32 Rows(void) {
  i32 n = g_TreeRows.count;
  return n < 0 ? 0 : n > TREE_ROWS ? TREE_ROWS : n;
}

static i32 FrameOf(const void *base, size_t stride, i32 k) {
  i32 f;
  memcpy(&f, (const u8 *)base + (size_t)k * stride, sizeof f);
  return f;
}

static i32 RowTop(i32 r) { return STRIP_HEADER + g_Strip.g_StripGeo.offsetY + STRIP_ROW * r; }

static void DrawRowKeys(const HierPlan &p, i32 r, i32 t, i32 w) {
  const void *base = nullptr;
  size_t stride = 0;
  i32 n = p.keys ? p.keys(p, r, &base, &stride) : 0;
  for (i32 k = 0; base && k < n; k++) {
    i32 x = Strip_FrameX(FrameOf(base, stride, k), STRIP_LABEL_X + 1);
    if (x >= STRIP_LABEL_X && x < w) Strip_Rect(x + 1, t + 2, x + 7, t + 19, 0, 160, 255);
  }
}

// A vertical indicator from the first row's top to the bottom, clipped to the key area.
static void Indicator(i32 frame, i32 w, u32 r, u32 g, u32 b) {
  i32 x = Strip_FrameX(frame, STRIP_LABEL_X + 1);
  if (x >= STRIP_LABEL_X && x < w) Strip_Line(x, RowTop(0), x, g_Strip.g_StripGeo.bottom, r, g, b);
}

static void DrawRuler(i32 w) {
  Strip_FillRect(0, 0, w, STRIP_HEADER, 0, 0, 0);
  Strip_Line(0, STRIP_HEADER, w, STRIP_HEADER, 255, 255, 255);
  Strip_SetTextColor(255, 255, 255);
  // The loop bound compares frames with the window width: a narrow window shows no numbers.
  for (i32 f = STRIP_RULER_STEP; f <= w; f += STRIP_RULER_STEP) {
    i32 x = Strip_FrameX(f, g_Strip.g_StripGeo.margin + STRIP_LABEL_X);
    if (x < STRIP_LABEL_X || x >= w) continue;
    Strip_TextOut(x - 2, 6, "%d", f);
    Strip_Line(x + 1, 24, x + 1, 28, 255, 255, 255);
  }
}

static void PaintHier(const HierPlan &p) {
  i32 w, h;
  if (!Strip_Begin(p.entry, &w, &h)) return;
  Strip_FillRect(0, STRIP_HEADER, w, h, 0, 0, 0);
  Strip_SetTextColor(255, 255, 255);
  for (i32 r = 0; r < p.rows; r++) {
    i32 t = RowTop(r);
    Strip_Line(g_Strip.g_StripGeo.left, t + STRIP_ROW, g_Strip.g_StripGeo.right, t + STRIP_ROW, 128, 128, 128);
    if (p.label) p.label(p, r, t);
    DrawRowKeys(p, r, t, w);
  }
  if (!g_Shell.g_Playing && p.current >= 0 && p.current < p.rows) {
    i32 x = Strip_FrameX(p.frame, STRIP_LABEL_X + 1);
    i32 t = RowTop(p.current);
    if (x >= STRIP_LABEL_X && x < w) Strip_Rect(x, t + 1, x + 8, t + 20, 255, 255, 0);
  }
  Strip_Line(STRIP_LABEL_X, RowTop(0), STRIP_LABEL_X, g_Strip.g_StripGeo.bottom, 255, 255, 255);
  if (p.hovered >= 0 && p.hovered < p.rows) {   // a row the strip shows, never one it left behind
    i32 y = RowTop(p.hovered + 1);
    Strip_Line(g_Strip.g_StripGeo.left, y, g_Strip.g_StripGeo.right, y, p.hover[0], p.hover[1], p.hover[2]);
    if (p.current >= 0) {
      y = RowTop(p.current + 1);
      Strip_Line(g_Strip.g_StripGeo.left, y, g_Strip.g_StripGeo.right, y, 200, 200, 0);
    }
  }
  Indicator(p.length, w, 0, 255, 0);
  if (g_Shell.g_Playing) Indicator(p.frame, w, 0, 255, 255);
  DrawRuler(w);
  Strip_SetTextColor(255, 255, 255);
  Strip_TextOut(72, 6, "Frame %d", p.frame);
  Strip_TextOut(5, 6, "Key %d", p.keyIndex);
  Strip_End(p.entry, 0, w, h);
}

static HierPlan TreePlan(i32 entry) {
  HierPlan p = {};
  p.entry = entry;
  p.rows = Rows();
  p.current = g_TreeRows.current;
  p.hovered = g_TreeRows.hovered;
  p.hover[0] = 64, p.hover[1] = 64, p.hover[2] = 0;
  return p;
}

// Glyph of a tree row: no children "　", collapsed "＋", expanded "－".
static const char *Glyph(bool hasChildren, u32 expanded) {
  if (!hasChildren) return "　";
  return expanded == 1 ? "－" : "＋";
}

static void TreeLabel(i32 r, i32 t, const char *format, const char *glyph) {
  const HierRow &row = g_TreeRows.rows[r];
  char label[TREE_LABEL + 1];
  memcpy(label, row.label, TREE_LABEL);
  label[TREE_LABEL] = 0;
  i32 x = row.depth * 16 + 1;
  Strip_TextOut(x, t + 2, format, glyph, row.item, label);
  Strip_TextOut(x, t + 2, "□");
}

// A track's keys handed to the painter: the first key, the record size and the stored count,
// never below zero nor past the track's room.
template <typename Track>
static i32 TrackKeys(const Track *t, const void **base, size_t *stride) {
  if (!t || !t->keys) return 0;
  *base = t->keys;
  *stride = sizeof *t->keys;
  return t->count < 0 ? 0 : t->count > t->capacity ? t->capacity : t->count;
}

// The item of row r whose keys the row shows; -1 for the root, which has none.
static i32 KeyedItem(i32 r) {
  i32 item = g_TreeRows.rows[r].item;
  return item > 0 ? item : -1;
}

static i32 ClampMotion(i32 motion, i32 count) { return motion < 0 || motion >= count ? -1 : motion; }

// Paints the key strip `entry` of a 2D model (m may be null): its frame, the current motion's
// length and the key index of the selected bone or object (null: none in range).
template <typename Model, typename Item>
static void PaintModel2Keys(i32 entry, HierPlan::Label label, HierPlan::Keys keys, const Model *m, i32 motions,
                            const Item *selected) {
  HierPlan p = TreePlan(entry);
  p.doc = m;
  p.label = label;
  p.keys = keys;
  if (m) {
    p.frame = m->currentFrame;
    i32 mo = ClampMotion(m->currentMotion, motions);
    p.length = mo >= 0 ? m->motions[mo].length : 0;
    if (selected) p.keyIndex = selected->keyIndex;
  }
  PaintHier(p);
}

// The label of row r, a bone of a model (2D or 3D; m may be null) with a table of maxBones.
template <typename Model>
static void BoneLabel(i32 r, i32 t, const Model *m, i32 maxBones) {
  i32 item = g_TreeRows.rows[r].item;
  bool children = false;
  for (i32 b = 1; m && b < m->boneCount && b < maxBones; b++)
    if (m->bones[b].parent == item) children = true;
  u32 expanded = m && item >= 0 && item < maxBones ? m->bones[item].expanded : 0;
  TreeLabel(r, t, "%s %d:%s", Glyph(children, expanded));
}

// [SECTION] 2D bones
// The 2D model of the selection's 3D slot number (the 2D bone editors keep their model there).
static Bone2Model *Bone2Doc(const ShellSelection *sel) {
  return sel->g_CurSlot < BONE2_SLOTS ? g_Bone2Slots[sel->g_CurSlot] : nullptr;
}

static void Bone2Label(const HierPlan &p, i32 r, i32 t) {
  BoneLabel(r, t, (const Bone2Model *)p.doc, BONE2_MAX_BONES);
}

static i32 Bone2Keys(const HierPlan &p, i32 r, const void **base, size_t *stride) {
  const Bone2Model *m = (const Bone2Model *)p.doc;
  return m ? TrackKeys(Strip_Bone2Track(m, KeyedItem(r), m->currentMotion), base, stride) : 0;
}

void Strip_DrawBone2Keys(const HookCtx *c) {
  const Bone2Model *m = Bone2Doc(c->sel);
  u32 b = c->sel->g_CurBoneIndex;
  PaintModel2Keys(STRIP_BONE2_KEYS, Bone2Label, Bone2Keys, m, BONE2_MAX_MOTIONS,
                  m && b < BONE2_MAX_BONES ? &m->bones[b] : nullptr);
}

// [SECTION] 2D objects
static Obj2Model *Obj2Doc(const ShellSelection *sel) {
  return sel->g_Cur2DSlot < OBJ2_SLOTS ? g_Obj2Slots[sel->g_Cur2DSlot] : nullptr;
}

static i32 Obj2Keys(const HierPlan &p, i32 r, const void **base, size_t *stride) {
  Obj2Model *m = (Obj2Model *)p.doc;   // the track getter takes the model as it is stored
  return m ? TrackKeys(Obj2_Track(m, KeyedItem(r), m->currentMotion), base, stride) : 0;
}

static void Obj2Label(const HierPlan &p, i32 r, i32 t) {
  const Obj2Model *m = (const Obj2Model *)p.doc;
  i32 item = g_TreeRows.rows[r].item;
  bool children = false;
  for (i32 o = 1; m && o < m->objectCount && o < OBJ2_MAX_OBJECTS; o++)
    if (m->parents[o] == item && o != item) children = true;
  u32 expanded = m && item >= 0 && item < OBJ2_MAX_OBJECTS ? m->parts[item].expanded : 0;
  TreeLabel(r, t, "%s %d : %s", Glyph(children, expanded));
}

void Strip_DrawObj2Keys(const HookCtx *c) {
  const Obj2Model *m = Obj2Doc(c->sel);
  u32 o = c->sel->g_CurPartIndex;
  PaintModel2Keys(STRIP_OBJ2_KEYS, Obj2Label, Obj2Keys, m, OBJ2_MAX_MOTIONS,
                  m && o < OBJ2_MAX_OBJECTS ? &m->parts[o] : nullptr);
}

// [SECTION] 3D bones and groups
static void Bone3Label(const HierPlan &p, i32 r, i32 t) { BoneLabel(r, t, (const Model3 *)p.doc, MODEL3_BONES); }

static i32 Bone3Keys(const HierPlan &p, i32 r, const void **base, size_t *stride) {
  const Model3 *m = (const Model3 *)p.doc;
  return m ? TrackKeys(Strip_Bone3Track(m, KeyedItem(r), m->motion), base, stride) : 0;
}

// The plan's model's frame, current motion length and the key index.
static void Model3Header(HierPlan *p, i32 keyIndex) {
  const Model3 *m = (const Model3 *)p->doc;
  if (!m) return;
  p->frame = m->frame;
  i32 mo = ClampMotion(m->motion, MODEL3_MOTIONS);
  p->length = mo >= 0 ? m->motions[mo].length : 0;
  p->keyIndex = keyIndex;
}

void Strip_DrawBone3Keys(const HookCtx *c) {
  HierPlan p = TreePlan(STRIP_MOTION3_KEYS);
  p.hover[0] = 108, p.hover[1] = 108, p.hover[2] = 0;
  const Model3 *m = c->model;
  u32 b = c->sel->g_CurBoneIndex;
  p.doc = m;
  Model3Header(&p, m && b < MODEL3_BONES ? m->bones[b].keyIndex : 0);
  p.label = Bone3Label;
  p.keys = Bone3Keys;
  PaintHier(p);
}

static const GroupKeyList3 *GroupKeys(const Model3 *m, i32 g) {
  if (!m || g < 0 || g >= m->groupCount || g >= MODEL3_GROUPS) return nullptr;
  i32 mo = ClampMotion(m->motion, MODEL3_MOTIONS);
  return mo >= 0 ? m->motions[mo].groupKeys[g] : nullptr;
}

static void Group3Label(const HierPlan &p, i32 r, i32 t) {
  char name[MODEL3_NAME + 1];
  memcpy(name, ((const Model3 *)p.doc)->groups[r].name, MODEL3_NAME);
  name[MODEL3_NAME] = 0;
  Strip_TextOut(1, t + 2, "%2d:%s", r, name);
}

static i32 Group3Keys(const HierPlan &p, i32 r, const void **base, size_t *stride) {
  const GroupKeyList3 *l = GroupKeys((const Model3 *)p.doc, r);
  if (!l) return 0;
  *base = l->keys;
  *stride = sizeof(GroupKey3);
  return l->count < 0 ? 0 : l->count > MODEL3_GROUP_KEYS ? MODEL3_GROUP_KEYS : l->count;
}

void Strip_DrawGroup3Keys(const HookCtx *c) {
  HierPlan p = TreePlan(STRIP_MOTION3_KEYS);
  p.hover[0] = 108, p.hover[1] = 108, p.hover[2] = 0;
  const Model3 *m = c->model;
  p.doc = m;
  p.rows = m ? (m->groupCount < 0 ? 0 : m->groupCount > MODEL3_GROUPS ? MODEL3_GROUPS : m->groupCount) : 0;
  p.current = (i32)c->sel->g_CurGroupIndex;
  const GroupKeyList3 *cur = GroupKeys(m, p.current);
  Model3Header(&p, cur ? cur->keyIndex : 0);
  p.label = Group3Label;
  p.keys = Group3Keys;
  PaintHier(p);
}

// [SECTION] 3D object set: one band
static void KzoLabel(const HierPlan &, i32 r, i32 t) {
  char label[TREE_LABEL + 1];
  memcpy(label, g_TreeRows.rows[0].label, TREE_LABEL);
  label[TREE_LABEL] = 0;
  Strip_TextOut(g_TreeRows.rows[0].depth * 16 + 1, t + 2, "%s", label);
}

// The set's shared key frames, held in the second row.
static i32 KzoKeys(const HierPlan &, i32 r, const void **base, size_t *stride) {
  if (g_TreeRows.count < 2) return 0;
  const HierRow &row = g_TreeRows.rows[1];
  *base = row.keyFrames;
  *stride = sizeof(i32);
  return row.keyCount < 0 ? 0 : row.keyCount > TREE_ROW_KEYS ? TREE_ROW_KEYS : row.keyCount;
}

void Strip_DrawKzoKeys(void) {
  g_TreeRows.current = 0;
  g_TreeRows.hovered = 0;
  HierPlan p = TreePlan(STRIP_KZO_KEYS);
  p.rows = g_TreeRows.count > 0 ? 1 : 0;
  const Obj3Set *s = g_Obj3Sets[0];
  if (s) {
    p.frame = s->frame;
    i32 mo = ClampMotion(s->motion, OBJ3_MOTIONS);
    p.length = mo >= 0 ? s->motions[mo].length : 0;
    p.keyIndex = s->keyIndex;
  }
  p.label = KzoLabel;
  p.keys = KzoKeys;
  PaintHier(p);
}

// [SECTION] effect strip
void Strip_DrawEffectKeys(void) {
  i32 w, h;
  if (!Strip_Begin(STRIP_EFFECT_KEYS, &w, &h)) return;
  const StripEffectSource &e = g_Strip.g_StripEffect;
  i32 margin = g_Strip.g_StripGeo.margin, top = g_Strip.g_StripGeo.rowTop;
  Strip_FillRect(0, 0, margin, h, 0, 0, 0);
  Strip_FillRect(margin, 0, w, h, 0, 0, 0);
  i32 n = e.emitterCount ? e.emitterCount() : 0;
  Strip_SetTextColor(255, 255, 255);
  for (i32 i = 0; i < n; i++) {
    i32 t = top + STRIP_ROW_WIDE * i;
    if (t >= STRIP_CANVAS_H) break;
    Strip_Line(0, t, STRIP_CANVAS_W, t, 255, 255, 255);
    char label[STRIP_TEXT] = "";
    if (e.emitterLabel) e.emitterLabel(i, label, sizeof label);
    label[sizeof label - 1] = 0;
    Strip_TextOut(8, t + 5, "%s", label);
    i32 keys = e.keyCount && e.keyFrame ? e.keyCount(i) : 0;
    for (i32 k = 0; k < keys; k++) {
      i32 x = Strip_FrameX(e.keyFrame(i, k), margin);
      if (x >= margin && x < STRIP_CANVAS_W) Strip_Rect(x + 3, t + 2, x + 9, t + 23, 0, 128, 255);
    }
  }
  Strip_Line(margin, top, margin, h, 255, 255, 255);
  i32 x = Strip_FrameX(e.currentFrame ? e.currentFrame() : 0, margin);
  if (x >= margin && x < STRIP_CANVAS_W) Strip_Line(x, top, x, h, 0, 255, 0);
  Strip_TextOut(402, 6, "～");
  Strip_TextOut(568, 6, "繰り返し");
  Strip_End(STRIP_EFFECT_KEYS, 0, w, h);
}

// [SECTION] movie strip
static void MovieRow(i32 i, i32 t, i32 current, i32 frame, bool stopped) {
  const ShellEntries &e = g_ShellEntries;
  MovieActorRow o;
  if (!e.movieActor || !e.movieActor(i, &o)) return;
  i32 margin = g_Strip.g_StripGeo.margin;
  const char *kind = g_Strip.g_StripMovie.kindName ? g_Strip.g_StripMovie.kindName(o.kind) : "";
  if (i == current) Strip_SetTextColor(255, 255, 0);
  else Strip_SetTextColor(255, 255, 255);
  Strip_TextOut(8, t + 5, "%2d : %s ( %s )", i, o.name, kind ? kind : "");
  Strip_Line(0, t + STRIP_ROW_WIDE, STRIP_CANVAS_W, t + STRIP_ROW_WIDE, 255, 255, 255);
  for (i32 k = 0; k < o.keyCount; k++) {
    i32 x = Strip_FrameX(*(const i32 *)((const u8 *)o.keys + (size_t)k * o.keyStride), margin);
    if (x >= margin && x < STRIP_CANVAS_W) Strip_Rect(x + 3, t + 2, x + 9, t + 23, 0, 128, 255);
  }
  if (stopped && i == current) {
    i32 x = Strip_FrameX(frame, margin);
    if (x >= margin && x < STRIP_CANVAS_W) Strip_Rect(x + 2, t + 1, x + 10, t + 24, 255, 255, 0);
  }
}

void Strip_DrawMovieKeys(void) {
  i32 w, h;
  if (!Strip_Begin(STRIP_MOVIE_KEYS, &w, &h)) return;
  const StripMovieSource &s = g_Strip.g_StripMovie;
  i32 margin = g_Strip.g_StripGeo.margin, top = g_Strip.g_StripGeo.rowTop;
  i32 current = s.currentObject ? s.currentObject() : -1;
  i32 frame = s.currentFrame ? s.currentFrame() : 0;
  i32 count = s.frameCount ? s.frameCount() : 0;
  bool stopped = !(g_ShellEntries.moviePlaying && g_ShellEntries.moviePlaying());
  Strip_FillRect(0, 0, w, h, 0, 0, 0);
  Strip_Line(0, 88, STRIP_CANVAS_W, 88, 255, 255, 255);
  i32 n = g_ShellEntries.movieActorCount ? g_ShellEntries.movieActorCount() : 0;
  for (i32 i = 0; i < n; i++) {
    i32 t = Strip_MovieRowTop(i);   // the rows follow the vertical offset, as the pick does
    if (t >= STRIP_CANVAS_H) break;
    if (t + STRIP_ROW_WIDE > top) MovieRow(i, t, current, frame, stopped);
  }
  // Rows scrolled up pass under the header (rows 0..87, and never below the row top).
  i32 header = top < 88 ? top : 88;
  Strip_FillRect(0, 0, w, header < h ? header : h, 0, 0, 0);
  i32 x = Strip_FrameX(count, margin);
  if (x >= margin && x < STRIP_CANVAS_W) Strip_Line(x + 3, top, x + 3, STRIP_CANVAS_H, 0, 255, 0);
  x = Strip_FrameX(frame, margin);
  if (x >= margin && x < STRIP_CANVAS_W) Strip_Line(x + 1, top, x + 1, STRIP_CANVAS_H, 0, 255, 255);
  Strip_SetTextColor(255, 255, 255);
  for (i64 f = STRIP_RULER_STEP; f <= count; f += STRIP_RULER_STEP) {
    x = Strip_FrameX((i32)f, margin);
    if (x >= STRIP_CANVAS_W) break;   // every further number lies further right
    if (x < margin) continue;
    Strip_TextOut(x, top - 21, "%d", (i32)f);
    Strip_Line(x + 3, top - 3, x + 3, top, 255, 255, 255);
  }
  Strip_TextOut(12, 5, "%5d", frame);
  Strip_TextOut(402, 5, "～");
  Strip_TextOut(568, 5, "繰り返し");
  Strip_TextOut(663, 5, "次のKZVへ(編集用)");
  Strip_TextOut(568, 29, "表示");
  Strip_End(STRIP_MOVIE_KEYS, 0, w, h);
}
