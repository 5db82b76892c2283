// The data pack through the engine's own file system: the bytes are written
// as a pack, opened with k_FileSystem, every entry the zip directory lists is
// opened by name through it, and each file is read to its end with k_File's
// bounds-checked reads, whose refusals must leave the cursor where it was.
#include "engine/k_File.h"
#include "engine/k_FileSystem.h"
#include "engine/k_Utf8.h"
#include "fuzz/k_FuzzCheck.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <minizip/unzip.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
// The names the zip directory lists, at most a few hundred.
std::vector<std::string> EntryNames(const std::filesystem::path& pack)
{
    std::vector<std::string> names;
    unzFile zip = unzOpen64(pack.c_str());
    if (!zip)
        return names;
    for (int at = unzGoToFirstFile(zip); at == UNZ_OK && names.size() < 256; at = unzGoToNextFile(zip))
    {
        char name[1024];
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
            break;
        names.emplace_back(name);
    }
    unzClose(zip);
    return names;
}

// A refused read must throw and leave the cursor unmoved.
template <typename Read> bool Refused(IFile& file, Read read)
{
    unsigned char* before = file.GetPosition();
    try
    {
        read();
    }
    catch (const wchar_t*)
    {
        ORV_FUZZ_REQUIRE(file.GetPosition() == before);
        return true;
    }
    return false;
}

// Walks the file with every kind of read, steered by its own bytes, to its end.
void ReadThrough(IFile& file)
{
    const std::int32_t size = file.GetSize();
    ORV_FUZZ_REQUIRE(size >= 0);
    unsigned char* const first = file.GetData();
    ORV_FUZZ_REQUIRE(file.GetPosition() == first);
    int step = 0;
    while (!file.IsAtEnd())
    {
        unsigned char* at = file.GetPosition();
        const std::int64_t left = first + size - at;
        ORV_FUZZ_REQUIRE(left > 0);
        switch ((*at + step++) % 4)
        {
        case 0:
            if (!Refused(file, [&] { file.ReadInt(); }))
                ORV_FUZZ_REQUIRE(file.GetPosition() == at + 4);
            else
                ORV_FUZZ_REQUIRE(left < 4);
            break;
        case 1:
            if (!Refused(file, [&] { file.ReadFloat(); }))
                ORV_FUZZ_REQUIRE(file.GetPosition() == at + 4);
            else
                ORV_FUZZ_REQUIRE(left < 4);
            break;
        case 2: {
            const std::int32_t count = *at % 9;
            std::vector<unsigned char> bytes;
            if (!Refused(file, [&] { bytes = file.ReadBytes(count); }))
                ORV_FUZZ_REQUIRE(static_cast<std::int32_t>(bytes.size()) == count && file.GetPosition() == at + count);
            else
                ORV_FUZZ_REQUIRE(left < count);
            break;
        }
        default:
            try
            {
                const std::string text = file.ReadString();
                ORV_FUZZ_REQUIRE(file.GetPosition() == at + text.size() + 1);
            }
            catch (const wchar_t*)
            {
                // No terminator: the bytes up to the end are consumed.
                ORV_FUZZ_REQUIRE(file.IsAtEnd());
            }
            break;
        }
        if (left < 4 && file.GetPosition() == at)
            file.SetPosition(first + size); // nothing fits any more
    }
    // At the end every read that needs a byte is refused; positions outside the data are refused too.
    ORV_FUZZ_REQUIRE(Refused(file, [&] { file.ReadInt(); }));
    ORV_FUZZ_REQUIRE(Refused(file, [&] { file.ReadString(); }));
    ORV_FUZZ_REQUIRE(!Refused(file, [&] { file.ReadBytes(0); }));
    try
    {
        file.SetPosition(first + size + 1);
        ORV_FUZZ_REQUIRE(false);
    }
    catch (const wchar_t*)
    {
    }
    file.Rewind();
    ORV_FUZZ_REQUIRE(file.GetPosition() == first);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::filesystem::path pack =
        std::filesystem::temp_directory_path() / ("orvelant-fuzz-" + std::to_string(getpid()) + ".pak");
    std::FILE* out = std::fopen(pack.c_str(), "wb");
    if (!out)
        return 0;
    std::fwrite(data, 1, size, out);
    std::fclose(out);

    k_FileSystem files(nullptr);
    files.OpenDataPack(k_Utf8::FromUtf8(pack.string()));
    for (const std::string& name : EntryNames(pack))
    {
        std::unique_ptr<IFile> file(files.OpenFile(k_Utf8::FromUtf8(name)));
        if (!file)
            continue;
        ORV_FUZZ_REQUIRE(static_cast<std::uint64_t>(file->GetSize()) <= k_FileSystem::k_MaxFileBytes);
        ReadThrough(*file);
    }
    std::remove(pack.c_str());
    return 0;
}
