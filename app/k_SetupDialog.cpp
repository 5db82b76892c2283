#include "app/k_SetupDialog.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

namespace
{
constexpr int k_LargestSide = 16384;

// One "%d" conversion as the C scanner does it: leading white space, an optional sign, digits.
bool ScanInt(const std::string& text, size_t& at, int& value)
{
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    const size_t first = at;
    long long number = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))
    {
        number = number * 10 + (text[at++] - '0');
        if (number > 1000000000LL)
            return false; // far beyond any screen; refuse rather than overflow
    }
    if (at == first)
        return false;
    value = static_cast<int>(negative ? -number : number);
    return true;
}

// "%d<separator>%d"; whatever follows the second number is ignored, as the C scanner does.
bool ScanPair(const std::string& text, char separator, int& first, int& second)
{
    size_t at = 0;
    int a = 0, b = 0;
    if (!ScanInt(text, at, a) || at >= text.size() || text[at] != separator)
        return false;
    ++at;
    if (!ScanInt(text, at, b))
        return false;
    first = a;
    second = b;
    return true;
}
} // namespace

k_SetupDialog::k_SetupDialog(SetupSettings& settings) : m_settings(settings) {}

// --- opening ---

void k_SetupDialog::Initialize(const std::vector<std::pair<int, int>>& modes, int desktopWidth, int desktopHeight)
{
    std::map<int, std::set<int>> sizes;
    for (const auto& [width, height] : modes)
        sizes[width].insert(height);

    m_resolutions.clear();
    m_resolutionSelection = -1;
    for (const auto& [width, heights] : sizes)
        for (int height : heights)
        {
            char text[32];
            std::snprintf(text, sizeof text, "%dx%d", width, height);
            m_resolutions.emplace_back(text);
            if (width == desktopWidth && height == desktopHeight)
                m_resolutionSelection = static_cast<int>(m_resolutions.size()) - 1;
        }

    m_aspectRatios = {"4:3", "5:4", "16:9", "16:10"};
    const float values[] = {4.0f / 3.0f, 5.0f / 4.0f, 16.0f / 9.0f, 16.0f / 10.0f};
    m_aspectRatioSelection = -1;
    if (desktopHeight != 0)
    {
        const double desktop = static_cast<double>(static_cast<float>(desktopWidth)) /
                               static_cast<double>(static_cast<float>(desktopHeight));
        for (int i = 0; i < 4; ++i)
            if (static_cast<float>(std::fabs(desktop - static_cast<double>(values[i]))) < 0.01f)
                m_aspectRatioSelection = i;
    }
    m_settings.fullscreen = true;
}

// --- commands ---

bool k_SetupDialog::HandleCommand(uint32_t command, const std::string& resolutionText,
                                  const std::string& aspectRatioText)
{
    switch (command)
    {
    case Confirm: {
        int width = 0, height = 0;
        float ratio = 0.0f;
        m_refusal.clear();
        if (!ParseResolution(resolutionText, width, height))
            m_refusal = "\"" + resolutionText +
                        "\" is not a resolution. Choose one from the list or type one "
                        "such as 1280x720.";
        else if (!ParseAspectRatio(aspectRatioText, ratio))
            m_refusal = "\"" + aspectRatioText +
                        "\" is not an aspect ratio. Choose one from the list or type "
                        "one such as 16:9.";
        if (!m_refusal.empty())
            return true; // the dialog stays open
        m_settings.start = true;
        m_settings.width = width;
        m_settings.height = height;
        m_settings.aspectRatio = ratio;
        m_ended = true;
        return true;
    }
    case Cancel:
        m_ended = true;
        return true;
    case Fullscreen:
        m_settings.fullscreen = !m_settings.fullscreen;
        return true;
    default:
        return false;
    }
}

// --- parsing ---

bool k_SetupDialog::ParseResolution(const std::string& text, int& width, int& height)
{
    int w = 0, h = 0;
    if (!ScanPair(text, 'x', w, h) || w < 1 || h < 1 || w > k_LargestSide || h > k_LargestSide)
        return false;
    width = w;
    height = h;
    return true;
}

bool k_SetupDialog::ParseAspectRatio(const std::string& text, float& ratio)
{
    int a = 0, b = 0;
    if (!ScanPair(text, ':', a, b) || a < 1 || b < 1)
        return false;
    ratio = static_cast<float>(static_cast<double>(static_cast<float>(a)) / static_cast<double>(static_cast<float>(b)));
    return true;
}
