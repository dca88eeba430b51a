// Pictures of the records a hook may change, for tests that run one hook twice: once on the
// shell's records and once on copies handed in its context, and compare the two.
#pragma once
#include <string.h>

#include <vector>

#include "app/shell_mouse.h"
#include "app/shell_sel.h"
#include "model/keytrack.h"
#include "model/model3.h"

// The selection's values (its work-array pointers left out: a copy has arrays of its own).
inline std::vector<double> Differ_Selection(const ShellSelection &s) {
  std::vector<double> v = {(double)s.g_CurSlot, (double)s.g_Cur2DSlot, (double)s.g_CurBoneIndex,
                           (double)s.g_PrevBone, (double)s.g_BoneListDirty, (double)s.g_CurPartIndex,
                           (double)s.g_CurGroupIndex, (double)s.g_SelectedBone, (double)s.g_PickedVertex,
                           (double)s.g_PickedPolygon, (double)s.g_PolySelectMode, (double)s.g_PolyTool,
                           (double)s.g_MotionEditOp, (double)s.g_GizmoAxis, (double)s.g_PolyNoAutoPick,
                           (double)s.g_FreeCreateCount, (double)s.g_PolyFaceNo, (double)s.g_PolyVertexNo,
                           (double)s.g_PolyShowNormals};
  for (const auto &p : s.g_FreeCreatePoints) v.insert(v.end(), p, p + 3);
  return v;
}

// The mouse record: plain numbers throughout, compared byte for byte.
inline std::vector<unsigned char> Differ_Mouse(const ShellMouse &m) {
  const unsigned char *p = (const unsigned char *)&m;
  return std::vector<unsigned char>(p, p + sizeof m);
}

// What the motion editors change in a model: the current motion and frame, each bone's key
// index, expander, evaluated pose and every key of its tracks, the group key lists and the
// mesh positions.
inline std::vector<double> Differ_Model3(const Model3 *m) {
  std::vector<double> v;
  if (!m) return v;
  v.insert(v.end(), {(double)m->motion, (double)m->frame, (double)m->frameFraction, (double)m->boneCount});
  for (i32 b = 0; b < m->boneCount && b < MODEL3_BONES; b++) {
    const Bone3 &bone = m->bones[b];
    v.insert(v.end(), {(double)bone.keyIndex, (double)bone.expanded});
    // The pose a key evaluation leaves in the bone.
    v.insert(v.end(), bone.local, bone.local + 3);
    v.insert(v.end(), bone.quat, bone.quat + 4);
    v.insert(v.end(), bone.scale, bone.scale + 3);
    if (!bone.keys) continue;
    for (i32 mo = 0; mo < MODEL3_MOTIONS; mo++) {
      const KeyTrack &t = bone.keys[mo];
      v.push_back((double)t.count);
      for (i32 k = 0; k < t.count; k++) {
        const BoneKey3 &key = t.keys[k];
        v.push_back((double)key.frame);
        v.insert(v.end(), key.pos, key.pos + 3);
        v.insert(v.end(), key.quat, key.quat + 4);
        v.insert(v.end(), key.scale, key.scale + 3);
      }
    }
  }
  for (i32 mo = 0; mo < MODEL3_MOTIONS; mo++)
    for (i32 g = 0; g < MODEL3_GROUPS; g++) {
      const GroupKeyList3 *l = m->motions[mo].groupKeys[g];
      if (!l) continue;
      v.insert(v.end(), {(double)mo, (double)g, (double)l->count});
      for (i32 k = 0; k < l->count && k < MODEL3_GROUP_KEYS; k++) v.push_back((double)l->keys[k].frame);
    }
  for (i32 i = 0; m->positions && i < m->positionCount && i < m->capPositions; i++)
    v.insert(v.end(), {(double)m->positions[i].x, (double)m->positions[i].y, (double)m->positions[i].z});
  return v;
}
