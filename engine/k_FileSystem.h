#pragma once
// The engine's assets as whole files in memory, from the zip archive beside
// the executable (pack mode) or from a folder beside it (directory mode).
// Names are matched without regard to letter case in both modes.
#include "interfaces/IFileSystem.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class IEngine;
class k_ZipArchive;

class k_FileSystem : public IFileSystem
{
public:
    // Starts out of pack mode, with the base folder set to the executable's folder.
    explicit k_FileSystem(IEngine* engine);
    // Resolves names against the given folder instead of the executable's.
    k_FileSystem(IEngine* engine, std::filesystem::path baseFolder);
    ~k_FileSystem() override;
    k_FileSystem(const k_FileSystem&) = delete;
    k_FileSystem& operator=(const k_FileSystem&) = delete;

    void UseDirectory(const std::wstring& folder) override;
    void OpenDataPack(const std::wstring& archiveName) override;
    IFile* OpenFile(const std::wstring& name) override;

    // Files larger than this (by their declared size in the pack) are refused before anything is allocated:
    // the largest asset, the tune, is a few megabytes, and the whole show must stay well within 256 MB.
    static constexpr std::uint64_t k_MaxFileBytes = 64u << 20;

    // The names (UTF-8, '/' between folders) of the files directly in a folder of the assets ("Sync"), from the
    // overlay folders and the pack or the directory of the mode, each once, ascending.
    std::vector<std::string> ListFolder(const std::string& folder);

    // The folder of the running executable, against which names are resolved.
    const std::filesystem::path& GetBaseFolder() const { return m_baseFolder; }

    // --- overlay folder ---
    // Serves files from the folder before the pack or the directory of the mode, so that a demo maker's
    // working copy of the assets is read instead of what was packed; names missing there come from the mode.
    // An empty path turns the overlay off.
    void SetOverlayFolder(const std::filesystem::path& folder) { m_overlayFolder = folder; }
    const std::filesystem::path& GetOverlayFolder() const { return m_overlayFolder; }
    // A second overlay, served after the first and before the pack: generated files made anew while the show
    // runs (the studio's caption pictures painted from the working copy's words). Empty: none.
    void SetPaintedFolder(const std::filesystem::path& folder) { m_paintedFolder = folder; }

private:
    IFile* OpenFromPack(const std::wstring& name);
    IFile* OpenFromDirectory(const std::wstring& name);
    IFile* OpenFromFolder(const std::filesystem::path& root, const std::wstring& name);

    IEngine* m_engine;
    bool m_packMode = false;
    std::unique_ptr<k_ZipArchive> m_archive;
    std::filesystem::path m_directoryRoot;
    std::filesystem::path m_baseFolder;
    std::filesystem::path m_overlayFolder;
    std::filesystem::path m_paintedFolder;
};
