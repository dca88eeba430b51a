// modeldump FILE...: reads each model file the program reads, through the program's own
// readers (Model3_OpenFile, Kzo_Read), and prints one JSON object per file on stdout: counts,
// groups, textures, bones, motions and the bounding box of the stored positions (for object
// sets the same per part). KZV movies are printed from the parser alone (no actor file is
// loaded): every field of the scene, of each object and of each key. Collision sets (.kzc)
// print their fields as stored, without loading the models they name. A compiled script
// (Program.KZS) prints its version, variables and per block the statements: line, code, A,
// text and V. A 2D map (.map2) prints its version, tiles (flag and name), width, height and
// rows of cells. A refused file prints the program's message on stderr; the exit status is
// then 1. Names are printed as UTF-8. A motion file (.kzm) is read onto the 3D model named
// just before it (`modeldump model.kzp motions.kzm`), and that model is printed again with
// the file's motions and the KZM named as "file" (its "model" member names the model file).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "model/bytes.h"
#include "model/formats/kzm.h"
#include "model/kza.h"
#include "model/kzb.h"
#include "model/kzo.h"
#include "model/kzp.h"
#include "model/seam.h"
#include "model/seam_errorbox.h"
#include "scene/kzv.h"
#include "scene/kzc.h"
#include "scene/map2.h"
#include "scene/prog_kzs.h"
#include <unistd.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

// [SECTION] Text

static std::string Utf8(const char *cp932) {
  std::string in = cp932 ? cp932 : "";
  if (in.empty()) return in;
#ifdef _WIN32
  int wn = MultiByteToWideChar(932, 0, in.data(), (int)in.size(), nullptr, 0);
  std::wstring w((size_t)wn, L'\0');
  MultiByteToWideChar(932, 0, in.data(), (int)in.size(), &w[0], wn);
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), wn, nullptr, 0, nullptr, nullptr);
  std::string out((size_t)n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), wn, &out[0], n, nullptr, nullptr);
  return out;
#else
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == (iconv_t)-1) return in;
  std::string out(in.size() * 4 + 4, '\0');
  char *src = &in[0], *dst = &out[0];
  size_t left = in.size(), room = out.size();
  while (left > 0) {
    if (iconv(cd, &src, &left, &dst, &room) != (size_t)-1) break;
    // An invalid byte: keep a replacement character and go on.
    if (room < 3) break;
    memcpy(dst, "\xEF\xBF\xBD", 3);
    dst += 3;
    room -= 3;
    src++;
    left--;
  }
  iconv_close(cd);
  out.resize(out.size() - room);
  return out;
#endif
}

static std::string Json(const char *cp932) {
  std::string s = Utf8(cp932), out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += (char)c;
    } else if (c < 0x20) {
      char buf[8];
      snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += (char)c;
    }
  }
  return out + "\"";
}

static std::string Num(double v) {
  char buf[64];
  snprintf(buf, sizeof buf, "%.9g", v);
  return buf;
}

static void ErrorToStderr(const char *text) {
  fprintf(stderr, "%s\n", Utf8(text).c_str());
}

// [SECTION] Models

static i32 MotionKeys(const Model3 *m, i32 motion) {
  i32 keys = 0;
  for (i32 b = 0; b < m->boneCount && b < MODEL3_BONES; b++)
    if (m->bones[b].keys && motion < MODEL3_MOTIONS) keys += m->bones[b].keys[motion].count;
  return keys;
}

// Corners minus 2 summed over the polygons of three corners or more.
template <class Poly>
static i64 Triangles(const Poly *polys, i32 count) {
  i64 triangles = 0;
  for (i32 i = 0; i < count; i++)
    if (polys[i].cornerCount >= 3) triangles += polys[i].cornerCount - 2;
  return triangles;
}

static std::string Counts(i64 positions, i64 normals, i64 uvs, i64 colors, i64 polygons, i64 triangles) {
  return "\"positions\":" + std::to_string(positions) + ",\"normals\":" + std::to_string(normals) +
         ",\"uvs\":" + std::to_string(uvs) + ",\"colors\":" + std::to_string(colors) +
         ",\"polygons\":" + std::to_string(polygons) + ",\"triangles\":" + std::to_string(triangles);
}

// One group of a 3D or 2D model: name, colour and texture entry.
template <class Group>
static std::string GroupEntry(i32 g, const Group &gr) {
  return std::string(g ? "," : "") + "{\"name\":" + Json(gr.name) + ",\"color\":[" + Num(gr.r) + "," + Num(gr.g) +
         "," + Num(gr.b) + "," + Num(gr.a) + "],\"texture\":" + std::to_string(gr.texture) + "}";
}

// A 3D group also shows its mapping mode, the bounds (u, v low, then high) of the texture
// coordinates its polygons use ([] when none) and how many polygons it has.
static std::string Group3Entry(const Model3 *m, i32 g) {
  std::string s = GroupEntry(g, m->groups[g]);
  s.pop_back();
  f32 lo[2] = {0, 0}, hi[2] = {0, 0};
  bool any = false;
  i64 polygons = 0;
  for (i32 f = 0; f < m->polygonCount; f++) {
    const Polygon3 &p = m->polygons[f];
    if (p.group != (u32)g) continue;
    polygons++;
    for (i32 k = 0; k < p.cornerCount && k < 4; k++) {
      u32 e = p.corners[k].uv;
      if (e >= (u32)m->uvCount) continue;
      const f32 uv[2] = {m->uvs[e].u, m->uvs[e].v};
      for (int a = 0; a < 2; a++) {
        lo[a] = any && lo[a] < uv[a] ? lo[a] : uv[a];
        hi[a] = any && hi[a] > uv[a] ? hi[a] : uv[a];
      }
      any = true;
    }
  }
  s += ",\"mapping\":" + std::to_string(m->groups[g].mapping) + ",\"uvBounds\":[";
  if (any) s += Num(lo[0]) + "," + Num(lo[1]) + "," + Num(hi[0]) + "," + Num(hi[1]);
  return s + "],\"polygons\":" + std::to_string(polygons) + "}";
}

// A 2D group also shows its mapping type, its five mapping parameters (offset u, v, scale u,
// v, kept) and the bounds of the texture coordinates of its live polygons ([] when none).
static std::string Group2Entry(const Bone2Model *m, i32 g) {
  const Group2 &gr = m->groups[g];
  std::string s = GroupEntry(g, gr);
  s.pop_back();
  f32 lo[2] = {0, 0}, hi[2] = {0, 0};
  bool any = false;
  for (i32 f = 0; f < m->polygonCount; f++) {
    const Polygon2 &p = m->polygons[f];
    if (!p.used || p.group != (u32)g) continue;
    for (i32 k = 0; k < p.cornerCount && k < 4; k++) {
      u32 e = p.corners[k].uv;
      if (e >= m->uvCount) continue;
      const f32 uv[2] = {m->uvs[e].u, m->uvs[e].v};
      for (int a = 0; a < 2; a++) {
        lo[a] = any && lo[a] < uv[a] ? lo[a] : uv[a];
        hi[a] = any && hi[a] > uv[a] ? hi[a] : uv[a];
      }
      any = true;
    }
  }
  s += ",\"mapping\":" + std::to_string(gr.mappingKind) + ",\"params\":[";
  for (int i = 0; i < 5; i++) s += (i ? "," : "") + Num(gr.p[i]);
  s += "],\"uvBounds\":[";
  if (any) s += Num(lo[0]) + "," + Num(lo[1]) + "," + Num(hi[0]) + "," + Num(hi[1]);
  return s + "]}";
}

static std::string NamedParent(i32 i, const char *name, i32 parent) {
  return std::string(i ? "," : "") + "{\"name\":" + Json(name) + ",\"parent\":" + std::to_string(parent) + "}";
}

// Vertices whose first bone is b.
static i64 FirstBoneVertices(const Model3 *m, i32 b) {
  i64 n = 0;
  for (i32 v = 0; m->bindings && v < m->positionCount && v < m->capPositions; v++) n += m->bindings[v].bone1 == b;
  return n;
}

// A 3D bone: name, parent, the frames of its keys in each motion in use, its rest offset and
// the number of vertices bound to it first.
static std::string Bone3Entry(const Model3 *m, i32 b) {
  const Bone3 &bone = m->bones[b];
  std::string s = NamedParent(b, bone.name, bone.parent);
  s.pop_back();
  s += ",\"keyFrames\":[";
  for (i32 i = 0; i < m->motionCount && i < MODEL3_MOTIONS; i++) {
    s += i ? ",[" : "[";
    const KeyTrack *t = bone.keys ? &bone.keys[i] : nullptr;
    for (i32 k = 0; t && t->keys && k < t->count; k++) s += (k ? "," : "") + std::to_string(t->keys[k].frame);
    s += "]";
  }
  const f32 *r = m->boneRest[b].pos;
  return s + "],\"rest\":[" + Num(r[0]) + "," + Num(r[1]) + "," + Num(r[2]) + "],\"vertices\":" +
         std::to_string(FirstBoneVertices(m, b)) + "}";
}

// One motion of any model or set: name, used word, length and key count.
template <class Motion>
static std::string MotionEntry(i32 i, const Motion &mo, i64 keys) {
  return std::string(i ? "," : "") + "{\"name\":" + Json(mo.name) + ",\"used\":" + std::to_string(mo.used) +
         ",\"length\":" + std::to_string(mo.length) + ",\"keys\":" + std::to_string(keys) + "}";
}

// The members of one model's JSON object (no braces).
static std::string ModelFields(const Model3 *m) {
  std::string s = Counts(m->positionCount, m->normalCount, m->uvCount, m->colorCount, m->polygonCount,
                         Triangles(m->polygons, m->polygonCount));
  s += ",\"groups\":[";
  for (i32 g = 0; g < m->groupCount && g < MODEL3_GROUPS; g++) s += Group3Entry(m, g);
  s += "],\"textures\":[";
  for (i32 t = 0; t < m->textureCount && t < MODEL3_TEXTURES; t++) s += std::string(t ? "," : "") + Json(m->textures[t].name);
  s += "],\"bones\":[";
  for (i32 b = 0; b < m->boneCount && b < MODEL3_BONES; b++) s += Bone3Entry(m, b);
  s += "],\"motions\":[";
  for (i32 i = 0; i < m->motionCount && i < MODEL3_MOTIONS; i++) s += MotionEntry(i, m->motions[i], MotionKeys(m, i));
  f32 lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
  for (i32 v = 0; v < m->positionCount; v++) {
    const f32 p[3] = {m->positions[v].x, m->positions[v].y, m->positions[v].z};
    for (int c = 0; c < 3; c++) {
      if (v == 0 || p[c] < lo[c]) lo[c] = p[c];
      if (v == 0 || p[c] > hi[c]) hi[c] = p[c];
    }
  }
  s += "],\"bbox\":[[" + Num(lo[0]) + "," + Num(lo[1]) + "," + Num(lo[2]) + "],[" + Num(hi[0]) + "," + Num(hi[1]) +
       "," + Num(hi[2]) + "]]";
  return s;
}

static std::string SetFields(i32 n) {
  const Obj3Set *set = g_Obj3Sets[n];
  std::string s = "\"motions\":[";
  for (i32 i = 0; i < set->motionCount && i < OBJ3_MOTIONS; i++)
    s += MotionEntry(i, set->motions[i], set->motions[i].keyCount);
  s += "],\"parts\":[";
  for (i32 p = 0; p < set->objectCount && p < OBJ3_PARTS; p++) {
    s += std::string(p ? "," : "") + "{\"path\":" + Json(set->parts[p].path) + ",\"parent\":" +
         std::to_string(set->parts[p].parent) + ",\"loaded\":" + std::to_string(g_Obj3PartLoaded[n][p]);
    if (g_Obj3PartModels[n][p]) s += "," + ModelFields(g_Obj3PartModels[n][p]);
    s += "}";
  }
  return s + "]";
}

// A 2D bone: name, parent, its rest entry (x, y, angle, scale x, scale y) and how many skin
// vertices have it as their first bone, bound automatically and by hand.
static std::string Bone2Entry(const Bone2Model *m, i32 b) {
  i32 bound[2] = {0, 0};
  for (i32 v = 0; m->bindings && v < m->vertexCount; v++)
    if (m->bindings[v].bone1 == b) bound[m->bindings[v].automatic == 1 ? 0 : 1]++;
  const BoneKey2 &r = m->rest[b];
  std::string s = NamedParent(b, m->bones[b].name, m->bones[b].parent);
  s.pop_back();
  return s + ",\"rest\":[" + Num(r.x) + "," + Num(r.y) + "," + Num(r.angle) + "," + Num(r.scaleX) + "," +
         Num(r.scaleY) + "],\"bound\":{\"auto\":" + std::to_string(bound[0]) + ",\"hand\":" +
         std::to_string(bound[1]) + "}}";
}


// Per bone (from 1), per motion in the file: its keys as [frame, x, y, angle, scale x, scale y].
static std::string Bone2KeyLists(Bone2Model *m) {
  std::string s;
  for (i32 b = 1; b < m->boneCount && b < BONE2_MAX_BONES; b++) {
    s += std::string(b > 1 ? "," : "") + "{\"bone\":" + std::to_string(b) + ",\"motions\":[";
    for (i32 i = 0; i < m->motionCount && i < BONE2_MAX_MOTIONS; i++) {
      s += std::string(i ? "," : "") + "[";
      const Bone2Track *t = Bone2_Track(m, b, i);
      for (i32 k = 0; t && t->keys && k < t->count; k++) {
        const BoneKey2 &key = t->keys[k];
        s += std::string(k ? "," : "") + "[" + std::to_string(key.frame) + "," + Num(key.x) + "," + Num(key.y) + "," +
             Num(key.angle) + "," + Num(key.scaleX) + "," + Num(key.scaleY) + "]";
      }
      s += "]";
    }
    s += "]}";
  }
  return s;
}

// 2D bone model: counts, groups, textures, bones with parents, motions with key counts, each
// bone's keys and the bounding box of the rest positions.
static std::string Bone2Fields(const Bone2Model *m) {
  std::string s = Counts(m->vertexCount, 0, m->uvCount, m->colourCount, m->polygonCount,
                         Triangles(m->polygons, m->polygonCount));
  s += ",\"groups\":[";
  for (i32 g = 0; g < m->groupCount && g < BONE2_MAX_GROUPS; g++) s += Group2Entry(m, g);
  s += "],\"textures\":[";
  for (i32 t = 0; t < m->textureCount && t < BONE2_MAX_TEXTURES; t++) s += std::string(t ? "," : "") + Json(m->textures[t].name);
  s += "],\"bones\":[";
  for (i32 b = 0; b < m->boneCount && b < BONE2_MAX_BONES; b++) s += Bone2Entry(m, b);
  s += "],\"motions\":[";
  for (i32 i = 0; i < m->motionCount && i < BONE2_MAX_MOTIONS; i++) {
    i32 keys = 0;
    for (i32 b = 0; b < m->boneCount && b < BONE2_MAX_BONES; b++)
      if (const Bone2Track *t = Bone2_Track((Bone2Model *)m, b, i)) keys += t->count;
    s += MotionEntry(i, m->motions[i], keys);
  }
  s += "],\"boneKeys\":[" + Bone2KeyLists((Bone2Model *)m);
  f32 lo[2] = {0, 0}, hi[2] = {0, 0};
  for (i32 v = 0; v < m->vertexCount; v++) {
    const f32 p[2] = {m->positions[v].x, m->positions[v].y};
    for (int c = 0; c < 2; c++) {
      if (v == 0 || p[c] < lo[c]) lo[c] = p[c];
      if (v == 0 || p[c] > hi[c]) hi[c] = p[c];
    }
  }
  s += "],\"bbox\":[[" + Num(lo[0]) + "," + Num(lo[1]) + ",0],[" + Num(hi[0]) + "," + Num(hi[1]) + ",0]]";
  // The first vertices of the skin: x, y, first and second bone, weight, automatic flag.
  s += ",\"skin\":[";
  for (i32 v = 0; v < m->vertexCount && v < 16 && m->bindings; v++) {
    const VertexBinding &b = m->bindings[v];
    s += std::string(v ? "," : "") + "[" + Num(m->positions[v].x) + "," + Num(m->positions[v].y) + "," +
         std::to_string(b.bone1) + "," + std::to_string(b.bone2) + "," + Num(b.weight) + "," + std::to_string(b.automatic) + "]";
  }
  return s + "]";
}

// One 2D object key: frame, shown, x, y, angle, scale x, scale y, image, red, green, blue, alpha.
static std::string Obj2Key(const ObjKey2 &k) {
  return "[" + std::to_string(k.frame) + "," + std::to_string(k.shown) + "," + Num(k.x) + "," + Num(k.y) + "," +
         Num(k.angle) + "," + Num(k.scaleX) + "," + Num(k.scaleY) + "," + std::to_string(k.image) + "," +
         std::to_string(k.r) + "," + std::to_string(k.g) + "," + std::to_string(k.b) + "," + std::to_string(k.a) + "]";
}

// Per object (from 1), per motion in use: its keys.
static std::string Obj2KeyLists(Obj2Model *m) {
  std::string s;
  for (i32 o = 1; o < m->objectCount && o < OBJ2_MAX_OBJECTS; o++) {
    s += std::string(o > 1 ? "," : "") + "{\"object\":" + std::to_string(o) + ",\"motions\":[";
    for (i32 i = 0; i < m->motionCount && i < OBJ2_MAX_MOTIONS; i++) {
      s += std::string(i ? "," : "") + "[";
      const Obj2Track *t = Obj2_Track(m, o, i);
      for (i32 k = 0; t && t->keys && k < t->count; k++) s += std::string(k ? "," : "") + Obj2Key(t->keys[k]);
      s += "]";
    }
    s += "]}";
  }
  return s;
}

// 2D object model: images as textures, objects with their parents, motions with key counts,
// each image's pivot and each object's keys.
static std::string Obj2Fields(Obj2Model *m) {
  std::string s = "\"positions\":0,\"normals\":0,\"uvs\":0,\"colors\":0,\"polygons\":0,\"triangles\":0,"
                  "\"groups\":[],\"bones\":[],\"textures\":[";
  for (i32 i = 0; i < m->imageCount && i < OBJ2_MAX_IMAGES; i++) s += std::string(i ? "," : "") + Json(m->imageNames[i]);
  s += "],\"objects\":[";
  for (i32 o = 1; o < m->objectCount && o < OBJ2_MAX_OBJECTS; o++)
    s += NamedParent(o - 1, m->objectNames[o], m->parents[o]);
  s += "],\"motions\":[";
  for (i32 i = 0; i < m->motionCount && i < OBJ2_MAX_MOTIONS; i++) {
    i32 keys = 0;
    for (i32 o = 1; o < m->objectCount && o < OBJ2_MAX_OBJECTS; o++)
      if (const Obj2Track *t = Obj2_Track(m, o, i)) keys += t->count;
    s += MotionEntry(i, m->motions[i], keys);
  }
  s += "],\"images\":[";
  for (i32 i = 0; i < m->imageCount && i < OBJ2_MAX_IMAGES; i++)
    s += std::string(i ? "," : "") + "{\"name\":" + Json(m->imageNames[i]) + ",\"pivot\":[" +
         std::to_string(m->pivotX[i]) + "," + std::to_string(m->pivotY[i]) + "]}";
  s += "],\"objectKeys\":[" + Obj2KeyLists(m);
  return s + "],\"bbox\":[[0,0,0],[0,0,0]]";
}

// [SECTION] Collision sets

static std::string NumList(const f32 *v, int n) {
  std::string s = "[";
  for (int i = 0; i < n; i++) s += (i ? "," : "") + Num(v[i]);
  return s + "]";
}

static std::string KzcFields(const CollisionDoc *d) {
  std::string s = "\"version\":" + std::to_string(d->version) + ",\"bounds\":" + NumList(d->bounds, 6) + ",\"boxes\":[";
  for (i32 i = 0; i < d->boxCount; i++) {
    const ColiBox &b = d->boxes[i];
    const f32 at[3] = {b.x, b.y, b.z};
    s += std::string(i ? "," : "") + "{\"used\":" + std::to_string(b.used) + ",\"position\":" + NumList(at, 3) +
         ",\"angle\":" + Num(b.angle) + ",\"size\":" + Num(b.size) + "}";
  }
  s += "],\"circles\":[";
  for (i32 i = 0; i < d->circleCount; i++) {
    const ColiCircle &c = d->circles[i];
    const f32 at[3] = {c.x, c.y, c.z};
    s += std::string(i ? "," : "") + "{\"used\":" + std::to_string(c.used) + ",\"position\":" + NumList(at, 3) +
         ",\"size\":" + Num(c.size) + "}";
  }
  s += "],\"model\":" + Json(d->modelName) + ",\"slots\":[";
  for (int i = 0; i < COLI_SLOTS; i++)
    s += std::string(i ? "," : "") + "{\"flag\":" + std::to_string(d->slotFlags[i]) +
         (d->slotFlags[i] == 1 ? ",\"name\":" + Json(d->slotNames[i]) : std::string()) + "}";
  return s + "]";
}

// 2D map: version, tiles with flag and name, width, height and the rows of cells.
static std::string Map2Fields(const Map2Doc *d) {
  std::string s = "\"version\":" + std::to_string(d->version) + ",\"tiles\":[";
  for (i32 i = 0; i < d->tileCount; i++)
    s += std::string(i ? "," : "") + "{\"passable\":" + std::to_string(d->passable[i]) + ",\"name\":" + Json(d->names[i]) + "}";
  s += "],\"width\":" + std::to_string(d->width) + ",\"height\":" + std::to_string(d->height) + ",\"rows\":[";
  for (i32 y = 0; y < d->height; y++) {
    s += y ? ",[" : "[";
    for (i32 x = 0; x < d->width; x++) s += (x ? "," : "") + std::to_string(d->grid[y][x]);
    s += "]";
  }
  return s + "]";
}

static bool DumpMap2(const char *path, const std::string &head) {
  Map2Doc *d = (Map2Doc *)calloc(1, sizeof(Map2Doc));
  bool ok = d && Map2_Read(path, d);
  if (ok) printf("%s%s}\n", head.c_str(), Map2Fields(d).c_str());
  free(d);
  return ok;
}

static std::string LowerExtension(const char *path) {
  const char *name = path;
  for (const char *p = path; *p; p++)
    if (*p == '/' || *p == '\\') name = p + 1;
  const char *dot = strrchr(name, '.');
  std::string e = dot ? dot + 1 : "";
  for (char &c : e)
    if (c >= 'A' && c <= 'Z') c = (char)(c + 32);
  return e;
}

// [SECTION] Movies

static std::string Floats(const f32 *v, int n) {
  std::string s = "[";
  for (int i = 0; i < n; i++) s += (i ? "," : "") + Num(v[i]);
  return s + "]";
}

static std::string KeyFields(const MovieKey &k) {
  return "{\"frame\":" + std::to_string(k.frame) + ",\"shown\":" + std::to_string(k.shown) +
         ",\"number\":" + std::to_string(k.number) + ",\"position\":" + Floats(k.position, 3) +
         ",\"angles\":" + Floats(k.angles, 3) + ",\"rotation\":" + Floats(k.rotation, 4) +
         ",\"scale\":" + Floats(k.scale, 3) + ",\"color\":" + Floats(k.color, 4) +
         ",\"target\":" + Floats(k.target, 3) + "}";
}

static std::string MovieObjectFields(const MovieObject *o) {
  std::string s = "{\"name\":" + Json(o->name) + ",\"kind\":" + std::to_string(o->kind) +
                  ",\"curves\":[" + std::to_string(o->moveCurve) + "," + std::to_string(o->rotationCurve) +
                  "," + std::to_string(o->scaleCurve) + "],\"folder\":" + Json(o->folder) +
                  ",\"fileName\":" + Json(o->fileName) + ",\"motionFileName\":" + Json(o->motionFileName) +
                  ",\"shadowKind\":" + std::to_string(o->shadowKind) + ",\"keys\":[";
  for (i32 k = 0; k < o->keyCount; k++) s += (k ? "," : "") + KeyFields(o->keys[k]);
  return s + "]}";
}

static std::string MovieFields(const KzvMovie *m) {
  std::string s = "\"version\":" + std::to_string(m->version) + ",\"frameCount\":" + std::to_string(m->frameCount) +
                  ",\"bgmPresent\":" + std::to_string(m->bgmPresent) + ",\"bgmSecondName\":" +
                  Json(m->bgmSecondName) + ",\"bgmFileName\":" + Json(m->bgmFileName) +
                  ",\"soundCount\":" + std::to_string(m->soundCount) + ",\"sounds\":[";
  for (i32 i = 1; i < m->soundCount; i++)
    s += std::string(i > 1 ? "," : "") + "[" + Json(m->soundFolders[i]) + "," + Json(m->soundFileNames[i]) + "]";
  s += "],\"messageCount\":" + std::to_string(m->messageCount) + ",\"messages\":[";
  for (i32 i = 1; i < m->messageCount; i++) s += (i > 1 ? "," : "") + Json(m->messages[i]);
  s += "],\"nextPresent\":" + std::to_string(m->nextPresent) + ",\"nextName\":" + Json(m->nextName) +
       ",\"trailer\":" + std::to_string(m->hadTrailer) + ",\"objects\":[";
  for (i32 i = 0; i < m->objectCount; i++) s += (i ? "," : "") + MovieObjectFields(m->objects[i]);
  return s + "]";
}

static bool DumpMovie(const char *path, const std::string &head) {
  FileData f = {};
  if (!File_ReadAll(path, &f)) {
    fprintf(stderr, "%s: cannot be read\n", path);
    return false;
  }
  char err[768];
  KzvMovie *m = Kzv_Parse(f.data, f.size, path, err, sizeof err);
  File_Free(&f);
  if (!m) {
    ErrorToStderr(err);
    return false;
  }
  printf("%s%s}\n", head.c_str(), MovieFields(m).c_str());
  Kzv_FreeMovie(m);
  return true;
}

// [SECTION] Compiled scripts

template <class T>
static std::string Five(const T *v) {
  std::string s = "[";
  for (int k = 0; k < PROG_OPERANDS; k++) s += std::string(k ? "," : "") + Num(v[k]);
  return s + "]";
}

static bool DumpKzs(const char *path, const std::string &head) {
  FileData d = {};
  KzsFile *f = (KzsFile *)calloc(1, sizeof(KzsFile));
  char why[256] = "cannot be read";
  bool ok = f && File_ReadAll(path, &d) && Kzs_Parse(d.data, d.size, f, why, sizeof why);
  File_Free(&d);
  if (!ok) {
    fprintf(stderr, "%s: %s\n", path, why);
    free(f);
    return false;
  }
  const ProgTables &t = f->tables;
  std::string s = head + "\"version\":" + std::to_string(f->version) + ",\"variables\":[";
  for (i32 v = 0; v < t.variableCount; v++) {
    s += std::string(v ? "," : "") + "{\"name\":" + Json(t.variableNames[v]) + ",\"kind\":" + std::to_string(t.variableKinds[v]);
    if (t.variableKinds[v] == PROG_KIND_NUMBER) s += ",\"value\":" + Num(t.variableValues[v]);
    if (t.variableKinds[v] == PROG_KIND_STRING) s += ",\"string\":" + Json(t.variableStrings[v]);
    s += "}";
  }
  s += "],\"blocks\":[";
  for (i32 i = 0; i < f->blockCount; i++) {
    const ProgBlock *b = f->blocks[i];
    s += std::string(i ? "," : "") + "{\"name\":" + Json(b->name) + ",\"statements\":[";
    for (i32 l = 0; l < b->statementCount; l++)
      s += std::string(l ? "," : "") + "{\"line\":" + std::to_string(l) + ",\"code\":" + std::to_string(b->code[l]) +
           ",\"A\":" + Five(b->A[l]) + ",\"text\":" + Json(b->text[l]) + ",\"V\":" + Five(b->V[l]) + "}";
    s += "]}";
  }
  printf("%s]}\n", s.c_str());
  Kzs_Free(f);
  free(f);
  return true;
}

// The 3D model file read into slot 0 by the argument just before, or null.
static const char *g_LastModel3;

// Reads a KZM onto the 3D model of the argument before and prints that model.
static bool DumpKzm(const char *path, const char *model, const std::string &head) {
  if (!model) {
    fprintf(stderr, "%s: no 3D model file is named before it\n", path);
    return false;
  }
  ModelResult res;
  Kzm_Read(0, path, &res);
  if (!Seam_ShowResult(&res)) return false;
  printf("%s\"model\":%s,%s}\n", head.c_str(), Json(model).c_str(), ModelFields(g_Model3Slots[0]).c_str());
  return true;
}

// Prints the file's JSON line; false when the program refuses the file.
static bool Dump(const char *path) {
  std::string ext = LowerExtension(path);
  std::string head = "{\"file\":" + Json(path) + ",\"format\":\"" + ext + "\",";
  const char *model = g_LastModel3;
  g_LastModel3 = nullptr;
  if (ext == "kzm") {
    bool ok = DumpKzm(path, model, head);
    if (ok) g_LastModel3 = model;   // a further KZM goes onto the same model
    return ok;
  }
  if (ext == "kzv") return DumpMovie(path, head);
  if (ext == "kzo") {
    // Part paths are relative to the current folder, which the program's file dialog leaves
    // at the set's folder: read from there.
    char saved[4096];
    if (!getcwd(saved, sizeof saved)) saved[0] = 0;
    std::string folder = path, name = path;
    size_t cut = folder.find_last_of("/\\");
    if (cut != std::string::npos) {
      name = folder.substr(cut + 1);
      folder.resize(cut + 1);
      if (chdir(folder.c_str()) != 0) name = path;
    }
    ModelResult res;
    bool ok = Kzo_Read(0, name.c_str(), Seam_ShowResult, &res);
    Seam_ShowResult(&res);
    if (saved[0] && chdir(saved) != 0) fprintf(stderr, "cannot return to %s\n", saved);
    if (!ok) return false;
    printf("%s%s}\n", head.c_str(), SetFields(0).c_str());
    return true;
  }
  if (ext == "kzc") {
    CollisionDoc *d = Kzc_ReadDocument(path);
    if (!d) return false;
    printf("%s%s}\n", head.c_str(), KzcFields(d).c_str());
    Coli_FreeDocument(d);
    return true;
  }
  if (ext == "kzs") return DumpKzs(path, head);
  if (ext == "map2") return DumpMap2(path, head);
  if (ext == "kzb") {
    g_ModelAllocArrays = 0;
    ModelResult res;
    Kzb_Read(0, path, &res);
    if (!Seam_ShowResult(&res)) return false;
    printf("%s%s}\n", head.c_str(), Bone2Fields(g_Bone2Slots[0]).c_str());
    return true;
  }
  if (ext == "kza") {
    ModelResult res;
    Kza_Read(0, path, &res);
    if (!Seam_ShowResult(&res)) return false;
    printf("%s%s}\n", head.c_str(), Obj2Fields(g_Obj2Slots[0]).c_str());
    return true;
  }
  g_ModelAllocArrays = 0;
  // Every failure of the reader comes with the program's own message (on stderr).
  ModelResult res;
  Model3 *m = Model3_OpenFile(0, path, &res);
  Seam_ShowResult(&res);
  if (!m) return false;
  printf("%s%s}\n", head.c_str(), ModelFields(m).c_str());
  g_LastModel3 = path;
  return true;
}

int main(int argc, char **argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: modeldump FILE... (a .kzm after the 3D model it belongs to)\n");
    return 2;
  }
  g_Seam.errorBox = ErrorToStderr;
  int status = 0;
  for (int i = 1; i < argc; i++)
    if (!Dump(argv[i])) status = 1;
  Model3_FreeAllSlots();
  Kzo_FreeAll();
  Bone2_FreeAll();
  Obj2_SetSlot(0, nullptr);
  return status;
}
