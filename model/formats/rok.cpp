// ROK text model import.
#include "model/formats/formats.h"

i32 Rok_Read(i32 slot, const char *path) { return 0; }
