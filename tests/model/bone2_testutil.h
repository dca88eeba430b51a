// Shared fakes for the 2D model tests: a recording error box, a texture loader that knows a
// few image sizes, and a scratch folder.
#pragma once
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <ftw.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "file_bytes.h"
#include "model/bytes.h"
#include "model/seam.h"

struct TwodFakes {
  std::vector<std::string> errors;
  std::vector<std::string> textureLoads;   // "slot/n/path" for bone models, path for images
  std::vector<void *> released;
  i32 texW = 64, texH = 32;   // size every fake texture reports
  intptr_t nextHandle = 0x1000;
};

inline TwodFakes &Fakes() {
  static TwodFakes f;
  return f;
}

inline void FakeErrorBox(const char *text) { Fakes().errors.push_back(text); }
inline SeamTexture FakeTextureLoad(const char *path, u32 colorKey) {
  Fakes().textureLoads.push_back(path);
  SeamTexture t = {};
  if (strstr(path, "missing")) return t;
  t.handle = (void *)(Fakes().nextHandle++);
  t.width = Fakes().texW;
  t.height = Fakes().texH;
  return t;
}
inline void FakeRelease(void *h) { Fakes().released.push_back(h); }
inline void FakeBone2Texture(i32 slot, i32 n, const char *path) {
  Fakes().textureLoads.push_back(std::to_string(slot) + "/" + std::to_string(n) + "/" + path);
}

// Installs the fakes (and clears what they recorded) for the length of a test.
struct TwodSeam {
  CoreSeam saved;
  TwodSeam() {
    saved = g_Seam;
    Fakes() = TwodFakes();
    g_Seam.errorBox = FakeErrorBox;
    g_Seam.textureLoad = FakeTextureLoad;
    g_Seam.releaseHandle = FakeRelease;
    g_Seam.bone2TextureLoad = FakeBone2Texture;
  }
  ~TwodSeam() { g_Seam = saved; }
};

inline int RemoveEntry(const char *path, const struct stat *, int, struct FTW *) { return remove(path); }

// A folder of its own for the run, removed with everything in it when the program ends.
inline std::string ScratchDir() {
  static std::string dir;
  if (dir.empty()) {
    char tmpl[] = "/tmp/twod_test_XXXXXX";
    if (const char *d = mkdtemp(tmpl)) {
      dir = d;
      atexit([] { nftw(dir.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); });
    } else {
      dir = "/tmp";
    }
  }
  return dir;
}

inline std::string ScratchPath(const char *name) { return ScratchDir() + "/" + name; }

// A name as the 2D formats store it.
inline void PutName(ByteWriter *w, const char *s) {
  Wr_I32(w, (i32)strlen(s));
  Wr_Bytes(w, s, strlen(s));
}
