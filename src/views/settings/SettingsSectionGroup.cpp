#include "views/settings/SettingsSectionGroup.h"

const std::array<SettingsSectionGroup, 1>& SettingsSectionGroup::allCases() {
    static const std::array<SettingsSectionGroup, 1> cases = {settings};
    return cases;
}

QString SettingsSectionGroup::rawValue() const { return QStringLiteral("settings"); }

QString SettingsSectionGroup::header() const {
    //% "SETTINGS"
    return qtTrId("nav.group.settings");
}

QList<SettingsSection> SettingsSectionGroup::sections() const {
    const auto& all = SettingsSection::allCases();
    return QList<SettingsSection>(all.begin(), all.end());
}
