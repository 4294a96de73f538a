// The click and move sounds. Both play without blocking; without a sound device
// they stay silent.
#pragma once

#include <QObject>

class QSoundEffect;

class SoundPlayer : public QObject {
    Q_OBJECT
public:
    explicit SoundPlayer(QObject* parent = nullptr);
    // False when the compiled-in click cannot be read (the caller reports it).
    bool PlayClickSound();
    void PlayMoveSound();
    bool moveSoundLoaded() const;

private:
    QSoundEffect* click = nullptr;
    QSoundEffect* move = nullptr;
};
