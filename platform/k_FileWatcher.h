#pragma once
// Watches a folder and every folder below it with inotify and tells which
// files were saved: written and closed, or moved into place under their name
// (editors that write a new file and rename it over the old one). Folders made
// later are watched as they appear. Poll never waits.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

class k_FileWatcher
{
public:
    // Starts watching; IsWatching says whether the folder could be watched.
    explicit k_FileWatcher(const std::filesystem::path& root);
    ~k_FileWatcher();
    k_FileWatcher(const k_FileWatcher&) = delete;
    k_FileWatcher& operator=(const k_FileWatcher&) = delete;

    bool IsWatching() const { return m_descriptor >= 0; }
    const std::filesystem::path& GetRoot() const { return m_root; }

    // The files saved since the last call, relative to the root with "/" between folders, each once, in the
    // order they were first saved.
    std::vector<std::string> Poll();

private:
    void Watch(const std::filesystem::path& folder, const std::string& relative);

    std::filesystem::path m_root;
    int m_descriptor = -1;
    std::map<int, std::string> m_folders; // watch descriptor -> folder relative to the root ("" for the root)
};
