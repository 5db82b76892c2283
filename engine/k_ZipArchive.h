#pragma once
// A read-only zip archive (the data pack), a thin wrapper over minizip's
// unzip API: open by path, find an entry by name without regard to case,
// read its directory record, extract it whole into a caller's buffer.
// Entries must be unencrypted and stored or deflated.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class k_ZipArchive
{
public:
    // What the directory record says about the located entry.
    struct EntryInfo
    {
        std::uint64_t uncompressedSize = 0;
        std::uint64_t compressedSize = 0;
        int method = 0; // 0 stored, 8 deflated
        bool encrypted = false;
    };

    enum class Lookup
    {
        Found,
        NotFound,
        Damaged, // the central directory could not be walked
    };

    // Opens the archive at the path; IsOpen tells whether that worked.
    explicit k_ZipArchive(const std::filesystem::path& path);
    // Closes the archive.
    ~k_ZipArchive();
    k_ZipArchive(const k_ZipArchive&) = delete;
    k_ZipArchive& operator=(const k_ZipArchive&) = delete;

    // True when the archive was opened and its central directory read.
    bool IsOpen() const { return m_handle != nullptr; }
    // Makes the entry with this UTF-8 name (any letter case) the current entry.
    Lookup Locate(const std::string& name);
    // The UTF-8 names of the entries, in the archive's order (at most k_MaxListed; none when damaged).
    // Moves the current entry: Locate again before GetEntryInfo or Extract.
    std::vector<std::string> ListNames();
    static constexpr std::size_t k_MaxListed = 100000;
    // Reads the current entry's directory record; returns false if it cannot be read.
    bool GetEntryInfo(EntryInfo& info);
    // Decompresses the current entry into exactly size bytes at buffer and checks
    // its CRC; returns null on success, else a short reason for the failure.
    const char* Extract(unsigned char* buffer, std::uint64_t size);

    // Longest entry name, in UTF-8 bytes, that Locate will search for.
    static constexpr std::size_t k_MaxNameBytes = 255;

private:
    void* m_handle = nullptr; // minizip's unzFile
};
