// KZV files: hand-made files of the three versions read field by field; the writer's bytes;
// every refusal with its message and the previous movie kept; actor files found and loaded.
#include <math.h>
#include "model_shown.h"
#include "tests/scene/movie_fixture.h"

#include <functional>

#include "model/kzb.h"
#include "model/kzp.h"

static const char *kBroken = "%s は壊れているため、読み込むことができませんでした。";

static std::string Msg(const char *fmt, const std::string &path, double v = -1) {
  char buf[1024];
  if (v < 0) snprintf(buf, sizeof buf, fmt, path.c_str());
  else snprintf(buf, sizeof buf, fmt, path.c_str(), v);
  return buf;
}

// Every field of a parsed object against its description, by the version's rules.
static void ExpectObject(const MovieObject *o, const ObjectSpec &s, i32 version, const std::string &name) {
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(std::string(o->name), name);
  EXPECT_EQ(o->kind, s.kind);
  EXPECT_EQ(o->keyCount, (i32)s.keys.size());
  EXPECT_EQ(o->moveCurve, 1);
  EXPECT_EQ(o->rotationCurve, 0);
  EXPECT_EQ(o->scaleCurve, 1);
  for (size_t k = 0; k < s.keys.size(); k++) {
    const MovieKey &g = o->keys[k];
    const KeySpec &e = s.keys[k];
    SCOPED_TRACE("object " + name + " key " + std::to_string(k));
    EXPECT_EQ(g.frame, e.frame);
    EXPECT_EQ(g.shown, version == 2006060 ? e.shown : 1);
    EXPECT_EQ(g.number, e.number);
    // Fields a kind does not store stay 0.
    bool full = s.kind <= 4;
    for (int i = 0; i < 3; i++) EXPECT_EQ(g.position[i], full || s.kind == 5 ? KeyFloat(e, i) : 0.0f);
    for (int i = 0; i < 3; i++) EXPECT_EQ(g.angles[i], full ? KeyFloat(e, 3 + i) : 0.0f);
    for (int i = 0; i < 4; i++) EXPECT_EQ(g.rotation[i], full && version != 2004050 ? KeyFloat(e, 6 + i) : 0.0f);
    for (int i = 0; i < 3; i++) EXPECT_EQ(g.scale[i], full ? KeyFloat(e, 10 + i) : 0.0f);
    for (int i = 0; i < 4; i++) EXPECT_EQ(g.color[i], full || s.kind == 6 ? KeyFloat(e, 13 + i) : 0.0f);
    for (int i = 0; i < 3; i++) EXPECT_EQ(g.target[i], s.kind == 5 ? KeyFloat(e, 17 + i) : 0.0f);
  }
  EXPECT_EQ(std::string(o->folder), s.kind <= 4 ? s.folder : "");
  EXPECT_EQ(std::string(o->fileName), s.kind <= 4 ? s.file : "");
  EXPECT_EQ(std::string(o->motionFileName), s.kind <= 4 ? s.motionFile : "");
}

TEST_F(MovieTest, HandMadeFilesOfEveryVersionReadExactly) {
  struct Case {
    i32 version, frames, expectFrames;
    bool trailer;
  } cases[] = {
      {2006060, 300, 300, false}, {2006060, 18000, 18000, true}, {2006000, 0, 1, false},
      {2006000, 40, 40, true},    {2004050, 500, 180, false},    {2004050, -3, 1, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::to_string(c.version) + (c.trailer ? " with trailer" : ""));
    MovieSpec s = EveryKindMovie(c.version);
    s.frameCount = c.frames;
    s.trailer = c.trailer;
    for (auto &o : s.objects) s.trailerNames.push_back(o.name + "T");
    for (size_t i = 0; i < s.objects.size(); i++) s.trailerShadows.push_back((i32)i + 10);
    std::vector<u8> bytes = BuildKzv(s);
    char err[512];
    KzvMovie *m = Kzv_Parse(bytes.data(), bytes.size(), "m.kzv", err, sizeof err);
    ASSERT_NE(m, nullptr) << err;
    EXPECT_EQ(m->version, c.version);
    EXPECT_EQ(m->frameCount, c.expectFrames);
    ASSERT_EQ(m->objectCount, (i32)s.objects.size());
    for (size_t i = 0; i < s.objects.size(); i++) {
      const ObjectSpec &o = s.objects[i];
      ExpectObject(m->objects[i], o, c.version, c.trailer ? o.name + "T" : o.name);
      EXPECT_EQ(m->objects[i]->shadowKind, c.trailer ? (i32)i + 10 : (o.kind <= 4 ? o.shadowKind : 0));
    }
    EXPECT_EQ(m->bgmPresent, 1);
    EXPECT_STREQ(m->bgmSecondName, "second");
    EXPECT_STREQ(m->bgmFileName, "bgm.mid");
    EXPECT_EQ(m->soundCount, 3);
    EXPECT_STREQ(m->soundFolders[1], "Wave");
    EXPECT_STREQ(m->soundFileNames[1], "one.wav");
    EXPECT_STREQ(m->soundFolders[2], "");
    EXPECT_STREQ(m->soundFileNames[2], "two.wav");
    EXPECT_EQ(m->messageCount, 3);
    EXPECT_STREQ(m->messages[0], "");
    EXPECT_STREQ(m->messages[2], "さようなら");
    EXPECT_EQ(m->nextPresent, 1);
    EXPECT_STREQ(m->nextName, "next.kzv");
    EXPECT_EQ(m->hadTrailer, c.trailer ? 1 : 0);
    Kzv_FreeMovie(m);
  }
}

TEST_F(MovieTest, ReadingReplacesTheMovieAndAZeroQuaternionPosesAsIdentity) {
  MovieSpec s = EveryKindMovie(2004050);
  for (auto &o : s.objects) o.file.clear();   // nothing to load here
  std::string path = Write("old.kzv", BuildKzv(s));
  Movie_InitData();
  ASSERT_TRUE(Kzv_Read(path.c_str()));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(g_Movie.objectCount, 9);
  EXPECT_EQ(g_Movie.loaded, 1u);
  EXPECT_EQ(g_Movie.playState, 0u);   // the editor keeps a read movie stopped
  EXPECT_EQ(g_MovieScene.playEnd, 180);
  EXPECT_STREQ(g_MovieScene.movieFileName, path.c_str());
  EXPECT_STREQ(g_Movie.messages[1], "こんにちは");
  Movie_InterpolateObject(6, 0, 0.5f);
  const f32 *q = g_Movie.objects[6]->pose + MOVIE_POSE_ROTATION;
  EXPECT_EQ(q[0], 0.0f);
  EXPECT_EQ(q[1], 0.0f);
  EXPECT_EQ(q[2], 0.0f);
  EXPECT_EQ(q[3], 1.0f);
  ASSERT_NE(Object_Get(8), nullptr);   // every object has its scene object
}

TEST_F(MovieTest, WriteReadWriteGivesTheHandMadeBytes) {
  MovieSpec s = EveryKindMovie(2006060);
  for (auto &o : s.objects) o.file.clear();
  std::vector<u8> original = BuildKzv(s);
  ASSERT_TRUE(Kzv_Read(Write("in.kzv", original).c_str()));
  std::string out = Path("out.kzv");
  ASSERT_TRUE(Kzv_Write(out.c_str()));
  EXPECT_EQ(FirstDifference(ReadFileBytes(out), original), -1);
  // A trailer read in is not written back: the names and shadow kinds it carried are.
  s.trailer = true;
  s.trailerNames = {"A", "B", "C", "D", "E", "F", "G", "H", "I"};
  ASSERT_TRUE(Kzv_Read(Write("trailer.kzv", BuildKzv(s)).c_str()));
  ASSERT_TRUE(Kzv_Write(out.c_str()));
  ASSERT_TRUE(Kzv_Read(out.c_str()));
  EXPECT_STREQ(g_Movie.objects[8]->name, "I");
  // A new movie: no BGM, sounds, messages or next name.
  Movie_InitData();
  ASSERT_TRUE(Kzv_Write(out.c_str()));
  std::vector<u8> fresh = ReadFileBytes(out);
  Bytes tail;
  tail.i32_(0).i32_(0).i32_(0).i32_(0).i32_(0);
  ASSERT_GE(fresh.size(), 20u);
  EXPECT_EQ(std::vector<u8>(fresh.end() - 20, fresh.end()), tail.b);
  // A camera key is 33 bytes, a scene key 25; each object has an empty name and 5 words.
  EXPECT_EQ(fresh.size(), 15u + (24 + 25) + (24 + 33) + 20);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(MovieTest, EveryRefusalKeepsThePreviousMovie) {
  MovieSpec good = EveryKindMovie(2006060);
  for (auto &o : good.objects) o.file.clear();
  ASSERT_TRUE(Kzv_Read(Write("good.kzv", BuildKzv(good)).c_str()));
  g_MovieScene.frame = 7;
  g_Movie.playState = MOVIE_PLAYING;
  Model3_Init(20);

  struct Case {
    const char *what;
    std::vector<u8> bytes;
    std::string message;   // %s = path
    double version;
  };
  std::vector<Case> cases;
  auto with = [&](const char *what, std::function<void(MovieSpec &)> change) {
    MovieSpec s = good;
    change(s);
    cases.push_back({what, BuildKzv(s), kBroken, -1});
  };
  Bytes magic;
  magic.magic("KZX").i32_(2006060);
  cases.push_back({"magic", magic.b, "%s\nこのファイルは、ＫＺＶ形式ではありません。", -1});
  const char *oldText = "ＫＺＶ形式のバージョンが古いので\n読み込むことができません。\n\n%s  Ver %4.3f";
  const char *newText =
      "KZV形式のバージョンが新しいので\n読み込むことができません。\n最新版へバージョンアップして下さい。\n\n%s  Ver %4.3f";
  for (i32 v : {2004000, 2005000, 2006061}) {
    MovieSpec s = good;
    s.version = v;
    cases.push_back({"version", BuildKzv(s), v == 2006061 ? newText : oldText, v / 1000.0});
  }
  with("257 objects", [](MovieSpec &s) { s.objects.resize(257, s.objects[7]); });
  with("0 keys", [](MovieSpec &s) { s.objects[3].keys.clear(); });
  with("17 keys", [](MovieSpec &s) { s.objects[3].keys.resize(17, s.objects[3].keys[0]); });
  with("kind 7", [](MovieSpec &s) { s.objects[7].kind = 7; });
  with("300-byte name", [](MovieSpec &s) { s.objects[2].name = std::string(300, 'a'); });
  with("256-byte file", [](MovieSpec &s) { s.objects[2].file = std::string(256, 'a'); });
  with("17 sounds", [](MovieSpec &s) { s.sounds.resize(16); });
  with("17 messages", [](MovieSpec &s) { s.messages.resize(16); });
  // Damage and lengths the movie cannot hold: a name length of -1, 18,001 frames (named).
  for (bool first : {true, false}) {   // the first object's name; the next movie's (last)
    MovieSpec s = good;
    s.next.clear();
    s.trailer = false;
    std::vector<u8> b = BuildKzv(s);
    size_t off = first ? 15 : b.size() - 4;
    b[off] = b[off + 1] = b[off + 2] = b[off + 3] = 0xFF;
    cases.push_back({"length -1", b, kBroken, -1});
  }
  for (i32 frames : {18001, 2000000000}) {
    MovieSpec s = good;
    s.frameCount = frames;
    std::string text = "%s は、フレームの数 (" + std::to_string(frames) +
                       ") が上限 (18000) を超えているので\n読み込むことができません。";
    cases.push_back({"too many frames", BuildKzv(s), text, -1});
  }
  // A trailer cut short is refused (a whole one, or none, is read).
  std::vector<u8> trailered;
  {
    MovieSpec s = good;
    s.trailer = true;
    trailered = BuildKzv(s);
    trailered.pop_back();
    cases.push_back({"cut trailer", trailered, kBroken, -1});
  }
  // Every truncation of the file itself.
  std::vector<u8> whole = BuildKzv(good);
  for (size_t n = 0; n < whole.size(); n++)
    cases.push_back({"truncated", std::vector<u8>(whole.begin(), whole.begin() + n),
                     n < 3 ? "%s\nこのファイルは、ＫＺＶ形式ではありません。" : kBroken, -1});

  std::string path = Path("bad.kzv");
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.what) + " (" + std::to_string(c.bytes.size()) + " bytes)");
    WriteFileBytes(path, c.bytes);
    Boxes().clear();
    EXPECT_FALSE(Kzv_Read(path.c_str()));
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], Msg(c.message.c_str(), path, c.version));
    ASSERT_EQ(g_Movie.objectCount, 9);
    EXPECT_STREQ(g_Movie.objects[8]->name, "メッセージ");
    EXPECT_EQ(g_MovieScene.frame, 7);
    EXPECT_EQ(g_Movie.playState, (u32)MOVIE_PLAYING);
    EXPECT_EQ(g_Movie.loaded, 1u);
    EXPECT_NE(g_Model3Slots[20], nullptr);
  }
  Boxes().clear();
  EXPECT_FALSE(Kzv_Read(Path("missing.kzv").c_str()));
  EXPECT_EQ(Boxes()[0], Msg("%s を開くことができませんでした。", Path("missing.kzv")));
  EXPECT_FALSE(Kzv_Read(""));
  EXPECT_EQ(Boxes()[1], "ファイル名が指定されていません。");
  EXPECT_EQ(g_Movie.playState, (u32)MOVIE_PLAYING);
  // A save that cannot be made says so and leaves nothing behind.
  std::string noDir = Path("none/out.kzv");
  EXPECT_FALSE(Kzv_Write(noDir.c_str()));
  EXPECT_EQ(Boxes()[2], Msg("%s に保存することができませんでした。\n\n保存先のフォルダ: ", noDir) + Path("none") +
                            "\n理由: 保存先のフォルダが見つかりません。");
}

TEST_F(MovieTest, ActorFilesComeFromTheirFoldersAndMissingSlotsAreKept) {
  const char *src = getenv("MIRAVEL_SRC");
  if (!src) GTEST_SKIP() << "MIRAVEL_SRC not set";
  std::vector<u8> kzp = ReadFileBytes(std::string(src) + "/tests/fuzz/corpus/fuzz_kzp/v2004002.kzp");
  ASSERT_FALSE(kzp.empty());
  // The 2D bone model made by the bone-model writer of the model core.
  Bone2Model *b = Bone2_Init(0);
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(mkdir(Path("Kzb").c_str(), 0755), 0);
  ASSERT_EQ(Shown(Kzb_Write, 0, Path("Kzb/b.kzb").c_str()), 1);
  Bone2_FreeAll();
  // The movie sits in its own folder; its 3D model in a folder inside it.
  ASSERT_EQ(mkdir(Path("movie").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(Path("movie/Sub").c_str(), 0755), 0);
  WriteFileBytes(Path("movie/Sub/d.kzp"), kzp);
  WriteFileBytes(Path("movie/plain.kzp"), kzp);
  // The object set actor's set, kept and not loaded: only there.
  ASSERT_EQ(mkdir(Path("movie/Kzo").c_str(), 0755), 0);
  WriteFileBytes(Path("movie/Kzo/c.kzo"), std::string("-"));

  MovieSpec s = EveryKindMovie(2006060);
  s.sounds.clear();
  s.objects[2].file.clear();   // no drawing device here
  s.objects[3].file.clear();
  s.objects[4].folder = "Kzb";
  s.objects[6].folder = "Sub";
  s.objects[6].shadowKind = 3;
  ObjectSpec plain = s.objects[6];
  plain.folder = "Missing";    // not there: found by its name in the movie folder
  plain.file = "plain.kzp";
  s.objects.push_back(plain);
  ObjectSpec far = s.objects[4];
  while (s.objects.size() < 33) s.objects.push_back(s.objects[7]);
  s.objects.push_back(far);    // object 33: no 2D bone slot
  s.objects.push_back(far);    // object 34: one message for both
  ASSERT_EQ(chdir(Path("movie").c_str()), 0);
  std::vector<u8> bytes = BuildKzv(s);
  WriteFileBytes(Path("movie/m.kzv"), bytes);
  ASSERT_TRUE(Kzv_Read("m.kzv"));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].find("33"), std::string::npos);
  EXPECT_NE(g_Bone2Slots[4], nullptr);
  ASSERT_NE(g_Model3Slots[6], nullptr);
  EXPECT_GT(g_Model3Slots[6]->polygonCount, 0);
  EXPECT_EQ(g_Model3Slots[6]->shadowKind, 3u);
  ASSERT_NE(g_Model3Slots[9], nullptr);
  EXPECT_GT(g_Model3Slots[9]->polygonCount, 0);
  EXPECT_EQ(g_Movie.objectCount, 35);
  // The actors without a slot are saved as they came (into the movie's own folder, where every
  // name is written as it was read).
  ASSERT_TRUE(Kzv_Write(Path("movie/again.kzv").c_str()));
  EXPECT_EQ(FirstDifference(ReadFileBytes(Path("movie/again.kzv")), bytes), -1);
}

// The files a movie keeps without loading them on open: each one found nowhere is named in
// the read's one message, and the movie opens.
TEST_F(MovieTest, KeptFilesFoundNowhereAreNamedInOneMessage) {
  struct Case {
    const char *what;
    std::function<void(MovieSpec &)> change;
    std::vector<std::string> named;
  } cases[] = {
      {"every file there", [](MovieSpec &) {}, {}},
      {"object set", [](MovieSpec &s) { s.objects[5].file = "c.kzo"; }, {"Kzo", "c.kzo"}},
      {"model motion", [](MovieSpec &s) { s.objects[6].motionFile = "gone.kzm"; }, {"gone.kzm"}},
      {"music", [](MovieSpec &s) { s.bgmFile = "gone.mid"; }, {"gone.mid"}},
      {"next movie", [](MovieSpec &s) { s.next = "gone.kzv"; }, {"gone.kzv"}},
      {"all four",
       [](MovieSpec &s) {
         s.objects[5].file = "c.kzo";
         s.objects[6].motionFile = "gone.kzm";
         s.bgmFile = "gone.mid";
         s.next = "gone.kzv";
       },
       {"c.kzo", "gone.kzm", "gone.mid", "gone.kzv"}},
      {"music and next movie unset",
       [](MovieSpec &s) {
         s.bgmFile = "gone.mid", s.bgmPresent = 0;
         s.next = "gone.kzv", s.nextPresent = 0;
       },
       {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    MovieSpec s = EveryKindMovie(2006060);
    for (auto &o : s.objects) o.file.clear();
    c.change(s);
    Boxes().clear();
    ASSERT_TRUE(Kzv_Read(Write("kept.kzv", BuildKzv(s)).c_str()));
    EXPECT_EQ(g_Movie.objectCount, 9);
    if (c.named.empty()) {
      EXPECT_TRUE(Boxes().empty()) << Boxes()[0];
      continue;
    }
    ASSERT_EQ(Boxes().size(), 1u);
    for (const std::string &n : c.named) EXPECT_NE(Boxes()[0].find(n), std::string::npos) << n << ": " << Boxes()[0];
  }
}

// A key holding NaN or an infinity in any float its kind stores is refused as damaged,
// naming the file: every stored field of the first key of every actor, one at a time.
TEST_F(MovieTest, NonFiniteKeyValuesAreRefused) {
  const std::vector<u8> bytes = BuildKzv(EveryKindMovie(2006060));
  char err[512];
  KzvMovie *probe = Kzv_Parse(bytes.data(), bytes.size(), "m.kzv", err, sizeof err);
  ASSERT_NE(probe, nullptr) << err;
  const i32 objects = probe->objectCount;
  Kzv_FreeMovie(probe);
  int refused = 0;
  for (i32 o = 0; o < objects; o++)
    for (int field = 0; field < 20; field++)
      for (f32 v : {NAN, INFINITY}) {
        KzvMovie *m = Kzv_Parse(bytes.data(), bytes.size(), "m.kzv", err, sizeof err);
        ASSERT_NE(m, nullptr);
        MovieKey &k = m->objects[o]->keys[0];
        i32 kind = m->objects[o]->kind;
        bool file = kind >= MOVIE_KIND_IMAGE && kind <= MOVIE_KIND_MODEL3;
        // Fields 0-2 position, 3-5 angles, 6-9 rotation, 10-12 scale, 13-16 colour, 17-19 target.
        bool stored = file ? field < 17 : kind == MOVIE_KIND_CAMERA ? (field < 3 || field >= 17)
                                                                     : kind == MOVIE_KIND_SCENE && field >= 13 && field < 17;
        f32 *slot = field < 3 ? &k.position[field] : field < 6 ? &k.angles[field - 3] : field < 10 ? &k.rotation[field - 6]
                  : field < 13 ? &k.scale[field - 10] : field < 17 ? &k.color[field - 13] : &k.target[field - 17];
        *slot = v;
        ByteWriter w = {};
        ASSERT_TRUE(Kzv_Encode(m, &w));
        Kzv_FreeMovie(m);
        KzvMovie *again = Kzv_Parse(w.data, w.size, "poisoned.kzv", err, sizeof err);
        Wr_Free(&w);
        if (!stored) {
          EXPECT_NE(again, nullptr);
          Kzv_FreeMovie(again);
          continue;
        }
        EXPECT_EQ(again, nullptr) << o << " " << field;
        EXPECT_EQ(std::string(err), Msg(kKzMsgBroken, "poisoned.kzv")) << o << " " << field;
        Kzv_FreeMovie(again);
        refused++;
      }
  EXPECT_GT(refused, 40);
}
