// The share sheet: the enabled templates, the first one chosen; OK (or a
// double click) sends the creation request for it, Cancel closes.
#pragma once

#include "share-extension/core/share_model.h"
#include "shared/ports/file_types.h"
#include "shared/ports/request_sender.h"

#include <QDialog>

#include <functional>
#include <string>

class QDialogButtonBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace quillet::share {

class ShareViewController : public QDialog {
    Q_OBJECT
public:
    using Translate = std::function<std::string(const std::string&)>;

    ShareViewController(const ShareModel& model, CreationRequestSender& sender,
                        const FileTypes& fileTypes, Translate translate, QWidget* parent = nullptr);

    QListWidget* tableView() const { return tableView_; }
    QPushButton* okButton() const { return okButton_; }
    QLabel* messageLabel() const { return messageLabel_; }

    // The request sent, if any.
    const std::optional<std::string>& sentURL() const { return sentURL_; }

public slots:
    void send();
    void cancel();

private:
    const ShareModel& model_;
    CreationRequestSender& sender_;
    QListWidget* tableView_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QLabel* messageLabel_ = nullptr;
    std::optional<std::string> sentURL_;
    bool finished_ = false;
};

} // namespace quillet::share
