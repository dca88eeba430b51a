// Resource and command numbers of the framework window.
#pragma once

#define IDI_MAIN_ICON 101
#define IDR_MAIN_MENU 141

// Commands the framework handler answers.
#define IDM_CHANGE_DEVICE 40002
#define IDM_TOGGLE_FULLSCREEN 40003
#define IDM_TOGGLE_START 40004
#define IDM_SINGLE_STEP 40005
#define IDM_FRAMEWORK_EXIT 40006
