// Skinning of the bone render mode: each vertex follows its two palette bones (index bytes
// 0 and 1, weight for the first), then the world x view x projection of the object. The
// colour and texture stages stay the fixed pipeline's, so groups draw as in the other modes.
// The palette holds 76 bones (3 registers each, c20..c247).

param matrix mViewProj vs:c0
param float fTime vs:c4
param matrix g_mWorld vs:c8
param matrix43 matWorld[76] vs:c20

vertexshader SkinVS
  vs_2_0
  def c5, 3, 1, 0, 0
  dcl_position v0
  dcl_blendweight v1
  dcl_blendindices v2
  dcl_color v3
  dcl_texcoord v4
  mul r0.xy, v2.xy, c5.x
  mova a0.xy, r0.xy
  dp4 r1.x, v0, c[a0.x + 20]
  dp4 r1.y, v0, c[a0.x + 21]
  dp4 r1.z, v0, c[a0.x + 22]
  dp4 r2.x, v0, c[a0.y + 20]
  dp4 r2.y, v0, c[a0.y + 21]
  dp4 r2.z, v0, c[a0.y + 22]
  add r4.x, c5.y, -v1.x
  mul r3.xyz, r1.xyz, v1.x
  mad r3.xyz, r2.xyz, r4.x, r3.xyz
  mov r3.w, c5.y
  m4x4 oPos, r3, c0
  mov oD0, v3
  mov oT0.xy, v4
end

technique BoneRender
  pass P0
    VertexShader = SkinVS
  end
end
