#include "engine/k_Log.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace
{
void WriteLines()
{
    k_Log() << "Initializing file system with data file: " << L"d\u00e4ta.pak";
    k_Log(k_Log::Colour::Error) << "FAILED!";
    k_Log(k_Log::Colour::Warning) << "MaterialLoader: " << L"Water.mat" << ':' << 12;
}

std::string LogLines(bool colour)
{
    k_Log::SetColourEnabled(colour);
    testing::internal::CaptureStdout();
    WriteLines();
    std::string out = testing::internal::GetCapturedStdout();
    k_Log::FollowTerminal();
    return out;
}

// A pseudo-terminal: what a program sees when it runs in a terminal window.
struct PseudoTerminal
{
    PseudoTerminal()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
            terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
    }
    ~PseudoTerminal()
    {
        if (terminal >= 0)
            close(terminal);
        if (master >= 0)
            close(master);
    }
    // What has been written to the terminal so far.
    std::string Read() const
    {
        std::string text;
        char buffer[512];
        pollfd ready{master, POLLIN, 0};
        while (poll(&ready, 1, 200) == 1)
        {
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            text.append(buffer, static_cast<size_t>(n));
        }
        return text;
    }
    int master = -1;
    int terminal = -1;
};
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

// By default colour follows where standard output leads at each line, whatever the terminal the
// tests were started from: a terminal gets escapes, the same program redirected afterwards does not.
TEST(k_Log, ColourFollowsStandardOutputLineByLine)
{
    PseudoTerminal pty;
    ASSERT_GE(pty.terminal, 0) << "no pseudo-terminal";
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    k_Log::FollowTerminal();
    EXPECT_TRUE(k_Log::UsesColour(pty.terminal));
    EXPECT_FALSE(k_Log::UsesColour(pipeEnds[1]));
    k_Log::SetColourEnabled(false);
    EXPECT_FALSE(k_Log::UsesColour(pty.terminal));
    k_Log::SetColourEnabled(true);
    EXPECT_TRUE(k_Log::UsesColour(pipeEnds[1]));
    k_Log::FollowTerminal();
    close(pipeEnds[0]);
    close(pipeEnds[1]);

    // Standard output on the terminal, then redirected to a file.
    fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    dup2(pty.terminal, STDOUT_FILENO);
    k_Log(k_Log::Colour::Error) << "FAILED!";
    fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    EXPECT_NE(pty.Read().find("\x1b[91mFAILED!\x1b[0m"), std::string::npos);

    testing::internal::CaptureStdout();
    WriteLines();
    EXPECT_EQ(testing::internal::GetCapturedStdout().find('\x1b'), std::string::npos);
}

// A listener sees each line's plain text, colour or not, and the output stays exactly as without one.
TEST(k_Log, ListenerSeesEveryLineWithoutChangingTheOutput)
{
    std::vector<std::string> heard;
    k_Log::SetListener([&heard](std::string_view line) { heard.emplace_back(line); });
    const std::string out = LogLines(true);
    k_Log::SetListener(nullptr);
    testing::internal::CaptureStdout();
    k_Log() << "not heard";
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Initializing file system with data file: d\xC3\xA4ta.pak\n"
                   "\x1b[91mFAILED!\x1b[0m\n"
                   "\x1b[93mMaterialLoader: Water.mat:12\x1b[0m\n");
    EXPECT_EQ(heard, (std::vector<std::string>{"Initializing file system with data file: d\xC3\xA4ta.pak", "FAILED!",
                                               "MaterialLoader: Water.mat:12"}));
}

// Text quoted from files reaches the terminal as text: control bytes, C1 controls and malformed UTF-8 are written
// as \xNN, in narrow and wide pieces alike; letters, line breaks and tabs stay.
TEST(k_Log, BytesATerminalWouldActOnAreWrittenEscaped)
{
    std::vector<std::string> heard;
    k_Log::SetListener([&heard](std::string_view line) { heard.emplace_back(line); });
    k_Log::SetColourEnabled(true);
    testing::internal::CaptureStdout();
    k_Log(k_Log::Colour::Warning) << "MaterialLoader: Unknown section " << std::string_view("a\x1b[2Jb\x07\r\x7f", 9);
    k_Log() << L"name\u001b]0;title\u0007" << " \xc2\x9b"
            << "31m \xe2\x82\xac \xff\xc3 \xed\xa0\x80 \xf0\x9f\x8e\xb5";
    k_Log() << "line one\n\tline two";
    const std::string out = testing::internal::GetCapturedStdout();
    k_Log::FollowTerminal();
    k_Log::SetListener(nullptr);
    EXPECT_EQ(out, "\x1b[93mMaterialLoader: Unknown section a\\x1b[2Jb\\x07\\x0d\\x7f\x1b[0m\n"
                   "name\\x1b]0;title\\x07 \\xc2\\x9b31m \xe2\x82\xac \\xff\\xc3 \\xed\\xa0\\x80 \xf0\x9f\x8e\xb5\n"
                   "line one\n\tline two\n");
    ASSERT_EQ(heard.size(), 3u);
    EXPECT_EQ(heard[0], "MaterialLoader: Unknown section a\\x1b[2Jb\\x07\\x0d\\x7f");
}
