// DXF 3DFACE import.
#include "model/formats/formats.h"

i32 Dxf_Read(i32 slot, const char *path) { return 0; }
