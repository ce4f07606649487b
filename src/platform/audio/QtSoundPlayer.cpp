#include "platform/audio/QtSoundPlayer.h"

#include <QFile>
#include <QSoundEffect>
#include <QUrl>

QtSoundPlayer::QtSoundPlayer(QObject* parent) : QObject(parent) {}

void QtSoundPlayer::play(const QString& name) {
    if (QSoundEffect* sound = effect(name)) {
        sound->play();
    }
}

// Loaded once and kept, so the first dictation does not wait for decoding.
QSoundEffect* QtSoundPlayer::effect(const QString& name) {
    if (auto it = effects_.constFind(name); it != effects_.constEnd()) {
        return *it;
    }
    const QString path = QStringLiteral(":/sounds/%1.wav").arg(name);
    QSoundEffect* sound = nullptr;
    if (QFile::exists(path)) {
        sound = new QSoundEffect(this);
        sound->setSource(QUrl(QStringLiteral("qrc") + path));
        sound->setVolume(0.6f);
    }
    effects_.insert(name, sound);  // an unknown name is remembered as nothing to play
    return sound;
}
