#include "support/k_GpuTestEngine.h"

#include "engine/k_FileSystem.h"
#include "graphics/k_ResourceFactory.h"

#include <epoxy/gl.h>
#include <atomic>
#include <fstream>
#include <unistd.h>

void k_GpuTestEngine::Graphics::CheckErrors()
{
    ++checks;
    while (glGetError() != GL_NO_ERROR)
        ++errors;
}

k_GpuTestEngine::k_GpuTestEngine(bool useDataPack)
{
    static std::atomic<int> counter{0};
    m_folder = std::filesystem::temp_directory_path() /
               ("orvelant-gpu-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(m_folder);
    std::filesystem::create_directories(m_folder);
    auto* fileSystem = new k_FileSystem(this);
    if (useDataPack)
        fileSystem->OpenDataPack(L"data.pak");
    else
        fileSystem->UseDirectory(m_folder.wstring());
    m_fileSystem = fileSystem;
    m_resourceFactory = new k_ResourceFactory(this);
    while (glGetError() != GL_NO_ERROR)
    {
    }
}

k_GpuTestEngine::~k_GpuTestEngine()
{
    delete m_resourceFactory;
    delete m_fileSystem;
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

void k_GpuTestEngine::WriteFile(const std::string& name, const std::string& bytes)
{
    const std::filesystem::path path = m_folder / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
