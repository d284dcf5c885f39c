#include "share_view_controller.h"

#include "platform/linux/qt/template_icon.h"
#include "shared/window_fit.h"

#include <QDialogButtonBox>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillet::share {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

constexpr int kIconSize = 32;
constexpr QSize kMostSize(360, 420);

} // namespace

ShareViewController::ShareViewController(const ShareModel& model, CreationRequestSender& sender,
                                         const FileTypes& fileTypes, Translate translate,
                                         QWidget* parent)
    : QDialog(parent), model_(model), sender_(sender) {
    auto tr = [&translate](const char* text) { return qs(translate(text)); };
    setWindowTitle(tr("New File from Template"));
    setWindowIcon(QIcon::fromTheme("document-new"));

    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(tr("Create a new file from a template in:"), this);
    auto* folder = new QLabel(this);
    folder->setTextFormat(Qt::PlainText);
    folder->setText(model.selectedPath().empty() ? QString()
                                                 : qs(targetFolder(model.selectedPath())));
    folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folder->setAccessibleName(tr("Folder"));
    layout->addWidget(heading);
    layout->addWidget(folder);

    tableView_ = new QListWidget(this);
    tableView_->setAccessibleName(tr("Templates"));
    tableView_->setIconSize(QSize(kIconSize, kIconSize));
    tableView_->setSelectionMode(QAbstractItemView::SingleSelection);
    // A scroll bar across the bottom would hide the last row's lower part.
    tableView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    heading->setBuddy(tableView_);
    for (const auto& record : model.templates()) {
        auto* item =
            new QListWidgetItem(platform::qt::templateIcon(record, &fileTypes), qs(record.title));
        tableView_->addItem(item);
    }
    layout->addWidget(tableView_);

    messageLabel_ =
        new QLabel(tr("No template is enabled. Enable templates in Quillet's preferences."), this);
    messageLabel_->setWordWrap(true);
    messageLabel_->setAccessibleName(tr("No templates"));
    messageLabel_->setVisible(!model.hasTemplates());
    layout->addWidget(messageLabel_);

    auto* buttons = new QDialogButtonBox(this);
    okButton_ = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancelButton = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    okButton_->setAccessibleName(tr("OK"));
    cancelButton->setAccessibleName(tr("Cancel"));
    okButton_->setDefault(true);
    okButton_->setEnabled(model.canSend());
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &ShareViewController::send);
    connect(buttons, &QDialogButtonBox::rejected, this, &ShareViewController::cancel);

    if (model.hasTemplates()) {
        tableView_->setCurrentRow(0);
        connect(tableView_, &QListWidget::itemActivated, this, &ShareViewController::send);
    }
    tableView_->setFocus();
    // As tall as the rows (never a row cut at the bottom), up to a limit.
    const int chrome = layout->sizeHint().height() - tableView_->sizeHint().height();
    const int rowHeight = tableView_->count() > 0 ? tableView_->sizeHintForRow(0) : 0;
    resize(kMostSize.width(),
           chrome + wholeRowsHeight(tableView_->count(), rowHeight, 2 * tableView_->frameWidth(),
                                    kMostSize.height() - chrome));
}

void ShareViewController::send() {
    // Return in the list both activates the row and presses the default
    // button: one choice is one request.
    if (finished_) {
        return;
    }
    finished_ = true;
    std::optional<std::size_t> row;
    if (tableView_->currentRow() >= 0 && !tableView_->selectedItems().isEmpty()) {
        row = static_cast<std::size_t>(tableView_->currentRow());
    }
    if (auto url = model_.requestURLForRow(row)) {
        sentURL_ = *url;
        sender_.send(*url);
    }
    // The sheet closes in every case, also when nothing could be sent.
    accept();
}

void ShareViewController::cancel() {
    finished_ = true;
    reject();
}

} // namespace quillet::share
