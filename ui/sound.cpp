#include "ui/sound.h"

#include <QFile>
#include <QSoundEffect>
#include <QUrl>

#include "game/datafiles.h"

namespace {
constexpr char clickResource[] = ":/MyWave";
constexpr char moveFile[] = "move.wav"; // in the working folder, else the installed data folder
constexpr double volume = 0.6;
} // namespace

// The resources live in a static library: nothing else pulls them into the program.
static void registerResources() { Q_INIT_RESOURCE(korvel); }

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent)
{
    registerResources();
    click = new QSoundEffect(this);
    click->setSource(QUrl(QStringLiteral("qrc") + clickResource));
    click->setVolume(volume);
    // The move sound is opened once at start-up; a missing file leaves it silent.
    const QString moveSound = QString::fromStdString(dataFilePath(moveFile));
    if (QFile::exists(moveSound)) {
        move = new QSoundEffect(this);
        move->setSource(QUrl::fromLocalFile(moveSound));
        move->setVolume(volume);
    }
}

bool SoundPlayer::PlayClickSound()
{
    if (!QFile::exists(clickResource)) return false;
    click->play();
    return true;
}

void SoundPlayer::PlayMoveSound()
{
    if (move) move->play();
}

bool SoundPlayer::moveSoundLoaded() const { return move != nullptr; }
