// Start-up values of the 3D editors' global objects (poly.h, bone.h, objmotion.h), and the
// storage of the bone editor's (Ed3DPolyEditor lives in ed3d_poly.cpp, Ed3DObjMotionEditor in
// ed3d_obj_mode.cpp).
#include "edit3d/bone.h"
#include "edit3d/ed3d_rows.h"
#include "edit3d/objmotion.h"
#include "edit3d/poly.h"

#include <string.h>

Ed3DBoneEditorState Ed3DBoneEditor;

void Ed3D_SetStartState(void) {
  Ed3DPolyEditor.moveMode = 0;
  Ed3DBoneEditor.childrenFollow = 0;
  Mat_Identity(&Ed3DBoneEditor.workMatrix);
  Ed3DObjMotionEditor.objDlgRefresh = 1;
}
