// orvelant_beatgen: a metronome tune for a show of one's own, encoded as Ogg Vorbis.
//
//   orvelant_beatgen OUTPUT.ogg --show SHOW.txt
//
// A click on every beat of the show file's tempo map up to its length, the downbeats higher with a thump
// under them (see k_BeatTrack). A demo starts with it and replaces it with its own music later.
#include "k_BeatTrack.h"
#include "k_OggWriter.h"
#include "k_Song.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 4 || std::string(argv[2]) != "--show")
    {
        std::cerr << "usage: orvelant_beatgen OUTPUT.ogg --show SHOW.txt\n";
        return 2;
    }
    std::vector<std::string> errors;
    const std::optional<k_ShowFile> show = k_Song::ReadShowFile(argv[3], errors);
    if (!show)
    {
        for (const std::string& error : errors)
            std::cerr << "orvelant_beatgen: " << error << "\n";
        return 1;
    }
    try
    {
        k_OggWriter::Write(argv[1], k_BeatTrack::Render(*show), 0.3f);
    }
    catch (const wchar_t*)
    {
        std::cerr << "orvelant_beatgen: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
