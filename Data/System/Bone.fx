// Skinning of the bone render mode: each vertex and its normal follow the two palette bones
// of its binding (index bytes 0 and 1, weight for the first), then the world x view x
// projection of the object. The vertex is lit as the fixed pipeline lights the other modes
// (the frame's point light at vLightPos in world space, its diffuse colour times the vertex
// colour, its ambient colour with a white material) when fLit is 1, else its colour passes
// through. Texture coordinate 1 is the camera-space normal through the toon matrix, as the
// fixed toon stage makes it. Colour and texture stages stay the fixed pipeline's.
// The palette holds 76 bones (3 registers each, c20..c247).

param matrix mViewProj vs:c0
param float fTime vs:c4
param matrix g_mWorld vs:c8
param matrix mToon vs:c12
param vector vLightPos vs:c16
param vector vLightDiffuse vs:c17
param vector vLightAmbient vs:c18
param float fLit vs:c19
param matrix43 matWorld[76] vs:c20

vertexshader SkinVS
  vs_2_0
  def c5, 3, 1, 0, 0
  dcl_position v0
  dcl_blendweight v1
  dcl_blendindices v2
  dcl_normal v3
  dcl_color v4
  dcl_texcoord v5
  mul r0.xy, v2.xy, c5.x
  mova a0.xy, r0.xy
  dp4 r1.x, v0, c[a0.x + 20]
  dp4 r1.y, v0, c[a0.x + 21]
  dp4 r1.z, v0, c[a0.x + 22]
  dp4 r2.x, v0, c[a0.y + 20]
  dp4 r2.y, v0, c[a0.y + 21]
  dp4 r2.z, v0, c[a0.y + 22]
  dp3 r5.x, v3, c[a0.x + 20]
  dp3 r5.y, v3, c[a0.x + 21]
  dp3 r5.z, v3, c[a0.x + 22]
  dp3 r6.x, v3, c[a0.y + 20]
  dp3 r6.y, v3, c[a0.y + 21]
  dp3 r6.z, v3, c[a0.y + 22]
  add r4.x, c5.y, -v1.x
  mul r3.xyz, r1.xyz, v1.x
  mad r3.xyz, r2.xyz, r4.x, r3.xyz
  mov r3.w, c5.y
  m4x4 oPos, r3, c0
  mul r7.xyz, r5.xyz, v1.x
  mad r7.xyz, r6.xyz, r4.x, r7.xyz
  m4x4 r1, r3, c8
  m3x3 r2.xyz, r7, c8
  dp3 r2.w, r2.xyz, r2.xyz
  rsq r2.w, r2.w
  mul r2.xyz, r2.xyz, r2.w
  add r5.xyz, c16.xyz, -r1.xyz
  dp3 r5.w, r5.xyz, r5.xyz
  rsq r5.w, r5.w
  mul r5.xyz, r5.xyz, r5.w
  dp3 r6.x, r2.xyz, r5.xyz
  max r6.x, r6.x, c5.z
  mul r0.xyz, v4.xyz, c17.xyz
  mad r0.xyz, r0.xyz, r6.x, c18.xyz
  mov r0.w, v4.w
  lrp r1, c19.x, r0, v4
  min r1, r1, c5.y
  mov oD0, r1
  mov oT0.xy, v5
  mov r2.w, c5.y
  m4x4 r5, r2, c12
  mov oT1.xy, r5.xy
end

technique BoneRender
  pass P0
    VertexShader = SkinVS
  end
end
