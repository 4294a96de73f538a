// Where the program's data files are: the working folder first, as the program has
// always read them, then the user's data folder, then the data folder of an
// installed copy.
#pragma once

#include <string>

// The name itself when the file is in the working folder or nowhere else, otherwise
// its path in the user's data folder, else in the data folder of the installed copy:
// beside the program (its prefix's share/korvel), else the folder the build was
// configured for.
std::string dataFilePath(const std::string& name);
const char* installedDataFolder();
// PREFIX/share/korvel for the program PREFIX/bin/NAME.
std::string dataFolderBeside(const std::string& executable);

// The user's data folder, where an installed copy keeps what it writes:
// $XDG_DATA_HOME/korvel, else $HOME/.local/share/korvel (a relative XDG_DATA_HOME
// is ignored, as the XDG rules say); empty when neither gives a folder.
std::string userDataFolder();
std::string userDataFolderFor(const char* xdgDataHome, const char* home);

// The running program's own file; empty when it cannot be told.
std::string runningExecutable();
