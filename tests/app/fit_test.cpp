// The fit command's arithmetic: it ends for an empty model, a client of size 0, corners
// behind the eye and flat selections, and widens a flat axis to a 2-unit box.
#include <gtest/gtest.h>
#include <cmath>
#include <math.h>

#include "app/current.h"
#include "tests/support/hook_at.h"
#include "app/shell_options.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "model/keytrack.h"
#include "lib/framework/view_record.h"
#include "model/model3.h"
#include "shell_fixture.h"

namespace {

// A pinhole camera looking from eye to target, 800 x 600 pixels, focal length 600.
f32 g_eye[3], g_target[3];
int g_projections;

void Place(const f32 eye[3], const f32 target[3]) {
  memcpy(g_eye, eye, sizeof g_eye);
  memcpy(g_target, target, sizeof g_target);
}

bool Project(const f32 p[3], f32 s[2]) {
  g_projections++;
  f32 f[3] = {g_target[0] - g_eye[0], g_target[1] - g_eye[1], g_target[2] - g_eye[2]};
  f32 len = sqrtf(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
  for (f32 &c : f) c /= len;
  f32 r[3] = {f[2], 0, -f[0]};
  f32 rl = sqrtf(r[0] * r[0] + r[2] * r[2]);
  if (rl < 1e-6f) { r[0] = 1; rl = 1; }
  for (f32 &c : r) c /= rl;
  f32 u[3] = {f[1] * r[2] - f[2] * r[1], f[2] * r[0] - f[0] * r[2], f[0] * r[1] - f[1] * r[0]};
  f32 d[3] = {p[0] - g_eye[0], p[1] - g_eye[1], p[2] - g_eye[2]};
  f32 z = d[0] * f[0] + d[1] * f[1] + d[2] * f[2];
  if (z <= 0.01f) return false;
  s[0] = 400 + 600 * (d[0] * r[0] + d[1] * r[1] + d[2] * r[2]) / z;
  s[1] = 300 - 600 * (d[0] * u[0] + d[1] * u[1] + d[2] * u[2]) / z;
  return true;
}

const FitCamera kCam = {Place, Project};

}  // namespace

TEST(ViewFit, EmptyModelGivesNoBox) {
  f32 mn[3], mx[3];
  EXPECT_FALSE(View_BoundsOfPoints(nullptr, 0, mn, mx));
  ViewRecord v = {};
  v.kind = VIEW_FRONT;
  v.zoom = 0.7f;
  View_FitOrtho(&v, nullptr, 0);   // nothing to fit: the view stays as it was
  EXPECT_EQ(v.zoom, 0.7f);
}

TEST(ViewFit, PerspectiveFitEndsWithEveryCornerInside) {
  const f32 pts[] = {-3, 0, -2, 4, 5, 1, 0, 2, 3};
  f32 mn[3], mx[3];
  ASSERT_TRUE(View_BoundsOfPoints(pts, 3, mn, mx));
  ViewRecord v = {};
  g_projections = 0;
  View_FitPerspective(&v, mn, mx, 800, 600, -20, 20, &kCam);
  EXPECT_FLOAT_EQ(v.panX, 0.5f);
  EXPECT_FLOAT_EQ(v.panY, 2.5f);
  EXPECT_FLOAT_EQ(v.panZ, 0.5f);
  EXPECT_LT(g_projections, 8 * VIEW_FIT_MAX_STEPS);
  f32 eye[3];
  View_PerspectiveEye(&v, -20, 20, eye);
  Place(eye, &v.panX);
  for (int c = 0; c < 8; c++) {
    f32 p[3] = {(c & 1) ? mx[0] : mn[0], (c & 2) ? mx[1] : mn[1], (c & 4) ? mx[2] : mn[2]}, s[2];
    ASSERT_TRUE(Project(p, s));
    EXPECT_GE(s[0], 0); EXPECT_LE(s[0], 800);
    EXPECT_GE(s[1], 0); EXPECT_LE(s[1], 600);
  }
}

TEST(ViewFit, ZeroSizeClientAndHugeBoxesStillEnd) {
  const f32 pts[] = {0, 0, 0, 1, 1, 1};
  f32 mn[3], mx[3];
  View_BoundsOfPoints(pts, 2, mn, mx);
  ViewRecord v = {};
  g_projections = 0;
  View_FitPerspective(&v, mn, mx, 0, 0, -20, 20, &kCam);   // a minimised window
  EXPECT_EQ(g_projections, 0);
  EXPECT_GT(v.zoom, 0.0f);
  // A client too small for any corner: the loop gives up after its step cap.
  View_FitPerspective(&v, mn, mx, 1, 1, -20, 20, &kCam);
  EXPECT_LE(g_projections, 8 * VIEW_FIT_MAX_STEPS);
  EXPECT_TRUE(std::isfinite(v.zoom));
}

// A model of finite points whose widths are enormous (a file's coordinates near the float
// limit): every view's fit ends in bounded steps with finite numbers, the perspective eye a
// float, and the orthographic views as far out as they go.
TEST(ViewFit, EnormousModelsGetFiniteViews) {
  struct Case {
    f32 lo, hi;   // every axis
  };
  const Case cases[] = {{-3e37f, 3e37f}, {-1.7e38f, 1.7e38f}, {0, 3.4e38f}, {-1e12f, 1e12f}, {-1e6f, 1e6f}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.hi);
    const f32 pts[] = {c.lo, c.lo, c.lo, c.hi, c.hi, c.hi};
    f32 mn[3], mx[3];
    ASSERT_TRUE(View_BoundsOfPoints(pts, 2, mn, mx));
    ViewRecord v = {};
    g_projections = 0;
    View_FitPerspective(&v, mn, mx, 800, 600, -20, 20, &kCam);
    EXPECT_LE(g_projections, 8 * VIEW_FIT_MAX_STEPS);
    f32 eye[3];
    View_PerspectiveEye(&v, -20, 20, eye);
    EXPECT_TRUE(std::isfinite(v.zoom) && std::isfinite(eye[0]) && std::isfinite(eye[1]) && std::isfinite(eye[2]))
        << v.zoom << " " << eye[2];
    for (u32 kind : {VIEW_FRONT, VIEW_TOP, VIEW_SIDE}) {
      ViewRecord o = {};
      o.kind = kind;
      o.zoom = 0.25f;
      o.w = 448; o.h = 496;
      View_FitOrtho(&o, pts, 2);
      EXPECT_EQ(o.zoom, g_ViewMinZoom) << kind;   // 40 px a unit x 0.001: 2e6 units span 80,000 px
      EXPECT_TRUE(std::isfinite(o.panX) && std::isfinite(o.panY) && std::isfinite(o.panZ));
    }
  }
}

TEST(ViewFit, FlatSelectionIsWidenedToTwoUnits) {
  const f32 pts[] = {1, 2, 5, 3, 4, 5, 2, 2, 5};   // all at z = 5
  f32 mn[3], mx[3];
  ASSERT_TRUE(View_BoundsOfPoints(pts, 3, mn, mx));
  EXPECT_EQ(mn[2], 4.0f);
  EXPECT_EQ(mx[2], 6.0f);
  ViewRecord v = {};
  View_FitPerspective(&v, mn, mx, 640, 480, -20, 20, &kCam);
  EXPECT_GT(v.zoom, 0.0f);
  // A single point: every axis widened, the orthographic zoom stays finite.
  ViewRecord o = {};
  o.kind = VIEW_TOP;
  o.zoom = 0.25f;
  o.w = 300; o.h = 300;
  const f32 one[] = {2, 3, 4};
  View_FitOrtho(&o, one, 1);
  EXPECT_FLOAT_EQ(o.panX, 2);
  EXPECT_FLOAT_EQ(o.panZ, -4);
  EXPECT_TRUE(std::isfinite(o.zoom));
  EXPECT_GT(o.zoom, 0.0f);
}

TEST(ViewFit, OrthographicFitByKindAndSmallWindows) {
  const f32 pts[] = {0, 0, 0, 10, 4, -6};
  ViewRecord v = {};
  v.kind = VIEW_FRONT;
  v.zoom = 1.0f;
  v.w = 448; v.h = 496;   // room 400 x 400 pixels
  View_FitOrtho(&v, pts, 2);
  EXPECT_FLOAT_EQ(v.panX, 5);
  EXPECT_FLOAT_EQ(v.panY, 2);
  EXPECT_FLOAT_EQ(v.zoom, 1.0f / (400.0f / 400.0f));   // 10 units x 40 px = 400 px wide
  v.kind = VIEW_SIDE;
  View_FitOrtho(&v, pts, 2);
  EXPECT_FLOAT_EQ(v.panZ, 3);    // -(centre of z)
  EXPECT_FLOAT_EQ(v.panY, 2);    // -(centre of -y)
  // A window smaller than its margins: no division by zero, no negative zoom.
  v.kind = VIEW_FRONT;
  v.w = 10; v.h = 0;
  v.zoom = 1.0f;
  View_FitOrtho(&v, pts, 2);
  EXPECT_TRUE(std::isfinite(v.zoom));
  EXPECT_GT(v.zoom, 0.0f);
}

TEST(ViewFit, FitCommandOnModels) {
  Shell_ResetForTest();
  g_ShellSeam.fitCamera = &kCam;
  App_AllocWorkArrays(&g_Sel);
  g_Shell.g_EditFamily = 11;
  g_Shell.g_EditSubMode = 14;
  g_Shell.g_ViewCount[14] = 2;
  g_Shell.g_Views[14][0].inUse = 1;
  g_Shell.g_Views[14][0].window = (HWND__ *)0x1;
  g_Shell.g_Views[14][0].zoom = 3.2f;
  g_Options.g_MainWndRect[2] = 800;
  g_Options.g_MainWndRect[3] = 600;
  g_Sel.g_CurSlot = 0;
  // No model at all: only a redraw.
  Model3_FreeSlot(0);
  View_Fit(Hook_Now());
  EXPECT_EQ(g_Shell.g_Views[14][0].zoom, 3.2f);
  EXPECT_EQ(g_Shell.g_Views[14][0].redraw, 1u);
  // An empty model: no points, only a redraw.
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_Init(0);
  ASSERT_NE(m, nullptr);
  m->polygonCount = 0;
  g_Shell.g_Views[14][0].redraw = 0;
  View_Fit(Hook_Now());
  EXPECT_EQ(g_Shell.g_Views[14][0].zoom, 3.2f);
  EXPECT_EQ(g_Shell.g_Views[14][0].redraw, 1u);
  // One triangle in the plane y = 2 with a corner naming no vertex: the flat axis is
  // widened and the bad corner is left out.
  m->positionCount = 3;
  m->positions[0] = {0, 2, 0};
  m->positions[1] = {4, 2, 0};
  m->positions[2] = {0, 2, 4};
  m->polygonCount = 1;
  m->polygons[0].cornerCount = 4;
  for (u32 c = 0; c < 4; c++) m->polygons[0].corners[c].vertex = c == 3 ? 1000000u : c;
  g_Sel.g_PolySelectMode = 1;
  View_Fit(Hook_Now());
  EXPECT_EQ(m->bboxMin[1], 1.0f);
  EXPECT_EQ(m->bboxMax[1], 3.0f);
  EXPECT_EQ(m->bboxMax[0], 4.0f);
  EXPECT_FLOAT_EQ(g_Shell.g_Views[14][0].panX, 2.0f);
  // A Front view in the modelling sub-mode fits the selection; with nothing selected it fits
  // the whole model (a second triangle at x 10..14), so F always brings the model back.
  m->positionCount = 6;
  m->positions[3] = {10, 2, 0};
  m->positions[4] = {14, 2, 0};
  m->positions[5] = {10, 6, 0};
  m->polygonCount = 2;
  m->polygons[1].cornerCount = 3;
  for (u32 c = 0; c < 3; c++) m->polygons[1].corners[c].vertex = 3 + c;
  g_Shell.g_Views[14][1].inUse = 1;
  g_Shell.g_Views[14][1].kind = VIEW_FRONT;
  g_Shell.g_Views[14][1].zoom = 0.25f;
  g_Shell.g_Views[14][1].w = 300;
  g_Shell.g_Views[14][1].h = 300;
  g_Shell.g_Views[14][1].panX = -500.0f;   // panned far out of sight
  g_Shell.g_ActiveView = 1;
  View_Fit(Hook_Now());
  EXPECT_FLOAT_EQ(g_Shell.g_Views[14][1].panX, 7.0f);
  EXPECT_NE(g_Shell.g_Views[14][1].zoom, 0.25f);
  g_Sel.g_PolySelFaces[0] = 1;
  View_Fit(Hook_Now());
  EXPECT_FLOAT_EQ(g_Shell.g_Views[14][1].panX, 2.0f);
  g_Sel.g_PolySelFaces[0] = 0;
  g_Shell.g_ActiveView = 0;
  // The preview fits the model as drawn, posed: bone 1 holds every vertex 100 along x.
  BoneKey3 key;
  BoneKey3_Identity(&key, 0);
  key.pos[0] = 100.0f;
  ASSERT_TRUE(Model3_EnsureKeyTable(m, 1) && KeyTrack_Insert(&m->bones[1].keys[m->motion], &key) >= 0);
  for (i32 i = 0; i < m->positionCount; i++) m->bindings[i] = {1, 1, 1.0f, 0};
  m->boneCount = 2;
  m->poseUpdate = 1;
  g_Shell.g_EditFamily = g_Shell.g_EditSubMode = FAMILY_PREVIEW;
  g_Shell.g_Views[0][0] = g_Shell.g_Views[14][0];
  View_Fit(Hook_Now());
  EXPECT_EQ(m->bboxMax[0], 114.0f);
  Model3_FreeSlot(0);
}

// Points that are not numbers (a NaN or an infinity left in a model) stay out of the bounds
// and of both fits: the views keep finite pans and zooms and fit the finite points alone.
TEST(ViewFit, PointsThatAreNotNumbersAreLeftOut) {
  const f32 nan = NAN, inf = INFINITY;
  const f32 finite[] = {-3, 0, -2, 4, 5, 1};
  const f32 bad[][3] = {{nan, 0, 0}, {0, inf, 0}, {0, 0, -inf}};
  for (const auto &b : bad) {
    const f32 pts[] = {-3, 0, -2, b[0], b[1], b[2], 4, 5, 1};
    f32 mn[3], mx[3], wantMn[3], wantMx[3];
    ASSERT_TRUE(View_BoundsOfPoints(pts, 3, mn, mx));
    View_BoundsOfPoints(finite, 2, wantMn, wantMx);
    for (int a = 0; a < 3; a++) {
      EXPECT_EQ(mn[a], wantMn[a]);
      EXPECT_EQ(mx[a], wantMx[a]);
    }
    ViewRecord v = {};
    View_FitPerspective(&v, mn, mx, 800, 600, -20, 20, &kCam);
    EXPECT_TRUE(std::isfinite(v.panX) && std::isfinite(v.panY) && std::isfinite(v.panZ) && std::isfinite(v.zoom));
    for (u32 kind : {VIEW_FRONT, VIEW_TOP, VIEW_SIDE}) {
      ViewRecord o = {}, want = {};
      o.kind = want.kind = kind;
      o.zoom = want.zoom = 0.25f;
      o.w = want.w = 448; o.h = want.h = 496;
      View_FitOrtho(&o, pts, 3);
      View_FitOrtho(&want, finite, 2);
      EXPECT_EQ(o.zoom, want.zoom) << kind;
      EXPECT_EQ(o.panX, want.panX) << kind;
      EXPECT_EQ(o.panY, want.panY) << kind;
      EXPECT_EQ(o.panZ, want.panZ) << kind;
    }
  }
}
