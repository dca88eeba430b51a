// Fuzz target: a KZP file opened as the File menu opens it (Model3_OpenFile: the header, then
// the vertex arrays straight from the file and the rest a block at a time). The same bytes
// read from memory must give the same answer: both refuse, or both give a model, and the two
// models save to the same bytes.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "model/bytes.h"
#include "model/kzp.h"
#include "model/mesh.h"

static std::vector<u8> Encode(const Model3 *m) {
  std::vector<u8> out;
  ByteWriter w = {};
  if (!Kzp_Encode(m, &w)) __builtin_trap();
  out.assign(w.data, w.data + w.size);
  Wr_Free(&w);
  return out;
}

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  static std::string path;
  if (path.empty()) {
    const char *dir = getenv("TMPDIR");
    path = std::string(dir ? dir : "/tmp") + "/fuzz_kzpfile_" + std::to_string(getpid()) + ".kzp";
  }
  FILE *f = fopen(path.c_str(), "wb");
  if (!f) return 0;
  bool written = fwrite(data, 1, size, f) == size;
  if (fclose(f) != 0 || !written) return 0;
  Model3 *file = Model3_OpenFile(0, path.c_str(), nullptr);
  i32 version = 0;
  Kz_ReadHeader(data, size, "KZP", &version);
  bool fromData = size >= 7 && Kz_ReadHeader(data, size, "KZP", &version) &&
                  Kzp_ReadIntoSlotFromData(1, version, path.c_str(), data, size, nullptr);
  if ((file != nullptr) != fromData) __builtin_trap();
  if (file) {
    // The open binds the automatic vertices to their bones; the memory read is bound alike.
    Model3_AutoBindVertices(g_Model3Slots[1]);
    if (Encode(file) != Encode(g_Model3Slots[1])) __builtin_trap();
  }
  Model3_FreeSlot(0);
  Model3_FreeSlot(1);
  unlink(path.c_str());
  return 0;
}
