// What a pane of the preferences window answers. The window knows nothing of
// a pane's content: it asks for these, swaps the pane's widget in and sizes
// the window from the pane's minimum and saved sizes.
#pragma once

#include <QIcon>
#include <QString>
#include <QWidget>

namespace quillet::app {

class PreferencesPane : public QWidget {
public:
    using QWidget::QWidget;

    // The toolbar item's identifier; also the key of the pane's saved size
    // and of the remembered selection.
    virtual QString identifier() const = 0;
    virtual QIcon toolbarItemImage() const = 0;
    virtual QString toolbarItemLabel() const = 0;

    virtual bool hasResizableWidth() const { return false; }
    virtual bool hasResizableHeight() const { return false; }

    // False keeps the window on this pane (an edit that cannot be finished).
    virtual bool commitEditing() { return true; }
    virtual void viewWillAppear() {}
    virtual void viewDidDisappear() {}
    // The first keyboard focus when the pane is shown; null for Qt's own choice.
    virtual QWidget* initialKeyView() { return nullptr; }
};

} // namespace quillet::app
