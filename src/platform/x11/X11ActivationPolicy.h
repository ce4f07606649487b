#pragma once

#include "platform/ActivationPolicy.h"

#include <QObject>

class QWindow;

// Taskbar presence of Quillo's windows. Accessory marks every top-level window, present and
// future, with the EWMH states skip-taskbar and skip-pager; regular removes them. Works on
// the X11 platform plugin; on others (offscreen in tests) only the policy is remembered.
class X11ActivationPolicy : public QObject, public ActivationPolicy {
    Q_OBJECT
public:
    explicit X11ActivationPolicy(Policy initial, QObject* parent = nullptr);
    ~X11ActivationPolicy() override;

    void setPolicy(Policy policy) override;
    Policy policy() const override { return policy_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply(QWindow* window, bool mapped) const;

    Policy policy_;
};
