#pragma once

#include "services/paste/TextPaster.h"

#include <QStringList>

// Remembers every text it was asked to paste.
class FakeTextPaster final : public TextPaster {
public:
    QCoro::Task<void> pasteText(QString text) override {
        pasted << text;
        co_return;
    }
    QStringList pasted;
};
