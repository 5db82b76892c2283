#pragma once
// Watches a folder and every folder below it with inotify and tells which
// files changed: saved (written and closed, or moved into place under their
// name, as editors that write a new file and rename it over the old one do)
// or gone (deleted or moved away, so the pack's version serves again).
// Folders made later are watched as they appear; folders and files reached
// through symbolic links are watched where they live. Editors' temporary
// files (vim's "4913" probe and ".swp"/".swx" files, "name~" backups, emacs's
// "#name#" and ".#name", sed -i's "sedXXXXXX", gedit's ".goutputstream-*",
// JetBrains' "*___jb_tmp___", Kate's ".kate-swp") are not changes. A file
// gone is told at the next poll if it is still gone (a save that moves the old
// file away first is one change). A folder moved out of the tree is no longer
// watched. When the kernel's event queue overflows, or the watched folder is
// deleted and made again, the tree is scanned and compared with what was
// known. Poll never waits.
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
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

    // The files changed since the last call (saved, or gone and not back), relative to the root with "/"
    // between folders, each once, in the order they first changed.
    std::vector<std::string> Poll();

    // Whether a file name (without its folder) is an editor's temporary file rather than an asset.
    static bool IsEditorTemporary(const std::string& name);

private:
    // What one inotify watch stands for: a folder of the tree (relative name, "" for the root) and the
    // files linked into the tree from it (the target's name -> the links' relative names).
    struct Watched
    {
        bool folder = false;
        std::string relative;
        std::map<std::string, std::vector<std::string>> links;
    };
    // A file's state as last seen: modification time (ns) and size.
    using Stamp = std::pair<int64_t, uintmax_t>;
    using Files = std::map<std::string, Stamp>;

    // Watches the folder and everything below it, following links, and notes every file found.
    void Scan(const std::filesystem::path& folder, const std::string& relative, Files& files,
              std::set<std::pair<uint64_t, uint64_t>>& visited);
    void WatchLinkedFile(const std::filesystem::path& link, const std::string& relative);
    // Scans the whole tree again and adds what differs from what was known (new, changed or gone files).
    void Rescan(std::vector<std::string>& changed);
    void Note(const std::string& relative);
    // Ends the watches of the folders whose relative names start with the prefix ("Common/").
    void Unwatch(const std::string& prefix);

    std::filesystem::path m_root;
    int m_descriptor = -1;
    bool m_rootWatched = false;
    std::map<int, Watched> m_watches;
    Files m_known;
    // Files gone at the last poll, told at this one if they are still gone.
    std::vector<std::string> m_missing;
};
