#pragma once

#include "platform/LoginItemService.h"

#include <QStringList>

// Starts Quillo at login through an XDG autostart entry, $XDG_CONFIG_HOME/autostart/quillo.desktop,
// which every freedesktop session (GNOME, KDE Plasma, Xfce, LXQt, ...) reads when the user logs in.
class XdgAutostartLoginItemService : public LoginItemService {
public:
    // Where an installed quillo is found: the install prefix's bin folder and the search path.
    struct Installation {
        QString binDir;
        QStringList searchPath;
        // This build's install folder and the process's $PATH.
        static Installation current();
    };

    // `executablePath` is the running binary (QCoreApplication::applicationFilePath()).
    explicit XdgAutostartLoginItemService(QString executablePath,
                                          QString configHome = defaultConfigHome(),
                                          Installation installation = Installation::current());

    bool registerItem(QString* error = nullptr) override;
    bool unregisterItem(QString* error = nullptr) override;
    Status status() const override;

    QString entryPath() const;
    // The Exec value written: "quillo" when the running binary is the one found on the search
    // path, otherwise its absolute path, quoted when it needs to be.
    QString execCommand() const;

    // $XDG_CONFIG_HOME when it is an absolute path, otherwise ~/.config.
    static QString defaultConfigHome();

private:
    QString entryContents() const;

    QString executablePath_;
    QString configHome_;
    Installation installation_;
};
