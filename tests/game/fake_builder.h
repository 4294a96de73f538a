// A stand-in for `korvel-cli egtb build DIR --pieces 5`, for the tests of making the
// endgame tables: a shell script that notes how it was started in `startedFile`,
// writes the first `tables` tables (sparse files of their sizes) with a progress line
// each, the egtb5.bit file when `withBit`, and then runs `then`.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/egtb.h"

namespace game_testing {

inline std::string writeFakeBuilder(const std::filesystem::path& path, const std::filesystem::path& startedFile,
                                    int tables, bool withBit, const std::string& then)
{
    std::string script = "#!/bin/sh\necho \"$(pwd) $*\" > '" + startedFile.string() + "'\n";
    for (int t = 0; t < tables && t < bitbaseTableCount; ++t) {
        const BitbaseTable& table = bitbaseTables[t];
        script += "truncate -s " + std::to_string(table.positions) + " \"$3/" + table.name + ".brg\"\n";
        script += "echo '" + std::string(table.name) + ": " + std::to_string(table.positions) + " positions; 0.01 s' >&2\n";
    }
    if (withBit) script += "truncate -s " + std::to_string(bitbaseSizeFivePieces) + " \"$3/egtb5.bit\"\n";
    script += then + "\n";
    std::ofstream(path, std::ios::binary) << script;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path.string();
}

} // namespace game_testing
