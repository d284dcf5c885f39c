#include "helper/ui/new_file_panel/new_file_save_panel.h"

#include "helper/ui/new_file_panel/format_view_controller.h"
#include "helper/ui/new_file_panel/qt_text.h"
#include "shared/localized_strings.h"
#include "shared/xdg_paths.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>

namespace quillet::helper {

NewFileSavePanel::NewFileSavePanel(NewFilePanelModel& model, NewFilePanelHost& host,
                                   const FileTypes* fileTypes, QWidget* parent)
    : QFileDialog(parent), model_(model), host_(host), fileTypes_(fileTypes) {
    setObjectName(QStringLiteral("newFilePanel"));
    // The toolkit's own dialog everywhere, so that the accessory row and
    // the confirmation below behave the same on every desktop.
    setOption(QFileDialog::DontUseNativeDialog);
    // Overwriting is asked about in accept(), on the name with its extension.
    setOption(QFileDialog::DontConfirmOverwrite);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    // The helper has no window of its own behind which the panel could hide.
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setDirectory(qtPath(model_.folder()));

    formatView_ = new FormatViewController(model_, host_, fileTypes, this);
    formatView_->installAccessoryView();
    showSelectedTemplate();
    if (QLineEdit* edit = nameEdit()) {
        edit->setFocus();
    }
}

QString NewFileSavePanel::currentFolder() const {
    return directory().absolutePath();
}

QLineEdit* NewFileSavePanel::nameEdit() const {
    return findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

void NewFileSavePanel::showProposedName() {
    const std::string& name = model_.nameField();
    if (QLineEdit* edit = nameEdit()) {
        edit->setText(qtText(name));
        // The selection counts UTF-16 units, the model bytes.
        edit->setSelection(0, qtText(name.substr(0, model_.nameFieldBaseLength())).size());
    } else {
        selectFile(qtText(name));
    }
}

void NewFileSavePanel::showSelectedTemplate() {
    setWindowTitle(qtText(model_.title()));
    const std::string& suffix = model_.suffix();
    // The listing shows folders and the items of the template's type; the
    // filter must be set before the name, since changing it rewrites the
    // extension of whatever the name field holds.
    setNameFilter(suffix.empty() ? QStringLiteral("*") : QStringLiteral("*.") + qtText(suffix));
    showProposedName();
}

void NewFileSavePanel::accept() {
    const QLineEdit* edit = nameEdit();
    const QString text = edit != nullptr ? edit->text() : QString();
    const Expected<TypedTarget> typed =
        model_.resolve(corePath(currentFolder()), corePath(text), fileTypes_);
    if (!typed) {
        explainInvalidName(typed.error());
        return;
    }
    switch (typed->kind) {
    case TypedTarget::Kind::Navigate:
        setDirectory(qtPath(typed->path));
        model_.proposeDefaultNameIn(typed->path);
        showProposedName();
        return;
    case TypedTarget::Kind::Create:
        if (typed->exists && !askToReplace(typed->path)) {
            return;
        }
        confirmed_ = ConfirmedItem{typed->path, typed->exists};
        QDialog::accept();
        return;
    }
}

bool NewFileSavePanel::askToReplace(const std::string& path) {
    const std::string question =
        formatWithTitle(host_.translate("“%@” already exists. Do you want to replace it?"),
                        paths::lastPathComponent(path));
    QMessageBox box(QMessageBox::Warning, windowTitle(), qtText(question),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName(QStringLiteral("replaceConfirmation"));
    box.setInformativeText(
        qtText(host_.translate("Replacing it will overwrite its current contents.")));
    box.button(QMessageBox::Yes)->setText(qtText(host_.translate("Replace")));
    box.button(QMessageBox::No)->setText(qtText(host_.translate("Cancel")));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void NewFileSavePanel::explainInvalidName(const Error& refusal) {
    QMessageBox box(QMessageBox::Warning, windowTitle(),
                    qtText(formatWithTitle(host_.translate(refusal.detail()), refusal.path())),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("invalidName"));
    box.exec();
}

} // namespace quillet::helper
