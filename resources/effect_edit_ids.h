// Ids of the effect family's templates: the effect dialog (107) and the menu "MENU_KZE".
// Shared by effect_edit.rc and scene/effect_edit_win.cpp; the control ids are those of
// scene/effect_edit.h.
#pragma once

#define IDD_EFFECT 107
#define IDC_EFFECT_FRAMES_LABEL 100
#define IDC_EFFECT_EXPLOSIONS_LABEL 101
#define IDC_EFFECT_EXPLOSIONS 113
#define IDC_EFFECT_FRAMES 116
#define IDC_EFFECT_FRAMES_TEXT 119
#define IDC_EFFECT_EXPLOSIONS_TEXT 122
