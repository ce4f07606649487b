#include "support/InMemoryDefaultsStore.h"
#include "base/ProcessExit.h"
#include "models/AppSettings.h"

#include <QApplication>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

// Every test runs inside a Qt application; code that reaches AppSettings::shared() gets an
// in-memory store that the test can reset.
int main(int argc, char* argv[]) {
    ::testing::InitGoogleMock(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        AppSettings::installSharedStore(InMemoryDefaultsStore::sharedForTests());
        result = RUN_ALL_TESTS();
    }
    // As Quillo's own main does, past the static teardown that can abort in Qt's sound engine.
    ProcessExit::skippingStaticTeardown(result);
}
