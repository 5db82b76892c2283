#pragma once
// The setup dialog's logic, apart from any toolkit: the resolution list built
// from the display modes, the desktop's preselections, the full-screen toggle
// and the parsing of the two texts when the viewer confirms. A view (GTK in
// platform/) shows the lists and forwards the viewer's commands here.
#include "app/SetupSettings.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class k_SetupDialog
{
public:
    // Commands the view forwards: the two buttons and the check box.
    enum Command : uint32_t
    {
        Confirm = 1, // "Have the guts"
        Cancel = 2,  // "Chicken out" or the close box
        Fullscreen = 1002,
    };

    static constexpr const char* Title = "Orvelant - starwane";

    explicit k_SetupDialog(SetupSettings& settings);

    // Builds the lists from the display modes (width, height; repeats collapse) and preselects the desktop's.
    void Initialize(const std::vector<std::pair<int, int>>& modes, int desktopWidth, int desktopHeight);
    // Resolution texts ("%dx%d"), widths and heights ascending.
    const std::vector<std::string>& GetResolutions() const { return m_resolutions; }
    // Index of the preselected resolution, or -1.
    int GetResolutionSelection() const { return m_resolutionSelection; }
    // "4:3", "5:4", "16:9", "16:10".
    const std::vector<std::string>& GetAspectRatios() const { return m_aspectRatios; }
    // Index of the preselected aspect ratio, or -1 when the desktop matches none.
    int GetAspectRatioSelection() const { return m_aspectRatioSelection; }
    // Whether the "Fullscreen" box starts checked.
    bool IsFullscreenChecked() const { return m_settings.fullscreen; }

    // Handles a command with the current texts; returns false for an unknown command.
    bool HandleCommand(uint32_t command, const std::string& resolutionText, const std::string& aspectRatioText);
    // True once the dialog should close (confirmed with valid texts, or cancelled).
    bool IsEnded() const { return m_ended; }
    // Why the last confirm was refused (empty when it was not).
    const std::string& GetRefusal() const { return m_refusal; }

    // Parses "%dx%d" into a width and height of 1 to 16384; false when it does not parse.
    static bool ParseResolution(const std::string& text, int& width, int& height);
    // Parses "%d:%d" into first over second (computed in double, stored as float); false when it does not parse.
    static bool ParseAspectRatio(const std::string& text, float& ratio);

private:
    SetupSettings& m_settings;
    std::vector<std::string> m_resolutions;
    std::vector<std::string> m_aspectRatios;
    int m_resolutionSelection = -1;
    int m_aspectRatioSelection = -1;
    bool m_ended = false;
    std::string m_refusal;
};
