// The device settings dialog: the cascade of adapter, device type, windowed/fullscreen,
// display format, resolution, refresh rate, back-buffer format, depth/stencil format,
// multisample type and quality, vertex processing and present interval over the device
// enumeration, editing a copy of D3DSettings.
//
// Portable: the combo boxes are modelled here (items with text and value, selection, enabled
// flag) and every change handler works on them; a selection queues the box's change
// notification, and D3DSettingsDialog_Run handles the queue in order, the way the posted
// CBN_SELCHANGE messages ripple down the chain. settingsdlg_win.cpp mirrors the boxes into
// the controls of dialog template 144. g_SettingsDialog is the running dialog.
#pragma once
#include "lib/framework/d3dapp.h"
#include "lib/framework/d3denum.h"
#include "resources/settingsdlg_ids.h"   // the template's control ids

enum {
  SDLG_BOX_COUNT = 11,
  SDLG_MAX_ITEMS = 160,
  SDLG_TEXT_SIZE = 513,   // adapter descriptions of at most 512 characters
  SDLG_QUEUE_SIZE = 64,
};

struct SettingsComboItem {
  char text[SDLG_TEXT_SIZE];
  uintptr_t value;  // a record pointer for the adapter and device boxes
};

struct SettingsCombo {
  i32 id;
  i32 count;
  i32 selected;   // -1 none
  bool enabled;
  SettingsComboItem items[SDLG_MAX_ITEMS];
};

struct D3DSettingsDialog {
  const D3DEnumeration *enumeration;
  D3DSettings settings;       // the copy being edited
  bool windowedEnabled, fullscreenEnabled;
  bool windowedChecked;       // which radio button is checked
  i32 pendingCount;
  i32 pending[SDLG_QUEUE_SIZE];  // control ids whose change notification is queued
  SettingsCombo boxes[SDLG_BOX_COUNT];
};
extern D3DSettingsDialog g_SettingsDialog;

// Registers the dialog as the running one, stores the enumeration and copies the settings.
void D3DSettingsDialog_Construct(D3DSettingsDialog *dlg, const D3DEnumeration *e, const D3DSettings *s);
// The dialog's opening (fills the adapter box) followed by the whole cascade.
void D3DSettingsDialog_Open(D3DSettingsDialog *dlg);
// Handles one notification of control id (a combo's selection change or a radio click).
void D3DSettingsDialog_Command(D3DSettingsDialog *dlg, i32 id);
// Handles queued notifications in order until none is left.
void D3DSettingsDialog_Run(D3DSettingsDialog *dlg);
// What the user does: pick item index of a box / click a radio button; the cascade follows.
void D3DSettingsDialog_UserSelect(D3DSettingsDialog *dlg, i32 id, i32 index);
void D3DSettingsDialog_UserRadio(D3DSettingsDialog *dlg, bool windowed);

SettingsCombo *SettingsCombo_Get(D3DSettingsDialog *dlg, i32 id);
void SettingsCombo_Add(SettingsCombo *c, const char *text, uintptr_t value);
// Selects an item and queues the box's change notification.
void SettingsCombo_Select(D3DSettingsDialog *dlg, SettingsCombo *c, i32 index);
void SettingsCombo_SelectValue(D3DSettingsDialog *dlg, SettingsCombo *c, uintptr_t value);
bool SettingsCombo_HasSelection(const SettingsCombo *c);
uintptr_t SettingsCombo_SelectedValue(const SettingsCombo *c);
void SettingsCombo_Clear(SettingsCombo *c);
// Items of 200 characters or more are never compared.
bool SettingsCombo_ContainsText(const SettingsCombo *c, const char *text);

const char *D3DDevTypeName(u32 deviceType);
const char *MultisampleTypeName(u32 type);
const char *VertexProcessingTypeName(u32 kind);
const char *PresentIntervalName(u32 interval);
