// Bone motion evaluation of a Model3: the key segment (key index and fraction) of every bone
// and group for the model's current motion and frame, and the evaluated pose of one bone
// (local position, rotation, scale and world position) at a key index and fraction.
//
// The key segment rule is shared by every key-framed model kind (3D bones, 3D object sets,
// 2D bones, 2D objects) through Motion_KeySegment.
#pragma once
#include "model/math.h"
#include "model/model3.h"
#include "model/types.h"

// Key segment of `frame` in a key list of n keys sorted by frame, in a motion of `length`
// frames. The frames are read as i32 (or u32 with unsignedFrames) at firstFrame, firstFrame
// + stride, ... Index: the last key at or before the frame; fraction of the way to the next
// key; after the last key (or before the first) the segment wraps from the last key to the
// first key of the next pass (index n - 1). Fewer than 2 keys, or a segment of zero or
// negative length, give fraction 0.
void Motion_KeySegment(const void *firstFrame, size_t stride, bool unsignedFrames, i32 n, i32 frame,
                       i32 length, i32 *index, f32 *fraction);

// The parent of bone b as every evaluation uses it: a parent outside 0..127 counts as 0.
i32 Model3_BoneParent(const Model3 *m, i32 b);

// Rest matrices of the 128 bones: bone b (below the bone count, bone 0 excepted) is the
// translation by its rest offset, chained through its parent when the parent has a lower
// index (rest[c] := rest[c] * rest[parent]); bone 0 and bones at or above the bone count are
// the identity.
void Model3_ComputeRestMatrices(const Model3 *m, Mat4 rest[MODEL3_BONES]);

// Key index and fraction of every bone and every group key list of the slot's model, for
// its current motion and frame. Nothing for an empty slot.
void Model3_UpdateKeyIndices(i32 slot);

// Local position, rotation, scale and world position of bone b of the slot's model at key
// index k and fraction t of its current motion's track. The world position is the parent's
// world position plus the rest offset from the parent turned by the parent's rotation plus
// the local position; a bone that is its own parent (bone 0, the root) is based on zero.
void Model3_EvalBoneKey(i32 slot, i32 b, i32 k, f32 t);

// The whole bone pose of the slot's model at its current motion and frame:
// Model3_UpdateKeyIndices, then Model3_EvalBoneKey for every bone in index order.
void Model3_EvalBonePose(i32 slot);
