#include "app/studio/k_SyncMessageReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
uint32_t BigEndian32(std::string_view bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

void PutBigEndian32(std::string& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFFu));
}
} // namespace

k_SyncMessageReader::k_SyncMessageReader(int trackCount, int maxRow) : m_trackCount(trackCount), m_maxRow(maxRow) {}

bool k_SyncMessageReader::Fail(std::string reason)
{
    m_error = std::move(reason);
    m_pending.clear();
    return false;
}

bool k_SyncMessageReader::Feed(std::string_view bytes, std::vector<Message>& messages)
{
    if (!m_error.empty())
        return false;
    m_pending.append(bytes);
    if (!m_greeted)
    {
        const size_t have = std::min(m_pending.size(), ServerGreeting.size());
        if (std::string_view(m_pending).substr(0, have) != ServerGreeting.substr(0, have))
            return Fail("the editor did not greet as a sync editor does");
        if (have < ServerGreeting.size())
            return true;
        m_pending.erase(0, ServerGreeting.size());
        m_greeted = true;
    }
    size_t used = 0;
    while (used < m_pending.size())
    {
        const int length = ReadOne(std::string_view(m_pending).substr(used), messages);
        if (length < 0)
            return false;
        if (length == 0)
            break;
        used += static_cast<size_t>(length);
    }
    m_pending.erase(0, used);
    return true;
}

int k_SyncMessageReader::ReadOne(std::string_view bytes, std::vector<Message>& messages)
{
    const auto command = static_cast<unsigned char>(bytes[0]);
    size_t length = 0;
    switch (command)
    {
    case SetKey:
        length = 14;
        break;
    case DeleteKey:
        length = 9;
        break;
    case SetRow:
        length = 5;
        break;
    case Pause:
        length = 2;
        break;
    case SaveTracks:
        length = 1;
        break;
    default:
        Fail("the editor sent the unknown command " + std::to_string(command));
        return -1;
    }
    if (bytes.size() < length)
        return 0;

    Message message;
    message.command = static_cast<Command>(command);
    if (command == SetKey || command == DeleteKey)
    {
        const uint32_t track = BigEndian32(bytes, 1);
        if (track >= static_cast<uint32_t>(m_trackCount))
        {
            Fail("the editor named track " + std::to_string(track) + " of the " + std::to_string(m_trackCount) +
                 " the show asked for");
            return -1;
        }
        message.track = static_cast<int>(track);
    }
    if (command == SetKey || command == DeleteKey || command == SetRow)
    {
        const uint32_t row = BigEndian32(bytes, command == SetRow ? 1 : 5);
        if (row > static_cast<uint32_t>(m_maxRow))
        {
            Fail("the editor sent row " + std::to_string(row) + ", beyond the last row " + std::to_string(m_maxRow));
            return -1;
        }
        message.row = static_cast<int>(row);
    }
    if (command == SetKey)
    {
        const uint32_t bits = BigEndian32(bytes, 9);
        std::memcpy(&message.value, &bits, sizeof message.value);
        if (!std::isfinite(message.value))
        {
            Fail("the editor sent a key value that is not a finite number");
            return -1;
        }
        message.interpolation = static_cast<unsigned char>(bytes[13]);
        if (message.interpolation > 3)
        {
            Fail("the editor sent the unknown interpolation " + std::to_string(message.interpolation));
            return -1;
        }
    }
    if (command == Pause)
        message.paused = bytes[1] != 0;
    messages.push_back(message);
    return static_cast<int>(length);
}

std::string k_SyncMessageReader::GetTrackRequest(std::string_view name)
{
    std::string bytes(1, static_cast<char>(GetTrack));
    PutBigEndian32(bytes, static_cast<uint32_t>(name.size()));
    bytes.append(name);
    return bytes;
}

std::string k_SyncMessageReader::SetRowRequest(int row)
{
    std::string bytes(1, static_cast<char>(SetRow));
    PutBigEndian32(bytes, static_cast<uint32_t>(row < 0 ? 0 : row));
    return bytes;
}
