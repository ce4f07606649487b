#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <memory>

// A nested X server (Xephyr) in a window of the test display. Keys typed into that window
// reach the nested server through its own keyboard driver, a slave device that is not XTest:
// to the programs on the nested display they are a user's key presses, as a hardware
// keyboard's are. Programs there that post XTest events (our paste chord) use the nested
// server's own XTest device, so both kinds of input can be told apart as on a real desktop.
class NestedXServer {
public:
    NestedXServer();  // on $DISPLAY; waits until the nested server answers
    ~NestedXServer();
    NestedXServer(const NestedXServer&) = delete;
    NestedXServer& operator=(const NestedXServer&) = delete;

    bool isRunning() const;
    // ":N", for the programs under test to connect to.
    QByteArray displayName() const;
    // What the nested server wrote so far, to explain a failed start.
    QByteArray output() const;
    // A user's key on the nested display (X key codes: evdev + 8).
    void press(quint8 xKeyCode);
    void release(quint8 xKeyCode);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
