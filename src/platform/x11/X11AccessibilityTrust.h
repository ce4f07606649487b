#pragma once

#include "platform/AccessibilityTrust.h"

#include <QByteArray>

// On X11 any client may post synthetic input once the server offers XTest; there is nothing
// to grant, only an extension that may be missing.
class X11AccessibilityTrust final : public AccessibilityTrust {
public:
    explicit X11AccessibilityTrust(QByteArray displayName = {});

    bool isTrusted() const override;
    bool isTrustedWithPrompt() override;

private:
    QByteArray displayName_;
};
