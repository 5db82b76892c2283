#include "app/studio/k_SyncClient.h"

#include "app/studio/k_SyncDocument.h"
#include "engine/k_Log.h"
#include "engine/k_SyncTracks.h"
#include "interfaces/ISyncTracks.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

k_SyncClient::k_SyncClient(ISyncTracks* tracks, std::string host, int port, std::string saveFolder, std::string base)
    : m_tracks(tracks), m_host(std::move(host)), m_port(port), m_address(m_host + ":" + std::to_string(port)),
      m_saveFolder(std::move(saveFolder)), m_base(std::move(base))
{
}

void k_SyncClient::Drop(const std::string& reason)
{
    if (IsConnected())
        k_Log(k_Log::Colour::Error) << "Sync: " << reason << "; the connection to the editor at " << m_address
                                    << " is dropped and the show keeps its keys.";
    m_connection.Close();
    m_reader.reset();
}

k_SyncClient::Requests k_SyncClient::Poll(double now)
{
    Requests requests;
    if (m_connection.GetState() == k_TcpConnection::State::Closed)
    {
        if (m_nextAttempt && now < *m_nextAttempt)
            return requests;
        m_nextAttempt = now + RetrySeconds;
        m_reader.reset();
        if (!m_connection.Connect(m_host, m_port))
            return requests;
        m_reader = std::make_unique<k_SyncMessageReader>(m_tracks->GetTrackCount(), k_SyncTracks::MaxRow);
        m_sentRow = -1;
        m_rows.clear();
        m_connection.Send(k_SyncMessageReader::ClientGreeting);
    }
    // What arrived is read before anything is sent: an editor that sent its last message (a save) and closed
    // would answer a send with a reset, which loses what it sent.
    std::string received;
    if (m_connection.GetState() == k_TcpConnection::State::Open)
        received = m_connection.Receive();
    if (m_connection.Poll() == k_TcpConnection::State::Connecting)
        return requests;
    if (m_connection.GetState() == k_TcpConnection::State::Open)
        received += m_connection.Receive();
    if (received.empty() && m_connection.GetState() == k_TcpConnection::State::Closed)
    {
        Drop(m_connection.GetError());
        return requests;
    }
    const bool wasGreeted = m_reader->IsGreeted();
    std::vector<k_SyncMessageReader::Message> messages;
    const bool readable = m_reader->Feed(received, messages);
    if (!wasGreeted && m_reader->IsGreeted())
        OnGreeted();
    for (const k_SyncMessageReader::Message& message : messages)
    {
        switch (message.command)
        {
        case k_SyncMessageReader::SetKey:
            m_tracks->SetKey(message.track, {message.row, message.value, message.interpolation});
            requests.keysChanged = true;
            break;
        case k_SyncMessageReader::DeleteKey:
            m_tracks->DeleteKey(message.track, message.row);
            requests.keysChanged = true;
            break;
        case k_SyncMessageReader::SetRow:
            requests.row = message.row;
            m_sentRow = message.row;
            break;
        case k_SyncMessageReader::Pause:
            requests.pause = message.paused;
            break;
        case k_SyncMessageReader::SaveTracks:
            Save();
            break;
        default:
            break;
        }
    }
    if (readable && !m_rows.empty() && m_connection.GetState() == k_TcpConnection::State::Open)
    {
        m_connection.Send(m_rows);
        m_rows.clear();
    }
    if (!readable)
        Drop(m_reader->GetError());
    else if (m_connection.GetState() == k_TcpConnection::State::Closed)
        Drop(m_reader->IsMidMessage() ? "the editor closed the connection in the middle of a message"
                                      : "the editor closed the connection");
    return requests;
}

// Once the editor has answered, the tracks take its keys alone: each is emptied and asked for, in the order
// the show made them (the editor numbers them so).
void k_SyncClient::OnGreeted()
{
    k_Log() << "Sync: connected to the editor at " << m_address << ".";
    for (int track = 0; track < m_tracks->GetTrackCount(); ++track)
    {
        m_tracks->ClearKeys(track);
        m_connection.Send(k_SyncMessageReader::GetTrackRequest(m_tracks->GetTrackName(track)));
    }
}

void k_SyncClient::SendRow(int row)
{
    if (!IsConnected() || row == m_sentRow)
        return;
    m_sentRow = row;
    // Sent at the next poll, after what arrived was read.
    m_rows += k_SyncMessageReader::SetRowRequest(row);
}

bool k_SyncClient::TakeSaved(std::vector<std::string>& kept)
{
    kept = std::move(m_kept);
    m_kept.clear();
    const bool saved = m_saved;
    m_saved = false;
    return saved;
}

namespace
{
// The first free name beside the file for keeping it: "<file>.kept", then "<file>.kept-2" and on.
std::filesystem::path KeptName(const std::filesystem::path& path)
{
    std::filesystem::path kept = path.string() + ".kept";
    for (int n = 2; std::filesystem::exists(kept); ++n)
        kept = path.string() + ".kept-" + std::to_string(n);
    return kept;
}
} // namespace

// Each file is written beside its place and renamed over it, so a failed save leaves the old file whole. An
// editor that never had a track's keys (one started without the show's document) exports it empty: the keyed
// file is then kept beside under a name of its own before it is replaced.
void k_SyncClient::Save()
{
    namespace fs = std::filesystem;
    int saved = 0;
    for (int track = 0; track < m_tracks->GetTrackCount(); ++track)
    {
        const fs::path path = fs::path(m_saveFolder) / k_SyncTracks::FileName(m_base, m_tracks->GetTrackName(track));
        std::error_code error;
        if (m_tracks->GetKeys(track).empty() && fs::file_size(path, error) > 4 && !error)
        {
            const fs::path kept = KeptName(path);
            fs::copy_file(path, kept, error);
            if (error)
            {
                m_lastSave = "could not keep " + path.string() + " before emptying it; nothing more was saved";
                k_Log(k_Log::Colour::Error) << "Sync: " << m_lastSave << ".";
                return;
            }
            m_kept.push_back(kept.string());
            k_Log(k_Log::Colour::Error) << "Sync: the editor saved " << m_tracks->GetTrackName(track)
                                        << " without keys; its keys were kept in " << kept.string() << ".";
        }
        bool written = false;
        const std::string failure = k_SyncDocument::WriteIfChanged(path.string(), m_tracks->Encode(track), written);
        if (!failure.empty())
        {
            m_lastSave = "could not save " + path.string();
            k_Log(k_Log::Colour::Error) << "Sync: " << m_lastSave << ": " << failure << ".";
            return;
        }
        ++saved;
    }
    m_saved = true;
    m_lastSave =
        "saved " + std::to_string(saved) + " tracks as " + (fs::path(m_saveFolder) / m_base).string() + "_*.track";
    k_Log() << "Sync: " << m_lastSave << ".";
}
