#include "platform/k_FileWatcher.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <sys/inotify.h>
#include <system_error>
#include <unistd.h>

namespace
{
constexpr uint32_t k_FolderEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE_SELF;
} // namespace

k_FileWatcher::k_FileWatcher(const std::filesystem::path& root) : m_root(root)
{
    std::error_code error;
    if (!std::filesystem::is_directory(root, error))
        return;
    m_descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_descriptor < 0)
        return;
    Watch(root, "");
    if (m_folders.empty())
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

void k_FileWatcher::Watch(const std::filesystem::path& folder, const std::string& relative)
{
    const int watch = inotify_add_watch(m_descriptor, folder.c_str(), k_FolderEvents | IN_ONLYDIR);
    if (watch < 0)
        return;
    m_folders[watch] = relative;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(folder, error))
        if (item.is_directory(error) && !item.is_symlink(error))
            Watch(item.path(), relative + item.path().filename().string() + "/");
}

std::vector<std::string> k_FileWatcher::Poll()
{
    std::vector<std::string> saved;
    if (m_descriptor < 0)
        return saved;
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
            auto folder = m_folders.find(event->wd);
            if (folder == m_folders.end())
                continue;
            if (event->mask & (IN_IGNORED | IN_DELETE_SELF))
            {
                if (event->mask & IN_IGNORED)
                    m_folders.erase(folder);
                continue;
            }
            if (event->len == 0)
                continue;
            const std::string name = folder->second + event->name;
            if (event->mask & IN_ISDIR)
            {
                // A new folder (made, or moved in): watch it, and what was saved in it before the watch began.
                if (event->mask & (IN_CREATE | IN_MOVED_TO))
                {
                    Watch(m_root / name, name + "/");
                    std::error_code error;
                    for (const auto& item : std::filesystem::recursive_directory_iterator(m_root / name, error))
                        if (item.is_regular_file(error))
                            saved.push_back(
                                name + "/" +
                                std::filesystem::relative(item.path(), m_root / name, error).generic_string());
                }
                continue;
            }
            if (event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO))
                saved.push_back(name);
        }
    }
    // Each name once, first saving first.
    std::vector<std::string> unique;
    for (const std::string& name : saved)
        if (std::find(unique.begin(), unique.end(), name) == unique.end())
            unique.push_back(name);
    return unique;
}
