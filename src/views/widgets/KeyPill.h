#pragma once

#include "views/widgets/KeyCap.h"

// One key cap of a hotkey: the key's symbol or name on a small rounded, outlined cap.
class KeyPill : public KeyCap {
    Q_OBJECT
public:
    explicit KeyPill(const QString& text, QWidget* parent = nullptr);
};
