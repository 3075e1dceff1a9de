#include "fuzz/DecoderChecks.h"
#include "tests/driver/UiDriver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kTargets[] = {"string_list", "logfont", "dword"};

struct StoredInput {
    std::wstring path;
    // One spare byte, so even an empty input has an address, as libFuzzer hands it over.
    std::vector<BYTE> buffer;
    size_t size = 0;
};

std::vector<std::wstring> FilesIn(const std::wstring& directory)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((directory + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

bool ReadInput(StoredInput& input)
{
    HANDLE file = CreateFileW(input.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) != 0;
    DWORD got = 0;
    if (ok) {
        input.size = static_cast<size_t>(size.QuadPart);
        input.buffer.assign(input.size + 1, 0);
        ok = ReadFile(file, input.buffer.data(), static_cast<DWORD>(input.size), &got, nullptr) && got == input.size;
    }
    CloseHandle(file);
    return ok;
}

// Every stored input, whichever target found it: each decoder has to cope with any bytes.
class DecoderCorpus : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const std::wstring corpus = UiDriver::PathFromEnvironment("QSS_CORPUS");
        for (const char* target : kTargets) {
            const std::wstring directory = corpus + L"\\" + std::wstring(target, target + std::strlen(target));
            for (const std::wstring& name : FilesIn(directory)) {
                StoredInput input;
                input.path = directory + L"\\" + name;
                if (ReadInput(input))
                    s_inputs.push_back(input);
                else
                    s_unreadable.push_back(input.path);
            }
        }
    }

    static std::vector<StoredInput> s_inputs;
    static std::vector<std::wstring> s_unreadable;
};

std::vector<StoredInput> DecoderCorpus::s_inputs;
std::vector<std::wstring> DecoderCorpus::s_unreadable;

TEST_F(DecoderCorpus, EveryTargetHasReadableInputs)
{
    const std::wstring corpus = UiDriver::PathFromEnvironment("QSS_CORPUS");
    ASSERT_FALSE(corpus.empty()) << "QSS_CORPUS is not set";
    for (const char* target : kTargets)
        EXPECT_FALSE(FilesIn(corpus + L"\\" + std::wstring(target, target + std::strlen(target))).empty())
            << "no inputs for " << target;
    for (const std::wstring& path : s_unreadable)
        ADD_FAILURE() << "unreadable: " << path;
}

TEST_F(DecoderCorpus, StringListContractsHoldOnEveryInput)
{
    for (const StoredInput& input : s_inputs)
        EXPECT_EQ(DecoderChecks::CheckStringList(input.buffer.data(), input.size), "") << input.path;
}

TEST_F(DecoderCorpus, LogFontContractsHoldOnEveryInput)
{
    for (const StoredInput& input : s_inputs)
        EXPECT_EQ(DecoderChecks::CheckLogFont(input.buffer.data(), input.size), "") << input.path;
}

TEST_F(DecoderCorpus, DwordContractsHoldOnEveryInput)
{
    for (const StoredInput& input : s_inputs)
        EXPECT_EQ(DecoderChecks::CheckDword(input.buffer.data(), input.size), "") << input.path;
}

}
