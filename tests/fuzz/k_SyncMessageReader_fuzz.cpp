// What a sync editor sends, over any bytes and cut into pieces where the input says: the reader hands out only
// commands the show can take (tracks it asked for, rows in range, finite values, known interpolations), the
// same ones however the bytes are cut, and once it refuses something it stays refused.
#include "app/studio/k_SyncMessageReader.h"
#include "fuzz/k_FuzzCheck.h"

#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

namespace
{
constexpr int k_Tracks = 5;
constexpr int k_MaxRow = 1000;

std::vector<k_SyncMessageReader::Message> Read(std::string_view bytes, size_t piece, bool& refused)
{
    k_SyncMessageReader reader(k_Tracks, k_MaxRow);
    std::vector<k_SyncMessageReader::Message> messages;
    refused = false;
    for (size_t at = 0; at < bytes.size(); at += piece)
        if (!reader.Feed(bytes.substr(at, piece), messages))
        {
            refused = true;
            ORV_FUZZ_REQUIRE(!reader.GetError().empty());
            ORV_FUZZ_REQUIRE(!reader.Feed("\5", messages));
        }
    return messages;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte sets the size of the pieces the rest arrives in.
    const size_t piece = 1 + data[0] % 17;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    bool refusedWhole = false;
    bool refusedInPieces = false;
    const std::vector<k_SyncMessageReader::Message> whole = Read(bytes, bytes.size() + 1, refusedWhole);
    const std::vector<k_SyncMessageReader::Message> pieces = Read(bytes, piece, refusedInPieces);
    ORV_FUZZ_REQUIRE(refusedWhole == refusedInPieces && whole.size() == pieces.size());
    for (size_t i = 0; i < whole.size(); ++i)
    {
        const k_SyncMessageReader::Message& m = whole[i];
        ORV_FUZZ_REQUIRE(m.command == pieces[i].command && m.track == pieces[i].track && m.row == pieces[i].row &&
                         m.paused == pieces[i].paused);
        ORV_FUZZ_REQUIRE(m.track >= 0 && m.track < k_Tracks && m.row >= 0 && m.row <= k_MaxRow);
        ORV_FUZZ_REQUIRE(std::isfinite(m.value) && m.interpolation >= 0 && m.interpolation <= 3);
    }
    return 0;
}
