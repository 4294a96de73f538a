// A scripted user interface for the controller tests: message boxes and capture
// choices answered from a script and recorded, pauses recorded instead of slept,
// pumps, redraws and sounds counted.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/search.h"
#include "game/controlui.h"

namespace controller_testing {

struct ScriptedControlUi : ControlUi {
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<bool> yesNoAnswers;          // answered in order; No when empty
    std::deque<int> captureAnswers;         // answered in order; -1 when empty
    std::vector<std::vector<std::string>> captureDialogs;
    std::vector<int> pauses;
    std::map<InfoField, std::string> fields;
    std::vector<std::string> variations;
    std::vector<std::string> statuses;
    std::map<MenuItem, bool> checked;
    std::map<MenuItem, bool> enabled;
    std::vector<GameMode> modeItems;
    std::vector<bool> setupPanel;
    int pumps = 0;
    int redraws = 0;
    int clicks = 0;
    int moveSounds = 0;
    int geometryChanges = 0;
    int clockUpdates = 0;
    int quits = 0;
    // Run inside the next pump, as a window command would arrive during a search.
    std::function<void()> onPump;
    // The main window handles waiting messages when it draws the board.
    bool pumpOnRedraw = false;

    void showMessage(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string& text) override
    {
        questions.push_back(text);
        if (yesNoAnswers.empty()) return false;
        const bool a = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return a;
    }
    void redrawBoard() override
    {
        ++redraws;
        if (pumpOnRedraw) pumpMessages();
    }
    void pause(int ms) override { pauses.push_back(ms); }
    void checkModeItem(GameMode mode) override { modeItems.push_back(mode); }
    int chooseCapture(const std::vector<std::string>& lines) override
    {
        captureDialogs.push_back(lines);
        if (captureAnswers.empty()) return -1;
        const int a = captureAnswers.front();
        captureAnswers.pop_front();
        return a;
    }
    void setInfoField(InfoField f, const std::string& t) override { fields[f] = t; }
    void showVariation(const std::string& t) override { variations.push_back(t); }
    void pumpMessages() override
    {
        ++pumps;
        if (onPump) {
            auto action = std::move(onPump);
            onPump = nullptr;
            action();
        }
    }
    void checkMenuItem(MenuItem item, bool on) override { checked[item] = on; }
    void showStatus(const std::string& text) override { statuses.push_back(text); }
    void enableMenuItem(MenuItem item, bool on) override { enabled[item] = on; }
    void playClickSound() override { ++clicks; }
    void playMoveSound() override { ++moveSounds; }
    void applyWindowGeometry() override { ++geometryChanges; }
    void showSetupPanel(bool shown) override { setupPanel.push_back(shown); }
    void clocksChanged() override { ++clockUpdates; }
    void quitProgram() override { ++quits; }
};

inline void startEngineOnce()
{
    static bool started = false;
    if (!started) {
        initEngine();
        finishStartup();
        started = true;
    }
}

} // namespace controller_testing
