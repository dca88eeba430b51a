#!/usr/bin/env python3
# Writes settings_default.dat: the settings file of a fresh installation, built field by
# field from the file layout (independently of the program's encoder). The test sets the
# main window to (0, 0, 1280, 1024), antialias 0, light 1 before encoding.
import struct, sys, os
out = bytearray()
i32 = lambda v: out.extend(struct.pack('<i', v))
i32(2005060)
for v in (0, 0, 1280, 1024): i32(v)
for _ in range(8): i32(0)            # reserved
i32(0)                               # update edited view only
out.extend(bytes([0, 0, 0, 0]))      # antialias byte + 3
for v in (1, 0, 0, 1, 1, 0, 65000):  # light, shadow, poly option, pick suspended, grid, toon, max polygons
    i32(v)
rects = [(0, 0, 0, 0), (96, 256, 256, 256), (192, 44, 256, 256), (600, 256, 256, 256)]
for layout in range(24):
    i32(4)
    for view in range(4):
        i32(1)
        for v in rects[view]: i32(v)
        i32(view)                    # kind
        i32(3)                       # the word after the kind
        for _ in range(10): i32(0)
i32(24); i32(8)
out.extend(bytes(24 * 8 * 16))
out.extend(bytes(512))               # program folder and file
out.extend(bytes([0, 0]))            # CPU occupy and vsync in effect
i32(24)
out.extend(bytes(1 if l in (0, 19, 20, 21, 22, 23) else 0 for l in range(24)))
out.extend(bytes(24))
out.append(0)                        # reverse wheel
path = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'settings_default.dat')
open(path, 'wb').write(out)
print(len(out))
