// The preview family (0): the model of slot 0 in the main view, with the menu "MENU_PREVIEW",
// and its render dialog "PREVIEW_RENDER_DLG" that saves the last presented frame as a BMP
// file in the root folder. Global owned here: g_PreviewRender (the dialog's state).
#pragma once
#include "app/hook_ctx.h"
#include "model/types.h"
#include "app/shell_seam.h"

struct PreviewRender {
  void *window;   // the render dialog, null while closed
  u32 refresh;    // the dialog shows g_Lib.renderName when 1
  // The platform's calls are g_ShellSeam.previewCreateDialog, previewSaveBackBuffer and
  // previewCloseDialog (app/shell_seam.h).
};
extern PreviewRender g_PreviewRender;

FamilyHookFn Preview_Enter, Preview_Leave, Preview_Update, Preview_DrawScene;
// Left or middle down: every drag anchor takes the mouse position, every view is redrawn.
void Preview_MouseDown(const HookCtx *c);
// IDM_RENDER "レンダリング": opens the render dialog unless it is open. Other ids are the shell's.
void Preview_Command(const HookCtx *c);
// The render button with the edit's text: "<text>.BMP" through the platform's save. An
// empty text gives "ファイル名が指定されていません。" and no file, a failed save
// "%s に保存することができませんでした。". True when the file was written.
bool Preview_Render(const char *text);
// Installs the preview's hook row (app/preview_row.cpp).
void Preview_Install(void);
