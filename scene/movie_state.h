// The movie document: its actors with their keys and frame tables, the message table and
// the play state.
//
// Global owned here: g_Movie. Writers: the movie editor and its playback step (scene/). The
// library and the shell never read it: the movie fills its part of each frame request
// (images, message lines) and answers the shell through g_ShellEntries (movie_stage.cpp).
#pragma once
#include "model/types.h"

enum {
  MOVIE_MAX_OBJECTS = 256,
  MOVIE_MAX_KEYS = 16,
  MOVIE_MAX_FRAMES = 18000,
  MOVIE_MESSAGE_COUNT = 16,
};

// Movie actor kinds (MovieObject::kind).
enum {
  MOVIE_KIND_IMAGE = 0,
  MOVIE_KIND_OBJ2 = 1,
  MOVIE_KIND_BONE2 = 2,
  MOVIE_KIND_OBJ3 = 3,
  MOVIE_KIND_MODEL3 = 4,
  MOVIE_KIND_CAMERA = 5,
  MOVIE_KIND_SCENE = 6,
  MOVIE_KIND_SOUND = 8,
  MOVIE_KIND_MESSAGE = 9,
};

// Play state (g_Movie.playState).
enum { MOVIE_STOPPED = 0, MOVIE_PLAYING = 1, MOVIE_FINISHED = 2 };

// One key frame; the same layout for every kind.
struct MovieKey {
  i32 frame;
  u8 shown;        // the actor is visible from this key on
  i32 number;      // motion, sound slot or message number
  f32 position[3];
  f32 angles[3];   // degrees
  f32 rotation[4]; // quaternion x, y, z, w
  f32 scale[3];
  f32 color[4];    // r, g, b, a on 0..255
  f32 target[3];   // camera target
};

// Indices into MovieObject::pose.
enum {
  MOVIE_POSE_POSITION = 0, MOVIE_POSE_TARGET = 3, MOVIE_POSE_ANGLES = 6,
  MOVIE_POSE_ROTATION = 9, MOVIE_POSE_SCALE = 13, MOVIE_POSE_COLOR = 16, MOVIE_POSE_COUNT = 20,
};

// One movie actor (zero-filled when allocated).
struct MovieObject {
  char name[256];
  i32 keyCount;
  i32 kind;             // MOVIE_KIND_*
  i32 moveCurve, rotationCurve, scaleCurve;
  MovieKey keys[MOVIE_MAX_KEYS];
  char folder[256];
  char fileName[256];   // first byte 0 = no file (image actors: no image)
  char motionFileName[256];
  i32 shadowKind;
  i32 curKey;           // key at or before the current frame
  i32 nextKey;
  f32 fraction;         // 0..1 between curKey and nextKey
  i32 frameTableStart;
  i32 frameTable[MOVIE_MAX_FRAMES];
  f32 pose[MOVIE_POSE_COUNT];  // position, target, angles, rotation, scale, colour
};

// The movie state. Lib_ClearAllModels clears loaded and playState (through
// g_LibHooks.modelsCleared).
struct MovieState {
  i32 objectCount;
  u32 loaded;  // 1 after a movie file was read
  u32 playState;  // MOVIE_*
  char messages[MOVIE_MESSAGE_COUNT][256];
  MovieObject *objects[MOVIE_MAX_OBJECTS];
};
extern MovieState g_Movie;

