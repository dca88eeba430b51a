// KZP model files: the 2006000 writer, the one body reader of 2006000 / 2005000 / 2004002
// and the reading entries (into a model slot, into an object of a 3D object set). The reader
// takes a file through one block (a file a block at a time, an image in memory as a single
// block), keeps its state in the read's own record (KzpRead) and answers with a ModelResult.
//
// Layout of 2006000 (little-endian): "KZP", i32 version, i32 counts P N C U, positions,
// normals, colours, UVs, P bindings, u16 polygon count, polygons (u8 corners, corners x 4 u32,
// u32 group), i16 texture count with {u32 used, name when used}, i16 displacement texture,
// f32 displacement scale, i32 group count with groups, 4 words, i16 refinement level, i32
// motion count with motions, i32 bone count with bones and one key track per motion.
// 2005000: u16 counts, 4 ignored bytes before each polygon, u16 corner indices, no
// displacement or refinement, motions without group keys. 2004002: as 2005000 without
// motions, and bones as one key count each.
#include "model/kzp.h"

#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "model/bytes.h"
#include "model/docref.h"
#include "model/finite.h"
#include "model/keytrack.h"
#include "model/kzo.h"
#include "model/mesh.h"
#include "model/model_result.h"
#include "model/seam.h"
#include "model/str.h"

static const char kMsgSupported[] = "KZP 2004 ～ 2006 に対応しています。\n\n%s";
static const char kMsgTooNew[] =
    "ＫＺＰ形式のバージョンが新しいので\n読み込むことができません。\n最新版へバージョンアップして下さい。\n\n%s";
static const char kMsgTooOld[] = "ＫＺＰ形式のバージョンが古いので\n読み込むことができません。\n\n%s";
static const char kMsgDevelopment[] = "%s ( Ver %2.3f )\nこのバージョンは、開発中のバージョンのため\n対応していません。";
const char kKzMsgCannotOpen[] = "%s を開くことができませんでした。";
static const char kMsgNotKzp[] = "%s は、ＫＺＰ形式ではありません。";
const char kKzMsgBroken[] = "%s は壊れているため、読み込むことができませんでした。";
const char kKzMsgCannotSave[] = "%s に保存することができませんでした。";
static const char kMsgNoFiniteSize[] =
    "モデルの座標の幅が無限大になるため、保存することができません。\n頂点の位置を見直して下さい。\n\n%s";
static const char kMsgTooLarge[] = "モデルが大きすぎるため、ＫＺＰ形式で保存できません。\n\n%s";

// [SECTION] Writer

static void WriteGroup(ByteWriter *w, const Group3 *g) {
  Wr_Name(w, g->name);
  Wr_U32(w, g->texture);
  Wr_F32(w, g->r);
  Wr_F32(w, g->g);
  Wr_F32(w, g->b);
  Wr_F32(w, g->a);
  Wr_U32(w, g->shading);
  Wr_U8(w, g->mapping);
  Wr_F32(w, g->offsetU);
  Wr_F32(w, g->offsetV);
  Wr_F32(w, g->scaleU);
  Wr_F32(w, g->scaleV);
  Wr_U32(w, g->word0);
  Wr_U32(w, g->word1);
  Wr_U32(w, g->mirror);
  Wr_U32(w, g->specular);
  Wr_U32(w, g->specR);
  Wr_U32(w, g->specG);
  Wr_U32(w, g->specB);
}

// True when every count fits its field and every array it names exists.
static bool FitsFormat(const Model3 *m) {
  if (m->positionCount < 0 || m->normalCount < 0 || m->colorCount < 0 || m->uvCount < 0) return false;
  if (m->positionCount > 0 && (!m->positions || !m->bindings)) return false;
  if ((m->normalCount > 0 && !m->normals) || (m->colorCount > 0 && !m->colors) || (m->uvCount > 0 && !m->uvs))
    return false;
  if (m->polygonCount < 0 || m->polygonCount > 0xFFFF || (m->polygonCount > 0 && !m->polygons)) return false;
  for (i32 i = 0; i < m->polygonCount; i++)
    if (m->polygons[i].cornerCount > 4) return false;
  if (m->textureCount < 0 || m->textureCount > MODEL3_TEXTURES) return false;
  if (m->groupCount < 0 || m->groupCount > MODEL3_GROUPS) return false;
  if (m->motionCount < 0 || m->motionCount > MODEL3_MOTIONS) return false;
  if (m->boneCount < 0 || m->boneCount > MODEL3_BONES) return false;
  for (i32 mo = 0; mo < m->motionCount; mo++)
    for (i32 g = 0; g < m->groupCount; g++) {
      const GroupKeyList3 *l = m->motions[mo].groupKeys[g];
      if (l && (l->count < 0 || l->count > MODEL3_GROUP_KEYS)) return false;
    }
  return true;
}

// Field layouts of the records the file stores as runs (see Rd_Run): the records in memory
// have exactly these layouts, so a run is one copy on a little-endian host.
static const char kVec3Fields[] = "444";
static const char kColorFields[] = "4444";
static const char kUVFields[] = "44";
static const char kBindingFields[] = "2244";
static const char kGroupKeyFields[] = "4224444";
static const char kBoneKeyFields[] = "44444444444";
static_assert(sizeof(Vec3) == 12 && sizeof(Color4) == 16 && sizeof(Vec2) == 8, "vector records");
static_assert(sizeof(VertexBinding) == 12 && sizeof(GroupKey3) == 24 && sizeof(BoneKey3) == 44, "key records");

static void WriteGeometry(ByteWriter *w, const Model3 *m) {
  Wr_I32(w, m->positionCount);
  Wr_I32(w, m->normalCount);
  Wr_I32(w, m->colorCount);
  Wr_I32(w, m->uvCount);
  Wr_Run(w, m->positions, (u64)m->positionCount, kVec3Fields);
  Wr_Run(w, m->normals, (u64)m->normalCount, kVec3Fields);
  Wr_Run(w, m->colors, (u64)m->colorCount, kColorFields);
  Wr_Run(w, m->uvs, (u64)m->uvCount, kUVFields);
  Wr_Run(w, m->bindings, (u64)m->positionCount, kBindingFields);
  Wr_U16(w, (u16)m->polygonCount);
  for (i32 i = 0; i < m->polygonCount; i++) {
    const Polygon3 *p = &m->polygons[i];
    Wr_U8(w, p->cornerCount);
    for (int c = 0; c < p->cornerCount; c++) {
      Wr_U32(w, p->corners[c].vertex);
      Wr_U32(w, p->corners[c].normal);
      Wr_U32(w, p->corners[c].color);
      Wr_U32(w, p->corners[c].uv);
    }
    Wr_U32(w, p->group);
  }
}

static size_t NameBytes(const char *s) { return 4 + (s ? strlen(s) : 0); }

// Bytes Kzp_Encode writes for a model that fits the format, so the buffer is sized once.
static size_t EncodedSize(const Model3 *m) {
  size_t n = 3 + 4 + 16;
  n += (size_t)m->positionCount * (12 + 12) + (size_t)m->normalCount * 12 + (size_t)m->colorCount * 16 +
       (size_t)m->uvCount * 8;
  n += 2;
  for (i32 i = 0; i < m->polygonCount; i++) n += 1 + (size_t)m->polygons[i].cornerCount * 16 + 4;
  n += 2;
  for (i32 i = 0; i < m->textureCount; i++) n += 4 + (m->textures[i].used != 0 ? NameBytes(m->textures[i].name) : 0);
  n += 2 + 4 + 4;
  for (i32 g = 0; g < m->groupCount; g++) n += NameBytes(m->groups[g].name) + 73;
  n += 16 + 2 + 4;
  for (i32 mo = 0; mo < m->motionCount; mo++) {
    const Motion3 *mot = &m->motions[mo];
    n += 4;
    if (mot->used != 1) continue;
    for (i32 g = 0; g < m->groupCount; g++) {
      const GroupKeyList3 *l = mot->groupKeys[g];
      n += 4 + (size_t)(l ? l->count : 0) * 24;
    }
    n += NameBytes(mot->name) + 4;
  }
  n += 4;
  for (i32 b = 0; b < m->boneCount; b++) {
    const Bone3 *bone = &m->bones[b];
    n += NameBytes(bone->name) + 4 + 40;
    for (i32 mo = 0; mo < m->motionCount; mo++) {
      const KeyTrack *t = bone->keys ? &bone->keys[mo] : nullptr;
      n += 4 + (size_t)((t && t->keys && t->count > 0) ? t->count : 0) * 44;
    }
  }
  return n;
}

// The model's points span a box of finite size: one of no finite size is not written, since
// no reader takes it back (Finite_Model3).
static bool FiniteSize(const Model3 *m) {
  return !m->positions || Finite_Extent(m->positions, (size_t)m->positionCount);
}

bool Kzp_Encode(const Model3 *m, ByteWriter *w) {
  if (!m || !FitsFormat(m) || !FiniteSize(m)) return false;
  if (!Wr_Reserve(w, EncodedSize(m))) return false;
  Wr_Bytes(w, "KZP", 3);
  Wr_I32(w, (i32)g_KzpVersion);
  WriteGeometry(w, m);
  Wr_I16(w, m->textureCount);
  for (i32 i = 0; i < m->textureCount; i++) {
    Wr_U32(w, m->textures[i].used);
    // A name follows every entry whose used word is not 0 (the reader's rule too).
    if (m->textures[i].used != 0) Wr_Name(w, m->textures[i].name);
  }
  Wr_I16(w, m->dispTexture);
  Wr_F32(w, m->dispScale);
  Wr_I32(w, m->groupCount);
  for (i32 g = 0; g < m->groupCount; g++) WriteGroup(w, &m->groups[g]);
  Wr_U32(w, m->lighting);
  Wr_U32(w, m->vertexColorMode);
  Wr_U32(w, m->immediate);
  Wr_F32(w, m->normalOffset);
  Wr_I16(w, m->refineLevel);
  Wr_I32(w, m->motionCount);
  for (i32 mo = 0; mo < m->motionCount; mo++) {
    const Motion3 *mot = &m->motions[mo];
    Wr_U32(w, mot->used);
    if (mot->used != 1) continue;
    for (i32 g = 0; g < m->groupCount; g++) {
      const GroupKeyList3 *l = mot->groupKeys[g];
      i32 n = l ? l->count : 0;   // a missing list is written as empty
      Wr_I32(w, n);
      if (n > 0) Wr_Run(w, l->keys, (u64)n, kGroupKeyFields);
    }
    Wr_Name(w, mot->name);
    Wr_I32(w, mot->length);
  }
  Wr_I32(w, m->boneCount);
  for (i32 b = 0; b < m->boneCount; b++) {
    const Bone3 *bone = &m->bones[b];
    Wr_Name(w, bone->name);
    Wr_I32(w, bone->parent);
    const BoneKey3 *rest = &m->boneRest[b];
    for (int i = 0; i < 3; i++) Wr_F32(w, rest->pos[i]);
    for (int i = 0; i < 4; i++) Wr_F32(w, rest->quat[i]);
    for (int i = 0; i < 3; i++) Wr_F32(w, rest->scale[i]);
    for (i32 mo = 0; mo < m->motionCount; mo++) {
      const KeyTrack *t = bone->keys ? &bone->keys[mo] : nullptr;
      i32 n = (t && t->keys && t->count > 0) ? t->count : 0;   // a missing table is written as empty
      Wr_I32(w, n);
      if (n > 0) Wr_Run(w, t->keys, (u64)n, kBoneKeyFields);
    }
  }
  return !w->err;
}

bool Kzp_Write(Model3 *m, const char *path, ModelResult *res) {
  if (!m) return ModelResult_Refuse(res, "");
  if (!path || !path[0]) return ModelResult_Refuse(res, "ファイル名が指定されていません。");
  if (!FitsFormat(m)) return ModelResult_Refusef(res, kMsgTooLarge, path);
  if (!FiniteSize(m)) return ModelResult_Refusef(res, kMsgNoFiniteSize, path);
  // The texture names re-kept from the new folder; put back when the save fails.
  char *was[MODEL3_TEXTURES] = {};
  char folder[MODEL3_NAME];
  bool toFolder = DocRef_Folder(path, folder, sizeof folder);
  i32 lost = -1;   // the first texture whose name does not fit from the new folder
  for (i32 i = 0; toFolder && lost < 0 && i < m->textureCount && i < MODEL3_TEXTURES; i++) {
    char kept[DocRef_Size(DOCREF_KZP_TEXTURE)];
    if (m->textures[i].used == 0 || !m->textures[i].name || !m->textures[i].name[0]) continue;
    Str_Copy(kept, sizeof kept, m->textures[i].name);
    if (!DocRef_Rebase(m->textureFolder, folder, kept, sizeof kept, nullptr, 0)) lost = i;
    if (strcmp(kept, m->textures[i].name) == 0) continue;
    was[i] = m->textures[i].name;
    m->textures[i].name = nullptr;
    if (!Model3_SetText(&m->textures[i].name, kept)) m->textures[i].name = was[i], was[i] = nullptr;
  }
  ByteWriter w = {};
  bool ok = lost < 0 && Kzp_Encode(m, &w) && File_WriteAtomic(path, w.data, w.size);
  Wr_Free(&w);
  for (i32 i = 0; i < MODEL3_TEXTURES; i++) {
    if (!was[i]) continue;
    if (ok) {
      free(was[i]);
    } else {
      free(m->textures[i].name);
      m->textures[i].name = was[i];
    }
  }
  if (lost >= 0) return DocRef_RefuseSave(res, m->textures[lost].name);
  if (!ok) return ModelResult_RefuseSave(res, path);
  if (toFolder) Str_Copy(m->textureFolder, sizeof m->textureFolder, folder);
  m->version = g_KzpVersion;
  ModelResult_Accept(res);
  return true;
}

// [SECTION] The read and its block

// One read of a KZP file: where its bytes come from and why it was refused. The bytes come
// through one block: from a file a block at a time (f set), or all at once from memory (f
// null, left 0, the whole image untaken); the parser is the same either way.
struct KzpRead {
  FILE *f;            // null when the whole file is in memory
  u64 left;           // bytes of the file not read yet
  const u8 *data;     // the bytes read and not taken yet
  size_t have;
  u8 *block;          // the block of a file read
  const char *path;   // names the file in the refusals
  bool normals;       // make the face and vertex normals as the polygons come
  bool keysNotFinite; // a bone key read holds a NaN or an infinity (refused once the whole file is read)
  char refusal[512];  // why the parser refused when it can say more than "damaged"; empty otherwise
};

// The largest polygon record of any version: a 2006000 one with the corner count, four corners
// of four u32 and the group.
static const size_t kMaxPolygonRecord = 1 + 4 * 16 + 4;
// The polygons and tracks are read from the file a block at a time, small enough to stay in
// the cache while its records are taken from it (the records are most of a file), large
// enough that the calls to read cost little. Reads are whole blocks, after room for the part
// of a record left over from the block before.
static const size_t kPolygonBlock = 256 * 1024;
static const size_t kBlockRoom = kMaxPolygonRecord + kPolygonBlock;
// Files above this size are not read (as File_ReadAll).
static const long kMaxFileSize = 1L << 30;

static void KzpRead_FromMemory(KzpRead *k, const u8 *data, size_t size, const char *path) {
  memset(k, 0, offsetof(KzpRead, refusal) + 1);
  k->data = data;
  k->have = size;
  k->path = path ? path : "";
}

// A read of the file open at f, from its start; false when its size cannot be told, it is
// too large or the block cannot be made.
static bool KzpRead_FromFile(KzpRead *k, FILE *f, const char *path) {
  memset(k, 0, offsetof(KzpRead, refusal) + 1);
  k->path = path;
  long size = -1;
  if (fseek(f, 0, SEEK_END) == 0) size = ftell(f);
  if (size < 0 || size > kMaxFileSize || fseek(f, 0, SEEK_SET) != 0) return false;
  k->block = (u8 *)malloc(kBlockRoom);
  k->f = f;
  k->left = (u64)size;
  k->data = k->block;
  return k->block != nullptr;
}

static void KzpRead_End(KzpRead *k) {
  free(k->block);
  k->block = nullptr;
}

// The refusal text of a read that failed: the parser's own, or the damaged-file message.
static bool Refused(const KzpRead *k, ModelResult *res) {
  if (k->refusal[0]) return ModelResult_Refuse(res, k->refusal);
  return ModelResult_Refusef(res, kKzMsgBroken, k->path);
}

// Reads n bytes at the file's position into dst; false when they are not all there.
static bool ReadExactly(FILE *f, void *dst, u64 n) { return n == 0 || fread(dst, 1, (size_t)n, f) == n; }

// The untaken bytes go just before the polygon part of the block (at most a record's worth
// are left) and the file fills that part.
static bool Block_Fill(KzpRead *k) {
  if (k->left == 0) return true;
  u8 *block = k->block + kMaxPolygonRecord;
  memmove(block - k->have, k->data, k->have);
  size_t n = kPolygonBlock < k->left ? kPolygonBlock : (size_t)k->left;
  if (!ReadExactly(k->f, block, n)) return false;
  k->data = block - k->have;
  k->have += n;
  k->left -= n;
  return true;
}

// The untaken bytes go to the front of the block and the file fills the rest of it.
static bool Block_Top(KzpRead *k) {
  if (k->left == 0) return true;
  memmove(k->block, k->data, k->have);
  size_t n = kBlockRoom - k->have;
  if (n > k->left) n = (size_t)k->left;
  if (!ReadExactly(k->f, k->block + k->have, n)) return false;
  k->data = k->block;
  k->have += n;
  k->left -= n;
  return true;
}

// Copies the next n bytes to dst: the untaken ones first, the rest straight from the file.
static bool Block_Copy(KzpRead *k, void *dst, u64 n) {
  size_t from = n < k->have ? (size_t)n : k->have;
  if (from) memcpy(dst, k->data, from);
  k->data += from;
  k->have -= from;
  n -= from;
  if (n == 0) return true;
  if (n > k->left || !ReadExactly(k->f, (u8 *)dst + from, n)) return false;
  k->left -= n;
  return true;
}

// The untaken bytes and the rest of the file on one cursor *r: in place when the file has
// nothing more to give, otherwise in a new buffer (*owned, for the caller to free). False when
// that cannot be made or the file does not give the rest.
static bool Block_TakeRest(KzpRead *k, ByteReader *r, u8 **owned) {
  *owned = nullptr;
  if (k->left == 0) {
    Rd_Init(r, k->data, k->have);
    return true;
  }
  u64 size = k->have + k->left;
  u8 *rest = (u8 *)malloc((size_t)size + 1);
  if (!rest) return false;
  memcpy(rest, k->data, k->have);
  if (!ReadExactly(k->f, rest + k->have, k->left)) {
    free(rest);
    return false;
  }
  k->left = 0;
  Rd_Init(r, rest, (size_t)size);
  *owned = rest;
  return true;
}

// [SECTION] Records

static bool TooMany(KzpRead *k, const char *what, i64 n, i64 max) {
  if (!k->refusal[0])
    Str_Format(k->refusal, sizeof k->refusal, "%s は、%sの数 (%lld) が上限 (%lld) を超えているので\n読み込むことができません。",
               k->path, what, (long long)n, (long long)max);
  return false;
}

// A count field: refused with its name when above max; a negative one is damage.
static i32 ReadLimitedCount(KzpRead *k, ByteReader *r, i32 max, const char *what) {
  i32 n = Rd_I32(r);
  if (r->err) return 0;
  if (n > max) {
    TooMany(k, what, n, max);
    r->err = true;
    return 0;
  }
  if (n < 0) {
    r->err = true;
    return 0;
  }
  return n;
}

struct KzpLayout {
  bool wideCounts;      // i32 counts (2006) or u16 (2005, 2004)
  bool widePolygons;    // u32 corner indices without the 4-byte prefix (2006)
  bool displacement;    // displacement texture and scale, refinement level (2006)
  i32 motions;          // 2: with group keys, 1: names only, 0: absent
  bool fullBones;       // names, rest, key tracks (2006, 2005) or key counts only (2004)
};

static const KzpLayout kLayout2006 = {true, true, true, 2, true};
static const KzpLayout kLayout2005 = {false, false, false, 1, true};
static const KzpLayout kLayout2004 = {false, false, false, 0, false};

static i32 ReadCount(ByteReader *r, bool wide) { return wide ? Rd_I32(r) : (i32)Rd_U16(r); }

static inline u32 Above(u32 top, u32 index) { return index + 1 > top ? index + 1 : top; }

// One polygon record: the corner count, its corners (u32 or u16 indices) and the group, with
// the range of the whole record checked once. Every byte of *p is written (unused corners
// and the face normal 0), so the record may start unset.
// top[] is raised to one past the largest vertex, normal, colour and UV index read.
// (The indices are checked and stored from locals: read back through the record, every
// store would have to be assumed to change top[] or the limit.)
// InBlock: the reader holds kMaxPolygonRecord bytes or more, so the record is all there
// whatever it says and its bytes are taken without bounds checks.
template <bool InBlock = false>
static inline bool ReadPolygon(KzpRead *k, ByteReader *r, Polygon3 *p, bool wide, u32 top[4]) {
  const u8 *q;
  u8 n;
  if (InBlock) {
    q = r->p + (wide ? 0 : 4);   // an old per-polygon word, never used
    n = *q++;
    if (n > 4) return TooMany(k, "ポリゴンの角", n, 4);
  } else {
    if (!wide) Rd_Skip(r, 4);
    n = Rd_U8(r);
    if (n > 4) return TooMany(k, "ポリゴンの角", n, 4);
    if (!Rd_Need(r, (u64)n * (wide ? 16 : 8) + 4)) return false;
    q = r->p;
  }
  memset(p, 0, offsetof(Polygon3, corners));
  p->cornerCount = n;
  const u32 limit = g_MaxVertices;
#if !BYTES_HOST_BIG_ENDIAN
  if (wide) {
    // A corner in the file is a PolyCorner: its four indices are checked and raised into
    // top[] as one vector each.
    typedef u32 Index4 __attribute__((vector_size(16)));
    const Index4 lim = {limit, limit, limit, limit}, one = {1, 1, 1, 1};
    Index4 t = {top[0], top[1], top[2], top[3]}, bad = {0, 0, 0, 0};
    for (int c = 0; c < n; c++, q += 16) {
      Index4 x;
      memcpy(&x, q, 16);
      memcpy(&p->corners[c], q, 16);
      bad |= (Index4)(x >= lim);
      Index4 above = x + one, higher = (Index4)(above > t);
      t = (above & higher) | (t & ~higher);
    }
    if (bad[0] | bad[1] | bad[2] | bad[3]) return false;
    for (int c = n; c < 4; c++) p->corners[c] = PolyCorner{0, 0, 0, 0};
    p->faceNormal = Vec3{0.0f, 0.0f, 0.0f};
    for (int j = 0; j < 4; j++) top[j] = t[j];
    p->group = Bytes_LoadU32(q);
    r->p = q + 4;
    return p->group < MODEL3_GROUPS;
  }
#endif
  u32 t0 = top[0], t1 = top[1], t2 = top[2], t3 = top[3];
  for (int c = 0; c < n; c++) {
    u32 vertex, normal, color, uv;
    if (wide) {
      vertex = Bytes_LoadU32(q);
      normal = Bytes_LoadU32(q + 4);
      color = Bytes_LoadU32(q + 8);
      uv = Bytes_LoadU32(q + 12);
      q += 16;
    } else {
      vertex = Bytes_LoadU16(q);
      normal = Bytes_LoadU16(q + 2);
      color = Bytes_LoadU16(q + 4);
      uv = Bytes_LoadU16(q + 6);
      q += 8;
    }
    if (vertex >= limit || normal >= limit || color >= limit || uv >= limit) return false;
    t0 = Above(t0, vertex);
    t1 = Above(t1, normal);
    t2 = Above(t2, color);
    t3 = Above(t3, uv);
    p->corners[c] = PolyCorner{vertex, normal, color, uv};
  }
  for (int c = n; c < 4; c++) p->corners[c] = PolyCorner{0, 0, 0, 0};
  p->faceNormal = Vec3{0.0f, 0.0f, 0.0f};
  top[0] = t0;
  top[1] = t1;
  top[2] = t2;
  top[3] = t3;
  p->group = Bytes_LoadU32(q);
  r->p = q + 4;
  return p->group < MODEL3_GROUPS;
}

// The four vertex array counts; false (after the refusal text when a count is too large) when
// they cannot be read or are out of range. *need is the bytes of the five arrays.
static bool ReadVertexCounts(KzpRead *k, ByteReader *r, const KzpLayout *L, i32 counts[4], u64 *need) {
  for (int i = 0; i < 4; i++) counts[i] = ReadCount(r, L->wideCounts);
  if (r->err) return false;
  i32 P = counts[0], N = counts[1], C = counts[2], U = counts[3];
  if (P < 0 || N < 0 || C < 0 || U < 0) return false;
  static const char *const kArrays[4] = {"頂点", "法線", "頂点カラー", "UV"};
  for (int i = 0; i < 4; i++)
    if ((u32)counts[i] > g_MaxVertices) return TooMany(k, kArrays[i], counts[i], g_MaxVertices);
  *need = (u64)P * 12 + (u64)N * 12 + (u64)C * 16 + (u64)U * 8 + (u64)P * 12;
  return true;
}

static u64 MinPolygonBytes(const KzpLayout *L) { return L->widePolygons ? 5 : 9; }

// Every binding must name bones inside the model's table.
static bool BindingsInRange(const Model3 *m) {
  for (i32 i = 0; i < m->positionCount; i++) {
    const VertexBinding *b = &m->bindings[i];
    if (b->bone1 >= MODEL3_BONES || b->bone2 >= MODEL3_BONES) return false;
  }
  return true;
}

// The polygon count F read, with `left` bytes after it: checked against its limit and against
// the smallest records that could follow, and the polygon array sized for it (its new
// records left unset: ReadPolygon writes all of each).
static bool BeginPolygons(KzpRead *k, Model3 *m, i32 F, u64 left, const KzpLayout *L) {
  if ((u32)F > g_MaxPolygons) return TooMany(k, "ポリゴン", F, g_MaxPolygons);
  if ((u64)F * MinPolygonBytes(L) > left) return false;
  if (!Model3_ReservePolygonsToFill(m, F)) return false;
  if (!Model3_Reserve(m, m->positionCount, m->normalCount, m->colorCount, m->uvCount, F)) return false;
  m->polygonCount = F;
  return true;
}

// A corner may name an entry past its array's count (a stale colour or UV index): give every
// array room up to the largest index read (top[]), zeroed, so nothing ever reads past it.
static bool EndPolygons(Model3 *m, const u32 top[4]) {
  i32 room[4] = {m->positionCount, m->normalCount, m->colorCount, m->uvCount};
  for (int j = 0; j < 4; j++)
    if ((i32)top[j] > room[j]) room[j] = (i32)top[j];
  return Model3_Reserve(m, room[0], room[1], room[2], room[3], m->polygonCount);
}

static bool ReadTextures(KzpRead *k, ByteReader *r, Model3 *m) {
  i16 T = Rd_I16(r);
  if (r->err || T < 0) return false;
  if (T > MODEL3_TEXTURES) return TooMany(k, "テクスチャ", T, MODEL3_TEXTURES);
  m->textureCount = T;
  char name[MODEL3_NAME];
  static_assert(sizeof name == DocRef_Size(DOCREF_KZP_TEXTURE), "the texture field's row: what a name read may hold");
  for (i32 i = 0; i < T; i++) {
    m->textures[i].used = Rd_U32(r);
    if (m->textures[i].used != 0) {
      if (!Rd_Name(r, name, sizeof name)) return false;
      if (!Model3_SetText(&m->textures[i].name, name)) return false;
    }
  }
  return !r->err;
}

static bool ReadGroups(KzpRead *k, ByteReader *r, Model3 *m) {
  i32 G = ReadLimitedCount(k, r, MODEL3_GROUPS, "グループ");
  if (r->err) return false;
  m->groupCount = G;
  for (i32 i = 0; i < G; i++) {
    Group3 *g = &m->groups[i];
    if (!Rd_Name(r, g->name, sizeof g->name)) return false;
    g->texture = Rd_U32(r);
    g->r = Rd_F32(r);
    g->g = Rd_F32(r);
    g->b = Rd_F32(r);
    g->a = Rd_F32(r);
    g->shading = Rd_U32(r);
    g->mapping = Rd_U8(r);
    g->offsetU = Rd_F32(r);
    g->offsetV = Rd_F32(r);
    g->scaleU = Rd_F32(r);
    g->scaleV = Rd_F32(r);
    g->word0 = Rd_U32(r);
    g->word1 = Rd_U32(r);
    g->mirror = Rd_U32(r);
    g->specular = Rd_U32(r);
    g->specR = Rd_U32(r);
    g->specG = Rd_U32(r);
    g->specB = Rd_U32(r);
  }
  return !r->err;
}

static bool ReadGroupKeys(KzpRead *k, ByteReader *r, Model3 *m, i32 mo) {
  for (i32 g = 0; g < m->groupCount; g++) {
    GroupKeyList3 *l = Model3_EnsureGroupKeys(m, mo, g);
    i32 K = ReadLimitedCount(k, r, MODEL3_GROUP_KEYS, "グループキー");
    if (!l || r->err) return false;
    l->count = K;
    if (!Rd_Run(r, l->keys, (u64)K, kGroupKeyFields)) return false;
  }
  return !r->err;
}

static bool ReadMotions(KzpRead *k, ByteReader *r, Model3 *m, bool withGroupKeys) {
  i32 M = ReadLimitedCount(k, r, MODEL3_MOTIONS, "モーション");
  if (r->err) return false;
  m->motionCount = M;
  for (i32 mo = 0; mo < M; mo++) {
    Motion3 *mot = &m->motions[mo];
    mot->used = Rd_U32(r);
    if (mot->used != 1) continue;
    if (withGroupKeys) {
      if (!ReadGroupKeys(k, r, m, mo)) return false;
    } else {
      for (i32 g = 0; g < m->groupCount; g++)
        if (!Model3_EnsureGroupKeys(m, mo, g)) return false;
    }
    if (!Rd_Name(r, mot->name, sizeof mot->name)) return false;
    mot->length = Rd_I32(r);
  }
  return !r->err;
}

// Notes in k when a key's values hold a NaN or an infinity, frames left out (a negative frame
// has the exponent bits set too).
static void NoteNonFinite(KzpRead *k, const BoneKey3 *keys, i32 n) {
  for (i32 i = 0; i < n; i++)
    if (!Finite_Words((const u8 *)&keys[i] + 4, 10)) k->keysNotFinite = true;
}

// Whether the frames of n keys (44-byte records from `words`, a frame first) ascend.
static inline bool FramesAscend(const u8 *words, i32 n) {
  i32 prev = 0;
  for (i32 i = 0; i < n; i++) {
    i32 frame;
    memcpy(&frame, words + (size_t)i * 44, 4);
    if (i > 0 && frame <= prev) return false;
    prev = frame;
  }
  return true;
}

// One track's keys, their values and frames checked while they are in the cache (the tracks
// are most of a file with motions): *ordered tells whether the frames ascend. A key table
// made for the file's counts has room already.
static bool ReadTrack(KzpRead *k, ByteReader *r, KeyTrack *t, bool *ordered) {
  i32 K = ReadLimitedCount(k, r, KEYTRACK_MAX_KEYS, "キー");
  if (r->err || !Rd_Need(r, (u64)K * 44)) return false;
  bool room = K <= t->capacity && (t->keys || K == 0);
  if (!room && !KeyTrack_Reserve(t, K)) return false;
  t->count = K;
  // The run is there (Rd_Need above). Its words are tested all together as they are copied,
  // frames included; only when one looks like a NaN or an infinity are the keys gone over one
  // by one. The frames are read from the file's bytes too (no store to them is pending).
  const u8 *words = r->p;
  r->p += (size_t)K * sizeof(BoneKey3);
#if BYTES_HOST_BIG_ENDIAN
  memcpy(t->keys, words, (size_t)K * sizeof(BoneKey3));
  Bytes_SwapFields((u8 *)t->keys, (u64)K, kBoneKeyFields);
  words = (const u8 *)t->keys;
  bool suspect = !Finite_Words(words, (size_t)K * 11);
#else
  bool suspect = !Finite_Words(words, (size_t)K * 11, (u8 *)t->keys);
#endif
  if (suspect) NoteNonFinite(k, t->keys, K);
  *ordered = FramesAscend(words, K);
  return true;
}

// The bone's key table with room for the keys of its tracks in one block: the key counts
// that follow are looked at first (nothing is consumed). When they do not all hold, a plain
// table is made and the track reader meets the fault where it stands. known: the counts when
// they were looked at already (the record is whole), else null.
static bool NewKeyTable(const ByteReader *r, Model3 *m, i32 b, const i32 *known) {
  if (known) {
    m->bones[b].keys = KeyTrack_NewTable(MODEL3_MOTIONS, known);
    return m->bones[b].keys != nullptr;
  }
  ByteReader scan = *r;
  i32 counts[MODEL3_MOTIONS] = {};
  for (i32 mo = 0; mo < m->motionCount; mo++) {
    counts[mo] = Rd_Count(&scan, KEYTRACK_MAX_KEYS);
    if (scan.err || !Rd_Skip(&scan, (u64)counts[mo] * sizeof(BoneKey3))) return Model3_EnsureKeyTable(m, b);
  }
  m->bones[b].keys = KeyTrack_NewTable(MODEL3_MOTIONS, counts);
  return m->bones[b].keys != nullptr;
}

// Keys of bone b's track for motion mo must ascend by frame (ordered: they do).
static bool TrackInOrder(KzpRead *k, const Model3 *m, i32 b, i32 mo, bool ordered) {
  if (ordered) return true;
  if (!k->refusal[0]) {
    char track[300];
    Str_Format(track, sizeof track, "ボーン %d「%s」", b, m->bones[b].name);
    Keys_FormatOrderRefusal(k->refusal, sizeof k->refusal, k->path, mo, m->motions[mo].name, track);
  }
  return false;
}

static bool ReadBoneCount(KzpRead *k, ByteReader *r, Model3 *m) {
  i32 B = ReadLimitedCount(k, r, MODEL3_BONES, "ボーン");
  if (r->err) return false;
  m->boneCount = B;
  return true;
}

// The key tracks of bone b when the whole record is in *r with these key counts and the
// bone's table was made for them (every track has its room): ReadTrack and TrackInOrder
// without the count and room checks, with their answers.
static bool ReadWholeTracks(KzpRead *k, ByteReader *r, Model3 *m, i32 b, const i32 *counts) {
  const u8 *p = r->p;
  KeyTrack *tracks = m->bones[b].keys;
  for (i32 mo = 0; mo < m->motionCount; mo++) {
    i32 K = counts[mo];
    p += 4;
    KeyTrack *t = &tracks[mo];
    t->count = K;
    if (!Finite_Words(p, (size_t)K * 11, (u8 *)t->keys)) NoteNonFinite(k, t->keys, K);
    if (!TrackInOrder(k, m, b, mo, FramesAscend(p, K))) return false;
    p += (size_t)K * sizeof(BoneKey3);
  }
  r->p = p;
  return true;
}

// Bone b: name, parent, rest and one key track per motion (counts: its key counts when known
// to hold, see NewKeyTable).
static bool ReadBone(KzpRead *k, ByteReader *r, Model3 *m, i32 b, const i32 *counts = nullptr) {
  Bone3 *bone = &m->bones[b];
  if (!Rd_Name(r, bone->name, sizeof bone->name)) return false;
  bone->parent = Rd_I32(r);
  if (bone->parent < 0 || bone->parent >= MODEL3_BONES) return false;
  BoneKey3 *rest = &m->boneRest[b];
  for (int i = 0; i < 3; i++) rest->pos[i] = Rd_F32(r);
  for (int i = 0; i < 4; i++) rest->quat[i] = Rd_F32(r);
  for (int i = 0; i < 3; i++) rest->scale[i] = Rd_F32(r);
  bool fresh = !bone->keys;
  if (fresh && !NewKeyTable(r, m, b, counts)) return false;
#if !BYTES_HOST_BIG_ENDIAN
  if (fresh && counts && !r->err) return ReadWholeTracks(k, r, m, b, counts);
#endif
  for (i32 mo = 0; mo < m->motionCount; mo++) {
    bool ordered;
    if (!ReadTrack(k, r, &bone->keys[mo], &ordered) || !TrackInOrder(k, m, b, mo, ordered)) return false;
  }
  return !r->err;
}

static bool ReadBones(KzpRead *k, ByteReader *r, Model3 *m) {
  if (!ReadBoneCount(k, r, m)) return false;
  for (i32 b = 0; b < m->boneCount; b++)
    if (!ReadBone(k, r, m, b)) return false;
  m->keyTableLength = m->motionCount;
  return !r->err;
}

// 2004002: one key count per bone and motion; no key values, names or parents.
static bool ReadBoneCounts2004(KzpRead *k, ByteReader *r, Model3 *m) {
  i32 B = ReadLimitedCount(k, r, MODEL3_BONES, "ボーン");
  if (r->err) return false;
  m->boneCount = B;
  for (i32 b = 0; b < B; b++) {
    if (!Model3_EnsureKeyTable(m, b)) return false;
    for (i32 mo = 0; mo < m->motionCount; mo++) {
      i32 K = ReadLimitedCount(k, r, KEYTRACK_MAX_KEYS, "キー");
      if (r->err) return false;
      KeyTrack *t = &m->bones[b].keys[mo];
      if (!t->keys) {
        if (!KeyTrack_Reserve(t, K > 0 ? K : 1)) return false;
        BoneKey3_Identity(&t->keys[0], 0);
      }
      t->count = K > 1 ? 1 : K;   // only the single identity key survives from these files
    }
  }
  return !r->err;
}

// What follows the polygons up to the bones: textures, groups, settings, motions.
static bool ParseBeforeBones(KzpRead *k, Model3 *m, ByteReader *r, const KzpLayout *L) {
  if (!ReadTextures(k, r, m)) return false;
  if (L->displacement) {
    m->dispTexture = Rd_I16(r);
    m->dispScale = Rd_F32(r);
    if (r->err || m->dispTexture < 0 || m->dispTexture >= MODEL3_TEXTURES) return false;
  }
  if (!ReadGroups(k, r, m)) return false;
  m->lighting = Rd_U32(r);
  m->vertexColorMode = Rd_U32(r);
  m->immediate = Rd_U32(r);
  m->normalOffset = Rd_F32(r);
  if (L->displacement) m->refineLevel = Rd_I16(r);
  if (r->err) return false;
  return !L->motions || ReadMotions(k, r, m, L->motions == 2);
}

static void AfterBones(Model3 *m) {
  if (m->dispTexture > 0) Model3_SetRenderMode(m, 7);
}

// [SECTION] The body, through the block

// The header, the vertex counts and the five vertex arrays, which go from the block (or the
// file) straight into the new model's arrays.
static bool ReadHead(KzpRead *k, Model3 *m, KzpLayout *L) {
  if (!Block_Top(k)) return false;
  ByteReader r;
  Rd_Init(&r, k->data, k->have);
  u8 magic[3];
  Rd_Bytes(&r, magic, 3);
  i32 version = Rd_I32(&r);
  if (r.err || memcmp(magic, "KZP", 3) != 0) return false;
  switch (version) {
    case KZP_VERSION_2006: *L = kLayout2006; break;
    case KZP_VERSION_2005: *L = kLayout2005; break;
    case KZP_VERSION_2004: *L = kLayout2004; break;
    default: return false;
  }
  m->version = (u32)version;
  i32 counts[4];
  u64 need = 0;
  if (!ReadVertexCounts(k, &r, L, counts, &need)) return false;
  k->data = r.p;
  k->have = Rd_Remaining(&r);
  // The data must be there before anything is allocated for it.
  if (need > k->have + k->left) return false;
  if (!Model3_ReserveToFill(m, counts[0], counts[1], counts[2], counts[3])) return false;
  m->positionCount = counts[0];
  m->normalCount = counts[1];
  m->colorCount = counts[2];
  m->uvCount = counts[3];
  if (!Block_Copy(k, m->positions, (u64)counts[0] * sizeof(Vec3)) ||
      !Block_Copy(k, m->normals, (u64)counts[1] * sizeof(Vec3)) ||
      !Block_Copy(k, m->colors, (u64)counts[2] * sizeof(Color4)) ||
      !Block_Copy(k, m->uvs, (u64)counts[3] * sizeof(Vec2)) ||
      !Block_Copy(k, m->bindings, (u64)counts[0] * sizeof(VertexBinding)))
    return false;
#if BYTES_HOST_BIG_ENDIAN
  Bytes_SwapFields((u8 *)m->positions, (u64)counts[0], kVec3Fields);
  Bytes_SwapFields((u8 *)m->normals, (u64)counts[1], kVec3Fields);
  Bytes_SwapFields((u8 *)m->colors, (u64)counts[2], kColorFields);
  Bytes_SwapFields((u8 *)m->uvs, (u64)counts[3], kUVFields);
  Bytes_SwapFields((u8 *)m->bindings, (u64)counts[0], kBindingFields);
#endif
  return BindingsInRange(m);
}

// The polygon count and records from the block, a record being parsed only when all of it
// is in the block or the file has nothing more to give. With k->normals the face and vertex
// normals are made as the records come (the positions are read by then), so the records are
// not gone over a second time.
static bool StreamPolygons(KzpRead *k, Model3 *m, const KzpLayout *L) {
  MeshNormalSums sums;
  if (k->normals && !Mesh_NormalSumsBegin(&sums, m->positionCount)) return false;
  if (k->have < kMaxPolygonRecord && !Block_Fill(k)) return false;
  ByteReader r;
  Rd_Init(&r, k->data, k->have);
  // The polygon count is a u16 in every version; the whole value is the model's count.
  i32 F = Rd_U16(&r);
  if (r.err || !BeginPolygons(k, m, F, Rd_Remaining(&r) + k->left, L)) return false;
  u32 top[4] = {0, 0, 0, 0};
  const bool wide = L->widePolygons;
  for (i32 i = 0; i < F;) {
    if (Rd_Remaining(&r) < kMaxPolygonRecord && k->left > 0) {
      k->data = r.p;
      k->have = Rd_Remaining(&r);
      if (!Block_Fill(k)) return false;
      Rd_Init(&r, k->data, k->have);
    }
    i32 first = i;
    for (; i < F && Rd_Remaining(&r) >= kMaxPolygonRecord; i++)
      if (!ReadPolygon<true>(k, &r, &m->polygons[i], wide, top)) return false;
    for (; i < F && Rd_Remaining(&r) < kMaxPolygonRecord && k->left == 0; i++)
      if (!ReadPolygon(k, &r, &m->polygons[i], wide, top) || r.err) return false;
    if (k->normals) Mesh_NormalSumsAdd(&sums, m->polygons + first, i - first, m->positions);
  }
  k->data = r.p;
  k->have = Rd_Remaining(&r);
  if (!EndPolygons(m, top)) return false;
  if (k->normals) Mesh_NormalSumsFinish(&sums, m);
  return true;
}

// What follows the polygons, parsed from one cursor over the rest of the file.
static bool ReadAfterPolygons(KzpRead *k, Model3 *m, const KzpLayout *L) {
  ByteReader r;
  u8 *owned;
  if (!Block_TakeRest(k, &r, &owned)) return false;
  bool ok = ParseBeforeBones(k, m, &r, L) && (L->fullBones ? ReadBones(k, &r, m) : ReadBoneCounts2004(k, &r, m));
  free(owned);
  if (ok) AfterBones(m);
  return ok;
}

// True when the whole of the next bone's record (name to its last key) is in *r, with its key
// counts in counts[] (MODEL3_MOTIONS of them, zero past the motions); nothing is consumed. A
// record that does not hold together is not "in" either.
static bool BoneInReader(const ByteReader *r, i32 motions, i32 *counts) {
  ByteReader scan = *r;
  char name[sizeof(((Bone3 *)nullptr)->name)];
  Rd_Name(&scan, name, sizeof name);
  Rd_Skip(&scan, 4 + 10 * 4);
  if (scan.err || motions < 0 || motions > MODEL3_MOTIONS) return false;
  memset(counts + motions, 0, (size_t)(MODEL3_MOTIONS - motions) * sizeof(i32));
  // Each count's place follows from the one before, so every step would wait for the count
  // before it. The tracks of a bone mostly hold as many keys as the one before: the next place
  // is worked out from that count first and again only when the count read differs, so the
  // processor runs ahead while the count comes. The lines a few tracks on are fetched meanwhile.
  const u8 *p = scan.p;
  i32 last = 0;
  for (i32 mo = 0; mo < motions; mo++) {
    __builtin_prefetch((const void *)((uintptr_t)p + 512));
    if (scan.end - p < 4) return false;
    // Both are hidden from the compiler, which would otherwise take them from the count read
    // (equal to `last` on the usual path) and so wait for it again.
    size_t step = 4 + (size_t)last * 44;
    i32 guess = last;
    __asm__("" : "+r"(step), "+r"(guess));
    i32 n = (i32)Bytes_LoadU32(p);
    if (n != guess) {
      if (n < 0 || n > KEYTRACK_MAX_KEYS) return false;
      last = n;
      step = 4 + (size_t)n * 44;
    }
    if ((size_t)(scan.end - p) < step) return false;
    counts[mo] = n;
    p += step;
  }
  return true;
}

// The bones from `first` on, parsed from one cursor over the rest (a bone larger than the block).
static bool ReadBonesFrom(KzpRead *k, Model3 *m, i32 first) {
  ByteReader r;
  u8 *owned;
  bool ok = Block_TakeRest(k, &r, &owned);
  for (i32 bone = first; ok && bone < m->boneCount; bone++) ok = ReadBone(k, &r, m, bone);
  free(owned);
  return ok;
}

// What follows the polygons, through the block as well: the part before the bones and then
// each bone are parsed once the whole of it is in the block (mostly the key tracks, so they
// come to the key tables from the cache). A part larger than the block goes through one
// cursor over the rest instead, parsed by the same functions, so the answer and its message
// are the same. A file in memory is all in the block.
static bool StreamAfterPolygons(KzpRead *k, Model3 *m, const KzpLayout *L) {
  if (!L->fullBones || k->left == 0) return ReadAfterPolygons(k, m, L);
  if (!Block_Top(k)) return false;
  ByteReader r;
  Rd_Init(&r, k->data, k->have);
  if (!ParseBeforeBones(k, m, &r, L) || !ReadBoneCount(k, &r, m)) {
    // Nothing is taken from the block until here: parsed again from one cursor, the same
    // fields are written again.
    if (k->refusal[0] || k->left == 0) return false;
    return ReadAfterPolygons(k, m, L);
  }
  bool ok = true;
  i32 counts[MODEL3_MOTIONS];
  for (i32 bone = 0; ok && bone < m->boneCount; bone++) {
    bool whole = BoneInReader(&r, m->motionCount, counts);
    if (!whole && k->left > 0) {
      k->data = r.p;
      k->have = Rd_Remaining(&r);
      if (!Block_Top(k)) return false;
      Rd_Init(&r, k->data, k->have);
      whole = BoneInReader(&r, m->motionCount, counts);
      if (!whole && k->left > 0) {
        ok = ReadBonesFrom(k, m, bone);
        break;
      }
    }
    ok = ReadBone(k, &r, m, bone, whole ? counts : nullptr);
  }
  if (!ok) return false;
  m->keyTableLength = m->motionCount;
  AfterBones(m);
  return true;
}

// The whole file from its start into m, a fresh model. False when it is not a body version,
// is damaged or breaks a limit (k->refusal then says which, when it can).
static bool ReadBody(KzpRead *k, Model3 *m) {
  KzpLayout L;
  if (!(ReadHead(k, m, &L) && StreamPolygons(k, m, &L) && StreamAfterPolygons(k, m, &L))) return false;
  // The keys read were checked as they came (any other track holds identity keys); the rest
  // of the model is checked here, without going over the tracks again.
  i32 tracks = m->keyTableLength;
  m->keyTableLength = 0;
  bool finite = !k->keysNotFinite && Finite_Model3(m);
  m->keyTableLength = tracks;
  if (finite) return true;
  Str_Format(k->refusal, sizeof k->refusal, kKzMsgNotFinite, k->path);
  return false;
}

bool Kzp_ParseBody(Model3 *m, const u8 *data, size_t size) {
  if (!m) return false;
  KzpRead k;
  KzpRead_FromMemory(&k, data, size, "");
  return ReadBody(&k, m);
}

// [SECTION] Reading entries

static bool IsBodyVersion(i32 v) { return v == KZP_VERSION_2004 || v == KZP_VERSION_2005 || v == KZP_VERSION_2006; }

// The body of the read as a new model: null with the refusal in *res.
static Model3 *ReadNewModel(KzpRead *k, ModelResult *res) {
  Model3 *m = Model3_New();
  if (m && ReadBody(k, m)) return m;
  Model3_Free(m);
  Refused(k, res);
  return nullptr;
}

bool Kz_ReadHeader(const u8 *data, size_t size, const char magic[3], i32 *version) {
  ByteReader r;
  Rd_Init(&r, data, size);
  u8 got[3] = {0, 0, 0};
  Rd_Bytes(&r, got, 3);
  *version = Rd_I32(&r);
  return !r.err && memcmp(got, magic, 3) == 0;
}

const char *Kz_HeaderRefusal(const u8 *data, size_t size, const char magic[3], i32 version,
                             const KzHeaderTexts *texts) {
  return Kz_HeaderRefusalOf(data, size, magic, &version, 1, texts);
}

const char *Kz_HeaderRefusalOf(const u8 *data, size_t size, const char magic[3], const i32 *accepted,
                               int count, const KzHeaderTexts *texts) {
  i32 got = 0;
  if (!Kz_ReadHeader(data, size, magic, &got)) {
    bool rightMagic = size >= 3 && memcmp(data, magic, 3) == 0;
    return rightMagic && texts->broken ? texts->broken : texts->notFormat;
  }
  if (got > accepted[count - 1]) return texts->tooNew;
  for (int i = 0; i < count; i++)
    if (got == accepted[i]) return nullptr;
  return texts->tooOld;
}

// The refusals of a slot read that come before the file is parsed; true when none applies.
static bool SlotRequestAccepted(i32 slot, i32 version, const char *path, ModelResult *res) {
  if (slot < 0 || slot >= MODEL3_SLOTS) return ModelResult_Refusef(res, "Model3_Init(%d) 最大数を超えました。", slot);
  if (!path || !path[0]) return ModelResult_Refuse(res, "ファイル名が指定されていません。");
  if (version >= KZP_VERSION_2006 + 1) return ModelResult_Refusef(res, kMsgTooNew, path);
  // Older versions and unlisted ones in between have no body reader.
  if (!IsBodyVersion(version)) return ModelResult_Refusef(res, kMsgSupported, path);
  return true;
}

// Puts a freshly read model into the slot with its textures and update flags; its normals
// are computed unless the reader made them (normalsMade).
static void InstallInSlot(i32 slot, Model3 *m, const char *path, bool normalsMade) {
  Model3_SetText(&m->fileName, path);
  if (!DocRef_Folder(path, m->textureFolder, sizeof m->textureFolder)) m->textureFolder[0] = 0;
  m->displayMode = 2;
  Model3_ReplaceSlot(slot, m);
  if (normalsMade) Model3_ReindexNormals(m);
  else Model3_AfterRead(m);
  for (i32 i = 0; i < m->textureCount; i++)
    if (m->textures[i].used == 1 && g_Seam.model3TextureLoad) g_Seam.model3TextureLoad(slot, i, m->textures[i].name);
  if ((m->boneCount > 2 || m->motionCount > 1) && m->bones[1].keys && m->motionCount > 0 &&
      m->bones[1].keys[0].count > 1)
    m->poseUpdate = 1;
  m->normalUpdate = 1;
}

// The body of the started file read into the slot (its normals made as the polygons come).
static bool ReadStartedIntoSlot(i32 slot, KzpRead *k, const char *path, ModelResult *res) {
  k->normals = true;
  Model3 *m = ReadNewModel(k, res);
  KzpRead_End(k);
  if (!m) return false;
  InstallInSlot(slot, m, path, true);
  ModelResult_Accept(res);
  return true;
}

bool Kzp_ReadIntoSlot(i32 slot, i32 version, const char *path, ModelResult *res) {
  if (!SlotRequestAccepted(slot, version, path, res)) return false;
  FILE *f = fopen(path, "rb");
  if (!f) return ModelResult_Refusef(res, kKzMsgCannotOpen, path);
  KzpRead k;
  bool ok = KzpRead_FromFile(&k, f, path) ? ReadStartedIntoSlot(slot, &k, path, res)
                                          : ModelResult_Refusef(res, kKzMsgCannotOpen, path);
  KzpRead_End(&k);
  fclose(f);
  return ok;
}

bool Kzp_OpenIntoSlot(i32 slot, FILE *f, const char *path, ModelResult *res) {
  KzpRead k;
  bool started = KzpRead_FromFile(&k, f, path) && Block_Top(&k);
  if (!started) {
    KzpRead_End(&k);
    return ModelResult_Refusef(res, kKzMsgCannotOpen, path);
  }
  i32 version = 0;
  Kz_ReadHeader(k.data, k.have, "KZP", &version);   // 0 when the file ends inside the header
  bool ok;
  if (!(k.have >= 3 && memcmp(k.data, "KZP", 3) == 0)) ok = ModelResult_Refusef(res, kMsgNotKzp, path);
  else if (k.have < 7) ok = ModelResult_Refusef(res, kKzMsgBroken, path);   // it ends inside its version
  else ok = SlotRequestAccepted(slot, version, path, res) && ReadStartedIntoSlot(slot, &k, path, res);
  KzpRead_End(&k);
  return ok;
}

bool Kzp_ReadIntoSlotFromData(i32 slot, i32 version, const char *path, const u8 *data, size_t size,
                              ModelResult *res) {
  if (!SlotRequestAccepted(slot, version, path, res)) return false;
  KzpRead k;
  KzpRead_FromMemory(&k, data, size, path);
  Model3 *m = ReadNewModel(&k, res);
  if (!m) return false;
  InstallInSlot(slot, m, path, false);
  ModelResult_Accept(res);
  return true;
}

// The object-part version rules on a file's header; false when the version has a body to
// parse, otherwise *result is the answer (an empty model, or null with the refusal in *res).
static bool PartVersionDecided(const u8 *data, size_t size, const char *path, Model3 **result, ModelResult *res) {
  *result = nullptr;
  i32 version = 0;
  if (!Kz_ReadHeader(data, size, "KZP", &version)) {
    // The magic with the file ending inside the version number is a damaged KZP file.
    ModelResult_Refusef(res, size >= 3 && memcmp(data, "KZP", 3) == 0 ? kKzMsgBroken : kMsgNotKzp, path);
    return true;
  }
  if (version <= 2003029) return !ModelResult_Refusef(res, kMsgTooOld, path);
  if (version == 2003030) {
    *result = Model3_New();   // no body this reader knows: an empty model
    return true;
  }
  if (version == 2004000 || version == 2004001) return !ModelResult_Refusef(res, kMsgDevelopment, path, version * 0.001);
  if (version >= KZP_VERSION_2006 + 1) return !ModelResult_Refusef(res, kMsgTooNew, path);
  if (!IsBodyVersion(version)) return !ModelResult_Refusef(res, kMsgSupported, path);
  return false;
}

Model3 *Kzp_ReadPartModel(const char *path, ModelResult *res) {
  if (!path || !path[0]) {
    ModelResult_Refuse(res, "ファイル名が指定されていません。");
    return nullptr;
  }
  FILE *f = fopen(path, "rb");
  KzpRead k;
  if (!f || !KzpRead_FromFile(&k, f, path) || !Block_Top(&k)) {
    if (f) {
      KzpRead_End(&k);
      fclose(f);
    }
    ModelResult_Refusef(res, kKzMsgCannotOpen, path);
    return nullptr;
  }
  Model3 *m = nullptr;
  if (!PartVersionDecided(k.data, k.have, path, &m, res)) m = ReadNewModel(&k, res);
  KzpRead_End(&k);
  fclose(f);
  if (m && !DocRef_Folder(path, m->textureFolder, sizeof m->textureFolder)) m->textureFolder[0] = 0;
  if (m) ModelResult_Accept(res);
  return m;
}

bool Kzp_ReadIntoObjectPart(i32 n, i32 p, const char *path, ModelResult *res) {
  if (n < 0 || n >= OBJ3_SETS || p < 0 || p >= OBJ3_PARTS)
    return ModelResult_Refusef(res, "Kzp_ReadIntoObjectPart(%d, %d) 最大数を超えました。", n, p);
  // A path the set cannot keep is refused before anything is read.
  char folder[MODEL3_NAME], kept[MODEL3_NAME];
  Str_Copy(folder, sizeof folder, g_Obj3Sets[n] ? g_Obj3Sets[n]->folder : "");
  if (path && path[0] && !DocRef_Choose(folder, sizeof folder, path, kept, sizeof kept))
    return ModelResult_Refusef(res, kDocRefMsgTooLong, path);
  Model3 *m = Kzp_ReadPartModel(path, res);
  if (!m) return false;
  // A part that cannot be placed has nothing more to say.
  return Kzo_InstallPartModel(n, p, m, path) || ModelResult_Refuse(res, "");
}
