#include "views/widgets/SegmentAccessible.h"

#include "views/widgets/SegmentedControl.h"

SegmentAccessible::SegmentAccessible(SegmentedControl* control, int index)
    : control_(control), index_(index) {}

bool SegmentAccessible::isValid() const {
    return control_ && index_ < control_->count();
}

QWindow* SegmentAccessible::window() const {
    QAccessibleInterface* owner = parent();
    return owner ? owner->window() : nullptr;
}

QAccessibleInterface* SegmentAccessible::parent() const {
    return control_ ? QAccessible::queryAccessibleInterface(control_.data()) : nullptr;
}

QString SegmentAccessible::text(QAccessible::Text kind) const {
    if (!control_ || kind != QAccessible::Name)
        return {};
    return control_->segmentText(index_);
}

QRect SegmentAccessible::rect() const {
    if (!control_)
        return {};
    const QRect local = control_->segmentRect(index_);
    return QRect(control_->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::State SegmentAccessible::state() const {
    QAccessible::State state;
    if (!control_) {
        state.invalid = true;
        return state;
    }
    const bool selected = control_->selectedIndex() == index_;
    state.checkable = true;
    state.checked = selected;
    state.selectable = true;
    state.selected = selected;
    state.focusable = true;
    state.focused = selected && control_->hasFocus();
    state.invisible = !control_->isVisible();
    state.disabled = !control_->isEnabled();
    return state;
}

void* SegmentAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ActionInterface) {
        return static_cast<QAccessibleActionInterface*>(this);
    }
    return nullptr;
}

QStringList SegmentAccessible::actionNames() const {
    return {pressAction()};
}

void SegmentAccessible::doAction(const QString& actionName) {
    if (control_ && actionName == pressAction())
        control_->choose(index_);
}
