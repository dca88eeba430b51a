// The scene families' rows: each holds the cells its editor has built and the shell's
// drag-anchor setters that the family shares with the 3D editor.
#include "scene/scene_rows.h"

#include "app/drag_anchors.h"
#include "lib/framework/lib.h"
#include "lib/render/modeldraw.h"
#include "app/entries.h"
#include "app/update.h"
#include "scene/coli.h"
#include "scene/coli_edit.h"
#include "scene/effect_edit.h"
#include "scene/map2.h"
#include "scene/movie.h"
#include "scene/movie_edit.h"
#include "scene/movie_services.h"
#include "scene/prog_run.h"

static void InstallEffectRow(void) {
  FamilyHooks r = {};
  r.enter = Effect_Enter;
  r.leave = Effect_Leave;
  r.update = Effect_Update;
  r.drawOverlay = Effect_Draw;
  r.lButtonDown = DragAnchor_PressAll;
  r.mButtonDown = DragAnchor_PressAll;
  r.rButtonDown = DragAnchor_PressAC;
  r.mouseMove = Effect_MouseMove;
  r.wheelKey = Particle_WheelKey;   // previous / next key frame, then the segment again
  Family_InstallRow(FAMILY_EFFECT, &r);
  Particle_InstallStripSource();
}

static void InstallMap2Row(void) {
  FamilyHooks r = {};
  r.enter = Map2_Enter;
  r.leave = Map2_Leave;
  r.drawOverlay = Map2_Draw;
  r.update = Map2_Update;
  r.lButtonDown = Map2_LButtonDown;
  r.lButtonUp = Map2_LButtonUp;
  r.mButtonDown = DragAnchor_PressAD;
  r.rButtonDown = DragAnchor_PressAC;
  r.mouseMove = Map2_MouseMove;
  r.keyDown = Map2_KeyDown;
  Family_InstallRow(FAMILY_2D_MAP, &r);
  Map2_InstallEntries();
}

static void InstallColiRow(void) {
  FamilyHooks r = {};
  r.enter = Coli_Enter;
  r.leave = Coli_Leave;
  r.update = Coli_Update;
  r.drawScene = Coli_DrawScene;
  r.drawOverlay = Coli_Draw;
  r.lButtonDown = DragAnchor_PressAll;
  r.lButtonUp = Coli_LButtonUp;
  r.mButtonDown = DragAnchor_PressAD;
  r.rButtonDown = DragAnchor_PressAC;
  r.mouseMove = Coli_MouseMove;
  r.keyDown = Coli_KeyDown;
  r.refreshLists = [](const HookCtx *c) { Coli_RefreshLists(c->layout); };   // the wheel keeps the shell's zoom, which also redraws
  r.documentChanged = Coli_DocumentChanged;
  Family_InstallRow(FAMILY_COLLISION, &r);
}

static void InstallMovieRow(void) {
  FamilyHooks r = {};
  r.enter = Movie_Enter;
  r.documentChanged = Movie_DocumentChanged;
  r.leave = Movie_Leave;
  r.update = Movie_Update;
  r.drawScene = Movie_DrawScene;
  r.drawOverlay = Movie_Draw;
  r.lButtonDown = Movie_LButtonDown;
  r.rButtonDown = Movie_RButtonDown;
  r.mButtonDown = DragAnchor_PressAll;
  r.mouseMove = Movie_MouseMove;
  r.loopKeyUp = Movie_KeyUp;
  r.command = Movie_Command;
  r.wheelKey = Movie_WheelKey;
  r.refreshLists = [](const HookCtx *c) { Movie_RefreshAllLists(c->sel); };
  Family_InstallRow(FAMILY_MOVIE, &r);
}

// F5 and F6 reach the program family on release through the main loop's key-up; the shell's
// key table also offers them (Prog_ShellRunKey / Prog_ShellStopKey), and one of the two acts.
static void InstallProgRow(void) {
  FamilyHooks r = {};
  r.enter = Prog_Enter;
  r.leave = Prog_Leave;
  r.update = Prog_Update;
  r.drawOverlay = Prog_Draw;
  r.loopKeyUp = Prog_KeyUp;
  r.command = Prog_Command;
  Family_InstallRow(FAMILY_PROGRAM, &r);
  Prog_InstallLibraryHost();
  g_ShellEntries.progRun = Prog_ShellRunKey;
  g_ShellEntries.progStop = Prog_ShellStopKey;
}

// The document a scene family's title names: its file name and version.
static bool SceneDocument(u32 family, const char **name, i32 *version) {
  if (family == FAMILY_MOVIE) {
    *name = g_MovieScene.movieFileName;
    *version = g_MovieScene.version;
    return true;
  }
  if (family == FAMILY_COLLISION && g_Coli.doc) {
    *name = g_Coli.doc->fileName;
    *version = (i32)g_Coli.doc->version;
    return true;
  }
  const EffectDoc *e = g_ParticleEdit.docs[0];
  if (family == FAMILY_EFFECT && e) {
    *name = e->name;
    *version = (i32)e->version;
    return true;
  }
  return false;
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
  Movie_InstallHooks();   // frame tables on change, movie images, KZV files
  Coli_InstallFileMenu();
  g_ShellEntries.sceneDocument = SceneDocument;
}
