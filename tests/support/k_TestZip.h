#pragma once
// Builds small zip archives for file-system tests and damages them on purpose:
// entries are written with minizip, then single fields or bytes are patched.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class k_TestZip
{
public:
    struct Entry
    {
        std::string name;
        std::string bytes;
        bool deflate = true;
    };

    // Writes the entries, in order, to a new archive at path; returns false on failure.
    static bool Write(const std::filesystem::path& path, const std::vector<Entry>& entries);
    // The whole file's bytes.
    static std::string Load(const std::filesystem::path& path);
    // Replaces the whole file's bytes.
    static void Save(const std::filesystem::path& path, const std::string& bytes);

    // Offsets of the first entry's local header and central directory record.
    static std::size_t LocalHeader(const std::string& zip);
    static std::size_t CentralRecord(const std::string& zip);
    // Offset of the first entry's data (after its local header, name and extra field).
    static std::size_t FirstEntryData(const std::string& zip);
    // Sets the first entry's uncompressed size in both its local header and its central record.
    static void SetUncompressedSize(std::string& zip, std::uint32_t size);

    static void Put32(std::string& bytes, std::size_t at, std::uint32_t value);
    static std::uint16_t Get16(const std::string& bytes, std::size_t at);
};
