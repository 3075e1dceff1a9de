#include "settings/RegistryFormat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<BYTE> Utf16(std::initializer_list<wchar_t> units)
{
    std::vector<BYTE> bytes;
    for (wchar_t u : units) {
        bytes.push_back(static_cast<BYTE>(u & 0xFF));
        bytes.push_back(static_cast<BYTE>(u >> 8));
    }
    return bytes;
}

CStringArray Decode(const std::vector<BYTE>& bytes, size_t size)
{
    CStringArray entries;
    RegistryFormat::DecodeStringList(bytes.data(), size, entries);
    return entries;
}

CStringArray Decode(const std::vector<BYTE>& bytes)
{
    return Decode(bytes, bytes.size());
}

TEST(StringList, ThreeEntriesTake48BytesAndComeBackInOrder)
{
    CStringArray states;
    states.Add(L"Running");
    states.Add(L"Stopped");
    states.Add(L"Paused");
    const std::vector<BYTE> bytes = RegistryFormat::EncodeStringList(states);
    ASSERT_EQ(bytes.size(), 48u);
    EXPECT_EQ(bytes[46], 0);
    EXPECT_EQ(bytes[47], 0);
    const CStringArray back = Decode(bytes);
    ASSERT_EQ(back.GetSize(), 3);
    EXPECT_EQ(back[0], L"Running");
    EXPECT_EQ(back[1], L"Stopped");
    EXPECT_EQ(back[2], L"Paused");
}

TEST(StringList, EmptyArrayIsOneNul)
{
    const std::vector<BYTE> bytes = RegistryFormat::EncodeStringList(CStringArray());
    EXPECT_EQ(bytes, (std::vector<BYTE>{0, 0}));
    EXPECT_EQ(Decode(bytes).GetSize(), 0);
}

TEST(StringList, NonAsciiSurvivesTheRoundTrip)
{
    CStringArray names;
    names.Add(L"Serveur\u00e9\u4e2d");
    const CStringArray back = Decode(RegistryFormat::EncodeStringList(names));
    ASSERT_EQ(back.GetSize(), 1);
    EXPECT_EQ(back[0], names[0]);
}

TEST(StringList, EmptyEntryEndsList)
{
    EXPECT_EQ(Decode(Utf16({L'a', 0, 0, L'b', 0, 0})).GetSize(), 1);
    EXPECT_EQ(Decode(Utf16({0, L'a', 0, 0})).GetSize(), 0);
}

TEST(StringList, MalformedDataNeverReadsPastItsEnd)
{
    // Missing list terminator: every complete entry is kept.
    CStringArray noTerminator = Decode(Utf16({L'a', 0, L'b', L'c', 0}));
    ASSERT_EQ(noTerminator.GetSize(), 2);
    EXPECT_EQ(noTerminator[1], L"bc");

    // Missing final NUL: the incomplete last entry is dropped, the one before it kept.
    std::vector<BYTE> unterminated = Utf16({L'a', 0, L'b', L'c'});
    CStringArray partial = Decode(unterminated);
    ASSERT_EQ(partial.GetSize(), 1);
    EXPECT_EQ(partial[0], L"a");

    // Odd byte count: the stray byte is not half of a character.
    std::vector<BYTE> odd = Utf16({L'x', 0});
    odd.push_back(L'y');
    ASSERT_EQ(Decode(odd).GetSize(), 1);

    // A read of only part of a buffer stops at that part, even with more data after it.
    std::vector<BYTE> longer = Utf16({L'a', L'b', 0, L'c', 0, 0});
    EXPECT_EQ(Decode(longer, 4).GetSize(), 0);

    EXPECT_EQ(Decode(std::vector<BYTE>(), 0).GetSize(), 0);
}

TEST(StringList, OneMegabyteListWithoutTerminatorGivesNothingAndDoesNotOverrun)
{
    std::vector<BYTE> huge(1 << 20, 'A');
    // Exact-size vector: any read past the end would be outside the allocation.
    EXPECT_EQ(Decode(huge).GetSize(), 0);
}

TEST(Dword, OnlyFourBytesAreAValue)
{
    const BYTE bytes[8] = {0x78, 0x56, 0x34, 0x12, 1, 2, 3, 4};
    DWORD value = 7;
    EXPECT_TRUE(RegistryFormat::DecodeDword(bytes, 4, value));
    EXPECT_EQ(value, 0x12345678u);
    value = 7;
    EXPECT_FALSE(RegistryFormat::DecodeDword(bytes, 2, value));
    EXPECT_FALSE(RegistryFormat::DecodeDword(bytes, 8, value));
    EXPECT_EQ(value, 7u);
}

TEST(LogFontBytes, LayoutMatchesTheStoredFields)
{
    LOGFONTW font = {};
    font.lfHeight = -21;
    font.lfWeight = 700;
    font.lfItalic = 1;
    font.lfPitchAndFamily = 0x22;
    lstrcpyW(font.lfFaceName, L"Arial");
    BYTE bytes[RegistryFormat::kLogFontBytes];
    RegistryFormat::EncodeLogFont(font, bytes);
    EXPECT_EQ(bytes[0], 0xEB);  // -21, little-endian
    EXPECT_EQ(bytes[3], 0xFF);
    EXPECT_EQ(bytes[16], 0xBC);  // 700
    EXPECT_EQ(bytes[17], 0x02);
    EXPECT_EQ(bytes[20], 1);
    EXPECT_EQ(bytes[27], 0x22);
    EXPECT_EQ(bytes[28], 'A');
    EXPECT_EQ(bytes[29], 0);
    EXPECT_EQ(bytes[38], 0);  // terminator after "Arial"
}

TEST(LogFontBytes, ShortValueLeavesTheRestZeroAndGarbageFaceIsTerminated)
{
    std::vector<BYTE> bytes(92, 'Z');
    LOGFONTW font;
    RegistryFormat::DecodeLogFont(bytes.data(), 60, font);
    const auto* raw = reinterpret_cast<const BYTE*>(&font);
    EXPECT_EQ(raw[59], 'Z');
    for (int i = 60; i < 92; ++i)
        EXPECT_EQ(raw[i], 0) << i;

    RegistryFormat::DecodeLogFont(bytes.data(), 92, font);
    EXPECT_EQ(font.lfFaceName[LF_FACESIZE - 1], 0);
    EXPECT_EQ(lstrlenW(font.lfFaceName), LF_FACESIZE - 1);
}

}
