// The tune as the show receives it: "ov-starwane.ogg" read from the built
// data.pak (tests run in the bin folder beside it) and decoded with
// libvorbisfile, and the generator's handling of bad command lines.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <minizip/unzip.h>
#include <string>
#include <sys/wait.h>
#include <vector>
#include <vorbis/vorbisfile.h>

namespace
{
// --- reading the tune from the pack ---

std::vector<char> ReadFromPack(const char* pack, const char* name)
{
    std::vector<char> bytes;
    unzFile zip = unzOpen64(pack);
    if (!zip)
        return bytes;
    unz_file_info64 info{};
    if (unzLocateFile(zip, name, 1) == UNZ_OK &&
        unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK &&
        unzOpenCurrentFile(zip) == UNZ_OK)
    {
        bytes.resize(static_cast<std::size_t>(info.uncompressed_size));
        const int got = unzReadCurrentFile(zip, bytes.data(), static_cast<unsigned>(bytes.size()));
        if (got != static_cast<int>(bytes.size()))
            bytes.clear();
        unzCloseCurrentFile(zip);
    }
    unzClose(zip);
    return bytes;
}

struct Memory
{
    const std::vector<char>* bytes;
    std::size_t pos;
};

std::size_t MemoryRead(void* ptr, std::size_t size, std::size_t count, void* source)
{
    Memory& m = *static_cast<Memory*>(source);
    const std::size_t n = std::min(size * count, m.bytes->size() - m.pos);
    std::memcpy(ptr, m.bytes->data() + m.pos, n);
    m.pos += n;
    return size ? n / size : 0;
}

int MemorySeek(void* source, ogg_int64_t offset, int whence)
{
    Memory& m = *static_cast<Memory*>(source);
    const ogg_int64_t base = whence == SEEK_SET ? 0
                                                : (whence == SEEK_CUR ? static_cast<ogg_int64_t>(m.pos)
                                                                      : static_cast<ogg_int64_t>(m.bytes->size()));
    const ogg_int64_t to = base + offset;
    if (to < 0 || to > static_cast<ogg_int64_t>(m.bytes->size()))
        return -1;
    m.pos = static_cast<std::size_t>(to);
    return 0;
}

long MemoryTell(void* source)
{
    return static_cast<long>(static_cast<Memory*>(source)->pos);
}

struct Pcm
{
    long rate = 0;
    int channels = 0;
    std::vector<float> left, right;

    double Seconds() const { return rate ? static_cast<double>(left.size()) / static_cast<double>(rate) : 0.0; }
    // Root-mean-square level of both channels between two times in seconds.
    double Rms(double from, double to) const
    {
        const std::size_t a = static_cast<std::size_t>(from * rate),
                          b = std::min(left.size(), static_cast<std::size_t>(to * rate));
        double sum = 0.0;
        for (std::size_t i = a; i < b; ++i)
            sum += static_cast<double>(left[i]) * left[i] + static_cast<double>(right[i]) * right[i];
        return b > a ? std::sqrt(sum / (2.0 * static_cast<double>(b - a))) : 0.0;
    }
    float Peak(double from, double to) const
    {
        const std::size_t a = static_cast<std::size_t>(from * rate),
                          b = std::min(left.size(), static_cast<std::size_t>(to * rate));
        float peak = 0.0f;
        for (std::size_t i = a; i < b; ++i)
            peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
        return peak;
    }
};

// Decodes the tune from the pack; fails the calling test if the pack or the entry is missing or undecodable.
Pcm DecodeTune()
{
    Pcm pcm;
    const std::vector<char> bytes = ReadFromPack("data.pak", "ov-starwane.ogg");
    EXPECT_FALSE(bytes.empty()) << "data.pak in " << std::filesystem::current_path() << " holds no ov-starwane.ogg";
    if (bytes.empty())
        return pcm;
    Memory memory{&bytes, 0};
    OggVorbis_File file;
    const ov_callbacks callbacks{MemoryRead, MemorySeek, nullptr, MemoryTell};
    if (ov_open_callbacks(&memory, &file, nullptr, 0, callbacks) != 0)
    {
        ADD_FAILURE() << "ov-starwane.ogg is not an Ogg Vorbis stream";
        return pcm;
    }
    const vorbis_info* info = ov_info(&file, -1);
    pcm.rate = info->rate;
    pcm.channels = info->channels;
    int section = 0;
    for (;;)
    {
        float** channels = nullptr;
        const long frames = ov_read_float(&file, &channels, 4096, &section);
        if (frames <= 0)
        {
            EXPECT_EQ(frames, 0) << "decoding error";
            break;
        }
        pcm.left.insert(pcm.left.end(), channels[0], channels[0] + frames);
        pcm.right.insert(pcm.right.end(), channels[pcm.channels > 1 ? 1 : 0],
                         channels[pcm.channels > 1 ? 1 : 0] + frames);
    }
    ov_clear(&file);
    return pcm;
}

double Db(double level)
{
    return 20.0 * std::log10(std::max(level, 1e-12));
}

int RunTool(const std::string& command)
{
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace

// --- the tune in the pack ---

TEST(TuneGen, PackHoldsAStereo44100HzTuneLongEnoughForTheShow)
{
    const Pcm pcm = DecodeTune();
    EXPECT_EQ(pcm.rate, 44100);
    EXPECT_EQ(pcm.channels, 2);
    EXPECT_GE(pcm.Seconds(), 195.0);
}

TEST(TuneGen, LoudnessFollowsTheSectionsOfTheShow)
{
    const Pcm pcm = DecodeTune();
    ASSERT_GE(pcm.Seconds(), 195.0);
    const double intro = Db(pcm.Rms(0.0, 27.0));
    const double entry = Db(pcm.Rms(27.0, 36.7));
    const double theme = Db(pcm.Rms(36.7, 71.8));
    const double plasma = Db(pcm.Rms(76.6, 137.0));
    const double pause = Db(pcm.Rms(137.0, 141.0));
    const double greetings = Db(pcm.Rms(141.0, 169.0));
    const double ending = Db(pcm.Rms(175.0, 190.0));
    EXPECT_GT(greetings, intro + 6.0);
    EXPECT_GT(entry, intro);
    EXPECT_GT(theme, intro);
    EXPECT_GT(plasma, theme);
    EXPECT_GT(greetings, pause + 3.0);
    EXPECT_LT(ending, greetings - 6.0);
    // The drop: the four seconds after 76.6 s carry clearly more energy than the rise just before it.
    EXPECT_GT(Db(pcm.Rms(76.6, 80.6)), Db(pcm.Rms(72.6, 76.5)) + 3.0);
    // Sound right up to the end of the logo's first caption, then silence.
    EXPECT_GT(Db(pcm.Rms(180.0, 186.0)), -50.0);
    EXPECT_LT(pcm.Peak(196.0, pcm.Seconds()), 1.0f / 32768.0f);
}

TEST(TuneGen, TuneIsCleanNoClippingNoOffset)
{
    const Pcm pcm = DecodeTune();
    ASSERT_GE(pcm.Seconds(), 195.0);
    // At most -1 dBFS after encoding and decoding, so nothing clips on playback.
    EXPECT_LE(pcm.Peak(0.0, pcm.Seconds()), 0.891f);
    double sumLeft = 0.0, sumRight = 0.0;
    for (std::size_t i = 0; i < pcm.left.size(); ++i)
    {
        sumLeft += pcm.left[i];
        sumRight += pcm.right[i];
    }
    EXPECT_LT(std::fabs(sumLeft / static_cast<double>(pcm.left.size())), 1e-3);
    EXPECT_LT(std::fabs(sumRight / static_cast<double>(pcm.right.size())), 1e-3);
}

// --- the generator's command line ---

TEST(TuneGen, BadCommandLinesAndUnwritableOutputFailWithoutAFile)
{
    ASSERT_TRUE(std::filesystem::exists("orvelant_tunegen"));
    EXPECT_EQ(RunTool("./orvelant_tunegen"), 2);
    EXPECT_EQ(RunTool("./orvelant_tunegen out.ogg --frobnicate"), 2);
    EXPECT_EQ(RunTool("./orvelant_tunegen out.ogg --from soon"), 2);
    EXPECT_EQ(RunTool("./orvelant_tunegen out.ogg --from 10 --to 5"), 2);
    EXPECT_EQ(RunTool("./orvelant_tunegen out.ogg --from 500"), 2);
    EXPECT_FALSE(std::filesystem::exists("out.ogg"));

    const std::string show = std::string(" --show ") + ORV_SHOW_FILE;
    const std::filesystem::path missing = std::filesystem::temp_directory_path() / "orvelant-no-such-folder" / "t.ogg";
    EXPECT_EQ(RunTool("./orvelant_tunegen " + missing.string() + show + " --from 0 --to 0.5"), 1);
    EXPECT_FALSE(std::filesystem::exists(missing));

    // Without a show file, or with one that cannot be read or used, nothing is written.
    const std::filesystem::path good = std::filesystem::temp_directory_path() / "orvelant-tunegen-test.ogg";
    std::filesystem::remove(good);
    EXPECT_EQ(RunTool("./orvelant_tunegen " + good.string() + " --from 76 --to 77"), 2);
    EXPECT_EQ(RunTool("./orvelant_tunegen " + good.string() + " --show no-such-show.txt --from 76 --to 77"), 1);
    const std::filesystem::path bad = std::filesystem::temp_directory_path() / "orvelant-tunegen-bad-show.txt";
    std::ofstream(bad) << "length 200\ntempo 1 1.0 bpm 120\nsection opening 0\nsection landscape 28\n";
    EXPECT_EQ(RunTool("./orvelant_tunegen " + good.string() + " --show " + bad.string() + " --from 76 --to 77"), 1);
    std::filesystem::remove(bad);
    EXPECT_FALSE(std::filesystem::exists(good));

    // A short stretch to a writable place works and leaves no partial file behind.
    EXPECT_EQ(RunTool("./orvelant_tunegen " + good.string() + show + " --from 76 --to 77"), 0);
    EXPECT_GT(std::filesystem::file_size(good), 1000u);
    EXPECT_FALSE(std::filesystem::exists(good.string() + ".partial"));
    std::filesystem::remove(good);
}
