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

TEST(DataFiles, UserDataFolderFollowsTheXdgRules)
{
    EXPECT_EQ(userDataFolderFor("/data/u", "/home/u"), "/data/u/korvel");
    EXPECT_EQ(userDataFolderFor(nullptr, "/home/u"), "/home/u/.local/share/korvel");
    EXPECT_EQ(userDataFolderFor("", "/home/u"), "/home/u/.local/share/korvel");
    EXPECT_EQ(userDataFolderFor("relative/data", "/home/u"), "/home/u/.local/share/korvel");
    EXPECT_EQ(userDataFolderFor(nullptr, ""), "");
    EXPECT_EQ(userDataFolderFor(nullptr, nullptr), "");
}

TEST(DataFiles, TheUsersFolderComesAfterTheWorkingFolder)
{
    char pattern[] = "/tmp/korvel-datafiles-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path dir = pattern;
    fs::create_directories(dir / "work");
    fs::create_directories(dir / "xdg" / "korvel");
    std::ofstream(dir / "xdg" / "korvel" / "korvel.ini") << "hashsize=16\n";
    std::ofstream(dir / "xdg" / "korvel" / "MyBase.deb") << "x";
    const fs::path previous = fs::current_path();
    fs::current_path(dir / "work");
    ASSERT_EQ(setenv("XDG_DATA_HOME", (dir / "xdg").c_str(), 1), 0);
    EXPECT_EQ(userDataFolder(), (dir / "xdg" / "korvel").string());
    EXPECT_EQ(dataFilePath("korvel.ini"), (dir / "xdg" / "korvel" / "korvel.ini").string());
    EXPECT_EQ(dataFilePath("MyBase.deb"), (dir / "xdg" / "korvel" / "MyBase.deb").string());
    std::ofstream("korvel.ini") << "hashsize=32\n";
    EXPECT_EQ(dataFilePath("korvel.ini"), "korvel.ini");
    unsetenv("XDG_DATA_HOME");
    fs::current_path(previous);
    fs::remove_all(dir);
}
