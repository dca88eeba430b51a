// The effect layer: parser of our .fx files and the runtime that applies techniques and
// passes through an EffectDevice table (see effect.h for the file format).
#include "lib/render/effect.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "model/bytes.h"
#include "model/str.h"

// [SECTION] state names

struct NamedValue {
  const char *name;
  u32 value;
};

enum ValueKind { VK_INT, VK_BOOL, VK_BLEND, VK_CMP, VK_CULL, VK_FILL, VK_SHADE, VK_FILTER, VK_ADDRESS, VK_BLENDOP };

struct StateName {
  const char *name;
  u32 state;
  ValueKind kind;
};

static const StateName kRenderStates[] = {
    {"ZEnable", 7, VK_BOOL},          {"FillMode", 8, VK_FILL},          {"ShadeMode", 9, VK_SHADE},
    {"ZWriteEnable", 14, VK_BOOL},    {"AlphaTestEnable", 15, VK_BOOL},  {"SrcBlend", 19, VK_BLEND},
    {"DestBlend", 20, VK_BLEND},      {"CullMode", 22, VK_CULL},         {"ZFunc", 23, VK_CMP},
    {"AlphaRef", 24, VK_INT},         {"AlphaFunc", 25, VK_CMP},         {"DitherEnable", 26, VK_BOOL},
    {"AlphaBlendEnable", 27, VK_BOOL}, {"FogEnable", 28, VK_BOOL},       {"SpecularEnable", 29, VK_BOOL},
    {"StencilEnable", 52, VK_BOOL},   {"Lighting", 137, VK_BOOL},        {"ColorWriteEnable", 168, VK_INT},
    {"BlendOp", 171, VK_BLENDOP},
};

static const StateName kSamplerStates[] = {
    {"AddressU", 1, VK_ADDRESS}, {"AddressV", 2, VK_ADDRESS}, {"AddressW", 3, VK_ADDRESS},
    {"BorderColor", 4, VK_INT},  {"MagFilter", 5, VK_FILTER}, {"MinFilter", 6, VK_FILTER},
    {"MipFilter", 7, VK_FILTER},
};

static const NamedValue kBlend[] = {{"ZERO", 1}, {"ONE", 2}, {"SRCCOLOR", 3}, {"INVSRCCOLOR", 4}, {"SRCALPHA", 5},
                                    {"INVSRCALPHA", 6}, {"DESTALPHA", 7}, {"INVDESTALPHA", 8}, {"DESTCOLOR", 9},
                                    {"INVDESTCOLOR", 10}, {nullptr, 0}};
static const NamedValue kCmp[] = {{"NEVER", 1}, {"LESS", 2}, {"EQUAL", 3}, {"LESSEQUAL", 4}, {"GREATER", 5},
                                  {"NOTEQUAL", 6}, {"GREATEREQUAL", 7}, {"ALWAYS", 8}, {nullptr, 0}};
static const NamedValue kCull[] = {{"NONE", 1}, {"CW", 2}, {"CCW", 3}, {nullptr, 0}};
static const NamedValue kFill[] = {{"POINT", 1}, {"WIREFRAME", 2}, {"SOLID", 3}, {nullptr, 0}};
static const NamedValue kShade[] = {{"FLAT", 1}, {"GOURAUD", 2}, {nullptr, 0}};
static const NamedValue kFilter[] = {{"NONE", 0}, {"POINT", 1}, {"LINEAR", 2}, {"ANISOTROPIC", 3}, {nullptr, 0}};
static const NamedValue kAddress[] = {{"WRAP", 1}, {"MIRROR", 2}, {"CLAMP", 3}, {"BORDER", 4}, {nullptr, 0}};
static const NamedValue kBlendOp[] = {{"ADD", 1}, {"SUBTRACT", 2}, {"REVSUBTRACT", 3}, {"MIN", 4}, {"MAX", 5}, {nullptr, 0}};
static const NamedValue kBool[] = {{"FALSE", 0}, {"TRUE", 1}, {nullptr, 0}};

static const NamedValue *ValueTable(ValueKind k) {
  switch (k) {
    case VK_BOOL: return kBool;
    case VK_BLEND: return kBlend;
    case VK_CMP: return kCmp;
    case VK_CULL: return kCull;
    case VK_FILL: return kFill;
    case VK_SHADE: return kShade;
    case VK_FILTER: return kFilter;
    case VK_ADDRESS: return kAddress;
    case VK_BLENDOP: return kBlendOp;
    default: return nullptr;
  }
}

static bool EqualNoCase(const char *a, const char *b) {
  for (; *a && *b; a++, b++) {
    char ca = (*a >= 'a' && *a <= 'z') ? (char)(*a - 32) : *a;
    char cb = (*b >= 'a' && *b <= 'z') ? (char)(*b - 32) : *b;
    if (ca != cb) return false;
  }
  return *a == *b;
}

// A decimal or 0x number, or a name of the state's value table.
static bool ParseStateValue(const char *tok, ValueKind kind, u32 *out) {
  if (tok[0] >= '0' && tok[0] <= '9') {
    char *end = nullptr;
    unsigned long v = strtoul(tok, &end, 0);
    if (*end || v > 0xFFFFFFFFul) return false;
    *out = (u32)v;
    return true;
  }
  const NamedValue *t = ValueTable(kind);
  for (; t && t->name; t++)
    if (EqualNoCase(tok, t->name)) { *out = t->value; return true; }
  return false;
}

// [SECTION] parser

struct FxParser {
  EffectDesc *d;
  const char *name;
  char *err;
  size_t errSize;
  i32 line;
  bool failed;
  ByteWriter text;
};

static void Fail(FxParser *p, const char *fmt, ...) {
  if (p->failed) return;
  p->failed = true;
  char msg[512];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(msg, sizeof msg, fmt, ap);
  va_end(ap);
  if (p->err && p->errSize) Str_Format(p->err, p->errSize, "%s(%d): %s", p->name, p->line, msg);
}

// Splits a line into at most 8 tokens at blanks; "=" is a token of its own and "//" ends
// the line. Tokens are copied into buf (which must hold twice the line). 9 = too many.
static i32 Tokenize(const char *line, char *buf, char *tok[8]) {
  i32 n = 0;
  const char *s = line;
  char *o = buf;
  while (*s) {
    while (*s == ' ' || *s == '\t' || *s == ';') s++;
    if (!*s || (s[0] == '/' && s[1] == '/')) break;
    if (n == 8) return 9;
    tok[n++] = o;
    if (*s == '=') {
      *o++ = *s++;
    } else {
      while (*s && *s != ' ' && *s != '\t' && *s != ';' && *s != '=' && !(s[0] == '/' && s[1] == '/')) *o++ = *s++;
    }
    *o++ = 0;
  }
  return n;
}

static bool ValidName(const char *s) {
  if (!*s || strlen(s) >= EFFECT_NAME_SIZE) return false;
  for (; *s; s++)
    if (!((*s >= 'a' && *s <= 'z') || (*s >= 'A' && *s <= 'Z') || (*s >= '0' && *s <= '9') || *s == '_')) return false;
  return true;
}

// "c12" / "12" after "vs=" etc.: a register number below limit.
static bool ParseIndex(const char *s, char prefix, i32 limit, i32 *out) {
  if (prefix && *s == prefix) s++;
  if (*s < '0' || *s > '9') return false;
  char *end = nullptr;
  long v = strtol(s, &end, 10);
  if (*end || v < 0 || v >= limit) return false;
  *out = (i32)v;
  return true;
}

static i32 RegistersPerElement(u32 type) {
  switch (type) {
    case FXP_MATRIX: return 4;
    case FXP_MATRIX43: return 3;
    case FXP_TEXTURE: return 0;
    default: return 1;
  }
}

static i32 FloatsPerElement(u32 type) {
  switch (type) {
    case FXP_MATRIX: return 16;
    case FXP_MATRIX43: return 12;
    case FXP_VECTOR: return 4;
    case FXP_TEXTURE: return 0;
    default: return 4;  // a float or bool fills the x of one register (y, z, w kept 0)
  }
}

static void ParseParam(FxParser *p, char **tok, i32 n) {
  EffectDesc *d = p->d;
  if (n < 3) return Fail(p, "param needs a type and a name");
  static const char *types[] = {"float", "bool", "vector", "matrix", "matrix43", "texture"};
  u32 type = 99;
  for (u32 i = 0; i < 6; i++)
    if (!strcmp(tok[1], types[i])) type = i;
  if (type == 99) return Fail(p, "unknown parameter type \"%s\"", tok[1]);
  if (d->paramCount >= EFFECT_MAX_PARAMS) return Fail(p, "more than %d parameters", EFFECT_MAX_PARAMS);
  EffectParam *par = &d->params[d->paramCount];
  memset(par, 0, sizeof *par);
  par->type = type;
  par->count = 1;
  par->vsRegister = par->psRegister = par->sampler = -1;
  char *br = strchr(tok[2], '[');
  if (br) {
    char *close = strchr(br, ']');
    i32 count = 0;
    if (!close || close[1]) return Fail(p, "bad array size");
    *close = 0;
    *br = 0;
    if (!ParseIndex(br + 1, 0, EFFECT_MAX_ARRAY + 1, &count) || count < 1) return Fail(p, "bad array size");
    if (type == FXP_TEXTURE) return Fail(p, "texture arrays are not supported");
    par->count = count;
  }
  if (!ValidName(tok[2])) return Fail(p, "bad parameter name");
  if (EffectDesc_FindParam(d, tok[2]) >= 0) return Fail(p, "parameter \"%s\" declared twice", tok[2]);
  Str_Copy(par->name, sizeof par->name, tok[2]);
  par->registerCount = RegistersPerElement(type) * par->count;
  for (i32 i = 3; i < n; i++) {
    const char *t = tok[i];
    bool ok;
    if (!strncmp(t, "vs:", 3)) ok = ParseIndex(t + 3, 'c', EFFECT_MAX_REGISTER, &par->vsRegister) &&
                                    par->vsRegister + par->registerCount <= EFFECT_MAX_REGISTER;
    else if (!strncmp(t, "ps:", 3)) ok = ParseIndex(t + 3, 'c', EFFECT_MAX_REGISTER, &par->psRegister) &&
                                         par->psRegister + par->registerCount <= EFFECT_MAX_REGISTER;
    else if (!strncmp(t, "s:", 2)) ok = type == FXP_TEXTURE && ParseIndex(t + 2, 0, EFFECT_MAX_SAMPLER, &par->sampler);
    else ok = false;
    if (!ok) return Fail(p, "bad binding \"%s\" of parameter \"%s\"", t, par->name);
  }
  if (type == FXP_TEXTURE && (par->vsRegister >= 0 || par->psRegister >= 0))
    return Fail(p, "texture \"%s\" bound to constants", par->name);
  if (type != FXP_TEXTURE) {
    i32 floats = FloatsPerElement(type) * par->count;
    if (d->floatCount + floats > EFFECT_MAX_FLOATS) return Fail(p, "parameters too large");
    par->valueOffset = d->floatCount;
    d->floatCount += floats;
  }
  d->paramCount++;
}

static i32 FindShader(const EffectDesc *d, const char *name) {
  for (i32 i = 0; i < d->shaderCount; i++)
    if (!strcmp(d->shaders[i].name, name)) return i;
  return -1;
}

static void ParsePassState(FxParser *p, EffectPass *pass, char **tok, i32 n) {
  EffectDesc *d = p->d;
  if (n != 3 || strcmp(tok[1], "=")) return Fail(p, "expected \"<state> = <value>\"");
  if (!strcmp(tok[0], "VertexShader") || !strcmp(tok[0], "PixelShader")) {
    bool pixel = tok[0][0] == 'P';
    i32 s = FindShader(d, tok[2]);
    if (s < 0) return Fail(p, "unknown shader \"%s\"", tok[2]);
    if (d->shaders[s].pixel != (u8)pixel) return Fail(p, "\"%s\" is not a %s shader", tok[2], pixel ? "pixel" : "vertex");
    (pixel ? pass->pixelShader : pass->vertexShader) = s;
    return;
  }
  EffectState st = {};
  const StateName *found = nullptr;
  if (!strncmp(tok[0], "Sampler", 7)) {
    const char *dot = strchr(tok[0], '.');
    char num[8] = {};
    i32 stage = -1;
    if (!dot || dot - (tok[0] + 7) < 1 || dot - (tok[0] + 7) > 2) return Fail(p, "bad sampler state \"%s\"", tok[0]);
    memcpy(num, tok[0] + 7, (size_t)(dot - (tok[0] + 7)));
    if (!ParseIndex(num, 0, EFFECT_MAX_SAMPLER, &stage)) return Fail(p, "bad sampler stage in \"%s\"", tok[0]);
    for (const StateName &sn : kSamplerStates)
      if (!strcmp(sn.name, dot + 1)) found = &sn;
    st.kind = FXS_SAMPLER;
    st.stage = (u16)stage;
  } else {
    for (const StateName &sn : kRenderStates)
      if (!strcmp(sn.name, tok[0])) found = &sn;
    st.kind = FXS_RENDER;
  }
  if (!found) return Fail(p, "unknown state \"%s\"", tok[0]);
  st.state = found->state;
  if (!ParseStateValue(tok[2], found->kind, &st.value)) return Fail(p, "bad value \"%s\" for %s", tok[2], tok[0]);
  if (d->stateCount >= EFFECT_MAX_STATES) return Fail(p, "more than %d states", EFFECT_MAX_STATES);
  d->states[d->stateCount++] = st;
  pass->stateCount++;
}

i32 EffectDesc_FindParam(const EffectDesc *d, const char *name) {
  if (!name) return -1;
  for (i32 i = 0; i < d->paramCount; i++)
    if (!strcmp(d->params[i].name, name)) return i;
  return -1;
}

i32 EffectDesc_FindTechnique(const EffectDesc *d, const char *name) {
  if (!name) return -1;
  for (i32 i = 0; i < d->techniqueCount; i++)
    if (!strcmp(d->techniques[i].name, name)) return i;
  return -1;
}

void EffectDesc_Free(EffectDesc *d) {
  free(d->text);
  d->text = nullptr;
}

enum { IN_TOP, IN_SHADER, IN_TECHNIQUE, IN_PASS };

bool Effect_Parse(const char *src, size_t size, const char *name, EffectDesc *d, char *err, size_t errSize) {
  memset(d, 0, sizeof *d);
  FxParser p = {};
  p.d = d;
  p.name = name ? name : "effect";
  p.err = err;
  p.errSize = errSize;
  if (err && errSize) err[0] = 0;
  ByteReader r;
  Rd_Init(&r, src, size);
  char line[1024];
  i32 where = IN_TOP;
  EffectShaderSource *shader = nullptr;
  EffectTechnique *tech = nullptr;
  EffectPass *pass = nullptr;
  while (!p.failed && Rd_Line(&r, line, sizeof line)) {
    p.line++;
    if (strlen(line) >= sizeof line - 1) { Fail(&p, "line too long"); break; }
    if (where == IN_SHADER) {
      char buf[2048];
      char *tok[8];
      i32 n = Tokenize(line, buf, tok);
      if (n == 1 && !strcmp(tok[0], "end")) {
        shader->textLength = (i32)p.text.size - shader->textOffset;
        if (shader->textLength == 0) Fail(&p, "shader \"%s\" is empty", shader->name);
        Wr_U8(&p.text, 0);  // each body terminated for the assembler
        where = IN_TOP;
        continue;
      }
      Wr_Bytes(&p.text, line, strlen(line));
      Wr_U8(&p.text, '\n');
      continue;
    }
    char buf[2048];
    char *tok[8];
    i32 n = Tokenize(line, buf, tok);
    if (n == 0) continue;
    if (n > 8) { Fail(&p, "too many words"); break; }
    if (where == IN_TOP) {
      if (!strcmp(tok[0], "param")) {
        ParseParam(&p, tok, n);
      } else if (!strcmp(tok[0], "vertexshader") || !strcmp(tok[0], "pixelshader")) {
        if (n != 2 || !ValidName(tok[1])) { Fail(&p, "shader needs one name"); break; }
        if (FindShader(d, tok[1]) >= 0) { Fail(&p, "shader \"%s\" declared twice", tok[1]); break; }
        if (d->shaderCount >= EFFECT_MAX_SHADERS) { Fail(&p, "more than %d shaders", EFFECT_MAX_SHADERS); break; }
        shader = &d->shaders[d->shaderCount++];
        Str_Copy(shader->name, sizeof shader->name, tok[1]);
        shader->pixel = tok[0][0] == 'p';
        shader->line = p.line + 1;
        shader->textOffset = (i32)p.text.size;
        where = IN_SHADER;
      } else if (!strcmp(tok[0], "technique")) {
        if (n != 2 || !ValidName(tok[1])) { Fail(&p, "technique needs one name"); break; }
        if (EffectDesc_FindTechnique(d, tok[1]) >= 0) { Fail(&p, "technique \"%s\" declared twice", tok[1]); break; }
        if (d->techniqueCount >= EFFECT_MAX_TECHNIQUES) { Fail(&p, "more than %d techniques", EFFECT_MAX_TECHNIQUES); break; }
        tech = &d->techniques[d->techniqueCount++];
        Str_Copy(tech->name, sizeof tech->name, tok[1]);
        tech->firstPass = d->passCount;
        where = IN_TECHNIQUE;
      } else {
        Fail(&p, "unexpected \"%s\"", tok[0]);
      }
    } else if (where == IN_TECHNIQUE) {
      if (n == 1 && !strcmp(tok[0], "end")) {
        if (tech->passCount == 0) Fail(&p, "technique \"%s\" has no pass", tech->name);
        where = IN_TOP;
      } else if (!strcmp(tok[0], "pass")) {
        if (n != 2 || !ValidName(tok[1])) { Fail(&p, "pass needs one name"); break; }
        if (d->passCount >= EFFECT_MAX_PASSES) { Fail(&p, "more than %d passes", EFFECT_MAX_PASSES); break; }
        pass = &d->passes[d->passCount++];
        Str_Copy(pass->name, sizeof pass->name, tok[1]);
        pass->vertexShader = pass->pixelShader = -1;
        pass->firstState = d->stateCount;
        tech->passCount++;
        where = IN_PASS;
      } else {
        Fail(&p, "unexpected \"%s\" in technique", tok[0]);
      }
    } else {  // IN_PASS
      if (n == 1 && !strcmp(tok[0], "end")) where = IN_TECHNIQUE;
      else ParsePassState(&p, pass, tok, n);
    }
  }
  if (!p.failed && where != IN_TOP) {
    p.line++;
    Fail(&p, "unexpected end of file (missing \"end\")");
  }
  if (!p.failed && d->techniqueCount == 0) Fail(&p, "no technique");
  if (!p.failed && p.text.err) Fail(&p, "out of memory");
  if (p.failed) {
    Wr_Free(&p.text);
    memset(d, 0, sizeof *d);
    return false;
  }
  d->text = (char *)p.text.data;  // handed over to the desc
  d->textLength = (i32)p.text.size;
  if (!d->text) d->text = (char *)calloc(1, 1);
  return true;
}

// [SECTION] runtime

Effect *Effect_CreateFromMemory(const EffectDevice *dev, const char *src, size_t size, const char *name, char *err,
                                size_t errSize) {
  Effect *e = (Effect *)calloc(1, sizeof(Effect));
  if (!e) {
    if (err && errSize) Str_Copy(err, errSize, "out of memory");
    return nullptr;
  }
  if (!Effect_Parse(src, size, name, &e->desc, err, errSize)) {
    free(e);
    return nullptr;
  }
  e->dev = dev;
  e->activePass = -1;
  for (i32 i = 0; i < e->desc.shaderCount; i++) {
    const EffectShaderSource *s = &e->desc.shaders[i];
    char text[EFFECT_ERROR_SIZE] = {};
    if (!dev->createShader(dev->ctx, s->pixel != 0, e->desc.text + s->textOffset, (size_t)s->textLength,
                           &e->shaders[i], text, sizeof text)) {
      if (err && errSize) Str_Format(err, errSize, "%s(%d): shader \"%s\": %s", name ? name : "effect", s->line, s->name, text);
      e->shaders[i] = nullptr;
      Effect_Release(e);
      return nullptr;
    }
  }
  return e;
}

Effect *Effect_CreateFromFile(const EffectDevice *dev, const char *path, char *err, size_t errSize) {
  FileData f = {};
  if (!path || !File_ReadAll(path, &f)) {
    if (err && errSize) Str_Format(err, errSize, "%s: cannot be read", path ? path : "");
    return nullptr;
  }
  Effect *e = Effect_CreateFromMemory(dev, (const char *)f.data, f.size, path, err, errSize);
  File_Free(&f);
  return e;
}

void Effect_Release(Effect *e) {
  if (!e) return;
  if (e->begun) Effect_End(e);
  for (i32 i = 0; i < e->desc.shaderCount; i++)
    if (e->shaders[i]) e->dev->releaseShader(e->dev->ctx, e->shaders[i]);
  EffectDesc_Free(&e->desc);
  free(e);
}

static EffectParam *ParamOf(Effect *e, const char *name, u32 type) {
  if (!e) return nullptr;
  i32 i = EffectDesc_FindParam(&e->desc, name);
  if (i < 0 || e->desc.params[i].type != type) return nullptr;
  return &e->desc.params[i];
}

static void UploadParam(Effect *e, const EffectParam *par) {
  const EffectDevice *dev = e->dev;
  if (par->type == FXP_TEXTURE) {
    if (par->sampler >= 0) dev->setTexture(dev->ctx, par->sampler, e->textures[par - e->desc.params]);
    return;
  }
  const f32 *v = e->values + par->valueOffset;
  if (par->vsRegister >= 0) dev->setConstants(dev->ctx, false, par->vsRegister, v, par->registerCount);
  if (par->psRegister >= 0) dev->setConstants(dev->ctx, true, par->psRegister, v, par->registerCount);
}

static void Changed(Effect *e, const EffectParam *par) {
  if (e->activePass >= 0) UploadParam(e, par);
}

bool Effect_SetTechnique(Effect *e, const char *name) {
  if (!e) return false;
  i32 t = EffectDesc_FindTechnique(&e->desc, name);
  if (t < 0) return false;
  e->technique = t;
  return true;
}

// Shaders read columns: a row-vector matrix goes up transposed (4 or the first 3 columns).
static void StoreMatrix(f32 *out, const Mat4 *m, i32 columns) {
  for (i32 c = 0; c < columns; c++)
    for (i32 r = 0; r < 4; r++) out[c * 4 + r] = m->m[r][c];
}

bool Effect_SetMatrix(Effect *e, const char *name, const Mat4 *m) {
  EffectParam *par = ParamOf(e, name, FXP_MATRIX);
  if (!par) par = ParamOf(e, name, FXP_MATRIX43);
  if (!par || !m) return false;
  StoreMatrix(e->values + par->valueOffset, m, par->type == FXP_MATRIX ? 4 : 3);
  Changed(e, par);
  return true;
}

bool Effect_SetMatrixArray(Effect *e, const char *name, const Mat4 *m, i32 count) {
  EffectParam *par = ParamOf(e, name, FXP_MATRIX);
  if (!par) par = ParamOf(e, name, FXP_MATRIX43);
  if (!par || (!m && count > 0) || count < 0) return false;
  if (count > par->count) count = par->count;
  i32 columns = par->type == FXP_MATRIX ? 4 : 3;
  for (i32 i = 0; i < count; i++) StoreMatrix(e->values + par->valueOffset + i * columns * 4, &m[i], columns);
  Changed(e, par);
  return true;
}

bool Effect_SetVector(Effect *e, const char *name, const f32 v[4]) {
  EffectParam *par = ParamOf(e, name, FXP_VECTOR);
  if (!par || !v) return false;
  memcpy(e->values + par->valueOffset, v, 4 * sizeof(f32));
  Changed(e, par);
  return true;
}

bool Effect_SetFloat(Effect *e, const char *name, f32 v) {
  EffectParam *par = ParamOf(e, name, FXP_FLOAT);
  if (!par) return false;
  e->values[par->valueOffset] = v;
  Changed(e, par);
  return true;
}

bool Effect_SetBool(Effect *e, const char *name, bool v) {
  EffectParam *par = ParamOf(e, name, FXP_BOOL);
  if (!par) return false;
  e->values[par->valueOffset] = v ? 1.0f : 0.0f;
  Changed(e, par);
  return true;
}

bool Effect_SetTexture(Effect *e, const char *name, void *texture) {
  EffectParam *par = ParamOf(e, name, FXP_TEXTURE);
  if (!par) return false;
  e->textures[par - e->desc.params] = texture;
  Changed(e, par);
  return true;
}

static bool AlreadySaved(const Effect *e, const EffectState *s) {
  for (i32 i = 0; i < e->savedCount; i++)
    if (e->saved[i].kind == s->kind && e->saved[i].stage == s->stage && e->saved[i].state == s->state) return true;
  return false;
}

u32 Effect_Begin(Effect *e) {
  if (!e) return 0;
  if (e->begun) Effect_End(e);
  const EffectTechnique *t = &e->desc.techniques[e->technique];
  e->savedCount = 0;
  for (i32 p = t->firstPass; p < t->firstPass + t->passCount; p++) {
    const EffectPass *pass = &e->desc.passes[p];
    for (i32 s = pass->firstState; s < pass->firstState + pass->stateCount; s++) {
      EffectState st = e->desc.states[s];
      if (AlreadySaved(e, &st) || e->savedCount >= EFFECT_MAX_STATES) continue;
      st.value = e->dev->getState(e->dev->ctx, st.kind, st.stage, st.state);
      e->saved[e->savedCount++] = st;
    }
  }
  e->begun = true;
  e->activePass = -1;
  return (u32)t->passCount;
}

bool Effect_Pass(Effect *e, u32 pass) {
  if (!e || !e->begun) return false;
  const EffectTechnique *t = &e->desc.techniques[e->technique];
  if (pass >= (u32)t->passCount) return false;
  const EffectPass *p = &e->desc.passes[t->firstPass + (i32)pass];
  const EffectDevice *dev = e->dev;
  dev->setShader(dev->ctx, false, p->vertexShader >= 0 ? e->shaders[p->vertexShader] : nullptr);
  dev->setShader(dev->ctx, true, p->pixelShader >= 0 ? e->shaders[p->pixelShader] : nullptr);
  for (i32 s = p->firstState; s < p->firstState + p->stateCount; s++) {
    const EffectState *st = &e->desc.states[s];
    dev->setState(dev->ctx, st->kind, st->stage, st->state, st->value);
  }
  for (i32 i = 0; i < e->desc.paramCount; i++) UploadParam(e, &e->desc.params[i]);
  e->activePass = (i32)pass;
  return true;
}

void Effect_End(Effect *e) {
  if (!e || !e->begun) return;
  const EffectDevice *dev = e->dev;
  dev->setShader(dev->ctx, false, nullptr);
  dev->setShader(dev->ctx, true, nullptr);
  for (i32 i = 0; i < e->savedCount; i++)
    dev->setState(dev->ctx, e->saved[i].kind, e->saved[i].stage, e->saved[i].state, e->saved[i].value);
  // Textures bound by the effect are unbound so that no released target stays on a stage.
  for (i32 i = 0; i < e->desc.paramCount; i++)
    if (e->desc.params[i].type == FXP_TEXTURE && e->desc.params[i].sampler >= 0)
      dev->setTexture(dev->ctx, e->desc.params[i].sampler, nullptr);
  e->savedCount = 0;
  e->begun = false;
  e->activePass = -1;
}
