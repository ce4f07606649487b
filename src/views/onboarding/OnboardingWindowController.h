#pragma once

#include "views/onboarding/OnboardingView.h"

#include <QObject>
#include <QPointer>

// Creates the onboarding window once and brings it forward on later requests. Closing the
// window only hides it; finishing the last step closes it for good.
class OnboardingWindowController : public QObject {
    Q_OBJECT
public:
    static OnboardingWindowController& shared();
    // The composition root installs the real services before the first show(); a window
    // that already exists keeps the ones it was built with.
    static void installServices(OnboardingView::Services services);

    void show();
    QWidget* window() const { return window_; }
    OnboardingView* view() const { return view_; }

    // For tests: forgets the window (deleting it) so that the next show() builds a new one.
    void reset();

signals:
    void completed();

private:
    OnboardingWindowController() = default;
    void finish();

    OnboardingView::Services services_;
    QPointer<QWidget> window_;
    QPointer<OnboardingView> view_;
};
