// Makes numbered damaged copies of a data pack, each damaged in one way, for
// the damaged-pack runs of the show (tests/e2e/damaged_packs.sh):
//
//   orvelant_damage_pack PACK                 prints how many cases there are
//   orvelant_damage_pack PACK CASE OUT        writes case CASE to OUT and prints what it did
//
// Cases, in order: truncations at many offsets; flipped bytes in the central
// directory, in local headers and in entry data; lying sizes and CRCs; names
// with "../", absolute names, duplicates and names differing only in case;
// broken PNG, JPEG, Ogg, material and GLSL entries; empty and huge entries.
// The same pack and case number always give the same bytes.
#include "support/k_TestZip.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <minizip/unzip.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
// --- the pack as bytes and as entries ---

struct Record
{
    size_t central = 0; // offset of its central directory record
    size_t local = 0;   // offset of its local header
    size_t data = 0;    // offset of its data
    uint32_t compressedSize = 0;
    std::string name;
};

uint32_t Get32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    return value;
}

// The central directory's records, found through the end record.
std::vector<Record> Records(const std::string& zip)
{
    std::vector<Record> records;
    const size_t end = zip.rfind(std::string("PK\x05\x06", 4));
    if (end == std::string::npos || end + 22 > zip.size())
        return records;
    size_t at = Get32(zip, end + 16);
    while (at + 46 <= zip.size() && zip.compare(at, 4, std::string("PK\x01\x02", 4)) == 0)
    {
        Record record;
        record.central = at;
        record.compressedSize = Get32(zip, at + 20);
        const size_t nameLength = k_TestZip::Get16(zip, at + 28);
        record.name = zip.substr(at + 46, nameLength);
        record.local = Get32(zip, at + 42);
        if (record.local + 30 <= zip.size())
            record.data =
                record.local + 30 + k_TestZip::Get16(zip, record.local + 26) + k_TestZip::Get16(zip, record.local + 28);
        records.push_back(record);
        at += 46 + nameLength + k_TestZip::Get16(zip, at + 30) + k_TestZip::Get16(zip, at + 32);
    }
    return records;
}

std::vector<k_TestZip::Entry> Entries(const fs::path& pack)
{
    std::vector<k_TestZip::Entry> entries;
    unzFile zip = unzOpen64(pack.c_str());
    if (!zip)
        return entries;
    for (int at = unzGoToFirstFile(zip); at == UNZ_OK; at = unzGoToNextFile(zip))
    {
        char name[1024];
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzOpenCurrentFile(zip) != UNZ_OK)
            break;
        k_TestZip::Entry entry{name, std::string(info.uncompressed_size, '\0'), info.compression_method != 0};
        unzReadCurrentFile(zip, entry.bytes.data(), static_cast<unsigned>(entry.bytes.size()));
        unzCloseCurrentFile(zip);
        entries.push_back(std::move(entry));
    }
    unzClose(zip);
    return entries;
}

// A small deterministic generator, so each case number always damages the same bytes.
struct Random
{
    uint64_t state;
    explicit Random(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next()
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 33);
    }
    size_t Below(size_t limit) { return limit ? Next() % limit : 0; }
};

bool EndsWith(const std::string& name, const std::string& end)
{
    if (name.size() < end.size())
        return false;
    for (size_t i = 0; i < end.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[name.size() - end.size() + i])) != end[i])
            return false;
    return true;
}

// --- the cases ---

constexpr int k_Truncations = 60;
constexpr int k_CentralFlips = 50;
constexpr int k_LocalFlips = 40;
constexpr int k_DataFlips = 50;
constexpr int k_Lies = 30;
constexpr int k_Names = 20;
constexpr int k_Kinds = 5;           // png, jpg, ogg, mat, shader source
constexpr int k_ContentDamages = 10; // per kind
constexpr int k_Extremes = 6;
constexpr int k_Cases = k_Truncations + k_CentralFlips + k_LocalFlips + k_DataFlips + k_Lies + k_Names +
                        k_Kinds * k_ContentDamages + k_Extremes;

// Damages the content of one entry of a kind, as a broken file of that kind would be.
std::string DamageContent(const std::string& bytes, int damage, Random& random)
{
    std::string out = bytes;
    switch (damage)
    {
    case 0:
        return out.substr(0, out.size() / 2);
    case 1:
        return out.substr(0, std::min<size_t>(out.size(), 16));
    case 2:
        return std::string(out.size(), '\0');
    case 3:
        for (char& c : out)
            c = static_cast<char>(random.Next());
        return out;
    case 4: // the header's bytes
        for (int i = 0; i < 8 && !out.empty(); ++i)
            out[random.Below(std::min<size_t>(out.size(), 64))] ^= static_cast<char>(1 + random.Below(255));
        return out;
    case 5: // scattered bytes anywhere
        for (int i = 0; i < 20 && !out.empty(); ++i)
            out[random.Below(out.size())] ^= static_cast<char>(1 + random.Below(255));
        return out;
    case 6: // a run of bytes in the middle
        if (out.size() > 8)
        {
            const size_t at = random.Below(out.size() - 8);
            for (size_t i = at; i < std::min(out.size(), at + 64); ++i)
                out[i] = static_cast<char>(0xff);
        }
        return out;
    case 7: // the end cut off
        return out.substr(0, out.size() > 4 ? out.size() - 1 - random.Below(std::min<size_t>(out.size() / 4, 512)) : 0);
    case 8: // doubled
        return out + out;
    default: // text of another kind
        return "material {\n  useshader nothing\n}\n\xff\xfe garbage \x01\x02";
    }
}

std::string Make(const fs::path& pack, int index, std::string& what)
{
    const std::string original = k_TestZip::Load(pack);
    std::string zip = original;
    const std::vector<Record> records = Records(zip);
    Random random(static_cast<uint64_t>(index));
    int i = index;
    auto flip = [&](size_t at) {
        if (at < zip.size())
            zip[at] ^= static_cast<char>(1 + random.Below(255));
    };

    if (i < k_Truncations)
    {
        // Evenly spread through the file, and the last ones where the directory's end lies.
        const size_t cut = i < k_Truncations - 6 ? zip.size() * static_cast<size_t>(i) / (k_Truncations - 6)
                                                 : zip.size() - std::vector<size_t>{1, 2, 10, 22, 23, 100}[i - 54];
        what = "truncated to " + std::to_string(cut) + " bytes";
        return zip.substr(0, cut);
    }
    i -= k_Truncations;
    if (records.empty())
    {
        what = "not a zip: unchanged";
        return zip;
    }
    if (i < k_CentralFlips)
    {
        const Record& record = records[random.Below(records.size())];
        const size_t at = record.central + random.Below(46 + record.name.size());
        flip(at);
        what = "central record of " + record.name + ": byte " + std::to_string(at - record.central) + " flipped";
        return zip;
    }
    i -= k_CentralFlips;
    if (i < k_LocalFlips)
    {
        const Record& record = records[random.Below(records.size())];
        const size_t at = record.local + random.Below(30 + record.name.size());
        flip(at);
        what = "local header of " + record.name + ": byte " + std::to_string(at - record.local) + " flipped";
        return zip;
    }
    i -= k_LocalFlips;
    if (i < k_DataFlips)
    {
        const Record& record = records[random.Below(records.size())];
        const int flips = 1 + i % 4;
        for (int f = 0; f < flips && record.compressedSize > 0; ++f)
            flip(record.data + random.Below(record.compressedSize));
        what = "data of " + record.name + ": " + std::to_string(flips) + " bytes flipped";
        return zip;
    }
    i -= k_DataFlips;
    if (i < k_Lies)
    {
        const Record& record = records[random.Below(records.size())];
        static const char* const k_Fields[] = {"uncompressed size", "compressed size", "CRC"};
        const int field = i % 3;
        const size_t central = record.central + (field == 0 ? 24 : field == 1 ? 20 : 16);
        const size_t local = record.local + (field == 0 ? 22 : field == 1 ? 18 : 14);
        const uint32_t truth = Get32(zip, central);
        const uint32_t lies[] = {0, truth - 1, truth + 1, truth * 2, 0xffffffffu, 63u << 20, truth ^ 0x5a5a5a5au};
        const uint32_t lie = lies[(i / 3) % 7];
        const bool both = (i / 3) % 2 == 0;
        k_TestZip::Put32(zip, central, lie);
        if (both)
            k_TestZip::Put32(zip, local, lie);
        what = std::string(k_Fields[field]) + " of " + record.name + " set to " + std::to_string(lie) +
               (both ? " in both headers" : " in the central record only");
        return zip;
    }
    i -= k_Lies;

    std::vector<k_TestZip::Entry> entries = Entries(pack);
    const fs::path scratch = fs::path(pack).concat(".case" + std::to_string(index) + ".tmp");
    auto rebuilt = [&]() {
        fs::remove(scratch);
        k_TestZip::Write(scratch, entries);
        std::string bytes = k_TestZip::Load(scratch);
        fs::remove(scratch);
        return bytes;
    };
    if (i < k_Names)
    {
        k_TestZip::Entry& entry = entries[random.Below(entries.size())];
        const std::string name = entry.name;
        switch (i % 5)
        {
        case 0:
            entry.name = "../" + name;
            break;
        case 1:
            entry.name = "/" + name;
            break;
        case 2: // a broken copy of the same name before the real one
            entries.insert(entries.begin(), k_TestZip::Entry{name, DamageContent(entry.bytes, 3, random), true});
            break;
        case 3: // the same name in other letter case, broken, before the real one
        {
            std::string upper = name;
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            entries.insert(entries.begin(), k_TestZip::Entry{upper, DamageContent(entry.bytes, 0, random), false});
            break;
        }
        default:
            entry.name = name + ".renamed";
            break;
        }
        what = "name case " + std::to_string(i % 5) + " for " + name;
        return rebuilt();
    }
    i -= k_Names;
    if (i < k_Kinds * k_ContentDamages)
    {
        static const char* const k_KindNames[] = {".png", ".jpg", ".ogg", ".mat", ""};
        const int kind = i / k_ContentDamages;
        std::vector<k_TestZip::Entry*> candidates;
        for (k_TestZip::Entry& entry : entries)
        {
            const bool known = EndsWith(entry.name, ".png") || EndsWith(entry.name, ".jpg") ||
                               EndsWith(entry.name, ".ogg") || EndsWith(entry.name, ".mat");
            if (kind == 4 ? !known : EndsWith(entry.name, k_KindNames[kind]))
                candidates.push_back(&entry);
        }
        if (candidates.empty())
        {
            what = std::string("no ") + (kind == 4 ? "shader" : k_KindNames[kind]) + " entry: unchanged";
            return zip;
        }
        k_TestZip::Entry& entry = *candidates[random.Below(candidates.size())];
        entry.bytes = DamageContent(entry.bytes, i % k_ContentDamages, random);
        what = entry.name + ": content damage " + std::to_string(i % k_ContentDamages);
        return rebuilt();
    }
    i -= k_Kinds * k_ContentDamages;

    // Extremes: empty and huge entries.
    k_TestZip::Entry* tune = nullptr;
    k_TestZip::Entry* script = nullptr;
    for (k_TestZip::Entry& entry : entries)
    {
        if (EndsWith(entry.name, ".ogg"))
            tune = &entry;
        if (EndsWith(entry.name, ".mat") && !script)
            script = &entry;
    }
    k_TestZip::Entry* any = &entries[random.Below(entries.size())];
    switch (i)
    {
    case 0:
        any->bytes.clear();
        what = any->name + " emptied";
        break;
    case 1:
        if (tune)
            tune->bytes.clear();
        what = "the tune emptied";
        break;
    case 2:
        if (tune)
            tune->bytes.assign(100u << 20, '\0');
        what = "the tune replaced by 100 MB of zeros";
        break;
    case 3:
        entries.push_back({"Huge.bin", std::string(200u << 20, 'x'), true});
        what = "a 200 MB entry added";
        break;
    case 4:
        if (script)
            while (script->bytes.size() < (3u << 20))
                script->bytes += "material {\n  culling none\n}\n";
        what = "a material script grown past 3 MB";
        break;
    default:
        if (script)
        {
            std::string deep = "include {\n  " + script->name + "\n}\n";
            script->bytes = deep + std::string(2u << 20, '\n') + script->bytes;
        }
        what = "a material script that includes itself after 2 MB of blank lines";
        break;
    }
    return rebuilt();
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 2)
    {
        std::printf("%d\n", k_Cases);
        return 0;
    }
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: orvelant_damage_pack PACK [CASE OUT]\n");
        return 2;
    }
    const int index = std::atoi(argv[2]);
    if (index < 0 || index >= k_Cases || !fs::is_regular_file(argv[1]))
    {
        std::fprintf(stderr, "orvelant_damage_pack: no case %s of %d, or no pack %s\n", argv[2], k_Cases, argv[1]);
        return 2;
    }
    std::string what;
    const std::string bytes = Make(argv[1], index, what);
    k_TestZip::Save(argv[3], bytes);
    std::printf("%s\n", what.c_str());
    return 0;
}
