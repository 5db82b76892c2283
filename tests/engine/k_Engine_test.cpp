#include "engine/k_Engine.h"
#include "interfaces/IFile.h"
#include "interfaces/IFileSystem.h"

#include <gtest/gtest.h>
#include <memory>

TEST(k_Engine, InitializeOpensTheDataPackBesideTheExecutable)
{
    k_Engine engine;
    ASSERT_NE(engine.GetFileSystem(), nullptr);
    EXPECT_FALSE(engine.IsQuitRequested());

    testing::internal::CaptureStdout();
    engine.Initialize();
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Initializing engine...\n"), std::string::npos);
    EXPECT_NE(log.find("Initializing file system with data file: data.pak\n"), std::string::npos);
    EXPECT_EQ(log.find("FAILED!"), std::string::npos);

    std::unique_ptr<IFile> file(engine.GetFileSystem()->OpenFile(L"Common/Pack.txt"));
    ASSERT_NE(file, nullptr);
    EXPECT_GT(file->GetSize(), 0);
}
