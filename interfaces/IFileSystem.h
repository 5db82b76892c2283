#pragma once
// The engine's assets as whole files in memory: entries of the zip archive
// data.pak beside the executable (pack mode), or loose files in a folder
// beside it (directory mode). A missing file is not an error: OpenFile returns null.
#include <string>

class IFile;

class IFileSystem
{
public:
    // Closes the archive if one is open.
    virtual ~IFileSystem() = default;

    // Switches to directory mode, reading files from the executable's folder joined with the name.
    virtual void UseDirectory(const std::wstring& folder) = 0;
    // Switches to pack mode and opens the archive beside the executable; logs "FAILED!" if it cannot.
    virtual void OpenDataPack(const std::wstring& archiveName) = 0;
    // Reads the whole file; returns a new file owned by the caller, or null when missing or unreadable.
    virtual IFile* OpenFile(const std::wstring& name) = 0;
};
