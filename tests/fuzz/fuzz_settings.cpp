// Fuzz target: the settings file reader on arbitrary bytes. A refused file must change
// nothing; an accepted one must encode back to a file the reader accepts again.
#include <stdlib.h>
#include <string.h>

#include "app/settings.h"
#include "app/shell_view.h"
#include "app/views.h"
#include "model/bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  Settings_SetDefaults();
  if (Settings_Decode(data, size)) {
    ByteWriter w = {};
    Settings_Encode(&w);
    if (!Settings_Decode(w.data, w.size)) abort();
    Wr_Free(&w);
  }
  for (int L = 0; L < VIEW_LAYOUTS; L++)
    if (g_Shell.g_ViewCount[L] < 0 || g_Shell.g_ViewCount[L] > VIEWS_PER_LAYOUT) abort();
  Settings_PeekMaxPolygons(data, size);
  return 0;
}
