#pragma once

#include "support/TestArtifacts.h"
#include "support/VisibleLayout.h"
#include "views/onboarding/OnboardingView.h"
#include "views/onboarding/OnboardingWindowController.h"

#include <QTest>

#include <gtest/gtest.h>

// Saves the onboarding window as a person sees it once the page has settled, and checks that
// nothing on it is clipped.
inline void saveOnboardingScreenshot(OnboardingView* view, const QString& fileName) {
    QWidget* window = OnboardingWindowController::shared().window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    ASSERT_TRUE(QTest::qWaitFor([view] { return !view->isAnimating(); }));
    EXPECT_TRUE(window->grab().save(testArtifactPath(fileName)));
    EXPECT_TRUE(VisibleLayout::nothingClipped(window, window)) << fileName.toStdString();
}
