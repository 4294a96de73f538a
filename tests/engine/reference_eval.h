// The static evaluation written out a second time, straight from the rules of the
// evaluation (square tables, free squares ahead of men, the man patterns), to check
// the engine's and to tell which patterns a test position triggers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/engine/reference_rules.h"

namespace refeval {

using Squares = std::uint32_t;

inline int square(const char* name)
{
    const int file = name[0] - 'a', rank = name[1] - '1';
    return ref::squareAt(file, rank);
}

inline Squares setOf(std::initializer_list<const char*> names)
{
    Squares s = 0;
    for (const char* n : names) s |= Squares{1} << square(n);
    return s;
}

inline Squares mirrored(Squares s)
{
    Squares m = 0;
    for (int i = 0; i < 32; ++i)
        if (s & (Squares{1} << i)) m |= Squares{1} << (31 - i);
    return m;
}

// Values before the start-up step that adds 100 to every man square and 300 to every king square.
constexpr int manTable[32] = {0, 7, 10, 7, 2,  5,  5,  0, 3,  6,  6,  3,  5, 10, 10, 5,
                              7, 12, 12, 7, 3, 10, 10, 0, 0, 30, 30, 10, 0, 0,  0,  0};
constexpr int kingTable[32] = {2,  5,  0,  10, 10, 5,  10, 10, 5,  20, 10, 10, 5,  20, 10, 0,
                               0, 10, 20, 5,  10, 10, 20, 5,  10, 10, 5,  10, 10, 0,  5,  2};

struct Men {
    Squares w; // the side the pattern is written for
    Squares b;
};

inline bool all(Squares side, std::initializer_list<const char*> names) { return (side & setOf(names)) == setOf(names); }
inline bool none(Squares side, std::initializer_list<const char*> names) { return (side & setOf(names)) == 0; }
// Of the squares `among`, the side holds exactly `held`.
inline bool exactly(Squares side, std::initializer_list<const char*> among, std::initializer_list<const char*> held)
{
    return (side & setOf(among)) == setOf(held);
}

struct Pattern {
    const char* row;
    int value;
    bool (*holds)(const Men&);
};

inline bool trap(const Men& m) { return all(m.w, {"e3", "f4", "h4"}) && all(m.b, {"g5", "f6", "h6"}); }
inline bool row1(const Men& m) { return all(m.w, {"a3", "b4", "a5"}) && all(m.b, {"c5", "b6", "d6", "c7"}); }

inline const std::vector<Pattern>& patterns()
{
    static const std::vector<Pattern> table = {
        {"1", 50, row1},
        {"1a", -20, [](const Men& m) { return row1(m) && all(m.b, {"h4"}); }},
        {"2", -15, [](const Men& m) { return all(m.w, {"a3", "b4", "a5"}) && none(m.b, {"a7", "b6"}); }},
        {"3", -10, [](const Men& m) { return trap(m) && all(m.w, {"d2", "c3"}); }},
        {"4", 20, [](const Men& m) { return trap(m) && !all(m.w, {"d2", "c3"}); }},
        {"5", 15, [](const Men& m) { return trap(m) && all(m.w, {"a5"}); }},
        {"6", 25, [](const Men& m) { return all(m.w, {"c5", "f4"}); }},
        {"7", 10, [](const Men& m) { return all(m.w, {"c5"}) && none(m.b, {"f8", "e5"}); }},
        {"8", 20, [](const Men& m) { return all(m.w, {"c5"}) && exactly(m.b, {"a5", "b6", "d6", "a7"}, {"a5", "a7"}); }},
        {"9", -5, [](const Men& m) { return all(m.w, {"a5", "h4"}); }},
        {"10", 10, [](const Men& m) { return all(m.w, {"c5", "h6"}); }},
        {"11", 10, [](const Men& m) { return all(m.w, {"d4", "g5"}); }},
        {"12", 10, [](const Men& m) { return all(m.w, {"e5"}) && none(m.b, {"h8", "g5"}); }},
        {"13", 20, [](const Men& m) { return all(m.w, {"e5"}) && none(m.b, {"d6", "f6"}); }},
        {"14", 80, [](const Men& m) { return all(m.w, {"d6"}) && none(m.b, {"d8"}); }},
        {"15", 80, [](const Men& m) { return all(m.w, {"f6"}) && none(m.b, {"f8"}); }},
        {"16", 15, [](const Men& m) { return all(m.w, {"h6"}) && none(m.b, {"f8", "f6"}); }},
        {"17", -10, [](const Men& m) { return all(m.w, {"b2", "a3", "c3"}); }},
        {"18", 55, [](const Men& m) { return all(m.w, {"b6"}) && none(m.b, {"b8", "a7"}); }},
        {"19", 60, [](const Men& m) { return all(m.w, {"a7"}) && none(m.b, {"b8"}); }},
        {"20", 50, [](const Men& m) { return all(m.w, {"a5"}) && none(m.b, {"c5", "b6", "a7", "c7", "b8"}); }},
        {"21", 70, [](const Men& m) { return all(m.w, {"g7"}) && none(m.b, {"h8"}); }},
        {"22", 60, [](const Men& m) { return all(m.w, {"f6"}) && none(m.b, {"h8", "g7", "f8"}); }},
        {"23", 60, [](const Men& m) { return all(m.w, {"h6"}) && none(m.b, {"h8", "f8", "f6"}); }},
        {"24", 50, [](const Men& m) { return all(m.w, {"g5"}) && none(m.b, {"h8", "f8", "g7", "h6", "f6"}); }},
        {"25", 15, [](const Men& m) { return all(m.w, {"e3", "d4", "f4"}); }},
        {"26", -10, [](const Men& m) { return exactly(m.w, {"e1", "d2", "f2"}, {"d2", "f2"}); }},
        {"27", 25, [](const Men& m) { return all(m.w, {"h4"}) && all(m.b, {"g5", "e5", "f4", "f6"}); }},
        {"28", 15, [](const Men& m) { return all(m.w, {"a5"}) && exactly(m.b, {"b8", "b6"}, {"b6"}); }},
    };
    return table;
}

struct Position {
    Squares whiteMen, whiteKings, blackMen, blackKings;
};

inline Position positionFromText(const std::string& text)
{
    Position p{0, 0, 0, 0};
    for (int s = 0; s < 32 && s < static_cast<int>(text.size()); ++s) {
        const Squares b = Squares{1} << s;
        switch (text[static_cast<std::size_t>(s)]) {
        case 'w': p.whiteMen |= b; break;
        case 'W': p.whiteKings |= b; break;
        case 'b': p.blackMen |= b; break;
        case 'B': p.blackKings |= b; break;
        default: break;
        }
    }
    return p;
}

// Rows that hold as written ("+") and mirrored for Black ("-"): e.g. {"+14", "-6"}.
inline std::vector<std::string> firedRows(const Position& p)
{
    std::vector<std::string> fired;
    const Men asWritten{p.whiteMen, p.blackMen};
    const Men forBlack{mirrored(p.blackMen), mirrored(p.whiteMen)};
    for (const Pattern& pattern : patterns()) {
        if (pattern.holds(asWritten)) fired.push_back(std::string("+") + pattern.row);
        if (pattern.holds(forBlack)) fired.push_back(std::string("-") + pattern.row);
    }
    return fired;
}

inline int patternTotal(const Position& p)
{
    int v = 0;
    const Men asWritten{p.whiteMen, p.blackMen};
    const Men forBlack{mirrored(p.blackMen), mirrored(p.whiteMen)};
    for (const Pattern& pattern : patterns()) {
        if (pattern.holds(asWritten)) v += pattern.value;
        if (pattern.holds(forBlack)) v -= pattern.value;
    }
    return v;
}

// Square values with material and the free squares ahead of men, from White's view.
inline int materialAndSquares(const Position& p)
{
    const Squares occupied = p.whiteMen | p.whiteKings | p.blackMen | p.blackKings;
    auto freeAhead = [&](int s, int rankStep) {
        int bonus = 0;
        for (int fileStep : {-1, +1}) {
            const int f = ref::fileOf(s) + fileStep, r = ref::rankOf(s) + rankStep;
            if (!ref::onBoard(f, r) || !(occupied & (Squares{1} << ref::squareAt(f, r)))) bonus += 5;
        }
        return bonus;
    };
    int v = 0;
    for (int s = 0; s < 32; ++s) {
        const Squares b = Squares{1} << s;
        if (p.whiteKings & b) v += 300 + kingTable[s];
        if (p.blackKings & b) v -= 300 + kingTable[s];
        if (p.whiteMen & b) v += 100 + manTable[s] + freeAhead(s, +1);
        if (p.blackMen & b) v -= 100 + manTable[31 - s] + freeAhead(s, -1);
    }
    return v;
}

// The whole evaluation for the side to move (0 White, 1 Black).
inline int evaluation(const Position& p, int side)
{
    int v = patternTotal(p) + materialAndSquares(p);
    if (p.whiteKings && p.blackKings) v /= 4; // C++ division truncates toward zero
    return side == 0 ? v : -v;
}

} // namespace refeval
