// Ids of the bone and group motion editor's templates (3D_MOTION_DLG, MOTION_KEY_DLG,
// 3D_MOTION_LIST_DLG, MOTION_WAVE_DLG) and of its menu MENU_3D_MOTION. Shared by
// edit3d_motion.rc and the editor's code.
#pragma once

// Motion dialog "3D_MOTION_DLG".
#define IDC_MOT_TEXTURE 70
#define IDC_MOT_MODE 72
#define IDC_MOT_MOVE 1122
#define IDC_MOT_ROTATE 1123
#define IDC_MOT_IK 1124
#define IDC_MOT_SCALE 1012
#define IDC_MOT_CHILDREN 57
#define IDC_MOT_KEY_CREATE 1238
#define IDC_MOT_KEY_COPY 1239
#define IDC_MOT_KEY_CUT 1240
#define IDC_MOT_KEY_PASTE 1241
#define IDC_MOT_KEY_DELETE 1242
#define IDC_MOT_ROT_RESET 1243
#define IDC_MOT_PLAY 1255
#define IDC_MOT_APPLY 1289
#define IDC_MOT_ROT_X_DOWN 1431
#define IDC_MOT_ROT_X_UP 1432
#define IDC_MOT_ROT_Y_DOWN 1433
#define IDC_MOT_ROT_Y_UP 1434
#define IDC_MOT_ROT_Z_DOWN 1435
#define IDC_MOT_ROT_Z_UP 1436
#define IDC_MOT_TWIST_DOWN 1437
#define IDC_MOT_TWIST_UP 1438
#define IDC_MOT_POS_X 1290
#define IDC_MOT_POS_Y 1299
#define IDC_MOT_POS_Z 1292
#define IDC_MOT_QUAT_X 1293
#define IDC_MOT_QUAT_Y 1294
#define IDC_MOT_QUAT_Z 1295
#define IDC_MOT_QUAT_W 1300
#define IDC_MOT_SCALE_X 1296
#define IDC_MOT_SCALE_Y 1297
#define IDC_MOT_SCALE_Z 1298
// Buttons and fields that are present and do nothing.
#define IDC_MOT_SHRINK 1601
#define IDC_MOT_GROW 1602
#define IDC_MOT_BACK3 1603
#define IDC_MOT_BACK2 1604
#define IDC_MOT_BACK1 1605
#define IDC_MOT_FWD1 1606
#define IDC_MOT_FWD2 1607
#define IDC_MOT_FWD3 1608
#define IDC_MOT_STOP 1609
#define IDC_MOT_COLOR 1610
#define IDC_MOT_RED 1611
#define IDC_MOT_GREEN 1612
#define IDC_MOT_BLUE 1613
#define IDC_MOT_ALPHA 1614
#define IDC_MOT_NAME 1615

// Key dialog "MOTION_KEY_DLG" (the strip is painted into the dialog itself).
#define IDC_MKEY_SOUND 1210
#define IDC_MKEY_LOOP 1257
#define IDC_MKEY_SCROLL 1258

// Motion list dialog "3D_MOTION_LIST_DLG" (its list box, id 1, is made at run time).
#define IDC_MLIST_NO 1055
#define IDC_MLIST_NAME 1010
#define IDC_MLIST_LENGTH 1048
#define IDC_MLIST_OK 1054
#define IDC_MLIST_ADD 1056
#define IDC_MLIST_DELETE 1057
#define IDC_MLIST_COPY 1058
#define IDC_MLIST_LIST 1

// Sound dialog "MOTION_WAVE_DLG" (its list box, id 1, is made at run time).
#define IDC_MWAVE_ADD 1210
#define IDC_MWAVE_OVERWRITE 1211
#define IDC_MWAVE_DELETE 1212
#define IDC_MWAVE_CLOSE 1213

// Menu "MENU_3D_MOTION": the editor's own commands.
#define IDM_MOT_SOUNDS 40040
#define IDM_MOT_COPY_MOTIONS 40072
#define IDM_MOT_FREEZE 40089
