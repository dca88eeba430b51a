// The motion sub-mode's menu operations on the whole model: copying the bones, bindings and
// motions of another model file into the current model (each vertex re-bound to the file's
// nearest vertex through a grid index), and freezing the current pose into the rest mesh.
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "app/docflags.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/tree.h"
#include "app/views.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/undo.h"
#include "lib/media/dialogs.h"
#include "lib/media/sound.h"
#include "lib/render/objects.h"
#include "model/kzp.h"
#include "model/mesh.h"
#include "model/motion.h"
#include "model/seam_errorbox.h"
#include "model/seam_timer.h"

enum { SCRATCH_SLOT = 255 };

// [SECTION] nearest vertex
// A uniform grid over the finite points; cells hold point indices in increasing order.
namespace {
struct PointGrid {
  f64 lo[3], cell;
  i32 dim[3];
  std::vector<i32> start, index;   // CSR: cell c holds index[start[c] .. start[c + 1] - 1]
};

bool Finite(const Vec3 &p) { return isfinite(p.x) && isfinite(p.y) && isfinite(p.z); }

i32 CellOf(const PointGrid &g, f64 v, i32 axis) {
  f64 c = floor((v - g.lo[axis]) / g.cell);
  if (!(c >= 0)) return 0;   // NaN too
  return c >= g.dim[axis] ? g.dim[axis] - 1 : (i32)c;
}

void BuildGrid(PointGrid &g, const Vec3 *pts, i32 m) {
  f64 lo[3] = {1e300, 1e300, 1e300}, hi[3] = {-1e300, -1e300, -1e300};
  i32 finite = 0;
  for (i32 i = 0; i < m; i++) {
    if (!Finite(pts[i])) continue;
    const f32 c[3] = {pts[i].x, pts[i].y, pts[i].z};
    for (int a = 0; a < 3; a++) lo[a] = c[a] < lo[a] ? c[a] : lo[a], hi[a] = c[a] > hi[a] ? c[a] : hi[a];
    finite++;
  }
  f64 ext = 0;
  for (int a = 0; a < 3; a++) {
    if (finite == 0) lo[a] = hi[a] = 0;
    ext = hi[a] - lo[a] > ext ? hi[a] - lo[a] : ext;
    g.lo[a] = lo[a];
  }
  // About one cell per point along the longest axis's cube root: at most ~m cells in all.
  f64 side = ceil(cbrt((f64)(finite > 0 ? finite : 1)));
  g.cell = ext > 0 ? ext / side : 1.0;
  size_t cells = 1;
  for (int a = 0; a < 3; a++) {
    f64 d = floor((hi[a] - lo[a]) / g.cell) + 1;
    g.dim[a] = d > side + 1 ? (i32)side + 1 : (i32)d;
    cells *= (size_t)g.dim[a];
  }
  g.start.assign(cells + 1, 0);
  std::vector<i32> cellOf((size_t)m, -1);
  for (i32 i = 0; i < m; i++) {
    if (!Finite(pts[i])) continue;
    i32 c = (CellOf(g, pts[i].z, 2) * g.dim[1] + CellOf(g, pts[i].y, 1)) * g.dim[0] + CellOf(g, pts[i].x, 0);
    cellOf[(size_t)i] = c;
    g.start[(size_t)c + 1]++;
  }
  for (size_t c = 0; c < cells; c++) g.start[c + 1] += g.start[c];
  g.index.resize((size_t)g.start[cells]);
  std::vector<i32> fill(g.start.begin(), g.start.end() - 1);
  for (i32 i = 0; i < m; i++)
    if (cellOf[(size_t)i] >= 0) g.index[(size_t)fill[(size_t)cellOf[(size_t)i]]++] = i;
}

f32 Dist(const Vec3 &a, const Vec3 &b) { return fabsf(a.x - b.x) + fabsf(a.y - b.y) + fabsf(a.z - b.z); }

// Scans one cell, keeping the smallest distance and the lowest index on ties.
void ScanCell(const PointGrid &g, const Vec3 *pts, const Vec3 &q, i32 c, f32 *best, i32 *found) {
  for (i32 k = g.start[(size_t)c]; k < g.start[(size_t)c + 1]; k++) {
    i32 i = g.index[(size_t)k];
    f32 d = Dist(pts[i], q);
    if (d < *best || (d == *best && i < *found)) *best = d, *found = i;
  }
}

i32 Nearest(const PointGrid &g, const Vec3 *pts, const Vec3 &q) {
  const f32 kStart = 99999.9f;   // a point this far or farther is never chosen
  if (!Finite(q) || g.index.empty()) return 0;
  i32 c[3] = {CellOf(g, q.x, 0), CellOf(g, q.y, 1), CellOf(g, q.z, 2)};
  i32 maxR = g.dim[0] > g.dim[1] ? g.dim[0] : g.dim[1];
  maxR = maxR > g.dim[2] ? maxR : g.dim[2];
  f32 best = INFINITY;
  i32 found = 0x7fffffff;
  for (i32 r = 0; r <= maxR; r++) {
    // A point in a cell r cells away on some axis lies at least (r - 1) cells away from the
    // query on that axis: an L-infinity (and so L1) distance of (r - 1) * cell. Stop once the
    // best found is certainly below that (equal distances may still hold a lower index).
    if (found != 0x7fffffff && (f64)best < (f64)(r - 1) * g.cell * (1.0 - 1e-6)) break;
    for (i32 z = c[2] - r; z <= c[2] + r; z++) {
      if (z < 0 || z >= g.dim[2]) continue;
      bool zShell = z == c[2] - r || z == c[2] + r;
      for (i32 y = c[1] - r; y <= c[1] + r; y++) {
        if (y < 0 || y >= g.dim[1]) continue;
        bool shell = zShell || y == c[1] - r || y == c[1] + r;
        i32 step = shell || r == 0 ? 1 : 2 * r;
        for (i32 x = c[0] - r; x <= c[0] + r; x += step) {
          if (x < 0 || x >= g.dim[0]) continue;
          ScanCell(g, pts, q, (z * g.dim[1] + y) * g.dim[0] + x, &best, &found);
        }
      }
    }
  }
  return (found == 0x7fffffff || !(best < kStart)) ? 0 : found;
}
}  // namespace

void Ed3D_NearestPoints(const Vec3 *pts, i32 m, const Vec3 *queries, i32 n, i32 *out) {
  if (m <= 0) {
    for (i32 i = 0; i < n; i++) out[i] = -1;
    return;
  }
  PointGrid g;
  BuildGrid(g, pts, m);
  for (i32 i = 0; i < n; i++) out[i] = Nearest(g, pts, queries[i]);
}

// [SECTION] copy motions
static i32 Clamp(i32 v, i32 hi) { return v < 0 ? 0 : (v > hi ? hi : v); }

static bool CopyBindings(Model3 *d, const Model3 *s) {
  i32 n = d->positions && d->bindings ? (d->positionCount < d->capPositions ? d->positionCount : d->capPositions) : 0;
  i32 m = s->positions && s->bindings ? (s->positionCount < s->capPositions ? s->positionCount : s->capPositions) : 0;
  if (n <= 0 || m <= 0) return true;
  std::vector<i32> near((size_t)n);
  Ed3D_NearestPoints(s->positions, m, d->positions, n, near.data());
  for (i32 v = 0; v < n; v++) {
    const VertexBinding &b = s->bindings[near[(size_t)v] < 0 ? 0 : near[(size_t)v]];
    d->bindings[v].bone1 = b.bone1;
    d->bindings[v].bone2 = b.bone2;
    d->bindings[v].weight = b.weight;
    d->bindings[v].automatic = 0;
  }
  return true;
}

static bool CopyBones(Model3 *d, const Model3 *s) {
  i32 bones = Clamp(s->boneCount, MODEL3_BONES);
  // Room first: a bone whose table cannot be made leaves the model as it was.
  for (i32 b = 0; b < bones; b++)
    if (!Model3_EnsureKeyTable(d, b)) return false;
  for (i32 b = 0; b < bones; b++) {
    Bone3 &db = d->bones[b];
    const Bone3 &sb = s->bones[b];
    memcpy(db.name, sb.name, sizeof db.name);
    db.name[MODEL3_NAME - 1] = 0;
    db.parent = sb.parent;
    d->boneRest[b] = s->boneRest[b];
    for (i32 mo = 0; mo < MODEL3_MOTIONS; mo++) {
      KeyTrack *t = &db.keys[mo];
      if (sb.keys) {
        if (!KeyTrack_CopyFrom(t, &sb.keys[mo])) return false;
      } else {
        t->count = 0;
      }
    }
  }
  d->boneCount = bones;
  return true;
}

bool Kzp_CopyMotionsFromFile(i32 slot, const char *path) {
  Model3 *d = Model3_Get(slot);
  if (!d || !path || slot == SCRATCH_SLOT) return false;
  Model3_FreeSlot(SCRATCH_SLOT);
  if (!Model3_Init(SCRATCH_SLOT)) return false;
  ModelResult res;
  const Model3 *s = Model3_OpenFile(SCRATCH_SLOT, path, &res);
  Seam_ShowResult(&res);
  bool ok = s != nullptr;
  if (ok) ok = CopyBindings(d, s) && CopyBones(d, s);
  if (ok) {
    d->motionCount = Clamp(s->motionCount, MODEL3_MOTIONS);
    d->keyTableLength = Clamp(s->keyTableLength, MODEL3_MOTIONS);
    for (i32 mo = 0; mo < MODEL3_MOTIONS; mo++) {
      Motion3 &dm = d->motions[mo];
      const Motion3 &sm = s->motions[mo];
      dm.used = sm.used;
      if (!sm.used) continue;
      memcpy(dm.name, sm.name, sizeof dm.name);
      dm.name[MODEL3_NAME - 1] = 0;
      dm.length = sm.length;
    }
    if (d->motion < 0 || d->motion >= MODEL3_MOTIONS) d->motion = 0;
    d->changed = 1;
  }
  Model3_FreeSlot(SCRATCH_SLOT);
  return ok;
}

void Ed3D_CopyMotionsCommand(const HookCtx *c) {
  const char *file = FileDlg_OpenByExt(g_Shell.g_MainWindowHandle, "KZP", "コピー元 KZP ファイルを選択して下さい", "");
  // The slot's model is looked up again after the dialog: the copy fills the model the slot
  // holds when it runs.
  if (file && file[0] && Model3_Get((i32)c->slot)) {
    // The name is the dialog's buffer: keep a copy while the reader runs.
    char path[1024];
    Str_Copy(path, sizeof path, file);
    if (Kzp_CopyMotionsFromFile((i32)c->slot, path)) {
      Model3 *m = Model3_Get((i32)c->slot);
      m->frame = 0;
      Tree_LinkBones3D();
      Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "モーションデータ読み込み");
      Doc_MarkEdited(DOC_MODEL3);
      Undo_PushSlot(c->slot);
      c->sel->g_CurBoneIndex = 0;
      for (i32 i = 1; i < m->soundCount && i < MODEL3_SOUNDS; i++) Sound_LoadModelSound(m, i, m->sounds[i]);
    }
  }
  Ed3D_MotionRefreshLists(Model3_Get((i32)c->slot), c->layout);
  Timer_Reset();
}

// [SECTION] freeze
bool Ed3D_FreezePose(const HookCtx *c) {
  Model3 *m = c->model;
  if (!m || !m->positions) return false;
  i32 np = m->positionCount < m->capPositions ? m->positionCount : m->capPositions;
  // The pose of the current frame, skinned now: the per-frame pass may not have run since.
  Model3_BuildRestMatrices();
  Model3_EvalPoseMatrices();
  bool skinned = m->posed && m->bindings;
  if (skinned) Object_SkinModel((i32)c->slot);
  i32 nf = m->polygons ? (m->polygonCount < m->capPolygons ? m->polygonCount : m->capPolygons) : 0;
  if (skinned) {
    for (i32 f = 0; f < nf; f++) {
      const Polygon3 &p = m->polygons[f];
      i32 k = p.cornerCount > 4 ? 4 : p.cornerCount;
      for (i32 j = 0; j < k; j++) {
        u32 v = p.corners[j].vertex;
        if (v < (u32)np) m->positions[v] = m->posed[v];
      }
    }
    Model3_CalcNormals(m);
  }
  m->frame = 0;
  KeyTrack *t = Ed3D_MotionTrack(m, (i32)c->sel->g_CurBoneIndex);
  if (t && t->count > 1) t->count = 1;
  m->changed = 1;
  Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "フリーズ");
  Doc_MarkEdited(DOC_MODEL3);
  Undo_PushSlot(c->slot);
  return true;
}
