#include "game/fen.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

BoardPosition currentBoardPosition()
{
    return {whiteMen, whiteKings, blackMen, blackKings, sideToMove};
}

void setBoardPosition(Searcher& searcher, const BoardPosition& p)
{
    searcher.whiteMen = p.whiteMen;
    searcher.whiteKings = p.whiteKings;
    searcher.blackMen = p.blackMen;
    searcher.blackKings = p.blackKings;
    searcher.recomputeDerivedSets();
    searcher.sideToMove = p.side;
}

void setBoardPosition(const BoardPosition& p) { setBoardPosition(mainSearcher, p); }

std::string trimmed(const std::string& text)
{
    std::size_t a = 0, b = text.size();
    while (a < b && std::isspace(static_cast<unsigned char>(text[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(text[b - 1]))) --b;
    return text.substr(a, b - a);
}

namespace {

// The length of the UTF-8 character of printable text starting at `at`; 0 for a
// control character, a stray or overlong byte, a surrogate or a cut sequence.
std::size_t printableCharacterAt(const std::string& text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(at);
    if (first < 0x80) return first >= 0x20 && first != 0x7F ? 1 : 0;
    const std::size_t length = first >= 0xF0 && first <= 0xF4 ? 4 : first >= 0xE0 ? 3 : first >= 0xC2 && first < 0xE0 ? 2 : 0;
    if (length == 0 || at + length > text.size()) return 0;
    std::uint32_t code = first & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return code >= 0x80 && code < 0xA0 ? 0 : length; // the C1 controls
}

std::string pieceList(SquareSet men, SquareSet kings)
{
    std::string text;
    for (SquareSet x = men | kings; x; x &= x - 1) {
        const int s = lowestBit(x);
        if (!text.empty()) text += ',';
        if (kings & squareBit[s]) text += 'K';
        text += squareName[s];
    }
    return text;
}

bool fail(std::string* error, const std::string& message)
{
    if (error) *error = message;
    return false;
}

// One colour's field: "W" or "B" followed by comma-separated squares, each with an
// optional "K".
bool readColourField(const std::string& field, BoardPosition& p, bool seen[2], std::string* error)
{
    const std::string text = trimmed(field);
    if (text.empty()) return fail(error, "Пустое поле в строке FEN");
    const char colour = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    if (colour != 'W' && colour != 'B') {
        const std::size_t first = std::max<std::size_t>(1, printableCharacterAt(text, 0));
        return fail(error, "Неизвестный цвет " + quotedExcerpt(text.substr(0, first)) + " в строке FEN");
    }
    const int side = colour == 'W' ? White : Black;
    if (seen[side]) return fail(error, "Цвет указан дважды в строке FEN");
    seen[side] = true;
    std::string rest = text.substr(1);
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t comma = rest.find(',', start);
        if (comma == std::string::npos) comma = rest.size();
        std::string token = trimmed(rest.substr(start, comma - start));
        start = comma + 1;
        if (token.empty()) {
            if (comma == rest.size()) break;
            return fail(error, "Пустое поле в строке FEN");
        }
        bool king = false;
        if (token[0] == 'K' || token[0] == 'k') {
            king = true;
            token = trimmed(token.substr(1));
        }
        for (char& c : token) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const int s = squareFromName(token);
        if (s < 0) return fail(error, "Неправильное поле " + quotedExcerpt(token) + " в строке FEN");
        const SquareSet bit = squareBit[s];
        if ((p.whiteMen | p.whiteKings | p.blackMen | p.blackKings) & bit)
            return fail(error, "Поле " + token + " занято дважды в строке FEN");
        SquareSet& set = side == White ? (king ? p.whiteKings : p.whiteMen) : (king ? p.blackKings : p.blackMen);
        set |= bit;
    }
    return true;
}

} // namespace

std::string quotedExcerpt(const std::string& text, std::size_t most)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out = "\"";
    std::size_t at = 0, characters = 0;
    while (at < text.size() && characters < most) {
        const std::size_t length = printableCharacterAt(text, at);
        if (length > 0) {
            out.append(text, at, length);
            at += length;
        } else {
            const auto b = static_cast<unsigned char>(text[at++]);
            out.append("\\x").append(1, hex[b >> 4]).append(1, hex[b & 15]);
        }
        ++characters;
    }
    if (at < text.size()) out += "\xE2\x80\xA6"; // "…"
    return out + "\"";
}

std::string positionToFen(const BoardPosition& p)
{
    std::string text = p.side == Black ? "B" : "W";
    text += ":W" + pieceList(p.whiteMen, p.whiteKings);
    text += ":B" + pieceList(p.blackMen, p.blackKings);
    return text;
}

std::optional<BoardPosition> parseFen(const std::string& input, std::string* error)
{
    std::string text = trimmed(input);
    if (!text.empty() && text.back() == '.') text.pop_back(); // some programs end it with a full stop
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = trimmed(text.substr(1, text.size() - 2));
    BoardPosition p;
    const std::size_t colon = text.find(':');
    const std::string sideField = trimmed(text.substr(0, colon));
    if (sideField == "W" || sideField == "w") p.side = White;
    else if (sideField == "B" || sideField == "b") p.side = Black;
    else {
        fail(error, "Строка FEN должна начинаться с W или B");
        return std::nullopt;
    }
    bool seen[2] = {false, false};
    std::size_t start = colon;
    while (start != std::string::npos) {
        const std::size_t next = text.find(':', start + 1);
        const std::string field = text.substr(start + 1, next == std::string::npos ? std::string::npos : next - start - 1);
        if (!readColourField(field, p, seen, error)) return std::nullopt;
        start = next;
    }
    // Both colours must be named, as the writer always names them. Any placement the
    // program can hold is read as written: setup may leave a man on its crowning row,
    // and a game won by taking every piece, or a loaded position file, may leave a
    // colour or the whole board without pieces.
    if (!seen[White] || !seen[Black]) {
        fail(error, "Неправильная позиция");
        return std::nullopt;
    }
    return p;
}
