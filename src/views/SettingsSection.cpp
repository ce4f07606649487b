#include "views/SettingsSection.h"

const std::array<SettingsSection, 4>& SettingsSection::allCases() {
    static const std::array<SettingsSection, 4> cases = {home, general, system, modes};
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
    }
    return {};
}

QString SettingsSection::iconName() const {
    switch (case_) {
    case home: return QStringLiteral("house");
    case general: return QStringLiteral("slider.horizontal.3");
    case system: return QStringLiteral("desktopcomputer");
    case modes: return QStringLiteral("text.bubble");
    }
    return {};
}
