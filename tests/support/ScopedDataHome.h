#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

// A private XDG data home while it lives: speech models and downloads land in a temporary
// folder, and the previous value comes back when it goes.
class ScopedDataHome {
public:
    ScopedDataHome() : previous_(qgetenv("XDG_DATA_HOME")) {
        qputenv("XDG_DATA_HOME", folder_.path().toUtf8());
    }
    ~ScopedDataHome() {
        if (previous_.isEmpty()) {
            qunsetenv("XDG_DATA_HOME");
        } else {
            qputenv("XDG_DATA_HOME", previous_);
        }
    }
    ScopedDataHome(const ScopedDataHome&) = delete;
    ScopedDataHome& operator=(const ScopedDataHome&) = delete;

    bool isValid() const { return folder_.isValid(); }
    QString path() const { return folder_.path(); }

private:
    QByteArray previous_;
    QTemporaryDir folder_;
};
