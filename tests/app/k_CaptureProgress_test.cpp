#include "app/k_CaptureProgress.h"

#include <gtest/gtest.h>
#include <sstream>

TEST(CaptureProgress, LineTellsTheRateAndTheTimeLeft)
{
    EXPECT_EQ(k_CaptureProgress::Line(0, 6000, 0.0), "frame 0/6000");
    EXPECT_EQ(k_CaptureProgress::Line(120, 6000, 60.0), "frame 120/6000, 2.00 frames/s, 49:00 left");
    EXPECT_EQ(k_CaptureProgress::Line(6000, 6000, 100.0), "frame 6000/6000, 60.00 frames/s, 0:00 left");
}

// On a terminal the line is rewritten in place a few times a second, always at the last frame, and ended
// once; elsewhere it goes to the log at each tenth of the run only.
TEST(CaptureProgress, TerminalLineIsRewrittenAndThrottled)
{
    std::ostringstream out;
    k_CaptureProgress terminal(100, true, out);
    terminal.Update(1, 0.01);
    terminal.Update(2, 0.1); // too soon after the first
    terminal.Update(3, 0.4);
    terminal.Update(100, 0.45); // the last frame is always shown
    terminal.Finish();
    terminal.Finish();
    const std::string text = out.str();
    EXPECT_EQ(text.find("frame 2/100"), std::string::npos);
    EXPECT_NE(text.find("\rframe 3/100"), std::string::npos);
    EXPECT_NE(text.find("\rframe 100/100"), std::string::npos);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find('\n'), text.size() - 1) << "one line, ended once";

    std::ostringstream unused;
    k_CaptureProgress log(20, false, unused);
    testing::internal::CaptureStdout();
    for (int done = 1; done <= 20; ++done)
        log.Update(done, done * 0.5);
    const std::string logged = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(unused.str().empty());
    EXPECT_EQ(std::count(logged.begin(), logged.end(), '\n'), 10) << logged;
    EXPECT_NE(logged.find("Capture: frame 2/20, 2.00 frames/s, 0:09 left\n"), std::string::npos) << logged;
    EXPECT_NE(logged.find("Capture: frame 20/20"), std::string::npos);
}
