#pragma once

#include <QObject>

class QButtonGroup;

// Tab into a group of radio buttons lands on the chosen one, as screen-reader users expect:
// Qt enters the group at its first button whatever is checked, and the arrow keys then move
// the choice. Owned by the group it watches.
class RadioGroupTabFocus : public QObject {
    Q_OBJECT

public:
    // Watches the buttons the group holds now.
    explicit RadioGroupTabFocus(QButtonGroup* group);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QButtonGroup* group_;
};
