// Where the program's data files are: the working folder first, as the program has
// always read them, then the data folder of an installed copy.
#pragma once

#include <string>

// The name itself when the file is in the working folder or nowhere else, otherwise
// its path in the installed data folder.
std::string dataFilePath(const std::string& name);
const char* installedDataFolder();
