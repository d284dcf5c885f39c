// What must stay visible whatever the palette and the panel: the tray icon on
// light and dark panels, the popover's header glyphs and the tables' empty
// check boxes in a dark palette. Each is drawn and its pixels compared with
// the background it sits on.
#include "app/app_services_fixture.h"
#include "app/ui/preferences/record_table_view.h"
#include "app/ui/template_popover.h"
#include "platform/linux/qt/palette_contrast.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

namespace quillet::test {
namespace {

QPalette darkPalette() {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::AlternateBase, QColor(0x32, 0x32, 0x32));
    dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    return dark;
}

// The share of the image's pixels that stand out from the background: a
// difference in lightness a reader sees at a glance.
double standingOut(const QImage& image, QColor background) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.lightness() - background.lightness()) >= 70) {
                ++count;
            }
        }
    }
    return image.isNull() ? 0.0 : double(count) / (image.width() * image.height());
}

QImage onBackground(const QIcon& icon, QColor background, int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(background);
    QPainter painter(&image);
    icon.paint(&painter, image.rect());
    return image;
}

TEST(PaletteContrastTest, IconsGlyphsAndCheckBoxesStandOut) {
    AppServicesFixture f;
    const QPalette dark = darkPalette();
    // A theme whose glyphs are drawn dark, for light palettes.
    const QString theme = QIcon::themeName();
    const QStringList themePaths = QIcon::themeSearchPaths();
    QIcon::setThemeSearchPaths({"/usr/share/icons"});
    QIcon::setThemeName("Adwaita");
    app::PopoverViewController popover(f.services);
    popover.setPalette(dark);
    QToolButton* menu = nullptr;
    for (auto* button : popover.findChildren<QToolButton*>()) {
        if (button->accessibleName() == "Menu") {
            menu = button;
        }
    }
    ASSERT_NE(menu, nullptr);
    ASSERT_FALSE(menu->icon().isNull()) << "no Adwaita icon theme";

    // An unchecked box in a table cell, drawn in the dark palette.
    QStandardItemModel model(1, 1);
    auto* item = new QStandardItem;
    item->setCheckable(true);
    item->setCheckState(Qt::Unchecked);
    model.setItem(0, 0, item);
    app::RecordTableView table;
    table.setPalette(dark);
    table.setModel(&model);
    table.resize(200, 100);
    table.show();
    QApplication::processEvents();
    QStyleOptionViewItem option;
    option.initFrom(&table);
    option.rect = table.visualRect(model.index(0, 0));
    option.features = QStyleOptionViewItem::HasCheckIndicator;
    const QRect box =
        table.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &table);

    struct Case {
        const char* what;
        std::function<QImage()> draw;
        QColor background;
        double atLeast; // share of pixels that stand out
    } cases[] = {
        {"tray icon on a light panel",
         [] { return onBackground(QIcon(QUILLET_STATUS_ICON), QColor(0xf6, 0xf5, 0xf4), 22); },
         QColor(0xf6, 0xf5, 0xf4), 0.15},
        {"tray icon on a dark panel",
         [] { return onBackground(QIcon(QUILLET_STATUS_ICON), QColor(0x24, 0x24, 0x24), 22); },
         QColor(0x24, 0x24, 0x24), 0.15},
        {"popover's glyph in a dark palette",
         [&] { return onBackground(menu->icon(), dark.color(QPalette::Window), 22); },
         dark.color(QPalette::Window), 0.05},
        {"empty check box in a dark table", [&] { return table.viewport()->grab(box).toImage(); },
         dark.color(QPalette::Base), 0.2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_GE(standingOut(c.draw(), c.background), c.atLeast);
    }
    QIcon::setThemeName(theme);
    QIcon::setThemeSearchPaths(themePaths);
}

} // namespace
} // namespace quillet::test
