// The preview family (0): the model of slot 0 in the main view, with the menu "MENU_PREVIEW".
#pragma once
#include "model/types.h"

void Preview_Enter(void);
void Preview_Leave(void);
void Preview_Update(void);
void Preview_DrawScene(void);
void Preview_MouseDown(i32 x, i32 y);
void Preview_Command(u32 commandId);
// Installs the preview's hook row (app/preview_row.cpp).
void Preview_Install(void);
