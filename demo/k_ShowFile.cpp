#include "demo/k_ShowFile.h"

#include "engine/k_Utf8.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace
{
// The fade kinds in the order k_TextEvent counts them.
constexpr const char* k_FadeKinds[] = {"none", "alpha", "anim-end", "slide", "slide-out"};

struct Token
{
    std::string text;
    int column = 0;
    // The column just after the word (its closing quote too), counted in characters as column is.
    int endColumn = 0;
    bool quoted = false;
};

struct Line
{
    int number = 0;
    std::vector<Token> tokens;
};

// A time as written: seconds, or a bar and beat resolved once the tempo map is known.
struct TimeWord
{
    bool musical = false;
    double seconds = 0.0;
    int bar = 0;
    double beat = 1.0;
    int column = 0;
};

// The length of a valid UTF-8 sequence starting at text[i], or 0.
size_t Utf8Length(std::string_view text, size_t i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, code = lead & 0x1Fu;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, code = lead & 0x0Fu;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, code = lead & 0x07u;
    else
        return 0;
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k)
    {
        if ((byte(i + k) & 0xC0u) != 0x80u)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3Fu);
    }
    // Overlong forms, surrogates and code points past U+10FFFF.
    if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

std::string Quote(const std::string& text)
{
    std::string shown = text.size() > 40 ? text.substr(0, 40) + "..." : text;
    return "\"" + shown + "\"";
}
} // namespace

// --- the parser ---

class k_ShowFile::Parser
{
public:
    Parser(k_ShowFile& show, const std::string& name, const Vocabulary& vocabulary,
           const std::function<bool(const std::wstring&)>& pictureExists)
        : m_show(show), m_name(name), m_vocabulary(vocabulary), m_pictureExists(pictureExists)
    {
    }

    void Read(std::string_view text);

private:
    // Records an error at a line and column; false, so that a caller can return it.
    bool Error(int line, int column, const std::string& message)
    {
        if (m_show.m_errors.size() < MaxErrors)
            m_show.m_errors.push_back(m_name + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " +
                                      message);
        return false;
    }
    bool Split(std::string_view text);
    bool Tokenise(std::string_view line, int number, Line& out);
    void ReadTempo(const Line& line);
    void ReadEntry(const Line& line);
    bool Finish(int lastLine);

    // Words of one entry, taken in order.
    struct Words
    {
        const Line& line;
        size_t next = 1;
        const Token* Peek() const { return next < line.tokens.size() ? &line.tokens[next] : nullptr; }
        const Token* Take() { return next < line.tokens.size() ? &line.tokens[next++] : nullptr; }
        int EndColumn() const { return line.tokens.back().endColumn; }
    };
    // Each reads one word or reports what was expected instead.
    const Token* Expect(Words& words, const char* what);
    std::optional<double> Number(Words& words, const char* what, double low, double high);
    std::optional<int> Integer(Words& words, const char* what, int low, int high);
    std::optional<TimeWord> Time(Words& words, const char* what);
    std::optional<double> Resolve(const TimeWord& time, int line);
    bool End(Words& words);

    k_ShowFile& m_show;
    std::string m_name;
    const Vocabulary& m_vocabulary;
    const std::function<bool(const std::wstring&)>& m_pictureExists;
    std::vector<Line> m_lines;
    std::vector<k_TempoMap::Anchor> m_anchors;
    // Where each anchor's tempo entry stands.
    std::vector<Location> m_anchorsAt;
    bool m_hasLength = false;
    Location m_lengthAt;
};

const Token* k_ShowFile::Parser::Expect(Words& words, const char* what)
{
    const Token* token = words.Take();
    if (!token)
        Error(words.line.number, words.EndColumn(), std::string("the line ends; expected ") + what);
    return token;
}

std::optional<double> k_ShowFile::Parser::Number(Words& words, const char* what, double low, double high)
{
    const Token* token = Expect(words, what);
    if (!token)
        return std::nullopt;
    double value = 0.0;
    const char* begin = token->text.data();
    const char* end = begin + token->text.size();
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (token->quoted || error != std::errc() || stop != end)
    {
        Error(words.line.number, token->column, Quote(token->text) + " is not a number; expected " + what);
        return std::nullopt;
    }
    if (!std::isfinite(value))
    {
        Error(words.line.number, token->column, Quote(token->text) + " is not a finite number; expected " + what);
        return std::nullopt;
    }
    if (value < low || value > high)
    {
        char range[96];
        std::snprintf(range, sizeof range, " from %g to %g", low, high);
        Error(words.line.number, token->column, Quote(token->text) + " is out of range; expected " + what + range);
        return std::nullopt;
    }
    return value;
}

std::optional<int> k_ShowFile::Parser::Integer(Words& words, const char* what, int low, int high)
{
    const Token* token = Expect(words, what);
    if (!token)
        return std::nullopt;
    int value = 0;
    const char* begin = token->text.data();
    const char* end = begin + token->text.size();
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (token->quoted || error != std::errc() || stop != end || value < low || value > high)
    {
        Error(words.line.number, token->column,
              Quote(token->text) + " is not " + what + " (a whole number from " + std::to_string(low) + " to " +
                  std::to_string(high) + ")");
        return std::nullopt;
    }
    return value;
}

std::optional<TimeWord> k_ShowFile::Parser::Time(Words& words, const char* what)
{
    const Token* token = Expect(words, what);
    if (!token)
        return std::nullopt;
    TimeWord time;
    time.column = token->column;
    const std::string& text = token->text;
    const char* begin = text.data();
    const char* end = begin + text.size();
    const size_t colon = text.find(':');
    const std::string expected = "; expected " + std::string(what) + " in seconds (76.6) or as bar:beat (39:1)";
    if (token->quoted)
    {
        Error(words.line.number, token->column, Quote(text) + " is quoted" + expected);
        return std::nullopt;
    }
    if (colon == std::string::npos)
    {
        const auto [stop, error] = std::from_chars(begin, end, time.seconds);
        if (error != std::errc() || stop != end)
        {
            Error(words.line.number, token->column, Quote(text) + " is not a time" + expected);
            return std::nullopt;
        }
        if (!std::isfinite(time.seconds))
        {
            Error(words.line.number, token->column, Quote(text) + " is not a finite number" + expected);
            return std::nullopt;
        }
        if (time.seconds < 0.0 || time.seconds > MaxSeconds)
        {
            Error(words.line.number, token->column, Quote(text) + " lies outside the show (0 to 1e6 s)" + expected);
            return std::nullopt;
        }
        return time;
    }
    time.musical = true;
    const auto [barStop, barError] = std::from_chars(begin, begin + colon, time.bar);
    const auto [beatStop, beatError] = std::from_chars(begin + colon + 1, end, time.beat);
    if (barError != std::errc() || barStop != begin + colon || beatError != std::errc() || beatStop != end ||
        !std::isfinite(time.beat) || time.bar < -100000 || time.bar > 100000)
    {
        Error(words.line.number, token->column, Quote(text) + " is not a bar:beat" + expected);
        return std::nullopt;
    }
    return time;
}

bool k_ShowFile::Parser::End(Words& words)
{
    if (const Token* extra = words.Peek())
        return Error(words.line.number, extra->column, Quote(extra->text) + " is one word too many; the entry ends");
    return true;
}

// The time in seconds, once the tempo map is known.
std::optional<double> k_ShowFile::Parser::Resolve(const TimeWord& time, int line)
{
    if (!time.musical)
        return time.seconds;
    const k_TempoMap& tempo = m_show.m_tempo;
    const double downbeat = tempo.GetTimeOf(time.bar, 1.0);
    const int beats = tempo.GetBeatsPerBar(downbeat);
    if (time.beat < 1.0 || time.beat >= beats + 1.0)
    {
        Error(line, time.column,
              "beat " + Quote(std::to_string(time.beat).substr(0, 6)) + " is not in bar " + std::to_string(time.bar) +
                  "; expected a beat from 1 to below " + std::to_string(beats + 1));
        return std::nullopt;
    }
    const double seconds = tempo.GetTimeOf(time.bar, time.beat);
    if (!std::isfinite(seconds) || seconds < 0.0 || seconds > MaxSeconds)
    {
        Error(line, time.column, "bar " + std::to_string(time.bar) + " lies outside the show (0 to 1e6 s)");
        return std::nullopt;
    }
    return seconds;
}

// --- lines and words ---

bool k_ShowFile::Parser::Split(std::string_view text)
{
    if (text.size() > MaxBytes)
        return Error(1, 1,
                     "the file has " + std::to_string(text.size()) + " bytes; a show file has at most " +
                         std::to_string(MaxBytes));
    size_t start = 0;
    // A byte-order mark is not part of the first line.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        start = 3;
    int number = 0;
    size_t entries = 0;
    // Lines end in LF, CR LF or a lone CR (an old Mac editor's).
    while (start <= text.size())
    {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        ++number;
        const std::string_view line = text.substr(start, end - start);
        Line tokens;
        if (!Tokenise(line, number, tokens))
            return false;
        if (!tokens.tokens.empty())
        {
            if (++entries > MaxEntries)
                return Error(number, 1, "more than " + std::to_string(MaxEntries) + " entries in one show file");
            m_lines.push_back(std::move(tokens));
        }
        if (end == text.size())
            break;
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return true;
}

bool k_ShowFile::Parser::Tokenise(std::string_view line, int number, Line& out)
{
    out.number = number;
    int column = 1;
    size_t i = 0;
    // Columns count characters, not bytes.
    auto advance = [&]() -> bool {
        const size_t length = Utf8Length(line, i);
        if (length == 0)
            return Error(number, column, "the text is not valid UTF-8");
        i += length;
        ++column;
        return true;
    };
    while (i < line.size())
    {
        const char c = line[i];
        if (c == '\0')
            return Error(number, column, "a NUL byte; a show file is text");
        if (c == ' ' || c == '\t')
        {
            ++i;
            ++column;
            continue;
        }
        if (c == '#')
        {
            // The rest is a comment, but it must be text all the same.
            while (i < line.size())
                if (!advance())
                    return false;
            break;
        }
        Token token;
        token.column = column;
        if (c == '"')
        {
            token.quoted = true;
            ++i;
            ++column;
            bool closed = false;
            while (i < line.size())
            {
                if (line[i] == '"')
                {
                    ++i;
                    ++column;
                    closed = true;
                    break;
                }
                if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\'))
                {
                    token.text += line[i + 1];
                    i += 2;
                    column += 2;
                    continue;
                }
                if (line[i] == '\0')
                    return Error(number, column, "a NUL byte; a show file is text");
                const size_t at = i;
                if (!advance())
                    return false;
                token.text.append(line.substr(at, i - at));
            }
            if (!closed)
                return Error(number, token.column, "the quoted text is not closed; expected a \" before the line ends");
        }
        else
        {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '#')
            {
                if (line[i] == '\0')
                    return Error(number, column, "a NUL byte; a show file is text");
                const size_t at = i;
                if (!advance())
                    return false;
                token.text.append(line.substr(at, i - at));
            }
        }
        token.endColumn = column;
        out.tokens.push_back(std::move(token));
    }
    return true;
}

// --- entries ---

void k_ShowFile::Parser::ReadTempo(const Line& line)
{
    Words words{line};
    k_TempoMap::Anchor anchor;
    const std::optional<int> bar = Integer(words, "the bar the tempo starts at", -100000, 100000);
    if (!bar)
        return;
    const std::optional<double> time = Number(words, "the bar's time in seconds", -MaxSeconds, MaxSeconds);
    if (!time)
        return;
    anchor.bar = *bar;
    anchor.time = *time;
    while (const Token* option = words.Take())
    {
        if (option->text == "beats" && !option->quoted)
        {
            const std::optional<int> beats = Integer(words, "beats in a bar", 1, 64);
            if (!beats)
                return;
            anchor.beatsPerBar = *beats;
        }
        else if (option->text == "bpm" && !option->quoted)
        {
            const std::optional<double> bpm = Number(words, "beats a minute", 1.0, 1000.0);
            if (!bpm)
                return;
            anchor.beatsPerMinute = *bpm;
        }
        else
        {
            Error(line.number, option->column, "unknown word " + Quote(option->text) + "; expected beats or bpm");
            return;
        }
    }
    if (!m_anchors.empty())
    {
        const k_TempoMap::Anchor& previous = m_anchors.back();
        if (anchor.bar <= previous.bar || !(anchor.time > previous.time))
        {
            Error(line.number, line.tokens[1].column, "a tempo line goes after the one before it in bars and time");
            return;
        }
        if (previous.beatsPerMinute != 0.0)
        {
            Error(line.number, 1, "only the last tempo line gives bpm; the tempo up to the next one follows from it");
            return;
        }
    }
    m_anchors.push_back(anchor);
    m_anchorsAt.push_back({line.number, line.tokens.front().column});
}

void k_ShowFile::Parser::ReadEntry(const Line& line)
{
    const Token& word = line.tokens.front();
    Words words{line};
    const Location at{line.number, word.column};
    if (word.quoted)
    {
        Error(line.number, word.column, "an entry starts with a word, not a quoted text");
        return;
    }
    if (word.text == "tempo")
        return; // read before the rest
    if (word.text == "length")
    {
        const std::optional<TimeWord> length = Time(words, "the show's length");
        if (!length || !End(words))
            return;
        if (m_hasLength)
        {
            Error(line.number, word.column, "a second length line; the show has one length");
            return;
        }
        const std::optional<double> seconds = Resolve(*length, line.number);
        if (!seconds)
            return;
        if (*seconds <= 0.0)
        {
            Error(line.number, length->column, "the show's length is more than 0 s");
            return;
        }
        m_show.m_length = *seconds;
        m_hasLength = true;
        m_lengthAt = at;
        return;
    }
    if (word.text == "section")
    {
        const Token* name = Expect(words, "the section's name");
        if (!name)
            return;
        const std::optional<TimeWord> start = Time(words, "the section's start");
        if (!start || !End(words))
            return;
        const std::optional<double> seconds = Resolve(*start, line.number);
        if (!seconds)
            return;
        std::vector<Section>& sections = m_show.m_sections;
        if (sections.empty() && *seconds != 0.0)
        {
            Error(line.number, start->column, "the first section starts at 0");
            return;
        }
        if (!sections.empty() && !(*seconds > sections.back().start))
        {
            Error(line.number, start->column, "a section starts after the one before it");
            return;
        }
        for (const Section& section : sections)
            if (section.name == name->text)
            {
                Error(line.number, name->column, "a second section named " + Quote(name->text));
                return;
            }
        sections.push_back({name->text, *seconds, 0.0});
        return;
    }
    if (word.text == "switch" || word.text == "fade")
    {
        Cue cue;
        cue.fade = word.text == "fade";
        cue.at = at;
        cue.afterCaptions = m_show.m_captions.size();
        const Token* name = Expect(words, cue.fade ? "the fade's name" : "the switch's name");
        if (!name)
            return;
        const std::vector<std::string>& known = cue.fade ? m_vocabulary.fades : m_vocabulary.switches;
        if (!m_vocabulary.any && std::find(known.begin(), known.end(), name->text) == known.end())
        {
            std::string list = known.empty() ? std::string("none: the show has no ") + (cue.fade ? "fades" : "switches")
                                             : std::string();
            for (size_t i = 0; i < known.size(); ++i)
                list += (i == 0 ? "" : (i + 1 == known.size() ? " or " : ", ")) + known[i];
            Error(line.number, name->column,
                  std::string("unknown ") + (cue.fade ? "fade " : "switch ") + Quote(name->text) + "; expected " +
                      list);
            return;
        }
        cue.name = name->text;
        const std::optional<TimeWord> start = Time(words, cue.fade ? "the fade's start" : "the switch's time");
        if (!start)
            return;
        std::optional<TimeWord> end = start;
        if (cue.fade)
            end = Time(words, "the fade's end");
        if (!end)
            return;
        if (const Token* flag = words.Peek(); flag && !flag->quoted && flag->text == "music")
        {
            cue.music = true;
            words.Take();
        }
        if (!End(words))
            return;
        // A switch's one time is resolved (and, when wrong, reported) once.
        const std::optional<double> startSeconds = Resolve(*start, line.number);
        if (!startSeconds)
            return;
        const std::optional<double> endSeconds = cue.fade ? Resolve(*end, line.number) : startSeconds;
        if (!endSeconds)
            return;
        if (*endSeconds < *startSeconds)
        {
            Error(line.number, end->column, "the fade ends before it starts");
            return;
        }
        cue.start = *startSeconds;
        cue.end = *endSeconds;
        m_show.m_cues.push_back(cue);
        return;
    }
    if (word.text == "caption" || word.text == "text")
    {
        Caption caption;
        caption.at = at;
        const bool text = word.text == "text";
        if (text)
        {
            const Token* font = Expect(words, "the font's name");
            if (!font)
                return;
            const Token* said = Expect(words, "the words, in quotes");
            if (!said)
                return;
            if (said->text.empty())
            {
                Error(line.number, said->column, "a text caption has words");
                return;
            }
            caption.font = k_Utf8::FromUtf8(font->text);
            caption.at = {line.number, font->column};
            caption.text = said->text;
        }
        else
        {
            const Token* picture = Expect(words, "the caption's picture in the pack");
            if (!picture)
                return;
            caption.picture = k_Utf8::FromUtf8(picture->text);
            caption.at = {line.number, picture->column};
            if (caption.picture.empty() || (m_pictureExists && !m_pictureExists(caption.picture)))
            {
                Error(line.number, picture->column,
                      "the picture " + Quote(picture->text) + " is not in the pack; expected a picture's name");
                return;
            }
        }
        const std::optional<TimeWord> start = Time(words, "the caption's start");
        if (!start)
            return;
        const std::optional<double> duration = Number(words, "the caption's duration in seconds", 0.0, MaxSeconds);
        if (!duration)
            return;
        bool placed = false;
        while (const Token* option = words.Take())
        {
            const std::string& key = option->quoted ? std::string() : option->text;
            if (key == "in" || key == "out")
            {
                const Token* kind = Expect(words, "the fade's kind");
                if (!kind)
                    return;
                const auto* found = std::find_if(std::begin(k_FadeKinds), std::end(k_FadeKinds),
                                                 [&](const char* name) { return kind->text == name; });
                if (found == std::end(k_FadeKinds))
                {
                    Error(line.number, kind->column,
                          "unknown fade " + Quote(kind->text) + "; expected none, alpha, anim-end, slide or slide-out");
                    return;
                }
                const std::optional<double> seconds = Number(words, "the fade's seconds", 0.0, MaxSeconds);
                if (!seconds)
                    return;
                Fade& fade = key == "in" ? caption.fadeIn : caption.fadeOut;
                fade.kind = static_cast<int>(found - std::begin(k_FadeKinds));
                fade.seconds = static_cast<float>(*seconds);
            }
            else if (key == "at")
            {
                const std::optional<double> x = Number(words, "the x of its place", -100.0, 100.0);
                if (!x)
                    return;
                const std::optional<double> y = Number(words, "the y of its place", -100.0, 100.0);
                if (!y)
                    return;
                const std::optional<double> size =
                    Number(words, text ? "its distance from the camera" : "its width", text ? -1e4 : 0.0, 1e4);
                if (!size)
                    return;
                caption.x = static_cast<float>(*x);
                caption.y = static_cast<float>(*y);
                caption.size = static_cast<float>(*size);
                placed = true;
            }
            else if (key == "from" && !text)
            {
                const Token* side = Expect(words, "the side it slides in from");
                if (!side)
                    return;
                if (side->text == "left")
                    caption.side = -1.0f;
                else if (side->text == "right")
                    caption.side = 1.0f;
                else if (side->text == "none")
                    caption.side = 0.0f;
                else
                {
                    Error(line.number, side->column,
                          "unknown side " + Quote(side->text) + "; expected left, right or none");
                    return;
                }
            }
            else if (key == "music")
            {
                caption.music = true;
            }
            else
            {
                Error(line.number, option->column,
                      "unknown word " + Quote(option->text) +
                          (text ? "; expected in, out, at or music" : "; expected in, out, at, from or music"));
                return;
            }
        }
        if (!placed && !text)
        {
            Error(line.number, words.EndColumn(), "the line ends; expected \"at X Y WIDTH\", where the caption rests");
            return;
        }
        const std::optional<double> seconds = Resolve(*start, line.number);
        if (!seconds)
            return;
        caption.start = *seconds;
        caption.duration = *duration;
        m_show.m_captions.push_back(caption);
        return;
    }
    if (word.text == "instant")
    {
        const std::optional<TimeWord> time = Time(words, "the instant");
        if (!time || !End(words))
            return;
        if (const std::optional<double> seconds = Resolve(*time, line.number))
            m_show.m_instants.push_back(*seconds);
        return;
    }
    Error(line.number, word.column,
          "unknown word " + Quote(word.text) +
              "; expected length, tempo, section, switch, fade, caption, text or instant");
}

// --- the whole file ---

void k_ShowFile::Parser::Read(std::string_view text)
{
    if (!Split(text))
        return;
    // The tempo map first: the other entries' bar:beat times are read through it.
    for (const Line& line : m_lines)
        if (!line.tokens.front().quoted && line.tokens.front().text == "tempo")
            ReadTempo(line);
    if (!m_show.m_errors.empty())
        return;
    if (m_anchors.empty())
    {
        Error(1, 1, "no tempo line; expected \"tempo BAR SECONDS [beats N] [bpm N]\" for the tune's tempo map");
        return;
    }
    size_t faultAt = 0;
    const std::string tempoFault = k_TempoMap::Check(m_anchors, &faultAt);
    if (!tempoFault.empty())
    {
        const Location& at = m_anchorsAt[std::min(faultAt, m_anchorsAt.size() - 1)];
        Error(at.line, at.column, tempoFault);
        return;
    }
    m_show.m_tempo = k_TempoMap(m_anchors);
    for (const Line& line : m_lines)
        ReadEntry(line);
    if (!m_show.m_errors.empty())
        return;
    const int lastLine = m_lines.empty() ? 1 : m_lines.back().number;
    Finish(lastLine);
}

bool k_ShowFile::Parser::Finish(int lastLine)
{
    if (!m_hasLength)
        return Error(lastLine, 1, "no length line; expected \"length SECONDS\", the show's length");
    std::vector<Section>& sections = m_show.m_sections;
    if (sections.empty())
        return Error(lastLine, 1, "no section line; expected \"section NAME START\" at 0 at least");
    if (!(sections.back().start < m_show.m_length))
        return Error(m_lengthAt.line, m_lengthAt.column, "the show ends after its last section starts");
    for (size_t i = 0; i < sections.size(); ++i)
        sections[i].end = i + 1 < sections.size() ? sections[i + 1].start : m_show.m_length;
    return true;
}

// --- the show ---

k_ShowFile::k_ShowFile(std::string_view text, const std::string& name, const Vocabulary& vocabulary,
                       const std::function<bool(const std::wstring&)>& pictureExists)
{
    Parser parser(*this, name, vocabulary, pictureExists);
    parser.Read(text);
    if (!m_errors.empty())
    {
        m_length = 0.0;
        m_tempo = k_TempoMap();
        m_sections.clear();
        m_cues.clear();
        m_captions.clear();
        m_instants.clear();
    }
}

std::vector<double> k_ShowFile::GetInstants() const
{
    std::vector<double> instants = m_instants;
    for (const Section& section : m_sections)
        instants.push_back(section.start);
    for (const Cue& cue : m_cues)
        instants.insert(instants.end(), {cue.start, cue.end});
    for (const Caption& caption : m_captions)
        instants.push_back(caption.start);
    std::sort(instants.begin(), instants.end());
    instants.erase(std::unique(instants.begin(), instants.end()), instants.end());
    return instants;
}

const k_ShowFile::Section& k_ShowFile::SectionAt(double time) const
{
    static const Section none{"", 0.0, 0.0};
    if (m_sections.empty())
        return none;
    for (size_t i = m_sections.size(); i-- > 0;)
        if (time >= m_sections[i].start)
            return m_sections[i];
    return m_sections.front();
}

const char* k_ShowFile::FadeKindName(int kind)
{
    return kind >= 0 && kind < static_cast<int>(std::size(k_FadeKinds)) ? k_FadeKinds[kind] : "none";
}
