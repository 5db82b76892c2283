#include "app/studio/k_StudioOptions.h"

#include "app/k_NumberText.h"

#include <cmath>
#include <filesystem>
#include <optional>
#include <string_view>

namespace
{
std::optional<double> ParseTime(std::string_view text)
{
    std::optional<double> value = k_NumberText::Number(text);
    if (value && *value < 0.0)
        return std::nullopt;
    return value;
}
} // namespace

std::string k_StudioOptions::Parse(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments)
        if (argument == "--help" || argument == "-h")
        {
            help = true;
            return {};
        }
    for (size_t i = 0; i < arguments.size(); ++i)
    {
        const std::string& option = arguments[i];
        auto value = [&](size_t offset = 1) -> const std::string* {
            return i + offset < arguments.size() ? &arguments[i + offset] : nullptr;
        };
        if (option == "--size")
        {
            const std::string* text = value();
            if (!text)
                return "--size needs a value such as 1280x720";
            const size_t split = text->find('x');
            const std::optional<int> w =
                split == std::string::npos ? std::nullopt : k_NumberText::Integer(text->substr(0, split));
            const std::optional<int> h =
                split == std::string::npos ? std::nullopt : k_NumberText::Integer(text->substr(split + 1));
            if (!w || !h || *w < 1 || *h < 1 || *w > MaxSize || *h > MaxSize)
                return "--size " + *text + ": give the width and height in pixels, such as 1280x720 (1 to " +
                       std::to_string(MaxSize) + " each)";
            width = *w;
            height = *h;
            ++i;
        }
        else if (option == "--at" || option == "--quit-at")
        {
            const std::string* text = value();
            const std::optional<double> time = text ? ParseTime(*text) : std::nullopt;
            if (!time)
                return option + " needs a demo time in seconds, 0 or more (such as 150 or 12.5)";
            (option == "--at" ? at : quitAt) = *time;
            ++i;
        }
        else if (option == "--loop")
        {
            const std::string* a = value(1);
            const std::string* b = value(2);
            if (!a || !b || !ParseTime(*a) || !ParseTime(*b))
                return "--loop needs two demo times in seconds, A and B";
            const double from = ParseTime(*a).value_or(0.0);
            const double to = ParseTime(*b).value_or(0.0);
            if (to <= from)
                return "--loop " + *a + " " + *b + ": B must come after A";
            loop = true;
            loopFrom = from;
            loopTo = to;
            i += 2;
        }
        else if (option == "--assets" || option == "--shots")
        {
            const std::string* text = value();
            if (!text || text->empty())
                return option + " needs a folder";
            std::error_code error;
            if (!std::filesystem::is_directory(*text, error))
                return option + " " + *text + ": no such folder";
            (option == "--assets" ? assets : shots) = *text;
            ++i;
        }
        else if (option == "--no-assets")
        {
            noAssets = true;
        }
        else if (option == "--no-overlay")
        {
            overlay = false;
        }
        else if (option == "--overlay-cost")
        {
            overlayCost = true;
        }
        else if (option == "--sync")
        {
            // The address is optional: a value that starts another option is not one.
            const std::string* text = value();
            sync = true;
            if (!text || text->rfind("--", 0) == 0)
                continue;
            const size_t colon = text->rfind(':');
            std::string host = colon == std::string::npos ? std::string() : text->substr(0, colon);
            if (host.size() > 2 && host.front() == '[' && host.back() == ']')
                host = host.substr(1, host.size() - 2); // [::1]:1338
            const std::optional<int> port =
                k_NumberText::Integer(colon == std::string::npos ? *text : text->substr(colon + 1));
            if (!port || *port < 1 || *port > 65535 || (colon != std::string::npos && host.empty()))
                return "--sync " + *text +
                       ": give the sync editor's port, or its host and port (such as 1338 or "
                       "192.168.1.5:1338)";
            if (!host.empty())
                syncHost = host;
            syncPort = *port;
            ++i;
        }
        else
        {
            return "unknown option: " + option;
        }
    }
    if (noAssets && !assets.empty())
        return "--assets and --no-assets exclude each other";
    if (overlayCost && !overlay)
        return "--overlay-cost and --no-overlay exclude each other";
    return {};
}

std::string k_StudioOptions::Usage(const std::string& invocation)
{
    return "Usage: " + invocation +
           " [options]\n"
           "Plays the show in a window for making and checking it: pause, step, jump, loop, and live reload of\n"
           "material scripts, shaders, pictures, the show file, the captions and the sync tracks from an assets\n"
           "folder.\n"
           "\n"
           "Options:\n"
           "  --size WXH      window size in pixels (default 1280x720)\n"
           "  --at T          start at demo time T seconds (default 0)\n"
           "  --loop A B      loop demo time from A to B seconds\n"
           "  --assets DIR    serve the pack's files from DIR first and reload them when saved (default: the\n"
           "                  demo's own assets folder when run from its build folder)\n"
           "  --no-assets     the pack only; nothing is watched\n"
           "  --shots DIR     folder for the F12 pictures (default: the working folder)\n"
           "  --quit-at T     quit once demo time reaches T (scripted runs, measurements)\n"
           "  --sync [HOST:]PORT\n"
           "                  shape the show's sync tracks from a sync editor (default 127.0.0.1:1338); its\n"
           "                  saves go into the assets folder\n"
           "  --no-overlay    the picture alone: no timeline strip, panels or mouse\n"
           "  --overlay-cost  time each frame of the overlay with the GPU's work (slower); the median is logged\n"
           "  --help          this text\n"
           "\n"
           "Keys:\n"
           "  Space           pause / resume picture and music\n"
           "  Left / Right    1 s back / forward (with Shift: 10 s)\n"
           "  Page Up / Down  previous / next instant of the show's timeline\n"
           "  Home            back to 0\n"
           "  [ / ]           half / double speed (the music is silent unless the speed is 1)\n"
           "  L               loop the current section (again: stop looping)\n"
           "  , / .           a beat back / forward (with Shift: a bar)\n"
           "  F12             save the frame as frame_TTT.TTT.png (its demo time; never with the overlay)\n"
           "  Tab             show / hide the timeline strip\n"
           "  F1              the keys and mouse actions\n"
           "  F2              cycle the render-target view (with Shift: backwards)\n"
           "  Escape          quit\n"
           "\n"
           "Mouse on the timeline strip:\n"
           "  click / drag    jump to / scrub through the time under the pointer\n"
           "  wheel           zoom about the pointer\n"
           "  hover           what an entry is: its times in seconds and bar:beat, its fades\n";
}
