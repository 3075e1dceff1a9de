#include "fuzz/DecoderChecks.h"
#include "tests/driver/TestProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Every stored input, whichever target found it, through every decoder: each has to cope with any bytes.
TEST(DecoderCorpus, EveryDecodersContractsHoldOnEveryInput)
{
    const std::filesystem::path corpus = TestProcess::PathFromEnvironment("QSS_CORPUS");
    const struct {
        const char *target;
        std::string (*check)(const BYTE *, size_t);
    } decoders[] = {{"string_list", DecoderChecks::CheckStringList},
                    {"logfont", DecoderChecks::CheckLogFont},
                    {"dword", DecoderChecks::CheckDword}};
    std::vector<std::filesystem::path> inputs;
    for (const auto &decoder : decoders) {
        const size_t before = inputs.size();
        for (const auto &entry : std::filesystem::directory_iterator(corpus / decoder.target))
            inputs.push_back(entry.path());
        EXPECT_GT(inputs.size(), before) << "no inputs for " << decoder.target;
    }
    for (const auto &path : inputs) {
        std::ifstream file(path, std::ios::binary);
        ASSERT_TRUE(file) << path;
        std::vector<BYTE> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        // One spare byte, so even an empty input has an address, as libFuzzer hands it over.
        const size_t size = bytes.size();
        bytes.push_back(0);
        for (const auto &decoder : decoders)
            EXPECT_EQ(decoder.check(bytes.data(), size), "") << path;
    }
}

} // namespace
