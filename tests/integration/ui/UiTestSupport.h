#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <QTest>

// Key events as the X11 platform plugin delivers them: the Qt key, the modifiers held
// before the key, and the X key code (evdev + 8) as native scan code.
inline void sendKey(QWidget* target, QEvent::Type type, Qt::Key key,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier, quint32 nativeScanCode = 0,
                    const QString& text = {}) {
    QKeyEvent event(type, key, modifiers, nativeScanCode, 0, 0, text);
    QApplication::sendEvent(target, &event);
}

inline void pressKey(QWidget* target, Qt::Key key,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier, quint32 nativeScanCode = 0,
                     const QString& text = {}) {
    sendKey(target, QEvent::KeyPress, key, modifiers, nativeScanCode, text);
}

// Runs deferred deletions, as the event loop would between two user actions.
inline void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}
