#pragma once
// What the fuzz targets share: a check that stops the process (so libFuzzer
// and the corpus replay report the input) when a property of the code under
// test does not hold.
#include <cstdio>
#include <cstdlib>

#define ORV_FUZZ_REQUIRE(condition)                                                                                    \
    do                                                                                                                 \
    {                                                                                                                  \
        if (!(condition))                                                                                              \
        {                                                                                                              \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);                      \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

#include <algorithm>
#include <string>

// The geometry layout put into a GLSL source must be one insertion of text that names the vertex limit and,
// when the source holds a line of code, breaks no line, so the compiler's line numbers stay those of the source.
inline void CheckLayoutInsertion(const std::string& source, const std::string& injected, int maxOutputVertices)
{
    ORV_FUZZ_REQUIRE(injected.size() > source.size());
    size_t prefix = 0;
    while (prefix < source.size() && source[prefix] == injected[prefix])
        ++prefix;
    const size_t added = injected.size() - source.size();
    ORV_FUZZ_REQUIRE(injected.compare(prefix + added, std::string::npos, source, prefix) == 0);
    const std::string limit = "max_vertices = " + std::to_string(maxOutputVertices) + ")";
    ORV_FUZZ_REQUIRE(injected.find(limit) != std::string::npos);
    bool code = false;
    for (size_t line = 0; line < source.size() && !code;)
    {
        const size_t first = source.find_first_not_of(" \t\r", line);
        code = first != std::string::npos && source[first] != '\n' && source[first] != '#';
        const size_t next = source.find('\n', line);
        line = next == std::string::npos ? source.size() : next + 1;
    }
    if (code)
        ORV_FUZZ_REQUIRE(std::count(injected.begin(), injected.end(), '\n') ==
                         std::count(source.begin(), source.end(), '\n'));
}
