#include "dictation/StartupChores.h"

#include "base/Log.h"
#include "base/Scheduler.h"
#include "models/AppSettings.h"
#include "platform/AccessibilityTrust.h"
#include "platform/DefaultsStore.h"
#include "platform/LoginItemService.h"

#include <QPointer>

using namespace std::chrono_literals;

namespace {

constexpr Scheduler::Duration onboardingDelay = 500ms;

}  // namespace

StartupChores::StartupChores(Dependencies dependencies, QObject* parent)
    : QObject(parent), deps_(std::move(dependencies)) {}

void StartupChores::run() {
    if (!deps_.accessibility.isTrusted()) {
        Log::line(QStringLiteral(
            "[Quillo] Accessibility permission not granted -- auto-paste may not work"));
        Log::line(QStringLiteral(
            "[Quillo] Grant in: System Settings → Privacy & Security → Accessibility"));
    }
    DefaultsStore& store = deps_.settings.store();
    if (!store.boolean(QLatin1String(AppSettings::Keys::onboardingCompleted))) {
        QPointer<StartupChores> self(this);
        deps_.scheduler
            .scheduleOnce(onboardingDelay,
                          [self] {
                              if (self && self->deps_.showOnboarding) {
                                  self->deps_.showOnboarding();
                              }
                          })
            .release();
    }
    if (!store.contains(QLatin1String(AppSettings::Keys::launchAtLoginSet))) {
        deps_.loginItems.registerItem();  // a failure is not retried: the flag is set anyway
        store.setBoolean(QLatin1String(AppSettings::Keys::launchAtLoginSet), true);
    }
}
