#include "app/ui/preferences/general_preferences.h"

#include "app/core/app_delegate.h"
#include "app/ui/preferences/list_pane_controls.h"
#include "platform/linux/qt/qt_text.h"
#include "shared/error_text.h"
#include "shared/keys.h"
#include "shared/sentences.h"
#include "shared/text_mark.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

#include <filesystem>

namespace quillet::app {

using platform::qt::qtText;

GeneralPreferencesViewController::GeneralPreferencesViewController(AppServices& services,
                                                                   QWidget* parent)
    : PreferencesPane(parent), services_(services), model_(services) {
    setObjectName("GeneralPreferences");
    setAccessibleName(toolbarItemLabel());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(12);

    auto* creation = new QGroupBox(text("When a file is created"), this);
    new QVBoxLayout(creation);
    addBox(creation, keys::kOpenFileOnCreation, "Open the new file",
           N_("Open each new file with its default application"));
    addBox(creation, keys::kShowFileOnCreation, "Show the new file in the file manager",
           N_("Select each new file in a file manager window"));
    addBox(creation, keys::kSkipFilename, "Create files without asking for a name",
           N_("Name new files after their template instead of asking for a name"));
    addBox(creation, keys::kPlaySound, "Play a sound", N_("Play a sound when a file is created"));
    layout->addWidget(creation);

    auto* menu = new QGroupBox(text("File manager menu"), this);
    addBox(menu, keys::kHideMenuForFiles, "Show the menu only on folder backgrounds",
           N_("Hide the New File menu when files are selected"));
    addBox(menu, keys::kCascadeMenu, "Show the templates in a submenu",
           N_("Group the templates in a New File submenu"));
    layout->addWidget(menu);

    auto* app = new QGroupBox(text("Quillet"), this);
    addBox(app, keys::kShowInMenuBar, "Show Quillet in the panel",
           N_("Show Quillet's icon in the panel's tray"));
    trayNote_ = new QLabel(
        qtText(joinSentences(text("This desktop has no tray in its panel, so Quillet cannot show "
                                  "its icon there.")
                                 .toStdString(),
                             text("Open the templates from Quillet's “Templates” entry in the "
                                  "dock or the applications overview, or with "
                                  "“quillet --templates”.")
                                 .toStdString())),
        app);
    trayNote_->setWordWrap(true);
    trayNote_->setObjectName("TrayNote");
    trayNote_->setVisible(!QSystemTrayIcon::isSystemTrayAvailable());
    app->layout()->addWidget(trayNote_);
    // Posted when the option changes and when a tray host comes or goes.
    trayObserver_ = services_.localNotifications.addObserver(
        kStatusItemShouldUpdate, [this](const std::string&, const std::string&) {
            trayNote_->setVisible(!QSystemTrayIcon::isSystemTrayAvailable());
        });
    addBox(app, keys::kRunInBackground, "Keep the helper running in the background",
           N_("Keep the helper ready instead of letting it quit when it is idle"));
    addBox(app, keys::kLaunchAtLogin, "Start Quillet at login",
           N_("Start Quillet when you log in"));
    layout->addWidget(app);

    // The extension tip, or the word that the extension runs.
    tip_ = new QWidget(this);
    tip_->setObjectName("ExtensionTip");
    auto* tipLayout = new QHBoxLayout(tip_);
    tipLayout->setContentsMargins(0, 0, 0, 0);
    auto* tipIcon = new QLabel(tip_);
    tipIcon->setPixmap(
        QIcon::fromTheme("dialog-information", QIcon::fromTheme("help-about")).pixmap(24, 24));
    tipLayout->addWidget(tipIcon);
    QString tip = text("The file manager extension is not running. Install it and restart the "
                       "file manager to get Quillet's menu.");
    // Dolphin lets users switch its plugins off: one installed but not
    // running may be switched off.
    if (std::filesystem::exists(QUILLET_DOLPHIN_PLUGIN_FILE)) {
        tip = qtText(joinSentences(tip.toStdString(),
                                   text("In Dolphin, check that Quillet is switched on under "
                                        "Settings › Configure Dolphin… › Context Menu.")
                                       .toStdString()));
    }
    auto* tipText = new QLabel(tip, tip_);
    tipText->setWordWrap(true);
    tipLayout->addWidget(tipText, 1);
    auto* setUp = new QPushButton(text("Set Up Extension…"), tip_);
    setUp->setObjectName("SetUpExtensionButton");
    setUp->setAccessibleName(text("Set Up Extension…"));
    setUp->setAccessibleDescription(
        text("Explains how the file manager extension is installed and offers to restart the "
             "file manager"));
    connect(setUp, &QPushButton::clicked, this, [this] { (void)model_.setUpExtension(); });
    tipLayout->addWidget(setUp);
    layout->addWidget(tip_);

    enabledText_ = new QLabel(text("The file manager extension is running."), this);
    enabledText_->setObjectName("ExtensionEnabled");
    enabledText_->hide();
    layout->addWidget(enabledText_);

    auto* helpRow = new QHBoxLayout();
    helpRow->addStretch(1);
    helpButton_ = new QPushButton(
        QIcon::fromTheme("help-browser", QIcon::fromTheme("help-contents")), text("Help"), this);
    helpButton_->setObjectName("HelpButton");
    helpButton_->setAccessibleName(text("Help"));
    helpButton_->setAccessibleDescription(text("Opens Quillet's help in the web browser"));
    connect(helpButton_, &QPushButton::clicked, this, [this] {
        // Without a browser nothing else would tell the user.
        if (const Status shown = model_.showHelp(); !shown) {
            showPaneSheet(this, "FailureSheet", text("The help could not be opened"),
                          qtText(localizedUserText(shown.error(), services_.translate)), nullptr,
                          nullptr);
        }
    });
    helpRow->addWidget(helpButton_);
    layout->addLayout(helpRow);
    layout->addStretch(1);

    reloadOptions();
    if (model_.isExtensionRunning()) {
        hideExtensionTip();
    }
    model_.setExtensionHandler([this](bool running) {
        if (running) {
            hideExtensionTip();
        } else {
            showExtensionTip();
        }
    });
}

GeneralPreferencesViewController::~GeneralPreferencesViewController() {
    services_.localNotifications.removeObserver(trayObserver_);
}

QString GeneralPreferencesViewController::text(const char* english) const {
    return qtText(services_.translate(english));
}

QIcon GeneralPreferencesViewController::toolbarItemImage() const {
    return QIcon::fromTheme("preferences-system", QIcon::fromTheme("preferences-other"));
}

QString GeneralPreferencesViewController::toolbarItemLabel() const {
    return text("General");
}

QWidget* GeneralPreferencesViewController::initialKeyView() {
    return boxes_.at(keys::kOpenFileOnCreation);
}

QCheckBox* GeneralPreferencesViewController::addBox(QWidget* parent, const std::string& key,
                                                    const char* label, const char* description) {
    if (parent->layout() == nullptr) {
        new QVBoxLayout(parent);
    }
    auto* box = new QCheckBox(text(label), parent);
    box->setObjectName(QString::fromStdString(key));
    box->setAccessibleName(text(label));
    box->setAccessibleDescription(text(description));
    box->setToolTip(text(description));
    parent->layout()->addWidget(box);
    boxes_[key] = box;
    // toggled, not clicked: assistive tools change the box through its
    // accessible action, which emits no click. Reloads block the signal.
    connect(box, &QCheckBox::toggled, this, [this, key](bool on) {
        if (key == keys::kShowInMenuBar) {
            model_.toggleShowInMenuBar(on);
        } else if (key == keys::kRunInBackground) {
            model_.toggleRunInBackground(on);
        } else if (key == keys::kLaunchAtLogin) {
            model_.setLaunchAtLogin(on);
        } else if (key == keys::kPlaySound) {
            model_.setPlaySound(on);
        } else {
            optionDidChange();
        }
    });
    return box;
}

void GeneralPreferencesViewController::optionDidChange() {
    std::map<std::string, bool> states;
    for (const auto& key : GeneralPreferencesModel::savedOptionKeys()) {
        states[key] = boxes_.at(key)->isChecked();
    }
    model_.saveOptions(states);
}

void GeneralPreferencesViewController::reloadOptions() {
    for (auto& [key, box] : boxes_) {
        const QSignalBlocker reloading(box);
        box->setChecked(model_.option(key));
    }
}

QCheckBox* GeneralPreferencesViewController::checkBox(const std::string& key) const {
    auto it = boxes_.find(key);
    return it == boxes_.end() ? nullptr : it->second;
}

bool GeneralPreferencesViewController::isExtensionTipVisible() const {
    return !tip_->isHidden();
}

void GeneralPreferencesViewController::showExtensionTip() {
    if (tip_->isHidden()) {
        tip_->show();
        enabledText_->hide();
    }
}

void GeneralPreferencesViewController::hideExtensionTip() {
    if (!tip_->isHidden()) {
        tip_->hide();
        enabledText_->show();
    }
}

} // namespace quillet::app
