#include "game/datafiles.h"

#include <filesystem>

#ifndef KORVEL_DATA_DIR
#define KORVEL_DATA_DIR "/usr/local/share/korvel"
#endif

const char* installedDataFolder() { return KORVEL_DATA_DIR; }

std::string dataFilePath(const std::string& name)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(name, ec)) return name;
    const fs::path installed = fs::path(KORVEL_DATA_DIR) / name;
    if (fs::exists(installed, ec)) return installed.string();
    return name;
}
