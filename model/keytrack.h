// Key tracks: a growable list of keys sorted by frame, at most one key per frame.
//
// `KeyTrack` holds 3D bone keys (`BoneKey3`). Keys of other kinds (2D bone keys, 2D object
// keys, ...) use the same rules through the generic Keys_* helpers below, which work on any
// key record whose first field is its i32 frame.
//
// A track starts with the capacity its creator gave it (16 for a new model) and grows on
// insert, copy and read: the fixed capacity is never a limit on the number of keys.
#pragma once
#include <stdlib.h>

#include "model/types.h"

// One key of a 3D bone (44 bytes): frame, position, rotation quaternion, scale.
struct BoneKey3 {
  i32 frame;
  f32 pos[3];
  f32 quat[4];   // x, y, z, w
  f32 scale[3];
};

struct KeyTrack {
  i32 count;       // keys in use
  BoneKey3 *keys;  // owned, sorted by frame
  i32 capacity;    // allocated keys
  i32 borrowed;    // 1: the keys live in the block of a table made by KeyTrack_NewTable; the
                   // track moves them to its own block before it grows, and never frees them
};

// Largest number of keys any track may hold (a reader refuses more).
enum { KEYTRACK_MAX_KEYS = 1 << 20 };

// An identity key at `frame`: position 0, quaternion (0, 0, 0, 1), scale 1.
void BoneKey3_Identity(BoneKey3 *k, i32 frame);

// Ensures room for n keys (existing keys kept, new room zeroed). False when n is negative,
// above KEYTRACK_MAX_KEYS or the allocation failed; the track is then unchanged.
bool KeyTrack_Reserve(KeyTrack *t, i32 n);
// Makes dst an exact copy of src's keys (dst grows when needed). False on failure.
bool KeyTrack_CopyFrom(KeyTrack *dst, const KeyTrack *src);
// Index of the key at exactly `frame`, or -1.
i32 KeyTrack_Find(const KeyTrack *t, i32 frame);
// Index of the last key whose frame is at most `frame`, or -1 when there is none.
i32 KeyTrack_FindAtOrBefore(const KeyTrack *t, i32 frame);
// Inserts key in frame order, replacing a key of the same frame; grows the track.
// Returns the key's index, or -1 when the track could not grow.
i32 KeyTrack_Insert(KeyTrack *t, const BoneKey3 *key);
// Removes key `index`; false when it is out of range.
bool KeyTrack_Remove(KeyTrack *t, i32 index);
// Releases the keys; count and capacity become 0.
void KeyTrack_Free(KeyTrack *t);
// A table of `tracks` tracks and room for counts[i] keys in track i, all in one block that
// free() releases (after KeyTrack_Free of each track). Counts are 0; the keys are not
// cleared (the caller writes them before raising a count).
// Null when a count is out of range or the allocation failed.
KeyTrack *KeyTrack_NewTable(i32 tracks, const i32 *counts);
// Keys a track really holds: 0 for a missing track or one without keys.
inline i32 KeyTrack_Count(const KeyTrack *t) { return (t && t->keys && t->count > 0) ? t->count : 0; }

// [SECTION] Generic helpers for key records of any size whose first field is an i32 frame.
bool Keys_Reserve(void **keys, i32 *capacity, i32 n, size_t keySize);
i32 Keys_Find(const void *keys, i32 count, size_t keySize, i32 frame);
i32 Keys_FindAtOrBefore(const void *keys, i32 count, size_t keySize, i32 frame);
i32 Keys_Insert(void **keys, i32 *count, i32 *capacity, size_t keySize, const void *key);
bool Keys_Remove(void *keys, i32 *count, size_t keySize, i32 index);
// Index of the first key whose frame is not above the frame before it (keys out of order or
// two keys on one frame), or -1 when the frames ascend strictly. Readers refuse such tracks:
// segment and insertion code rely on the order.
i32 Keys_FirstOutOfOrder(const void *keys, i32 count, size_t keySize);
// The readers' refusal of a track whose frames do not ascend, naming the motion (number and
// name) and the track ("ボーン 2「腕」", ...).
int Keys_FormatOrderRefusal(char *dst, size_t size, const char *path, i32 motion, const char *motionName,
                            const char *track);

// [SECTION] Tracks of the 2D models: a growable track of keys of one record type.
template <typename Key>
struct Keys_Track {
  i32 count;      // keys in use
  Key *keys;      // owned, sorted by frame
  i32 capacity;   // allocated keys
};

template <typename Key>
bool KeysTrack_Reserve(Keys_Track<Key> *t, i32 n) {
  return Keys_Reserve((void **)&t->keys, &t->capacity, n, sizeof(Key));
}

template <typename Key>
i32 KeysTrack_Insert(Keys_Track<Key> *t, const Key *key) {
  return Keys_Insert((void **)&t->keys, &t->count, &t->capacity, sizeof(Key), key);
}

template <typename Key>
void KeysTrack_Free(Keys_Track<Key> *t) {
  free(t->keys);
  t->keys = nullptr;
  t->count = t->capacity = 0;
}

// [SECTION] Track tables of the 2D models: each bone or object (an item with a `keys` field)
// owns a table of one track per motion, or none.

// Gives every empty track of the model's motions in use `room` new keys (setNew) with one of
// them counted. False when memory ran out.
template <typename Model, typename Item, typename Track, typename Key>
bool Keys_FreshTables(const Model *m, Item *items, i32 itemCount, i32 room, bool (*reserve)(Track *, i32),
                      void (*setNew)(Key *)) {
  i32 motions = m->motionCount < m->keyTableLength ? m->motionCount : m->keyTableLength;
  for (i32 i = 0; i < itemCount; i++) {
    if (!items[i].keys) continue;
    for (i32 mo = 0; mo < motions; mo++) {
      Track *t = &items[i].keys[mo];
      if (t->keys) continue;
      if (!reserve(t, room)) return false;
      for (i32 k = 0; k < t->capacity; k++) setNew(&t->keys[k]);
      t->count = 1;
    }
  }
  return true;
}

// The track of `motion` in item `item`'s table of `length` tracks; null when either is out of
// range or the item has no table.
template <typename Item>
auto Keys_TableTrack(Item *items, i32 itemCount, i32 item, i32 motion, i32 length) -> decltype(items->keys) {
  if (item < 0 || item >= itemCount || !items[item].keys || motion < 0 || motion >= length) return nullptr;
  return &items[item].keys[motion];
}

// Frees the `length` tracks of each item's table, then the table.
template <typename Item, typename Track>
void Keys_FreeTables(Item *items, i32 itemCount, i32 length, void (*freeTrack)(Track *)) {
  for (i32 i = 0; i < itemCount; i++) {
    Track *table = items[i].keys;
    if (!table) continue;
    for (i32 mo = 0; mo < length; mo++) freeTrack(&table[mo]);
    free(table);
  }
}
