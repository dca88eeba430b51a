// Shared body of the foreign-format importer fuzz targets: each input is parsed into one
// scratch model of small capacity, emptied before every run, as an import parses it; a
// model the import would accept holds only finite numbers.
#pragma once
#include "model/finite.h"
#include "model/formats/fmt_local.h"

typedef FmtResult (*FuzzImportParse)(Model3 *m, const u8 *data, size_t size, FmtStatus *st);

static inline int FuzzImport(FuzzImportParse parse, const u8 *data, size_t size) {
  static Model3 *m = nullptr;
  if (!m) {
    g_MaxPolygons = 512;   // small capacities keep each run quick and reach the limits
    g_MaxVertices = 2048;
    m = Fmt_NewModel();
  }
  m->polygonCount = m->positionCount = m->normalCount = m->colorCount = m->uvCount = 0;
  FmtStatus st = {};
  if (Fmt_ParseChecked(parse, m, data, size, &st) == FMT_OK && !Finite_Model3(m)) __builtin_trap();
  return 0;
}
