#include "app/studio/k_StudioErrorBoard.h"

#include <algorithm>
#include <cctype>

namespace
{
std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Whether the message is about the file: it starts with its name (or a path ending in it) and a colon.
bool Names(const std::string& message, const std::string& file)
{
    const std::string lower = Lower(message.substr(0, message.find(':')));
    const std::string name = Lower(file);
    return lower == name ||
           (lower.size() > name.size() && lower.compare(lower.size() - name.size(), name.size(), name) == 0 &&
            (lower[lower.size() - name.size() - 1] == '/' || lower[lower.size() - name.size() - 1] == '\\'));
}
} // namespace

void k_StudioErrorBoard::Reloaded(const std::vector<std::string>& files, const std::vector<std::string>& messages)
{
    if (files.empty())
        return;
    std::map<std::string, std::vector<std::string>> failed;
    for (const std::string& message : messages)
    {
        const auto named =
            std::find_if(files.begin(), files.end(), [&](const std::string& file) { return Names(message, file); });
        std::vector<std::string>& kept = failed[Lower(named == files.end() ? files.front() : *named)];
        if (kept.size() < MaxMessages)
            kept.push_back(message);
    }
    for (const std::string& file : files)
    {
        const auto messagesOfFile = failed.find(Lower(file));
        if (messagesOfFile == failed.end())
            m_files.erase(Lower(file));
        else
            m_files[messagesOfFile->first] = messagesOfFile->second;
    }
}

std::vector<std::string> k_StudioErrorBoard::Lines() const
{
    std::vector<std::string> lines;
    for (const auto& [file, messages] : m_files)
        for (const std::string& message : messages)
        {
            size_t from = 0;
            for (size_t line = 0; line < MaxLines && from <= message.size(); ++line)
            {
                const size_t end = message.find('\n', from);
                const std::string text =
                    message.substr(from, end == std::string::npos ? std::string::npos : end - from);
                if (!text.empty())
                    lines.push_back(line == 0 ? text : "    " + text);
                if (end == std::string::npos)
                    break;
                from = end + 1;
            }
        }
    return lines;
}
