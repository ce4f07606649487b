#include "support/VisibleLayout.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QStringList>

#include <optional>

namespace {

QString describe(const QWidget* widget, const QString& text) {
    QString name = QString::fromLatin1(widget->metaObject()->className());
    if (!widget->objectName().isEmpty())
        name += QLatin1Char('#') + widget->objectName();
    if (!text.isEmpty())
        name += QStringLiteral(" \"%1\"").arg(text.left(60));
    return name;
}

// A control inside another scrolling view (a text box's own viewport) scrolls there, not here.
bool insideAnotherScrollArea(const QWidget* widget, const QWidget* area) {
    for (const QWidget* parent = widget->parentWidget(); parent && parent != area;
         parent = parent->parentWidget()) {
        if (qobject_cast<const QAbstractScrollArea*>(parent))
            return true;
    }
    return false;
}

// The text a person reads on the control, and whether the control must show all of it on
// one line (a wrapping label grows downwards instead).
struct ShownText {
    QString text;
    bool mustFitOnOneLine = false;
};

std::optional<ShownText> shownText(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return ShownText{label->text(), !label->wordWrap() && !label->text().isEmpty()};
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return ShownText{button->text(), true};
    if (const auto* field = qobject_cast<const QLineEdit*>(widget))
        return ShownText{field->text(), false};
    if (const auto* choice = qobject_cast<const QComboBox*>(widget))
        return ShownText{choice->currentText(), true};
    return std::nullopt;
}

// `area` scrolls vertically when it is a scrolling page's pane: only its width then bounds.
QStringList clippedControls(QWidget* root, QWidget* area, bool areaBoundsHeight) {
    QStringList findings;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* widget : widgets) {
        const std::optional<ShownText> shown = shownText(widget);
        if (!shown || !widget->isVisibleTo(area) || insideAnotherScrollArea(widget, area))
            continue;
        const QRect box(widget->mapTo(area, QPoint(0, 0)), widget->size());
        if (box.left() < 0 || box.right() >= area->width()) {
            findings << QStringLiteral("%1 spans x %2..%3 in an area %4 px wide")
                            .arg(describe(widget, shown->text))
                            .arg(box.left())
                            .arg(box.right())
                            .arg(area->width());
        }
        if (areaBoundsHeight && (box.top() < 0 || box.bottom() >= area->height())) {
            findings << QStringLiteral("%1 spans y %2..%3 in an area %4 px tall")
                            .arg(describe(widget, shown->text))
                            .arg(box.top())
                            .arg(box.bottom())
                            .arg(area->height());
        }
        const auto* label = qobject_cast<const QLabel*>(widget);
        if (label && label->wordWrap() && !label->text().isEmpty() &&
            label->heightForWidth(label->width()) > label->height()) {
            findings << QStringLiteral("%1 needs %2 px of height and has %3")
                            .arg(describe(widget, shown->text))
                            .arg(label->heightForWidth(label->width()))
                            .arg(label->height());
        }
        if (shown->mustFitOnOneLine && widget->sizeHint().width() > widget->width()) {
            findings << QStringLiteral("%1 needs %2 px and has %3")
                            .arg(describe(widget, shown->text))
                            .arg(widget->sizeHint().width())
                            .arg(widget->width());
        }
        // A line cut at its top or bottom loses its accents and descenders.
        if (shown->mustFitOnOneLine && widget->sizeHint().height() > widget->height()) {
            findings << QStringLiteral("%1 needs %2 px of height and has %3")
                            .arg(describe(widget, shown->text))
                            .arg(widget->sizeHint().height())
                            .arg(widget->height());
        }
    }
    return findings;
}

::testing::AssertionResult verdict(const QStringList& findings) {
    if (findings.isEmpty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << findings.join(QLatin1Char('\n')).toStdString();
}

}  // namespace

::testing::AssertionResult VisibleLayout::nothingClipped(QWidget* root, QWidget* area) {
    return verdict(clippedControls(root, area, true));
}

::testing::AssertionResult VisibleLayout::fitsItsPane(QScrollArea* scrollArea) {
    QWidget* pane = scrollArea->viewport();
    QWidget* page = scrollArea->widget();
    QStringList findings;
    if (page->width() > pane->width()) {
        findings << QStringLiteral("the content is %1 px wide in a %2 px pane")
                        .arg(page->width())
                        .arg(pane->width());
    }
    findings << clippedControls(page, pane, false);
    return verdict(findings);
}
