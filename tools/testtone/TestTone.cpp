// orvelant_testtone: writes a short OGG Vorbis sine tone, for checks that
// need a tune before (or without) the show's own.
//
//   orvelant_testtone OUTPUT.ogg [SECONDS]
#include "support/k_TestOgg.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: orvelant_testtone OUTPUT.ogg [SECONDS]\n");
        return 2;
    }
    const double seconds = argc > 2 ? std::atof(argv[2]) : 30.0;
    if (!(seconds > 0.0 && seconds <= 3600.0))
    {
        std::fprintf(stderr, "orvelant_testtone: SECONDS must lie in (0, 3600]\n");
        return 2;
    }
    const auto bytes = k_TestOgg::Make(seconds, 44100, 2);
    std::ofstream out(argv[1], std::ios::binary);
    if (bytes.empty() ||
        !out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
    {
        std::fprintf(stderr, "orvelant_testtone: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
