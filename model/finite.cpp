// Finite-value checks over freshly read records (model/finite.h).
#include "model/finite.h"

#include <float.h>
#include <math.h>
#include <string.h>

#include "model/bone2.h"
#include "model/model3.h"
#include "model/obj2.h"

const char kKzMsgNotFinite[] = "%s は、数値に NaN または無限大が含まれているため、読み込むことができませんでした。";
const char kFmtMsgNotFinite[] = "数値に NaN または無限大が含まれているため、読み込むことができません。";

bool Finite_Floats(const f32 *v, size_t n) { return Finite_Words((const u8 *)v, n); }

// One more in a full exponent field carries into the sign bit (see Finite_WordsOf).
static inline u32 ExponentCarry(u32 w) { return (w & 0x7F800000u) + 0x00800000u; }

// The weights of n bindings (one float in each 12-byte record).
static bool FiniteWeights(const VertexBinding *b, size_t n) {
  u32 seen = 0;
  for (size_t i = 0; i < n; i++) {
    u32 w;
    memcpy(&w, &b[i].weight, 4);
    seen |= ExponentCarry(w);
  }
  return (seen & 0x80000000u) == 0;
}

// Entries in use of an array, bounded by its room (a damaged count never reads past it).
static size_t InUse(i32 count, i32 cap, const void *array) {
  if (!array || count <= 0) return 0;
  return (size_t)(count < cap ? count : cap);
}

static bool FiniteGroups(const Model3 *m) {
  i32 n = m->groupCount < MODEL3_GROUPS ? m->groupCount : MODEL3_GROUPS;
  for (i32 g = 0; g < n; g++) {
    const Group3 &x = m->groups[g];
    const f32 v[8] = {x.r, x.g, x.b, x.a, x.offsetU, x.offsetV, x.scaleU, x.scaleV};
    if (!Finite_Floats(v, 8)) return false;
  }
  return true;
}

static bool FiniteMotions(const Model3 *m) {
  for (i32 mo = 0; mo < MODEL3_MOTIONS; mo++)
    for (i32 g = 0; g < MODEL3_GROUPS; g++) {
      const GroupKeyList3 *l = m->motions[mo].groupKeys[g];
      if (!l) continue;
      i32 n = l->count < MODEL3_GROUP_KEYS ? l->count : MODEL3_GROUP_KEYS;
      for (i32 k = 0; k < n; k++)
        if (!Finite_Floats(l->keys[k].values, 4)) return false;
    }
  return true;
}

static bool FiniteBoneKey(const BoneKey3 *k) {
  return Finite_Floats(k->pos, 3) && Finite_Floats(k->quat, 4) && Finite_Floats(k->scale, 3);
}

static bool FiniteBones(const Model3 *m) {
  for (i32 b = 0; b < MODEL3_BONES; b++) {
    if (!FiniteBoneKey(&m->boneRest[b])) return false;
    const KeyTrack *table = m->bones[b].keys;
    if (!table) continue;
    for (i32 t = 0; t < m->keyTableLength; t++)
      for (i32 k = 0; k < KeyTrack_Count(&table[t]); k++)
        if (!FiniteBoneKey(&table[t].keys[k])) return false;
  }
  return true;
}

bool Finite_Extent(const Vec3 *p, size_t n) {
  const f32 big = FLT_MAX;
  Vec3 lo = {big, big, big}, hi = {-big, -big, -big};
  for (size_t i = 0; i < n; i++) {
    if (!isfinite(p[i].x) || !isfinite(p[i].y) || !isfinite(p[i].z)) continue;
    lo.x = p[i].x < lo.x ? p[i].x : lo.x, hi.x = p[i].x > hi.x ? p[i].x : hi.x;
    lo.y = p[i].y < lo.y ? p[i].y : lo.y, hi.y = p[i].y > hi.y ? p[i].y : hi.y;
    lo.z = p[i].z < lo.z ? p[i].z : lo.z, hi.z = p[i].z > hi.z ? p[i].z : hi.z;
  }
  if (hi.x < lo.x) return true;   // no finite point
  // Each width as the program computes it, in float: +3e38 to -3e38 is no finite width.
  return isfinite(hi.x - lo.x) && isfinite(hi.y - lo.y) && isfinite(hi.z - lo.z);
}

bool Finite_Model3(const Model3 *m) {
  if (!m) return true;
  size_t positions = InUse(m->positionCount, m->capPositions, m->positions);
  if (!Finite_Floats(&m->positions->x, 3 * positions) || !Finite_Extent(m->positions, positions) ||
      !Finite_Floats(&m->normals->x, 3 * InUse(m->normalCount, m->capNormals, m->normals)) ||
      !Finite_Floats(&m->colors->r, 4 * InUse(m->colorCount, m->capColors, m->colors)) ||
      !Finite_Floats(&m->uvs->u, 2 * InUse(m->uvCount, m->capUVs, m->uvs)))
    return false;
  if (!FiniteWeights(m->bindings, InUse(m->positionCount, m->capPositions, m->bindings))) return false;
  const f32 settings[3] = {m->dispScale, m->normalOffset, 0.0f};
  return Finite_Floats(settings, 2) && Finite_Floats(m->color, 4) && Finite_Floats(m->shadow, 5) &&
         FiniteGroups(m) && FiniteMotions(m) && FiniteBones(m);
}

// [SECTION] 2D models

template <typename Key>
static bool FiniteKey2(const Key *k) {
  const f32 v[5] = {k->x, k->y, k->angle, k->scaleX, k->scaleY};
  return Finite_Floats(v, 5);
}

template <typename Track>
static bool FiniteTracks(const Track *table, i32 tracks) {
  if (!table) return true;
  for (i32 t = 0; t < tracks; t++) {
    if (!table[t].keys) continue;
    for (i32 k = 0; k < table[t].count; k++)
      if (!FiniteKey2(&table[t].keys[k])) return false;
  }
  return true;
}

bool Finite_Bone2(const Bone2Model *m) {
  if (!m) return true;
  if (!Finite_Floats(&m->positions->x, 2 * InUse(m->vertexCount, m->vertexCapacity, m->positions)) ||
      !Finite_Floats(&m->colours->r, 4 * InUse(m->colourCount, m->colourCapacity, m->colours)) ||
      !Finite_Floats(&m->uvs->u, 2 * InUse(m->uvCount, m->uvCapacity, m->uvs)) ||
      !Finite_Floats(m->colour, 4) || !Finite_Floats(&m->reservedFloat, 1))
    return false;
  size_t nb = InUse(m->vertexCount, m->vertexCapacity, m->bindings);
  for (size_t i = 0; i < nb; i++)
    if (!Finite_Floats(&m->bindings[i].weight, 1)) return false;
  i32 ng = m->groupCount < BONE2_MAX_GROUPS ? m->groupCount : BONE2_MAX_GROUPS;
  for (i32 g = 0; g < ng; g++) {
    const Group2 &x = m->groups[g];
    const f32 c[4] = {x.r, x.g, x.b, x.a};
    if (!Finite_Floats(c, 4) || !Finite_Floats(x.p, 5)) return false;
  }
  for (i32 b = 0; b < BONE2_MAX_BONES; b++)
    if (!FiniteKey2(&m->rest[b]) || !FiniteTracks(m->bones[b].keys, m->keyTableLength)) return false;
  return true;
}

bool Finite_Obj2(const Obj2Model *m) {
  if (!m) return true;
  for (i32 o = 0; o < OBJ2_MAX_OBJECTS; o++)
    if (!FiniteTracks(m->parts[o].keys, m->keyTableLength)) return false;
  return true;
}
