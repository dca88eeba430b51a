// Work buffers of the mesh operations: a private array grown on demand and kept for the
// program's life (never shrunk, never freed), so repeated operations do not allocate again.
// Also the one call that frees a record's heap arrays.
#pragma once
#include <stddef.h>
#include <stdlib.h>

#include <initializer_list>

// Slots of an open-addressing hash table for `entries` entries: the smallest power of two that
// is at least 16 and at least twice the entries, so the table is never more than half full.
inline size_t WorkBuf_HashSlots(size_t entries) {
  size_t size = 16;
  while (size < entries * 2) size <<= 1;
  return size;
}

// Frees each of a record's heap arrays (null ones are skipped by free).
inline void WorkBuf_FreeAll(std::initializer_list<void *> arrays) {
  for (void *p : arrays) free(p);
}

// *buf with room for at least `need` elements (1 when need is 0), grown from *cap when
// short; null when out of memory (the old buffer stays as it was).
template <typename T>
T *WorkBuf_Room(T **buf, size_t *cap, size_t need) {
  if (need == 0) need = 1;
  if (*cap >= need) return *buf;
  T *p = (T *)realloc(*buf, need * sizeof(T));
  if (!p) return nullptr;
  *buf = p;
  *cap = need;
  return p;
}
