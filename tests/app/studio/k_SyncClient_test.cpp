#include "app/studio/k_SyncClient.h"
#include "app/studio/k_SyncMessageReader.h"
#include "engine/k_SyncTracks.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
// A sync editor of the test's own over loopback: it listens, takes one demo at a time, and reads and writes
// the protocol's bytes. Every wait polls the demo's client in between (the client never blocks), bounded
// generously so a loaded machine only makes it slower.
class TestEditor
{
public:
    explicit TestEditor(k_SyncClient*& client, double& now) : m_client(client), m_now(now)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int one = 1;
        ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        EXPECT_EQ(::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(m_listener, 4), 0);
        socklen_t size = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
    }
    ~TestEditor()
    {
        Hang();
        ::close(m_listener);
    }

    // Polls the client until the condition holds; false after the bound.
    bool Until(const std::function<bool()>& done)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!done())
        {
            if (std::chrono::steady_clock::now() > end)
                return false;
            requests.push_back(m_client->Poll(m_now));
            pollfd wait{m_demo >= 0 ? m_demo : m_listener, POLLIN, 0};
            ::poll(&wait, 1, 5);
        }
        return true;
    }
    bool Accept()
    {
        return Until([this] {
            pollfd ready{m_listener, POLLIN, 0};
            if (::poll(&ready, 1, 0) > 0)
                m_demo = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            return m_demo >= 0;
        });
    }
    // Reads exactly `count` bytes from the demo.
    std::string Read(size_t count)
    {
        std::string bytes;
        Until([&] {
            pollfd ready{m_demo, POLLIN, 0};
            if (::poll(&ready, 1, 0) > 0)
            {
                char buffer[256];
                const ssize_t got = ::recv(m_demo, buffer, std::min(sizeof buffer, count - bytes.size()), 0);
                if (got <= 0)
                    return true;
                bytes.append(buffer, static_cast<size_t>(got));
            }
            return bytes.size() >= count;
        });
        return bytes;
    }
    void Send(const std::string& bytes)
    {
        EXPECT_EQ(::send(m_demo, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    void Hang()
    {
        if (m_demo >= 0)
            ::close(m_demo);
        m_demo = -1;
    }
    // Takes the demo: greeting both ways, then its requests for the tracks, returned.
    std::string Greet(size_t requestBytes)
    {
        if (!Accept())
            return "no connection";
        const std::string greeting = Read(k_SyncMessageReader::ClientGreeting.size());
        if (greeting != k_SyncMessageReader::ClientGreeting)
            return "greeted with " + greeting;
        Send(std::string(k_SyncMessageReader::ServerGreeting));
        return Read(requestBytes);
    }

    int port = 0;
    std::vector<k_SyncClient::Requests> requests;

private:
    k_SyncClient*& m_client;
    double& m_now;
    int m_listener = -1;
    int m_demo = -1;
};

std::string Be32(uint32_t value)
{
    const uint32_t big = htonl(value);
    return std::string(reinterpret_cast<const char*>(&big), 4);
}

std::string SetKey(uint32_t track, uint32_t row, float value, char interpolation)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    return std::string(1, '\0') + Be32(track) + Be32(row) + Be32(bits) + std::string(1, interpolation);
}
} // namespace

// The whole conversation with an editor: the handshake and the tracks asked for in the show's order (their keys
// from the pack given up for the editor's), keys set and deleted at once, the editor's row and pause handed to
// the studio, the studio's row sent once per change, the tracks saved as files, and a new connection after the
// editor went away; a bad message or a connection cut mid-message drops it with the keys kept.
TEST(SyncClient, SpeaksTheEditorsProtocolAndReconnects)
{
    k_SyncTracks tracks;
    const int a = tracks.GetTrack("camera:x");
    const int b = tracks.GetTrack("hdr:exposure");
    tracks.SetKey(a, {8, 3.0f, ISyncTracks::Step}); // as read from the pack
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("sync_client_" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);

    double now = 100.0;
    k_SyncClient* client = nullptr;
    TestEditor editor(client, now);
    k_SyncClient real(&tracks, "127.0.0.1", editor.port, folder.string(), "Sync/show");
    client = &real;
    const std::string asked =
        k_SyncMessageReader::GetTrackRequest("camera:x") + k_SyncMessageReader::GetTrackRequest("hdr:exposure");
    ASSERT_EQ(editor.Greet(asked.size()), asked);
    ASSERT_TRUE(editor.Until([&] { return client->IsConnected(); }));
    EXPECT_TRUE(tracks.GetKeys(a).empty());

    editor.Send(SetKey(1, 16, 2.5f, 1) + SetKey(1, 32, 4.0f, 0) + std::string(1, '\1') + Be32(1) + Be32(16) +
                std::string(1, '\3') + Be32(64) + std::string("\4\1", 2));
    ASSERT_TRUE(editor.Until([&] { return editor.requests.back().pause.has_value(); }));
    ASSERT_EQ(tracks.GetKeys(b).size(), 1u);
    EXPECT_EQ(tracks.GetKeys(b)[0].row, 32);
    EXPECT_EQ(tracks.GetKeys(b)[0].value, 4.0f);
    EXPECT_TRUE(*editor.requests.back().pause);
    EXPECT_EQ(editor.requests.back().row, 64);
    EXPECT_TRUE(editor.requests.back().keysChanged);

    // The row the editor set is not sent back; each new row once.
    client->SendRow(64);
    client->SendRow(65);
    client->SendRow(65);
    client->SendRow(66);
    EXPECT_EQ(editor.Read(10), std::string(1, '\3') + Be32(65) + std::string(1, '\3') + Be32(66));

    editor.Send(std::string(1, '\5'));
    const std::filesystem::path saved = folder / "Sync/show_hdr-3Aexposure.track";
    ASSERT_TRUE(editor.Until([&] { return std::filesystem::exists(saved); }));
    std::ifstream file(saved, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, tracks.Encode(b));
    EXPECT_TRUE(std::filesystem::exists(folder / "Sync/show_camera-3Ax.track"));

    // The editor goes away: the keys stay; a second later the client is back and asks again.
    editor.Hang();
    ASSERT_TRUE(editor.Until([&] { return !client->IsConnected(); }));
    EXPECT_EQ(tracks.GetKeys(b).size(), 1u);
    now += k_SyncClient::RetrySeconds;
    ASSERT_EQ(editor.Greet(asked.size()), asked);
    ASSERT_TRUE(editor.Until([&] { return client->IsConnected(); }));
    editor.Send(SetKey(0, 4, 1.0f, 0));
    ASSERT_TRUE(editor.Until([&] { return tracks.GetKeys(a).size() == 1; }));

    // Bad messages drop the connection; the show keeps the keys it has.
    for (const std::string& bad : {SetKey(7, 4, 1.0f, 0), SetKey(0, 4, 1.0f, 9), SetKey(0, 4, 1.0f, 1).substr(0, 6)})
    {
        editor.Send(bad);
        if (bad.size() < 14)
            editor.Hang(); // cut in the middle of the message
        ASSERT_TRUE(editor.Until([&] { return !client->IsConnected(); }));
        EXPECT_EQ(tracks.GetKeys(a).size(), 1u);
        editor.Hang();
        now += k_SyncClient::RetrySeconds;
        ASSERT_EQ(editor.Greet(asked.size()), asked);
        ASSERT_TRUE(editor.Until([&] { return client->IsConnected(); }));
        editor.Send(SetKey(0, 4, 1.0f, 0));
        ASSERT_TRUE(editor.Until([&] { return tracks.GetKeys(a).size() == 1; }));
    }
    std::filesystem::remove_all(folder);
}

// An editor started without the show's keys exports its tracks empty: the keyed file is kept beside before it
// is emptied, the save says which, and a later save of the already empty track keeps nothing more.
TEST(SyncClient, AnEmptyExportKeepsTheKeyedFileBeside)
{
    k_SyncTracks tracks;
    const int a = tracks.GetTrack("camera:x");
    tracks.SetKey(a, {8, 3.0f, ISyncTracks::Step});
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("sync_kept_" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "Sync");
    const std::filesystem::path file = folder / "Sync/show_camera-3Ax.track";
    const std::string keyed = tracks.Encode(a);
    std::ofstream(file, std::ios::binary) << keyed;

    double now = 100.0;
    k_SyncClient* client = nullptr;
    TestEditor editor(client, now);
    k_SyncClient real(&tracks, "127.0.0.1", editor.port, folder.string(), "Sync/show");
    client = &real;
    const std::string asked = k_SyncMessageReader::GetTrackRequest("camera:x");
    ASSERT_EQ(editor.Greet(asked.size()), asked);
    ASSERT_TRUE(editor.Until([&] { return client->IsConnected(); }));
    std::vector<std::string> kept;
    auto read = [](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    for (int save = 0; save < 2; ++save)
    {
        editor.Send(std::string(1, '\5'));
        ASSERT_TRUE(editor.Until([&] { return client->TakeSaved(kept); }));
        EXPECT_EQ(read(file), tracks.Encode(a)) << save; // the editor's (empty) keys
        EXPECT_EQ(kept.size(), save == 0 ? 1u : 0u) << save;
    }
    ASSERT_EQ(kept.size(), 0u);
    EXPECT_EQ(read(folder / "Sync/show_camera-3Ax.track.kept"), keyed);
    EXPECT_FALSE(std::filesystem::exists(folder / "Sync/show_camera-3Ax.track.kept-2"));
    std::filesystem::remove_all(folder);
}
