// Calls a model reader or writer the way the shell does: the answer's refusal goes to the
// error box (the recording fake in tests), so a test sees the boxes the user would see.
#pragma once
#include <utility>

#include "model/model_result.h"
#include "model/seam_errorbox.h"

template <class Fn, class... Args>
auto Shown(Fn fn, Args &&...args) {
  ModelResult res = {};
  auto answer = fn(std::forward<Args>(args)..., &res);
  Seam_ShowResult(&res);
  return answer;
}
