// KZB files: 2D bone models (model/bone2.h). Writes 2004000; reads 2004000 and 2004020,
// which share one layout.
#pragma once
#include "model/bone2.h"
#include "model/model_result.h"
#include "model/types.h"

// Reads a KZB file into slot `slot` (0..31). 1 on success; 0 with the refusal in *res
// otherwise, and then the slot is exactly as it was.
i32 Kzb_Read(i32 slot, const char *path, ModelResult *res);
// Parses a whole KZB file held in memory into a new model. Null on failure, with the reason
// (a user-facing text naming `path`) in err.
Bone2Model *Kzb_Parse(const u8 *data, size_t size, const char *path, char *err, size_t errSize);
// Writes slot `slot` as a KZB 2004000 file (through a temporary file). 1 on success; 0 with a
// refusal in *res when the model cannot be stored or the file cannot be written.
i32 Kzb_Write(i32 slot, const char *path, ModelResult *res);
// Fills w with the file image of model m; false (reason in err) when a count does not fit.
bool Kzb_Build(Bone2Model *m, struct ByteWriter *w, char *err, size_t errSize);
