// Where the program's data files are: the working folder first, as the program has
// always read them, then the data folder of an installed copy.
#pragma once

#include <string>

// The name itself when the file is in the working folder or nowhere else, otherwise
// its path in the data folder of the installed copy: beside the program (its
// prefix's share/korvel), else the folder the build was configured for.
std::string dataFilePath(const std::string& name);
const char* installedDataFolder();
// PREFIX/share/korvel for the program PREFIX/bin/NAME.
std::string dataFolderBeside(const std::string& executable);
