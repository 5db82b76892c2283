#include "engine/k_Log.h"

#include <gtest/gtest.h>

namespace
{
std::string LogLines(bool colour)
{
    k_Log::SetColourEnabled(colour);
    testing::internal::CaptureStdout();
    k_Log() << "Initializing file system with data file: " << L"d\u00e4ta.pak";
    k_Log(k_Log::Colour::Error) << "FAILED!";
    k_Log(k_Log::Colour::Warning) << "MaterialLoader: " << L"Water.mat" << ':' << 12;
    std::string out = testing::internal::GetCapturedStdout();
    k_Log::SetColourEnabled(false);
    return out;
}
} // namespace

TEST(k_Log, RedirectedOutputIsPlainTextOneLinePerObject)
{
    EXPECT_EQ(LogLines(false), "Initializing file system with data file: d\xC3\xA4ta.pak\n"
                               "FAILED!\n"
                               "MaterialLoader: Water.mat:12\n");
}

TEST(k_Log, TerminalOutputColoursOnlyErrorsAndWarningsAndResetsThem)
{
    EXPECT_EQ(LogLines(true), "Initializing file system with data file: d\xC3\xA4ta.pak\n"
                              "\x1b[91mFAILED!\x1b[0m\n"
                              "\x1b[93mMaterialLoader: Water.mat:12\x1b[0m\n");
}
