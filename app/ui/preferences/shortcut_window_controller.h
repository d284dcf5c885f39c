// The shortcut sheet: a window-modal dialog over the preferences window with
// the template's icon and default file name and a recorder that accepts only
// combinations free system-wide. OK ends it with 1, Cancel with 0.
#pragma once

#include "app/core/app_services.h"
#include "app/ui/preferences/shortcut_recorder.h"
#include "shared/value.h"

#include <QDialog>

#include <cstddef>
#include <functional>

class QLabel;

namespace quillet::app {

class ShortcutWindowController final : public QDialog {
    Q_OBJECT
public:
    // `record` is the template as it is when the sheet opens.
    ShortcutWindowController(AppServices& services, Value record, QWidget* parent);

    const Value& templateRecord() const { return template_; }
    ShortcutRecorder* recorderControl() const { return recorderControl_; }
    QLabel* iconView() const { return iconView_; }
    QLabel* nameTextField() const { return nameTextField_; }

    void didClickOK() { done(1); }
    void didClickCancel() { done(0); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void windowDidLoad();

    AppServices& services_;
    Value template_;
    ShortcutRecorder* recorderControl_ = nullptr;
    QLabel* iconView_ = nullptr;
    QLabel* nameTextField_ = nullptr;
};

// What the Templates pane does to edit a template's shortcut: opens the sheet
// on `parent`'s window for the record at `row`, and when it ends with OK
// stores the change (through `saveFileTemplates`, or straight into the store
// with the refresh notification when that is empty), recomputes
// shouldLaunchHelper and starts the helper when some template has a
// shortcut. `finished` runs after that, with the return code; the sheet
// deletes itself 0.3 s later. Returns the open sheet.
ShortcutWindowController*
editShortcut(AppServices& services, QWidget* parent, std::size_t row, const Value& record,
             std::function<void(const Value::Array&)> saveFileTemplates = nullptr,
             std::function<void(int returnCode)> finished = nullptr);

} // namespace quillet::app
