// Ids of the 2D model editor's resource templates. Shared by edit2d.rc and the editor's code,
// the portable part included.
#pragma once

// Mode panel "MODEL_2D_DLG": one button per sub-mode; 1479 is a divider without action.
#define IDC_M2D_OBJECT 1478
#define IDC_M2D_NONE 1479
#define IDC_M2D_POLY 1480
#define IDC_M2D_TEXTURE 1481
#define IDC_M2D_BONE 1482
#define IDC_M2D_WEIGHT 1483
#define IDC_M2D_MOTION 1484

// Menus "MENU_2D_BONE", "MENU_2D_MOTION", "MENU_2D_OBJ": the family's own commands (the others are
// the shell's, shell_ids.h).
#define IDM_2D_SOUND_LIST 40040
#define IDM_2D_MOTION_COPY 40072
#define IDM_2D_BONE_NEW 40083
#define IDM_2D_MOTION_NEW 40085

// The list box of the group, object list, motion list and key motion list dialogs, made at run
// time.
#define IDC_2D_LIST 1

// Group dialog "2D_GROUP_DLG" (its list box, IDC_2D_LIST, is made at run time).
#define IDC_G2D_APPLY 1065
#define IDC_G2D_CLOSE 1066
#define IDC_G2D_NAME 1067
#define IDC_G2D_MIRROR 1068
#define IDC_G2D_COLOR 1381
#define IDC_G2D_RED 1382
#define IDC_G2D_GREEN 1383
#define IDC_G2D_BLUE 1384
#define IDC_G2D_ALPHA 1385
#define IDC_G2D_SPEC1 1386
#define IDC_G2D_SPEC2 1387
#define IDC_G2D_SHADE 1388
#define IDC_G2D_SPARE1 1389
#define IDC_G2D_SPARE2 1390
#define IDC_G2D_SPARE3 1391
#define IDC_G2D_ADD 1392
#define IDC_G2D_DELETE 1393
#define IDC_G2D_TEXTURE 1394

// The object sub-mode's dialogs (the list boxes of "2D_OBJ_LIST_DLG" and
// "OBJ_MOTION_LIST_DLG", IDC_2D_LIST, and the scroll bar of "2D_OBJ_KEY_DLG" are made at run time).
// "2D_OBJ_IMG_DLG"
#define IDC_O2D_IMG_LIST 1373
#define IDC_O2D_IMG_ADD 1390
#define IDC_O2D_IMG_ERASE 1391
#define IDC_O2D_IMG_APPLY 1392
#define IDC_O2D_IMG_SWAP 1393
#define IDC_O2D_IMG_PIVOT 1394
// "2D_OBJ_DLG"
#define IDC_O2D_LOOP 1257
#define IDC_O2D_PLAY 1444
#define IDC_O2D_STOP 1445
#define IDC_O2D_CREATE 1446
#define IDC_O2D_COPY 1447
#define IDC_O2D_CUT 1448
#define IDC_O2D_PASTE 1449
#define IDC_O2D_DELETE 1450
#define IDC_O2D_MOVE 1451
#define IDC_O2D_SCALE 1453
#define IDC_O2D_X 1454
#define IDC_O2D_Y 1455
#define IDC_O2D_ANGLE 1459
#define IDC_O2D_SCALE_X 1461
#define IDC_O2D_SCALE_Y 1462
#define IDC_O2D_APPLY 1472
#define IDC_O2D_SHOWN 1489
#define IDC_O2D_RED 1491
#define IDC_O2D_GREEN 1492
#define IDC_O2D_BLUE 1493
#define IDC_O2D_ALPHA 1494
#define IDC_O2D_ROTATE 1495
// "2D_OBJ_LIST_DLG"
#define IDC_O2D_LIST_APPLY 1289
#define IDC_O2D_LIST_NAME 1429
#define IDC_O2D_LIST_ADD 1486
#define IDC_O2D_LIST_PARENT 1488
// "OBJ_MOTION_LIST_DLG"
#define IDC_OML_NAME 1301
#define IDC_OML_NO 1302
#define IDC_OML_APPLY 1305
#define IDC_OML_ADD 1306
#define IDC_OML_ERASE 1307
#define IDC_OML_CLOSE 1308
#define IDC_OML_LENGTH 1477
// The scroll bar of the key strips of both sub-modes, made at run time.
#define IDC_O2D_KEY_SCROLL 1000

// The motion sub-mode's dialogs (the list box of "2D_MOTION_LIST_DLG", IDC_2D_LIST, and the key
// strip's scroll bar are made at run time).
// "2D_MOTION_DLG"
#define IDC_MOT2D_SCALE 1012
#define IDC_MOT2D_MOVE 1122
#define IDC_MOT2D_ROTATE 1123
#define IDC_MOT2D_CREATE 1238
#define IDC_MOT2D_COPY 1239
#define IDC_MOT2D_CUT 1240
#define IDC_MOT2D_PASTE 1241
#define IDC_MOT2D_DELETE 1242
#define IDC_MOT2D_PLAY 1255
#define IDC_MOT2D_STOP 1256
#define IDC_MOT2D_LOOP 1257
#define IDC_MOT2D_APPLY 1289
#define IDC_MOT2D_X 1290
#define IDC_MOT2D_ANGLE 1295
#define IDC_MOT2D_SCALE_X 1296
#define IDC_MOT2D_SCALE_Y 1297
#define IDC_MOT2D_Y 1299
// "2D_MOTION_LIST_DLG"
#define IDC_ML2D_NAME 1010
#define IDC_ML2D_LENGTH 1048
#define IDC_ML2D_CLOSE 1053
#define IDC_ML2D_APPLY 1054
#define IDC_ML2D_NO 1055
#define IDC_ML2D_ADD 1056
#define IDC_ML2D_ERASE 1058

// Modelling panel "2D_POLY_DLG" of the polygon sub-mode.
#define IDC_P2D_EDGE_SELECT 1132
#define IDC_P2D_INVERT 1133
#define IDC_P2D_SELECT_ALL 1134
#define IDC_P2D_DELETE_LEFT 1135
#define IDC_P2D_MOVE 1140
#define IDC_P2D_VERTEX_MODE 1141
#define IDC_P2D_FACE_MODE 1142
#define IDC_P2D_SPLIT 1143
#define IDC_P2D_CUT 1144
#define IDC_P2D_ROTATE 1145
#define IDC_P2D_MERGE 1146
#define IDC_P2D_COPY 1147
#define IDC_P2D_SCALE 1148
#define IDC_P2D_DELETE 1149
#define IDC_P2D_PASTE 1150
#define IDC_P2D_UV 1151
#define IDC_P2D_COLOUR 1152
#define IDC_P2D_FREE 1153
#define IDC_P2D_IMPORT 1154
#define IDC_P2D_OPEN 1155
#define IDC_P2D_SELECTION 1156
#define IDC_P2D_FACE_NO 1157
#define IDC_P2D_CORNER_NO 1158
#define IDC_P2D_APPLY_COLOUR 1159
#define IDC_P2D_VERTEX_COUNT 1160
#define IDC_P2D_RED 1161
#define IDC_P2D_GREEN 1162
#define IDC_P2D_BLUE 1163
#define IDC_P2D_ALPHA 1164
#define IDC_P2D_TRIANGLE 1165
#define IDC_P2D_POLYGONIZE 1167
#define IDC_P2D_QUAD 1168
#define IDC_P2D_CUBE 1169
#define IDC_P2D_CIRCLE 1170
#define IDC_P2D_CYLINDER 1171
#define IDC_P2D_CONE 1172
#define IDC_P2D_MAKE_FACE 1173
#define IDC_P2D_FLIP 1174
#define IDC_P2D_OPTIMIZE 1177
#define IDC_P2D_COLOUR_COUNT 1179
#define IDC_P2D_UV_COUNT 1180
#define IDC_P2D_LIGHT 1181
#define IDC_P2D_REMOVE_FACES 1184
#define IDC_P2D_EXTRUDE 1185
#define IDC_P2D_SAVE 1186
#define IDC_P2D_VERTEX_COLOUR 1187
#define IDC_P2D_NO_AUTO_PICK 1349
#define IDC_P2D_NORMALS 1350

// Weight panel "2D_WEIGHT_DLG" of the weight sub-mode.
#define IDC_W2D_APPLY 1125
#define IDC_W2D_BONE1 1126
#define IDC_W2D_BONE2 1127
#define IDC_W2D_WEIGHT 1128

// Texture panel "2D_TEX_DLG" of the texture sub-mode (its texture list, IDC_T2D_LIST, is made at run
// time at (516, 35); the preview takes the panel's left 512 x 512 pixels).
#define IDC_T2D_LIST 1   // the run-time list
#define IDC_T2D_SIDE 1042
#define IDC_T2D_TOP 1043
#define IDC_T2D_OFFSET_X 1044
#define IDC_T2D_FRONT 1045
#define IDC_T2D_BY_HAND 1046
#define IDC_T2D_CYLINDER 1047
#define IDC_T2D_SPARE1 1048
#define IDC_T2D_OFFSET_Y 1049
#define IDC_T2D_SCALE_X 1050
#define IDC_T2D_SCALE_Y 1051
#define IDC_T2D_MOVE 1052
#define IDC_T2D_ROTATE 1053
#define IDC_T2D_SCALE 1054
#define IDC_T2D_SELECT 1055
#define IDC_T2D_SPHERE 1056
#define IDC_T2D_PER_FACE 1057
#define IDC_T2D_SPARE2 1058
#define IDC_T2D_SNAP 1059
#define IDC_T2D_ZOOM_IN 1060
#define IDC_T2D_ZOOM_OUT 1061
#define IDC_T2D_VERTEX_UNFOLD 1062
#define IDC_T2D_NORMAL_UNFOLD 1063
#define IDC_T2D_UV_UNFOLD 1064
#define IDC_T2D_ADD 1133
#define IDC_T2D_DELETE 1134
#define IDC_T2D_REPLACE 1135
#define IDC_T2D_GRID 1380
#define IDC_T2D_ROTATE_UV 1443
