// Fixed-width integer and float names used by every record and file format.
#pragma once
#include <stdint.h>
#include <stddef.h>

typedef uint8_t u8;
typedef uint16_t u16;
typedef uint32_t u32;
typedef uint64_t u64;
typedef int8_t i8;
typedef int16_t i16;
typedef int32_t i32;
typedef int64_t i64;
typedef float f32;
typedef double f64;

// Copies src into a fixed field of `size` bytes, always terminated, never cutting a two-byte
// CP932 character (model/str.cpp, with the bounded formatting of model/str.h).
void Str_Copy(char *dst, size_t size, const char *src);
