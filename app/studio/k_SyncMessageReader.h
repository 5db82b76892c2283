#pragma once
// Reads what a sync editor sends a demo: its greeting, then commands of one byte followed by big-endian
// fields (SET_KEY: track, row, value as a 32-bit float, interpolation; DELETE_KEY: track, row; SET_ROW: row;
// PAUSE: a flag; SAVE_TRACKS: nothing). Bytes arrive as the network gives them, in pieces of any size; a
// command is handed out once all of it is there. Anything the show could not take (an unknown command, a
// track the demo never asked for, a row beyond any show, a value that is not a finite number, an unknown
// interpolation) stops the reader with the reason: the connection is to be dropped.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class k_SyncMessageReader
{
public:
    // The greetings of the editor's protocol: the demo's, then the editor's answer.
    static constexpr std::string_view ClientGreeting = "hello, synctracker!";
    static constexpr std::string_view ServerGreeting = "hello, demo!";
    // The command bytes.
    enum Command : uint8_t
    {
        SetKey = 0,
        DeleteKey = 1,
        GetTrack = 2,
        SetRow = 3,
        Pause = 4,
        SaveTracks = 5,
    };
    struct Message
    {
        Command command = SetKey;
        int track = 0;
        int row = 0;
        float value = 0.0f;
        int interpolation = 0;
        bool paused = false;
    };

    // Tracks are 0 to trackCount - 1 (the order the demo asked for them); rows 0 to maxRow.
    k_SyncMessageReader(int trackCount, int maxRow);

    // Takes the bytes received and appends the commands they complete to `messages`; false (with Error set)
    // once something was wrong, after which nothing more is read.
    bool Feed(std::string_view bytes, std::vector<Message>& messages);
    // Whether the editor's greeting has been read.
    bool IsGreeted() const { return m_greeted; }
    // Whether a command (or the greeting) has begun and not ended: a connection closed now was cut mid-message.
    bool IsMidMessage() const { return !m_pending.empty(); }
    const std::string& GetError() const { return m_error; }
    // The bytes a request for a track by name takes (GET_TRACK, the name's length, the name).
    static std::string GetTrackRequest(std::string_view name);
    // The bytes telling the editor the row the demo is on (SET_ROW).
    static std::string SetRowRequest(int row);

private:
    // Reads one whole command from the front of the bytes: its length, 0 when not all of it is there yet, or
    // -1 on an error.
    int ReadOne(std::string_view bytes, std::vector<Message>& messages);
    bool Fail(std::string reason);

    int m_trackCount;
    int m_maxRow;
    bool m_greeted = false;
    std::string m_pending;
    std::string m_error;
};
