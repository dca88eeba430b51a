// Ids of the 2D map family's templates: the tile dialog (55) and the menu "MENU_MAP2".
// Shared by map2.rc and scene/map2_win.cpp; the control ids are those of scene/map2.h.
#pragma once

#define IDD_MAP2_TILES 55
#define IDC_MAP2_ADD 59
#define IDC_MAP2_LIST 60
#define IDC_MAP2_ERASE 64
#define IDC_MAP2_PASSABLE 65
#define IDC_MAP2_SWAP 66
#define IDC_MAP2_SAMPLE 67
