#pragma once

#include "platform/Pasteboard.h"

// A clipboard in memory. `readable` false makes contents() report that nothing can be read.
class FakePasteboard final : public Pasteboard {
public:
    std::optional<Contents> contents() const override;
    QString text() const override;
    void clear() override;
    void writeText(const QString& text) override;
    void writeContents(const Contents& contents) override;

    // What another application's copy would leave.
    void copyFromElsewhere(const Contents& contents) { current = contents; }

    Contents current;
    bool readable = true;
    int writes = 0;
};
