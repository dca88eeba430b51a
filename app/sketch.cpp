// Background sketch images: names, image rows and the show flag of the three views.
#include "app/sketch.h"

#include "app/shell_view.h"
#include "app/views.h"
#include "lib/framework/lib.h"
#include "lib/media/dialogs.h"
#include "model/seam_errorbox.h"
#include "resources/tools_ids.h"

SketchState g_Sketch = {nullptr, 0, 0, {}, {{0, -1}, {0, -1}, {0, -1}}, {{0, -1}, {0, -1}, {0, -1}}};

u32 Sketch_ViewOfButton(u32 id) {
  switch (id) {
    case IDC_SKETCH_FRONT: return SKETCH_FRONT;
    case IDC_SKETCH_TOP: return SKETCH_TOP;
    case IDC_SKETCH_SIDE: return SKETCH_SIDE;
    default: return SKETCH_VIEWS;
  }
}

bool Sketch_Load(u32 view, const char *name) {
  if (view >= SKETCH_VIEWS || !name || !name[0]) return false;
  SketchState &s = g_Sketch;
  u32 boxes = g_ErrorBoxCount;
  if (Img_Load(&s.spare[view], name) < 0) {
    if (g_ErrorBoxCount == boxes)   // the loader has not said why already
      Seam_ErrorBoxf("%s を開くことができませんでした。", name);
    return false;
  }
  ImageHandle shown = s.images[view];
  s.images[view] = s.spare[view];
  s.spare[view] = shown;   // the old image's row takes the next choice
  Str_Copy(s.names[view], sizeof s.names[view], name);
  s.refresh = 1;
  App_MarkAllRedraw(View_CurrentLayout());
  return true;
}

bool Sketch_Choose(u32 view) {
  if (view >= SKETCH_VIEWS) return false;
  const char *name = FileDlg_OpenByExt(g_Shell.g_MainWindowHandle, "*", "下絵用のファイルを、選択して下さい。",
                                       g_Sketch.names[view]);
  return Sketch_Load(view, name);
}

void Sketch_ToggleShow(void) {
  g_Sketch.show = g_Sketch.show ? 0 : 1;
  App_MarkAllRedraw(View_CurrentLayout());
}

bool Sketch_Command(u32 id) {
  if (id == IDC_SKETCH_SHOW) { Sketch_ToggleShow(); return true; }
  u32 view = Sketch_ViewOfButton(id);
  if (view >= SKETCH_VIEWS) return false;
  Sketch_Choose(view);
  return true;
}
