// The frame render's calls into the effect layer (Windows build).
#pragma once

// Sets g_LibHooks.shaderFrame and g_Hlsl.drawModel.
void Render_InstallEffectHooks(void);
