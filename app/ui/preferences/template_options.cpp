#include "template_options.h"

#include "accessible_item_views.h"
#include "record_table_view.h"

#include "shared/keys.h"
#include "shared/xdg_paths.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace quillet::app {

namespace {

QString qt(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

TemplateOptions::TemplateOptions(TemplatesModel& model, RecordTableView& table,
                                 Translator translate,
                                 std::function<void(std::size_t, std::size_t)> rowsAdded,
                                 QWidget* parent)
    : QWidget(parent), model_(model), table_(table), translate_(std::move(translate)),
      rowsAdded_(std::move(rowsAdded)) {
    setObjectName("TemplateOptions");

    expands_ = new QCheckBox(text("Fill in variables in the text"), this);
    expands_->setObjectName("ExpandsVariablesCheckBox");
    expands_->setToolTip(text("Replace {date}, {time}, {datetime}, {year}, {month}, {day}, "
                              "{folder}, {parent} and {user} in a new text file, as in its name"));
    connect(expands_, &QCheckBox::toggled, this, [this](bool on) {
        if (auto row = selectedRow()) {
            (void)model_.setExpandsVariables(*row, on);
        }
    });

    addFromFolder_ =
        new QPushButton(QIcon::fromTheme("folder-templates", QIcon::fromTheme("list-add")),
                        text("Add from Templates Folder…"), this);
    addFromFolder_->setObjectName("AddFromTemplatesFolderButton");
    addFromFolder_->setToolTip(
        text("Add the items of your desktop's templates folder, where they are"));
    connect(addFromFolder_, &QPushButton::clicked, this, &TemplateOptions::addFromTemplatesFolder);

    foldersLabel_ = new QLabel(text("Offer only in these &folders (none: everywhere):"), this);
    folders_ = new CheckableListWidget(this);
    folders_->setObjectName("LimitedToPathsList");
    folders_->setAccessibleName(text("Offer only in these folders"));
    folders_->setMaximumHeight(fontMetrics().height() * 5);
    foldersLabel_->setBuddy(folders_);
    connect(folders_, &QListWidget::itemChanged, this, [this] { saveFolders(); });

    auto* left = new QVBoxLayout;
    left->addWidget(expands_);
    left->addWidget(addFromFolder_, 0, Qt::AlignLeft);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(foldersLabel_);
    right->addWidget(folders_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(left, 1);
    layout->addLayout(right, 1);

    connect(table_.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TemplateOptions::reload);
    connect(table_.model(), &QAbstractItemModel::modelReset, this, &TemplateOptions::reload);
    reload();
}

QString TemplateOptions::text(const char* english) const {
    return qt(translate_(english));
}

std::optional<std::size_t> TemplateOptions::selectedRow() const {
    const auto rows = table_.selectedRows();
    if (rows.size() != 1 || *rows.begin() >= model_.count()) {
        return std::nullopt;
    }
    return *rows.begin();
}

void TemplateOptions::reload() {
    // Showing the stored options must not write them back.
    const QSignalBlocker blockCheck(expands_);
    const QSignalBlocker blockList(folders_);
    const auto row = selectedRow();
    expands_->setEnabled(row.has_value());
    folders_->setEnabled(row.has_value());
    foldersLabel_->setEnabled(row.has_value());
    folders_->clear();
    expands_->setChecked(row && model_.boolAt(*row, keys::kExpandsVariables));
    if (!row) {
        return;
    }
    const std::vector<std::string> chosen = model_.limitedToPathsAt(*row);
    for (const std::string& folder : model_.folderChoicesFor(*row)) {
        auto* item = new QListWidgetItem(QIcon::fromTheme("folder"), qt(folder), folders_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        const bool on = std::find(chosen.begin(), chosen.end(), folder) != chosen.end();
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
}

void TemplateOptions::saveFolders() {
    const auto row = selectedRow();
    if (!row) {
        return;
    }
    std::vector<std::string> chosen;
    for (int i = 0; i < folders_->count(); ++i) {
        if (folders_->item(i)->checkState() == Qt::Checked) {
            chosen.push_back(folders_->item(i)->text().toStdString());
        }
    }
    (void)model_.setLimitedToPaths(*row, chosen);
}

void TemplateOptions::addFromTemplatesFolder() {
    const std::string folder = paths::templatesUserDir();
    const std::vector<Value> offered = model_.unlistedTemplatesFolderRecords(folder);
    if (offered.empty()) {
        QMessageBox::information(
            this, text("Add from Templates Folder"),
            folder.empty() ? text("Your desktop has no templates folder.")
                           : text("Every item of your templates folder is a template already."));
        return;
    }
    QDialog dialog(this);
    dialog.setObjectName("AddFromTemplatesFolderDialog");
    dialog.setWindowTitle(text("Add from Templates Folder"));
    auto* label =
        new QLabel(text("&Items of %1 that are no templates yet:").arg(qt(folder)), &dialog);
    auto* list = new CheckableListWidget(&dialog);
    list->setObjectName("TemplatesFolderItems");
    label->setBuddy(list);
    for (const Value& record : offered) {
        const Value* title = record.find(keys::kTitle);
        const Value* file = record.find(keys::kFilePath);
        auto* item = new QListWidgetItem(
            title && title->asString() ? qt(*title->asString()) : QString(), list);
        item->setToolTip(file && file->asString() ? qt(*file->asString()) : QString());
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Checked);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(text("Add"));
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(list);
    layout->addWidget(buttons);
    list->setFocus();
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    std::vector<Value> chosen;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->checkState() == Qt::Checked) {
            chosen.push_back(offered[static_cast<std::size_t>(i)]);
        }
    }
    if (chosen.empty()) {
        return;
    }
    const std::size_t first = model_.count();
    const std::size_t added = model_.addReferencedTemplates(chosen);
    rowsAdded_(first, added);
}

} // namespace quillet::app
