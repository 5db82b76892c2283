// The test programs' entry. Whoever starts them (ctest in build/, tools/test.sh, a developer by hand), the
// tests run in the environment they were written for: windows and GL contexts on the X display (SDL must
// never pick its offscreen driver, which would make "no display" cases succeed), no sound device, and Mesa's
// software renderer, whose pictures the pixel checks expect. A test that needs another setting sets it
// itself.
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
