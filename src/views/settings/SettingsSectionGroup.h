#pragma once

#include "views/settings/SettingsSection.h"

#include <QList>
#include <QString>

#include <array>

// The headed groups of the settings sidebar; today one group holds every section.
class SettingsSectionGroup {
public:
    enum Case : quint8 { settings };

    constexpr SettingsSectionGroup(Case c) : case_(c) {}  // NOLINT: implicit, like an enum

    static const std::array<SettingsSectionGroup, 1>& allCases();

    QString rawValue() const;
    // The translated group header.
    QString header() const;
    QList<SettingsSection> sections() const;

private:
    Case case_;
};
