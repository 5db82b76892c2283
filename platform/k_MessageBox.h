#pragma once
// A modal message box with one OK button. The text also goes to standard
// error, so that it is seen when there is no display to show the box on.
#include "interfaces/PlatformHandles.h"

class k_MessageBox
{
public:
    // Writes the text to standard error, then shows the box (kept above the window, if any) until it is
    // dismissed or a signal arrives.
    static void Show(k_WindowHandle owner, const wchar_t* text, const wchar_t* caption);
};
