#include "tools/captiongen/k_CaptionManifest.h"

#include <map>
#include <sstream>
#include <stdexcept>

namespace
{
std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Why a pack name is unusable, or empty when it is fine: relative, "/"-separated, no empty or dot segments,
// plain characters only, ending in ".png".
std::string NameProblem(const std::string& name)
{
    if (name.empty())
        return "missing caption name before ':'";
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
              c == '.' || c == '/'))
            return "caption name '" + name + "' may hold only letters, digits, '-', '_', '.' and '/'";
    if (name.size() <= 4 || name.compare(name.size() - 4, 4, ".png") != 0)
        return "caption name '" + name + "' must end in .png";
    std::stringstream segments(name);
    std::string segment;
    size_t count = 0;
    while (std::getline(segments, segment, '/'))
    {
        ++count;
        if (segment.empty() || segment == "." || segment == "..")
            return "caption name '" + name + "' must be a relative path without empty, '.' or '..' parts";
    }
    if (name.back() == '/' || count == 0)
        return "caption name '" + name + "' must be a relative path without empty, '.' or '..' parts";
    return {};
}
} // namespace

std::vector<k_Caption> k_CaptionManifest::Parse(const std::string& text, const std::string& source)
{
    std::vector<k_Caption> captions;
    std::map<std::string, int> seen;
    std::stringstream input(text);
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& what) {
        throw std::runtime_error(source + ":" + std::to_string(number) + ": " + what);
    };
    while (std::getline(input, line))
    {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#')
            continue;
        const size_t colon = trimmed.find(':');
        if (colon == std::string::npos)
            fail("expected 'name.png: words', found no ':'");
        k_Caption caption;
        caption.name = Trim(trimmed.substr(0, colon));
        caption.lineNumber = number;
        if (std::string problem = NameProblem(caption.name); !problem.empty())
            fail(problem);
        if (auto earlier = seen.find(caption.name); earlier != seen.end())
            fail("caption '" + caption.name + "' is already given on line " + std::to_string(earlier->second));
        std::stringstream words(trimmed.substr(colon + 1));
        std::string part;
        while (std::getline(words, part, '|'))
        {
            part = Trim(part);
            if (part.empty())
                fail("caption '" + caption.name + "' has an empty line of text");
            caption.lines.push_back(part);
        }
        if (caption.lines.empty())
            fail("caption '" + caption.name + "' has no words");
        if (!trimmed.empty() && trimmed.back() == '|')
            fail("caption '" + caption.name + "' has an empty line of text");
        if (caption.lines.size() > 2)
            fail("caption '" + caption.name + "' has " + std::to_string(caption.lines.size()) +
                 " lines of text; at most 2 fit");
        seen[caption.name] = number;
        captions.push_back(std::move(caption));
    }
    if (captions.empty())
        throw std::runtime_error(source + ": no captions");
    return captions;
}
