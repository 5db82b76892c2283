#pragma once
// The show as data: the reader of the show file ("Show.txt" in the pack), which states the whole timeline of
// a show in text, one entry a line: the tune's tempo map, the sections, the world switches and fades, every
// caption with its fades and its place on screen, and extra instants for the studio. Times are seconds
// ("76.6") or a bar and beat of the tempo map ("39:1", "71:2.5"); "#" starts a comment. The reader knows
// nothing of GL or the engine: the show (k_Show, starwane's k_Demo) builds itself from what it read, and the tune's
// generator reads the same file, so each time is stated once. See docs/content-show-file.md.
#include "animation/k_TempoMap.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class k_ShowFile
{
public:
    // Where an entry or a word stands in the file, from 1.
    struct Location
    {
        int line = 0;
        int column = 0;
    };
    // A named part of the show, [start, end) in demo time.
    struct Section
    {
        std::string name;
        double start = 0.0;
        double end = 0.0;
    };
    // A world switch (an instant: start == end) or a fade (an interval) of the show's own, by name.
    struct Cue
    {
        bool fade = false;
        std::string name;
        double start = 0.0;
        double end = 0.0;
        // How many captions come before it in the file: it is registered after them.
        size_t afterCaptions = 0;
        // The tune marks its start: its start is held to a musical onset.
        bool music = false;
        Location at;
    };
    // How a caption comes in or goes out: the kind (as k_TextEvent counts them) and its seconds.
    struct Fade
    {
        int kind = 0;
        float seconds = 0.0f;
    };
    struct Caption
    {
        // An image caption names its picture in the pack; a text caption its font and words.
        std::wstring picture;
        std::wstring font;
        std::string text;
        double start = 0.0;
        double duration = 0.0;
        Fade fadeIn;
        Fade fadeOut;
        // Image captions: where it rests (centre x, y in -1..1, width) and the side it slides in from (-1 left,
        // 1 right, 0 none). Text captions: the offset from the camera (x, y, distance).
        float x = 0.0f;
        float y = 0.0f;
        float size = 0.0f;
        float side = 0.0f;
        // The tune marks its start (a bell, a stab): its start is held to a musical onset.
        bool music = false;
        Location at;
    };
    // The names the show's switches and fades may take (the reader refuses others, and every switch or fade of
    // a show that has none). Any() takes every name: for readers that want only the times.
    struct Vocabulary
    {
        std::vector<std::string> switches;
        std::vector<std::string> fades;
        bool any = false;

        static Vocabulary Any() { return {{}, {}, true}; }
    };

    // Limits: larger files and more entries are refused with a message.
    static constexpr size_t MaxBytes = 1024 * 1024;
    static constexpr size_t MaxEntries = 10000;
    static constexpr size_t MaxErrors = 10;
    // Seconds a time may take at most (longer shows do not exist; the limit keeps sums finite).
    static constexpr double MaxSeconds = 1.0e6;

    // Reads the text of the file named name (for the messages). pictureExists, when given, is asked about
    // every caption's picture. On errors, GetErrors lists them and the show is empty.
    k_ShowFile(std::string_view text, const std::string& name, const Vocabulary& vocabulary,
               const std::function<bool(const std::wstring&)>& pictureExists = nullptr);

    bool IsValid() const { return m_errors.empty(); }
    // "Show.txt:12:5: unknown word "captoin"; expected ..." lines, at most MaxErrors, in file order.
    const std::vector<std::string>& GetErrors() const { return m_errors; }

    double GetLength() const { return m_length; }
    const k_TempoMap& GetTempoMap() const { return m_tempo; }
    const std::vector<Section>& GetSections() const { return m_sections; }
    const std::vector<Cue>& GetCues() const { return m_cues; }
    const std::vector<Caption>& GetCaptions() const { return m_captions; }
    // Every instant of the timeline, ascending, once each: the sections' starts, the cues' starts and ends,
    // the captions' starts and the file's own "instant" lines.
    std::vector<double> GetInstants() const;
    // The section the time lies in (the last one past the show's end).
    const Section& SectionAt(double time) const;

    // The fade kinds' names in the file, by kind.
    static const char* FadeKindName(int kind);

private:
    class Parser;
    double m_length = 0.0;
    k_TempoMap m_tempo;
    std::vector<Section> m_sections;
    std::vector<Cue> m_cues;
    std::vector<Caption> m_captions;
    std::vector<double> m_instants;
    std::vector<std::string> m_errors;
};
