// Final copy of the shader frame: stage 0 (the blended work target) onto the back buffer.
param float g_fTime ps:c0

pixelshader CopyPS
  ps_2_0
  dcl t0.xy
  dcl_2d s0
  texld r0, t0, s0
  mov oC0, r0
end

technique Copy
  pass P0
    PixelShader = CopyPS
    ZEnable = FALSE
    ZWriteEnable = FALSE
    AlphaBlendEnable = FALSE
    Lighting = FALSE
    CullMode = NONE
    Sampler0.MinFilter = LINEAR
    Sampler0.MagFilter = LINEAR
    Sampler0.AddressU = CLAMP
    Sampler0.AddressV = CLAMP
  end
end
