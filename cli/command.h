// korvel-cli's commands: each source file registers its own, so that adding one
// touches no other file.
#pragma once

#include <string>
#include <vector>

using Args = std::vector<std::string>;

struct CliCommand {
    const char* name;
    const char* usage; // the arguments after the name, for the usage message
    int (*run)(const Args& args); // args after the name; returns the exit status
};

bool registerCommand(const CliCommand& command);

// Prints "usage: korvel-cli NAME USAGE" to standard error and returns 2.
int usageError(const char* name);

// Start-up as the program does it: initEngine, then finishStartup; reports a
// configuration error and returns false.
bool startEngine();

// The whole file; false when it cannot be read.
bool readFile(const std::string& path, std::string& bytes);

// A whole decimal number from low to high, nothing else in the text.
bool parseWholeNumber(const std::string& text, long low, long high, long& value);

// A 34-character position text; false when the argument is not one.
bool isPositionText(const std::string& text);
