// View records, the choice of the view drawn each pass, and the shared refresh operations.
//
// Every layout (= sub-mode) holds up to eight views: view 0 is the main window's client
// area, views 1..7 float in their own "WIN_DLG" windows. Editors never draw: they flag views
// (App_MarkAllRedraw) and the main loop draws one flagged view per idle pass, chosen by
// View_ChooseDrawView. Only the shell changes the records' windows and counts (a family that
// makes its own views sets its count with View_SetCount); editors change pan and zoom of the
// view they act on.
#pragma once
#include "model/types.h"
#include "app/hook_ctx.h"
#include "app/shell_services.h"
#include "lib/framework/view_record.h"

enum { VIEWS_PER_LAYOUT = APP_VIEWS_PER_LAYOUT, VIEW_LAYOUTS = APP_FAMILY_COUNT };

// ViewRecord and g_Shell.g_Views: shell_services.h.


// The layout of the current sub-mode (0 for a sub-mode number past the layouts).
u32 View_CurrentLayout(void);
// The number of views a layout holds (a family that makes its own view windows sets it).
void View_SetCount(u32 layout, i32 count);
// The record of a view of the current layout (index clamped into 0..7).
ViewRecord *View_Get(u32 layout, u32 index);
// True when the context's view (for a draw hook the view being drawn) is a main view (kind 0).
bool View_DrawingMain(const HookCtx *c);
// The frame render's request for the view drawn now (g_Shell.g_DrawView of the current layout), from
// the family, the sub-mode and the view records (the library's g_LibHooks.frameRequest).
void View_FrameRequest(FrameRequest *out);
// The scale of what the 2D frame shows now: in the 2D texture sub-mode
// View_TextureFrameZoom, in the sub-modes View_LowFramePan names their scale on a low
// desktop, else 1. The frame's 640 x 480 pixels take 640 x 480 times it on
// the screen.
f32 View_FrameZoom(void);
// The 2D texture sub-mode's frame scale. Its panel (a UV preview 512 pixels high) leaves the
// frame less than 480 pixels of the screen's height: 3/4 on a desktop at least
// VIEW_TEXTURE_FULL_HEIGHT high. On a lower one the panel's preview is
// VIEW_TEXTURE_LOW_PREVIEW pixels square and the frame shows at 1/2.
constexpr f32 VIEW_TEXTURE_FRAME_ZOOM = 0.75f, VIEW_TEXTURE_FRAME_ZOOM_LOW = 0.5f;
constexpr i32 VIEW_TEXTURE_FULL_HEIGHT = 992, VIEW_TEXTURE_LOW_PREVIEW = 240;
bool View_TextureLayoutLow(void);
f32 View_TextureFrameZoom(void);
// On a desktop as low, the 2D polygon, bone and motion frames show at 3/4, the weight frame
// at 0.45 and the object frame at 1/2, each at a place of its own clear of its panels: the pan that puts the frame
// of `subMode` there, false for a sub-mode without one or on a higher desktop.
bool View_LowFramePan(u32 subMode, f32 *panX, f32 *panY);

// The movie family's windows on a desktop too small for its full layout (the Pers view at
// (176, 84), 712 x 592, the actor dialogs right of it from x 890, the key dialog below it):
// the mode panel and the family selector keep the left column (VIEW_MOVIE_COMPACT_LEFT
// wide), the actor dialogs the right edge (VIEW_MOVIE_ACTOR_W) down to the key dialog along
// the bottom (VIEW_MOVIE_KEY_H), and between them the Pers view takes the top left, the Side
// view below it and the Front and Top views a column (VIEW_MOVIE_SIDE_W, wide enough for a
// view's menu on one line) right of both.
constexpr i32 VIEW_MOVIE_FULL_W = 1216, VIEW_MOVIE_FULL_H = 946;
constexpr i32 VIEW_MOVIE_COMPACT_LEFT = 150, VIEW_MOVIE_COMPACT_TOP = 44;
constexpr i32 VIEW_MOVIE_ACTOR_W = 325, VIEW_MOVIE_KEY_H = 240, VIEW_MOVIE_SIDE_W = 216;
bool View_MovieCompact(void);
// The compact rectangle of movie view `index` (1..3 the side views, 4 Pers) on a desktop of
// the given size; false for another index.
bool View_MovieCompactRect(u32 index, i32 desktopW, i32 desktopH, i32 *x, i32 *y, i32 *w, i32 *h);

// Picks the view drawn this pass over layout `layout` (the wait-counter rule: the active
// view gains 3, the others flagged gain 1, the longest wait wins, ties to the lower index)
// and applies the held-button overrides. Returns -1 when nothing is flagged.
struct ViewChoiceInput {
  u32 layout;
  u32 activeView;
  bool updateEditedViewOnly;   // option "編集中のViewのみ更新する"
  bool anyButtonHeld;
  bool playing;
  bool rightButtonHeld;
};
i32 View_ChooseDrawView(const ViewChoiceInput *in);
// Whether a view flagged for redraw still waits that has not been drawn since the loop last
// rested (bit i of drawnSinceRest: view i drawn), so that the next pass may draw it without
// resting first: each view of a redraw comes in turn, and a view flagged again and again
// (playback) waits for one rest per round. False under the held-button overrides and while
// recording, which draw one view again and again while the others stay flagged.
bool View_MoreDue(const ViewChoiceInput *in, bool recording, u32 drawnSinceRest);

// Whether a view of the current layout in use waits to be drawn again.
bool View_RedrawPending(void);

// Flags every view of layout `layout` for redraw (a hook passes its context's, code reached
// from no hook the current one); also sets g_Shell.g_LayerDlgRefresh and the sketch dialog's
// refresh flag.
void App_MarkAllRedraw(u32 layout);
// The 3D editor's layer panel re-checks its buttons when 1 (the panel clears it).
// Runs step(arg) with view `view` of the current layout as the view drawn (the one the frame
// render and the draw hooks are handed), then puts the drawn view back; step's answer.
bool View_DrawnAs(u32 view, bool (*step)(void *arg), void *arg);
// View g_Shell.g_ActiveView of the current layout: the view that code reached from no family
// hook (panels, keys, the per-frame steps) acts on. Hooks act on their context's view.
ViewRecord *View_Active(void);
// Flags the views for redraw and runs the family's list refresh on context c (a hook hands on
// its own; dialogs and menu commands build the shell's).
void App_RefreshLists(const HookCtx *c);
// Allocates the selection flags and work arrays below into record sel when its arrays are
// still missing (once for the program's life).
void App_AllocWorkArrays(ShellSelection *sel);
// Selection flags of the polygon editors, one u32 per face / vertex (null until allocated).
// State the polygon editors share (3D modelling and the 2D polygon sub-mode): the points of
// the polygon under free creation and how many are fixed (0..3; the next one follows the
// mouse), the dialog's face and corner numbers (-1 none) and the show-normals switch.
// A model replaced (read or made new): every selection flag cleared, the free-creation points
// dropped, the picked face and corner none.
void App_ForgetPolySelection(ShellSelection *sel);
// Work arrays of the polygon editors: a u32 per vertex; the screen x, y and depth of every
// position (3 f32 per vertex, refilled by each pick pass); per face the screen centre and the
// mean normal projected on the view's axes (2 f32 each per face).
// Elements per face and per vertex in those arrays (0 until all of them are allocated).
u32 App_WorkFaceCount(void);
u32 App_WorkVertCount(void);
// Clears the first `verts` vertex flags and `faces` face flags (cut to what was allocated).
void App_ClearSelectionFlags(u32 verts, u32 faces);
void App_ClearSelectionFlags(ShellSelection *sel, u32 verts, u32 faces);
// True when the current 3D layer holds a model (the overlay is skipped without one).
bool App_HasCurrentModel3(void);
// First free view slot 1..7 of the current layout, or -1 (no window made: see View_AddView).
i32 View_TakeFreeSlot(i32 shown, i32 x, i32 y, i32 w, i32 h);
// Copies a view's pan into g_Shell.g_ViewFocus by its kind and records its zoom as the last one.
void View_NoteActivated(const ViewRecord *v);

// [SECTION] fitting
// Gathers points, places the camera, projects: the fit command's parts that the platform supplies.
struct FitCamera {
  // Places the camera (eye, target) for the next projections.
  void (*place)(const f32 eye[3], const f32 target[3]);
  // Projects a world point to screen x, y; false when it lies behind the eye.
  bool (*project)(const f32 world[3], f32 screen[2]);
};
// Box of n points (x, y, z triples); degenerate axes widened by 1.0 each side. False for n = 0.
bool View_BoundsOfPoints(const f32 *pts, u32 n, f32 mn[3], f32 mx[3]);
// Perspective fit of view `v` to the box: pan = centre, zoom grown by 1.1 until all eight
// corners project inside width x height. Ends after a bounded number of steps.
void View_FitPerspective(ViewRecord *v, const f32 mn[3], const f32 mx[3], i32 width, i32 height,
                         f32 angleX, f32 angleY, const FitCamera *cam);
// Orthographic fit of a Front/Top/Side view to the points.
void View_FitOrtho(ViewRecord *v, const f32 *pts, u32 n);
// Eye of the perspective view: pan + (0, 0, -15 zoom) rotated by -angleX about x then angleY about y.
void View_PerspectiveEye(const ViewRecord *v, f32 angleX, f32 angleY, f32 eye[3]);
// Turns a vector as the perspective camera is turned: by -angleX about x, then angleY about y.
void View_TurnPerspective(f32 v[3], f32 angleX, f32 angleY);
// The smallest zoom a fit leaves and a drag may reach (a zero zoom never grows again).
extern const f32 g_ViewMinZoom;
enum { VIEW_FIT_MAX_STEPS = 400 };
// Fits the context's view to its 3D model (its selection, or all polygon corners), the
// perspective view at its camera angles; without a model or points only a redraw is requested.
void View_Fit(const HookCtx *c);
// The same for view v in the context's layout.
void View_FitView(const HookCtx *c, ViewRecord *v);
// Runs the pose pass, then fits views 1..count-1 of the layout of context c to its model;
// view 0 is not fitted.
void View_FitAll(const HookCtx *c);
// The points a fit of model m uses for a view kind in a sub-mode, by the selection sel (x, y, z
// triples, malloc'd; null when there are none). n receives the count. With `posed` the main
// view's points are the model's posed positions.
f32 *View_GatherFitPoints(const Model3 *m, const ShellSelection *sel, u32 subMode, u32 kind, u32 *n, bool posed = false);
