// The General pane: the suite-wide options, the extension tip and help.
#pragma once

#include "app/core/app_services.h"
#include "app/core/preferences/general_preferences_model.h"
#include "app/ui/preferences/preferences_pane.h"

#include <QString>

#include <map>
#include <string>

class QCheckBox;
class QLabel;
class QPushButton;
class QWidget;

namespace quillet::app {

class GeneralPreferencesViewController final : public PreferencesPane {
    Q_OBJECT

public:
    GeneralPreferencesViewController(AppServices& services, QWidget* parent = nullptr);
    ~GeneralPreferencesViewController() override;

    QString identifier() const override { return QStringLiteral("GeneralPreferences"); }
    QIcon toolbarItemImage() const override;
    QString toolbarItemLabel() const override;
    QWidget* initialKeyView() override;

    // The box of an option ("openFileOnCreation", ...), for tests.
    QCheckBox* checkBox(const std::string& key) const;
    bool isExtensionTipVisible() const;
    void showExtensionTip();
    void hideExtensionTip();
    // Shows the stored options again.
    void reloadOptions();

private:
    QString text(const char* english) const;
    QCheckBox* addBox(QWidget* parent, const std::string& key, const char* label,
                      const char* description);
    void optionDidChange();

    AppServices& services_;
    GeneralPreferencesModel model_;
    std::map<std::string, QCheckBox*> boxes_;
    QWidget* tip_ = nullptr;
    QLabel* enabledText_ = nullptr;
    QLabel* trayNote_ = nullptr;
    QPushButton* helpButton_ = nullptr;
    NotificationCenter::Token trayObserver_ = 0;
};

} // namespace quillet::app
