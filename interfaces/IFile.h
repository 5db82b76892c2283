#pragma once
// One asset file held whole in memory, with a read cursor. Every read is
// bounds-checked: a read past the end throws L"File integrity is broken."
// and leaves the cursor where it was. Files are made by IFileSystem::OpenFile.
#include <cstdint>
#include <string>
#include <vector>

class IFile
{
public:
    // Releases the file's bytes.
    virtual ~IFile() = default;

    // The first byte of the contents; the bytes stay owned by the file.
    virtual unsigned char* GetData() = 0;
    // The number of bytes in the file.
    virtual std::int32_t GetSize() = 0;
    // Writes all bytes to the path (UTF-8 on disk); writes nothing if the path cannot be opened.
    virtual void WriteToDisk(const std::wstring& path) = 0;
    // Reads up to and including the next 0 byte; returns the bytes before it.
    virtual std::string ReadString() = 0;
    // Reads the next 4 bytes as a little-endian IEEE single.
    virtual float ReadFloat() = 0;
    // Reads the next 4 bytes as a little-endian signed integer.
    virtual std::int32_t ReadInt() = 0;
    // Copies the next count bytes into a new array owned by the caller (empty for 0).
    virtual std::vector<unsigned char> ReadBytes(std::int32_t count) = 0;
    // Moves the cursor back to the first byte.
    virtual void Rewind() = 0;
    // The cursor: a pointer to the next byte to read (one past the last at the end).
    virtual unsigned char* GetPosition() = 0;
    // Moves the cursor to a pointer into the data, then throws if it lies outside [first, one past last].
    virtual void SetPosition(unsigned char* position) = 0;
    // True exactly when the cursor is one past the last byte.
    virtual bool IsAtEnd() = 0;
};
