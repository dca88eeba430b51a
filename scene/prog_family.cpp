// The program family (23): entry and exit, the per-frame hook, run and stop, the keys, the
// menu and the source file. Windows, menus and dialogs are reached through g_ProgHost.
#include <string.h>

#include "resources/prog_ids.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/shell_seam.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "lib/framework/lib.h"
#include "lib/media/filename.h"
#include "lib/media/log.h"
#include "model/model3.h"
#include "model/bytes.h"
#include "model/seam.h"
#include "scene/prog_run.h"

// The key of the release that Prog_KeyUp has just acted on: the shell's key table sees the
// same release next and leaves it alone. Cleared every frame.
static u32 s_keyUpActed;

// [SECTION] Run and stop

void Prog_Run(void) {
  ProgEditor &e = g_ProgEditor;
  FileDlg_ChangeDir(e.sourceFolder);
  if (!e.sourceName[0]) {
    Lib_ErrorBox("実行するソースファイル(*.TXT)を、選択して下さい。");
    return;
  }
  // One compile serves the run and Program.KZS; a source that does not compile does not run.
  if (Prog_Compile(e.sourceName)) {
    e.runtime->running = 1;
    Prog_ResetState();
    if (g_ProgHost.camera) {
      g_ProgHost.camera(PROG_CAMERA_EYE, 0.0f, 0.0f, -50.0f);
      g_ProgHost.camera(PROG_CAMERA_TARGET, 0.0f, 0.0f, 0.0f);
    }
    Prog_WriteKzsFile();
  }
  if (g_ProgHost.toDataDir) g_ProgHost.toDataDir();
  if (g_ProgHost.activateMain) g_ProgHost.activateMain();
}

void Prog_Stop(void) {
  if (ProgRuntime *rt = g_ProgEditor.runtime) rt->running = 0;
  if (g_ProgHost.freeModels) g_ProgHost.freeModels();
  // A Folder statement must not leave the whole program in the script's folder.
  if (g_ProgHost.toDataDir) g_ProgHost.toDataDir();
  if (g_ProgHost.markAllRedraw) g_ProgHost.markAllRedraw();
  if (g_ProgHost.activateSource) g_ProgHost.activateSource();
}

// [SECTION] Hooks

void Prog_Update(void) {
  ProgEditor &e = g_ProgEditor;
  s_keyUpActed = 0;
  if (e.runtime && e.runtime->running) {
    Prog_Execute();
    if (g_ProgHost.stepAnimations) g_ProgHost.stepAnimations();
    if (g_ProgHost.markAllRedraw) g_ProgHost.markAllRedraw();
  } else if (g_ProgHost.print) {
    char line[LIB_TEXT_SIZE + 32];
    g_ProgHost.print(5, 5, "プログラム停止中");
    Str_Format(line, sizeof line, "フォルダ : %s", e.sourceFolder);
    g_ProgHost.print(5, 35, line);
    Str_Format(line, sizeof line, "ファイル : %s", e.sourceName);
    g_ProgHost.print(5, 60, line);
  }
  if (g_ProgHost.flagMainView) g_ProgHost.flagMainView();
}

void Prog_KeyUp(u32 key) {
  if (key == 116) Prog_Run();
  else if (key == 117) Prog_Stop();
  else return;
  s_keyUpActed = key;
}

void Prog_ShellRunKey(void) {
  if (s_keyUpActed == 116) s_keyUpActed = 0;
  else Prog_Run();
}

void Prog_ShellStopKey(void) {
  if (s_keyUpActed == 117) s_keyUpActed = 0;
  else Prog_Stop();
}

// The source choice (52) and the operations the "その他" items name.
void Prog_Command(u32 id) {
  ProgEditor &e = g_ProgEditor;
  switch (id) {
    case IDM_PROG_SOURCE: {
      Prog_Stop();
      FileDlg_ChangeDir(e.sourceFolder);
      const char *name = g_ProgHost.chooseSource ? g_ProgHost.chooseSource(e.sourceName) : nullptr;
      char folder[PROG_TEXT_SIZE];
      if (!name || !name[0] || !g_ProgHost.currentDir || !g_ProgHost.currentDir(folder, sizeof folder)) break;
      if (strlen(name) >= PROG_TEXT_SIZE) break;   // a name the field cannot hold is not half kept
      Str_Copy(e.sourceFolder, sizeof e.sourceFolder, folder);
      Str_Copy(e.sourceName, sizeof e.sourceName, name);
      Prog_LoadSource();
      break;
    }
    case IDM_PROG_RUN: Prog_Run(); break;
    case IDM_PROG_STOP: Prog_Stop(); break;
    case IDM_PROG_WRITE_KZS:
      Prog_WriteKzs();
      if (g_ProgHost.toDataDir) g_ProgHost.toDataDir();
      break;
    default: break;
  }
}

bool Prog_LoadSource(void) {
  ProgEditor &e = g_ProgEditor;
  if (g_ProgHost.setEditText) g_ProgHost.setEditText(nullptr, 0);
  Doc_ClearChanged(DOC_PROGRAM);   // whatever the control held is gone
  FileDlg_ChangeDir(e.sourceFolder);
  if (!e.sourceName[0]) return false;
  FileData f = {};
  if (!File_ReadAll(e.sourceName, &f)) {
    Lib_ErrorBox("ファイルを読み込むことが、できませんでした。");
    return false;
  }
  if (g_ProgHost.setEditText) g_ProgHost.setEditText((const char *)f.data, f.size);
  File_Free(&f);
  Doc_ClearChanged(DOC_PROGRAM);
  return true;
}

// [SECTION] Entry and exit

// The shell's camera values for the script's scene: no turn, the eye 15 back, the main view
// at scale 2.5 panned so that the script's 2D origin sits near the top left.
static void Prog_ResetViewValues(void) {
  g_Shell.g_PerspAngleX = g_Shell.g_PerspAngleY = 0.0f;
  g_Shell.g_PerspOffset[0] = g_Shell.g_PerspOffset[1] = 0.0f;
  g_Shell.g_PerspOffset[2] = -15.0f;
  ViewRecord *v = View_Get(g_Shell.g_EditSubMode, 0);
  v->zoom = 2.5f;
  v->panX = -160.0f;
  v->panY = -60.0f;
}

void Prog_Enter(void) {
  // A runtime left by an earlier visit is freed by Prog_Leave; this one starts stopped.
  Prog_FreeRuntime();
  Prog_AllocRuntime();
  g_RunState = 7;
  if (g_ShellSeam.loadFamilyMenu) g_Shell.g_FamilyMenu = g_ShellSeam.loadFamilyMenu("MENU_PROG");
  Prog_ResetViewValues();
  if (g_ProgHost.clearAllModels) g_ProgHost.clearAllModels();
  if (g_ProgHost.enterWindows) g_ProgHost.enterWindows();
  Prog_LoadSource();
  Log_Create();
  Log_Printf("プログラム編集モード");
  if (g_ProgHost.toDataDir) g_ProgHost.toDataDir();
}

void Prog_Leave(void) {
  Prog_FreeRuntime();
  if (g_ProgHost.clearAllModels) g_ProgHost.clearAllModels();
  if (g_ProgHost.leaveWindows) g_ProgHost.leaveWindows();
  if (g_ProgHost.toDataDir) g_ProgHost.toDataDir();
  g_ModelAllocArrays = 1;
}
