#include "helper/ui/new_file_panel/format_view_controller.h"

#include "helper/ui/new_file_panel/new_file_save_panel.h"
#include "helper/ui/new_file_panel/qt_text.h"
#include "platform/linux/qt/template_icon.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace quillet::helper {

FormatViewController::FormatViewController(NewFilePanelModel& model, NewFilePanelHost& host,
                                           const FileTypes* fileTypes, NewFileSavePanel* savePanel)
    : QObject(savePanel), model_(model), host_(host), fileTypes_(fileTypes), savePanel_(savePanel) {
}

void FormatViewController::installAccessoryView() {
    formatLabel_ = new QLabel(qtText(host_.translate("Format:")), savePanel_);
    formatLabel_->setObjectName(QStringLiteral("formatLabel"));
    formatButton_ = new QComboBox(savePanel_);
    formatButton_->setObjectName(QStringLiteral("formatButton"));
    formatLabel_->setBuddy(formatButton_);

    auto* grid = qobject_cast<QGridLayout*>(savePanel_->layout());
    auto* typeLabel = savePanel_->findChild<QLabel*>(QStringLiteral("fileTypeLabel"));
    auto* typeCombo = savePanel_->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    const int labelIndex = grid && typeLabel ? grid->indexOf(typeLabel) : -1;
    const int comboIndex = grid && typeCombo ? grid->indexOf(typeCombo) : -1;
    if (labelIndex >= 0 && comboIndex >= 0) {
        int labelRow = 0, labelColumn = 0, comboRow = 0, comboColumn = 0, rows = 0, columns = 0;
        grid->getItemPosition(labelIndex, &labelRow, &labelColumn, &rows, &columns);
        grid->getItemPosition(comboIndex, &comboRow, &comboColumn, &rows, &columns);
        grid->removeWidget(typeLabel);
        grid->removeWidget(typeCombo);
        typeLabel->hide();
        typeCombo->hide();
        grid->addWidget(formatLabel_, labelRow, labelColumn);
        grid->addWidget(formatButton_, comboRow, comboColumn, rows, columns);
    } else if (savePanel_->layout() != nullptr) {
        // Another layout than the toolkit's usual one: a row at the bottom.
        auto* row = new QWidget(savePanel_);
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        formatLabel_->setParent(row);
        formatButton_->setParent(row);
        rowLayout->addWidget(formatLabel_);
        rowLayout->addWidget(formatButton_, 1);
        savePanel_->layout()->addWidget(row);
    }
    viewDidLoad();
}

void FormatViewController::viewDidLoad() {
    formatButton_->clear();
    formatButton_->setIconSize(QSize(16, 16));
    for (const FormatChoice& choice : model_.choices()) {
        formatButton_->addItem(platform::qt::templateIcon(choice.fileTemplate, fileTypes_),
                               qtText(choice.fileTemplate.title));
    }
    formatButton_->setCurrentIndex(static_cast<int>(model_.selectedIndex()));
    connect(formatButton_, &QComboBox::currentIndexChanged, this,
            &FormatViewController::didChangeTemplate);
}

void FormatViewController::didChangeTemplate(int index) {
    if (index < 0 || savePanel_.isNull()) {
        return;
    }
    if (model_.selectTemplate(static_cast<std::size_t>(index),
                              corePath(savePanel_->currentFolder()))) {
        savePanel_->showSelectedTemplate();
    }
}

} // namespace quillet::helper
