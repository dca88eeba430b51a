// The render device: the Direct3D 9 operations the model renderers need beyond the
// immediate drawing of lib/draw/drawdev.h (device buffers, scene, clear, material, light,
// viewport, indexed draws).
//
// Everything that decides what goes into a buffer or which call is made is portable and
// goes through g_Dev.render (lib/draw/drawdev.h). The Windows program fills it with Direct3D 9 calls
// (rdev_win.cpp, Render_InstallDevice); native tests install a fake whose buffers are
// plain memory, so they see the exact bytes and index lists. A null entry does nothing
// (creation then gives null: "no buffer").
//
// Buffer handles are the device objects themselves, so the model pose record releases them
// through g_Seam.releaseHandle like any other device resource.
#pragma once
#include "lib/draw/drawdev.h"
#include "model/types.h"

// Render states, stage states and values beyond drawdev.h (Direct3D 9 numbers).
enum : u32 {
  DRS_SPECULARENABLE = 29, DRS_AMBIENT = 139, DRS_VERTEXBLEND = 151,
  DRS_INDEXEDVERTEXBLENDENABLE = 167,
  DVBF_DISABLE = 0, DVBF_1WEIGHTS = 1,
  DTSS_TEXCOORDINDEX = 11, DTSS_TEXTURETRANSFORMFLAGS = 24,
  DTSS_TCI_CAMERASPACENORMAL = 0x10000, DTTFF_DISABLE = 0, DTTFF_COUNT2 = 2,
  DTA_CURRENT = 1,
  DTS_TEXTURE1 = 17, DTS_WORLD1 = 257,
  DCLEAR_TARGET = 1, DCLEAR_ZBUFFER = 2, DCLEAR_STENCIL = 4,
  DFVF_XYZB1 = 0x006, DFVF_XYZB2 = 0x008, DFVF_LASTBETA_UBYTE4 = 0x1000,
};

enum : u32 {
  FVF_MESHVERTEX36 = DFVF_XYZ | DFVF_NORMAL | DFVF_DIFFUSE | DFVF_TEX1,
  FVF_BLENDVERTEX40 = DFVF_XYZB1 | DFVF_NORMAL | DFVF_DIFFUSE | DFVF_TEX1,
  FVF_SKINVERTEX44 = DFVF_XYZB2 | DFVF_LASTBETA_UBYTE4 | DFVF_NORMAL | DFVF_DIFFUSE | DFVF_TEX1,
};


// Buffer helpers: null-safe, so a missing device or a failed creation only skips work.
void *RDev_CreateVertexBuffer(u32 bytes);
void *RDev_CreateIndexBuffer(u32 count, bool index32);
void *RDev_LockVertex(void *vb);
void RDev_UnlockVertex(void *vb);
void *RDev_LockIndex(void *ib);
void RDev_UnlockIndex(void *ib);
// Releases a device handle through the seam (as the pose record does) and clears it.
void RDev_Release(void **handle);

// Windows build: fills g_Dev.render with Direct3D 9 calls on g_Lib.device.
void Render_InstallDevice(void);
