#include "game/gamechange.h"

#include "engine/egtb.h"
#include "game/book.h"
#include "game/controlui.h"
#include "game/notation.h"

void refreshGameData()
{
    LookupBook();
    if (const auto verdicts = endgameVerdicts(sideToMove)) bookText = *verdicts;
    rebuildNotation();
}

namespace {
// What the search showed belongs to the game it searched.
void forgetTheSearch()
{
    for (InfoField field : {InfoField::Label1, InfoField::Label6, InfoField::Label7, InfoField::Label8,
                            InfoField::Label12, InfoField::Label14})
        setInfoFieldText(field, "");
    forgetEngineScore();
    controlUi().showVariation("");
}
} // namespace

void GameChanged(GameChange change)
{
    refreshBoardPicture();
    // A second refresh leaves both pictures equal: nothing is outlined.
    if (change != GameChange::Move) refreshBoardPicture();
    refreshGameData();
    if (change == GameChange::NewGame) forgetTheSearch();
    gameUi().gameChanged(change);
}
