// KZA files: 2D object models (model/obj2.h). Writes 2004050; reads 2003000, 2004000 and
// 2004050.
#pragma once
#include "model/obj2.h"
#include "model/model_result.h"
#include "model/types.h"

// Reads a KZA file into slot s (0..7) and loads its images. 1 on success; 0 with the refusal
// in *res otherwise, and then the slot is exactly as it was.
i32 Kza_Read(i32 s, const char *path, ModelResult *res);
// Parses a whole KZA file held in memory into a new model (no slot is touched). Null on
// failure, with the reason (a user-facing text naming `path`) in err.
Obj2Model *Kza_Parse(const u8 *data, size_t size, const char *path, char *err, size_t errSize);
// Writes slot s as a KZA 2004050 file (through a temporary file). 1 on success; 0 with a
// refusal in *res when the model cannot be stored or the file cannot be written.
i32 Kza_Write(i32 s, const char *path, ModelResult *res);
// Fills w with the 2004050 file image of m; false (reason in err) when a count does not fit.
bool Kza_Build(Obj2Model *m, struct ByteWriter *w, char *err, size_t errSize);
