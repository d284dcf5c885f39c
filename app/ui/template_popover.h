// The window that the tray item opens: the enabled templates at a glance.
#pragma once

#include "app/app_services.h"

#include <QWidget>

class QListWidget;
class QMenu;

namespace quillet::app {

class PopoverViewController : public QWidget {
    Q_OBJECT

public:
    PopoverViewController(AppServices& services, QWidget* parent = nullptr);

    // The tray item's menu, offered from the popover too.
    void setStatusMenu(QMenu* menu) { statusMenu_ = menu; }
    // Reads the templates again; called each time the popover is shown.
    void reloadTemplates();
    // Shows it next to the pointer, kept inside the screen.
    void showNearPointer();

    QListWidget* list() const { return list_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    AppServices& services_;
    QListWidget* list_ = nullptr;
    QMenu* statusMenu_ = nullptr;
};

} // namespace quillet::app
