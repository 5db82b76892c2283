#pragma once
// One asset file held whole in memory, with a read cursor and reads that
// throw L"File integrity is broken." instead of running past the end.
#include "interfaces/IFile.h"

#include <cstdint>
#include <memory>

class IEngine;

class k_File : public IFile
{
public:
    // Takes ownership of size bytes at data; the cursor starts at the first byte.
    k_File(IEngine* engine, std::unique_ptr<unsigned char[]> data, std::int32_t size);
    ~k_File() override = default;
    k_File(const k_File&) = delete;
    k_File& operator=(const k_File&) = delete;

    unsigned char* GetData() override { return m_data.get(); }
    std::int32_t GetSize() override { return m_size; }
    void WriteToDisk(const std::wstring& path) override;
    std::string ReadString() override;
    float ReadFloat() override;
    std::int32_t ReadInt() override;
    std::vector<unsigned char> ReadBytes(std::int32_t count) override;
    void Rewind() override { m_cursor = m_data.get(); }
    unsigned char* GetPosition() override { return m_cursor; }
    void SetPosition(unsigned char* position) override;
    bool IsAtEnd() override { return m_cursor == m_data.get() + m_size; }

private:
    // Throws unless count bytes from the cursor lie within the data.
    void Check(std::int64_t count) const;
    // Reads the next 4 bytes as a little-endian 32-bit word.
    std::uint32_t ReadWord();

    IEngine* m_engine;
    std::unique_ptr<unsigned char[]> m_data;
    unsigned char* m_cursor;
    std::int32_t m_size;
};
