// The panel's format chooser: a labelled pop-up of the templates beneath the
// name field. Choosing another template re-titles the panel, proposes that
// template's default name and restricts the extension to its suffix.
#pragma once

#include "helper/core/new_file_panel/new_file_panel_model.h"
#include "helper/core/new_file_panel_host.h"
#include "shared/ports/file_types.h"

#include <QObject>
#include <QPointer>

class QComboBox;
class QLabel;

namespace quillet::helper {

class NewFileSavePanel;

class FormatViewController final : public QObject {
    Q_OBJECT

public:
    // Lives as a child of the panel it serves.
    FormatViewController(NewFilePanelModel& model, NewFilePanelHost& host,
                         const FileTypes* fileTypes, NewFileSavePanel* savePanel);

    // Places the chooser in the panel (in the place of the toolkit's own
    // file-type row, which would only repeat it) and fills it.
    void installAccessoryView();

    QComboBox* formatButton() const { return formatButton_; }

public slots:
    void didChangeTemplate(int index);

private:
    void viewDidLoad();

    NewFilePanelModel& model_;
    NewFilePanelHost& host_;
    const FileTypes* fileTypes_;
    QPointer<NewFileSavePanel> savePanel_;
    QLabel* formatLabel_ = nullptr;
    QComboBox* formatButton_ = nullptr;
};

} // namespace quillet::helper
