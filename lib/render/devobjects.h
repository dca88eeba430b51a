// Device objects across a change of device: when the device itself is replaced (another
// adapter or device type), everything the library made on the old one goes before it is
// released and comes back on the new one, so that no texture or buffer points at a device
// that no longer draws and the old device's last reference goes with it.
//
// DevObjects_Lost walks the 256 model slots (textures, render buffers; changed flag set), the
// image table, the 32 2D bone slots, the 2D object images and the 16 object sets, and drops
// the toon, blob-shadow and bump-sample resources, the effects, shader targets, render
// targets and the screen-text font. DevObjects_Reload loads every texture again by the name
// it was loaded from and makes the render targets again; render data is rebuilt by the next
// per-frame pass, the blob shadow, bump samples, effects and font when next used.
#pragma once

void DevObjects_Lost(void);
void DevObjects_Reload(void);
