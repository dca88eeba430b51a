// Ids of the program family's templates: the source dialog (53) and the menu "MENU_PROG".
// Shared by prog.rc and scene/prog_win.cpp.
#pragma once

#define IDD_PROG_SOURCE 53
#define IDC_PROG_RUN 56
#define IDC_PROG_STOP 57
#define IDC_PROG_EDIT 1012

#define IDM_PROG_SOURCE 52
#define IDM_PROG_WRITE_KZS 40091
#define IDM_PROG_RUN 40014
#define IDM_PROG_STOP 40015
#define IDM_PROG_NEW 40022
#define IDM_PROG_KZS_OPEN 40012
#define IDM_PROG_KZS_SAVE 40013
#define IDM_PROG_VARIABLES 40016
#define IDM_PROG_BITMAPS 40017
#define IDM_PROG_SOUNDS 40019
