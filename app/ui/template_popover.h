// The popup under the panel icon: the enabled templates, to be dragged into
// a file manager, which creates the file where it is dropped. It can be torn
// off into a window of its own, and it opens the panel icon's menu.
#pragma once

#include "app/core/app_services.h"
#include "app/core/template_drop.h"
#include "app/ui/template_list_model.h"
#include "platform/linux/dbus_creation_request_sender.h"
#include "platform/linux/dbus_drop_folder_service.h"
#include "shared/files/creation_journal.h"
#include "shared/settings_store.h"

#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QLabel;

class QToolButton;

namespace quillet::app {

// The list that the templates are dragged from.
class TemplateListView final : public QListView {
    Q_OBJECT
public:
    TemplateListView(TemplateDropper& dropper, platform::DBusDropFolderService& dropFolders,
                     QWidget* parent);

    // Shows these templates; the same ones again change nothing. Rows get
    // their icons when they are first drawn.
    void setTemplates(std::vector<FileTemplate> templates);
    // Back at the top with nothing selected, as a list shown afresh.
    void rewind();
    const std::vector<FileTemplate>& templates() const { return model_->templates(); }
    int count() const { return model_->rowCount(); }
    bool isDragging() const { return dragging_; }
    // The templates of the selected rows, in row order.
    std::vector<FileTemplate> selectedTemplates() const;

signals:
    void tipRequested();
    // Return on a row: create that template where the shortcut would.
    void createRequested(int row);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TemplateDropper& dropper_;
    platform::DBusDropFolderService& dropFolders_;
    TemplateListModel* model_;
    bool dragging_ = false;
};

class PopoverViewController final : public QWidget {
    Q_OBJECT
public:
    explicit PopoverViewController(AppServices& services, QWidget* parent = nullptr);
    ~PopoverViewController() override;

    // The panel icon's menu, opened by the menu control.
    void setStatusMenu(QMenu* menu) { statusMenu_ = menu; }

    // Shows the store's templates; reads nothing when the store has not
    // changed since the last look.
    void loadTemplates();

    // Opens as a popup beside the pointer (X11), or as a small window where
    // the desktop places windows itself (Wayland).
    void showNearPointer();
    // Torn off into an ordinary window that stays until closed.
    void detach();
    bool isDetached() const { return detached_; }

    TemplateListView* tableView() const { return tableView_; }

public slots:
    void showMenu();
    void showTip();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createAtRow(int row);
    // As tall as its rows, up to a limit, and never a row cut at the bottom.
    void fitToRows();
    // The header's glyphs in the palette's text colour.
    void colourGlyphs();

    AppServices& services_;
    // Kept open so that an unchanged store costs one stat, not a parse.
    SettingsStore sharedDefaults_;
    std::optional<std::uint64_t> shownGeneration_;
    std::unique_ptr<CreationJournal> journal_;
    std::unique_ptr<TemplateDropper> dropper_;
    platform::DBusDropFolderService dropFolders_;
    platform::DBusCreationRequestSender helper_;
    TemplateListView* tableView_ = nullptr;
    QToolButton* detachButton_ = nullptr;
    QToolButton* menuButton_ = nullptr;
    QPointer<QMenu> statusMenu_;
    QLabel* tipPopover_ = nullptr;
    bool detached_ = false;
    NotificationCenter::Token savedToken_ = 0;
    NotificationCenter::Token refreshToken_ = 0;
};

} // namespace quillet::app
