// Ids of the 2D model editor's resource templates. Shared by edit2d.rc and the editor's code
// (edit2d/ed2d.h holds the same numbers for the portable side).
#pragma once

// Mode panel "MODEL_2D_DLG": one button per sub-mode; 1479 is a divider without action.
#define IDC_M2D_OBJECT 1478
#define IDC_M2D_NONE 1479
#define IDC_M2D_POLY 1480
#define IDC_M2D_TEXTURE 1481
#define IDC_M2D_BONE 1482
#define IDC_M2D_WEIGHT 1483
#define IDC_M2D_MOTION 1484

// Menus "MENU_2D_BONE", "MENU_2D_MOTION", "MENU_2D_OBJ".
#define IDM_2D_EXIT 40007
#define IDM_2D_DOWNLOAD 40010
#define IDM_2D_SOUND_LIST 40040
#define IDM_2D_OPTIONS 40067
#define IDM_2D_MOTION_COPY 40072
#define IDM_2D_BONE_NEW 40083
#define IDM_2D_MOTION_NEW 40085
#define IDM_2D_KZB_OPEN 40095
#define IDM_2D_KZB_SAVE 40097
#define IDM_2D_OBJ_NEW 40101
#define IDM_2D_KZA_OPEN 40104
#define IDM_2D_KZA_SAVE 40106

// Group dialog "2D_GROUP_DLG" (its list box, id 1, is made at run time).
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
// "OBJ_MOTION_LIST_DLG", id 1, and the scroll bar of "2D_OBJ_KEY_DLG" are made at run time).
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
// The key strip's scroll bar.
#define IDC_O2D_KEY_SCROLL 1000
