#include "platform/k_TcpConnection.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

k_TcpConnection::~k_TcpConnection()
{
    Close();
}

void k_TcpConnection::Close()
{
    if (m_socket >= 0)
        ::close(m_socket);
    m_socket = -1;
    m_state = State::Closed;
    m_outgoing.clear();
}

void k_TcpConnection::Fail(const std::string& reason)
{
    m_error = reason;
    Close();
}

bool k_TcpConnection::Connect(const std::string& host, int port)
{
    Close();
    m_error.clear();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int failed = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found); failed != 0)
    {
        Fail(host + ": " + ::gai_strerror(failed));
        return false;
    }
    for (const addrinfo* address = found; address != nullptr; address = address->ai_next)
    {
        m_socket =
            ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address->ai_protocol);
        if (m_socket < 0)
            continue;
        const int one = 1;
        ::setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (::connect(m_socket, address->ai_addr, address->ai_addrlen) == 0)
        {
            m_state = State::Open;
            break;
        }
        if (errno == EINPROGRESS)
        {
            m_state = State::Connecting;
            break;
        }
        m_error = std::strerror(errno);
        ::close(m_socket);
        m_socket = -1;
    }
    ::freeaddrinfo(found);
    if (m_socket < 0)
    {
        Fail(m_error.empty() ? "no address to connect to" : m_error);
        return false;
    }
    return true;
}

k_TcpConnection::State k_TcpConnection::Poll()
{
    if (m_state == State::Connecting)
    {
        pollfd ready{m_socket, POLLOUT, 0};
        if (::poll(&ready, 1, 0) <= 0)
            return m_state;
        int failure = 0;
        socklen_t size = sizeof failure;
        if (::getsockopt(m_socket, SOL_SOCKET, SO_ERROR, &failure, &size) != 0 || failure != 0)
        {
            Fail(std::strerror(failure != 0 ? failure : errno));
            return m_state;
        }
        m_state = State::Open;
    }
    Flush();
    return m_state;
}

void k_TcpConnection::Send(std::string_view bytes)
{
    if (m_state == State::Closed)
        return;
    m_outgoing.append(bytes);
    Flush();
}

void k_TcpConnection::Flush()
{
    while (m_state == State::Open && !m_outgoing.empty())
    {
        const ssize_t sent = ::send(m_socket, m_outgoing.data(), m_outgoing.size(), MSG_NOSIGNAL);
        if (sent < 0)
        {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                return;
            Fail(std::strerror(errno));
            return;
        }
        m_outgoing.erase(0, static_cast<size_t>(sent));
    }
}

std::string k_TcpConnection::Receive()
{
    // At most a megabyte a call, so an editor sending without pause cannot hold the frame.
    std::string received;
    while (m_state == State::Open && received.size() < (1u << 20))
    {
        char buffer[4096];
        const ssize_t got = ::recv(m_socket, buffer, sizeof buffer, 0);
        if (got > 0)
        {
            received.append(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got == 0)
            Fail("the other side closed the connection");
        else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            Fail(std::strerror(errno));
        break;
    }
    return received;
}
