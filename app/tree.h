// Hierarchy rows: the bones of 2D and 3D models and the objects of 2D object models and 3D
// object sets form trees through a parent number per item. The link step turns the parent
// numbers into first-child / next-sibling links; the row builders flatten the visible part of
// one tree, depth first, into the one shared row table g_TreeRows, which the time-line strips
// draw and the editors' row clicks read.
//
// Global owned here: g_TreeRows. The builders rewrite it; the strips' owners set the current
// and hovered rows; the per-frame update fills the key fields of the rows.
//
// Which document each tree reads: 2D bones from g_Bone2Slots[g_Sel.g_CurSlot], 2D objects from
// g_Obj2Slots[g_Sel.g_Cur2DSlot], 3D bones from g_Model3Slots[g_Sel.g_CurSlot], 3D objects from
// g_Obj3Sets[0]. A missing document leaves the table as it was.
#pragma once
#include "model/types.h"

enum {
  TREE_ROWS = 256,
  TREE_SELECTIONS = 128,
  TREE_ROW_KEYS = 16,
  TREE_LABEL = 256,
};

struct HierRow {
  char label[TREE_LABEL];   // zero-filled, then the label text
  i32 reserved0;            // never written by the builders
  i32 item;                 // bone or object number
  i32 parent;               // its parent number (as linked: 0 for a number out of range)
  i32 firstChild;           // 0 = none
  i32 nextSibling;          // 0 = none
  i32 depth;                // 0 for the root
  i32 keyCount;             // keys of the item in the current motion (per-frame update)
  i32 reserved1[15];
  i32 keyFrames[TREE_ROW_KEYS];
};

struct TreeRows {
  i32 count;                           // rows in use
  i32 current;                         // current row (set by the strips' owners)
  i32 hovered;                         // row under the mouse, -1 = none
  i32 depth;                           // depth counter while filling
  u32 selected[TREE_SELECTIONS];       // per-item selection flags
  HierRow rows[TREE_ROWS];
};
extern TreeRows g_TreeRows;

// Rebuild the links of one tree (children in increasing item order; item 0 is the root).
// A parent number outside 0..count-1 is taken as 0.
void Tree_LinkBones2D(void);
void Tree_LinkBones3D(void);
void Tree_LinkObjects3D(void);

// Rebuild the row table from one tree: link, clear the selection and listed flags, expand the
// root, fill from item 0, flag render target 0 for clearing. Nothing without the document.
void Tree_BuildRowsBones2D(void);
void Tree_BuildRowsObjects2D(void);
void Tree_BuildRowsBones3D(void);
void Tree_BuildRowsObjects3D(void);

// Append the rows of item i, its visible descendants and its following siblings (the
// builders call them with 0 on a cleared table).
void Tree_FillRowsBones2D(i32 item);
void Tree_FillRowsObjects2D(i32 item);
void Tree_FillRowsBones3D(i32 item);
void Tree_FillRowsObjects3D(i32 item);
