// The templates popover as assistive tools find it: a named window among the
// program's windows (a popup would be left out of the tree).
#include "app/app_services_fixture.h"
#include "app/ui/template_popover.h"

#include <QAccessible>
#include <QApplication>

#include <gtest/gtest.h>

namespace quillet::test {
namespace {

TEST(PopoverAccessibilityTest, TheShownPopoverIsANamedWindowOfTheProgram) {
    AppServicesFixture f;
    app::PopoverViewController popover(f.services);
    popover.show();
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&popover);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Window);
    EXPECT_EQ(accessible->text(QAccessible::Name).toStdString(), "Templates");

    QAccessibleInterface* application = QAccessible::queryAccessibleInterface(qApp);
    ASSERT_NE(application, nullptr);
    bool listed = false;
    for (int i = 0; i < application->childCount(); ++i) {
        listed = listed || application->child(i)->object() == &popover;
    }
    EXPECT_TRUE(listed) << "among the program's windows";
}

} // namespace
} // namespace quillet::test
