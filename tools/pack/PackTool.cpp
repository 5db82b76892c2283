// orvelant_pack: writes data.pak, the zip archive the engine reads its assets from.
//
//   orvelant_pack OUTPUT.pak ROOT [ROOT ...]
//
// Every regular file below each ROOT is stored under its path relative to that
// ROOT, with "/" between folders. Entries are deflated and carry a fixed time
// stamp, so the same inputs always give the same archive. A name found under
// two roots is an error: the pack would hold two entries the engine cannot tell
// apart. A ROOT that does not exist is skipped (a build may have no generated
// files yet).
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <minizip/zip.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
bool ReadWhole(const fs::path& path, std::vector<char>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::cerr << "usage: orvelant_pack OUTPUT.pak ROOT [ROOT ...]\n";
        return 2;
    }

    // Pack name -> source file, sorted so the archive's order is stable.
    std::map<std::string, fs::path> entries;
    std::map<std::string, std::string> seen; // lower-case name -> name, the engine matches without case
    for (int i = 2; i < argc; ++i)
    {
        const fs::path root(argv[i]);
        if (!fs::is_directory(root))
            continue;
        for (const auto& item : fs::recursive_directory_iterator(root))
        {
            if (!item.is_regular_file())
                continue;
            const std::string name = fs::relative(item.path(), root).generic_string();
            const auto [it, fresh] = seen.emplace(Lower(name), name);
            if (!fresh)
            {
                std::cerr << "orvelant_pack: " << item.path().string() << ": the pack already holds \"" << it->second
                          << "\" from another root\n";
                return 1;
            }
            entries.emplace(name, item.path());
        }
    }

    const std::string output = argv[1];
    const std::string partial = output + ".part";
    zipFile zip = zipOpen64(partial.c_str(), APPEND_STATUS_CREATE);
    if (!zip)
    {
        std::cerr << "orvelant_pack: cannot create " << partial << "\n";
        return 1;
    }

    bool ok = true;
    std::vector<char> bytes;
    for (const auto& [name, path] : entries)
    {
        if (!ReadWhole(path, bytes))
        {
            std::cerr << "orvelant_pack: cannot read " << path.string() << "\n";
            ok = false;
            break;
        }
        zip_fileinfo info{};
        info.tmz_date.tm_year = 2026;
        info.tmz_date.tm_mon = 0;
        info.tmz_date.tm_mday = 1;
        const int zip64 = bytes.size() >= 0xffffffffu ? 1 : 0;
        if (zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                  Z_BEST_COMPRESSION, zip64) != ZIP_OK ||
            zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size())) != ZIP_OK ||
            zipCloseFileInZip(zip) != ZIP_OK)
        {
            std::cerr << "orvelant_pack: cannot add " << name << "\n";
            ok = false;
            break;
        }
    }
    if (zipClose(zip, nullptr) != ZIP_OK)
        ok = false;
    if (!ok)
    {
        std::remove(partial.c_str());
        return 1;
    }
    // Replace the old pack only once the new one is complete.
    std::error_code error;
    fs::rename(partial, output, error);
    if (error)
    {
        std::cerr << "orvelant_pack: cannot write " << output << ": " << error.message() << "\n";
        return 1;
    }
    std::cout << "orvelant_pack: " << entries.size() << " files in " << output << "\n";
    return 0;
}
