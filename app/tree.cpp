// Hierarchy rows: one link step and one depth-first row filler over a small accessor per kind
// of tree (2D bones, 2D objects, 3D bones, 3D objects). Owns g_TreeRows.
#include "app/tree.h"

#include <string.h>

#include "app/current.h"
#include "app/shell_sel.h"
#include "app/views.h"
#include "lib/draw/target.h"
#include "model/bone2.h"
#include "model/kzo.h"
#include "model/model3.h"
#include "model/obj2.h"

TreeRows g_TreeRows = {0, 0, -1};

// [SECTION] one accessor per kind of tree
namespace {

// The link and row fields of one item, wherever its record keeps them.
struct TreeItem {
  i32 *parent;
  i32 *firstChild;
  i32 *nextSibling;
  u32 *expanded;
  u32 *listed;
  const char *label;
};

struct TreeKind {
  void *(*document)(void);
  i32 (*count)(const void *doc);
  TreeItem (*item)(void *doc, i32 i);
  i32 records;      // item records of the document (listed flags cleared by the builder)
  i32 selections;   // selection flags the builder clears
};

void *Bone2Doc(void) { return g_Sel.g_CurSlot < BONE2_SLOTS ? g_Bone2Slots[g_Sel.g_CurSlot] : nullptr; }
i32 Bone2Count(const void *d) { return ((const Bone2Model *)d)->boneCount; }
TreeItem Bone2Item(void *d, i32 i) {
  Bone2 *b = &((Bone2Model *)d)->bones[i];
  return {&b->parent, &b->firstChild, &b->nextSibling, &b->expanded, &b->listed, b->name};
}

void *Obj2Doc(void) { return g_Sel.g_Cur2DSlot < OBJ2_SLOTS ? g_Obj2Slots[g_Sel.g_Cur2DSlot] : nullptr; }
i32 Obj2Count(const void *d) { return ((const Obj2Model *)d)->objectCount; }
TreeItem Obj2Item(void *d, i32 i) {
  Obj2Model *m = (Obj2Model *)d;
  Obj2Part *p = &m->parts[i];
  return {&m->parents[i], &m->firstChild[i], &m->nextSibling[i], &p->expanded, &p->listed,
          i == 0 ? "親オブジェクト" : "オブジェクト"};
}

void *Bone3Doc(void) { return Model3_Get((i32)g_Sel.g_CurSlot); }
i32 Bone3Count(const void *d) { return ((const Model3 *)d)->boneCount; }
TreeItem Bone3Item(void *d, i32 i) {
  Bone3 *b = &((Model3 *)d)->bones[i];
  return {&b->parent, &b->firstChild, &b->nextSibling, &b->expanded, &b->listed, b->name};
}

void *Obj3Doc(void) { return g_Obj3Sets[0]; }
i32 Obj3Count(const void *d) { return ((const Obj3Set *)d)->objectCount; }
TreeItem Obj3Item(void *d, i32 i) {
  Obj3Part *p = &((Obj3Set *)d)->parts[i];
  return {&p->parent, &p->firstChild, &p->nextSibling, &p->expanded, &p->rowState, p->path};
}

const TreeKind kBones2D = {Bone2Doc, Bone2Count, Bone2Item, BONE2_MAX_BONES, TREE_SELECTIONS};
const TreeKind kObjects2D = {Obj2Doc, Obj2Count, Obj2Item, OBJ2_MAX_OBJECTS, OBJ2_MAX_OBJECTS};
const TreeKind kBones3D = {Bone3Doc, Bone3Count, Bone3Item, MODEL3_BONES, TREE_SELECTIONS};
const TreeKind kObjects3D = {Obj3Doc, Obj3Count, Obj3Item, OBJ3_PARTS, OBJ3_PARTS};

// [SECTION] links
// Items of the tree: the document's count, kept inside its record table (a count read from
// a file is not trusted).
i32 ItemCount(const TreeKind *k, const void *doc) {
  i32 n = k->count(doc);
  return n < 0 ? 0 : (n > k->records ? k->records : n);
}

// The parent the links use: a number outside 0..n-1 hangs the item from the root, where the
// user sees it and can give it its right parent.
i32 EffectiveParent(i32 parent, i32 n) { return parent >= 0 && parent < n ? parent : 0; }

void Link(const TreeKind *k) {
  void *doc = k->document();
  if (!doc) return;
  i32 n = ItemCount(k, doc);
  for (i32 i = 0; i < n; i++) {
    TreeItem it = k->item(doc, i);
    *it.firstChild = 0;
    *it.nextSibling = 0;
  }
  if (n < 2) return;
  for (i32 i = 1; i < n; i++) {
    TreeItem p = k->item(doc, EffectiveParent(*k->item(doc, i).parent, n));
    if (*p.firstChild == 0) {
      *p.firstChild = i;
    } else if (*p.firstChild != i) {
      // Each item joins exactly one chain, so the chains end: no step limit is needed.
      i32 last = *p.firstChild;
      for (i32 next; (next = *k->item(doc, last).nextSibling) != 0;) last = next;
      *k->item(doc, last).nextSibling = i;
    }
  }
}

// [SECTION] rows
struct FillState {
  const TreeKind *kind;
  void *doc;
  i32 n;
  i32 visits;   // items visited in this fill: a tree visits each at most once
};

bool InRange(i32 i, i32 n) { return i >= 0 && i < n; }

void WriteRow(const TreeItem &it, i32 i, i32 n) {
  TreeRows &t = g_TreeRows;
  HierRow *r = &t.rows[t.count];
  memset(r->label, 0, sizeof r->label);
  Str_Copy(r->label, sizeof r->label, it.label);
  r->item = i;
  r->parent = EffectiveParent(*it.parent, n);
  r->firstChild = *it.firstChild;
  r->nextSibling = *it.nextSibling;
  r->depth = t.depth;
  t.count++;
}

// Rows of item i, its visible subtree and its later siblings. The depth counter ends one
// below the level of i, as the callers expect.
void Fill(FillState *s, i32 i) {
  TreeRows &t = g_TreeRows;
  for (;;) {
    // Links that are not a tree (set by hand, never by Link) must not loop: each item once.
    if (t.count >= TREE_ROWS || !InRange(i, s->n) || ++s->visits > s->n) return;
    TreeItem it = s->kind->item(s->doc, i);
    TreeItem root = s->kind->item(s->doc, 0);
    TreeItem parent = s->kind->item(s->doc, EffectiveParent(*it.parent, s->n));
    if (i == 0 || (*parent.expanded && *parent.listed && *root.expanded)) {
      *it.listed = 1;
      WriteRow(it, i, s->n);
      if (*it.firstChild != 0) {
        t.depth++;
        Fill(s, *it.firstChild);
      }
    }
    t.depth--;
    if (*it.nextSibling == 0) return;
    t.depth++;
    i = *it.nextSibling;
  }
}

void FillFrom(const TreeKind *k, i32 item) {
  void *doc = k->document();
  if (!doc) return;
  FillState s = {k, doc, ItemCount(k, doc), 0};
  Fill(&s, item);
}

void Build(const TreeKind *k) {
  if (!k->document()) return;
  Link(k);
  void *doc = k->document();
  if (!doc) return;
  TreeRows &t = g_TreeRows;
  memset(t.selected, 0, (size_t)k->selections * sizeof t.selected[0]);
  t.depth = 0;
  *k->item(doc, 0).expanded = 1;
  for (i32 i = 0; i < k->records; i++) *k->item(doc, i).listed = 0;
  for (HierRow &r : t.rows) r.depth = 0;
  t.count = 0;
  FillFrom(k, 0);
  Draw_FlagTargetForClear(0);
}

}  // namespace

// [SECTION] entry points
void Tree_LinkBones2D(void) { Link(&kBones2D); }
void Tree_LinkBones3D(void) { Link(&kBones3D); }
void Tree_LinkObjects3D(void) { Link(&kObjects3D); }

void Tree_BuildRowsBones2D(void) { Build(&kBones2D); }
void Tree_BuildRowsObjects2D(void) { Build(&kObjects2D); }
void Tree_BuildRowsBones3D(void) { Build(&kBones3D); }
void Tree_BuildRowsObjects3D(void) { Build(&kObjects3D); }

void Tree_FillRowsBones2D(i32 item) { FillFrom(&kBones2D, item); }
void Tree_FillRowsObjects2D(i32 item) { FillFrom(&kObjects2D, item); }
void Tree_FillRowsBones3D(i32 item) { FillFrom(&kBones3D, item); }
void Tree_FillRowsObjects3D(i32 item) { FillFrom(&kObjects3D, item); }
