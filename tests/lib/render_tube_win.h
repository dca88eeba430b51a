// The shared model of the drawing tests under Wine: a lit tube bent by a motion, with two
// textures, a mirrored fin and a hidden group, and its 128-bone variant; plus the projection
// of world points to the test device's pixels, so that probes can say where a thing must be.
#pragma once

#include <math.h>

#include "render_scene_win.h"

namespace tubetest {

using namespace frametest;

// The tube: 8 sides of radius 0.5 around the y axis, rings every 0.5 from y 0 to 3.
const int kSides = 8, kRings = 7;
const f32 kRadius = 0.5f, kRingStep = 0.5f;
const f32 kPivotY = 1.5f;     // bone 2's origin: the bend
const f32 kBendDegrees = 50;  // bone 2 turned about z by the motion
// Groups: 0 lower half (checker, texture 1), 1 upper half (gradient, texture 2), 2 the fin
// (mirrored), 3 a hidden quad left of the tube.
const i32 kHiddenGroup = 3;
const Vec3 kHiddenCentre = {-2.2f, 0.5f, 0};

inline u32 RingVertex(int ring, int side) { return (u32)(ring * kSides + side % kSides); }

// A 16 x 16 texture of A8R8G8B8 texels from fn(x, y).
template <class Fn>
inline IDirect3DTexture9 *MakeTexture(IDirect3DDevice9 *dev, Fn fn) {
  IDirect3DTexture9 *tex = nullptr;
  if (FAILED(dev->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr))) return nullptr;
  D3DLOCKED_RECT r;
  if (SUCCEEDED(tex->LockRect(0, &r, nullptr, 0))) {
    for (int y = 0; y < 16; y++)
      for (int x = 0; x < 16; x++) ((u32 *)((u8 *)r.pBits + y * r.Pitch))[x] = fn(x, y);
    tex->UnlockRect(0);
  }
  return tex;
}

inline void AddQuad(Model3 *m, u32 a, u32 b, u32 c, u32 d, u32 group, const u32 uv[4]) {
  Polygon3 &p = m->polygons[m->polygonCount++];
  p = Polygon3{};
  p.cornerCount = 4;
  p.group = group;
  const u32 v[4] = {a, b, c, d};
  for (int k = 0; k < 4; ++k) p.corners[k] = PolyCorner{v[k], v[k], 0, uv[k]};
}

// Bone b at rest y above its parent; its key turns it about z and moves it nowhere (a key
// position is added to the rest position).
inline void SetBoneKey(Model3 *m, i32 b, f32 y, f32 degrees) {
  Model3_EnsureKeyTable(m, b);
  BoneKey3 k;
  BoneKey3_Identity(&k, 0);
  Quat q;
  Quat_FromAxisAngle(&q, 0, 0, 1, degrees);
  k.quat[0] = q.x, k.quat[1] = q.y, k.quat[2] = q.z, k.quat[3] = q.w;
  KeyTrack_Insert(&m->bones[b].keys[0], &k);
  m->boneRest[b].pos[1] = y;
}

// The model of slot `slot`, with `bones` bones (3: root, lower, upper; 128: every ring
// band its own bone of a chain, each turned a little). Textures go into the slot's pose.
inline Model3 *Tube(i32 slot, IDirect3DDevice9 *dev, i32 bones = 3) {
  const int fin = kRings * kSides, hidden = fin + 4, verts = hidden + 4;
  Model3 *m = Model3_Init(slot);
  // The upper group's own texture coordinates at the bend ring (v a little higher), so the
  // welded modes keep the two groups' colours apart there (welding joins equal UVs).
  const int bendRing = (int)(kPivotY / kRingStep), ownUV = verts;
  Model3_Reserve(m, verts, verts, 1, verts + kSides, kSides * (kRings - 1) + 2);
  m->positionCount = m->normalCount = verts;
  m->uvCount = verts + kSides;
  for (int s = 0; s < kSides; s++) m->uvs[ownUV + s] = Vec2{(f32)s / kSides, bendRing / (f32)(kRings - 1) + 0.002f};
  m->colorCount = 1;
  m->polygonCount = 0;
  for (int r = 0; r < kRings; r++)
    for (int s = 0; s < kSides; s++) {
      f32 a = (f32)s * 6.2831853f / kSides;
      u32 v = RingVertex(r, s);
      m->positions[v] = Vec3{kRadius * cosf(a), r * kRingStep, kRadius * sinf(a)};
      m->normals[v] = Vec3{cosf(a), 0, sinf(a)};
      m->uvs[v] = Vec2{(f32)s / kSides, r / (f32)(kRings - 1)};
      f32 y = r * kRingStep;
      if (bones == 3) m->bindings[v] = VertexBinding{1, 2, y < kPivotY ? 1.0f : (y == kPivotY ? 0.5f : 0.0f), 0};
      else m->bindings[v] = VertexBinding{(u16)(1 + r * 18), (u16)(1 + r * 18), 1.0f, 0};
    }
  // Fin: a vertical quad at z 0 sticking out to +x at the lower tube; hidden quad to the left.
  const Vec3 finPos[4] = {{0.4f, 0.3f, 0}, {0.4f, 0.9f, 0}, {1.3f, 0.9f, 0}, {1.3f, 0.3f, 0}};
  const Vec3 hidPos[4] = {{-2.5f, 0.2f, 0}, {-2.5f, 0.8f, 0}, {-1.9f, 0.8f, 0}, {-1.9f, 0.2f, 0}};
  for (int k = 0; k < 4; k++) {
    m->positions[fin + k] = finPos[k];
    m->positions[hidden + k] = hidPos[k];
    m->normals[fin + k] = m->normals[hidden + k] = Vec3{0, 0, -1};
    m->uvs[fin + k] = m->uvs[hidden + k] = Vec2{0, 0};
    m->bindings[fin + k] = m->bindings[hidden + k] = VertexBinding{1, 1, 1.0f, 0};
  }
  // Side quads, clockwise as seen from outside.
  for (int r = 0; r + 1 < kRings; r++)
    for (int s = 0; s < kSides; s++) {
      u32 a = RingVertex(r, s), b = RingVertex(r + 1, s), c = RingVertex(r + 1, s + 1), d = RingVertex(r, s + 1);
      // The seam's last column reuses UV column 0 of the ring: welding keeps it apart.
      u32 uv[4] = {a, b, s + 1 < kSides ? c : b, s + 1 < kSides ? d : a};
      if (r == bendRing) uv[0] = (u32)(ownUV + s), uv[3] = (u32)(ownUV + (s + 1 < kSides ? s + 1 : s));
      AddQuad(m, a, b, c, d, r * kRingStep < kPivotY ? 0 : 1, uv);
    }
  const u32 finUV[4] = {(u32)fin, (u32)fin + 1, (u32)fin + 2, (u32)fin + 3};
  AddQuad(m, fin, fin + 1, fin + 2, fin + 3, 2, finUV);
  const u32 hidUV[4] = {(u32)hidden, (u32)hidden + 1, (u32)hidden + 2, (u32)hidden + 3};
  AddQuad(m, hidden, hidden + 1, hidden + 2, hidden + 3, kHiddenGroup, hidUV);
  m->groupCount = 4;
  const f32 colour[4][3] = {{255, 255, 255}, {255, 230, 200}, {90, 220, 90}, {255, 0, 255}};
  for (int g = 0; g < 4; g++) {
    m->groups[g].r = colour[g][0], m->groups[g].g = colour[g][1], m->groups[g].b = colour[g][2];
    m->groups[g].a = 255;
    m->groups[g].shading = g == kHiddenGroup ? 0 : 4;
  }
  m->groups[0].texture = 1;
  m->groups[1].texture = 2;
  m->groups[2].mirror = 1;
  for (int c = 0; c < 4; ++c) m->color[c] = 255;
  m->lighting = 1;
  m->displayMode = 2;
  m->normalOffset = 1.0f;
  m->boneCount = bones;
  m->motionCount = 1;
  m->motions[0].used = 1;
  m->motions[0].length = 60;
  m->motion = 0;
  for (int b = 1; b < bones; b++) {
    m->bones[b].parent = (u32)(b - 1);
    if (bones == 3) SetBoneKey(m, b, b == 2 ? kPivotY : 0, b == 2 ? kBendDegrees : 0);
    else SetBoneKey(m, b, b == 1 ? 0 : kRingStep / 18, 0.8f);
  }
  m->poseUpdate = 1;
  m->normalUpdate = 1;
  m->shown = 1;
  ModelPose *pose = g_ModelPoses[slot];
  pose->textures[1] = MakeTexture(dev, [](int x, int y) { return ((x / 4 + y / 4) & 1) ? 0xFFFFFFFFu : 0xFFD03020u; });
  pose->textures[2] = MakeTexture(dev, [](int x, int) { return 0xFF000000u | (u32)(40 + x * 12) << 8 | 200u; });
  return m;
}

// Pixel (x, y) of a world point under the fixture's camera (eye (0, 4.5, -7) looking at
// (0, 1.5, 0), field of view 0.785, W x H).
inline void Project(const Vec3 &p, int *x, int *y) {
  f32 view[16], proj[16];
  Cam_BuildLookAtLH(view, g_Camera.eye, g_Camera.target, g_Camera.up);
  Cam_BuildPerspectiveFovLH(proj, 0.785f, (f32)W / H, 0.5f, 1000.0f);
  Mat4 v, pr, vp;
  memcpy(v.f, view, sizeof view);
  memcpy(pr.f, proj, sizeof proj);
  Mat_Multiply(&vp, v, pr);
  f32 c[4];
  for (int j = 0; j < 4; j++) c[j] = p.x * vp.m[0][j] + p.y * vp.m[1][j] + p.z * vp.m[2][j] + vp.m[3][j];
  *x = (int)((c[0] / c[3] + 1) * 0.5f * W);
  *y = (int)((1 - c[1] / c[3]) * 0.5f * H);
}

inline unsigned At(const std::vector<unsigned> &px, int x, int y) {
  if (x < 0 || y < 0 || x >= W || y >= H) return 0;
  return px[(size_t)y * W + x] & 0xFFFFFF;
}

inline bool Near(unsigned a, unsigned b, int tol) {
  for (int s = 0; s < 24; s += 8) {
    int d = (int)((a >> s) & 255) - (int)((b >> s) & 255);
    if (d > tol || d < -tol) return false;
  }
  return true;
}

}  // namespace tubetest
