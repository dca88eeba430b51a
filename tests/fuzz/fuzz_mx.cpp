// Fuzz target: the Mx importer on arbitrary bytes, into one scratch model of small capacity.
#include "fuzz_import.h"

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  return FuzzImport(Mx_Parse, data, size);
}
