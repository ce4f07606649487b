#include "support/FakeKeystrokeSender.h"

KeystrokeSender::Modifiers FakeKeystrokeSender::currentModifiers() {
    ++modifierReads;
    return heldModifiers;
}

KeystrokeSender::Result FakeKeystrokeSender::postPasteChord(PasteChord chord) {
    if (refuses) {
        return Result::NotSent;
    }
    if (breaksOff) {
        return Result::PartlySent;
    }
    chordsPostedAt.append(clock_.now());
    chords.append(chord);
    if (onChord) {
        onChord();
    }
    return Result::Sent;
}
