// The File menu's front end (the part the start-up needs: the command-line model).
#include "app/filemenu.h"

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/shell_seam.h"
#include "app/views.h"
#include "model/kzp.h"
#include "model/seam.h"

void FileMenu_LoadKzp(const char *path) {
  if (!path || !path[0]) {
    Lib_ErrorBox("ファイル名が指定されていません。");
    return;
  }
  g_ModelAllocArrays = 1;
  // The reader reports its own failures; a model that was read is unchanged from its file.
  if (Model3_OpenFile(0, path)) Doc_ClearChanged(DOC_MODEL3);
  // The layer's undo step holds the loaded model: a layer switch restores that step.
  char label[300];
  Str_Format(label, sizeof label, "%s 読み込み", path);
  if (g_ShellSeam.undoPush) g_ShellSeam.undoPush(label);
  App_RefreshCurrentPointers();
  View_FitAll();
  App_RefreshLists();
  App_MarkAllRedraw();
  Timer_Reset();
}
