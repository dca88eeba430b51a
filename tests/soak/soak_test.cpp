// The editing soak: random operations with random selections through the portable handlers of
// the 3D and the 2D editor (polygon operations, clipboard, groups, UV, bones, weights, keys,
// undo and redo, typed numbers and colours, file merges). After every operation every index
// must lie within its count and its capacity and every stored value must be finite; every 100
// operations both models are saved, read back and saved again, and the two saves must be the
// same bytes.
//
// It runs for 30 seconds from seed 57; MIRAVEL_SOAK_SECONDS and MIRAVEL_SOAK_SEED ask for a
// longer run or another seed. A failure names the seed, the operation count and the last
// operation.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "model_shown.h"
#include "app/current.h"
#include "app/family.h"
#include "app/shell_seam.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "draw_fakedev.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_poly.h"
#include "edit2d/ed2d_motion.h"
#include "edit2d/ed2d_poly_ops.h"
#include "edit2d/ed2d_tex.h"
#include "edit3d/ed3d_bone.h"
#include "edit3d/ed3d_group_dlg.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_poly_clip.h"
#include "edit3d/ed3d_poly_dlg.h"
#include "edit3d/ed3d_poly_ops.h"
#include "edit3d/ed3d_tex.h"
#include "edit3d/undo.h"
#include "model/bone2.h"
#include "model/bytes.h"
#include "model/kzb.h"
#include "model/kzp.h"
#include "model/seam.h"
#include "shell_fixture.h"

namespace {

void QuietBox(const char *) {}

// Every number a "#define NAME number" line of the resource header gives whose name begins
// with one of the prefixes (separated by blanks).
std::vector<u32> HeaderIds(const char *header, const char *prefixes) {
  std::vector<u32> ids;
  const char *src = getenv("MIRAVEL_SRC");
  std::string path = std::string(src ? src : ".") + "/resources/" + header;
  FILE *f = fopen(path.c_str(), "r");
  if (!f) return ids;
  char line[256], name[128];
  unsigned v;
  while (fgets(line, sizeof line, f)) {
    if (sscanf(line, "#define %127s %u", name, &v) != 2) continue;
    char want[64];
    for (const char *p = prefixes; sscanf(p, "%63s", want) == 1; p = strstr(p, want) + strlen(want))
      if (strncmp(name, want, strlen(want)) == 0) {
        ids.push_back(v);
        break;
      }
  }
  fclose(f);
  return ids;
}

// Texts a user may type into a number or colour field, the extreme ones first.
const char *const kTexts[] = {"1e39", "-1e39", "3.4e38", "-3.4e38", "1e30", "1e-45", "nan", "inf", "0x10",
                              "", " ", "abc", "0", "-0", "1", "-2.5", "12", "255", "300", "-7", "0.001", "1e6"};

struct Soak {
  std::mt19937 rng;
  // The command ids of each handler.
  std::vector<u32> poly3, group3, bone3, weight3, uv3, keys3, poly2, group2, uv2, keys2, bone2;
  std::string dir, last;
  u64 ops = 0;

  u32 Pick(u32 n) { return n ? (u32)(rng() % n) : 0; }
  // One of the ids, now and then any number at all (a handler must ignore what is not its own).
  u32 Id(const std::vector<u32> &ids) { return Pick(16) == 0 || ids.empty() ? 1000 + Pick(600) : ids[Pick((u32)ids.size())]; }
  const char *Text() { return kTexts[Pick(sizeof kTexts / sizeof kTexts[0])]; }

  // Random flags over the work arrays: none, sparse, half or all.
  void Select(i32 verts, i32 faces) {
    u32 density = Pick(4);
    u32 nv = App_WorkVertCount(), nf = App_WorkFaceCount();
    for (u32 i = 0; i < nv; i++) g_Sel.g_PolySelVerts[i] = (i32)i < verts && (density == 3 || (density && Pick(density == 1 ? 16 : 2) == 0));
    for (u32 i = 0; i < nf; i++) g_Sel.g_PolySelFaces[i] = (i32)i < faces && (density == 3 || (density && Pick(density == 1 ? 16 : 2) == 0));
    g_Sel.g_PolySelectMode = Pick(2);
  }

  // [SECTION] the 3D editor
  Model3 *M3() {
    g_Shell.g_EditFamily = FAMILY_3D_MODEL;
    g_Sel.g_CurSlot = 0;
    return g_Model3Slots[0];
  }
  void Fields(char f[ED3D_FIELDS][ED3D_FIELD_TEXT]) {
    for (i32 i = 0; i < ED3D_FIELDS; i++) Str_Copy(f[i], ED3D_FIELD_TEXT, Pick(3) ? std::to_string((i32)Pick(200) - 100).c_str() : Text());
  }
  void Op3D() {
    Model3 *m = M3();
    if (!m) return;
    Select(m->positionCount, m->polygonCount);
    g_Shell.g_LastViewZoom = Pick(4) ? 1.0f : (Pick(2) ? 1e-30f : 1e30f);
    u32 id = 0;
    char f[ED3D_FIELDS][ED3D_FIELD_TEXT];
    switch (Pick(12)) {
      case 0: case 1: case 2:
        g_Shell.g_EditSubMode = SUB_3D_POLY, id = Id(poly3);
        last = "3D poly " + std::to_string(id);
        Ed3D_PolyDlgCommand(id);
        break;
      case 3: {
        const char *t[3] = {Text(), Text(), Text()};
        last = std::string("3D numeric ") + t[0] + "," + t[1] + "," + t[2];
        Ed3D_PolyNumericCommand(t);
        break;
      }
      case 4: {
        const char *t[4] = {Text(), Text(), Text(), Text()};
        last = "3D colour";
        Ed3D_PolyColourCommand(t, "soak");
        break;
      }
      case 5: g_Shell.g_EditSubMode = SUB_3D_POLY, id = Id(group3); last = "3D group " + std::to_string(id); Ed3D_GroupCommand(id); break;
      case 6: g_Shell.g_EditSubMode = SUB_3D_BONE, id = Id(bone3); last = "3D bone " + std::to_string(id); Ed3D_BoneListCommand(id); break;
      case 7: g_Shell.g_EditSubMode = SUB_3D_WEIGHT, id = Id(weight3); last = "3D weight " + std::to_string(id); Ed3D_WeightCommand(id); break;
      case 8:
        g_Shell.g_EditSubMode = SUB_3D_TEXTURE, id = Id(uv3);
        last = "3D UV " + std::to_string(id);
        Ed3D_TexCommand(id, (i32)Pick(4), Text());
        break;
      case 9:
        g_Shell.g_EditSubMode = SUB_3D_MOTION, id = Id(keys3);
        Fields(f);
        last = "3D keys " + std::to_string(id);
        Ed3D_MotionDlgCommand(id, (i32)Pick(8), f);
        break;
      case 10:
        last = "3D undo/redo";
        if (Pick(2)) Undo_Undo(Undo_Current());
        else Undo_Redo(Undo_Current());
        break;
      default: {
        static const char *const kFiles[] = {"kzp/cube.kzp", "dxf/sample.dxf", "lwo/sample.lwo", "mqo/sample.mqo",
                                             "mx/sample.mx", "rok/sample.rok"};
        const char *src = getenv("MIRAVEL_SRC");
        std::string path = Pick(3) == 0 ? dir + "/soak.kzp" : std::string(src ? src : ".") + "/tests/data/" + kFiles[Pick(6)];
        last = "3D merge " + path;
        g_Shell.g_EditSubMode = SUB_3D_POLY;
        Ed3D_PolyMergeFile(path.c_str());
        break;
      }
    }
  }

  // [SECTION] the 2D editor
  Bone2Model *M2() {
    g_Shell.g_EditFamily = FAMILY_2D_MODEL;
    g_Sel.g_CurSlot = 0;
    return g_Bone2Slots[0];
  }
  void Op2D() {
    Bone2Model *m = M2();
    if (!m) return;
    Select(m->vertexCount, m->polygonCount);
    u32 id = 0;
    switch (Pick(11)) {
      case 0: case 1: case 2:
        g_Shell.g_EditSubMode = SUB_2D_POLY, id = Id(poly2);
        last = "2D op " + std::to_string(id);
        Ed2D_PolyOpCommand(id);
        break;
      case 3: g_Shell.g_EditSubMode = SUB_2D_POLY, id = Id(poly2); last = "2D panel " + std::to_string(id); Ed2D_PolyDlgCommand(id); break;
      case 8: g_Shell.g_EditSubMode = SUB_2D_POLY, id = Id(group2); last = "2D group " + std::to_string(id); Ed2D_GroupDlgCommand(id, (i32)Pick(4)); break;
      case 9:
        g_Shell.g_EditSubMode = SUB_2D_TEXTURE, id = Id(uv2);
        last = "2D UV " + std::to_string(id);
        Ed2D_TexCommand(id, (i32)Pick(4), Text());
        break;
      case 10: g_Shell.g_EditSubMode = SUB_2D_MOTION, id = Id(keys2); last = "2D keys " + std::to_string(id); Ed2D_MotionDlgCommand(id); break;
      case 4: {
        const char *t[4] = {Text(), Text(), Text(), Text()};
        last = "2D colour";
        Ed2D_PolyApplyColourText(m, t);
        break;
      }
      case 5: g_Shell.g_EditSubMode = SUB_2D_BONE, id = Id(bone2); last = "2D bone " + std::to_string(id); Ed2D_BoneDlgCommand(id); break;
      case 6:
        g_Shell.g_EditSubMode = SUB_2D_WEIGHT;
        last = "2D weight";
        Ed2D_WeightApply(m, Text(), Text(), Text());
        break;
      default: {
        const char *src = getenv("MIRAVEL_SRC");
        std::string path = Pick(2) ? dir + "/soak.kzp" : std::string(src ? src : ".") + "/tests/data/kzp/cube.kzp";
        last = "2D import " + path;
        g_Shell.g_EditSubMode = SUB_2D_POLY;
        Ed2D_PolyImport(m, path.c_str());
        break;
      }
    }
  }
};

// [SECTION] the checks
#define SOAK_CHECK(cond) \
  do {                   \
    if (!(cond)) return std::string(#cond); \
  } while (0)

bool Finite(const f32 *v, size_t n) {
  for (size_t i = 0; i < n; i++)
    if (!isfinite(v[i])) return false;
  return true;
}

// "" when the model holds together, else the first broken rule.
std::string Check3D(const Model3 *m) {
  if (!m) return "";
  SOAK_CHECK(m->positionCount >= 0 && m->positionCount <= m->capPositions);
  SOAK_CHECK(m->normalCount >= 0 && m->normalCount <= m->capNormals);
  SOAK_CHECK(m->colorCount >= 0 && m->colorCount <= m->capColors);
  SOAK_CHECK(m->uvCount >= 0 && m->uvCount <= m->capUVs);
  SOAK_CHECK(m->polygonCount >= 0 && m->polygonCount <= m->capPolygons);
  SOAK_CHECK(m->groupCount >= 0 && m->groupCount <= MODEL3_GROUPS);
  SOAK_CHECK(m->boneCount >= 0 && m->boneCount <= MODEL3_BONES);
  SOAK_CHECK(m->motionCount >= 0 && m->motionCount <= MODEL3_MOTIONS);
  SOAK_CHECK(m->textureCount >= 0 && m->textureCount <= MODEL3_TEXTURES);
  SOAK_CHECK(Finite(&m->positions[0].x, 3 * (size_t)m->positionCount));
  SOAK_CHECK(Finite(&m->normals[0].x, 3 * (size_t)m->normalCount));
  SOAK_CHECK(Finite(&m->colors[0].r, 4 * (size_t)m->colorCount));
  SOAK_CHECK(Finite(&m->uvs[0].u, 2 * (size_t)m->uvCount));
  for (i32 i = 0; i < m->positionCount; i++) {
    const VertexBinding &b = m->bindings[i];
    SOAK_CHECK(isfinite(b.weight));
    SOAK_CHECK(b.bone1 < MODEL3_BONES && b.bone2 < MODEL3_BONES);
  }
  for (i32 i = 0; i < m->polygonCount; i++) {
    const Polygon3 &p = m->polygons[i];
    SOAK_CHECK(p.cornerCount >= 1 && p.cornerCount <= 4);
    SOAK_CHECK(p.group < MODEL3_GROUPS);
    for (i32 j = 0; j < p.cornerCount; j++) {
      const PolyCorner &c = p.corners[j];
      SOAK_CHECK(c.vertex < (u32)m->positionCount);
      SOAK_CHECK(c.color < (u32)m->capColors);
      SOAK_CHECK(c.uv < (u32)m->capUVs);
      SOAK_CHECK(c.normal < (u32)m->capNormals);
    }
  }
  for (i32 g = 0; g < m->groupCount; g++) {
    const Group3 &gr = m->groups[g];
    SOAK_CHECK(isfinite(gr.r) && isfinite(gr.g) && isfinite(gr.b) && isfinite(gr.a));
    SOAK_CHECK(isfinite(gr.offsetU) && isfinite(gr.offsetV) && isfinite(gr.scaleU) && isfinite(gr.scaleV));
  }
  for (i32 b = 0; b < m->boneCount; b++) {
    const Bone3 &bone = m->bones[b];
    SOAK_CHECK(bone.parent >= 0 && (bone.parent < b || b == 0));
    SOAK_CHECK(Finite(m->boneRest[b].pos, 10));
    for (i32 mo = 0; bone.keys && mo < m->keyTableLength; mo++) {
      const KeyTrack &t = bone.keys[mo];
      SOAK_CHECK(t.count >= 0 && t.count <= t.capacity);
      for (i32 k = 0; k < t.count; k++) SOAK_CHECK(Finite(t.keys[k].pos, 10));
    }
  }
  return "";
}

std::string Check2D(const Bone2Model *m) {
  if (!m) return "";
  SOAK_CHECK(m->vertexCount <= m->vertexCapacity && m->colourCount <= m->colourCapacity);
  SOAK_CHECK(m->uvCount <= m->uvCapacity);
  SOAK_CHECK(m->polygonCount >= 0 && m->polygonCount <= m->polygonCapacity);
  SOAK_CHECK(m->groupCount >= 0 && m->groupCount <= BONE2_MAX_GROUPS);
  SOAK_CHECK(m->boneCount >= 0 && m->boneCount <= BONE2_MAX_BONES);
  SOAK_CHECK(m->motionCount >= 0 && m->motionCount <= BONE2_MAX_MOTIONS);
  SOAK_CHECK(Finite(&m->positions[0].x, 2 * (size_t)m->vertexCount));
  SOAK_CHECK(Finite(&m->colours[0].r, 4 * (size_t)m->colourCount));
  SOAK_CHECK(Finite(&m->uvs[0].u, 2 * (size_t)m->uvCount));
  for (i32 i = 0; i < m->vertexCount; i++) SOAK_CHECK(isfinite(m->bindings[i].weight));
  for (i32 i = 0; i < m->polygonCount; i++) {
    const Polygon2 &p = m->polygons[i];
    if (p.used != 1) continue;
    SOAK_CHECK(p.cornerCount >= 1 && p.cornerCount <= 4);
    for (i32 j = 0; j < p.cornerCount; j++) {
      SOAK_CHECK(p.corners[j].vertex < m->vertexCount);
      SOAK_CHECK(p.corners[j].colour < m->colourCapacity && p.corners[j].uv < m->uvCapacity);
    }
  }
  return "";
}

std::vector<u8> Encode3D(const Model3 *m) {
  ByteWriter w = {};
  std::vector<u8> out;
  if (Kzp_Encode(m, &w)) out.assign(w.data, w.data + w.size);
  Wr_Free(&w);
  return out;
}

std::vector<u8> Encode2D(Bone2Model *m) {
  ByteWriter w = {};
  char err[256];
  std::vector<u8> out;
  if (Kzb_Build(m, &w, err, sizeof err)) out.assign(w.data, w.data + w.size);
  Wr_Free(&w);
  return out;
}

bool WriteFile(const std::string &path, const std::vector<u8> &b) {
  FILE *f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(b.data(), 1, b.size(), f) == b.size();
  return fclose(f) == 0 && ok;
}

// Where two saves part: the first differing byte and the sizes.
std::string Where(const std::vector<u8> &a, const std::vector<u8> &b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) i++;
  std::string ctx;
  char hex[8];
  for (size_t k = i >= 8 ? i - 8 : 0; k < i + 8 && k < a.size() && k < b.size(); k++) {
    snprintf(hex, sizeof hex, " %02x/%02x", a[k], b[k]);
    ctx += hex;
  }
  return "at byte " + std::to_string(i) + " of " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + ":" + ctx;
}

// Saves, reopens and saves again; "" when the two saves are the same bytes (a model the
// format refuses to hold is not saved at all). The editor derives a model's normals anew when
// it reads one, so the 3D model goes through one save and reopen first: from then on a
// reopened model must save to the very bytes it was read from.
std::string SaveTwice(Soak &s) {
  std::string path = s.dir + "/soak.kzp";
  std::vector<u8> first;
  for (int round = 0; round < 2; round++) {
    first = Encode3D(s.M3());
    if (first.empty()) break;
    if (!WriteFile(path, first)) return "cannot write " + path;
    if (!Shown(Model3_OpenFile, 0, path.c_str())) return "the 3D save does not read back";
  }
  if (!first.empty()) {
    std::vector<u8> second = Encode3D(s.M3());
    if (second != first) return "the 3D saves differ " + Where(first, second);
  }
  std::vector<u8> first2 = Encode2D(s.M2());
  if (!first2.empty()) {
    char err[256] = "";
    Bone2Model *back = Kzb_Parse(first2.data(), first2.size(), "soak.kzb", err, sizeof err);
    if (!back) return std::string("the 2D save does not read back: ") + err;
    std::vector<u8> second = Encode2D(back);
    Bone2_Free(back);
    if (second != first2) return "the 2D saves differ " + Where(first2, second);
  }
  return "";
}

TEST(EditingSoak, RandomOperationsKeepEveryIndexInRangeEveryValueFiniteAndSavesStable) {
  const char *secs = getenv("MIRAVEL_SOAK_SECONDS"), *seedText = getenv("MIRAVEL_SOAK_SEED");
  const double seconds = secs ? atof(secs) : 30.0;
  const u32 seed = seedText ? (u32)strtoul(seedText, nullptr, 10) : 57u;
  Shell_ResetForTest();
  FakeDev_Install();
  const u32 maxV = g_MaxVertices, maxP = g_MaxPolygons;
  // Room to grow, small enough to reach the limits. (The face merge is quadratic in the faces
  // sharing one position, as after merging many vertices into one: thousands of such faces
  // take minutes.)
  g_MaxVertices = 12000, g_MaxPolygons = 2500;
  g_EditorMode = g_Model3Edited = 1;
  g_Seam.errorBox = QuietBox;
  Soak s;
  s.rng.seed(seed);
  char tmpl[] = "/tmp/miravel_soak_XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  s.dir = tmpl;
  s.poly3 = HeaderIds("edit3d_ids.h", "IDC_POLY IDC_PNUM");
  s.group3 = HeaderIds("edit3d_ids.h", "IDC_GRP");
  s.bone3 = HeaderIds("edit3d_ids.h", "IDC_BONE");
  s.weight3 = HeaderIds("edit3d_ids.h", "IDC_WEIGHT");
  s.uv3 = HeaderIds("edit3d_tex_ids.h", "IDC_TEX");
  s.keys3 = HeaderIds("edit3d_motion_ids.h", "IDC_MOT IDC_MKEY IDC_MLIST IDC_M3D IDM_MOT");
  s.poly2 = HeaderIds("edit2d_ids.h", "IDC_P2D");
  s.group2 = HeaderIds("edit2d_ids.h", "IDC_G2D");
  s.uv2 = HeaderIds("edit2d_ids.h", "IDC_T2D");
  s.keys2 = HeaderIds("edit2d_ids.h", "IDC_MOT2D IDC_ML2D IDC_M2D");
  s.bone2 = {IDC_BONE_APPLY, IDC_BONE_COLOR, IDC_BONE_ADD, IDC_BONE_DELETE, IDC_BONE_PARENT, IDM_2D_BONE_NEW};
  ASSERT_FALSE(s.poly3.empty() || s.group3.empty() || s.bone3.empty() || s.uv3.empty() || s.keys3.empty() ||
               s.poly2.empty() || s.group2.empty() || s.uv2.empty() || s.keys2.empty())
      << "MIRAVEL_SRC names no source tree";

  g_ModelAllocArrays = 1;
  ASSERT_NE(Model3_Init(0), nullptr);
  App_AllocWorkArrays(&g_Sel);
  g_ModelAllocArrays = 1;
  ASSERT_NE(Bone2_Init(0), nullptr);
  g_Bone2SlotShown[0] = 1;
  Undo_ResetAll();
  Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "記録開始");
  s.M3();
  Undo_Push(Undo_Current());

  std::string fault;
  const time_t start = time(nullptr);
  while (fault.empty() && difftime(time(nullptr), start) < seconds) {
    for (int i = 0; i < 100 && fault.empty(); i++) {
      if (s.Pick(2)) s.Op3D();
      else s.Op2D();
      s.ops++;
      fault = Check3D(g_Model3Slots[0]);
      if (fault.empty()) fault = Check2D(g_Bone2Slots[0]);
    }
    if (fault.empty()) fault = SaveTwice(s);
  }
  EXPECT_EQ(fault, "") << "seed " << seed << ", operation " << s.ops << ": " << s.last;
  printf("soak: %llu operations in %.0f s from seed %u\n", (unsigned long long)s.ops, difftime(time(nullptr), start), seed);

  unlink((s.dir + "/soak.kzp").c_str());
  rmdir(s.dir.c_str());
  g_Seam.errorBox = nullptr;
  g_MaxVertices = maxV, g_MaxPolygons = maxP;
  Model3_FreeAllSlots();
  Bone2_FreeAll();
  FakeDev_Remove();
}

}  // namespace
