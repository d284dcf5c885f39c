#include "platform/linux/qt/dialog_titles.h"

#include "shared/window_fit.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include <algorithm>

namespace quillet::platform::qt {

namespace {

constexpr const char* kWidened = "quilletTitleWidth";

class TitleWidth final : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* object, QEvent* event) override {
        // Show comes before the window is mapped: the width is right at once.
        if (event->type() == QEvent::Show) {
            if (auto* dialog = qobject_cast<QDialog*>(object); dialog && dialog->isWindow()) {
                widen(*dialog);
            }
        }
        return false;
    }

private:
    static void widen(QDialog& dialog) {
        QFont bold = dialog.font();
        bold.setBold(true);
        const int needed =
            titleBarWidth(QFontMetrics(bold).horizontalAdvance(dialog.windowTitle()));
        if (dialog.property(kWidened).toInt() >= needed) {
            return;
        }
        dialog.setProperty(kWidened, needed);
        // A message box sets its own fixed size as it shows, after this: an
        // empty item as wide as the title across its grid sets the least.
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
                const QMargins margins = grid->contentsMargins();
                grid->addItem(new QSpacerItem(needed - margins.left() - margins.right(), 0,
                                              QSizePolicy::Fixed, QSizePolicy::Minimum),
                              grid->rowCount(), 0, 1, grid->columnCount());
            }
            return;
        }
        dialog.setMinimumWidth(std::max(needed, dialog.minimumSizeHint().width()));
        dialog.resize(std::max(needed, dialog.width()), dialog.height());
    }
};

} // namespace

void keepDialogTitlesWhole(QApplication& application) {
    application.installEventFilter(new TitleWidth(&application));
}

} // namespace quillet::platform::qt
