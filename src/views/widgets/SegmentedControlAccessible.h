#pragma once

#include <QAccessibleWidget>
#include <QList>

class SegmentedControl;

// What assistive technology sees of a SegmentedControl: a list of page tabs, one child per
// segment, the selected one checked. The children have no object of their own, so this
// interface registers them and removes them with itself.
class SegmentedControlAccessible : public QAccessibleWidget {
public:
    explicit SegmentedControlAccessible(SegmentedControl* control);
    ~SegmentedControlAccessible() override;

    // Makes Qt build this interface for every SegmentedControl; safe to call repeatedly.
    static void installFactory();
    // Tells assistive technology that the checked segment moved.
    static void notifySelectionChanged(SegmentedControl* control, int previous, int current);

    SegmentedControl* control() const;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

private:
    void ensureChildren() const;

    mutable QList<QAccessible::Id> childIds_;
};
