// The real preferences window with the real panes: selection, position and
// sizes kept across pane changes and restarts, keyboard, accessibility and
// the General pane's boxes.
#include "app/app_services_fixture.h"
#include "app/core/extension_status.h"
#include "app/ui/preferences/general_preferences.h"
#include "app/ui/preferences/preferences_panes.h"
#include "app/ui/preferences/preferences_window.h"
#include "shared/keys.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace quillet::test {
namespace {

using app::PreferencesWindow;

class PreferencesWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<PreferencesWindow> makeWindow() {
        auto window =
            std::make_unique<PreferencesWindow>(app::makePreferencesPanes(f.services, nullptr),
                                                "Quillet Preferences", f.privateDefaults);
        return window;
    }
    static QString selectedId(const PreferencesWindow& window) {
        return window.selectedViewController() ? window.selectedViewController()->identifier()
                                               : QString();
    }

    AppServicesFixture f;
};

TEST_F(PreferencesWindowTest, TheFirstPaneIsSelectedAndEveryControlIsNamed) {
    auto window = makeWindow();
    window->show();
    EXPECT_EQ(selectedId(*window), "GeneralPreferences");
    EXPECT_TRUE(window->toolbarItem("GeneralPreferences")->isChecked());
    EXPECT_FALSE(window->toolbarItem("TemplatesPreferences")->isChecked());
    EXPECT_EQ(window->windowTitle(), "Quillet Preferences");

    QStringList labels;
    for (auto* pane : window->viewControllers()) {
        labels << pane->toolbarItemLabel();
    }
    EXPECT_EQ(labels, (QStringList{"General", "Templates", "Locations", "Localization"}));
    EXPECT_EQ(window->viewControllerForIdentifier("FinderPreferences")->toolbarItemLabel(),
              "Locations");

    for (auto* button : window->findChildren<QAbstractButton*>()) {
        if (button->isVisibleTo(window.get())) {
            EXPECT_FALSE(button->accessibleName().isEmpty()) << button->text().toStdString();
            EXPECT_NE(button->focusPolicy(), Qt::NoFocus) << button->text().toStdString();
        }
    }
}

TEST_F(PreferencesWindowTest, EveryPaneShowsInTheSameWindowAtTheSamePlace) {
    auto window = makeWindow();
    window->show();
    window->move(150, 120);
    const QPoint topLeft = window->pos();
    const QSize size = window->size();
    for (const char* id : {"TemplatesPreferences", "FinderPreferences", "LocalizationPreferences",
                           "GeneralPreferences"}) {
        SCOPED_TRACE(id);
        window->selectControllerWithIdentifier(id);
        EXPECT_EQ(selectedId(*window), id);
        EXPECT_EQ(window->pos(), topLeft);
        EXPECT_EQ(window->size(), size);
        // Every pane has room for what it asks for.
        QWidget* pane = window->selectedViewController();
        EXPECT_GE(pane->width(), pane->minimumSizeHint().width());
        EXPECT_GE(pane->height(), pane->minimumSizeHint().height());
    }
}

TEST_F(PreferencesWindowTest, TheGeneralPaneKeepsItsGroupsWholeWhenTheExtensionStops) {
    for (const auto& id : app::extensionFamilyIds()) {
        f.workspace.setRunning(id, true);
    }
    auto window = makeWindow();
    window->show();
    auto* general =
        static_cast<app::GeneralPreferencesViewController*>(window->selectedViewController());
    ASSERT_FALSE(general->isExtensionTipVisible());

    // The extension stops: the longer tip replaces the one-line status.
    for (const auto& id : app::extensionFamilyIds()) {
        f.workspace.setRunning(id, false);
        f.busNames.ownerChanged(id);
    }
    f.queue.advance(std::chrono::seconds(5));
    ASSERT_TRUE(general->isExtensionTipVisible());
    QApplication::processEvents();
    for (QGroupBox* group : general->findChildren<QGroupBox*>()) {
        SCOPED_TRACE(group->title().toStdString());
        EXPECT_GE(group->height(), group->minimumSizeHint().height());
        for (QCheckBox* box : group->findChildren<QCheckBox*>()) {
            EXPECT_GE(box->height(), box->minimumSizeHint().height()) << box->text().toStdString();
        }
    }
}

TEST_F(PreferencesWindowTest, SelectionPositionAndSizeComeBackAfterARestart) {
    QSize widened;
    {
        auto window = makeWindow();
        window->show();
        window->selectControllerWithIdentifier("FinderPreferences");
        window->move(210, 160);
        widened = window->size() + QSize(120, 80);
        window->resize(widened);
        QApplication::processEvents();
    }
    auto window = makeWindow();
    EXPECT_EQ(selectedId(*window), "FinderPreferences");
    EXPECT_TRUE(window->toolbarItem("FinderPreferences")->isChecked());
    window->show();
    EXPECT_EQ(window->pos(), QPoint(210, 160));
    EXPECT_EQ(window->size(), widened);
}

TEST_F(PreferencesWindowTest, ControlPageDownAndPageUpMoveBetweenPanes) {
    auto window = makeWindow();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(selectedId(*window), "TemplatesPreferences");
    QTest::keyClick(window.get(), Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(selectedId(*window), "LocalizationPreferences");
    window->goNextTab();
    EXPECT_EQ(selectedId(*window), "GeneralPreferences");
}

TEST_F(PreferencesWindowTest, TheGeneralBoxesShowAndWriteTheOptions) {
    ASSERT_TRUE(f.shared().setBool(keys::kSkipFilename, true));
    auto window = makeWindow();
    window->show();
    auto* general = static_cast<app::GeneralPreferencesViewController*>(
        window->viewControllerForIdentifier("GeneralPreferences"));
    EXPECT_TRUE(general->checkBox(keys::kSkipFilename)->isChecked());
    EXPECT_FALSE(general->checkBox(keys::kCascadeMenu)->isChecked());

    // On the box itself: the widget may be wider than its box and text.
    QCheckBox* cascade = general->checkBox(keys::kCascadeMenu);
    QTest::mouseClick(cascade, Qt::LeftButton, {}, QPoint(8, cascade->height() / 2));
    EXPECT_TRUE(f.shared().boolForKey(keys::kCascadeMenu));
    EXPECT_TRUE(f.shared().storedValues().count(keys::kOpenFileOnCreation));

    general->checkBox(keys::kShowInMenuBar)->setFocus();
    QTest::keyClick(general->checkBox(keys::kShowInMenuBar), Qt::Key_Space);
    EXPECT_EQ(f.shared().boolForKey(keys::kShowInMenuBar),
              general->checkBox(keys::kShowInMenuBar)->isChecked());
    EXPECT_EQ(f.localNotifications.posts().size(), 1u);

    // An assistive tool's toggle action emits no click: the option is saved all the same.
    general->checkBox(keys::kPlaySound)->toggle();
    EXPECT_TRUE(f.shared().boolForKey(keys::kPlaySound));

    // No extension on the pretend bus: the tip shows, and hides once one runs.
    EXPECT_TRUE(general->isExtensionTipVisible());
    f.workspace.setRunning(ids::kExtension, true);
    f.busNames.ownerChanged(ids::kExtension);
    f.queue.advance(std::chrono::milliseconds(300));
    EXPECT_FALSE(general->isExtensionTipVisible());
}

TEST_F(PreferencesWindowTest, AssistiveToolsSwitchPanesAndEveryPaneHasItsOwnAccessKeys) {
    auto window = makeWindow();
    window->show();
    const QStringList ids{"TemplatesPreferences", "FinderPreferences", "LocalizationPreferences",
                          "GeneralPreferences"};
    for (const QString& id : ids) {
        SCOPED_TRACE(id.toStdString());
        auto* button = window->findChild<QAbstractButton*>(id + "Button");
        ASSERT_NE(button, nullptr);
        // Announced as a page tab, not as a check box.
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->role(), QAccessible::PageTab);
        // The accessible toggle action checks the button without a click.
        accessible->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_EQ(selectedId(*window), id);
        EXPECT_TRUE(window->toolbarItem(id)->isChecked());
        for (const QString& other : ids) {
            EXPECT_EQ(window->findChild<QAbstractButton*>(other + "Button")->isChecked(),
                      other == id)
                << other.toStdString();
        }

        // No two controls the pane shows share an access key.
        std::map<QChar, QString> keys;
        for (auto* control : window->findChildren<QAbstractButton*>()) {
            const QString text = control->text();
            const qsizetype amp = text.indexOf('&');
            if (!control->isVisibleTo(window.get()) || amp < 0 || amp + 1 >= text.size()) {
                continue;
            }
            const QChar key = text[amp + 1].toLower();
            EXPECT_TRUE(keys.emplace(key, text).second)
                << text.toStdString() << " and " << keys[key].toStdString();
        }
        EXPECT_GE(keys.size(), 4u) << "the pane buttons at least";
    }

    // Escape, with no control taking it, closes the window.
    QTest::keyClick(window->viewControllerForIdentifier("GeneralPreferences")
                        ->findChild<QCheckBox*>(keys::kOpenFileOnCreation),
                    Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

} // namespace
} // namespace quillet::test
