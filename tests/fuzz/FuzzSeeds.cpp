// Writes the seed corpus of every fuzz target from the built data pack and a
// few edge cases made here or kept as text beside this file:
//
//   orvelant_fuzz_seeds DATA_PAK HAND_SEEDS_DIR OUT_DIR
//
// OUT_DIR/<target>/ receives the seeds of the fuzz target <target>_fuzz.
#include "support/k_TestImages.h"
#include "support/k_TestOgg.h"
#include "support/k_TestZip.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <minizip/unzip.h>
#include <png.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
fs::path g_out;

void Write(const std::string& target, const std::string& name, const std::string& bytes)
{
    const fs::path folder = g_out / target;
    fs::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary) << bytes;
}

std::string Text(const std::vector<unsigned char>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

bool EndsWith(const std::string& name, const std::string& end)
{
    return name.size() >= end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0;
}

// The leading bytes of the shader target choose topologies and the vertex limit.
const std::string k_GlslParameters("\x03\x05\x04", 3);

// Every entry of the pack goes to the target that reads its kind.
bool FromPack(const fs::path& pack)
{
    unzFile zip = unzOpen64(pack.c_str());
    if (!zip)
        return false;
    int index = 0;
    for (int at = unzGoToFirstFile(zip); at == UNZ_OK; at = unzGoToNextFile(zip), ++index)
    {
        char name[1024];
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzOpenCurrentFile(zip) != UNZ_OK)
            return false;
        std::string bytes(info.uncompressed_size, '\0');
        const int read = unzReadCurrentFile(zip, bytes.data(), static_cast<unsigned>(bytes.size()));
        unzCloseCurrentFile(zip);
        if (read != static_cast<int>(bytes.size()))
            return false;
        std::string file = name;
        for (char& c : file)
            if (c == '/')
                c = '_';
        if (EndsWith(file, ".png"))
            Write("k_PngTexture", file, bytes);
        else if (EndsWith(file, ".jpg"))
            Write("k_JpegTexture", file, bytes);
        else if (EndsWith(file, ".ogg"))
            Write("k_OggStream", file, bytes.substr(0, 64 * 1024)); // the start is enough to reach every decoder path
        else if (EndsWith(file, ".mat"))
            Write("k_MaterialLoader", file, bytes);
        else if (file == "Show.txt")
            Write("k_ShowFile", file, bytes);
        else
            Write("k_Shader", file, k_GlslParameters + bytes);
    }
    unzClose(zip);
    return index > 0;
}

void Images()
{
    const std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9, 200, 100, 50, 1, 2, 3};
    Write("k_PngTexture", "rgb.png", k_TestImages::Png(3, 2, PNG_COLOR_TYPE_RGB, 8, rgb));
    Write("k_PngTexture", "rgba16.png",
          k_TestImages::Png(1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, {1, 2, 3, 4, 5, 6, 7, 8}));
    Write("k_PngTexture", "palette.png",
          k_TestImages::Png(2, 1, PNG_COLOR_TYPE_PALETTE, 8, {1, 0}, {10, 20, 30, 40, 50, 60}, {128, 255}));
    Write("k_PngTexture", "greyalpha.png", k_TestImages::Png(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {1, 2, 3, 4}));
    Write("k_PngTexture", "grey1.png", k_TestImages::Png(8, 1, PNG_COLOR_TYPE_GRAY, 1, {0xA5}));

    std::vector<uint8_t> noise(16 * 16 * 3);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<uint8_t>(i * 37 % 251);
    Write("k_JpegTexture", "baseline.jpg", k_TestImages::Jpeg(16, 16, noise));
    Write("k_JpegTexture", "progressive.jpg", k_TestImages::ProgressiveJpeg(16, 16, noise));
    Write("k_JpegTexture", "grey.jpg", k_TestImages::GreyJpeg(4, 3, std::vector<uint8_t>(12, 99)));
    Write("k_JpegTexture", "scans600.jpg", k_TestImages::ManyScanJpeg(600));
}

void Sounds()
{
    Write("k_OggStream", "mono22050.ogg", Text(k_TestOgg::Make(0.2, 22050, 1)));
    Write("k_OggStream", "stereo44100.ogg", Text(k_TestOgg::Make(0.2, 44100, 2)));
    Write("k_OggStream", "six48000.ogg", Text(k_TestOgg::Make(0.1, 48000, 6)));
    Write("k_OggStream", "rate1.ogg", Text(k_TestOgg::WithHeader(k_TestOgg::Make(0.1, 44100, 2), 2, 1)));
    Write("k_OggStream", "channels200.ogg", Text(k_TestOgg::WithHeader(k_TestOgg::Make(0.1, 44100, 2), 200, 44100)));
}

bool Packs(const fs::path& scratch)
{
    const std::string text = "material {\n    culling none\n}\n";
    const std::vector<std::vector<k_TestZip::Entry>> packs = {
        {{"a.txt", std::string("hello\0world", 11), false}, {"Dir/B.mat", text, true}},
        {{"empty", "", false}, {"../up.txt", "x", true}, {"/abs.txt", "y", false}},
        {{"Same.txt", "one", true}, {"same.txt", "two", true}, {"Same.txt", "three", false}},
        {{"big.bin", std::string(70000, 'z'), true}},
    };
    for (size_t i = 0; i < packs.size(); ++i)
    {
        const fs::path path = scratch / ("seed" + std::to_string(i) + ".pak");
        fs::remove(path);
        if (!k_TestZip::Write(path, packs[i]))
            return false;
        Write("k_FileSystem", path.filename().string(), k_TestZip::Load(path));
        fs::remove(path);
    }
    return true;
}

// Scripts of several files (cut at NUL bytes) that include each other.
void Materials()
{
    const std::string nul(1, '\0');
    Write("k_MaterialLoader", "includes.bin",
          "include {\n  a.mat\n  b.mat\n}\nmaterial {\n  target x\n}\n" + nul +
              "include {\n  c.mat\n}\nvertexshader v {{\nvoid main() {}\n}}\n" + nul +
              "geometryshader g triangle trianglestrip 3 {{\n#version 150\nvoid main() {}\n}}\nmaterial {\n"
              "  useshader g\n}\n");
}

// What a sync editor sends: its greeting, then every command, whole and cut short.
void SyncMessages()
{
    const std::string greeting = "hello, demo!";
    const std::string setKey("\0\0\0\0\1\0\0\0\x10\x40\x20\0\0\2", 14);
    const std::string deleteKey("\1\0\0\0\1\0\0\0\x10", 9);
    const std::string setRow("\3\0\0\x01\0", 5);
    const std::string pause("\4\1", 2);
    Write("k_SyncMessageReader", "every_command.bin",
          greeting + setKey + deleteKey + setRow + pause + std::string(1, '\5') + std::string("\4\0", 2));
    Write("k_SyncMessageReader", "cut_short.bin", greeting + setKey + setKey.substr(0, 9));
    Write("k_SyncMessageReader", "greeting_only.bin", greeting);
}

bool CopyHandSeeds(const fs::path& folder)
{
    for (const char* target : {"k_MaterialLoader", "k_Shader", "k_ShowFile"})
    {
        const fs::path from = folder / target;
        if (!fs::is_directory(from))
            return false;
        for (const auto& item : fs::directory_iterator(from))
        {
            std::ifstream in(item.path(), std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            Write(target, item.path().filename().string(),
                  std::string(target) == "k_Shader" ? k_GlslParameters + bytes : bytes);
        }
    }
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: orvelant_fuzz_seeds DATA_PAK HAND_SEEDS_DIR OUT_DIR\n");
        return 2;
    }
    g_out = argv[3];
    fs::remove_all(g_out);
    fs::create_directories(g_out);
    if (!FromPack(argv[1]))
    {
        std::fprintf(stderr, "orvelant_fuzz_seeds: cannot read the pack %s\n", argv[1]);
        return 1;
    }
    if (!CopyHandSeeds(argv[2]))
    {
        std::fprintf(stderr, "orvelant_fuzz_seeds: no hand-written seeds in %s\n", argv[2]);
        return 1;
    }
    Images();
    Sounds();
    Materials();
    SyncMessages();
    if (!Packs(g_out))
    {
        std::fprintf(stderr, "orvelant_fuzz_seeds: cannot write the seed packs\n");
        return 1;
    }
    // The pack itself is a seed of the pack target.
    std::ifstream pack(argv[1], std::ios::binary);
    Write("k_FileSystem", "data.pak",
          std::string((std::istreambuf_iterator<char>(pack)), std::istreambuf_iterator<char>()));
    return 0;
}
