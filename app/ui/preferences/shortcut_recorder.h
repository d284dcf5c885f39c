// A control that records one key combination as a shortcut dictionary. Click
// it (or press Space or Return while it has the focus) to record; then the
// next combination with at least one modifier besides Shift is taken, unless
// `canRecordShortcut` refuses it. Escape cancels, Backspace or Delete clears.
// While recording it holds the keyboard, so that a combination some program
// (our own helper included) has grabbed still reaches it.
#pragma once

#include "shared/error.h"
#include "shared/shortcut.h"
#include "shared/value.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QKeyEvent;
class QLabel;
class QToolButton;

namespace quillet::app {

class ShortcutRecorder final : public QWidget {
    Q_OBJECT
public:
    using Translate = std::function<std::string(const std::string&)>;

    explicit ShortcutRecorder(Translate translate, QWidget* parent = nullptr);
    ~ShortcutRecorder() override;

    // The recorded combination, or nothing when cleared.
    const std::optional<Value::Dictionary>& objectValue() const { return value_; }
    void setObjectValue(std::optional<Value::Dictionary> value);

    // Asked with each candidate; an error refuses it and recording goes on.
    // An error of code file_exists names what already uses the combination.
    std::function<Status(const Value::Dictionary&)> canRecordShortcut;

    bool isRecording() const { return recording_; }
    // What it shows: the shortcut, the prompt while recording, or the offer to record.
    QString shownText() const;
    void startRecording();
    // Ends recording, keeping the value as it is.
    void endRecording();

    // The combination a key press stands for: the key's X keysym (from the
    // platform, else from Qt's key code) and the modifiers held. Nothing for
    // a press of a modifier alone or a key without a keysym.
    static std::optional<Shortcut> shortcutForKeyEvent(const QKeyEvent& event);

signals:
    void objectValueChanged();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void refresh(const QString& recordingText = {});
    QString text(const char* english) const;

    Translate translate_;
    std::optional<Value::Dictionary> value_;
    bool recording_ = false;
    QLabel* label_ = nullptr;
    QToolButton* clearButton_ = nullptr;
};

} // namespace quillet::app
