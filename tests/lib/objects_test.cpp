// Scene objects and the per-frame model pass: object creation limits, world matrices,
// two-bone skinning by hand, face-averaged normals, the buffer refresh of modes 1 to 3
// through recording hooks, and the frame advance of the animation step.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <string>
#include <vector>

#include "capacity_guard.h"
#include "lib/framework/lib_state.h"
#include "tests/support/render_fakes.h"
#include "lib/framework/lib.h"
#include "lib/framework/d3dapp.h"
#include "lib/render/objects.h"
#include "model/bone2.h"
#include "model/model3.h"
#include "model/seam.h"
#include "scene/movie_services.h"

namespace {

std::vector<std::string> g_boxes;
void RecordBox(const char *text) { g_boxes.push_back(text); }

// Vertex buffers as plain memory: the handle is the memory.
int g_locks, g_unlocks;
void *LockMemory(void *b) {
  g_locks++;
  return b;
}
void UnlockMemory(void *) { g_unlocks++; }

class ObjectsTest : public ::testing::Test {
 protected:
  static const i32 kSlot = 5;
  CapacityGuard capacity;
  Model3 *m = nullptr;
  ModelPose *pose = nullptr;
  void SetUp() override {
    g_MaxPolygons = 32;
    g_MaxVertices = 128;
    g_FrameOutputSuppressed = 0;
    g_Lib.flags.vsync = 1;
    FakeRender_ClearPassHooks();
    g_LibHooks.lockVertexBuffer = LockMemory;
    g_LibHooks.unlockVertexBuffer = UnlockMemory;
    g_locks = g_unlocks = 0;
    g_boxes.clear();
    g_Seam.errorBox = RecordBox;
    g_ModelAllocArrays = 1;
    m = Model3_Init(kSlot);
    ASSERT_NE(m, nullptr);
    pose = g_ModelPoses[kSlot];
    m->poseUpdate = 1;
  }
  void TearDown() override {
    Model3_FreeSlot(kSlot);
    g_Seam.errorBox = nullptr;
    FakeRender_ClearPassHooks();
  }
  void SetKey(i32 bone, f32 x, f32 y, f32 z, Quat q) {
    KeyTrack *t = &m->bones[bone].keys[0];
    t->count = 1;
    BoneKey3_Identity(&t->keys[0], 0);
    t->keys[0].pos[0] = x;
    t->keys[0].pos[1] = y;
    t->keys[0].pos[2] = z;
    t->keys[0].quat[0] = q.x;
    t->keys[0].quat[1] = q.y;
    t->keys[0].quat[2] = q.z;
    t->keys[0].quat[3] = q.w;
  }
  // Bone 1: rest (1, 0, 0), moved by (0, 2, 0). Bone 2: rest (0, 0, 1), turned 90 degrees
  // about z. For p = (1, 0, 1): bone 1 gives (1, 2, 1); bone 2 turns (1, 0, 0) into
  // (0, -1, 0) (row vectors) and adds its position: (0, -1, 1).
  void TwoBones() {
    f32 s = sqrtf(0.5f);
    m->boneCount = 3;
    m->boneRest[1].pos[0] = 1.0f;
    m->boneRest[2].pos[2] = 1.0f;
    SetKey(1, 0, 2, 0, {0, 0, 0, 1});
    SetKey(2, 0, 0, 0, {0, 0, s, s});
  }
  i32 AddVertex(f32 x, f32 y, f32 z, u16 b1, u16 b2, f32 w) {
    i32 v = m->positionCount++;
    m->positions[v] = {x, y, z};
    m->bindings[v] = {b1, b2, w, 0};
    return v;
  }
  void AddPolygon(std::initializer_list<u32> vs, u32 group = 0) {
    Polygon3 *p = &m->polygons[m->polygonCount++];
    memset(p, 0, sizeof *p);
    p->cornerCount = (u8)vs.size();
    p->group = group;
    int j = 0;
    for (u32 v : vs) p->corners[j++].vertex = v;
  }
};

void ExpectVec(const Vec3 &v, f32 x, f32 y, f32 z) {
  EXPECT_NEAR(v.x, x, 1e-6);
  EXPECT_NEAR(v.y, y, 1e-6);
  EXPECT_NEAR(v.z, z, 1e-6);
}

}  // namespace

// [SECTION] Scene objects

TEST_F(ObjectsTest, ObjectInitLimitsAndReplacement) {
  EXPECT_EQ(ObjectInit(512), nullptr);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0], "ObjectInit(512) 最大数を超えました。");
  EXPECT_EQ(ObjectInit(-1), nullptr);   // refused like an index past the table
  EXPECT_EQ(g_boxes.size(), 2u);
  KZL::OBJECT *o = ObjectInit(511);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->number, 511);
  EXPECT_EQ(o->modelSlot, 511);
  EXPECT_EQ(o->inUse, 1);
  EXPECT_EQ(o->rotation.w, 1.0f);
  Object_SetQuaternion(o, 0, 0, 1, 0);
  EXPECT_EQ(g_ObjectSideRecords[511]->rotationForm, 1);
  KZL::OBJECT *again = ObjectInit(511);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(g_ObjectSideRecords[511]->rotationForm, 0);
  // Slot 511 lies outside the model table: the object has no model.
  EXPECT_EQ(Object_ModelOf(again), nullptr);
  again->modelSlot = kSlot;
  EXPECT_EQ(Object_ModelOf(again), m);
  again->modelSlot = -3;
  EXPECT_EQ(Object_ModelOf(again), nullptr);
}

TEST_F(ObjectsTest, WorldMatrixInBothRotationForms) {
  KZL::OBJECT *o = ObjectInit(7);
  ASSERT_NE(o, nullptr);
  Object_SetPosition(o, 1, 2, 3);
  Object_SetRotation(o, 0, 0, 90);   // (1, 0, 0) -> (0, -1, 0)
  Object_UpdateWorldMatrix(7);
  const Mat4 &w = g_ObjectSideRecords[7]->world;
  f32 p[3];
  Mat_TransformPoint(p, 1, 0, 0, w);
  EXPECT_NEAR(p[0], 1.0f, 1e-6);
  EXPECT_NEAR(p[1], 1.0f, 1e-6);
  EXPECT_NEAR(p[2], 3.0f, 1e-6);
  // Quaternion form, stored unnormalised: twice the 90-degree z turn.
  f32 s = sqrtf(0.5f);
  Object_SetQuaternion(o, 0, 0, 2 * s, 2 * s);
  Object_UpdateWorldMatrix(7);
  Mat_TransformPoint(p, 1, 0, 0, g_ObjectSideRecords[7]->world);
  EXPECT_NEAR(p[0], 1.0f, 1e-6);
  EXPECT_NEAR(p[1], 1.0f, 1e-6);   // conjugate turn of the row-vector layout: (0, -1, 0) + pos
  Object_UpdateWorldMatrix(600);     // out of range: nothing
}

// [SECTION] Skinning and normals

TEST_F(ObjectsTest, TwoBoneSkinningByHand) {
  TwoBones();
  i32 half = AddVertex(1, 0, 1, 1, 2, 0.5f);
  i32 one = AddVertex(1, 0, 1, 1, 2, 1.0f);
  i32 zero = AddVertex(1, 0, 1, 1, 2, 0.0f);
  i32 quarter = AddVertex(1, 0, 1, 1, 2, 0.25f);
  i32 over = AddVertex(1, 0, 1, 1, 2, 1.5f);      // above 1: the second bone only
  i32 missing = AddVertex(4, 5, 6, 90, 2, 1.0f);  // bone 90 does not exist: bone 0
  Object_UpdateFrame();
  ExpectVec(m->posed[half], 0.5f, 0.5f, 1.0f);
  ExpectVec(m->posed[one], 1.0f, 2.0f, 1.0f);
  ExpectVec(m->posed[zero], 0.0f, -1.0f, 1.0f);
  ExpectVec(m->posed[quarter], 0.25f, -0.25f, 1.0f);
  ExpectVec(m->posed[over], 0.0f, -1.0f, 1.0f);
  ExpectVec(m->posed[missing], 4.0f, 5.0f, 6.0f);
  EXPECT_EQ(m->bindings[missing].bone1, 0);   // the correction is kept
  // Accumulated rotations: bone 2's own turn, bone 0's identity.
  EXPECT_NEAR(pose->accumQuat[2].z, sqrtf(0.5f), 1e-6);
  EXPECT_EQ(pose->accumQuat[0].w, 1.0f);
}

// The skinning formula written out per component with its branches, as the vector loop must
// reproduce it bit for bit.
void LiteralSkin(const ModelPose *pose, i32 bones, VertexBinding *bind, const Vec3 *p, Vec3 *out) {
  auto point = [&](i32 b, f32 q[3]) {
    f32 o[3];
    for (int c = 0; c < 3; c++)
      o[c] = 0.0f * pose->rest[b].m[0][c] + 0.0f * pose->rest[b].m[1][c] + 0.0f * pose->rest[b].m[2][c] +
             pose->rest[b].m[3][c];
    f32 x = p->x - o[0], y = p->y - o[1], z = p->z - o[2];
    const Mat4 &m = pose->posed[b];
    for (int c = 0; c < 3; c++) q[c] = x * m.m[0][c] + y * m.m[1][c] + z * m.m[2][c] + m.m[3][c];
  };
  if (bind->bone1 >= bones) bind->bone1 = 0;
  if (bind->bone2 >= bones) bind->bone2 = 0;
  f32 w = bind->weight, q1[3], q2[3];
  if (w > 0.0f && w < 1.0f) {
    point(bind->bone1, q1);
    point(bind->bone2, q2);
    f32 k = 1.0f - w;
    *out = {q1[0] + (q2[0] - q1[0]) * k, q1[1] + (q2[1] - q1[1]) * k, q1[2] + (q2[2] - q1[2]) * k};
  } else if (w == 1.0f) {
    point(bind->bone1, q1);
    *out = {q1[0], q1[1], q1[2]};
  } else {
    point(bind->bone2, q2);
    *out = {q2[0], q2[1], q2[2]};
  }
}

// Would catch a vector loop that reorders a sum, folds the weight cases into one formula
// (-0, 1 - w rounding, NaN) or forgets the out-of-range correction.
TEST_F(ObjectsTest, SkinningMatchesTheScalarFormulaBitForBit) {
  u32 seed = 12345;
  auto rnd = [&] {
    seed = seed * 1664525u + 1013904223u;
    return (f32)(seed >> 8) / (f32)(1u << 24) * 8.0f - 4.0f;
  };
  const i32 bones = 5;
  for (i32 b = 0; b < MODEL3_BONES; b++)
    for (int r = 0; r < 4; r++)
      for (int c = 0; c < 4; c++) {
        pose->posed[b].m[r][c] = rnd();
        pose->rest[b].m[r][c] = rnd();
      }
  const f32 weights[] = {0.0f, 1.0f, 0.5f, 0.25f, -0.5f, 1.5f, NAN, 1e-30f, 0.99999994f, -0.0f};
  std::vector<VertexBinding> binds, literal;
  std::vector<Vec3> points;
  for (f32 w : weights)
    for (u16 b1 : {0, 1, 4, 5, 200})
      for (u16 b2 : {0, 3, 7}) {
        binds.push_back({b1, b2, w, 0});
        points.push_back({rnd(), rnd(), rnd()});
      }
  points[3] = {-0.0f, 0.0f, -0.0f};
  literal = binds;
  for (size_t i = 0; i < binds.size(); i++) {
    Vec3 got, want;
    Object_SkinPoint(pose, bones, &binds[i], &points[i], &got);
    LiteralSkin(pose, bones, &literal[i], &points[i], &want);
    EXPECT_EQ(memcmp(&got, &want, sizeof got), 0) << i;
    EXPECT_EQ(memcmp(&binds[i], &literal[i], sizeof binds[i]), 0) << i;
  }
}

// The whole-model loop moves points and results 16 bytes at a time (the last point alone) and
// takes the weight class as a branch: every vertex, the last included, as the formula.
TEST_F(ObjectsTest, WholeModelSkinningMatchesTheScalarFormulaBitForBit) {
  u32 seed = 777;
  auto rnd = [&] {
    seed = seed * 1664525u + 1013904223u;
    return (f32)(seed >> 8) / (f32)(1u << 24) * 8.0f - 4.0f;
  };
  m->boneCount = 5;
  for (i32 b = 0; b < MODEL3_BONES; b++)
    for (int r = 0; r < 4; r++)
      for (int c = 0; c < 4; c++) {
        pose->posed[b].m[r][c] = rnd();
        pose->rest[b].m[r][c] = rnd();
      }
  const f32 weights[] = {0.5f, 0.5f, 1.0f, 0.0f, 0.25f, -0.5f, 1.5f, NAN, -0.0f, 0.99999994f};
  for (i32 count : {1, 2, 7, 128}) {
    m->positionCount = count;
    for (i32 v = 0; v < count; v++) {
      m->positions[v] = {rnd(), rnd(), v % 9 == 4 ? -0.0f : rnd()};
      u32 r = (u32)(rnd() * 1000.0f) & 0xFFFF;
      m->bindings[v] = {(u16)(r % 7), (u16)((r / 7) % 6), weights[(r / 3) % 10], 0};
    }
    std::vector<VertexBinding> literal(m->bindings, m->bindings + count);
    Object_SkinModel(kSlot);
    for (i32 v = 0; v < count; v++) {
      Vec3 want;
      LiteralSkin(pose, 5, &literal[v], &m->positions[v], &want);
      EXPECT_EQ(memcmp(&m->posed[v], &want, sizeof want), 0) << count << " " << v;
      EXPECT_EQ(memcmp(&m->bindings[v], &literal[v], sizeof literal[v]), 0) << count << " " << v;
    }
  }
}

// The idle loop's pass poses a slot again after each kind of change and never without one.
TEST_F(ObjectsTest, ChangedFramePassPosesAgainOnlyAfterAChange) {
  TwoBones();
  i32 v = AddVertex(1, 0, 1, 1, 2, 1.0f);
  void (*const kChanges[])(Model3 *) = {
      [](Model3 *) { Object_PosesChanged(); },                          // an edit, load or undo
      [](Model3 *m) { m->frame = 1; },
      [](Model3 *m) { m->motion = 1; }, [](Model3 *m) { m->boneCount = 4; },
      [](Model3 *m) { m->changed = 1; },                                // render data rebuilt
      [](Model3 *m) { m->renderMode = 1; }};
  Object_UpdateChangedFrame();
  f32 x = 1;
  for (auto change : kChanges) {
    SCOPED_TRACE(x);
    f32 before = m->posed[v].x;
    m->positions[v].x = x += 10;   // not announced
    Object_UpdateChangedFrame();
    EXPECT_EQ(m->posed[v].x, before);
    change(m);
    Object_UpdateChangedFrame();
    EXPECT_NE(m->posed[v].x, before);
    m->changed = 0;   // as the rebuild leaves it
  }
}

TEST_F(ObjectsTest, ChildRotationsAccumulateDownTheChain) {
  f32 s = sqrtf(0.5f);
  m->boneCount = 3;
  m->bones[2].parent = 1;
  SetKey(1, 0, 0, 0, {0, 0, s, s});
  SetKey(2, 0, 0, 0, {0, 0, s, s});
  Object_UpdateFrame();
  // Two 90-degree turns about z: 180 degrees.
  EXPECT_NEAR(fabsf(pose->accumQuat[2].z), 1.0f, 1e-6);
  EXPECT_NEAR(pose->accumRot[2].m[0][0], -1.0f, 1e-6);
  // The child's posed matrix holds only its own turn.
  EXPECT_NEAR(pose->posed[2].m[0][0], 0.0f, 1e-6);
}

TEST_F(ObjectsTest, NormalsAreFaceAveragedAndNotNormalised) {
  // A cube corner: three faces meet at vertex 0.
  i32 o = AddVertex(0, 0, 0, 0, 0, 1), x = AddVertex(1, 0, 0, 0, 0, 1);
  i32 y = AddVertex(0, 1, 0, 0, 0, 1), z = AddVertex(0, 0, 1, 0, 0, 1);
  AddPolygon({(u32)o, (u32)y, (u32)x});   // normal -z
  AddPolygon({(u32)o, (u32)z, (u32)y});   // normal -x
  AddPolygon({(u32)o, (u32)x, (u32)z});   // normal -y
  AddPolygon({(u32)x, (u32)x, (u32)y});   // degenerate: zero, never NaN
  Object_UpdateFrame();
  ExpectVec(m->vertexNormals[o], -1.0f / 3, -1.0f / 3, -1.0f / 3);
  ExpectVec(m->polygons[3].faceNormal, 0, 0, 0);
  EXPECT_FALSE(isnan(m->vertexNormals[x].x));
  // Without the normal-update flag only the positions follow the bones.
  m->normalUpdate = 0;
  m->vertexNormals[o] = {9, 9, 9};
  Object_UpdateFrame();
  EXPECT_EQ(m->vertexNormals[o].x, 9.0f);
}

TEST_F(ObjectsTest, NothingMovesWhileSuppressedOrWithoutPoseUpdate) {
  TwoBones();
  i32 v = AddVertex(1, 0, 1, 1, 2, 1.0f);
  g_FrameOutputSuppressed = 1;
  Object_UpdateFrame();
  ExpectVec(m->posed[v], 0, 0, 0);
  g_FrameOutputSuppressed = 0;
  m->poseUpdate = 0;
  Object_UpdateFrame();
  ExpectVec(m->posed[v], 0, 0, 0);
  // Render mode 5: bone matrices but no deformation.
  m->poseUpdate = 1;
  m->renderMode = 5;
  Object_UpdateFrame();
  ExpectVec(m->posed[v], 0, 0, 0);
  EXPECT_NEAR(pose->posed[1].m[3][1], 2.0f, 1e-6);
}

// [SECTION] Device buffers and render data through the hooks

TEST_F(ObjectsTest, ModeOneWritesFanCornersIntoGroupBuffers) {
  TwoBones();
  m->renderMode = 1;
  m->groupCount = 2;
  for (int i = 0; i < 4; i++) AddVertex((f32)i, 0, 0, 0, 0, 1.0f);
  AddPolygon({0, 1, 2, 3}, 1);   // a quad in group 1: corners 0 1 2, 0 2 3
  AddPolygon({0, 1, 2}, 0);
  std::vector<f32> group1(6 * 9, -1.0f), group0(3 * 9, -1.0f);
  pose->vertexBuffers[1] = group1.data();
  pose->primCounts[1] = 6;
  pose->vertexBuffers[0] = group0.data();
  pose->primCounts[0] = 2;       // room for fewer corners than the group has: never overrun
  Object_UpdateFrame();
  const int order[6] = {0, 1, 2, 0, 2, 3};
  for (int k = 0; k < 6; k++) EXPECT_EQ(group1[k * 9 + 0], (f32)order[k]) << k;
  EXPECT_EQ(group1[1 * 9 + 6], -1.0f);   // colour left as it was
  EXPECT_FLOAT_EQ(group1[0 * 9 + 5], m->vertexNormals[0].z);
  EXPECT_EQ(group0[2 * 9], -1.0f);
  EXPECT_EQ(g_locks, 2);
  EXPECT_EQ(g_unlocks, 2);
  pose->vertexBuffers[0] = pose->vertexBuffers[1] = nullptr;
}

namespace {
Vec3 g_meshPositions[2] = {{1, 0, 1}, {1, 0, 1}};
VertexBinding g_meshBindings[2] = {{1, 2, 0.5f, 0}, {2, 99, 0.0f, 0}};
Vec3 g_meshPosed[2];
bool IndexedMesh(i32 slot, SkinTarget *out) {
  *out = {2, g_meshPositions, g_meshBindings, g_meshPosed};
  return slot == 5;
}
u8 g_vertexFlags[2] = {0, 1};   // built when the model had two vertices
u8 g_polygonFlags[1] = {1};
bool Palette(i32 slot, const u8 **v, i32 *vn, const u8 **p, i32 *pn) {
  *v = g_vertexFlags;
  *vn = 2;
  *p = g_polygonFlags;
  *pn = 1;
  return true;
}
}  // namespace

TEST_F(ObjectsTest, ModesTwoAndThreeDeformOnlyTheirVertices) {
  TwoBones();
  m->renderMode = 2;
  g_LibHooks.indexedMeshSkin = IndexedMesh;
  std::vector<f32> buffer(2 * 9, -1.0f);
  pose->vertexBuffers[0] = buffer.data();
  pose->primCounts[0] = 6;
  Object_UpdateFrame();
  ExpectVec(g_meshPosed[0], 0.5f, 0.5f, 1.0f);
  ExpectVec(g_meshPosed[1], 1.0f, 0.0f, 1.0f);   // bone 99 corrected to the root
  EXPECT_EQ(g_meshBindings[1].bone2, 0);
  EXPECT_FLOAT_EQ(buffer[0], 0.5f);
  EXPECT_FLOAT_EQ(buffer[9 + 0], 1.0f);
  EXPECT_FLOAT_EQ(buffer[9 + 1], 0.0f);
  EXPECT_EQ(buffer[3], -1.0f);             // normals untouched
  pose->vertexBuffers[0] = nullptr;

  m->renderMode = 3;
  g_LibHooks.paletteFlags = Palette;
  for (int i = 0; i < 4; i++) AddVertex(1, 0, 1, 1, 2, 1.0f);
  Object_UpdateFrame();
  ExpectVec(m->posed[1], 1.0f, 2.0f, 1.0f);
  ExpectVec(m->posed[0], 0, 0, 0);
  ExpectVec(m->posed[3], 0, 0, 0);   // added after the flags were built: left alone
}

// [SECTION] Animation step

TEST_F(ObjectsTest, FrameAdvanceWrapsAndKeepsTheFraction) {
  m->motions[0].length = 4;
  g_Lib.frameDelta = 2.5f;
  Object_StepAnimations();
  EXPECT_EQ(m->frame, 2);
  EXPECT_FLOAT_EQ(m->frameFraction, 0.5f);
  EXPECT_EQ(m->motionEnded, 0);
  Object_StepAnimations();   // 3.0 more: frames 3, 4 -> wrap to 0, then 1
  EXPECT_EQ(m->frame, 1);
  EXPECT_EQ(m->motionEnded, 1);
  // Without vertical sync every step is one frame.
  g_Lib.flags.vsync = 0;
  Object_StepAnimations();
  EXPECT_EQ(m->frame, 2);
  // A broken delta neither stops the clock nor spins: it counts as no time.
  Object_AdvanceModelFrame(kSlot, NAN);
  Object_AdvanceModelFrame(kSlot, INFINITY);
  EXPECT_EQ(m->frame, 2);
  Object_AdvanceModelFrame(kSlot, 1.0f);
  EXPECT_EQ(m->frame, 3);
  // A long pause is cheap and lands on the right frame: 1e6 frames in a motion of 4.
  Object_AdvanceModelFrame(kSlot, 1000000.0f);
  EXPECT_EQ(m->frame, (3 + 1000000) % 4);
  Object_AdvanceModelFrame(kSlot, 3e38f);   // finite but endless one frame at a time
  EXPECT_GE(m->frame, 0);
  EXPECT_LT(m->frame, 4);
  EXPECT_LT(m->frameFraction, 1.0f);
  m->frame = 3;
  m->frameFraction = 0.0f;
  // While the video window plays nothing advances.
  g_D3DApp.videoActive = 1;
  Object_StepAnimations();
  EXPECT_EQ(m->frame, (3 + 1000000) % 4);
  g_D3DApp.videoActive = 0;
}

TEST_F(ObjectsTest, SkippedRepeatsLandWhereFrameByFrameWould) {
  for (i32 length : {0, 1, 3, 7}) {
    for (i32 start : {-5, 0, 2, 9}) {
      for (i32 steps = 0; steps <= 40; steps++) {
        i32 frame = start;
        u8 ended = 0;
        for (i32 i = 0; i < steps; i++) {
          frame++;
          if (frame < 0) frame = 0;
          if (frame >= length) {
            frame = 0;
            ended = 1;
          }
        }
        m->motions[0].length = length;
        m->frame = start;
        m->frameFraction = 0.25f;
        m->motionEnded = 0;
        Object_AdvanceModelFrame(kSlot, (f32)steps);
        EXPECT_EQ(m->frame, frame) << length << " " << start << " " << steps;
        EXPECT_EQ(m->motionEnded, ended) << length << " " << start << " " << steps;
        EXPECT_EQ(m->frameFraction, 0.25f);
      }
    }
  }
}

TEST_F(ObjectsTest, StepAdvancesTwoDimensionalModelsToo) {
  g_ModelAllocArrays = 0;
  Bone2Model *b = Bone2_Init(4);
  ASSERT_NE(b, nullptr);
  b->motions[b->currentMotion].length = 2;
  b->currentFrame = 0;
  Object_StepAnimations();
  EXPECT_EQ(b->currentFrame, 1);
  Object_StepAnimations();
  EXPECT_EQ(b->currentFrame, 0);   // wrapped at the motion's length
  Bone2_FreeSlot(4);
}
