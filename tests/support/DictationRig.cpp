#include "support/DictationRig.h"

#include "dictation/DictationCoordinator.h"

#include <QNetworkProxy>

namespace {

template <typename Part, typename Fake>
Part& either(Part* chosen, Fake& fake) {
    return chosen ? *chosen : fake;
}

}  // namespace

DictationRig::DictationRig() {
    network.setProxy(QNetworkProxy::NoProxy);
    store.setBoolean("onboarding_completed", true);
    store.setBoolean("launch_at_login_set", true);
}

DictationRig::~DictationRig() = default;

std::unique_ptr<DictationCoordinator> DictationRig::startCoordinator() {
    const QString otherHosts = everyHostAtServer ? server.baseURL() : QString();
    auto coordinator = std::make_unique<DictationCoordinator>(DictationCoordinator::Dependencies{
        either(parts.settings, settings), either(parts.recorder, recorder),
        either(parts.paster, paster), either(parts.overlay, overlay), either(parts.sounds, sounds),
        either(parts.trust, trust), either(parts.scheduler, scheduler),
        either(parts.hotkeys, hotkeys), either(parts.modifiers, modifiers), loginItems,
        deviceIdentity,
        DictationCoordinator::RemoteServices{HttpTransport(&network), otherHosts, otherHosts,
                                             server.baseURL()},
        [this] {
            ++onboardingShown;
            if (showOnboarding) {
                showOnboarding();
            }
        },
        either(parts.cancelKey, cancelKey), either(parts.speech, speech), parts.local,
        parts.windowFocus});
    coordinator->start();
    return coordinator;
}
