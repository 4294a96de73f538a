// Creating the windows, in the start-up order.
#pragma once

// Main window, time dialog, about box, settings dialog, clock window, principal
// variation window, move-choice dialog, book window, notation window,
// information window. The main window and the information window are shown.
void CreateWindows();
void DestroyWindows();
