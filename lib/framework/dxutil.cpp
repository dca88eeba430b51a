// Framework utilities: ArrayList, the framework timer, format names, bounded copies.
#include "lib/framework/dxutil.h"

#include <stdlib.h>
#include <string.h>

// [SECTION] ArrayList

ArrayList::ArrayList(u32 kind_, u32 bytesPerEntry_)
    : kind(kind_), bytesPerEntry(kind_ == ARRAYLIST_REFERENCES ? (u32)sizeof(void *) : bytesPerEntry_),
      data(nullptr), count(0), capacity(0) {}

ArrayList::~ArrayList() { free(data); }

HResult ArrayList::Add(const void *entry) {
  if (bytesPerEntry == 0) return (HResult)HRES_FAIL;
  if (!data || count == capacity) {
    u32 newCapacity = capacity == 0 ? 16 : capacity * 2;
    u8 *block = (u8 *)malloc((size_t)newCapacity * bytesPerEntry);
    if (!block) return (HResult)HRES_OUTOFMEMORY;
    if (data) memcpy(block, data, (size_t)count * bytesPerEntry);
    free(data);
    data = block;
    capacity = newCapacity;
  }
  u8 *slot = data + (size_t)count * bytesPerEntry;
  if (kind == ARRAYLIST_REFERENCES) memcpy(slot, &entry, sizeof entry);
  else memcpy(slot, entry, bytesPerEntry);
  count++;
  return HRES_OK;
}

void *ArrayList::GetPtr(u32 index) const {
  if (index >= count) return nullptr;
  u8 *slot = data + (size_t)index * bytesPerEntry;
  if (kind == ARRAYLIST_VALUES) return slot;
  void *p;
  memcpy(&p, slot, sizeof p);
  return p;
}

bool ArrayList::Contains(const void *entry) const {
  for (u32 i = 0; i < count; i++) {
    const u8 *slot = data + (size_t)i * bytesPerEntry;
    if (kind == ARRAYLIST_REFERENCES) {
      if (memcmp(slot, &entry, sizeof entry) == 0) return true;
    } else if (memcmp(slot, entry, bytesPerEntry) == 0) {
      return true;
    }
  }
  return false;
}

void ArrayList::Clear() { count = 0; }

// [SECTION] framework timer


static struct {
  bool decided, usesCounter;
  i64 frequency;   // ticks per second (1000 on the millisecond path)
  i64 base, lastElapsed, stop;
  bool stopped;
} s_Timer;

void DXUtil_TimerRestart(void) { memset(&s_Timer, 0, sizeof s_Timer); }

static i64 TimerNow(void) {
  if (s_Timer.usesCounter) return g_LibHooks.clock.counter();
  return g_LibHooks.clock.milliseconds ? (i64)g_LibHooks.clock.milliseconds() : 0;
}

f32 DXUtil_Timer(i32 command) {
  if (!s_Timer.decided) {
    s_Timer.decided = true;
    i64 f = 0;
    s_Timer.usesCounter = g_LibHooks.clock.counterFrequency && g_LibHooks.clock.counter &&
                          g_LibHooks.clock.counterFrequency(&f) && f > 0;
    s_Timer.frequency = s_Timer.usesCounter ? f : 1000;
  }
  // While stopped, time stands at the stop count (except for start and absolute time).
  i64 now = (s_Timer.stopped && command != TIMER_START && command != TIMER_GETABSOLUTETIME)
                ? s_Timer.stop : TimerNow();
  double freq = (double)s_Timer.frequency;
  switch (command) {
    case TIMER_RESET:
      s_Timer.base = s_Timer.lastElapsed = s_Timer.stop = now;
      s_Timer.stopped = false;
      return 0.0f;
    case TIMER_START:
      if (s_Timer.stopped) s_Timer.base += now - s_Timer.stop;
      s_Timer.stop = 0;
      s_Timer.lastElapsed = now;
      s_Timer.stopped = false;
      return 0.0f;
    case TIMER_STOP:
      if (!s_Timer.stopped) {
        s_Timer.stop = now;
        s_Timer.lastElapsed = now;
        s_Timer.stopped = true;
      }
      return 0.0f;
    case TIMER_ADVANCE:
      s_Timer.stop += s_Timer.frequency / 10;
      return 0.0f;
    case TIMER_GETABSOLUTETIME:
      return (f32)((double)now / freq);
    case TIMER_GETAPPTIME:
      return (f32)((double)(now - s_Timer.base) / freq);
    case TIMER_GETELAPSEDTIME: {
      double elapsed = (double)(now - s_Timer.lastElapsed) / freq;
      s_Timer.lastElapsed = now;
      return (f32)elapsed;
    }
    default:
      return -1.0f;
  }
}

// [SECTION] text helpers

HResult DXUtil_CopyString(char *dest, const char *src, i32 count) {
  if (!dest || !src || count < 1) return (HResult)HRES_INVALIDARG;
  Str_Copy(dest, (size_t)count, src);
  return HRES_OK;
}

struct FormatName { u32 format; const char *name; };
#define FOURCC(a, b, c, d) ((u32)(u8)(a) | ((u32)(u8)(b) << 8) | ((u32)(u8)(c) << 16) | ((u32)(u8)(d) << 24))
static const FormatName kFormatNames[] = {
    {0, "D3DFMT_UNKNOWN"}, {20, "D3DFMT_R8G8B8"}, {21, "D3DFMT_A8R8G8B8"}, {22, "D3DFMT_X8R8G8B8"},
    {23, "D3DFMT_R5G6B5"}, {24, "D3DFMT_X1R5G5B5"}, {25, "D3DFMT_A1R5G5B5"}, {26, "D3DFMT_A4R4G4B4"},
    {27, "D3DFMT_R3G3B2"}, {28, "D3DFMT_A8"}, {29, "D3DFMT_A8R3G3B2"}, {30, "D3DFMT_X4R4G4B4"},
    {31, "D3DFMT_A2B10G10R10"}, {32, "D3DFMT_A8B8G8R8"}, {33, "D3DFMT_X8B8G8R8"}, {34, "D3DFMT_G16R16"},
    {35, "D3DFMT_A2R10G10B10"}, {36, "D3DFMT_A16B16G16R16"}, {40, "D3DFMT_A8P8"}, {41, "D3DFMT_P8"},
    {50, "D3DFMT_L8"}, {51, "D3DFMT_A8L8"}, {52, "D3DFMT_A4L4"}, {60, "D3DFMT_V8U8"},
    {61, "D3DFMT_L6V5U5"}, {62, "D3DFMT_X8L8V8U8"}, {63, "D3DFMT_Q8W8V8U8"}, {64, "D3DFMT_V16U16"},
    {67, "D3DFMT_A2W10V10U10"}, {70, "D3DFMT_D16_LOCKABLE"}, {71, "D3DFMT_D32"}, {73, "D3DFMT_D15S1"},
    {75, "D3DFMT_D24S8"}, {77, "D3DFMT_D24X8"}, {79, "D3DFMT_D24X4S4"}, {80, "D3DFMT_D16"},
    {82, "D3DFMT_D32F_LOCKABLE"}, {83, "D3DFMT_D24FS8"}, {100, "D3DFMT_VERTEXDATA"},
    {101, "D3DFMT_INDEX16"}, {102, "D3DFMT_INDEX32"}, {110, "D3DFMT_Q16W16V16U16"},
    {111, "D3DFMT_R16F"}, {112, "D3DFMT_G16R16F"}, {113, "D3DFMT_A16B16G16R16F"},
    {114, "D3DFMT_R32F"}, {115, "D3DFMT_G32R32F"}, {116, "D3DFMT_A32B32G32R32F"}, {117, "D3DFMT_CxV8U8"},
    {FOURCC('D', 'X', 'T', '1'), "D3DFMT_DXT1"}, {FOURCC('D', 'X', 'T', '2'), "D3DFMT_DXT2"},
    {FOURCC('D', 'X', 'T', '3'), "D3DFMT_DXT3"}, {FOURCC('D', 'X', 'T', '4'), "D3DFMT_DXT4"},
    {FOURCC('D', 'X', 'T', '5'), "D3DFMT_DXT5"}, {FOURCC('U', 'Y', 'V', 'Y'), "D3DFMT_UYVY"},
    {FOURCC('Y', 'U', 'Y', '2'), "D3DFMT_YUY2"}, {FOURCC('M', 'E', 'T', '1'), "D3DFMT_MULTI2_ARGB8"},
};
#undef FOURCC

const char *DXUtil_FormatName(u32 format, bool withPrefix) {
  for (const FormatName &f : kFormatNames)
    if (f.format == format) return withPrefix ? f.name : f.name + 7;  // skip "D3DFMT_"
  return "Unknown format";
}
