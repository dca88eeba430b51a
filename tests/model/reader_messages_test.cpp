// Refusal messages that say what is wrong with a file opened as a 3D model: damaged, a kind the
// program does not read, or nothing to read (no faces); never the bare "could not be read".
// The slot keeps the model it had.
#include "model_shown.h"
#include "formats_test_util.h"
#include "model/kzp.h"

namespace {

using namespace fmt_test;

class ReaderMessages : public FormatTest {};

std::string Iff(const char *type, const std::string &chunks) {
  std::string s = "FORM";
  u32 n = (u32)(4 + chunks.size());
  for (int k = 3; k >= 0; k--) s += (char)(n >> (8 * k));
  return s + type + chunks;
}

std::string Chunk(const char *tag, const std::string &data) {
  std::string s = tag;
  for (int k = 3; k >= 0; k--) s += (char)((u32)data.size() >> (8 * k));
  return s + data + (data.size() & 1 ? std::string(1, '\0') : "");
}

TEST_F(ReaderMessages, EachRefusalSaysWhatIsWrong) {
  const std::string twelve(12, '\0');
  struct Case {
    const char *name;
    std::string bytes;
    const char *says;   // the reason after the path
  };
  const Case cases[] = {
      {"three.kzp", "KZP", " は壊れているため、読み込むことができませんでした。"},
      {"six.kzp", std::string("KZP\x01\x02\x03", 6), " は壊れているため、読み込むことができませんでした。"},
      {"lwo2.lwo", Iff("LWO2", Chunk("TAGS", "a") + Chunk("PNTS", twelve)),
       "\nLWO2 形式のファイルは読み込めません。\nLWOB 形式に対応しています。"},
      {"nopols.lwo", Iff("LWOB", Chunk("SRFS", "KZ0") + Chunk("PNTS", twelve)),
       "\nPOLS チャンクがないため、読み込むことができませんでした。"},
      {"cutchunk.lwo", Iff("LWOB", std::string("PNTS\0\0\0\x40", 8) + twelve),
       "\nPNTS チャンクが途中で切れているため、読み込むことができませんでした。"},
      {"notiff.lwo", "hello, world", "\nLWO 形式のファイルではありません。"},
      {"lines.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\n1.0\n  0\nENDSEC\n  0\nEOF\n",
       "\n3DFACE の面がないため、読み込むものがありません。"},
      {"corner.dxf", "  0\n3DFACE\n 10\n1\n 20\n2\n  0\nEOF\n", "\n1 番目の 3DFACE の角の値が足りないため、読み込むことができませんでした。"},
      {"cutface.dxf", "  0\n3DFACE\n 10\n1\n 20\n2\n", "\nファイルが途中で終わっているため (\"EOF\" がありません)、読み込むことができません。"},
  };
  for (const Case &c : cases) {
    WriteFileBytes(c.name, c.bytes);
    PutMarker(3);
    Rec().errors.clear();
    EXPECT_EQ(Shown(Model3_OpenFile, 3, c.name), nullptr) << c.name;
    EXPECT_TRUE(IsMarker(3)) << c.name;
    EXPECT_EQ(Rec().errors, std::vector<std::string>{std::string(c.name) + c.says}) << c.name;
    remove(c.name);
  }
  // An object part read from a KZP file cut inside its version number is damaged as well.
  WriteFileBytes("part.kzp", "KZP\x01");
  Rec().errors.clear();
  EXPECT_EQ(Shown(Kzp_ReadPartModel, "part.kzp"), nullptr);
  EXPECT_EQ(Rec().errors, std::vector<std::string>{"part.kzp は壊れているため、読み込むことができませんでした。"});
  remove("part.kzp");
}

}  // namespace
