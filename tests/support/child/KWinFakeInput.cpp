// Presses keys at KWin as a keyboard would, through its fake-input protocol, for the tests
// (KWin grants the protocol only to an executable whose desktop file asks for it).
// Prints "ready" once granted, then reads commands from standard input, one a line:
//   press <evdev code> | release <evdev code>
// and answers "ok" once KWin has processed each (a round trip), "error" otherwise.
#include "fake-input-client-protocol.h"

#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

namespace {

struct Globals {
    org_kde_kwin_fake_input* fakeInput = nullptr;
};

void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t version) {
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4) {
        globals->fakeInput = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
    }
}

void onGlobalRemove(void*, wl_registry*, uint32_t) {}

constexpr wl_registry_listener registryListener{onGlobal, onGlobalRemove};

void answer(const char* text) {
    std::cout << text << std::endl;
}

}  // namespace

int main() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::cerr << "kwin-fake-input: no Wayland display" << std::endl;
        return 1;
    }
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip(display);
    if (!globals.fakeInput) {
        std::cerr << "kwin-fake-input: the compositor offers no fake input to this program"
                  << std::endl;
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(globals.fakeInput, "Quillo tests", "press keys in tests");
    wl_display_roundtrip(display);
    answer("ready");

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string verb;
        uint32_t code = 0;
        if (!(words >> verb >> code) || (verb != "press" && verb != "release")) {
            answer("error");
            continue;
        }
        org_kde_kwin_fake_input_keyboard_key(
            globals.fakeInput, code,
            verb == "press" ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
        answer(wl_display_roundtrip(display) >= 0 ? "ok" : "error");
    }
    org_kde_kwin_fake_input_destroy(globals.fakeInput);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return 0;
}
