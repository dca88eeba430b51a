// The scene families' rows: each holds the cells its editor has built and the shell's
// drag-anchor setters that the family shares with the 3D editor.
#include "scene/scene_rows.h"

#include "app/drag_anchors.h"
#include "lib/framework/lib.h"
#include "lib/render/modeldraw.h"
#include "scene/movie.h"
#include "scene/movie_services.h"

static void InstallEffectRow(void) {
  FamilyHooks r = {};
  r.lButtonDown = Ed3D_SetDragAnchors;
  r.mButtonDown = Ed3D_SetDragAnchors;
  r.rButtonDown = Effect_SetDragAnchor;
  Family_InstallRow(FAMILY_EFFECT, &r);
}

static void InstallMap2Row(void) {
  FamilyHooks r = {};
  r.mButtonDown = Map2_MButtonDown;
  r.rButtonDown = Effect_SetDragAnchor;
  Family_InstallRow(FAMILY_2D_MAP, &r);
}

static void InstallColiRow(void) {
  FamilyHooks r = {};
  r.lButtonDown = Ed3D_SetDragAnchors;
  r.mButtonDown = Map2_MButtonDown;
  r.rButtonDown = Effect_SetDragAnchor;
  Family_InstallRow(FAMILY_COLLISION, &r);
}

static void InstallMovieRow(void) {
  FamilyHooks r = {};
  r.enter = Movie_Enter;
  r.mButtonDown = Ed3D_SetDragAnchors;
  Family_InstallRow(FAMILY_MOVIE, &r);
}

static void InstallProgRow(void) {
  FamilyHooks r = {};
  r.enter = Prog_Enter;
  r.update = Prog_Update;
  Family_InstallRow(FAMILY_PROGRAM, &r);
}

void Scene_Install(void) {
  InstallEffectRow();
  InstallMap2Row();
  InstallColiRow();
  InstallMovieRow();
  InstallProgRow();
  Movie_InstallTick();   // the shell's movie clock
  g_LibHooks.openVideoWindow = Movie_OpenVideoWindow;
  g_LibHooks.closeVideoWindow = Movie_CloseVideoWindow;
  g_LibHooks.moviePlaybackTick = Movie_PlaybackTick;
  g_RenderHooks.movieInterpolate = Movie_InterpolateObject;
  Movie_InstallHooks();   // frame tables on change, movie images
}
