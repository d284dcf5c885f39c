// The preferences window: a toolbar of exclusive pane buttons and the
// selected pane below it. It follows PreferencesWindowModel for selection,
// sizes and what it remembers, and only moves widgets about.
#pragma once

#include "app/core/preferences/preferences_window_model.h"
#include "app/ui/preferences/preferences_pane.h"

#include <QMainWindow>

#include <functional>
#include <vector>

class QAction;
class QActionGroup;
class QToolBar;
class QVBoxLayout;

namespace quillet::app {

class PreferencesWindow : public QMainWindow {
    Q_OBJECT

public:
    // `panes` in toolbar order; a null entry is a flexible space. The window
    // takes the panes as its children. An empty title: the pane's label is
    // the window title.
    PreferencesWindow(std::vector<PreferencesPane*> panes, const QString& title,
                      SettingsStore& privateDefaults, QWidget* parent = nullptr);
    ~PreferencesWindow() override;

    PreferencesWindowModel& model() { return model_; }
    PreferencesPane* selectedViewController() const;
    PreferencesPane* viewControllerForIdentifier(const QString& identifier) const;
    const std::vector<PreferencesPane*>& viewControllers() const { return panes_; }
    // The toolbar button of a pane (for tests and accessibility checks).
    QAction* toolbarItem(const QString& identifier) const;

    void selectControllerAtIndex(std::size_t index);
    void selectControllerWithIdentifier(const QString& identifier);
    void goNextTab();
    void goPreviousTab();

    // Told when the window is about to close and when it becomes the active window.
    std::function<void()> onWillClose;
    std::function<void()> onDidBecomeMain;

signals:
    void didChangeView();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void apply(const PreferencesWindowModel::Change& change);
    void selectIndex(std::optional<std::size_t> index);
    void checkToolbarItem(std::optional<std::size_t> index);
    PaneSizes paneSizes() const;
    Size chrome() const;
    bool commit(std::size_t index);

    std::vector<PreferencesPane*> panes_;
    PreferencesWindowModel model_;
    QToolBar* toolbar_ = nullptr;
    QActionGroup* toolbarGroup_ = nullptr;
    std::vector<QAction*> toolbarItems_; // null for a space
    QWidget* content_ = nullptr;
    QVBoxLayout* contentLayout_ = nullptr;
    bool restoring_ = true;       // no persistence while the window is being set up
    bool syncingToolbar_ = false; // the buttons follow the model: no pane switch
};

} // namespace quillet::app
