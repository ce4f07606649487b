#include "support/FakeKeystrokeSender.h"

KeystrokeSender::Modifiers FakeKeystrokeSender::currentModifiers() {
    ++modifierReads;
    return heldModifiers;
}

bool FakeKeystrokeSender::postPasteChord() {
    if (refuses) {
        return false;
    }
    chordsPostedAt.append(clock_.now());
    return true;
}
