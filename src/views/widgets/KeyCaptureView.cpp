#include "views/widgets/KeyCaptureView.h"

#include <QHash>
#include <QKeyEvent>

#include <utility>

namespace {

KeyCaptureView::NativeKeyTranslator& nativeTranslator() {
    static KeyCaptureView::NativeKeyTranslator translator;
    return translator;
}

// Qt keys to portable key codes, for events without a usable native code. Letters and digits
// are named by their US-layout positions.
const QHash<int, int>& qtKeyTable() {
    static const QHash<int, int> table = {
        {Qt::Key_A, 0},           {Qt::Key_S, 1},          {Qt::Key_D, 2},
        {Qt::Key_F, 3},           {Qt::Key_H, 4},          {Qt::Key_G, 5},
        {Qt::Key_Z, 6},           {Qt::Key_X, 7},          {Qt::Key_C, 8},
        {Qt::Key_V, 9},           {Qt::Key_B, 11},         {Qt::Key_Q, 12},
        {Qt::Key_W, 13},          {Qt::Key_E, 14},         {Qt::Key_R, 15},
        {Qt::Key_Y, 16},          {Qt::Key_T, 17},         {Qt::Key_1, 18},
        {Qt::Key_2, 19},          {Qt::Key_3, 20},         {Qt::Key_4, 21},
        {Qt::Key_6, 22},          {Qt::Key_5, 23},         {Qt::Key_Equal, 24},
        {Qt::Key_9, 25},          {Qt::Key_7, 26},         {Qt::Key_Minus, 27},
        {Qt::Key_8, 28},          {Qt::Key_0, 29},         {Qt::Key_BracketRight, 30},
        {Qt::Key_O, 31},          {Qt::Key_U, 32},         {Qt::Key_BracketLeft, 33},
        {Qt::Key_I, 34},          {Qt::Key_P, 35},         {Qt::Key_Return, 36},
        {Qt::Key_Enter, 36},      {Qt::Key_L, 37},         {Qt::Key_J, 38},
        {Qt::Key_Apostrophe, 39}, {Qt::Key_K, 40},         {Qt::Key_Semicolon, 41},
        {Qt::Key_Backslash, 42},  {Qt::Key_Comma, 43},     {Qt::Key_Slash, 44},
        {Qt::Key_N, 45},          {Qt::Key_M, 46},         {Qt::Key_Period, 47},
        {Qt::Key_Tab, 48},        {Qt::Key_Backtab, 48},   {Qt::Key_Space, 49},
        {Qt::Key_QuoteLeft, 50},  {Qt::Key_Backspace, 51}, {Qt::Key_Escape, 53},
        {Qt::Key_Meta, 55},       {Qt::Key_Super_L, 55},   {Qt::Key_Super_R, 54},
        {Qt::Key_Shift, 56},      {Qt::Key_CapsLock, 57},  {Qt::Key_Alt, 58},
        {Qt::Key_AltGr, 61},      {Qt::Key_Control, 59},   {Qt::Key_F1, 122},
        {Qt::Key_F2, 120},        {Qt::Key_F3, 99},        {Qt::Key_F4, 118},
        {Qt::Key_F5, 96},         {Qt::Key_F6, 97},        {Qt::Key_F7, 98},
        {Qt::Key_F8, 100},        {Qt::Key_F9, 101},       {Qt::Key_F10, 109},
        {Qt::Key_F11, 103},       {Qt::Key_F12, 111},      {Qt::Key_Home, 115},
        {Qt::Key_PageUp, 116},    {Qt::Key_Delete, 117},   {Qt::Key_End, 119},
        {Qt::Key_PageDown, 121},  {Qt::Key_Left, 123},     {Qt::Key_Right, 124},
        {Qt::Key_Down, 125},      {Qt::Key_Up, 126},
    };
    return table;
}

}  // namespace

KeyCaptureView::KeyCaptureView(Handler onKeyDown, Handler onFlagsChanged, QWidget* parent)
    : QWidget(parent),
      onKeyDown_(std::move(onKeyDown)),
      onFlagsChanged_(std::move(onFlagsChanged)) {
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(0, 0);
}

void KeyCaptureView::installNativeKeyTranslator(NativeKeyTranslator translator) {
    nativeTranslator() = std::move(translator);
}

std::optional<int> KeyCaptureView::portableKeyCode(const QKeyEvent& event) {
    if (event.nativeScanCode() != 0 && nativeTranslator()) {
        if (auto code = nativeTranslator()(event.nativeScanCode())) return code;
    }
    const auto found = qtKeyTable().constFind(event.key());
    if (found == qtKeyTable().constEnd()) return std::nullopt;
    return found.value();
}

quint64 KeyCaptureView::eventFlags(Qt::KeyboardModifiers modifiers) {
    quint64 flags = 0;
    if (modifiers & Qt::MetaModifier) flags |= commandFlag;
    if (modifiers & Qt::AltModifier) flags |= optionFlag;
    if (modifiers & Qt::ControlModifier) flags |= controlFlag;
    if (modifiers & Qt::ShiftModifier) flags |= shiftFlag;
    return flags;
}

bool KeyCaptureView::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Claim the key so that no shortcut fires; it comes back as a key press.
        event->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        handleKey(static_cast<const QKeyEvent&>(*event), event->type() == QEvent::KeyPress);
        event->accept();
        return true;
    default: return QWidget::event(event);
    }
}

void KeyCaptureView::handleKey(const QKeyEvent& event, bool pressed) {
    if (event.isAutoRepeat()) return;
    const auto code = portableKeyCode(event);
    if (!code) return;
    quint64 flags = eventFlags(event.modifiers());
    if (KeyCodes::isModifierOnlyKey(*code)) {
        // The Fn flag is set while Fn is down, as on the keyboards that report it.
        if ((*code == 63 || *code == 179) && pressed) flags |= fnFlag;
        if (onFlagsChanged_)
            onFlagsChanged_({*code, flags, pressed});
    } else if (pressed && onKeyDown_) {
        onKeyDown_({*code, flags});
    }
}
