// KZM files: a 3D model's motion list (used flags, names, lengths), its sound list and three
// model words; no geometry. Version 2002040 only.
#pragma once
#include "model/bytes.h"
#include "model/model3.h"
#include "model/model_result.h"

enum { KZM_VERSION = 2002040 };
extern i32 g_KzmVersion;

// Writes the slot's model; 1 on success, 0 with the refusal in *res.
i32 Kzm_Write(i32 slot, const char *path, ModelResult *res);
bool Kzm_Encode(const Model3 *m, ByteWriter *w);
// Reads the file onto the model the slot already holds and loads its sounds; 1 on success,
// 0 with the refusal in *res (the model is then unchanged).
i32 Kzm_Read(i32 slot, const char *path, ModelResult *res);
// Applies a whole KZM file image to m; false (m unchanged) when it is not a valid file.
bool Kzm_Parse(Model3 *m, const u8 *data, size_t size);
