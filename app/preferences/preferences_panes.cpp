#include "app/preferences/preferences_panes.h"

#include "app/preferences/general_preferences.h"
#include "platform/linux/qt/qt_text.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quillet::app {

namespace {

// Stands for a pane that this build does not have yet: the right identifier,
// label and resizability, so that the window, its toolbar and what it
// remembers behave as with the real pane.
class PlaceholderPane final : public PreferencesPane {
public:
    PlaceholderPane(AppServices& services, QString identifier, const char* label, QString iconName,
                    QWidget* parent)
        : PreferencesPane(parent), identifier_(std::move(identifier)),
          label_(platform::qt::qtText(services.translate(label))), iconName_(std::move(iconName)) {
        setObjectName(identifier_);
        setAccessibleName(label_);
        auto* layout = new QVBoxLayout(this);
        auto* note = new QLabel(
            platform::qt::qtText(services.translate("This section is not available yet.")), this);
        note->setAlignment(Qt::AlignCenter);
        layout->addWidget(note);
        setMinimumSize(520, 360);
    }

    QString identifier() const override { return identifier_; }
    QIcon toolbarItemImage() const override {
        return QIcon::fromTheme(iconName_, QIcon::fromTheme("preferences-other"));
    }
    QString toolbarItemLabel() const override { return label_; }
    bool hasResizableWidth() const override { return true; }
    bool hasResizableHeight() const override { return true; }

private:
    QString identifier_;
    QString label_;
    QString iconName_;
};

} // namespace

std::vector<PreferencesPane*> makePreferencesPanes(AppServices& services, QWidget* parent) {
    return {
        new GeneralPreferencesViewController(services, parent),
        new PlaceholderPane(services, "TemplatesPreferences", "Templates", "document-new", parent),
        new PlaceholderPane(services, "FinderPreferences", "Locations", "folder", parent),
        new PlaceholderPane(services, "LocalizationPreferences", "Localization",
                            "preferences-desktop-locale", parent),
    };
}

} // namespace quillet::app
