#pragma once

#include "framework/CStringArray.h"

#include <windows.h>

#include <cstddef>
#include <vector>

// Byte layouts of the stored settings values, free of any registry access.
namespace RegistryFormat {

constexpr size_t kLogFontBytes = 92;
constexpr size_t kDwordBytes = 4;

// REG_MULTI_SZ: each entry and a NUL, then one more NUL; an empty array is one NUL.
std::vector<BYTE> EncodeStringList(const CStringArray& entries);
// Entries up to the first empty one or the end of the data, whichever is first; never reads
// past size bytes, and a trailing entry that lacks its NUL is dropped as incomplete. Null data
// gives no entries.
void DecodeStringList(const BYTE* data, size_t size, CStringArray& entries);

// A 4-byte value of any other size is treated as missing, so a short value can't half
// overwrite the default. Returns whether value was taken.
bool DecodeDword(const BYTE* data, size_t size, DWORD& value);

void EncodeLogFont(const LOGFONTW& font, BYTE (&bytes)[kLogFontBytes]);
// A shorter value fills the start and leaves the rest zero; the face name always ends in NUL.
void DecodeLogFont(const BYTE* data, size_t size, LOGFONTW& font);

}
