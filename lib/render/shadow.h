// Shadows and the other whole-model passes of the fixed-function frame: blob shadows,
// stencil shadow volumes, flattened ground shadows, the edge outline, and the drawing of
// the shown 2D bone models.
//
// Globals owned here: the blob-shadow texture (and the data folder whose load failed, so a
// missing file is not opened again every frame). The volume arrays are draw's
// g_Target.shadowVolumes (lib/draw/target.h), filled by Shadow_BuildVolumes.
#pragma once
#include "model/math.h"
#include "model/types.h"

void Shadow_DrawBlobShadows(void);
void Shadow_DrawStencil(void);
void Shadow_BuildVolumes(void);
void Shadow_DrawGround(void);
// The edge outline pass.
void Draw_ModelsFixed(void);
void Draw_Kzb2DModels(void);

// The blob-shadow texture, loading it when there is none (null while the file is missing;
// a failed load is tried again only after the data folder changed).
void *Shadow_BlobTexture(void);
// Drops the blob-shadow texture and the memory of a failed load.
void Shadow_ReleaseBlobTexture(void);
// Ground-shadow projection of an object: straight down for kind 2; for kind 21 the
// direction (0, 1, 0) turned by the object's first angle first.
void Shadow_GroundMatrix(Mat4 *out, u32 kind, f32 firstAngle);
// The preview's 2D shadow (shadow mode 2) of a model: the blob's square on the ground y = 0,
// centred under the model's footprint (its extent in x and z), half as wide again as the
// larger of the footprint's width and depth so that the soft edge shows around the model.
// False when the model casts none.
struct Model3;
bool Shadow_PreviewBlob(const Model3 *m, f32 *cx, f32 *cz, f32 *halfSize);
// Inverse of an affine row-vector matrix (false when it is singular).
bool Shadow_InverseAffine(Mat4 *out, const Mat4 *m);
