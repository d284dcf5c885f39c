// The Templates pane: the templates as a table the user edits in place,
// reorders, fills with files from an open panel or a file manager, and
// empties (all of which it shares with the Locations pane); plus opening with
// another application and the shortcut sheet.
#pragma once

#include "record_list_pane.h"

#include "app/core/preferences/open_with_model.h"
#include "app/core/preferences/templates_model.h"

#include <memory>
#include <set>

namespace quillet::app {

class TemplatesPreferencesViewController final : public RecordListPane {
    Q_OBJECT
public:
    TemplatesPreferencesViewController(AppServices& services, QWidget* parent = nullptr);
    ~TemplatesPreferencesViewController() override;

    QString identifier() const override { return QStringLiteral("TemplatesPreferences"); }
    QIcon toolbarItemImage() const override;
    QString toolbarItemLabel() const override;
    // The size the window first gives the pane.
    QSize sizeHint() const override { return QSize(720, 480); }

    TemplatesModel& model() { return *model_; }

    void editShortcut();

private:
    // The removal question, which says what happens to the files.
    QString removalQuestion(const std::set<std::size_t>& rows) const;

    void addMenuActions() override;
    OpenPanelOptions openPanelOptions() const override;
    std::size_t addPaths(const std::vector<std::string>& paths) override;
    void fillOpenWithMenu();

    std::unique_ptr<TemplatesModel> model_;
    std::unique_ptr<OpenWithModel> openWith_;
    QMenu* openWithMenu_ = nullptr;
};

} // namespace quillet::app
