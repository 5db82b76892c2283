#pragma once
// A line-oriented reader of sectioned text files of the data pack:
//
//     kind parameters... {        or        kind parameters... {{
//         body line                             body line
//     }                                     }}
//
// Lines are cut into tokens at ", \t\r" outside a section and at ", \t()\r"
// inside one; lines without tokens are skipped. A section opened with "{{"
// ends at a line whose first token is "}}", any other at a line whose first
// token is "}". Derived classes see each header, body line and end line.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class IEngine;
class IFile;

class k_CFileLoader
{
public:
    explicit k_CFileLoader(IEngine* engine);
    virtual ~k_CFileLoader();
    k_CFileLoader(const k_CFileLoader&) = delete;
    k_CFileLoader& operator=(const k_CFileLoader&) = delete;

    // A section header: its kind and all its tokens (the kind first); false stops the reading.
    virtual bool BeginSection(const std::string& name, const std::vector<std::string>& tokens);
    // A body line: its tokens and the line as read (without its LF); false stops the reading.
    virtual bool ParseLine(const std::vector<std::string>& tokens, const std::string& line);
    // A body line without tokens (blank, or delimiters only), as read; skipped unless a loader keeps it (a
    // shader's text keeps every line, so that its line numbers are the file's).
    virtual bool ParseTokenlessLine(const std::string& line);
    // The end line of the section of that kind; false stops the reading.
    virtual bool EndSection(const std::string& name);

    // Reads the file through the engine's file system; false when it cannot be opened, is larger than
    // k_MaxFileBytes (logged in red) or a handler said stop.
    bool Load(const std::wstring& fileName);
    // Scripts are written by hand; a file of many megabytes is damage or mischief, refused before it is read.
    static constexpr int k_MaxFileBytes = 1 << 20;

    // The tokens of a line under the given delimiters.
    static void Tokenize(std::string_view line, std::string_view delimiters, std::vector<std::string>& tokens);
    static constexpr std::string_view k_HeaderDelimiters = ", \t\r";
    static constexpr std::string_view k_BodyDelimiters = ", \t()\r";

protected:
    IEngine* m_engine;
    std::string m_sectionName;
    std::unique_ptr<IFile> m_file;
    std::string m_sectionEnd = "}";
    // Lines read so far: the number of the line being handled.
    int m_lineNumber = 0;
};
