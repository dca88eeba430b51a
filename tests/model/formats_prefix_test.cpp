// Every prefix of a non-trivial file, for every importer: a cut binary file is refused with a
// reason (nothing read from it reaches the slot); a cut text file is refused or, where the
// format keeps what came before its end, read into a model whose counts never exceed those
// of the whole file.
#include "model_shown.h"
#include "formats_test_util.h"
#include "model/formats/formats.h"

using namespace fmt_test;

namespace {

struct PrefixCase {
  const char *name;
  const char *sample;
  FmtParseFn parse;
  bool keepsWhatWasRead;   // the format reads a cut file as far as it goes
};

TEST_F(FormatTest, EveryPrefixIsRefusedOrReadAsFarAsItGoes) {
  const PrefixCase cases[] = {
      {"lwo", "lwo/sample.lwo", Lwo_Parse, false},
      {"mx", "mx/sample.mx", Mx_Parse, false},
      {"mqo", "mqo/sample.mqo", Mqo_Parse, false},
      {"dxf", "dxf/sample.dxf", Dxf_Parse, false},
      {"rok", "rok/sample.rok", Rok_Parse, false},
  };
  for (const PrefixCase &c : cases) {
    std::string whole = ReadFileString(DataPath(c.sample));
    ASSERT_GT(whole.size(), 64u) << c.name;
    Model3 *full = Fmt_NewModel();
    FmtStatus st = {};
    ASSERT_EQ(c.parse(full, (const u8 *)whole.data(), whole.size(), &st), FMT_OK) << c.name;
    std::vector<FmtResult> cuts = ParseEveryCut(c.parse, whole);
    for (size_t n = 1; n < cuts.size(); n++) {
      if (c.keepsWhatWasRead && cuts[n] == FMT_OK) continue;
      if (whole.find_first_not_of("\r\n", n) == std::string::npos) continue;   // only the last line end lost
      // Binary formats say why once the file has begun as theirs; text formats may not know.
      if (!c.keepsWhatWasRead && strcmp(c.name, "lwo") == 0) {
        ASSERT_EQ(cuts[n], FMT_REFUSED) << c.name << " cut at " << n;
      } else {
        ASSERT_NE(cuts[n], FMT_OK) << c.name << " cut at " << n;
      }
    }
    // Through the slot: a failed read leaves it as it was.
    std::string path = std::string("prefix_test.") + c.name;
    for (size_t n = 0; n < whole.size(); n += whole.size() / 7 + 1) {
      PutMarker(3);
      WriteFileBytes(path, whole.substr(0, n));
      Rec().errors.clear();
      i32 ok = Shown(Fmt_Import, 3, path.c_str(), c.parse);
      if (!ok) {
        EXPECT_TRUE(IsMarker(3)) << c.name << " cut at " << n;
        EXPECT_EQ(Rec().errors.size(), cuts[n] == FMT_REFUSED ? 1u : 0u);
      } else {
        EXPECT_TRUE(c.keepsWhatWasRead);
        EXPECT_LE(Model3_Get(3)->polygonCount, full->polygonCount);
      }
    }
    remove(path.c_str());
    Model3_Free(full);
  }
}

}  // namespace
