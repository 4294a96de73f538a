#include "game/gameui.h"

#include "engine/egtb.h"
#include "engine/search.h"
#include "game/book.h"
#include "game/notation.h"
#include "game/setup.h"

namespace {
GameUi silentUi;
GameUi* activeUi = &silentUi;
} // namespace

void GameUi::leaveSetup() { LeaveSetup(); }

void installGameUi(GameUi* ui) { activeUi = ui ? ui : &silentUi; }

GameUi& gameUi() { return *activeUi; }

void installGameHooks()
{
    lookupBookHook = LookupBook;
    // In endings within the bases the book window lists every move's verdict instead.
    installEndgameVerdicts([](const std::string& text) {
        bookText = text;
        gameUi().bookTextChanged();
    });
    refreshNotationHook = RefreshNotation;
    // With library candidates the search keeps its root list in generation order, so
    // that a candidate's move index names the same move there.
    bookCandidateCountHook = [] { return static_cast<int>(bookCandidates.count); };
}
