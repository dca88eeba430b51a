// Ids of the shell's resource templates: the edit-mode selector, the view window and its
// menu, the options dialog and the preview family's main menu. Shared by shell.rc and the
// shell's code.
#pragma once

// Edit-mode selector "EDIT_DLG": one radio button per family.
#define IDC_EDIT_PREVIEW 1100
#define IDC_EDIT_2D_MODEL 1109
#define IDC_EDIT_3D_MODEL 1110
#define IDC_EDIT_EFFECT 1105
#define IDC_EDIT_2D_MAP 1108
#define IDC_EDIT_COLLISION 1101
#define IDC_EDIT_MOVIE 1095
#define IDC_EDIT_PROGRAM 1106
// Buttons that select no family.
#define IDC_EDIT_TEXT 1102
#define IDC_EDIT_IMAGE 1103
#define IDC_EDIT_NET 1113
#define IDC_EDIT_DYNAMICS 1107
#define IDC_EDIT_BGM 1112
#define IDC_EDIT_SOUND 1111

// Options dialog "OPTION_DLG".
#define IDC_OPT_EDITED_VIEW_ONLY 1346
#define IDC_OPT_ANTIALIAS 1343
#define IDC_OPT_GRID 1349
#define IDC_OPT_LIGHT 1345
#define IDC_OPT_REVERSE_WHEEL 1353
#define IDC_OPT_VSYNC 1351
#define IDC_OPT_CPU_OCCUPY 1352
#define IDC_OPT_SHADOW_2D 1347
#define IDC_OPT_SHADOW_3D 1348
#define IDC_OPT_TOON 1350
#define IDC_OPT_CLOSE 1344
#define IDC_OPT_MAX_POLYGONS 1012
#define IDC_OPT_NOTE_RESTART 1360
#define IDC_OPT_NOTE_POLYGONS 1361

// View window menu "MENU_WIN".
#define IDM_WIN_FRONT 40077
#define IDM_WIN_TOP 40078
#define IDM_WIN_SIDE 40079
#define IDM_WIN_SKETCH 40081
#define IDM_WIN_FIT 40100

// Main menu commands.
#define IDM_EXIT 40007
#define IDM_DOWNLOAD 40010
#define IDM_KZP_OPEN 40023
#define IDM_KZP_SAVE 40024
#define IDM_KZO_OPEN 40025
#define IDM_KZO_SAVE 40026
#define IDM_LWO_OPEN 40032
#define IDM_KZV_OPEN 40033
#define IDM_KZV_SAVE 40034
#define IDM_MX_OPEN 40044
#define IDM_MX_SAVE 40045
#define IDM_DXF_OPEN 40046
#define IDM_ROK_OPEN 40047
#define IDM_LWO_SAVE 40048
#define IDM_X_OPEN 40053
#define IDM_X_SAVE 40054
#define IDM_NEW_MODEL 40055
#define IDM_RENDER 40061
#define IDM_MQO_OPEN 40062
#define IDM_KZC_OPEN 40063
#define IDM_KZC_SAVE 40064
#define IDM_COLI_KZP_OPEN 40065
#define IDM_BACK_KZP_OPEN 40066
#define IDM_OPTIONS 40067
#define IDM_ADD_VIEW 40076
#define IDM_KZM_OPEN 40080
#define IDM_ANY_OPEN 40092
#define IDM_KZB_OPEN 40095
#define IDM_KZB_SAVE 40097
#define IDM_KZM_SAVE 40099
#define IDM_NEW_OBJ2 40101
#define IDM_KZA_OPEN 40104
#define IDM_KZA_SAVE 40106
#define IDM_MAP2_OPEN 53
#define IDM_MAP2_SAVE 54
