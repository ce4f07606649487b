#pragma once

#include <QString>

#include <array>
#include <optional>

// The sections of the settings window, in sidebar order.
class SettingsSection {
public:
    enum Case : quint8 { home, general, system, modes, connection };

    constexpr SettingsSection(Case c) : case_(c) {}  // NOLINT: implicit on purpose, like an enum

    static const std::array<SettingsSection, 5>& allCases();
    static std::optional<SettingsSection> fromRawValue(const QString& rawValue);

    constexpr Case value() const { return case_; }
    QString rawValue() const;
    QString id() const { return rawValue(); }
    QString labelKey() const;
    // The translated sidebar text.
    QString label() const;
    // The symbol drawn before the label.
    QString iconName() const;

    friend constexpr bool operator==(SettingsSection a, SettingsSection b) {
        return a.case_ == b.case_;
    }

private:
    Case case_;
};
