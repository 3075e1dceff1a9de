#include "settings/RegistryFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(StringList, DecodesUpToTheFirstEmptyEntryOrTheEndOfItsData)
{
    const std::vector<std::wstring> none;
    const struct {
        std::wstring units;
        // Bytes given to the decoder: all of them when zero; an odd count cuts a unit in half.
        size_t size;
        std::vector<std::wstring> entries;
        // Whether the units are exactly what the entries encode to.
        bool canonical;
    } rows[] = {
        {std::wstring(L"Running\0Stopped\0Paused\0\0", 24), 0, {L"Running", L"Stopped", L"Paused"}, true},
        {std::wstring(1, L'\0'), 0, none, true},
        {std::wstring(L"Serveur\u00e9\u4e2d\0\0", 11), 0, {L"Serveur\u00e9\u4e2d"}, true},
        {std::wstring(L"a\0\0b\0\0", 6), 0, {L"a"}, false},
        {std::wstring(L"\0a\0\0", 4), 0, none, false},
        // No list terminator, then no final NUL: only complete entries count.
        {std::wstring(L"a\0bc\0", 5), 0, {L"a", L"bc"}, false},
        {std::wstring(L"a\0bc", 4), 0, {L"a"}, false},
        {std::wstring(L"x\0y", 3), 5, {L"x"}, false},
        {std::wstring(), 0, none, false},
        // Exact size: any read past the end would be outside the allocation.
        {std::wstring(512 * 1024, L'A'), 0, none, false},
    };
    for (const auto &row : rows) {
        const size_t bytes = row.units.size() * sizeof(wchar_t);
        std::vector<BYTE> data(reinterpret_cast<const BYTE *>(row.units.data()),
                               reinterpret_cast<const BYTE *>(row.units.data()) + (row.size ? row.size : bytes));
        CStringArray entries;
        RegistryFormat::DecodeStringList(data.data(), data.size(), entries);
        std::vector<std::wstring> got;
        for (int i = 0; i < entries.GetSize(); ++i)
            got.emplace_back(entries[i]);
        EXPECT_EQ(got, row.entries) << row.units.size();
        if (row.canonical) {
            EXPECT_EQ(RegistryFormat::EncodeStringList(entries), data);
        }
    }
    // A buffer with no storage, given with the size its value has grown to since.
    CStringArray unstored;
    RegistryFormat::DecodeStringList(nullptr, 8, unstored);
    EXPECT_EQ(unstored.GetSize(), 0);
}

} // namespace
