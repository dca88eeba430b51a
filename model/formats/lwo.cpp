// LightWave LWOB import and export.
#include "model/formats/formats.h"

i32 Lwo_Read(i32 slot, const char *path) { return 0; }
i32 Lwo_Write(i32 slot, const char *path) { return 0; }
