#include "helper/ui/install_script/install_script_window.h"

#include "helper/core/shortcuts/script_installer.h"
#include "helper/ui/install_script/drag_drop_image_view.h"
#include "platform/linux/qt/gui_runtime.h"
#include "shared/xdg_paths.h"

#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>

namespace quillet::helper {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// The command that copies the script, shown under the button that asked.
class CommandPopover final : public QFrame {
public:
    CommandPopover(const QString& command, const QString& label, QWidget* parent)
        : QFrame(parent, Qt::Popup) {
        setFrameShape(QFrame::StyledPanel);
        setAccessibleName(label);
        auto* layout = new QVBoxLayout(this);
        auto* text = new QPlainTextEdit(command, this);
        text->setReadOnly(true);
        text->setAccessibleName(label);
        QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(12);
        text->setFont(font);
        text->setFixedSize(480, 90);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        layout->addWidget(text);
        text->selectAll();
        setFocusProxy(text);
    }
};

class InstallScriptWindowController final : public QDialog {
public:
    InstallScriptWindowController(const std::string& scriptPath, const std::string& destDir,
                                  Workspace& workspace, const Translator& translate)
        : scriptPath_(scriptPath), destDir_(destDir), workspace_(workspace), translate_(translate) {
        setObjectName("QuilletInstallScriptWindow");
        setWindowTitle(tr("Install QuilletHelper.sh"));
        setAccessibleName(windowTitle());
        setWindowIcon(QIcon::fromTheme("text-x-script", QIcon::fromTheme("text-x-generic")));

        auto* layout = new QVBoxLayout(this);
        imageView_ = new DragDropImageView(this);
        imageView_->setObjectName("QuilletScriptIcon");
        imageView_->setAccessibleName(tr("The script; drag it into the folder"));
        imageView_->setPath(qs(scriptPath));
        imageView_->setToolTip(qs(scriptPath));
        QIcon icon = QIcon::fromTheme("text-x-script");
        if (icon.isNull()) {
            icon = QFileIconProvider().icon(QFileInfo(qs(scriptPath)));
        }
        imageView_->setPixmap(icon.pixmap(128, 128));
        imageView_->setMinimumSize(140, 140);
        layout->addWidget(imageView_, 0, Qt::AlignHCenter);

        auto* filename = new QLabel(qs(paths::lastPathComponent(scriptPath)), this);
        filename->setObjectName("QuilletScriptFileName");
        filename->setToolTip(qs(scriptPath));
        filename->setAlignment(Qt::AlignCenter);
        filename->setAccessibleName(tr("Script file name"));
        filename->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(filename);

        auto* message = new QLabel(
            qs(formatWithTitle(text("Please drag and drop the above script into the \"%@\" dir."),
                               paths::lastPathComponent(destDir))),
            this);
        message->setObjectName("QuilletScriptMessage");
        message->setWordWrap(true);
        message->setAlignment(Qt::AlignCenter);
        message->setAccessibleName(tr("Instruction"));
        layout->addWidget(message);

        auto* buttons = new QHBoxLayout;
        auto* copyPath = addButton(buttons, tr("Copy path"), "edit-copy");
        auto* openFolder = addButton(buttons, tr("Open folder"), "folder-open");
        commandButton_ = addButton(buttons, tr("Show command"), "utilities-terminal");
        auto* close = addButton(buttons, tr("Close"), "window-close");
        layout->addLayout(buttons);

        connect(copyPath, &QPushButton::clicked, this, [this] { copyPathToClipboard(); });
        connect(openFolder, &QPushButton::clicked, this,
                [this] { (void)workspace_.openFile(destDir_); });
        connect(commandButton_, &QPushButton::clicked, this, [this] { showCommand(); });
        connect(close, &QPushButton::clicked, this, &QDialog::reject);
        connect(imageView_, &DragDropImageView::dragFinished, this, [this] { checkInstalled(); });

        // Whatever puts the script there (a drop, the command, the user's
        // own copy) ends the window.
        std::error_code ignored;
        std::filesystem::create_directories(destDir_, ignored);
        watcher_.addPath(qs(destDir_));
        connect(&watcher_, &QFileSystemWatcher::directoryChanged, this,
                [this] { checkInstalled(); });
        imageView_->setFocus();
    }

private:
    QString tr(const char* english) const { return qs(text(english)); }
    std::string text(const char* english) const {
        return translate_ ? translate_(english) : std::string(english);
    }

    QPushButton* addButton(QHBoxLayout* row, const QString& label, const char* iconName) {
        auto* button = new QPushButton(QIcon::fromTheme(iconName), label, this);
        button->setAccessibleName(label);
        button->setAutoDefault(false);
        row->addWidget(button);
        return button;
    }

    void copyPathToClipboard() {
        if (!scriptPath_.empty()) {
            QGuiApplication::clipboard()->clear();
            QGuiApplication::clipboard()->setText(qs(scriptPath_));
        }
    }

    void showCommand() {
        if (popover_ == nullptr) {
            popover_ = new CommandPopover(
                qs(ScriptInstaller::commandString(imageView_->toolTip().toStdString(), destDir_)),
                tr("Command that installs the script"), this);
        }
        popover_->adjustSize();
        popover_->move(commandButton_->mapToGlobal(QPoint(0, commandButton_->height())));
        popover_->show();
        popover_->setFocus();
    }

    void checkInstalled() {
        const std::string target =
            paths::appendingPathComponent(destDir_, paths::lastPathComponent(scriptPath_));
        std::error_code error;
        if (std::filesystem::exists(target, error) &&
            ScriptInstaller::isDropIntoFolder(target, destDir_)) {
            accept();
        }
    }

    std::string scriptPath_;
    std::string destDir_;
    Workspace& workspace_;
    Translator translate_;
    DragDropImageView* imageView_ = nullptr;
    QPushButton* commandButton_ = nullptr;
    CommandPopover* popover_ = nullptr;
    QFileSystemWatcher watcher_;
};

} // namespace

void runInstallScriptWindow(const std::string& scriptPath, const std::string& destDir,
                            Workspace& workspace, const Translator& translate) {
    if (!platform::qt::ensureWidgetApplication()) {
        return;
    }
    InstallScriptWindowController window(scriptPath, destDir, workspace, translate);
    window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    window.show();
    window.raise();
    window.activateWindow();
    window.exec();
}

} // namespace quillet::helper
