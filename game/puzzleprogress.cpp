#include "game/puzzleprogress.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "game/datafiles.h"
#include "game/filewriting.h"

namespace {

constexpr char header[] = "# Korvel: progress in solving combinations";
constexpr int ratingStep = 32; // the most a single puzzle moves the rating

const char* resultName(PuzzleResult r)
{
    switch (r) {
    case PuzzleResult::FirstTry: return "first";
    case PuzzleResult::Solved: return "solved";
    case PuzzleResult::Failed: return "failed";
    }
    return "";
}

bool resultOfName(const std::string& name, PuzzleResult& r)
{
    for (PuzzleResult candidate : {PuzzleResult::FirstTry, PuzzleResult::Solved, PuzzleResult::Failed})
        if (name == resultName(candidate)) {
            r = candidate;
            return true;
        }
    return false;
}

// A better result replaces a worse one, never the other way round.
int rank(PuzzleResult r) { return r == PuzzleResult::FirstTry ? 2 : r == PuzzleResult::Solved ? 1 : 0; }

bool count(std::istringstream& in, int low, int high, int& value)
{
    long long v = 0;
    if (!(in >> v) || v < low || v > high) return false;
    value = static_cast<int>(v);
    std::string rest;
    return !(in >> rest);
}

} // namespace

int puzzleRating(int difficultyPoints) { return 900 + 100 * difficultyPoints; }

void PuzzleProgress::record(const std::string& fen, int difficultyPoints, PuzzleResult result)
{
    if (result == PuzzleResult::FirstTry) ++firstTry;
    if (result != PuzzleResult::Failed) ++solved;
    else ++failed;
    streak = result == PuzzleResult::FirstTry ? streak + 1 : 0;
    const auto known = results.find(fen);
    if (known == results.end()) {
        // Elo's expectation against the puzzle's rating; a solve after a wrong move or
        // a hint counts half.
        const double expected = 1.0 / (1.0 + std::pow(10.0, (puzzleRating(difficultyPoints) - rating) / 400.0));
        const double scored = result == PuzzleResult::FirstTry ? 1.0 : result == PuzzleResult::Solved ? 0.5 : 0.0;
        rating = std::max(100, rating + static_cast<int>(std::lround(ratingStep * (scored - expected))));
        results[fen] = result;
    } else if (rank(result) > rank(known->second)) {
        known->second = result;
    }
}

std::string progressText(const PuzzleProgress& p)
{
    std::string text = std::string(header) + "\n";
    text += "rating " + std::to_string(p.rating) + "\n";
    text += "first-try " + std::to_string(p.firstTry) + "\n";
    text += "solved " + std::to_string(p.solved) + "\n";
    text += "failed " + std::to_string(p.failed) + "\n";
    text += "streak " + std::to_string(p.streak) + "\n";
    for (const auto& [fen, result] : p.results) text += std::string("puzzle ") + resultName(result) + " " + fen + "\n";
    return text;
}

PuzzleProgress parseProgress(const std::string& text)
{
    constexpr int most = 100000000;
    PuzzleProgress p;
    std::istringstream lines(text);
    bool headed = false;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!headed) {
            if (line != header) return {};
            headed = true;
            continue;
        }
        if (line.empty()) continue;
        std::istringstream in(line);
        std::string key;
        in >> key;
        bool ok = true;
        if (key == "rating") ok = count(in, 100, 10000, p.rating);
        else if (key == "first-try") ok = count(in, 0, most, p.firstTry);
        else if (key == "solved") ok = count(in, 0, most, p.solved);
        else if (key == "failed") ok = count(in, 0, most, p.failed);
        else if (key == "streak") ok = count(in, 0, most, p.streak);
        else if (key == "puzzle") {
            std::string name, fen;
            PuzzleResult result{};
            ok = static_cast<bool>(in >> name >> fen) && resultOfName(name, result);
            std::string rest;
            ok = ok && !(in >> rest);
            if (ok) p.results[fen] = result;
        } else ok = false;
        if (!ok) return {};
    }
    // Counts that contradict one another are no record of anything.
    if (p.firstTry > p.solved || p.streak > p.firstTry) return {};
    return p;
}

std::string progressFilePath()
{
    const std::string folder = userDataFolder();
    return folder.empty() ? std::string() : folder + "/puzzle-progress.txt";
}

PuzzleProgress loadProgress(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return parseProgress(bytes.str());
}

bool saveProgress(const std::string& path, const PuzzleProgress& progress)
{
    if (path.empty()) return false;
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, error);
    return writeFileWhole(path, progressText(progress));
}
