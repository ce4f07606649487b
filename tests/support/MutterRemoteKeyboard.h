#pragma once

#include <QString>

#include <chrono>

// Presses keys at GNOME Shell as a keyboard would, through mutter's own remote desktop API
// (org.gnome.Mutter.RemoteDesktop; no consent dialog). One session is kept for the test: each
// new one is a new virtual keyboard, whose first key the headless shell loses, so a Shift tap
// opens it. Keys are X keysyms; GNOME's key repeat runs on them as on a real keyboard.
class MutterRemoteKeyboard {
public:
    static constexpr quint32 leftAlt = 0xffe9;
    static constexpr quint32 leftControl = 0xffe3;
    static constexpr quint32 leftShift = 0xffe1;
    static constexpr quint32 space = 0x20;

    MutterRemoteKeyboard();
    ~MutterRemoteKeyboard();
    MutterRemoteKeyboard(const MutterRemoteKeyboard&) = delete;
    MutterRemoteKeyboard& operator=(const MutterRemoteKeyboard&) = delete;

    // The session started and its keyboard is there; else why not.
    bool isReady() const { return error_.isEmpty(); }
    QString error() const { return error_; }

    // Each returns once mutter has taken the key (the call's reply).
    bool press(quint32 keysym);
    bool release(quint32 keysym);
    // Presses `modifier` and `key`, holds them for `duration` while the event loop runs (key
    // repeat meanwhile), and releases them in reverse order.
    bool hold(quint32 modifier, quint32 key, std::chrono::milliseconds duration);
    // A short press and release of `key` with `modifier`, as a hand taps a shortcut.
    bool tap(quint32 modifier, quint32 key);
    // A short press and release of `key` alone.
    bool tap(quint32 key);

private:
    bool call(const QString& method, const QVariantList& arguments);

    QString session_;
    QString error_;
};
