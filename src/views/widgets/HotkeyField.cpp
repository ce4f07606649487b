#include "views/widgets/HotkeyField.h"

#include "models/AppSettings.h"
#include "services/hotkey/HotkeyUtils.h"
#include "theme/SemanticColors.h"
#include "views/widgets/KeyCaptureView.h"
#include "views/widgets/KeyPill.h"
#include "views/widgets/PillButton.h"
#include "views/widgets/SettingsText.h"
#include "views/widgets/SymbolImage.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <utility>

namespace {

// The clickable rounded face of the field; its children only draw.
class HotkeyFieldFace : public QAbstractButton {
public:
    explicit HotkeyFieldFace(QWidget* parent) : QAbstractButton(parent) {
        setMinimumHeight(48);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
        setCursor(Qt::PointingHandCursor);
        // Space or Enter starts recording as a click does; the capture view then takes over.
        setFocusPolicy(Qt::StrongFocus);
    }
    void setRecordingLook(bool recording) {
        recording_ = recording;
        update();
    }
    QSize sizeHint() const override { return layout() ? layout()->sizeHint() : QSize(200, 48); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor grey = SemanticColors::systemGrey(this);
        const qreal line = recording_ ? 2 : 1;
        painter.setBrush(SemanticColors::withOpacity(grey, 0.06));
        painter.setPen(
            recording_ ? QPen(SemanticColors::withOpacity(SemanticColors::primary(this), 0.4), line)
                       : QPen(SemanticColors::withOpacity(grey, 0.2), line));
        painter.drawRoundedRect(QRectF(rect()).adjusted(line / 2, line / 2, -line / 2, -line / 2),
                                10, 10);
        if (hasFocus() && !recording_) {
            painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 10, 10);
        }
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            click();
            event->accept();
            return;
        }
        QAbstractButton::keyPressEvent(event);
    }

private:
    bool recording_ = false;
};

void clearLayout(QLayout* layout) {
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (item->layout())
            clearLayout(item->layout());
        delete item->widget();
        delete item;
    }
}

constexpr quint64 fnFlag = KeyCaptureView::fnFlag;

}  // namespace

HotkeyField::HotkeyField(AppSettings& settings, ChangedCallback onChanged, QWidget* parent)
    : QWidget(parent),
      settings_(settings),
      onChanged_(std::move(onChanged)),
      button_(new HotkeyFieldFace(this)),
      faceLayout_(new QHBoxLayout(button_)),
      //% "Type the new shortcut, or press Esc to cancel"
      enterNewHint_(SettingsText::label(qtTrId("hotkey.enter_new"), 11, QFont::Normal,
                                        SettingsText::Tone::secondary)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addWidget(button_);
    enterNewHint_->setContentsMargins(4, 0, 0, 0);
    enterNewHint_->hide();
    column->addWidget(enterNewHint_);
    notice_ = SettingsText::label(QString(), 11, QFont::Normal, SettingsText::Tone::secondary);
    notice_->setContentsMargins(4, 0, 0, 0);
    notice_->setWordWrap(true);
    notice_->hide();
    column->addWidget(notice_);
    column->addWidget(buildConflictActions());
    holdNote_ = SettingsText::label(QString(), 11, QFont::Normal, SettingsText::Tone::secondary);
    holdNote_->setObjectName(QStringLiteral("holdNote"));
    holdNote_->setContentsMargins(4, 0, 0, 0);
    holdNote_->setWordWrap(true);
    holdNote_->hide();
    column->addWidget(holdNote_);

    faceLayout_->setContentsMargins(16, 12, 16, 12);
    faceLayout_->setSpacing(8);
    connect(button_, &QAbstractButton::clicked, this, &HotkeyField::toggleRecording);
    connect(&settings_, &AppSettings::changed, this, [this](const QString& key) {
        if (key == QLatin1String(AppSettings::Keys::hotkeyKeyCode) ||
            key == QLatin1String(AppSettings::Keys::hotkeyModifiers)) {
            rebuildFace();
        }
    });
    rebuildFace();
}

void HotkeyField::rebuildFace() {
    clearLayout(faceLayout_);
    const QColor secondary = SemanticColors::secondary(this);
    //% "Hotkey"
    button_->setAccessibleName(qtTrId("hotkey.field"));
    if (recording_) {
        button_->setAccessibleDescription(qtTrId("hotkey.press_keys"));
        //% "Press your shortcut…"
        faceLayout_->addWidget(SettingsText::label(qtTrId("hotkey.press_keys"), 13, QFont::Normal,
                                                   SettingsText::Tone::secondary));
    } else {
        const auto parts = HotkeyUtils::keyPartsWithLabels(int(settings_.hotkeyKeyCode()),
                                                           quint32(settings_.hotkeyModifiers()));
        QStringList names;
        for (const KeyPart& part : parts)
            names << part.label;
        button_->setAccessibleDescription(names.join(QLatin1String(" + ")));
        for (const KeyPart& part : parts) {
            auto* stack = new QVBoxLayout;
            stack->setSpacing(2);
            stack->addWidget(new KeyPill(part.symbol), 0, Qt::AlignHCenter);
            stack->addWidget(
                SettingsText::label(part.label, 9, QFont::Normal, SettingsText::Tone::secondary), 0,
                Qt::AlignHCenter);
            faceLayout_->addLayout(stack);
        }
    }
    faceLayout_->addStretch(1);
    auto* symbol = new QLabel;
    symbol->setPixmap(SymbolImage::pixmap(
        recording_ ? QStringLiteral("xmark.circle.fill") : QStringLiteral("pencil.circle.fill"), 20,
        recording_ ? secondary : SemanticColors::withOpacity(secondary, 0.35),
        devicePixelRatioF()));
    faceLayout_->addWidget(symbol);
    for (QWidget* child : button_->findChildren<QWidget*>()) {
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
}

void HotkeyField::setRecording(bool recording, FaceRebuild rebuild) {
    if (recording == recording_)
        return;
    recording_ = recording;
    modifiersDown_.clear();
    loneModifier_.reset();
    static_cast<HotkeyFieldFace*>(button_)->setRecordingLook(recording);
    enterNewHint_->setVisible(recording);
    if (recording) {
        capture_ =
            new KeyCaptureView([this](const CapturedKey& key) { handleKeyEvent(key); },
                               [this](const CapturedKey& key) { handleFlagsChanged(key); }, this);
        capture_->show();
        capture_->setFocus(Qt::OtherFocusReason);
    } else if (capture_) {
        // Deferred: the capture view may be the one delivering the key that ends recording.
        capture_->hide();
        capture_->deleteLater();
        capture_ = nullptr;
    }
    if (rebuild == FaceRebuild::now)
        rebuildFace();
    else
        QMetaObject::invokeMethod(this, &HotkeyField::rebuildFace, Qt::QueuedConnection);
}

void HotkeyField::handleKeyEvent(const CapturedKey& key) {
    if (!recording_)
        return;
    // Another key came in: a modifier held now is part of a combination, not alone.
    loneModifier_.reset();
    const quint32 mask = HotkeyUtils::carbonModifiers(key.flags);
    if (key.keyCode == 53 && mask == 0) {
        setRecording(false);
        return;
    }
    if (mask == 0 && key.keyCode != 49)
        return;
    applyHotkey(key.keyCode, int(mask));
}

void HotkeyField::handleFlagsChanged(const CapturedKey& key) {
    if (!recording_ || !KeyCodes::isModifierOnlyKey(key.keyCode))
        return;
    if (key.pressed) {
        // The Globe key's code is stored as Fn's.
        const bool fn = (key.keyCode == 63 || key.keyCode == 179) && (key.flags & fnFlag);
        if (modifiersDown_.isEmpty()) {
            loneModifier_ = std::pair(key.keyCode, fn ? 63 : key.keyCode);
        } else {
            loneModifier_.reset();
        }
        modifiersDown_.insert(key.keyCode);
        return;
    }
    // A release of a modifier held before recording began is no choice of the user's.
    if (!modifiersDown_.remove(key.keyCode))
        return;
    if (!loneModifier_ || loneModifier_->first != key.keyCode)
        return;
    if (!canBindLoneModifiers_) {
        // Recording it would store a hotkey the desktop never fires.
        loneModifier_.reset();
        //% "This desktop binds key combinations only: hold a modifier and press a key"
        setNotice(qtTrId("hotkey.lone_modifier_unavailable"));
        return;
    }
    applyHotkey(loneModifier_->second, 0);
}

QWidget* HotkeyField::buildConflictActions() {
    conflictActions_ = new QWidget(this);
    auto* row = new QHBoxLayout(conflictActions_);
    row->setContentsMargins(4, 2, 0, 0);
    row->setSpacing(8);
    //% "Choose another"
    chooseAnother_ = new PillButton(qtTrId("hotkey.gnome.choose_another"),
                                    PillButton::Style::secondary, conflictActions_);
    //% "Free these keys in GNOME"
    freeKeys_ = new PillButton(qtTrId("hotkey.gnome.free_keys"), PillButton::Style::primary,
                               conflictActions_);
    row->addWidget(chooseAnother_);
    row->addWidget(freeKeys_);
    row->addStretch(1);
    conflictActions_->hide();
    connect(chooseAnother_, &QAbstractButton::clicked, this, [this] { setRecording(true); });
    connect(freeKeys_, &QAbstractButton::clicked, this, [this] {
        // The hotkey is registered again by then: a notice of the outcome replaces this one.
        if (freeConflict_ && !freeConflict_()) {
            //% "GNOME did not let Quillo change that shortcut. Choose another one."
            setNotice(qtTrId("hotkey.gnome.free_failed"));
        }
    });
    return conflictActions_;
}

void HotkeyField::setNotice(const QString& text) {
    notice_->setText(text);
    notice_->setVisible(!text.isEmpty());
    // The conflict's choices belong to its notice alone.
    conflictActions_->hide();
    freeConflict_ = {};
}

void HotkeyField::showDesktopConflict(const QString& description, std::function<bool()> freeKeys) {
    //% "GNOME already uses this shortcut for “%1”. Choose another one, or free these keys in GNOME
    // for Quillo."
    setNotice(qtTrId("hotkey.gnome.conflict").arg(description));
    freeConflict_ = std::move(freeKeys);
    freeKeys_->setVisible(static_cast<bool>(freeConflict_));
    conflictActions_->show();
}

void HotkeyField::setHoldUnavailable(bool unavailable) {
    //% "GNOME's key repeat is off, so holding the shortcut cannot be told from a tap: press it
    // twice to dictate hands-free, or turn key repeat on in GNOME's keyboard settings."
    holdNote_->setText(unavailable ? qtTrId("hotkey.gnome.hold_unavailable") : QString());
    holdNote_->setVisible(unavailable);
}

QString HotkeyField::holdNote() const {
    return holdNote_->text();
}

QString HotkeyField::notice() const {
    return notice_->text();
}

void HotkeyField::showTriggerTaken() {
    //% "The desktop could not bind this shortcut: another application uses it. Choose another one."
    setNotice(qtTrId("hotkey.portal.taken"));
}

void HotkeyField::showTriggerChanged(const QString& description) {
    if (description.isEmpty()) {
        //% "The desktop no longer has a shortcut for dictation: choose one here."
        setNotice(qtTrId("hotkey.portal.removed"));
        return;
    }
    //% "The desktop now starts dictation with %1 (changed in its shortcut settings)."
    setNotice(qtTrId("hotkey.portal.changed").arg(description));
}

void HotkeyField::applyHotkey(int keyCode, int modifiers) {
    setNotice({});
    settings_.setHotkeyKeyCode(keyCode);
    settings_.setHotkeyModifiers(modifiers);
    if (onChanged_)
        onChanged_(keyCode, modifiers);
    setRecording(false);
}

void HotkeyField::hideEvent(QHideEvent* event) {
    // The window may be closing on its way to destruction, when no widget may be made: the face
    // is rebuilt from the event loop, which a destroyed field never reaches.
    setRecording(false, FaceRebuild::later);
    QWidget::hideEvent(event);
}
