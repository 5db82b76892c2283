#include "engine/k_ZipArchive.h"

#include <algorithm>
#include <climits>
#include <minizip/unzip.h>

namespace
{
// minizip: 1 compares case-sensitively, 2 without regard to case on every platform.
constexpr int k_CaseInsensitive = 2;
} // namespace

k_ZipArchive::k_ZipArchive(const std::filesystem::path& path)
{
    m_handle = unzOpen64(path.c_str());
}

k_ZipArchive::~k_ZipArchive()
{
    if (m_handle)
        unzClose(static_cast<unzFile>(m_handle));
}

k_ZipArchive::Lookup k_ZipArchive::Locate(const std::string& name)
{
    if (!m_handle || name.empty() || name.size() > k_MaxNameBytes || name.find('\0') != std::string::npos)
        return Lookup::NotFound;
    const int result = unzLocateFile(static_cast<unzFile>(m_handle), name.c_str(), k_CaseInsensitive);
    if (result == UNZ_OK)
        return Lookup::Found;
    if (result == UNZ_END_OF_LIST_OF_FILE)
        return Lookup::NotFound;
    return Lookup::Damaged;
}

std::vector<std::string> k_ZipArchive::ListNames()
{
    std::vector<std::string> names;
    const auto zip = static_cast<unzFile>(m_handle);
    if (!zip)
        return names;
    for (int result = unzGoToFirstFile(zip); result == UNZ_OK && names.size() < k_MaxListed;
         result = unzGoToNextFile(zip))
    {
        char name[k_MaxNameBytes + 1] = {};
        unz_file_info64 record{};
        if (unzGetCurrentFileInfo64(zip, &record, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK)
            names.emplace_back(name);
    }
    return names;
}

bool k_ZipArchive::GetEntryInfo(EntryInfo& info)
{
    unz_file_info64 record{};
    if (!m_handle ||
        unzGetCurrentFileInfo64(static_cast<unzFile>(m_handle), &record, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    info.uncompressedSize = record.uncompressed_size;
    info.compressedSize = record.compressed_size;
    info.method = static_cast<int>(record.compression_method);
    info.encrypted = (record.flag & 1u) != 0;
    return true;
}

const char* k_ZipArchive::Extract(unsigned char* buffer, std::uint64_t size)
{
    const auto zip = static_cast<unzFile>(m_handle);
    if (!zip)
        return "no archive";
    if (unzOpenCurrentFile(zip) != UNZ_OK)
        return "its local header is damaged or its compression is not supported";

    std::uint64_t done = 0;
    const char* failure = nullptr;
    while (done < size)
    {
        const auto chunk = static_cast<unsigned>(std::min<std::uint64_t>(size - done, INT_MAX));
        const int read = unzReadCurrentFile(zip, buffer + done, chunk);
        if (read < 0)
        {
            failure = "its data does not decompress";
            break;
        }
        if (read == 0)
        {
            failure = "its data is shorter than its declared size";
            break;
        }
        done += static_cast<std::uint64_t>(read);
    }
    // The CRC is checked on close once the declared size has been read whole.
    const int closed = unzCloseCurrentFile(zip);
    if (!failure && closed == UNZ_CRCERROR)
        failure = "its CRC does not match its data";
    else if (!failure && closed != UNZ_OK)
        failure = "its data does not decompress";
    return failure;
}
