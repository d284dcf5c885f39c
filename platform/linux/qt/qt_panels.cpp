#include "platform/linux/qt/qt_panels.h"

#include "platform/linux/qt/gui_runtime.h"

#include <QAbstractItemView>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>

#include <cstdio>
#include <memory>

namespace quillet::platform::qt {

bool QtPanels::canShowPanels() const {
    return hasDisplay();
}

void QtPanels::beginOpenPanel(const OpenPanelOptions& options, Completion completion) {
    OpenPanelOptions single = options;
    single.allowsMultipleSelection = false;
    beginOpenPanelForPaths(single, [completion](const std::vector<std::string>& chosen) {
        completion(chosen.empty() ? std::nullopt : std::optional<std::string>(chosen.front()));
    });
}

void QtPanels::beginOpenPanelForPaths(const OpenPanelOptions& options, PathsCompletion completion) {
    if (!ensureWidgetApplication()) {
        std::fprintf(stderr, "%s: %s (no display to ask; cancelled)\n", options.title.c_str(),
                     options.message.c_str());
        std::fflush(stderr);
        mainQueue_.post([completion] { completion({}); });
        return;
    }
    // Qt's own dialog: the platform's may live in another process that knows
    // nothing of our message line.
    auto* dialog = new QFileDialog(nullptr, QString::fromStdString(options.title),
                                   QString::fromStdString(options.directory));
    dialog->setObjectName("QuilletOpenPanel");
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    if (options.canChooseDirectories && !options.canChooseFiles) {
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly, true);
        if (options.allowsMultipleSelection) {
            // Qt's folder mode chooses one; its views can select several.
            for (auto* view : dialog->findChildren<QAbstractItemView*>()) {
                view->setSelectionMode(QAbstractItemView::ExtendedSelection);
            }
        }
    } else {
        dialog->setFileMode(options.allowsMultipleSelection ? QFileDialog::ExistingFiles
                                                            : QFileDialog::ExistingFile);
    }
    dialog->setLabelText(QFileDialog::Accept, QString::fromStdString(options.prompt));
    if (!options.message.empty()) {
        // The message gets a line of its own below the chooser: a grid
        // layout cannot take a new first row.
        auto* label = new QLabel(QString::fromStdString(options.message), dialog);
        label->setObjectName("QuilletOpenPanelMessage");
        label->setWordWrap(true);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout())) {
            grid->addWidget(label, grid->rowCount(), 0, 1, grid->columnCount());
        }
    }
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    dialog->setAttribute(Qt::WA_DeleteOnClose, true);

    auto done = std::make_shared<bool>(false);
    QObject::connect(dialog, &QFileDialog::finished, dialog,
                     [dialog, completion, done](int result) {
                         if (*done) {
                             return;
                         }
                         *done = true;
                         std::vector<std::string> chosen;
                         if (result == QDialog::Accepted) {
                             for (const QString& file : dialog->selectedFiles()) {
                                 chosen.push_back(QFile::encodeName(file).toStdString());
                             }
                         }
                         completion(chosen);
                     });
    dialog->open();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace quillet::platform::qt
