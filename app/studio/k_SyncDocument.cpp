#include "app/studio/k_SyncDocument.h"

#include "interfaces/ISyncTracks.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace
{
// Text for an attribute's value: the five characters XML gives a meaning escaped, and control characters
// (which an attribute cannot hold literally) as references.
std::string Escaped(const std::string& text)
{
    std::string out;
    for (const char c : text)
    {
        switch (c)
        {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                out += "&#" + std::to_string(static_cast<int>(c)) + ";";
            else
                out += c;
        }
    }
    return out;
}

// The shortest text that reads back as the same float, with a point whatever the locale.
std::string FloatText(float value)
{
    char text[32];
    const std::to_chars_result result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}
} // namespace

std::string k_SyncDocument::Make(const ISyncTracks& tracks, int rows, const std::vector<int>& bookmarks)
{
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sync rows=\"" + std::to_string(rows) + "\">\n\t<tracks>";
    for (int track = 0; track < tracks.GetTrackCount(); ++track)
    {
        xml += "\n\t\t<track name=\"" + Escaped(tracks.GetTrackName(track)) + "\">";
        const std::vector<ISyncTracks::Key>& keys = tracks.GetKeys(track);
        for (const ISyncTracks::Key& key : keys)
            xml += "\n\t\t\t<key row=\"" + std::to_string(key.row) + "\" value=\"" + FloatText(key.value) +
                   "\" interpolation=\"" + std::to_string(key.interpolation) + "\"/>";
        xml += keys.empty() ? "</track>" : "\n\t\t</track>";
    }
    xml += tracks.GetTrackCount() > 0 ? "\n\t</tracks>\n\t<bookmarks>" : "</tracks>\n\t<bookmarks>";
    for (const int row : bookmarks)
        xml += "\n\t\t<bookmark row=\"" + std::to_string(row) + "\"/>";
    xml += bookmarks.empty() ? "</bookmarks>\n</sync>\n" : "\n\t</bookmarks>\n</sync>\n";
    return xml;
}

int k_SyncDocument::RowsFor(const ISyncTracks& tracks, double length)
{
    const double last = std::ceil(tracks.GetRow(std::max(0.0, length)) - 1e-6);
    return static_cast<int>(std::max(0.0, last)) + 1;
}

std::string k_SyncDocument::WriteIfChanged(const std::string& path, const std::string& text, bool& written)
{
    namespace fs = std::filesystem;
    written = false;
    {
        std::ifstream in(path, std::ios::binary);
        if (in && std::string(std::istreambuf_iterator<char>(in), {}) == text)
            return {};
    }
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    const std::string part = path + "~";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (!out.flush())
            error = std::make_error_code(std::errc::io_error);
    }
    if (!error)
        fs::rename(part, path, error);
    if (error)
    {
        std::error_code ignored;
        fs::remove(part, ignored);
        return "cannot write " + path + ": " + error.message();
    }
    written = true;
    return {};
}
