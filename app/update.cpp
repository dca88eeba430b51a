// The per-frame update (App_UpdateFrame), the window title, the strips' key marks and the
// frame's camera and lights.
#include "app/update.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/keys.h"
#include "app/nav.h"
#include "app/play.h"
#include "app/settings.h"
#include "app/shell_mouse.h"
#include "app/shell_options.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/tree.h"
#include "app/views.h"
#include "lib/framework/frametime.h"
#include "lib/draw/camera.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/render/objects.h"
#include "model/bone2.h"
#include "model/kzo.h"
#include "model/model3.h"
#include "model/obj2.h"


static i32 s_LastListTop = -1;
static u32 s_SeenRevision;
static u32 s_LastLayout = ~0u;

// [SECTION] title
void Title_Format(char *out, size_t size, const char *caption, const TitleDoc *doc) {
  if (!out || size == 0) return;
  const char *name = doc && doc->name ? doc->name : "";
  u32 style = doc ? doc->style : TITLE_CAPTION;
  if (style == TITLE_NAME_VERSION)
    snprintf(out, size, " %s   %s ( Ver %4.3f )", caption, name, (double)doc->version / 1000.0);
  else if (style == TITLE_NAME)
    snprintf(out, size, " %s   %s", caption, name);
  else
    snprintf(out, size, " %s", caption);
}

static bool HasKzpExtension(const char *name) {
  const char *dot = name ? strrchr(name, '.') : nullptr;
  return dot && (dot[1] | 0x20) == 'k' && (dot[2] | 0x20) == 'z' && (dot[3] | 0x20) == 'p' && !dot[4];
}

static TitleDoc Named(const char *name, i32 version) { return TitleDoc{TITLE_NAME_VERSION, name, version}; }

TitleDoc Title_DocOf(u32 family, u32 sub) {
  TitleDoc none = {TITLE_CAPTION, nullptr, 0};
  switch (family) {
    case FAMILY_PREVIEW: {
      const Model3 *m = Current_Model3();
      if (!m || m->polygonCount <= 0) return none;
      TitleDoc d = Named(m->fileName, (i32)m->version);
      if (!HasKzpExtension(m->fileName)) d.style = TITLE_NAME;
      return d;
    }
    case FAMILY_2D_MODEL:
      if (sub == SUB_2D_OBJECT) {
        const Obj2Model *o = g_Sel.g_Cur2DSlot < OBJ2_SLOTS ? g_Obj2Slots[g_Sel.g_Cur2DSlot] : nullptr;
        return o ? Named(o->filePath, o->version) : none;
      }
      if (sub >= SUB_2D_POLY && sub <= SUB_2D_MOTION) {
        const Bone2Model *b = g_Sel.g_CurSlot < BONE2_SLOTS ? g_Bone2Slots[g_Sel.g_CurSlot] : nullptr;
        return b ? Named(b->name, b->version) : none;
      }
      return none;
    case FAMILY_3D_MODEL:
      if (sub == SUB_3D_OBJMOTION) {
        const Obj3Set *s = g_Sel.g_CurSlot < OBJ3_SETS ? g_Obj3Sets[g_Sel.g_CurSlot] : nullptr;
        return s ? Named(s->parts[0].path, s->version) : none;   // object 0 holds the set's path
      }
      if (sub >= SUB_3D_POLY && sub <= SUB_3D_MOTION && Current_Model3())
        return Named(Current_Model3()->fileName, (i32)Current_Model3()->version);
      return none;
    case FAMILY_EFFECT:
    case FAMILY_COLLISION:
    case FAMILY_MOVIE: {
      TitleDoc d = Named(nullptr, 0);
      if (g_ShellEntries.sceneDocument && g_ShellEntries.sceneDocument(family, &d.name, &d.version)) return d;
      return none;
    }
    default: return none;   // 2D map and program: the caption only
  }
}

bool App_TickTitle(void) {
  if (++g_Shell.g_TitleCounter < TITLE_PERIOD) return false;
  g_Shell.g_TitleCounter = 0;
  TitleDoc d = Title_DocOf(g_Shell.g_EditFamily, g_Shell.g_EditSubMode);
  char text[TITLE_TEXT];
  Title_Format(text, sizeof text, g_AppCaption, &d);
  // The window is only told of a new text: setting a caption costs messages of its own.
  static char s_Last[TITLE_TEXT];
  if (strcmp(text, s_Last) == 0) return true;
  Str_Copy(s_Last, sizeof s_Last, text);
  if (g_ShellSeam.setMainTitle) g_ShellSeam.setMainTitle(text);
  return true;
}

// [SECTION] strips (Strip_CopyKeys2D / 3D: strip.cpp)
static void CopyStripKeys(void) {
  HookCtx c = Family_ShellContext();
  if (g_Shell.g_EditFamily == FAMILY_2D_MODEL && (c.layout == SUB_2D_OBJECT || c.layout == SUB_2D_MOTION))
    Strip_CopyKeys2D(&c);
  if (g_Shell.g_EditFamily == FAMILY_3D_MODEL && (c.layout == SUB_3D_OBJMOTION || c.layout == SUB_3D_MOTION))
    Strip_CopyKeys3D(&c);
}

// [SECTION] steps

// The layout's vsync and CPU-occupy bytes put in effect: a family or sub-mode change switches
// vsync to the new layout's byte (a device reset, only when it differs), and an open options
// dialog shows the new layout's boxes.
static void ApplyPresentationOptions(void) {
  u32 L = View_CurrentLayout();
  if (L != s_LastLayout) g_Options.g_OptionDlgRefresh = 1;
  s_LastLayout = L;
  u8 vsync = g_AppShell.vsync[L] ? 1 : 0;
  if (vsync != Lib_IsVSync() && g_ShellSeam.setVSync) g_ShellSeam.setVSync(vsync);
  Lib_SetCpuOccupy(g_AppShell.cpuOccupy[L]);
}

static void WatchListTop(void) {
  if (!g_ShellEntries.ed3dListTopIndex) return;
  i32 top = g_ShellEntries.ed3dListTopIndex();
  if (top < 0) return;
  if (top != s_LastListTop) g_Shell.g_StripDirty[0] = 1;
  s_LastListTop = top;
  g_Strip.g_StripGroupScroll3D = top;   // the swatches start at the list's first shown line
}

// The preview's shadow option (0, 20 or 30) as the model's shadow mode: 2 (the blob
// shadow on the ground y = 0 under the model), 3 (its shape flattened onto that ground), else 0.
static u32 PreviewShadowMode(i32 option) { return option == 20 ? 2u : option == 30 ? 3u : 0u; }

void App_MirrorListSelection(void) {
  const ShellEntries &e = g_ShellEntries;
  if (!e.list2DActive || !e.list2DGetSel || !e.list2DActive()) return;
  if (e.list2DChanged && !e.list2DChanged()) return;
  for (i32 i = 0; i < LIST_SEL_MIRROR; i++) {
    i32 r = e.list2DGetSel(i);
    g_Shell.g_ListSelMirror[i] = r < 0 ? 0u : (u32)r & 0xFFFFu;   // LB_ERR past the last row is not "selected"
  }
}

void App_SetFrameCameraAndLights(void) {
  u32 f = g_Shell.g_EditFamily;
  bool camera = f == FAMILY_2D_MODEL || f == FAMILY_3D_MODEL || f == FAMILY_EFFECT || f == FAMILY_2D_MAP ||
                f == FAMILY_COLLISION || (f == FAMILY_PREVIEW && g_Shell.g_PrevEditFamily != FAMILY_MOVIE);
  if (camera) {
    const ViewRecord *v0 = View_Get(View_CurrentLayout(), 0);
    f32 eye[3];
    View_PerspectiveEye(v0, g_Shell.g_PerspAngleX, g_Shell.g_PerspAngleY, eye);
    Cam_SetEye(eye[0], eye[1], eye[2]);
    Cam_SetTarget(v0->panX, v0->panY, v0->panZ);
    Cam_SetLightDirection(eye[0], eye[1], eye[2]);   // the light comes from the eye
  }
  if (f == FAMILY_COLLISION || f == FAMILY_MOVIE) Cam_SetLightDirection(-500, 500, -500);
  if (f != FAMILY_PROGRAM && g_Options.g_ToonInEffect == 1) Cam_SetLightDirection(-125, 125, -500);
  Cam_SetLightColor(1, 1, 1);
  Cam_SetAmbient(0.25f, 0.25f, 0.25f);
  // The quad is rebuilt on every change, so only a new colour is handed on.
  const f32 q[4] = {0, 0, 0, 0.12f};
  if (g_Lib.flags.r != q[0] || g_Lib.flags.g != q[1] || g_Lib.flags.b != q[2] || g_Lib.flags.alpha != q[3]) {
    if (g_ShellSeam.setScreenQuadColor) g_ShellSeam.setScreenQuadColor(q[0], q[1], q[2], q[3]);
  }
}

// The library's per-frame passes after the family's update, in this order, so that every
// pose and deformed vertex is current before the frame is rendered.
void App_FramePasses(void) {
  // Every edit, load, save and new document moves the revision: a 2D skin may have changed.
  static u32 s_SkinRevision;
  bool edited = g_Shell.g_DocRevision != s_SkinRevision;
  s_SkinRevision = g_Shell.g_DocRevision;
  if (edited) Bone2_ModelChanged();
  // A 3D model is posed again after an edit, or when a view is to show something changed
  // (every change of what is drawn asks for a redraw); otherwise only a slot whose frame,
  // motion or settings moved. An untouched program poses nothing.
  if (edited || View_RedrawPending()) Object_PosesChanged();
  Obj2_UpdateAll();
  Bone2_SkinAll();
  Object_UpdateChangedFrame();
  Kzo_UpdatePoses();
}

// Whatever window changed the document, the family's panels show it again once. The revision
// is taken first: the hook's own control fills may send messages that come to the door.
static void FollowDocument(void) {
  if (g_Shell.g_DocRevision == s_SeenRevision) return;
  s_SeenRevision = g_Shell.g_DocRevision;
  const FamilyHooks *row = Family_Current();
  HookCtx c = Family_ShellContext();
  if (row && row->documentChanged) row->documentChanged(&c);
}

// [SECTION] the door of every command
// The door opens with the first frame (start-up is not a command: its families are not
// entered yet); the depth counts the messages and frames being handled.
static struct {
  bool open;
  u32 depth;
} s_Door;

void App_CommandBegin(void) {
  if (s_Door.depth++ == 0 && s_Door.open) FollowDocument();
}

void App_CommandEnd(void) {
  if (s_Door.depth) s_Door.depth--;
}

void App_UpdateFrame(void) {
  s_Door.open = true;
  App_CommandBegin();
  // The phase lines name views by number: another layout's views are other views.
  static u32 s_TimedLayout;
  if (View_CurrentLayout() != s_TimedLayout) {
    s_TimedLayout = View_CurrentLayout();
    FrameTime_Forget();
  }
  if (g_ShellSeam.findActiveView) g_ShellSeam.findActiveView();
  ApplyPresentationOptions();
  CopyStripKeys();
  if (g_Shell.g_PendingRedraw) { g_Shell.g_PendingRedraw = 0; App_MarkAllRedraw(View_CurrentLayout()); }
  WatchListTop();
  bool dark = g_Shell.g_EditFamily == FAMILY_EFFECT || g_Shell.g_EditFamily == FAMILY_PROGRAM;
  Lib_SetClearColor(dark ? 0 : 128, dark ? 0 : 128, dark ? 0 : 128);
  if (g_Shell.g_EditFamily == FAMILY_PREVIEW && Current_Model3())
    Current_Model3()->shadowMode = PreviewShadowMode(g_Options.g_OptShadow);
  HookCtx nav = Family_ShellContext();
  App_Navigate(&nav);
  if (g_Shell.g_Playing == 1) {
    App_MarkAllRedraw(nav.layout);
    g_Shell.g_Playing = 0;
    Play_TickByRunState(g_Lib.runState);
  }
  if (g_ShellEntries.moviePlaying && g_ShellEntries.moviePlaying()) Play_TickMovie();
  App_TickTitle();
  App_MirrorListSelection();
  const FamilyHooks *row = Family_Current();
  HookCtx c = Family_ShellContext();
  if (row && row->update) row->update(&c);
  // The update hook may have changed the layout, the active view or the model: a fresh context.
  HookCtx zoom = Family_ShellContext();
  App_ZDragZoom(&zoom);
  App_FramePasses();
  App_SetFrameCameraAndLights();
  FollowDocument();
  if (g_ShellEntries.refreshGroupDialog) g_ShellEntries.refreshGroupDialog();
  g_Mouse.g_MouseMoveDX = 0;
  g_Mouse.g_MouseMoveDY = 0;
  g_Mouse.g_NavMoveDX = 0;
  g_Mouse.g_NavMoveDY = 0;
  App_CommandEnd();
}
