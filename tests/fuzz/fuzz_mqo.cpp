// Fuzz target: the Mqo importer on arbitrary bytes, into one scratch model of small capacity.
#include "fuzz_import.h"

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  return FuzzImport(Mqo_Parse, data, size);
}
