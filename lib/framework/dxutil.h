// Framework utilities: the growable ArrayList, the framework timer, format names and the
// bounded string copy. Portable; the timer reads its clock through g_LibHooks.clock, which
// the Windows start-up points at QueryPerformanceCounter / timeGetTime.
#pragma once
#include "lib/framework/lib.h"
#include "model/types.h"

// HRESULT values of the framework (i32 so that portable code can return them).
typedef i32 HResult;
enum : u32 {
  HRES_OK = 0,
  HRES_FAIL = 0x80004005u,
  HRES_OUTOFMEMORY = 0x8007000Eu,
  HRES_INVALIDARG = 0x80070057u,
  HRES_FILE_NOT_FOUND = 0x80070002u,
};
inline bool Hr_Failed(HResult hr) { return hr < 0; }

// [SECTION] ArrayList
enum { ARRAYLIST_VALUES = 0, ARRAYLIST_REFERENCES = 1 };

// Contiguous growable array: a value list copies entries of a fixed size, a reference
// list stores pointers. Capacity starts at 16 and doubles.
struct ArrayList {
  u32 kind;
  u32 bytesPerEntry;
  u8 *data;
  u32 count;
  u32 capacity;

  ArrayList(u32 kind, u32 bytesPerEntry);
  ~ArrayList();
  ArrayList(const ArrayList &) = delete;
  ArrayList &operator=(const ArrayList &) = delete;

  // Value list: copies bytesPerEntry bytes from entry; reference list: stores the pointer.
  HResult Add(const void *entry);
  // The stored pointer, or the address of the value entry; null out of range.
  void *GetPtr(u32 index) const;
  bool Contains(const void *entry) const;
  void Clear();
};

// [SECTION] framework timer
enum {
  TIMER_RESET = 0,
  TIMER_START = 1,
  TIMER_STOP = 2,
  TIMER_ADVANCE = 3,
  TIMER_GETABSOLUTETIME = 4,
  TIMER_GETAPPTIME = 5,
  TIMER_GETELAPSEDTIME = 6,
};

// Forgets the clock decision and the timer state (tests).
void DXUtil_TimerRestart(void);
// Runs one timer command; seconds as float, 0 for commands without a value, -1 otherwise.
f32 DXUtil_Timer(i32 command);

// [SECTION] text helpers
// Copies at most count characters (terminator included) and always terminates.
HResult DXUtil_CopyString(char *dest, const char *src, i32 count);
// "D3DFMT_A8R8G8B8" ...; without the prefix the leading "D3DFMT_" is skipped.
const char *DXUtil_FormatName(u32 format, bool withPrefix);

// Direct3D format numbers used by the portable framework code.
enum : u32 {
  FMT_UNKNOWN = 0,
  FMT_R8G8B8 = 20, FMT_A8R8G8B8 = 21, FMT_X8R8G8B8 = 22, FMT_R5G6B5 = 23,
  FMT_X1R5G5B5 = 24, FMT_A1R5G5B5 = 25, FMT_A4R4G4B4 = 26, FMT_R3G3B2 = 27,
  FMT_A8 = 28, FMT_A8R3G3B2 = 29, FMT_X4R4G4B4 = 30, FMT_A2B10G10R10 = 31,
  FMT_A8B8G8R8 = 32, FMT_X8B8G8R8 = 33, FMT_G16R16 = 34, FMT_A2R10G10B10 = 35,
  FMT_D16_LOCKABLE = 70, FMT_D32 = 71, FMT_D15S1 = 73, FMT_D24S8 = 75,
  FMT_D24X8 = 77, FMT_D24X4S4 = 79, FMT_D16 = 80,
};
