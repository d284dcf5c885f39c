// The save dialog of the new-file panel. It answers the confirmation itself,
// because the name it must check is the typed one with the template's
// extension added where the name has none, which the toolkit's own
// overwrite question never sees.
#pragma once

#include "helper/core/new_file_panel/new_file_panel_model.h"
#include "helper/core/new_file_panel/new_file_session.h"
#include "helper/core/new_file_panel_host.h"
#include "shared/ports/file_types.h"

#include <QFileDialog>

#include <optional>

class QLineEdit;

namespace quillet::helper {

class FormatViewController;

class NewFileSavePanel final : public QFileDialog {
    Q_OBJECT

public:
    NewFileSavePanel(NewFilePanelModel& model, NewFilePanelHost& host, const FileTypes* fileTypes,
                     QWidget* parent = nullptr);

    // Set once the user has confirmed a name (and agreed to replace an
    // existing item); nothing after a cancel.
    const std::optional<ConfirmedItem>& confirmedItem() const { return confirmed_; }

    // The folder the dialog shows now.
    QString currentFolder() const;
    // Title, extension rule and name field of the selected template.
    void showSelectedTemplate();

    FormatViewController* formatViewController() const { return formatView_; }

public slots:
    void accept() override;

private:
    QLineEdit* nameEdit() const;
    // The model's proposed name, its base name selected.
    void showProposedName();
    bool askToReplace(const std::string& path);
    void explainInvalidName(const Error& refusal);

    NewFilePanelModel& model_;
    NewFilePanelHost& host_;
    const FileTypes* fileTypes_;
    FormatViewController* formatView_ = nullptr;
    std::optional<ConfirmedItem> confirmed_;
};

} // namespace quillet::helper
