// Helpers shared by the foreign-format importers and exporters (this folder only).
//
// Every importer parses a whole file held in memory into a scratch model with room for what
// the file can hold, and only a complete, valid result is moved into the slot (Fmt_Commit). The
// in-memory parsers are also the entries of the fuzz targets.
#pragma once
#include "model/bytes.h"
#include "model/formats/formats.h"
#include "model/model3.h"

// Outcome of an in-memory parse.
enum FmtResult {
  FMT_OK = 0,
  FMT_NOT_READ,   // not this format or damaged: no reason of its own (the shell names the file)
  FMT_REFUSED,    // beyond a capacity or a broken reference: the reason is shown to the user
};

struct FmtStatus {
  FmtResult result;
  char reason[256];   // user-facing text when result is FMT_REFUSED
};

// Sets a refusal with a formatted reason and returns FMT_REFUSED.
FmtResult Fmt_Refuse(FmtStatus *st, const char *fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// The refusal of a file whose own counts or lengths do not fit it (a damaged file): the
// damaged-file reason and, on its next line, what did not fit (formatted).
FmtResult Fmt_Broken(FmtStatus *st, const char *fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
extern const char kFmtMsgBroken[];

// A new model with every array at capacity (the importers' scratch target).
Model3 *Fmt_NewModel(void);
// A scratch model with room for what a file of fileSize bytes can hold (full capacity for a
// big file); its bones have their key tables as in a full model.
Model3 *Fmt_NewModelFor(size_t fileSize);
// Moves a finished model into the slot, names it after the path and loads its used
// textures through the seam; the model is consumed. Returns 1.
i32 Fmt_Commit(i32 slot, Model3 *m, const char *path);
// Runs one in-memory parser on a file: reads it, parses into a scratch model and commits it
// on success; a refusal's reason (after the path) goes to *res, and a file that is not the
// parser's or cannot be read is refused without a text. Returns 1 or 0; the slot is left as
// it was on 0.
typedef FmtResult (*FmtParseFn)(Model3 *m, const u8 *data, size_t size, FmtStatus *st);
// One parse as an import takes it: a model that holds NaN or an infinity is refused with a
// reason (the fuzz targets run the same step).
FmtResult Fmt_ParseChecked(FmtParseFn parse, Model3 *m, const u8 *data, size_t size, FmtStatus *st);
i32 Fmt_Import(i32 slot, const char *path, FmtParseFn parse, ModelResult *res);

// One text line without its end: LF, CR, CR LF and LF CR each end one line. False at the
// end of the data. A line longer than the buffer is cut (its rest is skipped).
bool Fmt_TextLine(ByteReader *r, char *dst, size_t dstSize);
// C-library number conversions that give 0 for text that is not a number. Fmt_Float keeps
// "nan", "inf" and numbers beyond the float range as NaN or infinite: the import then
// refuses the model (Fmt_Import's finite check) instead of putting 0 in their place.
i32 Fmt_Int(const char *s);
f32 Fmt_Float(const char *s);
// A colour component (0..255 scale) as a byte: truncated, clamped, NaN as 0.
u8 Fmt_ColorByte(f32 v);
// Vertex normals of the imported model (face and vertex normals, then per-corner normals
// indexed like the positions when the normal array was not rebuilt).
void Fmt_CalcNormals(Model3 *m);
// Corner data of a model polygon with every index checked: out of range gives zeros.
Vec3 Fmt_CornerPosition(const Model3 *m, const PolyCorner &c);
Vec3 Fmt_CornerNormal(const Model3 *m, const PolyCorner &c);
Color4 Fmt_CornerColor(const Model3 *m, const PolyCorner &c);
Vec2 Fmt_CornerUV(const Model3 *m, const PolyCorner &c);

// Next token of an MQO line into out: a quoted token without its quotes, else up to a blank,
// with a parenthesis running to its match (blanks included). Returns the position after it,
// or null when nothing follows on the line.
const char *Mqo_NextToken(const char *s, char *out, size_t outSize);

// In-memory parsers (the fuzz targets' entries).
FmtResult Mx_Parse(Model3 *m, const u8 *data, size_t size, FmtStatus *st);
FmtResult Lwo_Parse(Model3 *m, const u8 *data, size_t size, FmtStatus *st);
FmtResult Mqo_Parse(Model3 *m, const u8 *data, size_t size, FmtStatus *st);
FmtResult Rok_Parse(Model3 *m, const u8 *data, size_t size, FmtStatus *st);
FmtResult Dxf_Parse(Model3 *m, const u8 *data, size_t size, FmtStatus *st);
FmtResult XFile_Parse(Model3 *m, const u8 *data, size_t size, FmtStatus *st);
