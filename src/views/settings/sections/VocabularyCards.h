#pragma once

#include "models/WordLists.h"

#include <QWidget>

class AppSettings;
class QPlainTextEdit;

// Words and names for speech-to-text, and "heard → written" replacements, each edited as
// lines of text and stored at every edit under "vocabulary" and "replacements".
class VocabularyCards : public QWidget {
    Q_OBJECT
public:
    explicit VocabularyCards(AppSettings& settings, QWidget* parent = nullptr);

    QPlainTextEdit* vocabularyEditor() const { return vocabulary_; }
    QPlainTextEdit* replacementsEditor() const { return replacements_; }

    // One word or name per line; blank lines dropped.
    static QStringList wordsFrom(const QString& text);
    // "heard → written" per line ("->" works too); lines without an arrow or with nothing
    // heard are left out.
    static QList<Replacement> replacementsFrom(const QString& text);
    static QString textOf(const QList<Replacement>& replacements);

private:
    AppSettings& settings_;
    QPlainTextEdit* vocabulary_;
    QPlainTextEdit* replacements_;
};
