// Throughput of the file system's OpenFile on a 16 MiB deflated pack entry,
// next to a plain zlib inflate of the very same compressed bytes into a new
// block. The counter "vs_zlib" is OpenFile's time over zlib's time.
#include "engine/k_FileSystem.h"
#include "interfaces/IFile.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace fs = std::filesystem;

namespace
{
constexpr std::size_t k_EntrySize = 16u << 20;

// A pack in a temp folder holding one 16 MiB entry of text-like data (it
// deflates about 5:1), and that entry's raw deflate stream.
class PackFixture
{
public:
    PackFixture()
    {
        m_folder = fs::temp_directory_path() / ("orvelant_bench_" + std::to_string(getpid()));
        fs::create_directories(m_folder);
        m_pack = m_folder / "bench.pak";

        static const char* const words[] = {"terrain ", "water ", "pass ",   "shader ", "0.125 ", "-3.5 ",  "texture ",
                                            "{\n",      "}\n",    "vertex ", "pixel ",  "Hdr ",   "blend ", "1 "};
        std::string data;
        data.reserve(k_EntrySize);
        std::uint32_t seed = 12345;
        while (data.size() < k_EntrySize)
        {
            seed = seed * 1664525u + 1013904223u;
            data += words[(seed >> 16) % std::size(words)];
            if ((seed & 7) == 0)
                data += static_cast<char>('a' + (seed >> 24) % 26);
        }
        data.resize(k_EntrySize);

        zipFile zip = zipOpen64(m_pack.c_str(), APPEND_STATUS_CREATE);
        zip_fileinfo info{};
        if (!zip ||
            zipOpenNewFileInZip(zip, "Bench/Big.bin", &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                Z_BEST_COMPRESSION) != ZIP_OK ||
            zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size())) != ZIP_OK ||
            zipCloseFileInZip(zip) != ZIP_OK || zipClose(zip, nullptr) != ZIP_OK)
            throw std::runtime_error("cannot write the benchmark pack");

        // The entry's compressed bytes as stored, read back raw.
        unzFile unz = unzOpen64(m_pack.c_str());
        unz_file_info64 record{};
        int method = 0, level = 0;
        if (!unz || unzLocateFile(unz, "Bench/Big.bin", 1) != UNZ_OK ||
            unzGetCurrentFileInfo64(unz, &record, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzOpenCurrentFile2(unz, &method, &level, 1) != UNZ_OK)
            throw std::runtime_error("cannot read the benchmark pack");
        m_compressed.resize(record.compressed_size);
        const int read = unzReadCurrentFile(unz, m_compressed.data(), static_cast<unsigned>(m_compressed.size()));
        unzCloseCurrentFile(unz);
        unzClose(unz);
        if (read != static_cast<int>(m_compressed.size()))
            throw std::runtime_error("cannot read the benchmark entry");
    }
    ~PackFixture() { fs::remove_all(m_folder); }

    const fs::path& Pack() const { return m_pack; }
    const std::vector<unsigned char>& Compressed() const { return m_compressed; }
    // A file system with the pack open (opened once: the log line appears once).
    k_FileSystem& Files()
    {
        if (!m_files)
        {
            m_files = std::make_unique<k_FileSystem>(nullptr);
            m_files->OpenDataPack(m_pack.wstring());
        }
        return *m_files;
    }

private:
    fs::path m_folder;
    fs::path m_pack;
    std::vector<unsigned char> m_compressed;
    std::unique_ptr<k_FileSystem> m_files;
};

PackFixture& Fixture()
{
    static PackFixture fixture;
    return fixture;
}

// Plain zlib: inflate the raw deflate stream into a newly allocated block.
std::unique_ptr<unsigned char[]> Inflate(const std::vector<unsigned char>& compressed)
{
    std::unique_ptr<unsigned char[]> out(new unsigned char[k_EntrySize]);
    z_stream stream{};
    inflateInit2(&stream, -MAX_WBITS);
    stream.next_in = const_cast<unsigned char*>(compressed.data());
    stream.avail_in = static_cast<uInt>(compressed.size());
    stream.next_out = out.get();
    stream.avail_out = static_cast<uInt>(k_EntrySize);
    const int result = inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    if (result != Z_STREAM_END || stream.total_out != k_EntrySize)
        throw std::runtime_error("zlib inflate failed");
    return out;
}

// CPU seconds spent by the calling thread.
double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// --- benchmarks ---

void BM_ZlibInflate16MiB(benchmark::State& state)
{
    const auto& compressed = Fixture().Compressed();
    for (auto _ : state)
        benchmark::DoNotOptimize(Inflate(compressed));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * k_EntrySize));
}
BENCHMARK(BM_ZlibInflate16MiB)->Unit(benchmark::kMillisecond);

void BM_FileSystemOpenFile16MiB(benchmark::State& state)
{
    k_FileSystem& files = Fixture().Files();
    const double start = ThreadSeconds();
    for (auto _ : state)
    {
        std::unique_ptr<IFile> file(files.OpenFile(L"bench/big.bin"));
        if (!file || file->GetSize() != static_cast<std::int32_t>(k_EntrySize))
        {
            state.SkipWithError("OpenFile failed");
            return;
        }
        benchmark::DoNotOptimize(file->GetData());
    }
    const double openSeconds = ThreadSeconds() - start;

    // The same number of plain inflates, timed the same way (CPU time of this
    // thread, so other load on the machine does not skew the ratio).
    const double zlibStart = ThreadSeconds();
    for (benchmark::IterationCount i = 0; i < state.iterations(); ++i)
        benchmark::DoNotOptimize(Inflate(Fixture().Compressed()));
    const double zlibSeconds = ThreadSeconds() - zlibStart;

    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * k_EntrySize));
    state.counters["vs_zlib"] = openSeconds / zlibSeconds;
    state.counters["compression"] =
        static_cast<double>(k_EntrySize) / static_cast<double>(Fixture().Compressed().size());
}
BENCHMARK(BM_FileSystemOpenFile16MiB)->Unit(benchmark::kMillisecond);
} // namespace
