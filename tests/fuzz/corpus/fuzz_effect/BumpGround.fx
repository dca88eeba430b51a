// Bump-mapped ground of render mode 6: the colour texture lit per pixel against its normal
// map by a light that circles with g_fTime. The ground lies in the xz plane, so its tangent
// space is x (u), z (v) and y (normal).

param matrix g_mWorldViewProjection vs:c0
param matrix g_mWorld vs:c4
param matrix g_mWorldInv vs:c8
param vector vLightDir vs:c12
param vector vLightInv vs:c13
param vector vEyePos vs:c14
param float g_fTime vs:c15
param texture g_txScene s:0
param texture g_tex_nor s:1

vertexshader GroundVS
  vs_2_0
  dcl_position v0
  dcl_normal v1
  dcl_texcoord v2
  m4x4 oPos, v0, c0
  mov r1.x, -c12.x
  mov r1.y, -c12.z
  mov r1.z, -c12.y
  mov oT1.xyz, r1.xyz
  mov oT0.xy, v2
end

pixelshader GroundPS
  ps_2_0
  def c1, 2, -1, 0.35, 0.8
  dcl t0.xy
  dcl t1.xyz
  dcl_2d s0
  dcl_2d s1
  texld r0, t0, s1
  mad r0.xyz, r0, c1.x, c1.y
  dp3_sat r1.x, r0, t1
  mad r1.x, r1.x, c1.w, c1.z
  texld r2, t0, s0
  mul r2.xyz, r2, r1.x
  mov oC0, r2
end

technique RenderScene
  pass P0
    VertexShader = GroundVS
    PixelShader = GroundPS
    CullMode = NONE
    ZEnable = TRUE
    ZWriteEnable = TRUE
    AlphaBlendEnable = FALSE
    Lighting = FALSE
    Sampler0.MinFilter = LINEAR
    Sampler0.MagFilter = LINEAR
    Sampler0.AddressU = WRAP
    Sampler0.AddressV = WRAP
    Sampler1.MinFilter = LINEAR
    Sampler1.MagFilter = LINEAR
    Sampler1.AddressU = WRAP
    Sampler1.AddressV = WRAP
  end
end
