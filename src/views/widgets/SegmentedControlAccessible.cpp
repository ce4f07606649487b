#include "views/widgets/SegmentedControlAccessible.h"

#include "views/widgets/SegmentAccessible.h"
#include "views/widgets/SegmentedControl.h"

namespace {

QAccessibleInterface* segmentedControlFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("SegmentedControl")) {
        if (auto* control = qobject_cast<SegmentedControl*>(object)) {
            return new SegmentedControlAccessible(control);
        }
    }
    return nullptr;
}

}  // namespace

SegmentedControlAccessible::SegmentedControlAccessible(SegmentedControl* control)
    : QAccessibleWidget(control, QAccessible::PageTabList) {}

SegmentedControlAccessible::~SegmentedControlAccessible() {
    for (QAccessible::Id id : std::as_const(childIds_)) {
        QAccessible::deleteAccessibleInterface(id);
    }
}

void SegmentedControlAccessible::installFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(segmentedControlFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void SegmentedControlAccessible::notifySelectionChanged(SegmentedControl* control, int previous,
                                                        int current) {
    if (!QAccessible::isActive())
        return;
    auto* self =
        static_cast<SegmentedControlAccessible*>(QAccessible::queryAccessibleInterface(control));
    if (!self)
        return;
    QAccessible::State changed;
    changed.checked = true;
    changed.selected = true;
    for (int index : {previous, current}) {
        if (QAccessibleInterface* segment = self->child(index)) {
            QAccessibleStateChangeEvent event(segment, changed);
            QAccessible::updateAccessibility(&event);
        }
    }
}

SegmentedControl* SegmentedControlAccessible::control() const {
    return static_cast<SegmentedControl*>(widget());
}

void SegmentedControlAccessible::ensureChildren() const {
    while (childIds_.size() < control()->count()) {
        childIds_.append(QAccessible::registerAccessibleInterface(
            new SegmentAccessible(control(), int(childIds_.size()))));
    }
}

int SegmentedControlAccessible::childCount() const {
    return control()->count();
}

QAccessibleInterface* SegmentedControlAccessible::child(int index) const {
    if (index < 0 || index >= childCount())
        return nullptr;
    ensureChildren();
    return QAccessible::accessibleInterface(childIds_[index]);
}

int SegmentedControlAccessible::indexOfChild(const QAccessibleInterface* child) const {
    ensureChildren();
    return int(childIds_.indexOf(QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child))));
}

QAccessibleInterface* SegmentedControlAccessible::childAt(int x, int y) const {
    const QPoint local = control()->mapFromGlobal(QPoint(x, y));
    for (int i = 0; i < childCount(); ++i) {
        if (control()->segmentRect(i).contains(local))
            return child(i);
    }
    return nullptr;
}

QAccessibleInterface* SegmentedControlAccessible::focusChild() const {
    return control()->hasFocus() ? child(control()->selectedIndex()) : nullptr;
}
