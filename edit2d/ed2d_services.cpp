// The 2D model editor's object list: adding objects to a 2D object model (up to 33).
#include "edit2d/ed2d_services.h"

#include "model/obj2.h"
#include "model/seam_errorbox.h"

i32 Ed2D_AddObject(i32 s) {
  if (s < 0 || s >= OBJ2_SLOTS || !g_Obj2Slots[s]) return -1;
  Obj2Model *m = g_Obj2Slots[s];
  if (m->objectCount >= ED2D_MAX_OBJECTS) {
    Seam_ErrorBox("これ以上オブジェクトを、追加できません。");
    return -1;
  }
  i32 o = m->objectCount < 0 ? 0 : m->objectCount;
  m->parents[o] = 0;
  m->objectCount = o + 1;
  return o;
}
