// The three-bone model the strip tests draw and click: slot 0 with bone 1 under the root and
// bone 2 under bone 1, named and expanded; bones 1 and 2 keyed at 0, 30, 60 and 120 in motion
// 0 of length 90; frame 45, bone 1 current, the tree's rows built with bone 1's row current.
#pragma once
#include <stdio.h>

#include "app/current.h"
#include "app/shell_sel.h"
#include "app/tree.h"
#include "model/model3.h"
#include "model/motion.h"

inline Model3 *StripBones_Make3(void) {
  Model3 *m = Model3_Init(0);
  m->boneCount = 3;
  m->keyTableLength = MODEL3_MOTIONS;   // the tables Model3_EnsureKeyTable makes
  const char *names[] = {"ルート", "腰", "腕"};
  for (i32 b = 0; b < 3; b++) {
    snprintf(m->bones[b].name, sizeof m->bones[b].name, "%s", names[b]);
    m->bones[b].parent = b == 0 ? 0 : b - 1;
    m->bones[b].expanded = 1;
    Model3_EnsureKeyTable(m, b);
    if (b == 0) continue;
    for (i32 f : {0, 30, 60, 120}) {
      BoneKey3 k;
      BoneKey3_Identity(&k, f);
      KeyTrack_Insert(&m->bones[b].keys[0], &k);
    }
  }
  m->motions[0].length = 90;
  m->frame = 45;
  g_Sel.g_CurBoneIndex = 1;
  Tree_BuildRowsBones3D();
  g_TreeRows.current = 1;
  return m;
}
