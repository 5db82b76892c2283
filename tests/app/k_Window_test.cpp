#include "app/k_Window.h"

#include <gtest/gtest.h>

// Centred first, then clamped to the left edge, then to the right edge (which wins when the window is wider).
TEST(k_Window, CentredPositionClampsLeftThenRight)
{
    EXPECT_EQ(k_Window::CentredPosition(800, 1920), 560);
    EXPECT_EQ(k_Window::CentredPosition(801, 1920), 559); // rounds toward zero
    EXPECT_EQ(k_Window::CentredPosition(1920, 1920), 0);
    EXPECT_EQ(k_Window::CentredPosition(2000, 1920), -80); // wider than the screen: x = W - w
    EXPECT_EQ(k_Window::CentredPosition(1921, 1920), -1);
}
