#include "views/settings/sections/GeneralSettingsContent.h"

#include "models/AppSettings.h"
#include "platform/SessionNotes.h"
#include "services/hotkey/HotkeyUtils.h"
#include "theme/QuilloTheme.h"
#include "theme/SemanticColors.h"
#include "views/widgets/KeyCap.h"
#include "views/widgets/KeyPill.h"
#include "views/widgets/PillButton.h"
#include "views/widgets/QuilloToggleStyle.h"
#include "views/widgets/SectionTitle.h"
#include "views/widgets/SettingsCard.h"
#include "views/widgets/SettingsDivider.h"
#include "views/widgets/SettingsRow.h"
#include "views/widgets/SettingsText.h"
#include "views/widgets/SymbolImage.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace {

void clearLayout(QLayout* layout) {
    while (QLayoutItem* item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

QVBoxLayout* headed(const QString& title, int titleSize, QFont::Weight titleWeight,
                    SettingsText::Tone titleTone, const QString& hint = {}) {
    auto* stack = new QVBoxLayout;
    stack->setSpacing(6);
    stack->addWidget(SettingsText::label(title, titleSize, titleWeight, titleTone));
    if (!hint.isEmpty()) {
        auto* hintLabel =
            SettingsText::label(hint, 11, QFont::Normal, SettingsText::Tone::secondary);
        hintLabel->setWordWrap(true);
        stack->addWidget(hintLabel);
    }
    return stack;
}

QWidget* labelledKey(const QString& symbol, const QString& label) {
    auto* box = new QWidget;
    auto* stack = new QVBoxLayout(box);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(4);
    auto* cap = new KeyCap(symbol, SemanticColors::systemFont(16, QFont::Medium), {}, 7,
                           KeyCap::Look::onPage);
    // Linux names are words, not symbols: the cap grows with them from its 36-point square.
    cap->setMinimumSize(36, 36);
    stack->addWidget(cap, 0, Qt::AlignHCenter);
    stack->addWidget(SettingsText::label(label, 10, QFont::Normal, SettingsText::Tone::secondary),
                     0, Qt::AlignHCenter);
    return box;
}

KeyCap* exampleCap(const QString& text, int pixelSize, QMargins padding) {
    return new KeyCap(text, SemanticColors::systemFont(pixelSize, QFont::Medium), padding, 5,
                      KeyCap::Look::onPage);
}

QWidget* combination(const QString& modifiers, const QString& key) {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    row->addWidget(exampleCap(modifiers, 13, QMargins(8, 5, 8, 5)));
    row->addWidget(exampleCap(key, 13, QMargins(8, 5, 8, 5)));
    return box;
}

QLabel* symbolLabel(const QString& name, int size, const QColor& colour, qreal ratio) {
    auto* label = new QLabel;
    label->setPixmap(SymbolImage::pixmap(name, size, colour, ratio));
    return label;
}

}  // namespace

GeneralSettingsContent::GeneralSettingsContent(AppSettings& settings,
                                               HotkeyField::ChangedCallback onHotkeyChanged,
                                               QWidget* parent)
    : QWidget(parent), settings_(settings), onHotkeyChanged_(std::move(onHotkeyChanged)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(24);
    //% "General"
    column->addWidget(new SectionTitle(qtTrId("general.title")));
    column->addWidget(buildHotkeyCard());
    column->addWidget(buildShortcutInfoCard());
    column->addWidget(buildRestartCard());
    if (QWidget* session = buildSessionCard())
        column->addWidget(session);

    connect(&settings_, &AppSettings::changed, this, [this](const QString& key) {
        if (key == QLatin1String(AppSettings::Keys::hotkeyKeyCode) ||
            key == QLatin1String(AppSettings::Keys::hotkeyModifiers)) {
            rebuildHandsFreeCaps();
            refreshBindingLines();
        }
    });
    rebuildHandsFreeCaps();
}

namespace {

// The session's limitations, by the ids the platform layer names them with.
QString limitationText(const QString& id) {
    if (id == QLatin1String("session.limit.no_overlay")) {
        //% "No X server (XWayland) in this session: the overlay is not shown."
        return qtTrId("session.limit.no_overlay");
    }
    if (id == QLatin1String("session.limit.clipboard")) {
        //% "The compositor offers no clipboard control: the clipboard goes through XWayland and
        //reaches Wayland applications only as far as the compositor passes it on."
        return qtTrId("session.limit.clipboard");
    }
    if (id == QLatin1String("session.limit.no_clipboard")) {
        //% "The compositor offers no clipboard control and there is no X server: dictated text
        //cannot be pasted."
        return qtTrId("session.limit.no_clipboard");
    }
    if (id == QLatin1String("session.limit.paste")) {
        //% "The compositor offers no virtual keyboard: text is pasted only into X11 applications."
        return qtTrId("session.limit.paste");
    }
    if (id == QLatin1String("session.limit.bindings")) {
        //% "The hotkey comes from the compositor's key bindings; a lone modifier key cannot be
        //bound that way."
        return qtTrId("session.limit.bindings");
    }
    if (id == QLatin1String("session.limit.cancel_key")) {
        //% "Esc cancels a dictation only while an X11 application has the focus."
        return qtTrId("session.limit.cancel_key");
    }
    if (id == QLatin1String("session.limit.no_cancel_key")) {
        //% "Esc cannot cancel a dictation in this session."
        return qtTrId("session.limit.no_cancel_key");
    }
    if (id == QLatin1String("session.limit.typing")) {
        //% "The compositor offers no clipboard control: dictated text is typed into the focused
        //window instead of pasted."
        return qtTrId("session.limit.typing");
    }
    if (id == QLatin1String("session.limit.lone_modifier")) {
        //% "The desktop binds key combinations only: a lone modifier key cannot be the hotkey in
        //this session."
        return qtTrId("session.limit.lone_modifier");
    }
    if (id == QLatin1String("session.limit.hotkey")) {
        //% "The hotkey reaches Quillo only while an X11 application has the focus."
        return qtTrId("session.limit.hotkey");
    }
    if (id == QLatin1String("session.gnome.custom_shortcut")) {
        //% "The hotkey is Quillo's own GNOME keyboard shortcut (“Quillo” in GNOME's keyboard
        //settings). GNOME reports only presses and key repeats: a hold ends when the repeats stop."
        return qtTrId("session.gnome.custom_shortcut");
    }
    if (id == QLatin1String("session.limit.gnome_paste")) {
        //% "Dictated text goes on the clipboard of XWayland, which GNOME hands on to every window, and is pasted with Shift+Insert, which text fields and terminals alike understand; the clipboard is put back afterwards."
        return qtTrId("session.limit.gnome_paste");
    }
    if (id == QLatin1String("session.limit.gnome_typing")) {
        //% "No X server (XWayland) in this session: dictated text is typed. Characters your keyboard layout lacks are entered by their Unicode code where IBus runs, and otherwise named on the overlay; the whole text stays in the history."
        return qtTrId("session.limit.gnome_typing");
    }
    if (id == QLatin1String("session.gnome.no_tray")) {
        //% "GNOME shows no tray icons. Dictation works without Quillo's icon; start Quillo again
        //from the applications overview to open these settings, or install GNOME's AppIndicator
        //extension to get the icon back."
        return qtTrId("session.gnome.no_tray");
    }
    return {};
}

}  // namespace

QWidget* GeneralSettingsContent::buildSessionCard() {
    const QStringList limitations = SessionNotes::limitationIds();
    if (limitations.isEmpty() && !SessionNotes::needsBindingLines())
        return nullptr;
    auto* card = new SettingsCard;
    card->setObjectName(QStringLiteral("sessionCard"));
    QVBoxLayout* stack = card->contentLayout();
    stack->setSpacing(10);
    //% "This session"
    stack->addWidget(SettingsText::label(qtTrId("general.session.title"), 14, QFont::DemiBold,
                                         SettingsText::Tone::primary));
    if (SessionNotes::needsBindingLines()) {
        //% "Add these lines to the compositor's configuration (sway: ~/.config/sway/config) and
        //reload it, so that the hotkey reaches Quillo:"
        auto* hint = SettingsText::label(qtTrId("general.session.bindings_hint"), 12, QFont::Normal,
                                         SettingsText::Tone::secondary);
        hint->setWordWrap(true);
        stack->addWidget(hint);
        bindingLines_ = new QLabel;
        bindingLines_->setObjectName(QStringLiteral("bindingLines"));
        bindingLines_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        bindingLines_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        bindingLines_->setWordWrap(true);
        stack->addWidget(bindingLines_);
        refreshBindingLines();
    }
    if (limitations.contains(QLatin1String("session.choice.gnome_custom_shortcut")))
        stack->addWidget(buildGnomeRouteChoice());
    for (const QString& id : limitations) {
        const QString text = limitationText(id);
        if (text.isEmpty())
            continue;
        auto* line = SettingsText::label(text, 12, QFont::Normal, SettingsText::Tone::secondary);
        line->setWordWrap(true);
        stack->addWidget(line);
    }
    return card;
}

QWidget* GeneralSettingsContent::buildGnomeRouteChoice() {
    auto* toggle = new QuilloToggleStyle;
    toggle->setObjectName(QStringLiteral("gnomeCustomShortcutToggle"));
    toggle->setChecked(settings_.gnomeCustomShortcut());
    //% "Use a GNOME keyboard shortcut for the hotkey"
    //% "Instead of the desktop's shortcut portal: try this if the hotkey does nothing while some
    //windows have the focus. Applies at Quillo's next start."
    auto* row = new SettingsRow(qtTrId("general.session.gnome_route"),
                                qtTrId("general.session.gnome_route_hint"), toggle, false);
    connect(toggle, &QAbstractButton::toggled, this,
            [this](bool on) { settings_.setGnomeCustomShortcut(on); });
    return row;
}

void GeneralSettingsContent::refreshBindingLines() {
    if (!bindingLines_)
        return;
    const QStringList lines = SessionNotes::bindingLines(int(settings_.hotkeyKeyCode()),
                                                         int(settings_.hotkeyModifiers()));
    //% "This hotkey cannot be bound through the compositor's key bindings: choose one with a key
    //other than a modifier."
    bindingLines_->setText(lines.isEmpty() ? qtTrId("general.session.bindings_unavailable")
                                           : lines.join(QLatin1Char('\n')));
}

QWidget* GeneralSettingsContent::buildHotkeyCard() {
    auto* card = new SettingsCard;
    QVBoxLayout* stack = card->contentLayout();
    stack->setSpacing(16);
    //% "Push to talk"
    stack->addLayout(headed(qtTrId("general.push_to_talk"), 13, QFont::DemiBold,
                            SettingsText::Tone::primary,
                            //% "Hold this shortcut while you speak; release it to insert the text."
                            qtTrId("general.push_to_talk.hint")));
    field_ = new HotkeyField(settings_, onHotkeyChanged_);
    stack->addWidget(field_);
    stack->addWidget(new SettingsDivider);
    //% "Hands-free"
    stack->addLayout(headed(
        qtTrId("general.handsfree"), 13, QFont::DemiBold, SettingsText::Tone::primary,
        //% "Press the shortcut twice to dictate without holding it; press it again to finish."
        qtTrId("general.handsfree.hint")));
    handsFreeCaps_ = new QHBoxLayout;
    handsFreeCaps_->setSpacing(6);
    stack->addLayout(handsFreeCaps_);
    return card;
}

void GeneralSettingsContent::rebuildHandsFreeCaps() {
    clearLayout(handsFreeCaps_);
    const auto parts =
        HotkeyUtils::keyParts(int(settings_.hotkeyKeyCode()), quint32(settings_.hotkeyModifiers()));
    for (const QString& part : parts)
        handsFreeCaps_->addWidget(new KeyPill(part));
    auto* times =
        SettingsText::label(QStringLiteral("×2"), 11, QFont::Medium, SettingsText::Tone::secondary);
    times->setObjectName(QStringLiteral("handsFreeTimes"));
    handsFreeCaps_->addWidget(times);
    handsFreeCaps_->addStretch(1);
}

QWidget* GeneralSettingsContent::buildShortcutInfoCard() {
    const auto secondary = SettingsText::Tone::secondary;
    auto* card = new SettingsCard;
    QVBoxLayout* stack = card->contentLayout();
    stack->setSpacing(14);
    //% "Which keys can be a shortcut?"
    stack->addWidget(
        SettingsText::label(qtTrId("general.shortcut_info_title"), 14, QFont::DemiBold));

    //% "A modifier key on its own or together with another key"
    QVBoxLayout* modifiers =
        headed(qtTrId("general.shortcut_modifiers"), 12, QFont::Medium, secondary);
    auto* keys = new QHBoxLayout;
    keys->setSpacing(16);
    //% "Control"
    keys->addWidget(
        labelledKey(HotkeyUtils::modifierName(HotkeyUtils::controlMask), qtTrId("key.ctrl.label")));
    //% "Alt or AltGr"
    keys->addWidget(
        labelledKey(HotkeyUtils::modifierName(HotkeyUtils::optionMask), qtTrId("key.alt.label")));
    //% "Shift"
    keys->addWidget(
        labelledKey(HotkeyUtils::modifierName(HotkeyUtils::shiftMask), qtTrId("key.shift.label")));
    //% "Windows key"
    keys->addWidget(labelledKey(HotkeyUtils::modifierName(HotkeyUtils::commandMask),
                                qtTrId("key.super.label")));
    keys->addStretch(1);
    modifiers->addLayout(keys);
    stack->addLayout(modifiers);

    stack->addWidget(new SettingsDivider);
    //% "Combinations"
    QVBoxLayout* combos = headed(qtTrId("general.shortcut_combos"), 12, QFont::Medium, secondary);
    auto* examples = new QHBoxLayout;
    examples->setSpacing(3);
    examples->addWidget(
        combination(HotkeyUtils::modifierName(HotkeyUtils::optionMask), HotkeyUtils::keyName(49)));
    examples->addSpacing(13);
    examples->addWidget(
        combination(HotkeyUtils::modifierName(HotkeyUtils::commandMask), QStringLiteral("K")));
    examples->addSpacing(13);
    examples->addWidget(combination(HotkeyUtils::modifierName(HotkeyUtils::controlMask) +
                                        QLatin1Char('+') +
                                        HotkeyUtils::modifierName(HotkeyUtils::shiftMask),
                                    QStringLiteral("D")));
    examples->addStretch(1);
    combos->addLayout(examples);
    stack->addLayout(combos);

    stack->addWidget(new SettingsDivider);
    //% "Function keys"
    QVBoxLayout* fkeys = headed(qtTrId("general.shortcut_fkeys"), 12, QFont::Medium, secondary);
    auto* caps = new QHBoxLayout;
    caps->setSpacing(8);
    for (const char* name : {"F1", "F2", "F3", "...", "F12"}) {
        caps->addWidget(exampleCap(QString::fromLatin1(name), 11, QMargins(8, 4, 8, 4)));
    }
    caps->addStretch(1);
    fkeys->addLayout(caps);
    stack->addLayout(fkeys);

    auto* note = new QHBoxLayout;
    auto* info = symbolLabel(QStringLiteral("info.circle"), 11, SemanticColors::secondary(this),
                             devicePixelRatioF());
    info->setContentsMargins(0, 2, 0, 0);
    note->addWidget(info, 0, Qt::AlignTop);
    //% "Letters, digits and other keys alone cannot be a shortcut, except Space."
    auto* notSupported =
        SettingsText::label(qtTrId("general.shortcut_not_supported"), 11, QFont::Normal, secondary);
    notSupported->setWordWrap(true);
    auto* notes = new QVBoxLayout;
    notes->setSpacing(6);
    notes->addWidget(notSupported);
    if (!HotkeyUtils::isFnKeyUsable()) {
        //% "The fn key cannot be a hotkey on this desktop: the keyboard keeps it to itself."
        auto* fnNote =
            SettingsText::label(qtTrId("general.fn_unavailable"), 11, QFont::Normal, secondary);
        fnNote->setObjectName(QStringLiteral("fnUnavailableNote"));
        fnNote->setWordWrap(true);
        notes->addWidget(fnNote);
    }
    note->addLayout(notes, 1);
    stack->addLayout(note);
    return card;
}

QWidget* GeneralSettingsContent::buildRestartCard() {
    restartCard_ = new SettingsCard;
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    row->addWidget(symbolLabel(QStringLiteral("arrow.clockwise"), 14, QuilloTheme::accent(),
                               devicePixelRatioF()));
    //% "Restart Quillo to apply the change."
    row->addWidget(SettingsText::label(qtTrId("general.restart_hint"), 12, QFont::Normal,
                                       SettingsText::Tone::secondary));
    row->addStretch(1);
    //% "Restart"
    auto* restart = new PillButton(qtTrId("general.restart"), PillButton::Style::primary);
    connect(restart, &QAbstractButton::clicked, this, [] {
        QProcess::startDetached(QCoreApplication::applicationFilePath(),
                                QCoreApplication::arguments().mid(1));
        QTimer::singleShot(500, qApp, &QCoreApplication::quit);
    });
    row->addWidget(restart);
    static_cast<SettingsCard*>(restartCard_)->contentLayout()->addLayout(row);
    restartCard_->hide();
    return restartCard_;
}
