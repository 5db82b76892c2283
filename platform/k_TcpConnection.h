#pragma once
// A TCP connection to a server that never blocks the caller: the connect runs in the background and is asked
// about with Poll, bytes to send are queued and written as the socket takes them, and Receive returns what
// has arrived so far. Made for being polled once a frame.
#include <string>
#include <string_view>

class k_TcpConnection
{
public:
    enum class State
    {
        Closed,     // never opened, failed, or closed
        Connecting, // the connect is under way
        Open,
    };

    k_TcpConnection() = default;
    ~k_TcpConnection();
    k_TcpConnection(const k_TcpConnection&) = delete;
    k_TcpConnection& operator=(const k_TcpConnection&) = delete;

    // Starts connecting to a numeric IPv4 or IPv6 address or a host name (looked up now, which may take a
    // moment for a name that is not in /etc/hosts) and port. False, with the reason in GetError, when it
    // cannot even start.
    bool Connect(const std::string& host, int port);
    // Moves the connect on and writes what is queued; the state after.
    State Poll();
    // Queues bytes to send (written by Poll and Send itself as the socket takes them).
    void Send(std::string_view bytes);
    // The bytes received since the last call. When the server closed the connection or it failed, the state
    // turns Closed (the bytes that came before are still returned).
    std::string Receive();
    void Close();

    State GetState() const { return m_state; }
    const std::string& GetError() const { return m_error; }

private:
    void Flush();
    void Fail(const std::string& reason);

    int m_socket = -1;
    State m_state = State::Closed;
    std::string m_outgoing;
    std::string m_error;
};
