#include "game/notation.h"

#include <cstdio>
#include <cstring>

#include "game/pdn.h"
#include "game/gameui.h"

NotationView notationView;

namespace {
constexpr char blackFirstFiller[] = "  ... "; // White's column of a game Black began
constexpr std::size_t charactersPerLine = 12;  // two half-moves of a blank and 5 characters
}

// Only lines whose moves are certain are listed; positions keep the catalogue's order.
const OpeningEntry openingCatalogue[] = {
    {1, "cd4 ba5 dc5 db4 ac5 fg5 bc3 gf6 ab2", "Кол c 5.ab2"},
    {2, "cd4 ba5 dc5 db4 ac5 fg5 ed4", "Кол c 4.ed4"},
    {9, "cd4 ba5 bc3", "Отказанный кол"},
    {10, "cb4 fe5 gh4 ef4 eg5 hf4", "Обратный кол"},
    {11, "cb4 ba5 bc5 db4 ac5 fg5 bc3 gf6 gh4 gf4 eg5 hf4", "Двойной кол"},
    {12, "cd4 dc5 bc3 fg5 cb4 gh4 bd6 ec5", "Городская партия"},
    {13, "cd4 dc5 bc3 fg5 cb4 gf6 bd6 ec5", "Городская партия c 3...gf6"},
    {14, "cd4 dc5 bc3 fg5 cb4 ba5", "Городская партия c 3...ba5"},
    {15, "cd4 dc5 dc3 fg5 cb4 gh4 bd6 cc3 bd4 ba5", "Городская партия c 2.dc3"},
    {17, "cb4 fe5 ef4 gf6", "Обратная городская партия"},
    {22, "cb4 fe5 ef4 ba5", "Отказанная обратная городская"},
    {23, "cd4 dc5 bc3 cd6 cb4 ba5 db6 ac7", "Отыгрыш"},
    {24, "cd4 dc5 dc3", "Отыгрыш с dc3"},
    {25, "cd4 dc5 bc3 cd6 ab2", "Отыгрыш с 3.ab2"},
    {26, "cd4 dc5 bc3 cd6 gf4", "Отыгрыш с 3.gf4"},
    {32, "cd4 bc5 db6 ac5", "Новое начало"},
    {34, "cd4 fg5 bc3 gf6 cb4 ba5 dc5 ac3 db4", "Ленинградская защита"},
    {37, "cd4 fg5 bc3 gh4 cb4 hg5 dc5 bd4 ec5", "Киевская защита"},
    {42, "cd4 fg5 dc5 db4 ac5 bd4 ec5", "Тычок"},
    {43, "cb4 fg5 bc3 gf4", "Обратный тычок"},
    {45, "cd4 fg5 gf4 gf6 bc3 hg7", "Центральная партия"},
    {48, "cd4 de5 bc3 ed6 ef4", "Перекресток"},
    {50, "cd4 de5 gf4", "Вилочка"},
    {51, "gf4 fe5 cd4", "Обратная вилочка"},
    {52, "cd4 fg5 gh4", "Атака шашки g5"},
    {72, "cb4 fg5 gf4 gf6 bc3 bc5 ba5 gh4 cd4 hg7", "Косяк классический"},
    {83, "cb4 fg5 gf4 gf6 bc3 de5", "Отказанный косяк c 3...de5"},
    {84, "cb4 fg5 gf4 gf6 bc3 dc5", "Отказанный косяк c 3...dc5"},
    {97, "cb4 de5 ba5 fg5", "Безымянное начало"},
};
const int openingCatalogueSize = sizeof(openingCatalogue) / sizeof(openingCatalogue[0]);

bool blackMovedFirst(const GameRecord& record)
{
    const RecordEntry& start = record.entries[1];
    const RecordEntry& next = record.entries[2];
    const SquareSet whiteBefore = start.whiteKings | start.whiteMen;
    const SquareSet whiteAfter = next.whiteKings | next.whiteMen;
    return (whiteAfter & ~whiteBefore) == 0;
}

std::string compactKey(std::string gameText)
{
    for (char separator : {':', '-'}) {
        std::string kept;
        for (std::size_t i = 0; i < gameText.size(); ++i) {
            if (i + 1 < gameText.size() && gameText[i + 1] == separator) continue; // the character before it
            if (gameText[i] == separator) continue;
            kept += gameText[i];
        }
        gameText = kept;
    }
    if (!gameText.empty()) gameText.pop_back();
    if (!gameText.empty()) gameText.erase(0, 1);
    return gameText;
}

std::string openingNameFor(const std::string& key)
{
    std::string name;
    for (int i = 0; i < openingCatalogueSize; ++i)
        if (key.starts_with(openingCatalogue[i].key)) name = openingCatalogue[i].name;
    return name;
}

namespace {
std::string lineNumber(int number)
{
    char text[16];
    std::snprintf(text, sizeof text, "%2d.", number);
    return text;
}
} // namespace

NotationView buildNotation(const GameRecord& record, const std::vector<std::string>& marks)
{
    NotationView view;
    const int limit = std::min<int>(record.redoLimit, recordCapacity);
    const std::size_t markRoom = marks.empty() ? 0 : 2;
    std::string plain, text;
    for (int n = 1; n <= limit; ++n) {
        const std::string move = entryMoveText(record.entries[n]);
        plain += move + ' ';
        text += move;
        if (markRoom > 0 && n > 1) {
            const std::string mark = static_cast<std::size_t>(n) < marks.size() ? marks[n] : std::string();
            text += mark + std::string(markRoom - std::min(markRoom, mark.size()), ' ');
        }
        text += ' ';
    }
    const bool blackFirst = limit >= 2 && blackMovedFirst(record);
    if (blackFirst) {
        plain = blackFirstFiller + plain;
        text = blackFirstFiller + std::string(markRoom, ' ') + text;
    }
    const std::string key = compactKey(plain);

    const std::size_t lineLength = charactersPerLine + 2 * markRoom;
    for (int number = 1; number <= limit && text.size() >= 3; ++number) {
        view.lines.push_back(lineNumber(number) + text.substr(0, lineLength));
        text.erase(0, std::min(lineLength, text.size()));
    }
    // A game that ended closes with its result, as a saved notation does.
    if (limit >= 2) {
        const std::string result = recordResult(record, blackFirst ? Black : White);
        if (!result.empty()) view.lines.push_back(result);
    }
    view.openingName = openingNameFor(key);
    view.highlight = blackFirst ? (record.plyNumber - 1) / 2 : record.plyNumber / 2 - 1;
    return view;
}

namespace {
HalfMoveMarks& marksSource()
{
    static HalfMoveMarks source = nullptr;
    return source;
}
} // namespace

void provideHalfMoveMarks(HalfMoveMarks source) { marksSource() = source; }

std::vector<std::string> halfMoveMarks() { return marksSource() ? marksSource()() : std::vector<std::string>{}; }

void rebuildNotation() { notationView = buildNotation(gameRecord, halfMoveMarks()); }

void RefreshNotation()
{
    rebuildNotation();
    gameUi().notationChanged();
}
