#include "app/ui/preferences/shortcut_recorder.h"

#include "platform/linux/qt/qt_text.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>
#include <QToolButton>

namespace quillet::app {

namespace {

using platform::qt::qtText;

// X keysyms of the keys whose Qt code is not their character.
std::uint32_t keysymForQtKey(int key) {
    if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde) {
        return static_cast<std::uint32_t>(key); // Latin-1: the keysym is the code
    }
    if (key >= Qt::Key_nobreakspace && key <= Qt::Key_ydiaeresis) {
        return static_cast<std::uint32_t>(key);
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35) {
        return 0xffbe + static_cast<std::uint32_t>(key - Qt::Key_F1);
    }
    struct Pair {
        int key;
        std::uint32_t keysym;
    };
    static constexpr Pair kKeys[] = {
        {Qt::Key_Escape, 0xff1b},
        {Qt::Key_Tab, 0xff09},
        {Qt::Key_Backspace, 0xff08},
        {Qt::Key_Return, 0xff0d},
        {Qt::Key_Enter, 0xff8d},
        {Qt::Key_Insert, 0xff63},
        {Qt::Key_Delete, 0xffff},
        {Qt::Key_Pause, 0xff13},
        {Qt::Key_Print, 0xff61},
        {Qt::Key_Home, 0xff50},
        {Qt::Key_End, 0xff57},
        {Qt::Key_Left, 0xff51},
        {Qt::Key_Up, 0xff52},
        {Qt::Key_Right, 0xff53},
        {Qt::Key_Down, 0xff54},
        {Qt::Key_PageUp, 0xff55},
        {Qt::Key_PageDown, 0xff56},
        {Qt::Key_Menu, 0xff67},
        {Qt::Key_VolumeDown, 0x1008ff11},
        {Qt::Key_VolumeMute, 0x1008ff12},
        {Qt::Key_VolumeUp, 0x1008ff13},
        {Qt::Key_MediaPlay, 0x1008ff14},
    };
    for (const auto& pair : kKeys) {
        if (pair.key == key) {
            return pair.keysym;
        }
    }
    return 0;
}

bool isModifierKey(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_Meta || key == Qt::Key_Super_L || key == Qt::Key_Super_R ||
           key == Qt::Key_AltGr || key == Qt::Key_CapsLock || key == Qt::Key_NumLock ||
           key == Qt::Key_Hyper_L || key == Qt::Key_Hyper_R;
}

std::uint32_t modifierMask(Qt::KeyboardModifiers modifiers) {
    std::uint32_t mask = 0;
    if (modifiers & Qt::ShiftModifier) {
        mask |= modifier::kShift;
    }
    if (modifiers & Qt::ControlModifier) {
        mask |= modifier::kControl;
    }
    if (modifiers & Qt::AltModifier) {
        mask |= modifier::kAlt;
    }
    if (modifiers & Qt::MetaModifier) {
        mask |= modifier::kSuper;
    }
    return mask;
}

// What assistive tools see of the recorder: a button that starts recording
// when pressed, whose value is the shortcut it shows.
class RecorderAccessible final : public QAccessibleWidget {
public:
    explicit RecorderAccessible(ShortcutRecorder* recorder)
        : QAccessibleWidget(recorder, QAccessible::Button) {}

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        auto* recorder = static_cast<ShortcutRecorder*>(widget());
        if (name == pressAction() && recorder->isEnabled() && !recorder->isRecording()) {
            recorder->setFocus(Qt::OtherFocusReason);
            recorder->startRecording();
        }
    }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) {
            return static_cast<ShortcutRecorder*>(widget())->shownText();
        }
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* recorderAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(ShortcutRecorder::staticMetaObject.className())) {
        return new RecorderAccessible(static_cast<ShortcutRecorder*>(object));
    }
    return nullptr;
}

} // namespace

ShortcutRecorder::ShortcutRecorder(Translate translate, QWidget* parent)
    : QWidget(parent), translate_(std::move(translate)) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(recorderAccessible);
        return true;
    }();
    (void)factoryInstalled;
    setObjectName("QuilletShortcutRecorder");
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAccessibleName(text("Shortcut"));
    setAccessibleDescription(text("Press Space to record a shortcut, Backspace to clear it."));
    setMinimumWidth(220);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 4, 4);
    label_ = new QLabel(this);
    label_->setAlignment(Qt::AlignCenter);
    layout->addWidget(label_, 1);
    clearButton_ = new QToolButton(this);
    clearButton_->setIcon(QIcon::fromTheme(
        "edit-clear", QApplication::style()->standardIcon(QStyle::SP_DialogResetButton)));
    clearButton_->setAccessibleName(text("Clear shortcut"));
    clearButton_->setToolTip(text("Clear shortcut"));
    clearButton_->setAutoRaise(true);
    clearButton_->setFocusPolicy(Qt::TabFocus);
    connect(clearButton_, &QToolButton::clicked, this, [this] {
        endRecording();
        setObjectValue(std::nullopt);
        emit objectValueChanged();
    });
    layout->addWidget(clearButton_);
    refresh();
}

ShortcutRecorder::~ShortcutRecorder() {
    if (recording_) {
        releaseKeyboard();
    }
}

QString ShortcutRecorder::text(const char* english) const {
    return qtText(translate_ ? translate_(english) : std::string(english));
}

void ShortcutRecorder::setObjectValue(std::optional<Value::Dictionary> value) {
    value_ = std::move(value);
    refresh();
}

void ShortcutRecorder::startRecording() {
    if (recording_ || !isEnabled()) {
        return;
    }
    recording_ = true;
    setFocus(Qt::OtherFocusReason);
    grabKeyboard();
    refresh();
}

void ShortcutRecorder::endRecording() {
    if (!recording_) {
        return;
    }
    recording_ = false;
    releaseKeyboard();
    refresh();
}

void ShortcutRecorder::refresh(const QString& recordingText) {
    QString shown;
    if (recording_) {
        shown = recordingText.isEmpty() ? text("Type shortcut") : recordingText;
    } else if (value_) {
        shown = qtText(shortcutText(Value(*value_)));
    } else {
        shown = text("Record Shortcut");
    }
    label_->setText(shown);
    // Screen readers hear the value, or that there is none.
    setAccessibleDescription(shown);
    clearButton_->setVisible(value_.has_value() && !recording_);
    QFont font = label_->font();
    font.setItalic(recording_ || !value_);
    label_->setFont(font);
    setBackgroundRole(recording_ ? QPalette::AlternateBase : QPalette::Base);
}

QString ShortcutRecorder::shownText() const {
    return label_->text();
}

std::optional<Shortcut> ShortcutRecorder::shortcutForKeyEvent(const QKeyEvent& event) {
    if (isModifierKey(event.key())) {
        return std::nullopt;
    }
    std::uint32_t keysym = event.nativeVirtualKey();
    if (keysym == 0) {
        keysym = keysymForQtKey(event.key());
    }
    if (keysym == 0) {
        return std::nullopt;
    }
    return Shortcut{Shortcut::normalizedKeysym(keysym), modifierMask(event.modifiers())};
}

bool ShortcutRecorder::event(QEvent* event) {
    if (recording_ && (event->type() == QEvent::ShortcutOverride)) {
        // Every combination is ours while recording: no menu or dialog
        // shortcut may take it.
        event->accept();
        return true;
    }
    if (recording_ && event->type() == QEvent::KeyPress) {
        keyPressEvent(static_cast<QKeyEvent*>(event)); // Tab included
        return true;
    }
    return QWidget::event(event);
}

void ShortcutRecorder::keyPressEvent(QKeyEvent* event) {
    const auto plain = event->modifiers() & ~Qt::KeypadModifier;
    if (!recording_) {
        if (plain == Qt::NoModifier &&
            (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
             event->key() == Qt::Key_Enter)) {
            startRecording();
            return;
        }
        if (plain == Qt::NoModifier &&
            (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) && value_) {
            setObjectValue(std::nullopt);
            emit objectValueChanged();
            return;
        }
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (plain == Qt::NoModifier && event->key() == Qt::Key_Escape) {
        endRecording();
        return;
    }
    if (plain == Qt::NoModifier &&
        (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)) {
        endRecording();
        setObjectValue(std::nullopt);
        emit objectValueChanged();
        return;
    }
    auto shortcut = shortcutForKeyEvent(*event);
    if (!shortcut) {
        // Modifiers alone: show what is held so far.
        refresh(qtText(modifiersText(modifierMask(event->modifiers()))));
        return;
    }
    if (!shortcut->isRecordable()) {
        refresh(text("Hold Ctrl, Alt or Super with the key"));
        return;
    }
    Value::Dictionary candidate = shortcut->toDictionary();
    if (const Status allowed = canRecordShortcut ? canRecordShortcut(candidate) : Status{};
        !allowed) {
        QString why = text("taken; type another");
        if (allowed.error().code() == std::errc::file_exists) {
            why = text("taken by “%@”; type another")
                      .replace(QStringLiteral("%@"), qtText(allowed.error().reason()));
        }
        refresh(qtText(shortcutText(*shortcut)) + " — " + why);
        return;
    }
    recording_ = false;
    releaseKeyboard();
    setObjectValue(std::move(candidate));
    emit objectValueChanged();
}

void ShortcutRecorder::keyReleaseEvent(QKeyEvent* event) {
    if (recording_ && event->modifiers() == Qt::NoModifier) {
        refresh();
    }
    QWidget::keyReleaseEvent(event);
}

void ShortcutRecorder::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (recording_) {
            endRecording();
        } else {
            startRecording();
        }
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void ShortcutRecorder::focusOutEvent(QFocusEvent* event) {
    endRecording();
    QWidget::focusOutEvent(event);
}

} // namespace quillet::app
