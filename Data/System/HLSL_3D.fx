// Shader frame of the library: shadow map from the light above scene object 0, the shadowed
// scene, the depth-of-field source, the bright pass and its blur (bloom), and the blend.
//
// Scene vertices: position, normal, diffuse colour, texture coordinate (the model batch).
// Stage 0 holds the group's texture (white for an untextured group); "bTex" (set before each
// object pass) makes the lit colour take it, as the fixed-function stage 0 modulates.
// "WVProj" and "WView" are set once per frame with "World" at identity (view x projection
// and view); each object's "World" is applied first, so both follow the object.
// Screen quads: pre-transformed positions with diffuse and one texture coordinate.
// Shadow map texels hold 3 / (distance from the light), so a cleared (0) texel is "far";
// "Margin" (0.001) then spares about a unit of depth at 60 units from the light.

param matrix World vs:c0
param matrix WVProj vs:c4
param matrix LightVProj vs:c8
param matrix WView vs:c12
param vector vLightDir vs:c16
param vector Ambient vs:c17
param vector LightColor vs:c18
param float g_fTime vs:c19
param float Margin ps:c0
param bool bTex ps:c1
param bool bBloom ps:c2
param texture ShadowTex s:1
param texture Tex1 s:2
param texture Tex2 s:3
param texture Tex3 s:4

// --- shadow map: distance from the light ---
vertexshader ShadowMapVS
  vs_2_0
  dcl_position v0
  m4x4 r0, v0, c0
  m4x4 r1, r0, c8
  mov oPos, r1
  mov oT0, r1
end

pixelshader ShadowMapPS
  ps_2_0
  def c10, 3, 0, 0, 1
  dcl t0
  rcp r0.x, t0.w
  mul r0.x, r0.x, c10.x
  mov r0.yzw, c10.w
  mov oC0, r0
end

// --- lit scene; the light-space position goes to t0 for the shadow test ---
vertexshader SceneVS
  vs_2_0
  def c20, 0, 1, 0.01, 0
  dcl_position v0
  dcl_normal v1
  dcl_color v2
  dcl_texcoord v3
  m4x4 r0, v0, c0
  m4x4 oPos, r0, c4
  m4x4 oT0, r0, c8
  m3x3 r1.xyz, v1, c0
  dp3 r1.w, r1.xyz, r1.xyz
  rsq r1.w, r1.w
  mul r1.xyz, r1.xyz, r1.w
  dp3 r2.x, r1.xyz, c16.xyz
  max r2.x, r2.x, c20.x
  mul r3, c18, r2.x
  mul oD0, v2, r3
  mul r4, v2, c17
  mov r4.w, v2.w
  mov oD1, r4
  m4x4 r5, r0, c12
  mul oT1.x, r5.z, c20.z
  mov oT1.yzw, c20.x
  mov oT2.xy, v3
  mov oT2.zw, c20.x
end

pixelshader ShadowScenePS
  ps_2_0
  def c10, 0.5, -0.5, 0, 1
  def c11, 3, 0, 0, 0
  dcl t0
  dcl t2.xy
  dcl v0
  dcl v1
  dcl_2d s0
  dcl_2d s1
  rcp r0.w, t0.w
  mul r1, t0, r0.w
  mad r2.xy, r1, c10, c10.x
  texld r3, r2, s1
  mul r4.x, r0.w, c11.x
  add r4.x, r4.x, c0.x
  add r4.x, r4.x, -r3.x
  cmp r5, r4.x, c10.w, c10.z
  mad r6.xyz, v0, r5, v1
  texld r7, t2, s0
  add r7, r7, -c10.w
  mad r7, r7, c1.x, c10.w
  mul r6.xyz, r6, r7
  mul r6.w, v1.w, r7.w
  mov oC0, r6
end

// Depth of field source: the lit colour with the blur amount (view depth) in alpha. It is
// drawn into work 0 while Tex1 is work 0 as well, so it samples nothing.
pixelshader DepthPS
  ps_2_0
  def c10, 0, 0, 0, 1
  dcl t1
  dcl v0
  dcl v1
  add r0.xyz, v0, v1
  mov_sat r0.w, t1.x
  mov oC0, r0
end

// Bright pass of the lit colour (the bloom source).
pixelshader BrightPS
  ps_2_0
  def c10, -0.7, 2.0, 0, 1
  dcl t2.xy
  dcl v0
  dcl v1
  dcl_2d s0
  texld r1, t2, s0
  add r1, r1, -c10.w
  mad r1, r1, c1.x, c10.w
  add r0.xyz, v0, v1
  mul r0.xyz, r0, r1
  add r0.xyz, r0, c10.x
  mul_sat r0.xyz, r0, c10.y
  mov r0.w, c10.w
  mov oC0, r0
end

// Blur of stage 0 (the bright pass) over five taps; the quad's alpha is kept.
pixelshader BloomPS
  ps_2_0
  def c10, 0.0078125, 0, -0.0078125, 0.2
  def c11, 0.015625, 0, 0, 0
  dcl t0.xy
  dcl v0
  dcl_2d s0
  texld r0, t0, s0
  add r1.xy, t0, c10.xy
  texld r1, r1, s0
  add r2.xy, t0, c10.zy
  texld r2, r2, s0
  add r3.xy, t0, c10.yx
  texld r3, r3, s0
  add r4.xy, t0, c10.yz
  texld r4, r4, s0
  add r0, r0, r1
  add r0, r0, r2
  add r0, r0, r3
  add r0, r0, r4
  mul r0, r0, c10.w
  mov r0.w, v0.w
  mov oC0, r0
end

// Final blend: the shadowed scene, softened where the depth-of-field alpha says so, plus
// the bloom when it is on.
pixelshader BlendPS
  ps_2_0
  def c10, 0.0009765625, 0, -0.0009765625, 0.25
  def c11, 0, 0.5, 0, 1
  dcl t0.xy
  dcl_2d s2
  dcl_2d s3
  dcl_2d s4
  texld r0, t0, s3
  texld r1, t0, s2
  add r2.xy, t0, c10.xy
  texld r2, r2, s3
  add r3.xy, t0, c10.zy
  texld r3, r3, s3
  add r4.xy, t0, c10.yx
  texld r4, r4, s3
  add r5.xy, t0, c10.yz
  texld r5, r5, s3
  add r6, r2, r3
  add r6, r6, r4
  add r6, r6, r5
  mul r6, r6, c10.w
  lrp r7, r1.w, r6, r0
  texld r8, t0, s4
  mul r8, r8, c2.x
  mad r7, r8, c11.y, r7
  mov r7.w, c11.w
  mov oC0, r7
end

technique ShadowMapTex
  pass P0
    VertexShader = ShadowMapVS
    PixelShader = ShadowMapPS
    ZEnable = TRUE
    ZWriteEnable = TRUE
    CullMode = NONE
    AlphaBlendEnable = FALSE
    Lighting = FALSE
  end
end

technique ShadowMapDraw
  pass P0
    CullMode = NONE
    VertexShader = SceneVS
    PixelShader = ShadowScenePS
    ZEnable = TRUE
    ZWriteEnable = TRUE
    AlphaBlendEnable = FALSE
    Lighting = FALSE
    Sampler1.MinFilter = POINT
    Sampler1.MagFilter = POINT
    Sampler1.MipFilter = NONE
    Sampler1.AddressU = CLAMP
    Sampler1.AddressV = CLAMP
  end
end

technique DepthOfFieldTex
  pass P0
    CullMode = NONE
    VertexShader = SceneVS
    PixelShader = DepthPS
    ZEnable = TRUE
    ZWriteEnable = TRUE
    AlphaBlendEnable = FALSE
    Lighting = FALSE
  end
end

technique SpecularDraw
  pass P0
    CullMode = NONE
    VertexShader = SceneVS
    PixelShader = BrightPS
    ZEnable = TRUE
    ZWriteEnable = TRUE
    AlphaBlendEnable = FALSE
    Lighting = FALSE
  end
end

technique BloomDraw
  pass P0
    PixelShader = BloomPS
    ZEnable = FALSE
    AlphaBlendEnable = FALSE
    Lighting = FALSE
    CullMode = NONE
    Sampler0.MinFilter = LINEAR
    Sampler0.MagFilter = LINEAR
    Sampler0.AddressU = CLAMP
    Sampler0.AddressV = CLAMP
  end
end

technique RenderBlend
  pass P0
    PixelShader = BlendPS
    ZEnable = FALSE
    AlphaBlendEnable = FALSE
    Lighting = FALSE
    CullMode = NONE
    Sampler2.MinFilter = POINT
    Sampler2.MagFilter = POINT
    Sampler3.MinFilter = LINEAR
    Sampler3.MagFilter = LINEAR
    Sampler3.AddressU = CLAMP
    Sampler3.AddressV = CLAMP
    Sampler4.MinFilter = LINEAR
    Sampler4.MagFilter = LINEAR
  end
end
