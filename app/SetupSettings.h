#pragma once
// The viewer's choices from the setup dialog, read once by the entry point.

struct SetupSettings
{
    bool start = false;       // true only when the viewer confirmed the dialog
    int width = -1;           // screen width in pixels
    int height = -1;          // screen height in pixels
    float aspectRatio = 0.0f; // monitor shape as a quotient (4:3 gives 1.3333334)
    bool fullscreen = true;   // full screen (true) or windowed
};
