// Includes a folder above its own: the include check must name this line.
#include "lib/render/frame.h"
