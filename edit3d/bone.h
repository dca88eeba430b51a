// The 3D bone editor (sub-mode 16): its global object.
//
// Ed3DBoneEditor is changed by the bone list panel (the children-follow switch) and the
// editor's drags (the work matrix); the start-up sets it (Ed3D_SetStartState).
#pragma once
#include "model/math.h"
#include "model/types.h"

struct Ed3DBoneEditorState {
  // 0: moving a bone moves its direct children back by the same amount, so that they keep
  // their place; 1: children move with it. 0 at start-up.
  u8 childrenFollow;
  Mat4 workMatrix;   // identity at start-up
};
extern Ed3DBoneEditorState Ed3DBoneEditor;
