#pragma once

#include "models/WordLists.h"

#include <QList>
#include <QRegularExpression>
#include <QString>

// The user's "heard → written" pairs, applied to a transcript before it is formatted and kept:
// whole words only, letter case ignored, every occurrence, in the order the pairs are listed.
class TranscriptReplacements {
public:
    explicit TranscriptReplacements(const QList<Replacement>& replacements);

    QString apply(QString transcript) const;
    bool isEmpty() const { return rules_.isEmpty(); }

private:
    struct Rule {
        QRegularExpression pattern;
        QString written;
    };
    QList<Rule> rules_;
};
