#include "settings/RegistryFormat.h"

#include <cstring>

static_assert(sizeof(LOGFONTW) == RegistryFormat::kLogFontBytes, "LOGFONTW is stored byte for byte");

namespace RegistryFormat {

std::vector<BYTE> EncodeStringList(const CStringArray& entries)
{
    std::vector<BYTE> bytes;
    auto put = [&bytes](wchar_t unit) {
        bytes.push_back(static_cast<BYTE>(unit & 0xFF));
        bytes.push_back(static_cast<BYTE>(unit >> 8));
    };
    for (int i = 0; i < entries.GetSize(); ++i) {
        const CString& entry = entries[i];
        for (int c = 0; c < entry.GetLength(); ++c)
            put(entry[c]);
        put(L'\0');
    }
    put(L'\0');
    return bytes;
}

void DecodeStringList(const BYTE* data, size_t size, CStringArray& entries)
{
    entries.RemoveAll();
    // A buffer with no storage holds nothing, whatever size the registry reported for the value since.
    const size_t units = data != nullptr ? size / 2 : 0;
    auto unitAt = [data](size_t i) { return static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8)); };
    size_t start = 0;
    while (start < units) {
        size_t end = start;
        while (end < units && unitAt(end) != L'\0')
            ++end;
        if (end == start || end == units)
            break;
        CString entry;
        for (size_t i = start; i < end; ++i)
            entry += unitAt(i);
        entries.Add(entry);
        start = end + 1;
    }
}

bool DecodeDword(const BYTE* data, size_t size, DWORD& value)
{
    if (size != kDwordBytes)
        return false;
    value = static_cast<DWORD>(data[0]) | (static_cast<DWORD>(data[1]) << 8) | (static_cast<DWORD>(data[2]) << 16) |
            (static_cast<DWORD>(data[3]) << 24);
    return true;
}

void EncodeLogFont(const LOGFONTW& font, BYTE (&bytes)[kLogFontBytes])
{
    std::memcpy(bytes, &font, kLogFontBytes);
}

void DecodeLogFont(const BYTE* data, size_t size, LOGFONTW& font)
{
    std::memset(&font, 0, sizeof(font));
    std::memcpy(&font, data, size < kLogFontBytes ? size : kLogFontBytes);
    font.lfFaceName[LF_FACESIZE - 1] = L'\0';
}

}
