// The search: alpha-beta below the root, the root driver, time control and reports.
#pragma once

#include <cstdint>

#include "engine/engine.h"

// Set by the time check, by a found win or loss and by user commands; the search
// returns as soon as it sees it.
extern bool stopRequested;
