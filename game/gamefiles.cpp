#include "game/gamefiles.h"

#include <cctype>
#include <cstring>

#include "game/notation.h"

namespace {

constexpr std::size_t recordHeaderSize = 12;
constexpr std::size_t entrySize = 24;

void putWord(std::string& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t getWord(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

bool disjoint(std::initializer_list<SquareSet> sets)
{
    SquareSet seen = 0;
    for (SquareSet s : sets) {
        if (seen & s) return false;
        seen |= s;
    }
    return true;
}

const char* extensionOf(SaveType type)
{
    switch (type) {
    case SaveType::Game: return ".gam";
    case SaveType::Position: return ".poz";
    case SaveType::Text: return ".txt";
    case SaveType::Picture: return ".bmp";
    case SaveType::Pdn: return ".pdn";
    }
    return "";
}

bool endsWithPdn(const std::string& name)
{
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".pdn";
}

} // namespace

std::string completeFileName(const std::string& name, SaveType type)
{
    const std::string extension = extensionOf(type);
    return name.ends_with(extension) ? name : name + extension;
}

SaveType saveTypeForName(const std::string& name, SaveType chosen)
{
    for (SaveType type : {SaveType::Game, SaveType::Position, SaveType::Text, SaveType::Picture, SaveType::Pdn})
        if (const std::string extension = extensionOf(type);
            name.size() > extension.size() && name.ends_with(extension))
            return type;
    return chosen;
}

bool isGameFileName(const std::string& name) { return name.find(".gam") != std::string::npos; }

bool isPdnFileName(const std::string& name) { return endsWithPdn(name); }

std::string encodeGameRecord(const GameRecord& record)
{
    std::string out;
    out.reserve(gameFileSize);
    putWord(out, static_cast<std::uint32_t>(record.plyNumber));
    putWord(out, static_cast<std::uint32_t>(record.savedSide));
    putWord(out, static_cast<std::uint32_t>(record.redoLimit));
    for (int n = 1; n <= recordCapacity; ++n) {
        const RecordEntry& e = record.entries[n];
        putWord(out, e.whiteKings);
        putWord(out, e.whiteMen);
        putWord(out, e.blackKings);
        putWord(out, e.blackMen);
        out += static_cast<char>(e.textLength);
        out.append(e.text, moveTextRoom);
        out += '\0';
    }
    return out;
}

std::string encodePosition(const PositionImage& p)
{
    std::string out;
    putWord(out, p.whiteMen);
    putWord(out, p.blackMen);
    putWord(out, p.whiteKings);
    putWord(out, p.blackKings);
    putWord(out, static_cast<std::uint32_t>(p.side));
    return out;
}

bool decodeGameRecord(const std::string& bytes, GameRecord& record)
{
    if (bytes.size() != gameFileSize) return false;
    GameRecord read;
    read.plyNumber = static_cast<std::int32_t>(getWord(bytes, 0));
    read.savedSide = static_cast<std::int32_t>(getWord(bytes, 4));
    read.redoLimit = static_cast<std::int32_t>(getWord(bytes, 8));
    if (read.plyNumber < 1 || read.plyNumber > read.redoLimit || read.redoLimit > recordCapacity) return false;
    if (read.savedSide != 0 && read.savedSide != 1) return false;
    for (int n = 1; n <= recordCapacity; ++n) {
        const std::size_t at = recordHeaderSize + entrySize * (n - 1);
        RecordEntry& e = read.entries[n];
        e.whiteKings = getWord(bytes, at);
        e.whiteMen = getWord(bytes, at + 4);
        e.blackKings = getWord(bytes, at + 8);
        e.blackMen = getWord(bytes, at + 12);
        // A length beyond the room would read past the text; such a file is not ours.
        e.textLength = static_cast<std::uint8_t>(bytes[at + 16]);
        if (n <= read.redoLimit && e.textLength > moveTextRoom) return false;
        bytes.copy(e.text, moveTextRoom, at + 17);
        e.filler = 0;
        if (n <= read.redoLimit && !disjoint({e.whiteKings, e.whiteMen, e.blackKings, e.blackMen})) return false;
    }
    record = read;
    return true;
}

std::optional<PositionImage> decodePosition(const std::string& bytes)
{
    if (bytes.size() != positionFileSize) return std::nullopt;
    PositionImage p;
    p.whiteMen = getWord(bytes, 0);
    p.blackMen = getWord(bytes, 4);
    p.whiteKings = getWord(bytes, 8);
    p.blackKings = getWord(bytes, 12);
    p.side = static_cast<std::int32_t>(getWord(bytes, 16));
    if (p.side != 0 && p.side != 1) return std::nullopt;
    if (!disjoint({p.whiteMen, p.blackMen, p.whiteKings, p.blackKings})) return std::nullopt;
    return p;
}

std::string notationText()
{
    std::string text;
    // From the record, not the window's lines: those are kept as they were after a
    // position load until a half-move is made.
    for (const std::string& line : buildNotation(gameRecord, halfMoveMarks()).lines) text += line + "\r\n";
    return text;
}

