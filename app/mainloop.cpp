// Main-loop arithmetic shared by the program and the native tests.
#include "app/mainloop.h"

#include "lib/framework/lib.h"
#include "app/entries.h"
#include "lib/framework/view_record.h"

#include <ctype.h>
#include <string.h>

f32 Loop_FrameDelta(FrameClock *c, u32 now) {
  if (!c->started) {
    c->started = true;
    c->last = now;
  }
  return Lib_FrameDeltaFromMs(c->last, now);   // right across the counter's wrap too
}

bool Loop_CommandLinePath(const char *cmd, char *out, size_t size) {
  if (!out || size == 0) return false;
  out[0] = 0;
  if (!cmd) return false;
  const char *b = cmd, *e = cmd + strlen(cmd);
  while (b < e && (*b == ' ' || *b == '\t')) b++;
  while (e > b && (e[-1] == ' ' || e[-1] == '\t' || e[-1] == '\r' || e[-1] == '\n')) e--;
  // Quotes come off only as a pair; a bare path keeps every character.
  if (e - b >= 2 && *b == '"' && e[-1] == '"') { b++; e--; }
  size_t n = (size_t)(e - b);
  if (n == 0 || n >= size) return false;   // too long for the path buffer: refused, not cut
  memcpy(out, b, n);
  out[n] = 0;
  return true;
}

bool Loop_IsKzpPath(const char *path) {
  if (!path) return false;
  const char *dot = strrchr(path, '.');
  if (!dot) return false;
  const char *ext = dot + 1;
  return strlen(ext) == 3 && tolower((u8)ext[0]) == 'k' && tolower((u8)ext[1]) == 'z' &&
         tolower((u8)ext[2]) == 'p';
}

bool Loop_StripsDue(i32 *counter, bool recording) {
  *counter += 1;
  if (recording || *counter > 3) { *counter = 0; return true; }
  return false;
}

u32 Loop_MovieDrawView(u32 chosen, bool recording, const ViewRecord *views, i32 count) {
  if (!recording) return chosen;
  // The recorded picture comes from the Pers view; without it the chosen view stays.
  if (count > 4 && views[4].inUse == 1 && views[4].window) return 4;
  return chosen;
}

void Loop_MovieOrthoCamera(const ViewRecord *v, f32 s, f32 eye[3], f32 target[3]) {
  f32 z = v->zoom;
  if (z > -1e-6f && z < 1e-6f) z = 1e-6f;   // a zero zoom would put the eye at infinity
  f32 base[3];
  switch (v->kind) {
    case VIEW_TOP: base[0] = 0; base[1] = 21.0f / z; base[2] = -0.01f; break;
    case VIEW_SIDE: base[0] = 16.0f / z; base[1] = 10; base[2] = 0; break;
    default: base[0] = 0; base[1] = 10; base[2] = -16.0f / z; break;
  }
  const f32 baseTarget[3] = {0, 10, 0};
  eye[0] = base[0] + s * v->panX;
  eye[1] = base[1] + s * v->panY;
  eye[2] = base[2] - s * v->panZ;
  target[0] = baseTarget[0] + s * v->panX;
  target[1] = baseTarget[1] + s * v->panY;
  target[2] = baseTarget[2] - s * v->panZ;
}

void Loop_ViewCentre(i32 width, i32 height, i32 *cx, i32 *cy) {
  *cx = width / 2 - 4;
  *cy = height / 2 - 26;
}


bool Loop_MovieCamera(i32 index, f32 eye[3], f32 target[3]) {
  return g_ShellEntries.movieCamera && g_ShellEntries.movieCamera(index, eye, target);
}
