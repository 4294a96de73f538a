#include "game/pdn.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <string_view>

#include "game/control.h"
#include "game/drawrules.h"

const char* const noPdnGameMessage = "В файле нет ни одной партии";

namespace {

// ------------------------------------------------------------ the engine as a scratch pad

// Reading and writing list and make moves on a searcher of their own, never the game's:
// they may run while a search of the game is paused in a message pump. One per thread,
// made at first use (it is too large for the stack).
Searcher& scratchSearcher()
{
    thread_local const std::unique_ptr<Searcher> scratch = std::make_unique<Searcher>();
    return *scratch;
}

bool isCapture(const LegalMove& m) { return (m.code & captureFlag) != 0; }

std::vector<LegalMove> legalMovesOf(const BoardPosition& p)
{
    Searcher& s = scratchSearcher();
    setBoardPosition(s, p);
    const int count = s.generateLegalMoves(p.side, 0);
    std::vector<LegalMove> moves;
    for (int k = 1; k <= count; ++k) moves.push_back({s.moveLists[0].moves[k], s.moveLists[0].captured[k]});
    return moves;
}

BoardPosition positionAfter(const BoardPosition& p, const LegalMove& m)
{
    Searcher& s = scratchSearcher();
    setBoardPosition(s, p);
    s.makeMove(m.code, m.captured, p.side, 0);
    return {s.whiteMen, s.whiteKings, s.blackMen, s.blackKings, 1 - p.side};
}

bool samePieces(const BoardPosition& a, const BoardPosition& b)
{
    return a.whiteMen == b.whiteMen && a.whiteKings == b.whiteKings && a.blackMen == b.blackMen
        && a.blackKings == b.blackKings;
}

BoardPosition initialPosition()
{
    BoardPosition p;
    p.whiteMen = 0x00000FFFu; // a1..h3
    p.blackMen = 0xFFF00000u; // a6..h8
    return p;
}

// ------------------------------------------------------------ capture paths

// The landing squares of a capture are not part of the move word: they are found
// again by following the jumps that take exactly the move's captured pieces.
struct PathSearch {
    SquareSet empty = 0;  // squares the piece may cross or land on (its own start is free)
    SquareSet target = 0; // the pieces the move takes
    SquareSet promotionRank = 0;
    int to = 0;
    bool endsAsKing = false;
    std::vector<std::vector<int>> found;
};

void extendPath(PathSearch& ps, std::vector<int>& path, SquareSet taken, bool king)
{
    const int at = path.back();
    if (taken == ps.target) {
        if (at == ps.to && king == ps.endsAsKing) ps.found.push_back(path);
        return;
    }
    for (int d = 0; d < 4; ++d) {
        int c = at;
        SquareSet ahead = neighbourBit[d][c];
        if (king)
            while (ahead & ps.empty) {
                c = neighbourSquare[d][c];
                ahead = neighbourBit[d][c];
            }
        // Taken pieces stay on the board until the move ends, so they block.
        if (!(ahead & ps.target & ~taken)) continue;
        const int over = lowestBit(ahead);
        for (SquareSet land = neighbourBit[d][over]; land & ps.empty; land = neighbourBit[d][lowestBit(land)]) {
            path.push_back(lowestBit(land));
            extendPath(ps, path, taken | ahead, king || (land & ps.promotionRank));
            path.pop_back();
            if (!king) break; // a man lands just beyond the piece it takes
        }
    }
}

// Every path of landing squares, the first square included, by which the move can be
// made; a quiet move has the one path of its two squares.
std::vector<std::vector<int>> capturePaths(const BoardPosition& p, const LegalMove& m)
{
    const int from = moveFrom(m.code);
    if (!isCapture(m)) return {{from, moveTo(m.code)}};
    const SquareSet kings = p.side == White ? p.whiteKings : p.blackKings;
    const bool startsAsKing = (kings & squareBit[from]) != 0;
    PathSearch ps;
    ps.empty = ~(p.whiteMen | p.whiteKings | p.blackMen | p.blackKings) | squareBit[from];
    ps.target = m.captured;
    ps.promotionRank = p.side == White ? whitePromotionRank : blackPromotionRank;
    ps.to = moveTo(m.code);
    ps.endsAsKing = startsAsKing || (m.code & promotionFlag);
    std::vector<int> path{from};
    extendPath(ps, path, 0, startsAsKing);
    return ps.found;
}

// PDN writes captures with "x" (the screen keeps the Russian ":"): readers of the
// standard take nothing else.
std::string pathText(const std::vector<int>& path, char separator)
{
    std::string text;
    for (int s : path) {
        if (!text.empty()) text += separator;
        text += squareName[s];
    }
    return text;
}

std::string pdnMoveText(MoveCode m, char captureSeparator = 'x')
{
    return pathText({moveFrom(m), moveTo(m)}, (m & captureFlag) ? captureSeparator : '-');
}

bool sameEnds(const LegalMove& a, const LegalMove& b)
{
    return moveFrom(a.code) == moveFrom(b.code) && moveTo(a.code) == moveTo(b.code);
}

// A capture that another legal capture with other pieces shares its squares with.
bool needsLandingSquares(const std::vector<LegalMove>& legal, const LegalMove& m)
{
    if (!isCapture(m)) return false;
    for (const LegalMove& other : legal)
        if (sameEnds(other, m) && other.captured != m.captured) return true;
    return false;
}

std::string moveAsWritten(const std::vector<LegalMove>& legal, const BoardPosition& before, const LegalMove& m,
                          char captureSeparator)
{
    if (!needsLandingSquares(legal, m)) return pdnMoveText(m.code, captureSeparator);
    const auto paths = capturePaths(before, m);
    if (!paths.empty()) return pathText(paths.front(), captureSeparator);
    return pdnMoveText(m.code, captureSeparator);
}

std::string writtenMove(const BoardPosition& before, const BoardPosition& after)
{
    const std::vector<LegalMove> legal = legalMovesOf(before);
    for (const LegalMove& m : legal)
        if (samePieces(positionAfter(before, m), after)) return moveAsWritten(legal, before, m, 'x');
    return {};
}

// ------------------------------------------------------------ matching a written move

// "c3-d4", "c3xe5", "C3:E5:G3": the squares, or nothing when the text is no move.
std::optional<std::vector<int>> writtenSquares(const std::string& written)
{
    std::vector<int> squares;
    std::size_t i = 0;
    while (true) {
        if (i + 2 > written.size()) return std::nullopt;
        std::string name = written.substr(i, 2);
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const int s = squareFromName(name);
        if (s < 0) return std::nullopt;
        squares.push_back(s);
        i += 2;
        if (i == written.size()) break;
        const char separator = static_cast<char>(std::tolower(static_cast<unsigned char>(written[i])));
        if (separator != '-' && separator != 'x' && separator != ':') return std::nullopt;
        ++i;
    }
    if (squares.size() < 2) return std::nullopt;
    return squares;
}

enum class Match { Found, Illegal, Ambiguous };

void addVariant(std::vector<LegalMove>& variants, const LegalMove& m)
{
    const bool known = std::any_of(variants.begin(), variants.end(),
                                   [&](const LegalMove& v) { return v.captured == m.captured; });
    if (!known) variants.push_back(m);
}

// The legal move the squares name: by every landing square, else by the first and
// last square. Paths that take the same pieces are one move; the first is kept. Two
// squares that are the whole path of a single capture name that capture, also when
// a longer one shares its squares.
Match matchWrittenMove(const BoardPosition& p, const std::vector<int>& squares, LegalMove& chosen)
{
    std::vector<LegalMove> byPath, byEnds;
    for (const LegalMove& m : legalMovesOf(p)) {
        if (moveFrom(m.code) != squares.front() || moveTo(m.code) != squares.back()) continue;
        if (!isCapture(m)) { // its one path is its two squares
            if (squares.size() == 2) addVariant(byPath, m);
            continue;
        }
        const auto paths = capturePaths(p, m);
        if (std::find(paths.begin(), paths.end(), squares) != paths.end()) addVariant(byPath, m);
        if (squares.size() == 2) addVariant(byEnds, m);
    }
    const std::vector<LegalMove>& candidates = byPath.empty() ? byEnds : byPath;
    if (candidates.empty()) return Match::Illegal;
    if (candidates.size() > 1) return Match::Ambiguous;
    chosen = candidates.front();
    return Match::Found;
}

// The legal move a text names; nothing and why (in Russian) otherwise.
std::optional<LegalMove> moveOfText(const BoardPosition& p, const std::string& written, std::string& why)
{
    const auto squares = writtenSquares(written);
    if (!squares) {
        why = "непонятная запись хода " + quotedExcerpt(written);
        return std::nullopt;
    }
    LegalMove move;
    const Match match = matchWrittenMove(p, *squares, move);
    if (match == Match::Found) return move;
    why = (match == Match::Illegal ? "недопустимый ход " : "неоднозначный ход ") + quotedExcerpt(written);
    return std::nullopt;
}

// ------------------------------------------------------------ splitting a file into games

struct RawGame {
    std::vector<PdnTag> tags;
    std::vector<std::string> moves; // as written, the move number taken off
    int firstNumber = 0;            // the first move number written; 0 when none
    std::string termination;
    std::string fault;              // a fault of the text itself
    bool movesStarted = false;

    bool empty() const { return tags.empty() && !movesStarted && fault.empty(); }
    void faultWith(const std::string& what)
    {
        if (fault.empty()) fault = what;
    }
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool endsToken(char c) { return isBlank(c) || std::string_view("[]{}();$").find(c) != std::string_view::npos; }

constexpr std::string_view ellipsis = "\xE2\x80\xA6"; // "…"

bool isResult(const std::string& token)
{
    static const char* const results[] = {"1-0", "0-1", "1/2-1/2", "2-0", "0-2", "1-1", "*", "\xC2\xBD-\xC2\xBD"};
    return std::find(std::begin(results), std::end(results), token) != std::end(results);
}

class GameSplitter {
public:
    // With `only` the games before that one (counting from 1) are counted but not
    // kept, and the text after it is not read.
    explicit GameSplitter(const std::string& text, std::size_t only = 0) : text_(text), only_(only)
    {
        if (text_.starts_with("\xEF\xBB\xBF")) at_ = 3;
    }

    std::vector<RawGame> split()
    {
        while (at_ < text_.size() && (only_ == 0 || finished_ < only_)) step();
        if (only_ == 0 || finished_ < only_) finishGame();
        return std::move(games_);
    }
    // The games found, kept or not.
    std::size_t gamesFound() const { return finished_; }

private:
    const std::string& text_;
    std::size_t only_;
    std::size_t at_ = 0;
    std::size_t finished_ = 0;
    RawGame current_;
    std::vector<RawGame> games_;

    void finishGame()
    {
        if (!current_.empty()) {
            ++finished_;
            if (only_ == 0 || finished_ == only_) games_.push_back(std::move(current_));
        }
        current_ = RawGame{};
    }

    void skipLine()
    {
        while (at_ < text_.size() && text_[at_] != '\n') ++at_;
    }

    void step()
    {
        const char c = text_[at_];
        if (isBlank(c)) {
            ++at_;
            return;
        }
        if (c == '%' && (at_ == 0 || text_[at_ - 1] == '\n')) return skipLine(); // an escape line
        if (c == '[') {
            if (current_.movesStarted) finishGame();
            return readTag();
        }
        if (!current_.termination.empty()) finishGame(); // whatever follows a result is the next game
        switch (c) {
        case '{': return skipComment();
        case ';': return skipLine();
        case '(': return skipVariation();
        case ')':
        case '}':
        case ']':
            current_.faultWith(std::string("лишняя закрывающая скобка \"") + c + "\"");
            ++at_;
            return;
        case '$':
            for (++at_; at_ < text_.size() && isDigit(text_[at_]);) ++at_;
            return;
        default: return readToken();
        }
    }

    void skipComment()
    {
        const std::size_t close = text_.find('}', at_);
        if (close == std::string::npos) {
            current_.faultWith("не закрыт комментарий \"{\"");
            at_ = text_.size();
            return;
        }
        at_ = close + 1;
    }

    void skipVariation()
    {
        int depth = 0;
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == '{') {
                skipComment();
                continue;
            }
            ++at_;
            if (c == '(') ++depth;
            else if (c == ')' && --depth == 0) return;
        }
        current_.faultWith("не закрыт вариант \"(\"");
    }

    void skipBlanks()
    {
        while (at_ < text_.size() && isBlank(text_[at_]) && text_[at_] != '\n') ++at_;
    }

    // Whether the quote at `quote` ends a tag's value: only "]" may follow it.
    bool closesValue(std::size_t quote) const
    {
        std::size_t next = quote + 1;
        while (next < text_.size() && isBlank(text_[next]) && text_[next] != '\n') ++next;
        return next < text_.size() && text_[next] == ']';
    }

    static char escaped(char c) { return c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c; }

    // [Name "value"], with \" \\ \n \r \t inside the value; a quote that is not
    // followed by "]" is taken as part of the value, as some programs write them.
    void readTag()
    {
        ++at_;
        skipBlanks();
        PdnTag tag;
        while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_'))
            tag.name += text_[at_++];
        skipBlanks();
        if (tag.name.empty() || at_ >= text_.size() || text_[at_] != '"') return badTag();
        for (++at_; at_ < text_.size() && text_[at_] != '\n'; ++at_) {
            if (text_[at_] == '"' && closesValue(at_)) break;
            if (text_[at_] == '\\' && at_ + 1 < text_.size()) tag.value += escaped(text_[++at_]);
            else tag.value += text_[at_];
        }
        if (at_ >= text_.size() || text_[at_] != '"') return badTag();
        ++at_;
        skipBlanks();
        if (at_ >= text_.size() || text_[at_] != ']') return badTag();
        ++at_;
        current_.tags.push_back(std::move(tag));
    }

    void badTag()
    {
        current_.faultWith("неправильный тег");
        while (at_ < text_.size() && text_[at_] != ']' && text_[at_] != '\n') ++at_;
        if (at_ < text_.size()) ++at_;
    }

    void readToken()
    {
        const std::size_t start = at_;
        while (at_ < text_.size() && !endsToken(text_[at_])) ++at_;
        takeToken(text_.substr(start, at_ - start));
    }

    void takeToken(std::string token)
    {
        current_.movesStarted = true;
        if (isResult(token)) {
            current_.termination = token;
            return;
        }
        token = withoutMoveNumber(token);
        while (true) { // "...", "…" and a lone ellipsis before Black's move
            if (token.starts_with('.')) token.erase(0, 1);
            else if (token.starts_with(ellipsis)) token.erase(0, ellipsis.size());
            else break;
        }
        while (!token.empty() && (token.back() == '!' || token.back() == '?')) token.pop_back();
        if (!token.empty()) current_.moves.push_back(token);
    }

    // "12." or "12..." before a move, glued to it or not; the first one is kept.
    std::string withoutMoveNumber(const std::string& token)
    {
        std::size_t digits = 0;
        while (digits < token.size() && isDigit(token[digits])) ++digits;
        if (digits == 0 || digits > 4) return token;
        const bool numberOnly = digits == token.size();
        const bool marked = !numberOnly && (token[digits] == '.' || token.compare(digits, ellipsis.size(), ellipsis) == 0);
        if (!numberOnly && !marked) return token;
        if (current_.firstNumber == 0 && current_.moves.empty()) current_.firstNumber = std::stoi(token.substr(0, digits));
        return token.substr(digits);
    }
};

// ------------------------------------------------------------ replaying a game

std::string moveNumberText(int number, int side) { return std::to_string(number) + (side == Black ? "..." : "."); }

constexpr int maxHalfMoves = recordCapacity - 1;

bool replayMoves(const RawGame& raw, PdnGame& game, const std::string& prefix)
{
    BoardPosition at = game.start;
    int number = raw.firstNumber > 0 ? raw.firstNumber : 1;
    for (const std::string& written : raw.moves) {
        // Only a refused move needs the text; a file of thousands of games reads faster without it.
        auto where = [&] { return prefix + ", ход " + std::to_string(number) + (at.side == Black ? "...: " : ": "); };
        std::string why;
        const auto move = moveOfText(at, written, why);
        if (!move) {
            game.error = where() + why;
            return false;
        }
        const BoardPosition next = positionAfter(at, *move);
        game.moves.push_back(moveText(move->code));
        game.positions.push_back(next);
        if (at.side == Black) ++number;
        at = next;
    }
    return true;
}

bool readStart(PdnGame& game, const std::string& prefix)
{
    const std::string type = game.tag("GameType");
    if (!type.empty() && type.substr(0, type.find(',')) != "25") {
        game.error = prefix + ": игра не русские шашки (GameType " + quotedExcerpt(type) + ")";
        return false;
    }
    const std::string fen = game.tag("FEN");
    if (fen.empty()) {
        game.start = initialPosition();
        return true;
    }
    std::string error;
    const auto start = parseFen(fen, &error);
    if (!start) {
        game.error = prefix + ": " + error;
        return false;
    }
    game.start = *start;
    return true;
}

PdnGame replay(const RawGame& raw, int number)
{
    PdnGame game;
    game.tags = raw.tags;
    if (!raw.termination.empty()) game.termination = raw.termination;
    const std::string prefix = "Партия " + std::to_string(number);
    if (!raw.fault.empty()) {
        game.error = prefix + ": " + raw.fault;
        return game;
    }
    if (!readStart(game, prefix)) return game;
    if (raw.moves.size() > static_cast<std::size_t>(maxHalfMoves)) {
        game.error = prefix + ": партия длиннее " + std::to_string(maxHalfMoves) + " полуходов";
        return game;
    }
    if (!replayMoves(raw, game, prefix)) {
        game.moves.clear();
        game.positions.clear();
    }
    return game;
}

// ------------------------------------------------------------ writing

// A value may hold neither a line break nor a tab (the standard's strings are one line
// of printing characters): those are written as \n, \r and \t, and read back so.
std::string quotedTag(const PdnTag& tag)
{
    std::string value;
    for (char c : tag.value) {
        switch (c) {
        case '\n': value += "\\n"; break;
        case '\r': value += "\\r"; break;
        case '\t': value += "\\t"; break;
        case '"':
        case '\\': value.append(1, '\\').append(1, c); break;
        default: value += c;
        }
    }
    return "[" + tag.name + " \"" + value + "\"]\n";
}

// Words in lines of at most 79 characters; a move number stays with its move.
std::string wrapped(const std::vector<std::string>& words)
{
    constexpr std::size_t width = 79;
    std::string text, line;
    for (const std::string& word : words) {
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            text += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    return text + line + "\n";
}

std::string resultOfLastPosition(const BoardPosition& last)
{
    if (!legalMovesOf(last).empty()) return "*";
    return last.side == White ? "0-1" : "1-0";
}

BoardPosition entryPosition(const RecordEntry& e, int side)
{
    return {e.whiteMen, e.whiteKings, e.blackMen, e.blackKings, side};
}

std::optional<LegalMove> moveBetween(const BoardPosition& before, const BoardPosition& after)
{
    for (const LegalMove& m : legalMovesOf(before))
        if (samePieces(positionAfter(before, m), after)) return m;
    return std::nullopt;
}

std::vector<PdnTag> headerTags(const PdnHeader& h, const std::string& result)
{
    return {{"Event", h.event}, {"Site", h.site},   {"Date", h.date},     {"Round", h.round},
            {"White", h.white}, {"Black", h.black}, {"Result", result}, {"GameType", "25"}};
}

} // namespace

std::string PdnGame::tag(const std::string& name) const
{
    auto lower = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    for (const PdnTag& t : tags)
        if (lower(t.name) == lower(name)) return t.value;
    return {};
}

std::string PdnGame::result() const
{
    const std::string tagged = tag("Result");
    return tagged.empty() ? termination : tagged;
}

std::vector<PdnGame> readPdn(const std::string& text)
{
    std::vector<PdnGame> games;
    const std::vector<RawGame> raw = GameSplitter(text).split();
    for (std::size_t i = 0; i < raw.size(); ++i) games.push_back(replay(raw[i], static_cast<int>(i + 1)));
    return games;
}

std::optional<PdnGame> readPdnGame(const std::string& text, std::size_t number, std::size_t* gamesInFile)
{
    GameSplitter splitter(text, number);
    const std::vector<RawGame> raw = splitter.split();
    if (gamesInFile) *gamesInFile = splitter.gamesFound();
    if (number == 0 || raw.empty()) return std::nullopt;
    return replay(raw.front(), static_cast<int>(number));
}

std::string recordResult(const GameRecord& record, int firstSide)
{
    const int last = std::clamp<int>(record.redoLimit, 1, recordCapacity);
    const int sideAtEnd = (last - 1) % 2 == 0 ? firstSide : 1 - firstSide;
    const std::string decided = resultOfLastPosition(entryPosition(record.entries[last], sideAtEnd));
    if (decided != "*") return decided;
    if (officialDrawRules && drawRuleAt(record, last, sideAtEnd) != DrawRule::None) return "1/2-1/2";
    if (threefoldRepetitionUpTo(record, last)) return "1/2-1/2";
    return {};
}

std::optional<PdnGame> gameOfRecord(const GameRecord& record, int firstSide, const PdnHeader& header, std::string* error)
{
    PdnGame game;
    game.start = entryPosition(record.entries[1], firstSide);
    BoardPosition at = game.start;
    const int limit = std::min<int>(record.redoLimit, recordCapacity);
    for (int n = 2; n <= limit; ++n) {
        const BoardPosition next = entryPosition(record.entries[n], 1 - at.side);
        const auto move = moveBetween(at, next);
        if (!move) {
            if (error) *error = "Полуход " + std::to_string(n - 1) + " записи партии не является ходом";
            return std::nullopt;
        }
        game.moves.push_back(moveText(move->code));
        game.positions.push_back(next);
        at = next;
    }
    const std::string decided = resultOfLastPosition(at);
    game.termination = decided != "*" || header.result.empty() ? decided : header.result;
    game.tags = headerTags(header, game.termination);
    // The standard asks for SetUp before the FEN of a game not begun from the initial position.
    if (!(game.start == initialPosition())) {
        game.tags.push_back({"SetUp", "1"});
        game.tags.push_back({"FEN", positionToFen(game.start)});
    }
    return game;
}

std::string writePdn(const PdnGame& game)
{
    std::string text;
    for (const PdnTag& tag : game.tags) text += quotedTag(tag);
    text += "\n";
    std::vector<std::string> words;
    BoardPosition before = game.start;
    int number = 1;
    bool afterComment = false;
    for (std::size_t i = 0; i < game.positions.size(); ++i) {
        const std::string move = writtenMove(before, game.positions[i]);
        const bool numbered = before.side == White || i == 0 || afterComment;
        std::string word = numbered ? moveNumberText(number, before.side) + ' ' : std::string();
        word.append(move);
        if (i < game.marks.size()) word.append(game.marks[i]);
        words.push_back(word);
        afterComment = i < game.comments.size() && !game.comments[i].empty();
        if (afterComment) words.push_back("{" + game.comments[i] + "}");
        if (before.side == Black) ++number;
        before = game.positions[i];
    }
    words.push_back(game.termination.empty() ? "*" : game.termination);
    return text + wrapped(words);
}

GameRecord recordOfGame(const PdnGame& game)
{
    GameRecord record;
    auto store = [&](int n, const BoardPosition& p, const std::string& text) {
        RecordEntry& e = record.entries[n];
        e.whiteKings = p.whiteKings;
        e.whiteMen = p.whiteMen;
        e.blackKings = p.blackKings;
        e.blackMen = p.blackMen;
        e.textLength = static_cast<std::uint8_t>(std::min<std::size_t>(text.size(), moveTextRoom));
        std::copy_n(text.begin(), e.textLength, e.text);
    };
    store(1, game.start, "");
    const int halfMoves = std::min<int>(static_cast<int>(game.positions.size()), maxHalfMoves);
    for (int i = 0; i < halfMoves; ++i) store(i + 2, game.positions[i], game.moves[i]);
    record.plyNumber = record.redoLimit = halfMoves + 1;
    record.savedSide = halfMoves > 0 ? game.positions[halfMoves - 1].side : game.start.side;
    return record;
}

std::string gameSummary(int number, const PdnGame& game)
{
    constexpr std::size_t shownHalfMoves = 6;
    auto named = [](const std::string& name) { return name.empty() ? std::string("?") : name; };
    std::string text = std::to_string(number);
    text.append(". ").append(named(game.tag("White"))).append(" \xE2\x80\x93 ").append(named(game.tag("Black")));
    text.append(", ").append(game.result());
    if (game.moves.empty()) return text;
    text += ':';
    for (std::size_t i = 0; i < std::min(shownHalfMoves, game.moves.size()); ++i) text.append(" ").append(game.moves[i]);
    if (game.moves.size() > shownHalfMoves) text.append(" ").append(ellipsis);
    return text;
}

std::vector<LegalMove> legalHalfMoves(const BoardPosition& p)
{
    return legalMovesOf(p);
}

BoardPosition positionAfterMove(const BoardPosition& p, const LegalMove& m)
{
    return positionAfter(p, m);
}

std::string halfMoveText(const BoardPosition& before, const LegalMove& m, char captureSeparator)
{
    return moveAsWritten(legalMovesOf(before), before, m, captureSeparator);
}

std::optional<LegalMove> writtenHalfMove(const BoardPosition& p, const std::string& written, std::string* error)
{
    std::string why;
    const auto move = moveOfText(p, written, why);
    if (!move && error) *error = why;
    return move;
}

