// Ids of the 3D model editor's resource templates. Shared by edit3d.rc and the editor's code.
#pragma once

// Undo panel "UNDO_DLG".
#define IDC_UNDO_LIST 1373
#define IDC_UNDO_UNDO 1318
#define IDC_UNDO_REDO 1319
#define IDC_UNDO_OK 1316
#define IDC_UNDO_CLOSE 1317

// Mode panel "MODEL_3D_DLG": one button per sub-mode.
#define IDC_M3D_POLY 1093
#define IDC_M3D_MOTION 1094
#define IDC_M3D_OBJECT 1096
#define IDC_M3D_BONE 1097
#define IDC_M3D_TEXTURE 1098
#define IDC_M3D_WEIGHT 1102
#define IDC_M3D_NONE 1103

// Layer panel "LAYER_DLG": buttons "1".."10" are 1342..1351.
#define IDC_LAYER_1 1342
#define IDC_LAYER_2 1343
#define IDC_LAYER_3 1344
#define IDC_LAYER_4 1345
#define IDC_LAYER_5 1346
#define IDC_LAYER_6 1347
#define IDC_LAYER_7 1348
#define IDC_LAYER_8 1349
#define IDC_LAYER_9 1350
#define IDC_LAYER_10 1351

// Bone list panel "BONE_LIST_DLG" (the tree view and the list box, id 1, are made at run time).
#define IDC_BONE_NO 1097
#define IDC_BONE_X 1108
#define IDC_BONE_Y 1109
#define IDC_BONE_Z 1110
#define IDC_BONE_NAME 1140
#define IDC_BONE_PARENT 1439
#define IDC_BONE_APPLY 1117
#define IDC_BONE_COLOR 1135
#define IDC_BONE_CHILDREN 76
#define IDC_BONE_ADD 40030
#define IDC_BONE_DELETE 40031
#define IDC_BONE_RED 1136
#define IDC_BONE_GREEN 1137
#define IDC_BONE_BLUE 1138
#define IDC_BONE_LIST 1

// Weight panel "3D_WEIGHT_DLG" (resources/edit3d_bone.rc).
#define IDC_WEIGHT_BONE1 1126
#define IDC_WEIGHT_BONE2 1127
#define IDC_WEIGHT_VALUE 1128
#define IDC_WEIGHT_APPLY 1125

// Group panel "3D_GROUP_DLG".
#define IDC_GRP_LIST 1373
#define IDC_GRP_COPY_POLYS 1395
#define IDC_GRP_DELETE_POLYS 1393
#define IDC_GRP_COPY_RECORD 1398
#define IDC_GRP_DELETE_RECORD 1399
#define IDC_GRP_UP 1396
#define IDC_GRP_DOWN 1397
#define IDC_GRP_NAME 1067
#define IDC_GRP_TEXTURE 1394
#define IDC_GRP_DISP 1400
#define IDC_GRP_DISP_HEIGHT 1401
#define IDC_GRP_DIVISIONS 1392
#define IDC_GRP_COLOR 1381
#define IDC_GRP_RED 1382
#define IDC_GRP_GREEN 1383
#define IDC_GRP_BLUE 1384
#define IDC_GRP_ALPHA 1385
#define IDC_GRP_MIRROR_FLAG 1386
#define IDC_GRP_MIRROR 1068
#define IDC_GRP_SPECULAR 1387
#define IDC_GRP_SPEC_RED 1389
#define IDC_GRP_SPEC_GREEN 1390
#define IDC_GRP_SPEC_BLUE 1391
#define IDC_GRP_DISPLAY 1388
#define IDC_GRP_APPLY 67
#define IDC_GRP_CLOSE 1066
