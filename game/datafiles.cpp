#include "game/datafiles.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifndef KORVEL_DATA_DIR
#define KORVEL_DATA_DIR "/usr/local/share/korvel"
#endif

namespace fs = std::filesystem;

const char* installedDataFolder() { return KORVEL_DATA_DIR; }

std::string dataFolderBeside(const std::string& executable)
{
    return (fs::path(executable).parent_path().parent_path() / "share" / "korvel").string();
}

std::string userDataFolderFor(const char* xdgDataHome, const char* home)
{
    if (xdgDataHome && fs::path(xdgDataHome).is_absolute()) return (fs::path(xdgDataHome) / "korvel").string();
    if (home && *home) return (fs::path(home) / ".local" / "share" / "korvel").string();
    return {};
}

std::string userDataFolder() { return userDataFolderFor(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")); }

// So that a copy installed under another prefix than the one it was built for still
// finds its data.
std::string runningExecutable()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

std::string dataFilePath(const std::string& name)
{
    std::error_code ec;
    if (fs::exists(name, ec)) return name;
    const std::string executable = runningExecutable();
    for (const std::string& folder : {userDataFolder(), executable.empty() ? std::string() : dataFolderBeside(executable),
                                      std::string(KORVEL_DATA_DIR)}) {
        if (folder.empty()) continue;
        const fs::path found = fs::path(folder) / name;
        if (fs::exists(found, ec)) return found.string();
    }
    return name;
}
