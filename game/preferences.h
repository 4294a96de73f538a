// The user's choices that outlive the program: the level, the settings dialog's switches
// and threads,
// the board's design, marks, rotation and size, the sound, thinking on the opponent's
// time, the draw rules and the time control. The windows keep them in a settings file
// as text under these keys; the game reads and applies them here, so that a damaged or
// hand-edited value falls back to its default without a window.
#pragma once

#include <map>
#include <string>
#include <vector>

using PreferenceMap = std::map<std::string, std::string>;

// The choices in force, every key present.
PreferenceMap currentPreferences();
// Puts every choice in force: a key's value when it is valid, its default when it is
// missing or not valid. Reloads the opening library when its file changed. Returns the
// keys whose stored value was refused.
std::vector<std::string> applyPreferences(const PreferenceMap& stored);
// Every choice back to the program's default.
void resetPreferences();
