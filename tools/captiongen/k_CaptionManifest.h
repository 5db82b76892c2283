#pragma once
// The caption manifest: which caption pictures the show's pack holds and
// their words. One caption per line:
//
//   whattime1.png: what time | is it?
//
// a pack name ending in ".png" (folders with "/"), a colon, then one or two
// lines of text separated by "|" (Pango markup allowed). Blank lines and lines
// starting with "#" are ignored.
#include <string>
#include <vector>

struct k_Caption
{
    std::string name;               // pack name, e.g. "Thanks/orm.png"
    std::vector<std::string> lines; // one or two, trimmed, never empty
    int lineNumber = 0;             // where it stands in the manifest
};

class k_CaptionManifest
{
public:
    // The captions in manifest order. Throws std::runtime_error "source:line: what is wrong" at the first
    // malformed line, a duplicate name, or a manifest without captions.
    static std::vector<k_Caption> Parse(const std::string& text, const std::string& source);
};
