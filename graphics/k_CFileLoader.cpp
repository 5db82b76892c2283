#include "graphics/k_CFileLoader.h"

#include "engine/k_Log.h"
#include "interfaces/IEngine.h"
#include "interfaces/IFile.h"
#include "interfaces/IFileSystem.h"

k_CFileLoader::k_CFileLoader(IEngine* engine) : m_engine(engine) {}

k_CFileLoader::~k_CFileLoader() = default;

bool k_CFileLoader::BeginSection(const std::string&, const std::vector<std::string>&)
{
    return true;
}

bool k_CFileLoader::ParseLine(const std::vector<std::string>&, const std::string&)
{
    return true;
}

bool k_CFileLoader::ParseTokenlessLine(const std::string&)
{
    return true;
}

bool k_CFileLoader::EndSection(const std::string&)
{
    return true;
}

void k_CFileLoader::Tokenize(std::string_view line, std::string_view delimiters, std::vector<std::string>& tokens)
{
    tokens.clear();
    size_t start = line.find_first_not_of(delimiters);
    while (start != std::string_view::npos)
    {
        const size_t end = line.find_first_of(delimiters, start);
        tokens.emplace_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            break;
        start = line.find_first_not_of(delimiters, end);
    }
}

bool k_CFileLoader::Load(const std::wstring& fileName)
{
    m_file.reset(m_engine->GetFileSystem()->OpenFile(fileName));
    if (!m_file)
        return false;
    if (m_file->GetSize() > k_MaxFileBytes)
    {
        k_Log(k_Log::Colour::Error) << "Cannot read " << fileName << ": " << m_file->GetSize()
                                    << " bytes is more than a script may have (" << k_MaxFileBytes << ")";
        m_file.reset();
        return false;
    }
    const std::string_view text(reinterpret_cast<const char*>(m_file->GetData()),
                                m_file->GetSize() > 0 ? static_cast<size_t>(m_file->GetSize()) : 0);
    std::vector<std::string> tokens;
    std::string line;
    bool inSection = false;
    size_t cursor = 0;
    bool ok = true;
    while (ok && cursor < text.size())
    {
        const size_t end = text.find('\n', cursor);
        line.assign(text.substr(cursor, end == std::string_view::npos ? std::string_view::npos : end - cursor));
        cursor = end == std::string_view::npos ? text.size() : end + 1;
        ++m_lineNumber;
        if (!inSection)
        {
            Tokenize(line, k_HeaderDelimiters, tokens);
            if (tokens.empty())
                continue;
            m_sectionName = tokens.front();
            ok = BeginSection(m_sectionName, tokens);
            m_sectionEnd = tokens.back() == "{{" ? "}}" : "}";
            inSection = true;
        }
        else
        {
            Tokenize(line, k_BodyDelimiters, tokens);
            if (tokens.empty())
                ok = ParseTokenlessLine(line);
            else if (tokens.front() == m_sectionEnd)
            {
                ok = EndSection(m_sectionName);
                m_sectionName.clear();
                inSection = false;
            }
            else
            {
                ok = ParseLine(tokens, line);
            }
        }
    }
    m_file.reset();
    return ok;
}
