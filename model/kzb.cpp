// KZB file reader and writer for 2D bone models.
//
// Layout (little-endian): "KZB", i32 version; u16 vertex, colour and UV counts; positions,
// colours, UVs and bindings; u16 polygon count and polygons (each: u32 in-use flag, u8 corner
// count k, k corner blocks of 16 bytes, u32 group); u16 texture count and textures; i32 group
// count and groups; four model words; i32 motion count and motions; i32 bone count and bones
// with their rest transforms and per-motion key tracks.
//
// A corner block c holds bytes 6 + 6c .. 21 + 6c of the 36-byte polygon image: its own corner
// followed by whatever the image holds after it (zeros past the image's end). Files depend
// on those extra bytes being there; readers use only the first 6.
//
// Reading is all-or-nothing: the file is parsed into a new model and stored into the slot
// only when every field was read and every count fits.
#include "model/kzb.h"

#include <stdlib.h>
#include <string.h>

#include "model/bytes.h"
#include "model/docref.h"
#include "model/finite.h"
#include "model/keytrack.h"
#include "model/kz2.h"
#include "model/seam.h"
#include "model/seam_timer.h"
#include "model/str.h"

static const char *const kMsgNotKzb = "%s は、ＫＺＢ形式ではありません。";
static const char *const kMsgOld = "ＫＺＢ形式のバージョンが古いので\n読み込むことができません。\n\n%s";
static const char *const kMsgNew =
    "ＫＺＢ形式のバージョンが新しいので\n読み込むことができません。\n最新版へバージョンアップして下さい。\n\n%s";
static const char *const kMsgBadIndex = "%s は、%sの番号 (%d) が範囲外なので\n読み込むことができません。";

// 2004001..2004019 match neither layout: refused like an older file.
static const i32 kVersions[] = {2004000, 2004020};
static const Kz2Format kFormat = {"KZB", kVersions, (int)(sizeof kVersions / sizeof kVersions[0]),
                                  kMsgNotKzb, kMsgOld, kMsgNew, "Kzb_Read", BONE2_SLOTS};

// Field layouts of the vertex arrays, which the file stores as runs (see Rd_Run): the records
// in memory have exactly these layouts.
static const char kPointFields[] = "44";   // Bone2Point and Bone2UV
static const char kColourFields[] = "4444";
static const char kBindingFields[] = "2244";
static const char kKeyFields[] = "444444";   // BoneKey2: frame, x, y, angle, scaleX, scaleY
static_assert(sizeof(Bone2Point) == 8 && sizeof(Bone2UV) == 8 && sizeof(Bone2Colour) == 16 &&
                  sizeof(VertexBinding) == 12 && sizeof(BoneKey2) == 24,
              "vertex and key records");

// [SECTION] reading

struct KzbParse {
  Kz2Read in;
  Bone2Model *m;
};

static bool Fail(KzbParse *p) { return Kz2_Broken(&p->in); }

static bool BadIndex(KzbParse *p, const char *what, i32 n) {
  Kz2Read *in = &p->in;
  if (!in->err[0]) Str_Format(in->err, in->errSize, kMsgBadIndex, in->path, what, n);
  return false;
}

static bool ReadName(KzbParse *p, char *field, bool clearField) { return Kz2_ReadName(&p->in, field, clearField, nullptr); }

// Room for n entries of `size` bytes: exact arrays (at least one entry) for a model made
// without full arrays, the existing capacity otherwise.
static bool Room(KzbParse *p, void **array, i32 *capacity, i32 n, size_t size, const char *what) {
  if (*array) return n <= *capacity ? true : Kz2_TooMany(&p->in, what, n, *capacity);
  // Refuse a count the rest of the file cannot hold before allocating for it.
  if (!Rd_Need(&p->in.r, (u64)n * 2)) return Fail(p);
  i32 cap = n > 0 ? n : 1;
  *array = calloc((size_t)cap, size);
  if (!*array) return Fail(p);
  *capacity = cap;
  return true;
}

static bool ReadVertices(KzbParse *p) {
  Bone2Model *m = p->m;
  ByteReader *r = &p->in.r;
  i32 nv = Rd_U16(r), nc = Rd_U16(r), nu = Rd_U16(r);
  if (r->err) return Fail(p);
  i32 ncap = m->vertexCapacity;
  if (!Room(p, (void **)&m->positions, &ncap, nv, sizeof(Bone2Point), "頂点")) return false;
  if (!Room(p, (void **)&m->bindings, &ncap, nv, sizeof(VertexBinding), "頂点")) return false;
  m->vertexCapacity = ncap;
  if (!Room(p, (void **)&m->colours, &m->colourCapacity, nc, sizeof(Bone2Colour), "頂点カラー")) return false;
  if (!Room(p, (void **)&m->uvs, &m->uvCapacity, nu, sizeof(Bone2UV), "UV")) return false;
  m->vertexCount = (u16)nv;
  m->colourCount = (u16)nc;
  m->uvCount = (u16)nu;
  Rd_Run(r, m->positions, (u64)nv, kPointFields);
  Rd_Run(r, m->colours, (u64)nc, kColourFields);
  Rd_Run(r, m->uvs, (u64)nu, kPointFields);
  Rd_Run(r, m->bindings, (u64)nv, kBindingFields);
  return r->err ? Fail(p) : true;
}

// An index of a corner must name an entry of its array; arrays always hold at least one entry.
static bool CornerIndexOk(i32 index, i32 count) { return index < (count > 0 ? count : 1); }

static bool ReadPolygons(KzbParse *p) {
  Bone2Model *m = p->m;
  ByteReader *r = &p->in.r;
  i32 np = Rd_U16(r);
  if (r->err) return Fail(p);
  if (!Room(p, (void **)&m->polygons, &m->polygonCapacity, np, sizeof(Polygon2), "ポリゴン")) return false;
  for (i32 i = 0; i < np; i++) {
    Polygon2 *poly = &m->polygons[i];
    memset(poly, 0, sizeof *poly);
    poly->used = Rd_U32(r);
    i32 k = Rd_U8(r);
    if (r->err) return Fail(p);
    if (k > 4) return Kz2_TooMany(&p->in, "ポリゴンの角", k, 4);
    poly->cornerCount = (u8)k;
    for (i32 c = 0; c < k; c++) {
      Corner2 *corner = &poly->corners[c];
      corner->vertex = Rd_U16(r);
      corner->colour = Rd_U16(r);
      corner->uv = Rd_U16(r);
      Rd_Skip(r, 10);   // the rest of the image repeated after the corner
      if (r->err) return Fail(p);
      if (!poly->used) continue;   // the drawer skips unused polygons
      if (!CornerIndexOk(corner->vertex, m->vertexCount)) return BadIndex(p, "頂点", corner->vertex);
      if (!CornerIndexOk(corner->colour, m->colourCount)) return BadIndex(p, "頂点カラー", corner->colour);
      if (!CornerIndexOk(corner->uv, m->uvCount)) return BadIndex(p, "UV", corner->uv);
    }
    poly->group = Rd_U32(r);
  }
  if (r->err) return Fail(p);
  m->polygonCount = np;
  // Skinned positions come after the polygons, sized like the positions.
  if (!m->skinned) {
    m->skinned = (Bone2Point *)calloc((size_t)m->vertexCapacity, sizeof(Bone2Point));
    if (!m->skinned) return Fail(p);
  }
  return true;
}

static bool ReadTexturesAndGroups(KzbParse *p) {
  Bone2Model *m = p->m;
  ByteReader *r = &p->in.r;
  i32 nt = Rd_U16(r);
  if (r->err) return Fail(p);
  if (nt > BONE2_MAX_TEXTURES) return Kz2_TooMany(&p->in, "テクスチャ", nt, BONE2_MAX_TEXTURES);
  m->textureCount = nt;
  for (i32 i = 0; i < nt; i++) {
    Texture2 *t = &m->textures[i];
    t->used = Rd_U32(r);
    if (t->used == 1 && !ReadName(p, t->name, false)) return false;
  }
  i32 ng;
  if (!Kz2_ReadCount(&p->in, "グループ", BONE2_MAX_GROUPS, &ng)) return false;
  m->groupCount = ng;
  for (i32 i = 0; i < ng; i++) {
    Group2 *g = &m->groups[i];
    if (!ReadName(p, g->name, false)) return false;
    g->texture = Rd_I32(r);
    g->r = Rd_F32(r);
    g->g = Rd_F32(r);
    g->b = Rd_F32(r);
    g->a = Rd_F32(r);
    g->shadeMode = Rd_I32(r);
    g->mappingKind = Rd_U8(r);
    for (i32 k = 0; k < 5; k++) g->p[k] = Rd_F32(r);
    if (r->err) return Fail(p);
    // The drawer indexes the slot's 128 textures with it.
    if (g->texture < 0 || g->texture >= BONE2_MAX_TEXTURES) return BadIndex(p, "テクスチャ", g->texture);
  }
  m->lightingFlag = Rd_I32(r);
  m->vertexColourFlag = Rd_I32(r);
  m->reservedWord = Rd_I32(r);
  m->reservedFloat = Rd_F32(r);
  return r->err ? Fail(p) : true;
}

// An unused motion stores neither name nor length.
static bool ReadMotions(KzbParse *p) {
  return Kz2_ReadMotions(&p->in, p->m->motions, BONE2_MAX_MOTIONS, &p->m->motionCount, false, false);
}

static bool ReadKeys(KzbParse *p, i32 bone, i32 motion) {
  Bone2Model *m = p->m;
  ByteReader *r = &p->in.r;
  i32 nk = Kz2_ReadKeyCount(&p->in, 24);
  if (nk < 0) return false;
  Bone2Track *t = &m->bones[bone].keys[motion];
  // A track the reader creates holds exactly what the file has; a full one grows past 16.
  if (!Bone2Track_Reserve(t, nk)) return Fail(p);
  BoneKey2 *keys = t->keys;
  Rd_Run(r, keys, (u64)nk, kKeyFields);
  t->count = nk;
  if (r->err) return Fail(p);
  if (Keys_FirstOutOfOrder(keys, nk, sizeof(BoneKey2)) < 0) return true;
  return Kz2_KeysOutOfOrder(&p->in, "ボーン", bone, m->bones[bone].name, motion, m->motions[motion].name);
}

static bool ReadBones(KzbParse *p) {
  Bone2Model *m = p->m;
  ByteReader *r = &p->in.r;
  i32 nb;
  if (!Kz2_ReadCount(&p->in, "ボーン", BONE2_MAX_BONES, &nb)) return false;
  m->boneCount = nb;
  for (i32 b = 0; b < nb; b++) {
    Bone2 *bone = &m->bones[b];
    // 2004020 files store an empty bone name as empty; 2004000 ones keep the default name.
    if (!ReadName(p, bone->name, p->in.version == 2004020)) return false;
    bone->parent = Rd_I32(r);
    BoneKey2 *rest = &m->rest[b];
    rest->x = Rd_F32(r);
    rest->y = Rd_F32(r);
    rest->angle = Rd_F32(r);
    rest->scaleX = Rd_F32(r);
    rest->scaleY = Rd_F32(r);
    if (r->err) return Fail(p);
    if (!bone->keys && m->motionCount > 0) {
      bone->keys = (Bone2Track *)calloc((size_t)m->motionCount, sizeof(Bone2Track));
      if (!bone->keys) return Fail(p);
      if (m->keyTableLength < m->motionCount) m->keyTableLength = m->motionCount;
    }
    for (i32 mo = 0; mo < m->motionCount; mo++)
      if (!ReadKeys(p, b, mo)) return false;
  }
  return true;
}

Bone2Model *Kzb_Parse(const u8 *data, size_t size, const char *path, char *err, size_t errSize) {
  KzbParse p = {};
  if (!Kz2_Begin(&p.in, &kFormat, data, size, path, err, errSize)) return nullptr;
  p.m = Bone2_New();
  if (!p.m) {
    Fail(&p);
    return nullptr;
  }
  // Tables of a model made without full arrays are sized by the file as it is read.
  if (!p.m->bones[0].keys) p.m->keyTableLength = 0;
  p.m->version = p.in.version;
  // Tracks of a full model's motions that come into use get their identity key before the
  // file's keys replace them (bones the file does not list keep it).
  bool ok = ReadVertices(&p) && ReadPolygons(&p) && ReadTexturesAndGroups(&p) && ReadMotions(&p) &&
            (Bone2_FreshTracks(p.m) || Fail(&p)) && ReadBones(&p);
  if (ok && !Finite_Bone2(p.m)) ok = Kz2_NotFinite(&p.in);
  if (!ok) return Bone2_Free(p.m);
  return p.m;
}

i32 Kzb_Read(i32 slot, const char *path, ModelResult *res) {
  Bone2Model *m = Kz2_LoadParsed(&kFormat, slot, path, res, Kzb_Parse);
  if (!m) return 0;

  Bone2_Free(g_Bone2Slots[slot]);
  g_Bone2Slots[slot] = m;
  m->slot = slot;
  g_Bone2SlotShown[slot] = 1;
  Str_Copy(m->name, sizeof m->name, path);
  if (!DocRef_Folder(path, m->textureFolder, sizeof m->textureFolder)) m->textureFolder[0] = 0;
  m->displayMode = 2;
  for (i32 n = 0; n < m->textureCount && g_Seam.bone2TextureLoad; n++)
    if (m->textures[n].used == 1) g_Seam.bone2TextureLoad(slot, n, m->textures[n].name);
  Timer_Reset();
  return 1;
}

// [SECTION] writing

static bool CheckStorable(Bone2Model *m, char *err, size_t errSize) {
  i32 maxPolygons = m->polygonCapacity < 65535 ? m->polygonCapacity : 65535;
  const struct { const char *what; i32 n, max; } counts[] = {
      {"頂点", m->vertexCount, m->vertexCapacity},          {"頂点カラー", m->colourCount, m->colourCapacity},
      {"UV", m->uvCount, m->uvCapacity},                    {"ポリゴン", m->polygonCount, maxPolygons},
      {"テクスチャ", m->textureCount, BONE2_MAX_TEXTURES}, {"グループ", m->groupCount, BONE2_MAX_GROUPS},
      {"モーション", m->motionCount, BONE2_MAX_MOTIONS},   {"ボーン", m->boneCount, BONE2_MAX_BONES},
  };
  for (const auto &c : counts)
    if (!Kz2_CountFits(err, errSize, c.what, c.n, c.max)) return false;
  for (i32 i = 0; i < m->polygonCount; i++)
    if (!Kz2_CountFits(err, errSize, "ポリゴンの角", m->polygons[i].cornerCount, 4)) return false;
  return true;
}

static void WritePolygon(ByteWriter *w, const Polygon2 *poly) {
  // Corner blocks are 16-byte windows onto the polygon image, zero past its end. Corners past
  // the count are written as zeros: what an edit left there is no part of the polygon, and
  // the reader does not keep it (the file then saves the same after it is read back).
  Polygon2 clean = *poly;
  for (i32 c = poly->cornerCount; c < 4; c++) clean.corners[c] = Corner2{};
  u8 image[36 + 16] = {};
  Polygon2_ToImage(&clean, image);
  Wr_U32(w, poly->used);
  Wr_U8(w, poly->cornerCount);
  for (i32 c = 0; c < poly->cornerCount; c++) Wr_Bytes(w, image + 6 + 6 * c, 16);
  Wr_U32(w, poly->group);
}

// A bone's rest transform: the fields of a key after its frame.
static void WriteRest(ByteWriter *w, const BoneKey2 *r) {
  Wr_F32(w, r->x);
  Wr_F32(w, r->y);
  Wr_F32(w, r->angle);
  Wr_F32(w, r->scaleX);
  Wr_F32(w, r->scaleY);
}

bool Kzb_Build(Bone2Model *m, ByteWriter *w, char *err, size_t errSize) {
  err[0] = 0;
  if (!CheckStorable(m, err, errSize)) return false;
  m->version = g_Bone2.kzbVersion;
  Wr_Bytes(w, "KZB", 3);
  Wr_I32(w, m->version);
  Wr_U16(w, m->vertexCount);
  Wr_U16(w, m->colourCount);
  Wr_U16(w, m->uvCount);
  Wr_Run(w, m->positions, (u64)m->vertexCount, kPointFields);
  Wr_Run(w, m->colours, (u64)m->colourCount, kColourFields);
  Wr_Run(w, m->uvs, (u64)m->uvCount, kPointFields);
  Wr_Run(w, m->bindings, (u64)m->vertexCount, kBindingFields);
  Wr_U16(w, (u16)m->polygonCount);
  for (i32 i = 0; i < m->polygonCount; i++) WritePolygon(w, &m->polygons[i]);
  Wr_U16(w, (u16)m->textureCount);
  for (i32 i = 0; i < m->textureCount; i++) {
    Wr_U32(w, m->textures[i].used);
    if (m->textures[i].used == 1) Kz2_WriteName(w, m->textures[i].name);
  }
  Wr_I32(w, m->groupCount);
  for (i32 i = 0; i < m->groupCount; i++) {
    const Group2 *g = &m->groups[i];
    Kz2_WriteName(w, g->name);
    Wr_I32(w, g->texture);
    Wr_F32(w, g->r);
    Wr_F32(w, g->g);
    Wr_F32(w, g->b);
    Wr_F32(w, g->a);
    Wr_I32(w, g->shadeMode);
    Wr_U8(w, g->mappingKind);
    for (i32 k = 0; k < 5; k++) Wr_F32(w, g->p[k]);
  }
  Wr_I32(w, m->lightingFlag);
  Wr_I32(w, m->vertexColourFlag);
  Wr_I32(w, m->reservedWord);
  Wr_F32(w, m->reservedFloat);
  Kz2_WriteMotions(w, m->motions, m->motionCount, false);
  Wr_I32(w, m->boneCount);
  for (i32 b = 0; b < m->boneCount; b++) {
    const Bone2 *bone = &m->bones[b];
    const BoneKey2 *r = &m->rest[b];
    Kz2_WriteName(w, bone->name);
    Wr_I32(w, bone->parent);
    WriteRest(w, r);
    for (i32 mo = 0; mo < m->motionCount; mo++) {
      Bone2Track *t = Bone2_Track(m, b, mo);
      const BoneKey2 *keys = t ? t->keys : nullptr;
      i32 nk = t && keys ? t->count : 0;   // a bone without a track stores no keys
      Wr_I32(w, nk);
      if (nk > 0) Wr_Run(w, keys, (u64)nk, kKeyFields);
    }
  }
  return !w->err;
}

i32 Kzb_Write(i32 slot, const char *path, ModelResult *res) {
  if (slot < 0 || slot >= BONE2_SLOTS || !g_Bone2Slots[slot]) return 0;
  if (!Kz2_PathGiven(path, res)) return 0;   // as the other model writers say it
  Bone2Model *m = g_Bone2Slots[slot];
  // The texture names re-kept from the new folder; put back when the save fails.
  static_assert(sizeof m->textures[0].name == DocRef_Size(DOCREF_KZB_TEXTURE), "the texture field's row");
  static char s_Was[BONE2_MAX_TEXTURES][DocRef_Size(DOCREF_KZB_TEXTURE)];
  char folder[sizeof m->textureFolder];
  bool toFolder = DocRef_Folder(path, folder, sizeof folder);
  i32 lost = -1;   // the first texture whose name does not fit from the new folder
  for (i32 i = 0; i < m->textureCount && i < BONE2_MAX_TEXTURES; i++) {
    memcpy(s_Was[i], m->textures[i].name, sizeof s_Was[i]);
    if (toFolder && m->textures[i].used == 1 && lost < 0 &&
        !DocRef_Rebase(m->textureFolder, folder, m->textures[i].name, DocRef_Size(DOCREF_KZB_TEXTURE), nullptr, 0))
      lost = i;
  }
  ByteWriter w = {};
  char err[512] = "";
  bool built = lost < 0 && Kzb_Build(m, &w, err, sizeof err);
  if (lost >= 0) Str_Format(err, sizeof err, kDocRefMsgSaveTooLong, m->textures[lost].name);
  i32 ok = Kz2_Save(path, &w, built, err, sizeof err, res);
  for (i32 i = 0; !ok && i < m->textureCount && i < BONE2_MAX_TEXTURES; i++)
    memcpy(m->textures[i].name, s_Was[i], sizeof s_Was[i]);
  if (ok && toFolder) Str_Copy(m->textureFolder, sizeof m->textureFolder, folder);
  return ok;
}
