// Includes a folder below its own: the include check must accept it.
#include "lib/draw/draw.h"
