#include "engine/k_File.h"

#include "engine/k_Log.h"
#include "engine/k_Utf8.h"

#include <bit>
#include <cstdio>
#include <cstring>

namespace
{
const wchar_t* const k_IntegrityBroken = L"File integrity is broken.";
}

k_File::k_File(IEngine* engine, std::unique_ptr<unsigned char[]> data, std::int32_t size)
    : m_engine(engine), m_data(std::move(data)), m_cursor(m_data.get()), m_size(size)
{
}

// --- bounds ---

void k_File::Check(std::int64_t count) const
{
    // Compared as addresses: SetPosition may have moved the cursor anywhere.
    const auto first = reinterpret_cast<std::uintptr_t>(m_data.get());
    const auto end = first + static_cast<std::uintptr_t>(m_size);
    const auto cursor = reinterpret_cast<std::uintptr_t>(m_cursor);
    if (count < 0 || cursor < first || cursor > end || static_cast<std::uint64_t>(count) > end - cursor)
        throw k_IntegrityBroken;
}

void k_File::SetPosition(unsigned char* position)
{
    m_cursor = position;
    Check(0);
}

// --- reads ---

std::string k_File::ReadString()
{
    Check(1);
    const std::size_t left = static_cast<std::size_t>(m_data.get() + m_size - m_cursor);
    const void* zero = std::memchr(m_cursor, 0, left);
    if (!zero)
    {
        // No terminator before the end: the bytes up to the end are consumed.
        m_cursor += left;
        throw k_IntegrityBroken;
    }
    const auto length = static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - m_cursor);
    std::string text(reinterpret_cast<const char*>(m_cursor), length);
    m_cursor += length + 1;
    return text;
}

std::uint32_t k_File::ReadWord()
{
    Check(4);
    const std::uint32_t word = static_cast<std::uint32_t>(m_cursor[0]) | static_cast<std::uint32_t>(m_cursor[1]) << 8 |
                               static_cast<std::uint32_t>(m_cursor[2]) << 16 |
                               static_cast<std::uint32_t>(m_cursor[3]) << 24;
    m_cursor += 4;
    return word;
}

float k_File::ReadFloat()
{
    return std::bit_cast<float>(ReadWord());
}

std::int32_t k_File::ReadInt()
{
    return static_cast<std::int32_t>(ReadWord());
}

std::vector<unsigned char> k_File::ReadBytes(std::int32_t count)
{
    Check(count);
    std::vector<unsigned char> bytes(m_cursor, m_cursor + count);
    m_cursor += count;
    return bytes;
}

// --- writing ---

void k_File::WriteToDisk(const std::wstring& path)
{
    const std::string target = k_Utf8::ToUtf8(path);
    std::FILE* out = std::fopen(target.c_str(), "wb");
    if (!out)
    {
        k_Log(k_Log::Colour::Error) << "FILESYSTEM :: Cannot open " << path << " for writing";
        return;
    }
    const auto size = static_cast<std::size_t>(m_size);
    const bool written = std::fwrite(m_data.get(), 1, size, out) == size;
    if (std::fclose(out) != 0 || !written)
    {
        // A partial copy would pass for the real file: remove it.
        std::remove(target.c_str());
        k_Log(k_Log::Colour::Error) << "FILESYSTEM :: Cannot write " << path;
    }
}
