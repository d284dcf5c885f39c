#include "app/ui/preferences/shortcut_window_controller.h"

#include "app/core/preferences/shortcut_sheet_model.h"
#include "platform/linux/qt/qt_text.h"
#include "shared/keys.h"
#include "shared/refresh_notification.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <chrono>

namespace quillet::app {

namespace {

using platform::qt::qtText;

constexpr std::chrono::milliseconds kReleaseSheetDelay{300};

} // namespace

ShortcutWindowController::ShortcutWindowController(AppServices& services, Value record,
                                                   QWidget* parent)
    : QDialog(parent), services_(services), template_(std::move(record)) {
    setObjectName("ShortcutWindowController");
    const QString title = qtText(services_.translate("Keyboard Shortcut"));
    setWindowTitle(title);
    setAccessibleName(title);
    setWindowModality(Qt::WindowModal);

    auto* layout = new QGridLayout(this);
    iconView_ = new QLabel(this);
    iconView_->setObjectName("iconView");
    iconView_->setFixedSize(64, 64);
    iconView_->setAccessibleName(qtText(services_.translate("Template icon")));
    layout->addWidget(iconView_, 0, 0, 2, 1, Qt::AlignTop);

    nameTextField_ = new QLabel(this);
    nameTextField_->setObjectName("nameTextField");
    nameTextField_->setAccessibleName(qtText(services_.translate("Default file name")));
    nameTextField_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = nameTextField_->font();
    bold.setBold(true);
    nameTextField_->setFont(bold);
    layout->addWidget(nameTextField_, 0, 1);

    recorderControl_ = new ShortcutRecorder(services_.translate, this);
    layout->addWidget(recorderControl_, 1, 1);

    // A session without global shortcuts says so, and nothing records.
    if (const Status available = services_.hotKeys.availability(); !available) {
        auto* note = new QLabel(qtText(services_.translate(available.error().reason())), this);
        note->setObjectName("shortcutsUnavailable");
        note->setWordWrap(true);
        note->setAccessibleName(note->text());
        layout->addWidget(note, 2, 0, 1, 2);
        recorderControl_->setEnabled(false);
    }

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    ok->setText(qtText(services_.translate("OK")));
    cancel->setText(qtText(services_.translate("Cancel")));
    ok->setAccessibleName(ok->text());
    cancel->setAccessibleName(cancel->text());
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { didClickOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { didClickCancel(); });
    layout->addWidget(buttons, 3, 0, 1, 2);

    windowDidLoad();
    recorderControl_->setFocus();
}

void ShortcutWindowController::windowDidLoad() {
    if (!template_.isDictionary()) {
        return;
    }
    ShortcutSheetContent content = shortcutSheetContent(template_);
    QIcon icon;
    if (auto name = services_.fileTypes.iconNameForExtension(content.suffix)) {
        icon = QIcon::fromTheme(qtText(*name));
    }
    if (icon.isNull()) {
        icon = QIcon::fromTheme("text-x-generic");
    }
    iconView_->setPixmap(icon.pixmap(64, 64));
    if (!content.title.empty()) {
        iconView_->setToolTip(qtText(content.title));
    }
    nameTextField_->setText(qtText(content.name));
    if (content.shortcut) {
        recorderControl_->setObjectValue(content.shortcut);
    }
    const auto ownShortcut = content.shortcut;
    recorderControl_->canRecordShortcut = [this, ownShortcut](const Value::Dictionary& candidate) {
        return canRecordShortcut(services_.hotKeys, candidate, ownShortcut, [this] {
            raise();
            activateWindow();
        });
    };
}

void ShortcutWindowController::keyPressEvent(QKeyEvent* event) {
    // While the recorder records, Escape and Return belong to it.
    if (recorderControl_->isRecording()) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

ShortcutWindowController* editShortcut(AppServices& services, QWidget* parent, std::size_t row,
                                       const Value& record,
                                       std::function<void(const Value::Array&)> saveFileTemplates,
                                       std::function<void(int)> finished) {
    auto* sheet = new ShortcutWindowController(services, record, parent);
    QObject::connect(
        sheet, &QDialog::finished, sheet,
        [&services, sheet, row, record, save = std::move(saveFileTemplates),
         finished = std::move(finished)](int returnCode) {
            SettingsStore store = services.openSharedDefaults();
            auto saver = save;
            if (!saver) {
                saver = [&services, &store](const Value::Array& templates) {
                    if (const Status stored =
                            store.setObject(keys::kFileTemplates, Value(templates));
                        !stored) {
                        services.alerts.showAlert(
                            services.translate("Unable to save the templates!"),
                            stored.error().logText(), AlertStyle::Critical);
                        return;
                    }
                    store.synchronize();
                    postRefreshNotification(services.notifications, keys::kFileTemplates);
                };
            }
            completeShortcutSheet(
                {.store = store, .saveFileTemplates = saver, .launchHelper = services.launchHelper},
                returnCode, row, record, sheet->recorderControl()->objectValue());
            if (finished) {
                finished(returnCode);
            }
            QPointer<ShortcutWindowController> later(sheet);
            QTimer::singleShot(kReleaseSheetDelay, [later] {
                if (later) {
                    later->deleteLater();
                }
            });
        });
    sheet->open();
    return sheet;
}

} // namespace quillet::app
