// A scripted sync editor for the end-to-end check of the studio's client: it listens on a free loopback port
// (printed as "listening PORT"), then runs its arguments in order, printing "done WORD" after each:
//   accept NAME            take the demo, greet it and read its track requests until it has asked for NAME
//   go                     wait for a line on standard input
//   key NAME ROW VALUE T   set a key (T: 0 step, 1 linear, 2 smooth, 3 ramp) on the track named
//   row ROW | pause 0|1    move the demo to a row, pause or play it
//   save                   ask the demo to save its tracks
//   expect-row ROW         read the rows the demo tells until it tells this one
// and ends with status 0 when all went through, else 1 with the reason. Every read is bounded by two
// minutes.
#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace
{
int g_demo = -1;
std::vector<std::string> g_tracks;

[[noreturn]] void Fail(const std::string& reason)
{
    std::cout << "failed: " << reason << std::endl;
    std::exit(1);
}

void ReadExactly(char* into, size_t count)
{
    for (size_t got = 0; got < count;)
    {
        pollfd ready{g_demo, POLLIN, 0};
        if (::poll(&ready, 1, 120000) <= 0)
            Fail("the demo sent nothing for two minutes");
        const ssize_t n = ::recv(g_demo, into + got, count - got, 0);
        if (n <= 0)
            Fail("the demo closed the connection");
        got += static_cast<size_t>(n);
    }
}

void Send(const std::string& bytes)
{
    if (::send(g_demo, bytes.data(), bytes.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(bytes.size()))
        Fail(std::string("cannot send: ") + std::strerror(errno));
}

std::string Be32(uint32_t value)
{
    const uint32_t big = htonl(value);
    return std::string(reinterpret_cast<const char*>(&big), 4);
}

uint32_t Track(const std::string& name)
{
    for (size_t i = 0; i < g_tracks.size(); ++i)
        if (g_tracks[i] == name)
            return static_cast<uint32_t>(i);
    Fail("the demo never asked for the track " + name);
}

// Reads GET_TRACK requests until the one for the name given.
void ReadRequestsUntil(const std::string& name)
{
    while (g_tracks.empty() || g_tracks.back() != name)
    {
        char head[5];
        ReadExactly(head, 5);
        if (head[0] != 2)
            Fail("expected a track request, got the command " + std::to_string(head[0]));
        uint32_t length = 0;
        std::memcpy(&length, head + 1, 4);
        length = ntohl(length);
        if (length > 4096)
            Fail("a track name of " + std::to_string(length) + " bytes");
        std::string track(length, '\0');
        ReadExactly(track.data(), length);
        g_tracks.push_back(track);
    }
}

// Reads what the demo sends until it tells the row given (rows before it and track requests are passed over).
void ReadRowsUntil(uint32_t row)
{
    for (;;)
    {
        char head[5];
        ReadExactly(head, 5);
        uint32_t value = 0;
        std::memcpy(&value, head + 1, 4);
        value = ntohl(value);
        if (head[0] == 3 && value == row)
            return;
        if (head[0] == 2)
        {
            if (value > 4096)
                Fail("a track name of " + std::to_string(value) + " bytes");
            std::string track(value, '\0');
            ReadExactly(track.data(), value);
        }
        else if (head[0] != 3)
        {
            Fail("expected a row, got the command " + std::to_string(head[0]));
        }
    }
}
} // namespace

int main(int argc, char** argv)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 1) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        Fail(std::string("cannot listen: ") + std::strerror(errno));
    std::cout << "listening " << ntohs(address.sin_port) << std::endl;

    const std::vector<std::string> words(argv + 1, argv + argc);
    for (size_t i = 0; i < words.size(); ++i)
    {
        const std::string& word = words[i];
        const auto argument = [&](size_t n) -> const std::string& {
            if (i + n >= words.size())
                Fail(word + " needs more arguments");
            return words[i + n];
        };
        if (word == "accept")
        {
            pollfd ready{listener, POLLIN, 0};
            if (::poll(&ready, 1, 120000) <= 0)
                Fail("no demo connected for two minutes");
            g_demo = ::accept(listener, nullptr, nullptr);
            char greeting[19];
            ReadExactly(greeting, sizeof greeting);
            if (std::string(greeting, sizeof greeting) != "hello, synctracker!")
                Fail("the demo did not greet as a demo does");
            Send("hello, demo!");
            g_tracks.clear();
            ReadRequestsUntil(argument(1));
            i += 1;
        }
        else if (word == "go")
        {
            std::string line;
            if (!std::getline(std::cin, line))
                Fail("standard input ended");
        }
        else if (word == "key")
        {
            const float value = std::stof(argument(3));
            uint32_t bits = 0;
            std::memcpy(&bits, &value, 4);
            Send(std::string(1, '\0') + Be32(Track(argument(1))) +
                 Be32(static_cast<uint32_t>(std::stoul(argument(2)))) + Be32(bits) +
                 std::string(1, static_cast<char>(std::stoi(argument(4)))));
            i += 4;
        }
        else if (word == "row")
        {
            Send(std::string(1, '\3') + Be32(static_cast<uint32_t>(std::stoul(argument(1)))));
            i += 1;
        }
        else if (word == "pause")
        {
            Send(std::string(1, '\4') + std::string(1, argument(1) == "1" ? '\1' : '\0'));
            i += 1;
        }
        else if (word == "expect-row")
        {
            ReadRowsUntil(static_cast<uint32_t>(std::stoul(argument(1))));
            i += 1;
        }
        else if (word == "save")
        {
            Send(std::string(1, '\5'));
        }
        else
        {
            Fail("unknown word " + word);
        }
        std::cout << "done " << word << std::endl;
    }
    // Parting as an editor does: the demo gets an end after all that was sent, and what it sent and was not read
    // is read first, so the close is not a reset that could overtake the last message.
    if (g_demo >= 0)
    {
        ::shutdown(g_demo, SHUT_WR);
        char ignored[4096];
        for (pollfd ready{g_demo, POLLIN, 0}; ::poll(&ready, 1, 120000) > 0;)
            if (::recv(g_demo, ignored, sizeof ignored, 0) <= 0)
                break;
        ::close(g_demo);
    }
    ::close(listener);
    return 0;
}
