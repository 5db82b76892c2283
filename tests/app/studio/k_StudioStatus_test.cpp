#include "app/studio/k_StudioStatus.h"

#include <gtest/gtest.h>

TEST(k_StudioStatusTest, TheLineSaysTimeSectionRateAndWhatIsUnusual)
{
    k_StudioStatus::State state;
    state.time = 12.3456;
    state.section = "opening";
    state.framesPerSecond = 29.84;
    EXPECT_EQ(k_StudioStatus::Line(state), "12.346 s | opening | 29.8 fps");
    state.paused = true;
    state.speed = 0.5;
    state.looping = true;
    state.loopFrom = 27.0;
    state.loopTo = 76.6;
    state.reload = "reloaded 10:41:02: Plasma.mat";
    EXPECT_EQ(k_StudioStatus::Title("starwane", state),
              "starwane studio - 12.346 s | opening | 29.8 fps | paused | speed 0.5 | "
              "loop 27.000-76.600 | reloaded 10:41:02: Plasma.mat");
}
