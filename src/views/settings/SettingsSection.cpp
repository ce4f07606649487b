#include "views/settings/SettingsSection.h"

const std::array<SettingsSection, 5>& SettingsSection::allCases() {
    static const std::array<SettingsSection, 5> cases = {home, general, system, modes, connection};
    return cases;
}

std::optional<SettingsSection> SettingsSection::fromRawValue(const QString& rawValue) {
    for (SettingsSection section : allCases()) {
        if (section.rawValue() == rawValue) return section;
    }
    return std::nullopt;
}

QString SettingsSection::rawValue() const {
    switch (case_) {
    case home: return QStringLiteral("home");
    case general: return QStringLiteral("general");
    case system: return QStringLiteral("system");
    case modes: return QStringLiteral("modes");
    case connection: return QStringLiteral("connection");
    }
    return {};
}

QString SettingsSection::labelKey() const { return QStringLiteral("nav.") + rawValue(); }

QString SettingsSection::label() const {
    switch (case_) {
    //% "Home"
    case home: return qtTrId("nav.home");
    //% "General"
    case general: return qtTrId("nav.general");
    //% "System"
    case system: return qtTrId("nav.system");
    //% "Modes"
    case modes: return qtTrId("nav.modes");
    //% "Connection"
    case connection: return qtTrId("nav.connection");
    }
    return {};
}

QString SettingsSection::iconName() const {
    switch (case_) {
    case home: return QStringLiteral("house");
    case general: return QStringLiteral("slider.horizontal.3");
    case system: return QStringLiteral("desktopcomputer");
    case modes: return QStringLiteral("text.bubble");
    case connection: return QStringLiteral("network");
    }
    return {};
}
