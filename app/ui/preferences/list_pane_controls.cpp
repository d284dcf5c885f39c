#include "list_pane_controls.h"

#include "platform/linux/qt/qt_text.h"
#include "record_table_view.h"
#include "shared/localized_strings.h"

#include <QIcon>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>

namespace quillet::app {

QToolButton* makePaneButton(QWidget* parent, const char* iconName, const QString& text,
                            const QString& toolTip) {
    auto* button = new QToolButton(parent);
    const QIcon icon = QIcon::fromTheme(QString::fromLatin1(iconName));
    if (icon.isNull()) {
        button->setText(text);
    } else {
        button->setIcon(icon);
    }
    button->setAccessibleName(text);
    button->setToolTip(toolTip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

void showPaneSheet(QWidget* pane, const QString& objectName, const QString& title,
                   const QString& message, std::function<void()> onOk,
                   std::function<void()> onEnd) {
    auto* box =
        new QMessageBox(QMessageBox::Critical, title, title, QMessageBox::NoButton, pane->window());
    box->setObjectName(objectName);
    box->setInformativeText(message);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* ok = box->addButton(QMessageBox::Ok);
    if (onOk) {
        box->addButton(QMessageBox::Cancel);
    }
    box->setDefaultButton(ok);
    QObject::connect(box, &QMessageBox::finished, box, [box, ok, onOk, onEnd](int) {
        const bool accepted = box->clickedButton() == ok;
        if (onEnd) {
            onEnd();
        }
        if (accepted && onOk) {
            onOk();
        }
    });
    box->open();
}

void confirmRemovingSelectedRows(QWidget* pane, RecordTableView* table, bool& sheetOpen,
                                 const RemovalSheets& sheets,
                                 std::function<void(const std::set<std::size_t>& rows)> remove) {
    const std::set<std::size_t> selected = table->selectedRows();
    if (selected.empty()) {
        showPaneSheet(pane, sheets.noneObjectName, sheets.noneTitle, sheets.noneMessage, nullptr,
                      nullptr);
        return;
    }
    sheetOpen = true;
    // The table and the flag belong to the pane: both live as long as it does.
    QPointer<QWidget> alive(pane);
    showPaneSheet(
        pane, sheets.confirmObjectName, sheets.confirmTitle, sheets.confirmMessage(selected),
        [alive, table, remove = std::move(remove)] {
            if (alive) {
                remove(table->selectedRows());
                table->clearSelection();
            }
        },
        [alive, open = &sheetOpen] {
            if (alive) {
                *open = false;
            }
        });
}

QString translatedPlural(const AppServices& services, const char* singular, const char* plural,
                         std::size_t count) {
    const std::string pattern = services.translatePlural
                                    ? services.translatePlural(singular, plural, count)
                                    : (count == 1 ? singular : plural);
    return platform::qt::qtText(formatWithTitle(pattern, std::to_string(count)));
}

QString translated(const AppServices& services, const char* text) {
    return platform::qt::qtText(services.translate ? services.translate(text) : std::string(text));
}

} // namespace quillet::app
