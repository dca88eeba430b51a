// Ids of the movie editor's menu and templates (movie_edit.rc). Shared by the templates and
// the editor's code (scene/movie_edit.h).
#pragma once

// MENU_MOVIE.
#define IDM_MOVIE_KZV_OPEN 40033
#define IDM_MOVIE_KZV_SAVE 40034
#define IDM_MOVIE_EXIT 40007
#define IDM_MOVIE_OPTIONS 40067
#define IDM_MOVIE_CLEAR 40042
#define IDM_MOVIE_NEW 40043
#define IDM_MOVIE_RENDER 40056
#define IDM_MOVIE_ADD_MESSAGE 40073
#define IDM_MOVIE_ADD_SOUND 40074
#define IDM_MOVIE_ADD_KZB 40096
#define IDM_MOVIE_ADD_KZP 40098   // also "エフェクト 追加"
#define IDM_MOVIE_ADD_KZA 40103
#define IDM_MOVIE_ADD_IMAGE 40105

// Every actor, sound and message dialog: its list box (a child made on entry).
#define IDC_MOVIE_LIST 1990

// MOVIE_KEY_DLG.
#define IDC_MOVIE_PLAY_START 1261
#define IDC_MOVIE_PLAY_END 1262
#define IDC_MOVIE_PLAY 1264
#define IDC_MOVIE_LOOP 1266
#define IDC_MOVIE_SCROLL 1991   // the scroll bar child

// MOVIE_RENDER_DLG.
#define IDC_RENDER_CONTINUOUS 1083
#define IDC_RENDER_INTERVAL 1084
#define IDC_RENDER_FIRST 1086
#define IDC_RENDER_LAST 1087
#define IDC_RENDER_NAME 1089
#define IDC_RENDER_BMP 1090
#define IDC_RENDER_AVI 1091
#define IDC_RENDER_CLOSE 1033
