#include "engine/k_FileSystem.h"

#include "engine/k_File.h"
#include "engine/k_Log.h"
#include "engine/k_Utf8.h"
#include "engine/k_ZipArchive.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <new>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace
{
constexpr std::uint64_t k_MaxFileSize = k_FileSystem::k_MaxFileBytes;
// Deflate cannot expand data by more than about 1032:1; a record that claims
// more describes damaged bytes, not a file worth allocating for.
constexpr std::uint64_t k_MaxDeflateRatio = 1032;

fs::path ToPath(const std::wstring& name)
{
    return fs::path(k_Utf8::ToUtf8(name));
}

fs::path ExecutableFolder()
{
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : exe.parent_path();
}

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The existing path below root whose components match the relative name
// without regard to case (an exact match wins), or an empty path.
fs::path FindIgnoringCase(const fs::path& root, const fs::path& relative)
{
    std::error_code error;
    if (fs::exists(root / relative, error))
        return root / relative;
    fs::path current = root;
    for (const fs::path& part : relative)
    {
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
        {
            current /= part;
            continue;
        }
        fs::path found;
        if (fs::exists(current / part, error))
            found = current / part;
        else
            for (const auto& item : fs::directory_iterator(current.empty() ? fs::path(".") : current, error))
                if (SameIgnoringCase(item.path().filename().string(), part.string()))
                {
                    found = item.path();
                    break;
                }
        if (found.empty())
            return {};
        current = found;
    }
    return current;
}
} // namespace

// --- construction ---

k_FileSystem::k_FileSystem(IEngine* engine) : k_FileSystem(engine, ExecutableFolder()) {}

k_FileSystem::k_FileSystem(IEngine* engine, std::filesystem::path baseFolder)
    : m_engine(engine), m_baseFolder(std::move(baseFolder))
{
}

k_FileSystem::~k_FileSystem() = default;

// --- modes ---

void k_FileSystem::UseDirectory(const std::wstring& folder)
{
    // An archive that is already open stays open until the file system dies.
    m_packMode = false;
    m_directoryRoot = m_baseFolder / ToPath(folder);
}

void k_FileSystem::OpenDataPack(const std::wstring& archiveName)
{
    k_Log() << "Initializing file system with data file: " << archiveName;
    m_packMode = true;
    m_archive.reset();
    auto archive = std::make_unique<k_ZipArchive>(m_baseFolder / ToPath(archiveName));
    if (!archive->IsOpen())
    {
        k_Log(k_Log::Colour::Error) << "FAILED!";
        return;
    }
    m_archive = std::move(archive);
}

IFile* k_FileSystem::OpenFile(const std::wstring& name)
{
    if (!m_overlayFolder.empty())
        if (IFile* file = OpenFromFolder(m_overlayFolder, name))
            return file;
    if (!m_paintedFolder.empty())
        if (IFile* file = OpenFromFolder(m_paintedFolder, name))
            return file;
    return m_packMode ? OpenFromPack(name) : OpenFromDirectory(name);
}

std::vector<std::string> k_FileSystem::ListFolder(const std::string& folder)
{
    std::set<std::string> names;
    const std::string prefix = folder + "/";
    auto fromFolder = [&](const fs::path& root) {
        if (root.empty())
            return;
        const fs::path path = FindIgnoringCase(root, ToPath(k_Utf8::FromUtf8(folder)));
        std::error_code error;
        if (path.empty() || !fs::is_directory(path, error))
            return;
        for (const fs::directory_entry& entry : fs::directory_iterator(path, error))
            if (entry.is_regular_file(error))
                names.insert(prefix + entry.path().filename().string());
    };
    fromFolder(m_overlayFolder);
    fromFolder(m_paintedFolder);
    if (!m_packMode)
        fromFolder(m_directoryRoot);
    else if (m_archive)
        for (const std::string& name : m_archive->ListNames())
            if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
                name.find('/', prefix.size()) == std::string::npos)
                names.insert(name);
    return {names.begin(), names.end()};
}

// --- pack mode ---

IFile* k_FileSystem::OpenFromPack(const std::wstring& name)
{
    if (!m_archive)
        return nullptr;
    const k_ZipArchive::Lookup lookup = m_archive->Locate(k_Utf8::ToUtf8(name));
    if (lookup == k_ZipArchive::Lookup::NotFound)
        return nullptr;

    const char* failure = nullptr;
    k_ZipArchive::EntryInfo info;
    if (lookup == k_ZipArchive::Lookup::Damaged)
        failure = "the pack's directory is damaged";
    else if (!m_archive->GetEntryInfo(info))
        failure = "its directory record is damaged";
    else if (info.encrypted)
        failure = "it is encrypted";
    else if (info.uncompressedSize > k_MaxFileSize)
        failure = "its declared size exceeds the 64 MiB a file may have";
    else if ((info.method == 0 && info.uncompressedSize != info.compressedSize) ||
             (info.method != 0 && info.uncompressedSize > info.compressedSize * k_MaxDeflateRatio + 1024))
        failure = "its declared size does not fit its compressed size";

    std::unique_ptr<unsigned char[]> data;
    if (!failure)
    {
        // One byte more than needed, so that an empty file still has an address.
        data.reset(new (std::nothrow) unsigned char[info.uncompressedSize + 1]);
        if (!data)
            failure = "its declared size cannot be allocated";
    }
    if (!failure)
        failure = m_archive->Extract(data.get(), info.uncompressedSize);
    if (failure)
    {
        k_Log(k_Log::Colour::Error) << "FILESYSTEM :: Cannot read " << name << " from the data pack: " << failure;
        return nullptr;
    }
    return new k_File(m_engine, std::move(data), static_cast<std::int32_t>(info.uncompressedSize));
}

// --- directory mode ---

IFile* k_FileSystem::OpenFromDirectory(const std::wstring& name)
{
    return OpenFromFolder(m_directoryRoot, name);
}

IFile* k_FileSystem::OpenFromFolder(const fs::path& root, const std::wstring& name)
{
    const fs::path path = FindIgnoringCase(root, ToPath(name));
    if (path.empty())
        return nullptr;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        return nullptr;

    const char* failure = nullptr;
    struct stat status
    {
    };
    std::unique_ptr<unsigned char[]> data;
    std::uint64_t size = 0;
    if (fstat(fileno(in), &status) != 0 || !S_ISREG(status.st_mode))
        failure = "it is not a regular file";
    else if ((size = static_cast<std::uint64_t>(status.st_size)) > k_MaxFileSize)
        failure = "it is larger than the 64 MiB a file may have";
    else
    {
        data.reset(new (std::nothrow) unsigned char[size + 1]);
        if (!data)
            failure = "its size cannot be allocated";
        else if (std::fread(data.get(), 1, size, in) != size)
            failure = "it could not be read whole";
    }
    std::fclose(in);
    if (failure)
    {
        k_Log(k_Log::Colour::Error) << "FILESYSTEM :: Cannot read " << name << ": " << failure;
        return nullptr;
    }
    return new k_File(m_engine, std::move(data), static_cast<std::int32_t>(size));
}
