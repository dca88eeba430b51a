// Collision geometry and the per-frame resolution. The resolution is checked against a
// reference written here straight from the pass's formulas (plain walk over every polygon),
// so the grid of the near test and every step's order are covered.
#include <math.h>

#include <random>

#include "coli_fixture.h"

namespace {

// [SECTION] Reference

struct RefObj {
  f32 r;
  f32 pos[3];
  u8 pushed;
  f32 v[3];
  i32 ground;
  u8 decay;
  f32 fade;
};

struct RefWorld {
  f32 bounds[6];
  const ColiBox *boxes;
  const ColiCircle *circles;
  const Model3 *m;
  f32 ground;
  i32 cache[COLI_OBJECTS];
};

bool RefSegTri(const f32 *P, const f32 a[3], const f32 b[3], f32 hit[3]) {
  f32 e1[3] = {P[3] - P[0], P[4] - P[1], P[5] - P[2]}, e2[3] = {P[6] - P[3], P[7] - P[4], P[8] - P[5]};
  f32 N[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
  f32 len = sqrtf(N[0] * N[0] + N[1] * N[1] + N[2] * N[2]);
  if (len == 0) return false;
  f32 n[3] = {N[0] / len, N[1] / len, N[2] / len};
  f32 d = -(n[0] * P[0] + n[1] * P[1] + n[2] * P[2]);
  f32 D[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  f32 nD = n[0] * D[0] + n[1] * D[1] + n[2] * D[2];
  if (fabsf(nD) < 1e-9f) return false;
  f32 t = -(n[0] * a[0] + n[1] * a[1] + n[2] * a[2] + d) / nD;
  if (!(t >= 0 && t <= 1)) return false;
  for (int k = 0; k < 3; k++) hit[k] = a[k] + t * D[k];
  for (int i = 0; i < 3; i++) {
    const f32 *p0 = P + 3 * i, *p1 = P + 3 * ((i + 1) % 3);
    f32 e[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
    f32 q[3] = {hit[0] - p0[0], hit[1] - p0[1], hit[2] - p0[2]};
    if ((e[1] * q[2] - e[2] * q[1]) * n[0] < -0.0001f) return false;
    if ((e[2] * q[0] - e[0] * q[2]) * n[1] < -0.0001f) return false;
    if ((e[0] * q[1] - e[1] * q[0]) * n[2] < -0.0001f) return false;
  }
  return true;
}

bool RefUsable(const Model3 *m, const Polygon3 &p) {
  if (p.cornerCount < 3 || p.cornerCount > 4 || p.corners[0].normal >= (u32)m->normalCount) return false;
  for (int c = 0; c < p.cornerCount; c++)
    if (p.corners[c].vertex >= (u32)m->positionCount) return false;
  return true;
}

void RefTri(const Model3 *m, const Polygon3 &p, int t, f32 P[9]) {
  int c[3] = {0, t + 1, t + 2};
  for (int k = 0; k < 3; k++) {
    const Vec3 &v = m->positions[p.corners[c[k]].vertex];
    P[3 * k] = v.x, P[3 * k + 1] = v.y, P[3 * k + 2] = v.z;
  }
}

void RefResolve(RefWorld &w, std::vector<RefObj *> &objs) {
  const f32 pi = 3.14159265358979f;
  for (size_t i = 0; i < objs.size(); i++) {
    if (!objs[i]) continue;
    RefObj &o = *objs[i];
    f32 r = o.r, X = o.pos[0], Y = o.pos[1], Z = o.pos[2];
    if (Y < w.bounds[1]) Y = w.bounds[1], o.v[1] = 0;
    if (X < w.bounds[0] + r) X = w.bounds[0] + r;
    if (X > w.bounds[3] - r) X = w.bounds[3] - r;
    if (Z < w.bounds[2] + r) Z = w.bounds[2] + r;
    if (Z > w.bounds[5] - r) Z = w.bounds[5] - r;
    for (size_t j = 0; j < objs.size(); j++) {
      if (j == i || !objs[j]) continue;
      RefObj &q = *objs[j];
      f32 D[3] = {X - q.pos[0], 0, Z - q.pos[2]};
      if (D[0] == 0 && D[2] == 0) D[1] = 0.01f;
      f32 dist = sqrtf(D[0] * D[0] + D[1] * D[1] + D[2] * D[2]);
      f32 ux = D[0] / dist, uz = D[2] / dist;
      if (dist < q.r + r) {
        f32 f = (q.r + r - dist) * 0.1f;
        o.v[0] += ux * f, o.v[2] += uz * f;
        q.pushed = 1;
        q.v[0] -= ux * f, q.v[2] -= uz * f;
      }
    }
    for (int n = 0; n < COLI_BOXES; n++) {
      const ColiBox &b = w.boxes[n];
      if (b.used != 1) continue;
      f32 s = b.size, a = b.angle;
      f32 th = atan2f(X - 0.25f * b.x, Z + 0.25f * b.z);
      f32 kx = sinf(th) / 3, kz = cosf(th) / 3;
      f32 p = X - b.x - kx, q = Z - b.z - kz;
      f32 phi = -a * 2 * pi / 360;
      f32 lx = p * cosf(phi) + q * sinf(phi), lz = q * cosf(phi) - p * sinf(phi);
      if (-(s + r) < lx && lx < s + r && -(s + r) < lz && lz < s + r) {
        if (fabsf(lz) < fabsf(lx)) lx = lx >= 0 ? s + r : -(s + r);
        else lz = lz >= 0 ? s + r : -(s + r);
        f32 psi = a * 2 * pi / 360;
        X = b.x + kx + lx * cosf(psi) + lz * sinf(psi);
        Z = b.z + kz + lz * cosf(psi) - lx * sinf(psi);
      }
    }
    for (int n = 0; n < COLI_CIRCLES; n++) {
      const ColiCircle &c = w.circles[n];
      if (c.used != 1) continue;
      f32 D[3] = {X - c.x, 0, Z - c.z};
      if (D[0] == 0 && D[2] == 0) D[1] = 0.01f;
      f32 dist = sqrtf(D[0] * D[0] + D[1] * D[1] + D[2] * D[2]);
      if (dist < c.size + r) {
        f32 f = (c.size + r - dist) * 0.5f;
        X += D[0] / dist * f, Z += D[2] / dist * f;
      }
    }
    w.ground = -99999.9f;
    const Model3 *m = w.m;
    auto nearPoly = [&](i32 k) {
      const Polygon3 &p = m->polygons[k];
      if (!RefUsable(m, p)) return false;
      const Vec3 &c = m->positions[p.corners[0].vertex];
      return fabsf(c.x - o.pos[0]) < 50 && fabsf(c.z - o.pos[2]) < 50;
    };
    f32 sx = o.v[0], sz = o.v[2];
    bool hit = false, blocked = false, landed = false;
    if (m && o.pushed && (sx != 0 || sz != 0)) {
      for (i32 k = 0; k < m->polygonCount && !hit; k++) {
        if (!nearPoly(k)) continue;
        const Polygon3 &p = m->polygons[k];
        const Vec3 &n = m->normals[p.corners[0].normal];
        for (int t = 0; t < p.cornerCount - 2; t++) {
          f32 P[9], h[3], h2[3];
          RefTri(m, p, t, P);
          for (int c = 0; c < 3; c++)
            if (P[3 * c + 1] + 3.0f > w.ground) w.ground = P[3 * c + 1] + 3.0f;
          f32 a[3] = {X - 0.01f * sx, Y, Z - 0.01f * sz}, b[3] = {X + sx, Y, Z + sz};
          if (!RefSegTri(P, a, b, h)) continue;
          hit = true;
          w.cache[i] = k;
          if (n.z * n.z + n.x * n.x <= n.y * n.y) {
            landed = true;
            f32 a2[3] = {X + sx + 5 * n.x, Y + 5 * n.y, Z + sz + 5 * n.z};
            if (RefSegTri(P, a2, b, h2)) X = h2[0], Y = h2[1], Z = h2[2];
            else X = h[0], Y = h[1] + 0.2f, Z = h[2];
          } else {
            blocked = true;
            f32 a2[3] = {X + sx + 10 * n.x, Y, Z + sz + 10 * n.z};
            if (RefSegTri(P, a2, b, h2)) X = h2[0] + 0.1f * n.x, Z = h2[2] + 0.1f * n.z;
            else X = h[0] + 0.25f * n.x, Z = h[2] + 0.25f * n.z;
          }
        }
      }
    }
    o.v[1] -= 0.1f;
    if (hit) {
      if (blocked) o.v[0] = o.v[2] = 0;
      if (landed) o.v[1] = 0;
    } else if (o.pushed) {
      X += sx, Z += sz;
    }
    if (o.pushed) o.fade = 1.0f;
    if (o.decay) {
      o.fade -= 0.025f;
      if (o.fade < 0) o.fade = 0;
    }
    o.ground = -1;
    if (m && o.v[1] != 0) {
      for (i32 k = 0; k < m->polygonCount; k++) {
        if (!nearPoly(k)) continue;
        const Polygon3 &p = m->polygons[k];
        const Vec3 &n = m->normals[p.corners[0].normal];
        for (int t = 0; t < p.cornerCount - 2; t++) {
          f32 P[9], h[3];
          RefTri(m, p, t, P);
          f32 a[3] = {X, Y - 0.05f * o.v[1], Z}, b[3] = {X, Y + o.v[1] - 0.05f, Z};
          if (!RefSegTri(P, a, b, h)) continue;
          o.ground = k;
          Y = h[1] + 0.1f * n.y;
          X = h[0] + 0.15f * o.fade * n.x;
          Z = h[2] + 0.15f * o.fade * n.z;
          o.v[1] = 0;
          w.cache[i] = k;
        }
      }
    }
    o.pos[0] = X, o.pos[1] = Y + o.v[1], o.pos[2] = Z;
  }
  if (w.bounds[1] > w.ground) w.ground = w.bounds[1] + 5.0f;
}

// [SECTION] Running both

// The scene objects 0..count-1 and their reference twins, stepped together.
struct Twin : ColiTest {
  std::vector<RefObj> ref;
  RefWorld world = {};
  CollisionDoc *doc = nullptr;

  void Start(i32 count, Model3 *model) {
    doc = Coli_NewDocument();
    ASSERT_NE(doc, nullptr);
    doc->loaded = 1;
    doc->model = model;
    for (i32 i = 0; i < count; i++) Character(i, 0, 0, 0);
  }
  void Sync() {   // the reference takes the scene's state
    ref.resize(COLI_OBJECTS);
    for (i32 i = 0; i < COLI_OBJECTS; i++) {
      KZL::OBJECT *o = Object_Get(i);
      if (!o) continue;
      ref[i] = {Coli_Radius(i), {o->pos[0], o->pos[1], o->pos[2]}, o->pushed, {o->velocity[0], o->velocity[1], o->velocity[2]},
                o->groundPolygon, o->reboundDecay, o->reboundFactor};
    }
    memcpy(world.bounds, doc->bounds, sizeof world.bounds);
    world.boxes = doc->boxes;
    world.circles = doc->circles;
    world.m = doc->model;
    world.ground = doc->groundHeight;
    memcpy(world.cache, doc->triangleCache, sizeof world.cache);
  }
  void Step() {
    std::vector<RefObj *> objs(COLI_OBJECTS, nullptr);
    for (i32 i = 0; i < COLI_OBJECTS; i++)
      if (Object_Get(i) && g_Coli.collide[i] == 1 && Model3_Get(Object_Get(i)->modelSlot)) objs[i] = &ref[i];
    RefResolve(world, objs);
    Coli_Resolve();
  }
  // Every field the pass writes equals the reference's (exactly: same formulas, same order).
  void ExpectSame(const char *where) {
    SCOPED_TRACE(where);
    for (i32 i = 0; i < COLI_OBJECTS; i++) {
      KZL::OBJECT *o = Object_Get(i);
      if (!o || g_Coli.collide[i] != 1) continue;
      const RefObj &r = ref[i];
      ASSERT_TRUE(o->pos[0] == r.pos[0] && o->pos[1] == r.pos[1] && o->pos[2] == r.pos[2])
          << i << ": " << o->pos[0] << "," << o->pos[1] << "," << o->pos[2] << " vs " << r.pos[0] << "," << r.pos[1]
          << "," << r.pos[2];
      ASSERT_TRUE(o->velocity[0] == r.v[0] && o->velocity[1] == r.v[1] && o->velocity[2] == r.v[2]) << i;
      ASSERT_EQ(o->pushed, r.pushed) << i;
      ASSERT_EQ(o->groundPolygon, r.ground) << i;
      ASSERT_EQ(o->reboundFactor, r.fade) << i;
    }
    ASSERT_EQ(doc->groundHeight, world.ground);
    ASSERT_EQ(memcmp(doc->triangleCache, world.cache, sizeof world.cache), 0);
  }
};

// A floor of size x size quads (two triangles each, corners at `step` spacing, random heights)
// with four walls `wall` units from the centre facing inwards, and some odd polygons (bad
// indices, degenerate, 5 corners).
Model3 *Terrain(std::mt19937 &rng, int size, f32 step, f32 bumps, f32 wall) {
  ColiModelSpec s;
  std::uniform_real_distribution<f32> h(-bumps, bumps);
  f32 half = size * step / 2;
  for (int z = 0; z <= size; z++)
    for (int x = 0; x <= size; x++) s.positions.push_back({x * step - half, h(rng), z * step - half});
  s.normals = {{0, 1, 0}, {0.3f, 0.9f, 0.1f}, {1, 0, 0}, {0, 0, 1}, {-1, 0, 0}, {0, 0, -1}};
  for (int z = 0; z < size; z++)
    for (int x = 0; x < size; x++) {
      i32 a = z * (size + 1) + x, b = a + 1, c = a + size + 1, d = c + 1;
      u32 n = (rng() % 4 == 0) ? 1 : 0;
      s.polygons.push_back({{a, c, b, -1}, n});
      s.polygons.push_back({{b, c, d, -1}, n});
    }
  // Walls: quads standing upright, facing inwards.
  i32 base = (i32)s.positions.size();
  for (f32 sign : {-1.0f, 1.0f}) {
    f32 e = sign * wall;
    s.positions.push_back({e, -5, -half}), s.positions.push_back({e, -5, half});
    s.positions.push_back({e, 20, half}), s.positions.push_back({e, 20, -half});
    s.positions.push_back({-half, -5, e}), s.positions.push_back({half, -5, e});
    s.positions.push_back({half, 20, e}), s.positions.push_back({-half, 20, e});
  }
  for (int w = 0; w < 4; w++) s.polygons.push_back({{base + 4 * w, base + 4 * w + 1, base + 4 * w + 2, base + 4 * w + 3}, (u32)(2 + w)});
  s.polygons.push_back({{0, 1, 1, -1}, 0});                         // degenerate
  s.polygons.push_back({{0, 1, (i32)s.positions.size(), -1}, 0});   // corner past the positions
  s.polygons.push_back({{0, 1, 2, -1}, 99});                        // normal past the normals
  Model3 *m = ColiBuildModel(s);
  m->polygons[m->polygonCount - 1].cornerCount = 5;                 // more corners than a polygon holds
  return m;
}

// [SECTION] Tests

TEST(ColiGeometry, PointsSegmentsAndDegenerateTriangles) {
  const f32 tri[9] = {0, 0, 0, 4, 0, 0, 0, 0, 4};   // in the plane y = 0
  const f32 flat[9] = {0, 0, 0, 1, 0, 0, 3, 0, 0};  // collinear
  struct Case { const char *what; const f32 *tri; f32 a[3], b[3]; bool hit; f32 at[3]; };
  const Case cases[] = {
      {"through the middle", tri, {1, 1, 1}, {1, -1, 1}, true, {1, 0, 1}},
      {"through an edge", tri, {2, 1, 0}, {2, -1, 0}, true, {2, 0, 0}},
      {"through the long edge", tri, {2, 1, 2}, {2, -1, 2}, true, {2, 0, 2}},
      {"through a corner", tri, {0, 1, 0}, {0, -1, 0}, true, {0, 0, 0}},
      {"just outside", tri, {-0.01f, 1, 1}, {-0.01f, -1, 1}, false, {}},
      {"ends before the plane", tri, {1, 3, 1}, {1, 1, 1}, false, {}},
      {"starts on the plane", tri, {1, 0, 1}, {1, 2, 1}, true, {1, 0, 1}},
      {"parallel above", tri, {0, 1, 0}, {3, 1, 0}, false, {}},
      {"lying in the plane", tri, {-1, 0, 1}, {3, 0, 1}, false, {}},
      {"degenerate triangle", flat, {1, 1, 0}, {1, -1, 0}, false, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    f32 hit[3] = {7, 7, 7}, N[3];
    bool got = Coli_SegmentTriangle(c.tri, c.a, c.b, hit, N);
    EXPECT_EQ(got, c.hit);
    for (int k = 0; k < 3; k++) {
      EXPECT_TRUE(isfinite(hit[k]) && isfinite(g_Coli.triangle.n[k]) && isfinite(g_Coli.triangle.d));
      if (c.hit) { EXPECT_NEAR(hit[k], c.at[k], 1e-6); }
    }
  }
  f32 v[3] = {1, 1, 1};
  Vec3_Normalize(v, 0, 0, 0);
  EXPECT_TRUE(v[0] == 0 && v[1] == 0 && v[2] == 0);
  Vec3_Normalize(v, 3, 0, 4);
  EXPECT_TRUE(v[0] == 0.6f && v[1] == 0 && v[2] == 0.8f);
  EXPECT_EQ(Vec3_Length(2, 3, 6), 7.0f);
}

// A radius-5 character stepping +0.5 in x for 40 frames into a wall of the set.
TEST_F(Twin, WallsOfTheSetStopACharacterLikeTheFormulas) {
  struct Case { const char *what; ColiBox box; ColiCircle circle; };
  const Case cases[] = {
      {"box at 0 degrees", {1, 12, 0, 0.5f, 0, 3}, {}},
      {"box at 45 degrees", {1, 12, 0, 0.5f, 45, 3}, {}},
      {"circle", {}, {1, 14, 0, 0.5f, 3}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    Start(1, nullptr);
    doc->boxes[0] = c.box;
    doc->circles[0] = c.circle;
    KZL::OBJECT *o = Object_Get(0);
    o->pushed = 1;
    for (int f = 0; f < 40; f++) {
      o->velocity[0] = 0.5f;
      Sync();
      Step();
      ExpectSame("frame");
    }
    // Held off or turned aside (20 without the wall), never inside the wall.
    EXPECT_GT(o->pos[0], 2.0f);
    EXPECT_TRUE(o->pos[0] < 19.0f || fabsf(o->pos[2]) > 1.0f);
    if (c.box.used) {
      f32 a = c.box.angle * 3.14159265f / 180, p = o->pos[0] - c.box.x, q = o->pos[2] - c.box.z;
      EXPECT_GT(fmaxf(fabsf(p * cosf(a) - q * sinf(a)), fabsf(q * cosf(a) + p * sinf(a))), c.box.size);
    } else {
      EXPECT_GT(hypotf(o->pos[0] - c.circle.x, o->pos[2] - c.circle.z), c.circle.size);
    }
  }
}

TEST_F(Twin, FloorsWallsAndOtherCharacters) {
  ColiModelSpec s;
  s.positions = {{-30, 0, -30}, {30, 0, -30}, {30, 0, 30}, {-30, 0, 30},        // floor y = 0
                 {10, -5, -30}, {10, -5, 30}, {10, 20, 30}, {10, 20, -30}};       // wall x = 10
  s.normals = {{0, 1, 0}, {-1, 0, 0}};
  s.polygons = {{{0, 3, 2, 1}, 0}, {{4, 5, 6, 7}, 1}};
  Model3 *m = ColiBuildModel(s);
  Start(3, m);
  doc->bounds[1] = -50;
  KZL::OBJECT *a = Object_Get(0), *b = Object_Get(1), *c = Object_Get(2);
  Object_SetPosition(a, -20, 3, 0);
  Object_SetPosition(b, -20, 3, -15);   // two at one spot: no push
  Object_SetPosition(c, -20, 3, -15);
  // Falling onto the floor.
  for (int f = 0; f < 30; f++) {
    Sync();
    Step();
    ExpectSame("falling");
  }
  for (KZL::OBJECT *o : {a, b, c}) {
    EXPECT_EQ(o->groundPolygon, 0);
    EXPECT_NEAR(o->pos[1], 0.1f, 1e-5);
    EXPECT_EQ(o->velocity[1], 0.0f);
    EXPECT_EQ(doc->triangleCache[o->number], 0);
  }
  EXPECT_TRUE(b->velocity[0] == 0 && b->velocity[2] == 0 && b->pos[0] == c->pos[0] && b->pos[2] == c->pos[2]);
  // Walking into the wall: stopped in front of it, its steps cleared.
  a->pushed = 1;
  a->velocity[0] = 0.5f;
  for (int f = 0; f < 80; f++) {
    Sync();
    Step();
    ExpectSame("walking");
  }
  EXPECT_NEAR(a->pos[0], 9.9f, 0.3f);
  EXPECT_EQ(a->velocity[0], 0.0f);
  EXPECT_EQ(doc->triangleCache[0], 0);   // the wall was hit, then the ground under it
  // Below the range floor: lifted, its vertical speed cleared before the fall of this frame.
  doc->bounds[1] = 50;
  c->velocity[1] = -3;
  Sync();
  Step();
  ExpectSame("lifted");
  EXPECT_EQ(c->velocity[1], -0.1f);
  EXPECT_EQ(c->pos[1], 50 - 0.1f);
  EXPECT_EQ(doc->groundHeight, 55.0f);
}

// Random terrains and walkers: the grid's near test gives exactly the plain walk's results,
// and 10,000 frames in a closed room keep every coordinate finite and inside the range.
TEST_F(Twin, RandomWalksMatchThePlainWalkAndStayInTheRoom) {
  std::mt19937 rng(44);
  std::uniform_real_distribution<f32> step(-2.0f, 2.0f), place(-60.0f, 60.0f);
  // 192 x 192 units (the near test leaves most polygons out), walls at +-70 inside a range of +-90.
  Model3 *m = Terrain(rng, 24, 8.0f, 0.6f, 70.0f);
  Start(5, m);
  const f32 range[6] = {-90, -2, -90, 90, 32, 90};
  memcpy(doc->bounds, range, sizeof range);
  doc->boxes[3] = {1, 5, 0, 5, 30, 2};
  doc->circles[7] = {1, -8, 0, -8, 2};
  for (i32 i = 0; i < 5; i++) {
    Object_SetPosition(Object_Get(i), place(rng), 4, place(rng));
    Object_Get(i)->pushed = (u8)(i != 4);
  }
  for (int f = 0; f < 10000; f++) {
    for (i32 i = 0; i < 5; i++)
      if (rng() % 8 == 0) Object_Get(i)->velocity[0] = step(rng), Object_Get(i)->velocity[2] = step(rng);
    if (f < 1000) {
      Sync();
      Step();
      ExpectSame("random frame");
    } else {
      Coli_Resolve();
    }
    for (i32 i = 0; i < 5; i++) {
      const f32 *p = Object_Get(i)->pos;
      ASSERT_TRUE(isfinite(p[0]) && isfinite(p[1]) && isfinite(p[2])) << f;
      ASSERT_TRUE(p[0] >= -90 && p[0] <= 90 && p[2] >= -90 && p[2] <= 90) << f << ": " << p[0] << "," << p[2];
      // Lifted to the range floor before its last fall.
      ASSERT_TRUE(p[1] >= -2 + Object_Get(i)->velocity[1] - 1e-4f && p[1] <= 32) << f << ": " << p[1];
    }
  }
}

}  // namespace
