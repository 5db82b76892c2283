// The GLSL text handling of shaders without GL: the geometry layout put into
// a source (three leading bytes choose the topologies and the vertex limit)
// changes nothing but that one insertion, and the rewriting of a driver's info
// log keeps every non-empty line.
#include "fuzz/k_FuzzCheck.h"
#include "graphics/k_Shader.h"

#include <algorithm>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    static const r_PrimitiveTopology k_Topologies[] = {
        r_PrimitiveTopology::Point,     r_PrimitiveTopology::Line,     r_PrimitiveTopology::LineLoop,
        r_PrimitiveTopology::LineStrip, r_PrimitiveTopology::Triangle, r_PrimitiveTopology::TriangleStrip};
    const r_PrimitiveTopology input = k_Topologies[data[0] % 6];
    const r_PrimitiveTopology output = k_Topologies[data[1] % 6];
    const int vertices = static_cast<int8_t>(data[2]) * 1000;
    const std::string text(reinterpret_cast<const char*>(data) + 3, size - 3);

    CheckLayoutInsertion(text, k_Shader::InjectGeometryLayout(text, input, output, vertices), vertices);

    const std::string log = k_Shader::FormatInfoLog(text, "Dir/File.mat");
    size_t lines = 0;
    size_t start = 0;
    while (start <= text.size())
    {
        const size_t cut = std::min(text.find('\n', start), text.size());
        lines += cut > start ? 1 : 0;
        start = cut + 1;
    }
    const size_t logLines = log.empty() ? 0 : std::count(log.begin(), log.end(), '\n') + 1;
    ORV_FUZZ_REQUIRE(logLines == lines);
    return 0;
}
