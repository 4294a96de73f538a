// The trainer's progress: puzzles solved at the first try, solved, failed, the
// current streak of first-try solves and a rating that rises and falls with the
// puzzles' difficulty. Kept as a small text file in the user's data folder; a file
// that cannot be read, or is damaged, gives a fresh start.
#pragma once

#include <map>
#include <string>

enum class PuzzleResult { FirstTry, Solved, Failed };

struct PuzzleProgress {
    int firstTry = 0;
    int solved = 0;   // first-try solves included
    int failed = 0;
    int streak = 0;   // first-try solves in a row
    int rating = 1200;
    std::map<std::string, PuzzleResult> results; // by the puzzle's FEN: its best result

    // A finished attempt at a puzzle of the given difficulty points. The rating
    // moves only at a puzzle's first attempt: one solved again proves little.
    void record(const std::string& fen, int difficultyPoints, PuzzleResult result);
    bool tried(const std::string& fen) const { return results.count(fen) > 0; }
};

// The rating a puzzle of these difficulty points stands for.
int puzzleRating(int difficultyPoints);

std::string progressText(const PuzzleProgress& progress);
// A damaged text gives a fresh start.
PuzzleProgress parseProgress(const std::string& text);

// $XDG_DATA_HOME/korvel/puzzle-progress.txt, else ~/.local/share/korvel/...; empty
// when there is no such folder.
std::string progressFilePath();
PuzzleProgress loadProgress(const std::string& path);
// Written whole to a temporary file and renamed over the old one, so that a failed
// write leaves the old progress; false when it could not be written.
bool saveProgress(const std::string& path, const PuzzleProgress& progress);
