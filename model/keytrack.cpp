// Growable, frame-sorted key tracks (see model/keytrack.h).
#include "model/keytrack.h"

#include "model/str.h"

#include <stdlib.h>
#include <string.h>

static i32 KeyFrame(const void *keys, size_t keySize, i32 i) {
  i32 f;
  memcpy(&f, (const u8 *)keys + (size_t)i * keySize, sizeof f);
  return f;
}

bool Keys_Reserve(void **keys, i32 *capacity, i32 n, size_t keySize) {
  if (n < 0 || n > KEYTRACK_MAX_KEYS) return false;
  if (n <= *capacity && (*keys || n == 0)) return true;
  i32 old = *keys ? *capacity : 0;
  // At least the requested size, and room to spare so repeated inserts stay cheap.
  i32 want = n;
  if (want < old * 2 && old * 2 <= KEYTRACK_MAX_KEYS) want = old * 2;
  void *p = realloc(*keys, (size_t)want * keySize);
  if (!p) return false;
  memset((u8 *)p + (size_t)old * keySize, 0, (size_t)(want - old) * keySize);
  *keys = p;
  *capacity = want;
  return true;
}

i32 Keys_Find(const void *keys, i32 count, size_t keySize, i32 frame) {
  for (i32 i = 0; i < count; i++)
    if (KeyFrame(keys, keySize, i) == frame) return i;
  return -1;
}

i32 Keys_FindAtOrBefore(const void *keys, i32 count, size_t keySize, i32 frame) {
  i32 found = -1;
  for (i32 i = 0; i < count; i++) {
    if (KeyFrame(keys, keySize, i) > frame) break;
    found = i;
  }
  return found;
}

i32 Keys_Insert(void **keys, i32 *count, i32 *capacity, size_t keySize, const void *key) {
  i32 frame;
  memcpy(&frame, key, sizeof frame);
  i32 i = 0;
  while (i < *count && KeyFrame(*keys, keySize, i) < frame) i++;
  if (i < *count && KeyFrame(*keys, keySize, i) == frame) {
    memcpy((u8 *)*keys + (size_t)i * keySize, key, keySize);
    return i;
  }
  if (*count >= KEYTRACK_MAX_KEYS || !Keys_Reserve(keys, capacity, *count + 1, keySize)) return -1;
  u8 *base = (u8 *)*keys;
  memmove(base + (size_t)(i + 1) * keySize, base + (size_t)i * keySize, (size_t)(*count - i) * keySize);
  memcpy(base + (size_t)i * keySize, key, keySize);
  (*count)++;
  return i;
}

bool Keys_Remove(void *keys, i32 *count, size_t keySize, i32 index) {
  if (!keys || index < 0 || index >= *count) return false;
  u8 *base = (u8 *)keys;
  memmove(base + (size_t)index * keySize, base + (size_t)(index + 1) * keySize,
          (size_t)(*count - index - 1) * keySize);
  (*count)--;
  return true;
}

i32 Keys_FirstOutOfOrder(const void *keys, i32 count, size_t keySize) {
  for (i32 i = 1; i < count; i++)
    if (KeyFrame(keys, keySize, i) <= KeyFrame(keys, keySize, i - 1)) return i;
  return -1;
}

int Keys_FormatOrderRefusal(char *dst, size_t size, const char *path, i32 motion, const char *motionName,
                            const char *track) {
  return Str_Format(dst, size,
                    "%s は、モーション %d「%s」の%sのキーフレームが昇順に並んでいないので\n読み込むことができません。",
                    path ? path : "", motion, motionName ? motionName : "", track ? track : "");
}

void BoneKey3_Identity(BoneKey3 *k, i32 frame) {
  memset(k, 0, sizeof *k);
  k->frame = frame;
  k->quat[3] = 1.0f;
  k->scale[0] = k->scale[1] = k->scale[2] = 1.0f;
}

// Moves borrowed keys into a block of the track's own with room for n (at least its capacity).
static bool OwnKeys(KeyTrack *t, i32 n) {
  if (!t->borrowed) return true;
  i32 cap = n > t->capacity ? n : t->capacity;
  BoneKey3 *own = (BoneKey3 *)calloc((size_t)(cap > 0 ? cap : 1), sizeof(BoneKey3));
  if (!own) return false;
  if (t->keys && t->capacity > 0) memcpy(own, t->keys, (size_t)t->capacity * sizeof(BoneKey3));
  t->keys = own;
  t->capacity = cap;
  t->borrowed = 0;
  return true;
}

KeyTrack *KeyTrack_NewTable(i32 tracks, const i32 *counts) {
  if (tracks <= 0) return nullptr;
  size_t keys = 0;
  for (i32 i = 0; i < tracks; i++) {
    if (counts[i] < 0 || counts[i] > KEYTRACK_MAX_KEYS) return nullptr;
    keys += (size_t)counts[i];
  }
  size_t head = (size_t)tracks * sizeof(KeyTrack);
  head = (head + 15) & ~(size_t)15;
  // Only the tracks are cleared: the keys are beyond every count until written.
  u8 *block = (u8 *)malloc(head + keys * sizeof(BoneKey3));
  if (!block) return nullptr;
  memset(block, 0, head);
  KeyTrack *table = (KeyTrack *)block;
  BoneKey3 *next = (BoneKey3 *)(block + head);
  for (i32 i = 0; i < tracks; i++) {
    if (counts[i] == 0) continue;
    table[i].keys = next;
    table[i].capacity = counts[i];
    table[i].borrowed = 1;
    next += counts[i];
  }
  return table;
}

bool KeyTrack_Reserve(KeyTrack *t, i32 n) {
  if (t->borrowed && n > t->capacity && (n > KEYTRACK_MAX_KEYS || !OwnKeys(t, n))) return false;
  void *keys = t->keys;
  bool ok = Keys_Reserve(&keys, &t->capacity, n, sizeof(BoneKey3));
  t->keys = (BoneKey3 *)keys;
  return ok;
}

bool KeyTrack_CopyFrom(KeyTrack *dst, const KeyTrack *src) {
  i32 n = (src->keys && src->count > 0) ? src->count : 0;
  if (!KeyTrack_Reserve(dst, n)) return false;
  if (n) memcpy(dst->keys, src->keys, (size_t)n * sizeof(BoneKey3));
  dst->count = n;
  return true;
}

i32 KeyTrack_Find(const KeyTrack *t, i32 frame) {
  return t->keys ? Keys_Find(t->keys, t->count, sizeof(BoneKey3), frame) : -1;
}

i32 KeyTrack_FindAtOrBefore(const KeyTrack *t, i32 frame) {
  return t->keys ? Keys_FindAtOrBefore(t->keys, t->count, sizeof(BoneKey3), frame) : -1;
}

i32 KeyTrack_Insert(KeyTrack *t, const BoneKey3 *key) {
  if (!t->keys) t->count = 0;
  // Borrowed keys never go through realloc: a full track takes a block of its own first.
  if (t->borrowed && t->count >= t->capacity && t->count < KEYTRACK_MAX_KEYS) {
    i32 grow = t->capacity < KEYTRACK_MAX_KEYS / 2 ? t->capacity * 2 : KEYTRACK_MAX_KEYS;
    if (!OwnKeys(t, grow > 1 ? grow : 1)) return -1;
  }
  void *keys = t->keys;
  i32 i = Keys_Insert(&keys, &t->count, &t->capacity, sizeof(BoneKey3), key);
  t->keys = (BoneKey3 *)keys;
  return i;
}

bool KeyTrack_Remove(KeyTrack *t, i32 index) {
  return Keys_Remove(t->keys, &t->count, sizeof(BoneKey3), index);
}

void KeyTrack_Free(KeyTrack *t) {
  if (!t->borrowed) free(t->keys);
  t->borrowed = 0;
  t->keys = nullptr;
  t->count = 0;
  t->capacity = 0;
}
