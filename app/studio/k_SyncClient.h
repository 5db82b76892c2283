#pragma once
// The studio as a sync editor's client: connects to the editor (and again whenever the connection is lost),
// greets it, asks for every track of the show by name, applies the keys the editor sets and deletes at once,
// hands the studio the editor's row and pause requests, tells the editor the row while the show plays, and
// writes the track files when the editor saves. A save never drops keys silently: a track file that holds keys
// is replaced by one without only after it was kept beside ("<file>.kept"), and the save says so. Polled once a frame;
// it never waits on the network. Anything the editor sends that the show could not take drops the connection with a log
// line; the keys stay.
#include "app/studio/k_SyncMessageReader.h"
#include "platform/k_TcpConnection.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class ISyncTracks;

class k_SyncClient
{
public:
    // The editors' port.
    static constexpr int DefaultPort = 1338;
    // Seconds between attempts to connect while there is no connection.
    static constexpr double RetrySeconds = 1.0;

    // Connects to host:port for the tracks given (not owned); SAVE_TRACKS writes the track files under
    // `saveFolder` with the base given ("Sync/show" gives "<saveFolder>/Sync/show_camera-3Ax.track").
    k_SyncClient(ISyncTracks* tracks, std::string host, int port, std::string saveFolder, std::string base);

    // What the editor asked of the show since the last poll.
    struct Requests
    {
        std::optional<int> row;    // move the show to this row
        std::optional<bool> pause; // pause (true) or play (false)
        bool keysChanged = false;  // keys were set or deleted
    };
    // Connects or reconnects when due (`now`: any steady clock in seconds), sends what is queued and reads
    // and applies what arrived.
    Requests Poll(double now);
    // Tells the editor the row the show is on (only when it changed, and only once connected), at the next poll.
    void SendRow(int row);

    bool IsConnected() const { return m_reader != nullptr && m_reader->IsGreeted(); }
    // "host:port", for messages.
    const std::string& GetAddress() const { return m_address; }
    // The files written by the last save, or the reason it failed.
    const std::string& GetLastSave() const { return m_lastSave; }
    // Whether a save wrote since the last call, and the keyed files it kept beside before emptying them.
    bool TakeSaved(std::vector<std::string>& kept);

private:
    void Drop(const std::string& reason);
    void OnGreeted();
    void Save();

    ISyncTracks* m_tracks;
    std::string m_host;
    int m_port;
    std::string m_address;
    std::string m_saveFolder;
    std::string m_base;
    k_TcpConnection m_connection;
    std::unique_ptr<k_SyncMessageReader> m_reader;
    std::optional<double> m_nextAttempt;
    int m_sentRow = -1;
    // Row requests waiting for the next poll.
    std::string m_rows;
    std::string m_lastSave;
    bool m_saved = false;
    std::vector<std::string> m_kept;
};
