// Fuzz target: the Mx importer on arbitrary bytes, into one scratch model of small capacity.
#include "model/formats/fmt_local.h"

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  static Model3 *m = nullptr;
  if (!m) {
    g_MaxPolygons = 512;   // small capacities keep each run quick and reach the limits
    g_MaxVertices = 2048;
    m = Fmt_NewModel();
  }
  m->polygonCount = m->positionCount = m->normalCount = m->colorCount = m->uvCount = 0;
  FmtStatus st = {};
  Mx_Parse(m, data, size, &st);
  return 0;
}
