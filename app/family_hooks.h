// Entry points of the editor families that the shell's hook table reaches.
//
// Families whose editors are not built yet have named entry points that do nothing,
// defined in family_hooks.cpp; an editor that is built removes its line there and defines
// the function in its own folder with the same signature.
#pragma once
#include "model/types.h"
#include "scene/movie_services.h"   // Movie_Enter, Prog_Enter, Prog_Update

// Preview (app/preview.cpp)
void Preview_Enter(void);
void Preview_Leave(void);
void Preview_Update(void);
void Preview_DrawScene(void);
void Preview_MouseDown(i64 lParam);
void Preview_Command(u32 commandId);
// Ed2D
void Ed2D_Enter(void);
void Ed2D_Leave(void);
void Ed2D_Update(void);
void Ed2D_DrawScene(void);
void Ed2D_Draw(void);
void Ed2D_LButtonDown(i64 lParam);
void Ed2D_LButtonUp(i64 lParam);
void Ed2D_MButtonDown(i64 lParam);
void Ed2D_MButtonUp(i64 lParam);
void Ed2D_RButtonDown(i64 lParam);
void Ed2D_RButtonUp(i64 lParam);
void Ed2D_MouseMove(i64 lParam);
void Ed2D_Command(u32 commandId);
// Ed3D
void Ed3D_Enter(void);
void Ed3D_Leave(void);
void Ed3D_Update(void);
void Ed3D_DrawScene(void);
void Ed3D_DrawOverlay(void);
void Ed3D_PickUnderCursor(void);
void Ed3D_CreateBoneKey(void);
void Ed3D_MotionRefreshLists(void);
void Ed3D_LButtonDown(i64 lParam);
void Ed3D_LButtonUp(i64 lParam);
void Ed3D_MButtonDown(i64 lParam);
void Ed3D_MButtonUp(i64 lParam);
void Ed3D_RButtonDown(i64 lParam);
void Ed3D_RButtonUp(i64 lParam);
void Ed3D_MouseMove(i64 lParam);
void Ed3D_SetDragAnchors(i64 lParam);
void Ed3D_SetRightDragAnchors(i64 lParam);
void Ed3D_KeyDown(u32 virtualKey);
void Ed3D_KeyUp(u32 virtualKey);
void Ed3D_MotionKeyUp(u32 virtualKey);
void Ed3D_Command(u32 commandId);
// Effect
void Effect_Enter(void);
void Effect_Leave(void);
void Effect_Update(void);
void Effect_Draw(void);
void Effect_MouseMove(i64 lParam);
void Effect_SetDragAnchor(i64 lParam);
// Map2
void Map2_Enter(void);
void Map2_Leave(void);
void Map2_Update(void);
void Map2_Draw(void);
void Map2_LButtonDown(i64 lParam);
void Map2_LButtonUp(i64 lParam);
void Map2_MButtonDown(i64 lParam);
void Map2_MouseMove(i64 lParam);
void Map2_KeyDown(u32 virtualKey);
// Coli
void Coli_Enter(void);
void Coli_Leave(void);
void Coli_Update(void);
void Coli_DrawScene(void);
void Coli_Draw(void);
void Coli_LButtonUp(i64 lParam);
void Coli_MouseMove(i64 lParam);
void Coli_KeyDown(u32 virtualKey);
// Movie
void Movie_Leave(void);
void Movie_Update(void);
void Movie_DrawScene(void);
void Movie_Draw(void);
void Movie_LButtonDown(i64 lParam);
void Movie_RButtonDown(i64 lParam);
void Movie_MouseMove(i64 lParam);
void Movie_KeyUp(u32 virtualKey);
void Movie_Command(u32 commandId);
// Prog
void Prog_Leave(void);
void Prog_Draw(void);
void Prog_KeyUp(u32 virtualKey);
void Prog_Command(u32 commandId);
// Key-frame stepping of the wheel (step -1 previous key frame, +1 next).
void Ed2D_ObjectWheelKey(i32 step);
void Ed2D_MotionWheelKey(i32 step);
void Ed3D_ObjMotionWheelKey(i32 step);
void Ed3D_MotionWheelKey(i32 step);
void Effect_WheelKey(i32 step);
void Movie_WheelKey(i32 step);
