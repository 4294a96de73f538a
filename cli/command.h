// korvel-cli's commands: each source file registers its own, so that adding one
// touches no other file; what a command's arguments are is told in the one help
// table (cli/help.cpp), from which the usage messages come too.
#pragma once

#include <string>
#include <vector>

using Args = std::vector<std::string>;

struct CliCommand {
    const char* name;
    int (*run)(const Args& args); // args after the name; returns the exit status
};

bool registerCommand(const CliCommand& command);

// The exit status of a call with wrong arguments.
constexpr int wrongArguments = 2;

// Prints "usage: korvel-cli NAME ARGUMENTS" (a command's alternatives joined by
// " | ") to standard error and returns 2.
int usageError(const char* name);

// The whole help on standard output (an empty name) or one command's; false for a
// name the table does not hold.
bool printHelp(const std::string& name);

// Start-up as the program does it: initEngine, then finishStartup; reports a
// configuration error and returns false.
bool startEngine();

// The whole file; false when it cannot be read.
bool readFile(const std::string& path, std::string& bytes);

// A whole decimal number from low to high, nothing else in the text.
bool parseWholeNumber(const std::string& text, long low, long high, long& value);

// A numeric argument: its name as it is written in the messages ("depth"), the noun
// of its range ("the depth"), the range and the unit of the range, if any.
struct NumberArgument {
    const char* name;
    const char* noun;
    long low;
    long high;
    const char* unit = "";
};
// --threads N: from 1 to the machine's logical processors.
NumberArgument threadsArgument();
// Reads the argument; otherwise says on standard error what was wrong and the range
// ("korvel-cli: depth 6 is out of range: the depth runs from 7 to 63") and returns
// false, upon which the command ends with status 2.
bool readNumber(const NumberArgument& argument, const std::string& text, long& value);

// A 34-character position text; false when the argument is not one.
bool isPositionText(const std::string& text);
// A position given as the 34-character text or as a FEN (W:Wa1,c1,Kg3:Bb8,h8), as the
// 34-character text; otherwise says on standard error that it is neither and returns
// false, upon which the command ends with status 2.
bool readPosition(const std::string& text, std::string& position);
