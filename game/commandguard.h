// No exception leaves a window command: what a menu item, a board event, a timer tick
// or a dialog throws is reported in a message box and the program goes on.
#pragma once

#include <functional>

// Runs the command; an exception it lets out is shown to the user. An engine turn it
// tore down mid-search is wound up as an aborted one: the game position is put back
// and the engine no longer counts as thinking.
void RunGuarded(const std::function<void()>& command);
