#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "game/datafiles.h"

namespace fs = std::filesystem;

TEST(DataFiles, WorkingFolderFirstThenTheInstalledFolder)
{
    char pattern[] = "/tmp/korvel-datafiles-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path dir = pattern;
    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    EXPECT_EQ(dataFilePath("no-such-file.ini"), "no-such-file.ini");
    std::ofstream("here.deb") << "x";
    EXPECT_EQ(dataFilePath("here.deb"), "here.deb");
    fs::current_path(previous);
    fs::remove_all(dir);
    EXPECT_STRNE(installedDataFolder(), "");
}

TEST(DataFiles, InstalledFolderFollowsTheProgramsPrefix)
{
    EXPECT_EQ(dataFolderBeside("/opt/korvel/bin/korvel"), "/opt/korvel/share/korvel");
    EXPECT_EQ(dataFolderBeside("/home/p/.local/bin/korvel"), "/home/p/.local/share/korvel");
}
