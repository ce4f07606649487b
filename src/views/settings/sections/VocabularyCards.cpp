#include "views/settings/sections/VocabularyCards.h"

#include "models/AppSettings.h"
#include "theme/SemanticColors.h"
#include "views/widgets/SectionSubtitle.h"
#include "views/widgets/SettingsCard.h"
#include "views/widgets/SettingsText.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace {

const QString arrow = QStringLiteral(" → ");

QPlainTextEdit* listEditor(const QString& accessibleName, const QString& placeholder) {
    auto* editor = new QPlainTextEdit;
    editor->setFont(SemanticColors::systemFont(12, QFont::Normal, true));
    editor->setFixedHeight(96);
    editor->setAccessibleName(accessibleName);
    editor->setPlaceholderText(placeholder);
    editor->setTabChangesFocus(true);
    return editor;
}

QLabel* hint(const QString& text) {
    auto* label = SettingsText::label(text, 11, QFont::Normal, SettingsText::Tone::secondary);
    label->setWordWrap(true);
    return label;
}

}  // namespace

VocabularyCards::VocabularyCards(AppSettings& settings, QWidget* parent)
    : QWidget(parent), settings_(settings) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(24);

    //% "Vocabulary"
    const QString vocabularyTitle = qtTrId("vocabulary.title");
    column->addWidget(new SectionSubtitle(vocabularyTitle));
    auto* wordsCard = new SettingsCard;
    wordsCard->contentLayout()->setSpacing(10);
    //% "Names and words that speech-to-text should know, one per line. They go with every "
    //% "transcription through your own server; Quillo's service has no field for them."
    wordsCard->contentLayout()->addWidget(hint(qtTrId("vocabulary.hint")));
    //% "Quillo\nKubernetes\nDr. Okonkwo"
    vocabulary_ = listEditor(vocabularyTitle, qtTrId("vocabulary.placeholder"));
    vocabulary_->setPlainText(settings_.vocabulary().join(QLatin1Char('\n')));
    wordsCard->contentLayout()->addWidget(vocabulary_);
    column->addWidget(wordsCard);

    //% "Replacements"
    const QString replacementsTitle = qtTrId("replacements.title");
    column->addWidget(new SectionSubtitle(replacementsTitle));
    auto* replacementsCard = new SettingsCard;
    replacementsCard->contentLayout()->setSpacing(10);
    //% "One per line as heard → written. Whole words, letter case ignored, applied before "
    //% "formatting."
    replacementsCard->contentLayout()->addWidget(hint(qtTrId("replacements.hint")));
    //% "cube control → kubectl\nquill o → Quillo"
    replacements_ = listEditor(replacementsTitle, qtTrId("replacements.placeholder"));
    replacements_->setPlainText(textOf(settings_.replacements()));
    replacementsCard->contentLayout()->addWidget(replacements_);
    column->addWidget(replacementsCard);

    connect(vocabulary_, &QPlainTextEdit::textChanged, this,
            [this] { settings_.setVocabulary(wordsFrom(vocabulary_->toPlainText())); });
    connect(replacements_, &QPlainTextEdit::textChanged, this,
            [this] { settings_.setReplacements(replacementsFrom(replacements_->toPlainText())); });
}

QStringList VocabularyCards::wordsFrom(const QString& text) {
    QStringList words;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            words.append(line.trimmed());
    }
    return words;
}

QList<Replacement> VocabularyCards::replacementsFrom(const QString& text) {
    static const QRegularExpression separator(QStringLiteral("→|->"));
    QList<Replacement> replacements;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const qsizetype at = line.indexOf(separator);
        if (at < 0)
            continue;
        const QRegularExpressionMatch match = separator.match(line, at);
        const QString heard = line.left(at).trimmed();
        if (heard.isEmpty())
            continue;
        replacements.append({heard, line.mid(at + match.capturedLength()).trimmed()});
    }
    return replacements;
}

QString VocabularyCards::textOf(const QList<Replacement>& replacements) {
    QStringList lines;
    for (const Replacement& r : replacements)
        lines.append(r.heard + arrow + r.written);
    return lines.join(QLatin1Char('\n'));
}
