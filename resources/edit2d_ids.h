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
