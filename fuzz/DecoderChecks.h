#pragma once

#include "settings/RegistryFormat.h"

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

// The decoders' contracts on arbitrary bytes, shared by the native fuzz targets and the Windows
// corpus replay. Each check returns an empty string when the contract held, else what broke.
namespace DecoderChecks {

inline unsigned UnitAt(const BYTE* data, size_t index)
{
    return data[2 * index] | (data[2 * index + 1] << 8);
}

inline std::string CheckStringList(const BYTE* data, size_t size)
{
    CStringArray entries;
    RegistryFormat::DecodeStringList(data, size, entries);
    for (int i = 0; i < entries.GetSize(); ++i) {
        if (entries[i].IsEmpty())
            return "string list: entry " + std::to_string(i) + " is empty";
        for (int c = 0; c < entries[i].GetLength(); ++c)
            if (entries[i][c] == L'\0')
                return "string list: entry " + std::to_string(i) + " holds a NUL";
    }

    // The entries with their NULs are exactly the start of the data...
    const std::vector<BYTE> encoded = RegistryFormat::EncodeStringList(entries);
    const size_t used = encoded.size() - 2;
    if (used > size || (used != 0 && std::memcmp(encoded.data(), data, used) != 0))
        return "string list: re-encoded entries are not the start of the data";
    // ...and what follows holds no further entry: no whole unit, an empty entry, or no NUL at all.
    const size_t restUnits = (size - used) / 2;
    if (restUnits != 0 && UnitAt(data + used, 0) != 0)
        for (size_t i = 1; i < restUnits; ++i)
            if (UnitAt(data + used, i) == 0)
                return "string list: stopped before a complete entry at byte " + std::to_string(used);

    CStringArray again;
    RegistryFormat::DecodeStringList(encoded.data(), encoded.size(), again);
    if (again.GetSize() != entries.GetSize())
        return "string list: re-decoding gives " + std::to_string(again.GetSize()) + " entries, not " +
               std::to_string(entries.GetSize());
    for (int i = 0; i < entries.GetSize(); ++i)
        if (again[i] != entries[i])
            return "string list: re-decoding changes entry " + std::to_string(i);
    return {};
}

inline std::string CheckLogFont(const BYTE* data, size_t size)
{
    LOGFONTW font;
    // Filled with a pattern first, so a field the decoder leaves unset shows up.
    std::memset(&font, 0xA5, sizeof(font));
    RegistryFormat::DecodeLogFont(data, size, font);

    bool terminated = false;
    for (int i = 0; i < LF_FACESIZE && !terminated; ++i)
        terminated = font.lfFaceName[i] == 0;
    if (!terminated)
        return "logfont: face name has no NUL within LF_FACESIZE";

    // Stored bytes are taken as they are, a short value is padded with zeros, and only the face
    // name's last unit is forced to NUL.
    BYTE bytes[RegistryFormat::kLogFontBytes];
    RegistryFormat::EncodeLogFont(font, bytes);
    const size_t lastUnit = offsetof(LOGFONTW, lfFaceName) + (LF_FACESIZE - 1) * sizeof(WCHAR);
    for (size_t i = 0; i < sizeof(bytes); ++i) {
        const BYTE expected = i < size && i < lastUnit ? data[i] : 0;
        if (bytes[i] != expected)
            return "logfont: byte " + std::to_string(i) + " is " + std::to_string(bytes[i]) + ", not " +
                   std::to_string(expected);
    }

    LOGFONTW again;
    RegistryFormat::DecodeLogFont(bytes, sizeof(bytes), again);
    if (std::memcmp(&again, &font, sizeof(font)) != 0)
        return "logfont: re-decoding changes the font";
    return {};
}

inline std::string CheckDword(const BYTE* data, size_t size)
{
    const DWORD untouched = 0xA5A5A5A5;
    DWORD value = untouched;
    const bool taken = RegistryFormat::DecodeDword(data, size, value);
    if (taken != (size == RegistryFormat::kDwordBytes))
        return std::string("dword: a value of ") + std::to_string(size) + " bytes was " + (taken ? "taken" : "refused");
    if (!taken)
        return value == untouched ? std::string() : "dword: a refused value was still written";
    DWORD expected = 0;
    for (size_t i = 0; i < RegistryFormat::kDwordBytes; ++i)
        expected |= static_cast<DWORD>(data[i]) << (8 * i);
    if (value != expected)
        return "dword: took " + std::to_string(value) + " from bytes meaning " + std::to_string(expected);
    return {};
}

}
