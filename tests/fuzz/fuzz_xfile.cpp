// Fuzz target: the X file reader (text, binary and MSZIP-compressed) and the model built from
// what it read, into one scratch model of small capacity.
#include "fuzz_import.h"

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  return FuzzImport(XFile_Parse, data, size);
}
