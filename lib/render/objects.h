// Scene objects and the per-frame model pass.
//
// ObjectInit creates the entries of g_SceneObjects / g_ObjectSideRecords (model/object.h).
// Object_UpdateFrame turns the model data into what the renderers draw each frame: rest and
// posed bone matrices of every slot (in its ModelPose), the world matrix of every scene
// object (in its side record), and the deformed positions and normals of every model whose
// pose-update flag is set (its posed and vertexNormals arrays, and in render modes 1 and 2
// its device vertex buffers). Object_StepAnimations advances every animation by one frame.
//
// Device buffers and the render data of modes 2 and 3 belong to the Windows side and to the
// render-data set-up; the pass reaches them through g_LibHooks (null entries are
// skipped), so it runs and is tested natively.
#pragma once
#include "lib/framework/lib.h"
#include "model/model3.h"
#include "model/object.h"
#include "model/types.h"

// The welded vertices of a slot's mode-2 indexed mesh, deformed by the pass.
struct SkinTarget {
  i32 count;
  const Vec3 *positions;     // rest positions
  VertexBinding *bindings;   // corrected in place when they name a missing bone
  Vec3 *posed;               // written
  const i32 *sources;        // the model vertex of each welded vertex (null: none)
};


// Creates (or re-creates) scene object n with its side record; null and an error box for n
// outside 0..511.
KZL::OBJECT *ObjectInit(i32 n);
// The model an object draws: null when its model slot is outside 0..255 or empty.
Model3 *Object_ModelOf(const KZL::OBJECT *o);
// World matrix of object n into its side record (angle or quaternion form).
void Object_UpdateWorldMatrix(i32 n);

// Rest matrices of every slot with a model and a pose record.
void Model3_BuildRestMatrices(void);
// Bone poses (key indices, bone evaluation) and the posed, accumulated rotation matrices and
// accumulated rotations of every slot with a model and a pose record.
void Model3_EvalPoseMatrices(void);

// Skins one point bound by `bind` (bone indices at or above boneCount are corrected to 0 in
// the binding): w * q(bone1) + (1 - w) * q(bone2), q(b) = (p - rest origin of b) * posed[b];
// only bone 1 when w is 1, only bone 2 when w <= 0 or w > 1.
void Object_SkinPoint(const ModelPose *pose, i32 boneCount, VertexBinding *bind, const Vec3 *p, Vec3 *out);
// Skins every position of the slot's model into its posed array (mode 0).
void Object_SkinModel(i32 slot);

// The per-frame model pass (nothing while screen output is suppressed).
void Object_UpdateFrame(void);
// The same pass for the slots whose pose may differ from the one last made: those whose
// model, frame, motion, bone count or deformation settings changed, whose render data was
// rebuilt, and every slot after Object_PosesChanged.
void Object_UpdateChangedFrame(void);
// Models may have been edited, loaded or undone: the next Object_UpdateChangedFrame poses
// every slot again.
void Object_PosesChanged(void);
// Advances a 3D model's play state by `step` frames (wrapping at the motion's length and
// setting the motion-ended flag), updating the key indices.
void Object_AdvanceModelFrame(i32 slot, f32 step);
// One animation step of everything, then the per-frame pass.
void Object_StepAnimations(void);

// Windows build: fills the buffer entries of g_LibHooks with Direct3D 9 calls.
void Object_InstallDeviceHooks(void);
