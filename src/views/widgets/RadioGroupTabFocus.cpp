#include "views/widgets/RadioGroupTabFocus.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFocusEvent>

RadioGroupTabFocus::RadioGroupTabFocus(QButtonGroup* group) : QObject(group), group_(group) {
    for (QAbstractButton* button : group->buttons())
        button->installEventFilter(this);
}

bool RadioGroupTabFocus::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::FocusIn)
        return false;
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    QAbstractButton* chosen = group_->checkedButton();
    if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) && chosen &&
        chosen != watched && chosen->isEnabled()) {
        chosen->setFocus(reason);
    }
    return false;
}
