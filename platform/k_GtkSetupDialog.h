#pragma once
// The setup dialog's view in GTK 3: a modal dialog with the resolution and
// aspect-ratio lists (each an edit field over an always-shown list), the
// "Fullscreen" check box and the two buttons. It holds no logic of its own:
// every command goes to the handler, which says whether the dialog ends and,
// when a confirm is refused, why (shown to the viewer; the dialog stays open).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class k_GtkSetupDialog
{
public:
    struct Content
    {
        std::string title;
        std::vector<std::string> resolutions;
        int resolutionSelection = -1;
        std::vector<std::string> aspectRatios;
        int aspectRatioSelection = -1;
        bool fullscreen = true;
    };

    struct Verdict
    {
        bool ended = false;  // close the dialog
        std::string refusal; // shown to the viewer when not empty
    };

    // Command ids: 1 confirm, 2 cancel (also the close box), 1002 the check box; the two current texts.
    using Handler = std::function<Verdict(uint32_t command, const std::string& resolution, const std::string& aspect)>;

    // Connects to the display; returns false when there is none.
    static bool Open();
    // Shows the dialog and returns when the handler ends it, or at once when a signal arrives (k_Signals).
    static void Run(const Content& content, const Handler& handler);
};
