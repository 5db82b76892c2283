#pragma once
// The reload errors the studio shows over the picture: for each file whose
// last reload failed, its messages ("file:line:column: ..."), cut to their
// first lines, until a reload of that file succeeds. Plain text, no GL.
#include <map>
#include <string>
#include <vector>

class k_StudioErrorBoard
{
public:
    // Lines kept of each message, and messages kept of each file.
    static constexpr size_t MaxLines = 4;
    static constexpr size_t MaxMessages = 6;

    // A reload of the files (names as saved) ended with these messages (none: it succeeded). A message goes
    // to the file its text starts with ("Terrain/Water.frag:3:1: ..."), or to the first file reloaded when it
    // names none of them; the files reloaded without a message of their own are cleared.
    void Reloaded(const std::vector<std::string>& files, const std::vector<std::string>& messages);

    bool IsEmpty() const { return m_files.empty(); }
    // The board's text: per file, its messages' first lines, one line each.
    std::vector<std::string> Lines() const;

private:
    // By file name as saved, in lower case (the pack matches names without regard to case).
    std::map<std::string, std::vector<std::string>> m_files;
};
