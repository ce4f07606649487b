#pragma once

// The key chord that makes the focused window paste. Terminals take Control+V as a control
// character, but every common one pastes with Shift+Insert (some from the primary selection,
// some from the clipboard, so the text is offered as both).
enum class PasteChord {
    ControlV,
    ShiftInsert,
};
