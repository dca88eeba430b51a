// Ids of the object motion editor's templates (3D_OBJ_DLG, OBJ_KEY_DLG, OBJ_LIST_DLG,
// OBJ_WAVE_DLG) and of its menu MENU_3D_OBJ. Shared by edit3d_obj.rc and the editor's code.
// The motion list uses the shared "OBJ_MOTION_LIST_DLG" (edit2d.rc, ids IDC_OML_*).
#pragma once

// "3D_OBJ_DLG"
#define IDC_OBJ_PLAY 1444
#define IDC_OBJ_STOP 1445
#define IDC_OBJ_KEY_CREATE 1446
#define IDC_OBJ_KEY_COPY 1447
#define IDC_OBJ_KEY_CUT 1448
#define IDC_OBJ_KEY_PASTE 1449
#define IDC_OBJ_KEY_DELETE 1450
#define IDC_OBJ_MOVE 1451
#define IDC_OBJ_ROTATE 1452
#define IDC_OBJ_SCALE 1453
#define IDC_OBJ_POS_X 1454
#define IDC_OBJ_POS_Y 1455
#define IDC_OBJ_POS_Z 1456
#define IDC_OBJ_QUAT_X 1457
#define IDC_OBJ_QUAT_Y 1458
#define IDC_OBJ_QUAT_Z 1459
#define IDC_OBJ_QUAT_W 1460
#define IDC_OBJ_SCALE_X 1461
#define IDC_OBJ_SCALE_Y 1462
#define IDC_OBJ_SCALE_Z 1463
// The "<" and ">" buttons beside each quaternion field; they do nothing.
#define IDC_OBJ_QUAT_X_DOWN 1464
#define IDC_OBJ_QUAT_X_UP 1465
#define IDC_OBJ_QUAT_Y_DOWN 1466
#define IDC_OBJ_QUAT_Y_UP 1467
#define IDC_OBJ_QUAT_Z_DOWN 1468
#define IDC_OBJ_QUAT_Z_UP 1469
#define IDC_OBJ_QUAT_W_DOWN 1470
#define IDC_OBJ_QUAT_W_UP 1471
#define IDC_OBJ_APPLY 1472
#define IDC_OBJ_COLOR 1473
#define IDC_OBJ_NAME 1474
#define IDC_OBJ_SHRINK 1475
#define IDC_OBJ_GROW 1476

// "OBJ_KEY_DLG" (the key strip is painted into its client area)
#define IDC_OKEY_SCROLL 1000
#define IDC_OKEY_SOUND 1268
#define IDC_OKEY_LOOP 1273

// "OBJ_LIST_DLG" (tree view and list box id 1 are made at run time)
#define IDC_OLIST_APPLY 1289
#define IDC_OLIST_X 1290
#define IDC_OLIST_Y 1291
#define IDC_OLIST_Z 1292
#define IDC_OLIST_R 1425
#define IDC_OLIST_G 1426
#define IDC_OLIST_B 1427
#define IDC_OLIST_NAME 1429
#define IDC_OLIST_JOINT 1431
#define IDC_OLIST_PARENT 1439
#define IDC_OLIST_COLOR 1440
#define IDC_OLIST_ADD 1486
#define IDC_OLIST_REPLACE 1487
#define IDC_OLIST_REMOVE 1488
#define IDC_OLIST_LIST 1

// "OBJ_WAVE_DLG" (list box id 1 made at run time)
#define IDC_OWAVE_ADD 1210
#define IDC_OWAVE_OVERWRITE 1211
#define IDC_OWAVE_DELETE 1212
#define IDC_OWAVE_CLOSE 1213

// Menu "MENU_3D_OBJ": the editor's own commands.
#define IDM_OBJ_SOUNDS 40040
#define IDM_OBJ_COPY_MOTIONS 40094
