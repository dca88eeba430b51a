// Writes the hand-made KZM, KZO and KZP files of the model tests as seeds of the fuzz
// corpus: seedcorpus <source tree>  (into tests/fuzz/corpus/fuzz_kzm, fuzz_kzo, fuzz_kzp).
#include <stdio.h>

#include <string>
#include <vector>

#include "model/bytes.h"
#include "tests/model/kz_samples.h"

static bool Put(const std::string &path, const std::vector<u8> &bytes) {
  if (File_WriteAtomic(path.c_str(), bytes.data(), bytes.size())) return true;
  fprintf(stderr, "seedcorpus: cannot write %s\n", path.c_str());
  return false;
}

int main(int argc, char **argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: seedcorpus <source tree>\n");
    return 2;
  }
  std::string corpus = std::string(argv[1]) + "/tests/fuzz/corpus/";
  bool ok = Put(corpus + "fuzz_kzm/writer.kzm", Kzm(false));
  ok = Put(corpus + "fuzz_kzm/reader.kzm", Kzm(true)) && ok;
  ok = Put(corpus + "fuzz_kzo/set.kzo", Kzo()) && ok;
  for (i32 v : {2006000, 2005000, 2004002})
    ok = Put(corpus + "fuzz_kzp/v" + std::to_string(v) + ".kzp", Kzp(v)) && ok;
  return ok ? 0 : 1;
}
