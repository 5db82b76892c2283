#include "support/k_TestZip.h"

#include <fstream>
#include <iterator>
#include <minizip/zip.h>

bool k_TestZip::Write(const std::filesystem::path& path, const std::vector<Entry>& entries)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool ok = true;
    for (const Entry& entry : entries)
    {
        zip_fileinfo info{};
        ok = ok &&
             zipOpenNewFileInZip(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                 entry.deflate ? Z_DEFLATED : 0, Z_DEFAULT_COMPRESSION) == ZIP_OK &&
             zipWriteInFileInZip(zip, entry.bytes.data(), static_cast<unsigned>(entry.bytes.size())) == ZIP_OK &&
             zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

std::string k_TestZip::Load(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void k_TestZip::Save(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::size_t k_TestZip::LocalHeader(const std::string& zip)
{
    return zip.find(std::string("PK\x03\x04", 4));
}

std::size_t k_TestZip::CentralRecord(const std::string& zip)
{
    return zip.find(std::string("PK\x01\x02", 4));
}

std::size_t k_TestZip::FirstEntryData(const std::string& zip)
{
    const std::size_t local = LocalHeader(zip);
    return local + 30 + Get16(zip, local + 26) + Get16(zip, local + 28);
}

void k_TestZip::SetUncompressedSize(std::string& zip, std::uint32_t size)
{
    Put32(zip, LocalHeader(zip) + 22, size);
    Put32(zip, CentralRecord(zip) + 24, size);
}

void k_TestZip::Put32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint16_t k_TestZip::Get16(const std::string& bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1])
                                                                                  << 8);
}
