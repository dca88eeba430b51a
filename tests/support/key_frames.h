// The frames of a key track's keys in their order, for any of the editors' tracks (a count
// and keys that carry a frame).
#pragma once
#include <vector>

#include "model/types.h"

template <typename Track>
std::vector<i32> KeyFrames(const Track *t) {
  std::vector<i32> frames;
  for (i32 k = 0; k < t->count; k++) frames.push_back(t->keys[k].frame);
  return frames;
}
