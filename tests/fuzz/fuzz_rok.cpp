// Fuzz target: the Rok importer on arbitrary bytes, into one scratch model of small capacity.
#include "fuzz_import.h"

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  return FuzzImport(Rok_Parse, data, size);
}
