// The program family (23): entry and exit, the per-frame hook, run and stop, the keys, the
// menu and the source file. The platform is reached through g_SceneSeam, the source dialog's
// text and activation through the widget seam.
#include <stdlib.h>
#include <string.h>

#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "resources/prog_ids.h"
#include "app/discard.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_seam.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "app/vkeys.h"
#include "app/widget.h"
#include "lib/framework/lib.h"
#include "lib/media/filename.h"
#include "lib/media/log.h"
#include "model/model3.h"
#include "model/bytes.h"
#include "model/seam_errorbox.h"
#include "model/seam_log.h"
#include "model/str.h"
#include "scene/prog_run.h"

// [SECTION] Run and stop

void Prog_Run(void) {
  ProgEditor &e = g_ProgEditor;
  FileDlg_ChangeDir(e.sourceFolder);
  if (!e.sourceName[0]) {
    Seam_ErrorBox("実行するソースファイル(*.TXT)を、選択して下さい。");
    return;
  }
  // One compile serves the run and Program.KZS; a source that does not compile does not run.
  if (Prog_Compile(e.sourceName)) {
    e.runtime->running = 1;
    Prog_ResetState();
    if (g_SceneSeam.camera) {
      g_SceneSeam.camera(PROG_CAMERA_EYE, 0.0f, 0.0f, -50.0f);
      g_SceneSeam.camera(PROG_CAMERA_TARGET, 0.0f, 0.0f, 0.0f);
    }
    Prog_WriteKzsFile();
  }
  if (g_SceneSeam.toDataDir) g_SceneSeam.toDataDir();
  Widget_ActivateMain();
}

void Prog_Stop(void) {
  if (ProgRuntime *rt = g_ProgEditor.runtime) rt->running = 0;
  if (g_SceneSeam.freeModels) g_SceneSeam.freeModels();
  // A Folder statement must not leave the whole program in the script's folder.
  if (g_SceneSeam.toDataDir) g_SceneSeam.toDataDir();
  if (g_SceneSeam.markAllRedraw) g_SceneSeam.markAllRedraw();
  if (g_ProgEditor.sourceDialog) Widget_Activate(g_ProgEditor.sourceDialog);
}

// [SECTION] Hooks

void Prog_Update(const HookCtx *c) {
  ProgEditor &e = g_ProgEditor;
  g_ProgEditor.keyUpActed = 0;
  if (e.runtime && e.runtime->running) {
    Prog_Execute();
    if (g_SceneSeam.stepAnimations) g_SceneSeam.stepAnimations();
    if (g_SceneSeam.markAllRedraw) g_SceneSeam.markAllRedraw();
  } else if (g_SceneSeam.print) {
    char line[LIB_TEXT_SIZE + 32];
    g_SceneSeam.print(5, 5, "プログラム停止中");
    Str_Format(line, sizeof line, "フォルダ : %s", e.sourceFolder);
    g_SceneSeam.print(5, 35, line);
    Str_Format(line, sizeof line, "ファイル : %s", e.sourceName);
    g_SceneSeam.print(5, 60, line);
  }
  if (g_SceneSeam.flagMainView) g_SceneSeam.flagMainView();
}

void Prog_KeyUp(const HookCtx *c) {
  u32 key = c->key;
  if (key == VKEY_F5) Prog_Run();
  else if (key == VKEY_F6) Prog_Stop();
  else return;
  g_ProgEditor.keyUpActed = key;
}

void Prog_ShellRunKey(void) {
  if (g_ProgEditor.keyUpActed == VKEY_F5) g_ProgEditor.keyUpActed = 0;
  else Prog_Run();
}

void Prog_ShellStopKey(void) {
  if (g_ProgEditor.keyUpActed == VKEY_F6) g_ProgEditor.keyUpActed = 0;
  else Prog_Stop();
}

// The source choice (52) and the operations the "その他" items name.
void Prog_Command(const HookCtx *c) {
  u32 id = c->command;
  ProgEditor &e = g_ProgEditor;
  switch (id) {
    case IDM_PROG_SOURCE: {
      // Another source replaces the edit text: "いいえ" keeps it and opens no dialog.
      if (!Discard_Ask(DOC_PROGRAM)) break;
      Prog_Stop();
      FileDlg_ChangeDir(e.sourceFolder);
      const char *name = g_SceneSeam.chooseSource ? g_SceneSeam.chooseSource(e.sourceName) : nullptr;
      char folder[PROG_TEXT_SIZE];
      if (!name || !name[0] || !g_SceneSeam.currentDir || !g_SceneSeam.currentDir(folder, sizeof folder)) break;
      if (strlen(name) >= PROG_TEXT_SIZE) break;   // a name the field cannot hold is not half kept
      Str_Copy(e.sourceFolder, sizeof e.sourceFolder, folder);
      Str_Copy(e.sourceName, sizeof e.sourceName, name);
      // The settings file keeps the choice for the next start.
      Str_Copy(g_AppShell.progFolder, sizeof g_AppShell.progFolder, folder);
      Str_Copy(g_AppShell.progFile, sizeof g_AppShell.progFile, name);
      Prog_LoadSource();
      break;
    }
    case IDM_PROG_RUN: Prog_Run(); break;
    case IDM_PROG_STOP: Prog_Stop(); break;
    case IDM_PROG_WRITE_KZS:
      Prog_WriteKzs();
      if (g_SceneSeam.toDataDir) g_SceneSeam.toDataDir();
      break;
    default: break;
  }
}

// Puts the bytes up to a NUL into the source dialog's edit control as one text (the control
// ends its text there anyway), or clears it for null. The edit's change notice that this
// causes does not mark the program changed.
static void Prog_ShowSource(const char *text, size_t size) {
  ProgEditor &e = g_ProgEditor;
  if (!e.sourceDialog) return;
  e.settingText = 1;
  if (!text) {
    Widget_SetText(e.sourceDialog, IDC_PROG_EDIT, "");
  } else if (char *buf = (char *)malloc(size + 1)) {
    memcpy(buf, text, size);
    buf[size] = 0;
    Widget_SetText(e.sourceDialog, IDC_PROG_EDIT, buf);
    free(buf);
  }
  e.settingText = 0;
}

bool Prog_LoadSource(void) {
  ProgEditor &e = g_ProgEditor;
  Prog_ShowSource(nullptr, 0);
  Doc_Replaced(DOC_PROGRAM);   // whatever the control held is gone
  FileDlg_ChangeDir(e.sourceFolder);
  if (!e.sourceName[0]) return false;
  FileData f = {};
  if (!File_ReadAll(e.sourceName, &f)) {
    Seam_ErrorBox("ファイルを読み込むことが、できませんでした。");
    return false;
  }
  Prog_ShowSource((const char *)f.data, f.size);
  File_Free(&f);
  Doc_Replaced(DOC_PROGRAM);
  return true;
}

// [SECTION] Entry and exit

// The shell's camera values for the script's scene: no turn, the eye 15 back, the main view
// of the layout at scale 2.5 panned so that the script's 2D origin sits near the top left.
static void Prog_ResetViewValues(u32 layout) {
  g_Shell.g_PerspAngleX = g_Shell.g_PerspAngleY = 0.0f;
  g_Shell.g_PerspOffset[0] = g_Shell.g_PerspOffset[1] = 0.0f;
  g_Shell.g_PerspOffset[2] = -15.0f;
  ViewRecord *v = View_Get(layout, 0);
  v->zoom = 2.5f;
  v->panX = -160.0f;
  v->panY = -60.0f;
}

void Prog_Enter(const HookCtx *c) {
  // A runtime left by an earlier visit is freed by Prog_Leave; this one starts stopped.
  Prog_FreeRuntime();
  Prog_AllocRuntime();
  g_Lib.runState = 7;
  App_LoadFamilyMenu("MENU_PROG");
  Prog_ResetViewValues(c->layout);
  if (g_SceneSeam.clearAllModels) g_SceneSeam.clearAllModels();
  if (g_SceneSeam.enterWindows) g_SceneSeam.enterWindows();
  // The source last chosen, as the settings file kept it.
  if (g_AppShell.progFile[0]) {
    Str_Copy(g_ProgEditor.sourceFolder, sizeof g_ProgEditor.sourceFolder, g_AppShell.progFolder);
    Str_Copy(g_ProgEditor.sourceName, sizeof g_ProgEditor.sourceName, g_AppShell.progFile);
  }
  Prog_LoadSource();
  Log_Create();
  Log_Printf("プログラム編集モード");
  if (g_SceneSeam.toDataDir) g_SceneSeam.toDataDir();
}

void Prog_Leave(const HookCtx *c) {
  Prog_FreeRuntime();
  if (g_SceneSeam.clearAllModels) g_SceneSeam.clearAllModels();
  if (g_SceneSeam.leaveWindows) g_SceneSeam.leaveWindows();
  if (g_SceneSeam.toDataDir) g_SceneSeam.toDataDir();
  g_ModelAllocArrays = 1;
}
