#include "app/studio/k_StudioSources.h"

#include <filesystem>
#include <system_error>

namespace
{
k_StudioSources& Storage()
{
    static k_StudioSources sources;
    return sources;
}
} // namespace

bool k_StudioSources::Register(k_StudioSources sources)
{
    Storage() = std::move(sources);
    return true;
}

const k_StudioSources& k_StudioSources::Registered()
{
    return Storage();
}

k_StudioSources::Choice k_StudioSources::DefaultAssets(const std::string& runningFolder) const
{
    if (assets.empty() || programFolder.empty())
        return {{}, "its build named no assets folder"};
    std::error_code error;
    if (runningFolder.empty() || !std::filesystem::equivalent(runningFolder, programFolder, error) || error)
        return {{}, "it does not run from its build folder " + programFolder};
    if (!std::filesystem::is_directory(assets, error))
        return {{}, "its assets folder " + assets + " is not there"};
    return {assets, {}};
}
