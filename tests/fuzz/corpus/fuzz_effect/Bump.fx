// Bump-mapped pot of render mode 5: the light is turned into each vertex's tangent space and
// lit per pixel against the normal map. The draw applies pass 1.

param matrix mWVP vs:c0
param vector vLightDir vs:c4
param vector vEyePos vs:c5
param vector vColor ps:c0
param texture DecaleTex s:0
param texture NormalMap s:1

vertexshader TangentVS
  vs_2_0
  dcl_position v0
  dcl_normal v1
  dcl_tangent v2
  dcl_texcoord v3
  m4x4 oPos, v0, c0
  mul r0.xyz, v1.yzx, v2.zxy
  mad r0.xyz, v1.zxy, -v2.yzx, r0.xyz
  dp3 r1.x, v2, -c4
  dp3 r1.y, r0, -c4
  dp3 r1.z, v1, -c4
  dp3 r1.w, r1.xyz, r1.xyz
  rsq r1.w, r1.w
  mul oT1.xyz, r1.xyz, r1.w
  mov oT0.xy, v3
end

pixelshader BumpPS
  ps_2_0
  def c1, 2, -1, 0.3, 1
  dcl t0.xy
  dcl t1.xyz
  dcl_2d s1
  texld r0, t0, s1
  mad r0.xyz, r0, c1.x, c1.y
  dp3_sat r1.x, r0, t1
  add r1.x, r1.x, c1.z
  mul r2.xyz, c0, r1.x
  mov r2.w, c1.w
  mov oC0, r2
end

pixelshader FlatPS
  ps_2_0
  mov oC0, c0
end

technique TShader
  pass P0
    VertexShader = TangentVS
    PixelShader = FlatPS
  end
  pass P1
    VertexShader = TangentVS
    PixelShader = BumpPS
    CullMode = NONE
    ZEnable = TRUE
    ZWriteEnable = TRUE
    AlphaBlendEnable = FALSE
    Lighting = FALSE
    Sampler1.MinFilter = LINEAR
    Sampler1.MagFilter = LINEAR
    Sampler1.AddressU = WRAP
    Sampler1.AddressV = WRAP
  end
end
