// The effect layer: our own .fx files (techniques, passes with their render and sampler
// states, vertex and pixel shaders in shader assembly, parameters bound by name to shader
// constant registers and sampler stages) and the runtime that feeds them to the device.
//
// Portable: the parser and the runtime never touch the platform; shader creation and the
// device calls go through an EffectDevice table (Direct3D 9 with D3DXAssembleShader in the
// program, see effect_win.h; a recording fake in tests).
//
// File format (one statement per line, "//" starts a comment outside shader bodies):
//   param <type> <name>[<count>] [vs:c<N>] [ps:c<N>] [s:<N>]
//       type: float, bool, vector, matrix (4 registers, uploaded transposed), matrix43
//       (3 registers per element, for bone palettes) or texture (sampler stage s:N).
//   vertexshader <name> / pixelshader <name>, the assembly lines, then "end".
//   technique <name>
//     pass <name>
//       VertexShader = <name> | PixelShader = <name>
//       <RenderState> = <value>            e.g. ZWriteEnable = FALSE, SrcBlend = SRCALPHA
//       Sampler<N>.<SamplerState> = <value> e.g. Sampler0.MinFilter = LINEAR
//     end
//   end
// The first technique is the default one.
#pragma once
#include "model/math.h"
#include "model/types.h"

enum {
  EFFECT_MAX_PARAMS = 64,
  EFFECT_MAX_SHADERS = 32,
  EFFECT_MAX_TECHNIQUES = 16,
  EFFECT_MAX_PASSES = 64,
  EFFECT_MAX_STATES = 512,
  EFFECT_MAX_FLOATS = 16384,
  EFFECT_MAX_ARRAY = 256,
  EFFECT_MAX_REGISTER = 256,
  EFFECT_MAX_SAMPLER = 16,
  EFFECT_NAME_SIZE = 64,
  EFFECT_ERROR_SIZE = 1024,
};

enum EffectParamType : u32 {
  FXP_FLOAT, FXP_BOOL, FXP_VECTOR, FXP_MATRIX, FXP_MATRIX43, FXP_TEXTURE,
};

enum EffectStateKind : u16 { FXS_RENDER = 0, FXS_SAMPLER = 1 };

struct EffectParam {
  char name[EFFECT_NAME_SIZE];
  u32 type;
  i32 count;        // array elements (1 for a plain parameter)
  i32 vsRegister;   // first vertex-shader constant, -1 none
  i32 psRegister;   // first pixel-shader constant, -1 none
  i32 sampler;      // sampler stage of a texture, -1 none
  i32 valueOffset;  // into the effect's float pool (not for textures)
  i32 registerCount;
};

struct EffectState {
  u16 kind;   // EffectStateKind
  u16 stage;  // sampler stage
  u32 state;  // D3DRENDERSTATETYPE / D3DSAMPLERSTATETYPE number
  u32 value;
};

struct EffectShaderSource {
  char name[EFFECT_NAME_SIZE];
  u8 pixel;
  i32 line;         // first line of the body in the file (for messages)
  i32 textOffset;   // into EffectDesc::text
  i32 textLength;
};

struct EffectPass {
  char name[EFFECT_NAME_SIZE];
  i32 vertexShader;  // index into shaders, -1 none
  i32 pixelShader;
  i32 firstState, stateCount;
};

struct EffectTechnique {
  char name[EFFECT_NAME_SIZE];
  i32 firstPass, passCount;
};

// Everything a .fx file says, as plain tables.
struct EffectDesc {
  i32 paramCount, shaderCount, techniqueCount, passCount, stateCount;
  i32 floatCount;
  i32 textLength;
  char *text;  // the shader bodies one after the other (owned, malloc)
  EffectParam params[EFFECT_MAX_PARAMS];
  EffectShaderSource shaders[EFFECT_MAX_SHADERS];
  EffectTechnique techniques[EFFECT_MAX_TECHNIQUES];
  EffectPass passes[EFFECT_MAX_PASSES];
  EffectState states[EFFECT_MAX_STATES];
};

// Parses a .fx text into desc (freshly zeroed first). False with "name(line): reason" in err
// on any fault; desc then owns nothing.
bool Effect_Parse(const char *src, size_t size, const char *name, EffectDesc *desc, char *err, size_t errSize);
void EffectDesc_Free(EffectDesc *desc);
i32 EffectDesc_FindParam(const EffectDesc *desc, const char *name);
i32 EffectDesc_FindTechnique(const EffectDesc *desc, const char *name);

// [SECTION] runtime

// The device calls of the runtime; every entry must be set.
struct EffectDevice {
  void *ctx;
  // Assembles and creates a shader; false with the assembler's text in err.
  bool (*createShader)(void *ctx, bool pixel, const char *source, size_t length, void **shader, char *err, size_t errSize);
  void (*releaseShader)(void *ctx, void *shader);
  void (*setShader)(void *ctx, bool pixel, void *shader);
  void (*setConstants)(void *ctx, bool pixel, i32 firstRegister, const f32 *values, i32 registerCount);
  void (*setTexture)(void *ctx, i32 stage, void *texture);
  u32 (*getState)(void *ctx, u16 kind, u16 stage, u32 state);
  void (*setState)(void *ctx, u16 kind, u16 stage, u32 state, u32 value);
};

struct Effect {
  EffectDesc desc;
  const EffectDevice *dev;
  void *shaders[EFFECT_MAX_SHADERS];
  void *textures[EFFECT_MAX_PARAMS];  // by parameter index
  f32 values[EFFECT_MAX_FLOATS];
  i32 technique;        // current technique
  bool begun;
  i32 activePass;       // -1 outside Pass..End
  i32 savedCount;       // states remembered by Begin, put back by End
  EffectState saved[EFFECT_MAX_STATES];
};

// Parses the text and creates its shaders; null with the reason in err (parse or assembly).
Effect *Effect_CreateFromMemory(const EffectDevice *dev, const char *src, size_t size, const char *name, char *err, size_t errSize);
// Reads the file first; a missing file gives "<path>: cannot be read" in err.
Effect *Effect_CreateFromFile(const EffectDevice *dev, const char *path, char *err, size_t errSize);
void Effect_Release(Effect *e);

// Setters by parameter name; false when the name is unknown or of another type. Values are
// kept and uploaded at the next Pass (and at once while a pass is active, like D3DX's
// CommitChanges, so that per-object values between passes are seen).
bool Effect_SetTechnique(Effect *e, const char *name);
bool Effect_SetMatrix(Effect *e, const char *name, const Mat4 *m);
// Elements beyond the declared array size are ignored.
bool Effect_SetMatrixArray(Effect *e, const char *name, const Mat4 *m, i32 count);
bool Effect_SetVector(Effect *e, const char *name, const f32 v[4]);
bool Effect_SetFloat(Effect *e, const char *name, f32 v);
bool Effect_SetBool(Effect *e, const char *name, bool v);
bool Effect_SetTexture(Effect *e, const char *name, void *texture);

// Begin returns the pass count of the current technique and remembers every state that its
// passes set; Pass(i) sets shaders, states, constants and textures; End puts the states back
// and unbinds the shaders.
u32 Effect_Begin(Effect *e);
bool Effect_Pass(Effect *e, u32 pass);
void Effect_End(Effect *e);
