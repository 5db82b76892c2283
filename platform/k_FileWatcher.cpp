#include "platform/k_FileWatcher.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace
{
// One mask for every watch: a folder of the tree may also hold the target of a link, and a second
// inotify_add_watch on the same folder replaces the mask of the first.
constexpr uint32_t k_FolderEvents =
    IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_DELETE_SELF | IN_ONLYDIR;

} // namespace

k_FileWatcher::k_FileWatcher(const std::filesystem::path& root) : m_root(root)
{
    std::error_code error;
    if (!std::filesystem::is_directory(root, error))
        return;
    m_descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_descriptor < 0)
        return;
    std::set<std::pair<uint64_t, uint64_t>> visited;
    Scan(root, "", m_known, visited);
    if (!m_rootWatched)
    {
        close(m_descriptor);
        m_descriptor = -1;
    }
}

k_FileWatcher::~k_FileWatcher()
{
    if (m_descriptor >= 0)
        close(m_descriptor);
}

bool k_FileWatcher::IsEditorTemporary(const std::string& name)
{
    // vim probes whether it may write a folder with "4913" (then other numbers), keeps "name~" backups and
    // ".name.swp" swap files (".swx" for its own probe, ".swo" ... for further ones); emacs writes "#name#"
    // and ".#name". No asset of a pack is named like that.
    if (name.empty())
        return true;
    if (std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return true;
    if (name.back() == '~' || name.starts_with(".#") || (name.size() > 1 && name.front() == '#' && name.back() == '#'))
        return true;
    // ".swp", ".swx", ".swo", ...
    if (name.front() == '.' && name.size() > 4 && name.compare(name.size() - 4, 3, ".sw") == 0)
        return true;
    // sed -i writes "sed" and six letters or digits; gedit ".goutputstream-XXXXXX"; JetBrains' editors
    // "name___jb_tmp___" and "name___jb_old___"; Kate its swap file ".name.kate-swp".
    if (name.size() == 9 && name.starts_with("sed") &&
        std::all_of(name.begin() + 3, name.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
        return true;
    return name.starts_with(".goutputstream-") || name.ends_with("___jb_tmp___") || name.ends_with("___jb_old___") ||
           name.ends_with(".kate-swp");
}

// --- watching the tree ---

void k_FileWatcher::Scan(const std::filesystem::path& folder, const std::string& relative, Files& files,
                         std::set<std::pair<uint64_t, uint64_t>>& visited)
{
    struct stat status
    {
    };
    if (stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return;
    // A link back up the tree is followed once.
    if (!visited.insert({static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)}).second)
        return;
    const int watch = inotify_add_watch(m_descriptor, folder.c_str(), k_FolderEvents);
    if (watch < 0)
        return;
    Watched& watched = m_watches[watch];
    if (!watched.folder)
    {
        watched.folder = true;
        watched.relative = relative;
    }
    if (relative.empty())
        m_rootWatched = true;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(folder, error))
    {
        const std::string name = item.path().filename().string();
        if (IsEditorTemporary(name))
            continue;
        std::error_code itemError;
        if (item.is_directory(itemError))
        {
            Scan(item.path(), relative + name + "/", files, visited);
            continue;
        }
        if (!item.is_regular_file(itemError))
            continue;
        if (item.is_symlink(itemError))
            WatchLinkedFile(item.path(), relative + name);
        struct stat file
        {
        };
        if (stat(item.path().c_str(), &file) == 0)
            files[relative + name] = {static_cast<int64_t>(file.st_mtim.tv_sec) * 1000000000 + file.st_mtim.tv_nsec,
                                      static_cast<uintmax_t>(file.st_size)};
    }
}

// A file linked into the tree changes where it lives: its folder is watched for its name.
void k_FileWatcher::WatchLinkedFile(const std::filesystem::path& link, const std::string& relative)
{
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(link, error);
    if (error)
        return;
    const int watch = inotify_add_watch(m_descriptor, target.parent_path().c_str(), k_FolderEvents);
    if (watch < 0)
        return;
    std::vector<std::string>& names = m_watches[watch].links[target.filename().string()];
    if (std::find(names.begin(), names.end(), relative) == names.end())
        names.push_back(relative);
}

void k_FileWatcher::Rescan(std::vector<std::string>& changed)
{
    Files now;
    std::set<std::pair<uint64_t, uint64_t>> visited;
    Scan(m_root, "", now, visited);
    for (const auto& [name, stamp] : now)
        if (auto known = m_known.find(name); known == m_known.end() || known->second != stamp)
            changed.push_back(name);
    for (const auto& [name, stamp] : m_known)
        if (!now.contains(name))
            changed.push_back(name);
    m_known = std::move(now);
}

void k_FileWatcher::Unwatch(const std::string& prefix)
{
    for (auto watch = m_watches.begin(); watch != m_watches.end();)
    {
        if (watch->second.folder && watch->second.relative.starts_with(prefix))
        {
            inotify_rm_watch(m_descriptor, watch->first);
            watch = m_watches.erase(watch);
        }
        else
        {
            ++watch;
        }
    }
}

void k_FileWatcher::Note(const std::string& relative)
{
    struct stat file
    {
    };
    if (stat((m_root / relative).c_str(), &file) == 0)
        m_known[relative] = {static_cast<int64_t>(file.st_mtim.tv_sec) * 1000000000 + file.st_mtim.tv_nsec,
                             static_cast<uintmax_t>(file.st_size)};
    else
        m_known.erase(relative);
}

// --- events ---

std::vector<std::string> k_FileWatcher::Poll()
{
    std::vector<std::string> changed;
    if (m_descriptor < 0)
        return changed;
    std::vector<std::string> gone;
    bool rescan = false;
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (;;)
    {
        const ssize_t got = read(m_descriptor, buffer, sizeof buffer);
        if (got <= 0)
            break; // EAGAIN: nothing more waits
        for (ssize_t offset = 0; offset < got;)
        {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW)
            {
                // Events were lost: what changed is found by comparing the tree with what was known.
                rescan = true;
                continue;
            }
            auto found = m_watches.find(event->wd);
            if (found == m_watches.end())
                continue;
            Watched& watched = found->second;
            if (event->mask & IN_IGNORED)
            {
                if (watched.folder && watched.relative.empty())
                    m_rootWatched = false; // the watched folder went; it is watched again when it comes back
                m_watches.erase(found);
                continue;
            }
            if ((event->mask & IN_DELETE_SELF) || event->len == 0)
                continue;
            const std::string name = event->name;
            if (IsEditorTemporary(name))
                continue;
            const bool leaving = event->mask & (IN_DELETE | IN_MOVED_FROM);
            const bool saved = event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO);
            if (auto link = watched.links.find(name); link != watched.links.end() && (leaving || saved))
                for (const std::string& relative : link->second)
                    (leaving ? gone : changed).push_back(relative);
            if (!watched.folder)
                continue;
            const std::string relative = watched.relative + name;
            const std::filesystem::path path = m_root / relative;
            std::error_code error;
            if ((event->mask & IN_ISDIR) && leaving)
            {
                // A folder moved away (or deleted): its watches would go on telling of files no longer in the
                // tree. They end, and its files are gone.
                Unwatch(relative + "/");
                for (const auto& [file, stamp] : m_known)
                    if (file.starts_with(relative + "/"))
                        gone.push_back(file);
                continue;
            }
            if (event->mask & IN_ISDIR)
            {
                // A new folder (made, or moved in): watch it, and what was saved in it before the watch began.
                if (event->mask & (IN_CREATE | IN_MOVED_TO))
                {
                    Files files;
                    std::set<std::pair<uint64_t, uint64_t>> visited;
                    Scan(path, relative + "/", files, visited);
                    for (const auto& [file, stamp] : files)
                        changed.push_back(file);
                }
                continue;
            }
            if ((event->mask & (IN_CREATE | IN_MOVED_TO)) && std::filesystem::is_symlink(path, error))
            {
                // A link made in the tree: to a folder, its tree is watched; to a file, the file where it lives.
                if (std::filesystem::is_directory(path, error))
                {
                    Files files;
                    std::set<std::pair<uint64_t, uint64_t>> visited;
                    Scan(path, relative + "/", files, visited);
                    for (const auto& [file, stamp] : files)
                        changed.push_back(file);
                }
                else if (std::filesystem::is_regular_file(path, error))
                {
                    WatchLinkedFile(path, relative);
                    changed.push_back(relative);
                }
                continue;
            }
            if (saved)
                changed.push_back(relative);
            else if (leaving)
                gone.push_back(relative);
        }
    }
    // The watched folder deleted and made again: watched anew, its files compared with what was known.
    std::error_code error;
    if (rescan || (!m_rootWatched && std::filesystem::is_directory(m_root, error)))
        Rescan(changed);
    // A file gone and not back changes too (the pack's version serves again), told when it is still gone at
    // the next poll: an editor that moves the old file away and then puts the new one in place may be seen
    // between the two, and the pack's version must not show meanwhile. One that is back was saved again (that
    // save is, or will be, seen on its own).
    for (const std::string& name : m_missing)
        if (!std::filesystem::exists(m_root / name, error))
            changed.push_back(name);
    m_missing.clear();
    for (const std::string& name : gone)
        if (!std::filesystem::exists(m_root / name, error) &&
            std::find(m_missing.begin(), m_missing.end(), name) == m_missing.end())
            m_missing.push_back(name);
    // Each name once, first change first.
    std::vector<std::string> unique;
    for (const std::string& name : changed)
        if (std::find(unique.begin(), unique.end(), name) == unique.end())
        {
            unique.push_back(name);
            Note(name);
        }
    return unique;
}
