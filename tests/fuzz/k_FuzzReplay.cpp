// Runs a fuzz target over saved inputs, without libFuzzer: the normal build
// links each target with this driver and the test suite replays the seed
// corpus through it, so an input that once crashed or hung fails the suite.
//
//   k_PngTexture_fuzz_replay DIR_OR_FILE...
//
// Log lines of the code under test go to /dev/null; a summary goes to stderr.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i)
    {
        const fs::path arg(argv[i]);
        if (fs::is_directory(arg))
        {
            for (const auto& item : fs::recursive_directory_iterator(arg))
                if (item.is_regular_file())
                    inputs.push_back(item.path());
        }
        else if (fs::is_regular_file(arg))
            inputs.push_back(arg);
        else
        {
            std::fprintf(stderr, "replay: no such file or folder: %s\n", argv[i]);
            return 2;
        }
    }
    if (inputs.empty())
    {
        std::fprintf(stderr, "replay: no inputs to replay\n");
        return 2;
    }
    std::sort(inputs.begin(), inputs.end());
    if (!std::freopen("/dev/null", "w", stdout))
        return 2;

    double slowest = 0;
    std::string slowestName;
    for (const fs::path& input : inputs)
    {
        std::ifstream in(input, std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        // Printed first, so a crash names its input.
        std::fprintf(stderr, "replay: %s (%zu bytes)\n", input.c_str(), bytes.size());
        const auto start = std::chrono::steady_clock::now();
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (seconds > slowest)
            slowest = seconds, slowestName = input.filename().string();
    }
    std::fprintf(stderr, "replay: %zu inputs, slowest %.3f s (%s)\n", inputs.size(), slowest, slowestName.c_str());
    return 0;
}
