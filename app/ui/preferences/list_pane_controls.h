// Pieces the list panes (Templates, Locations) share: their small tool
// buttons and the confirmation sheet.
#pragma once

#include "app/core/app_services.h"

#include <QString>

#include <cstddef>
#include <functional>
#include <set>
#include <string>

class QToolButton;
class QWidget;

namespace quillet::app {

class RecordTableView;

// A flat button showing a theme icon (with a text fallback).
QToolButton* makePaneButton(QWidget* parent, const char* iconName, const QString& text,
                            const QString& toolTip);

// A critical message as a sheet on the pane's window. With `onOk`, the
// buttons are OK and Cancel, and `onOk` runs only for OK; `onEnd` runs
// whenever the sheet closes.
void showPaneSheet(QWidget* pane, const QString& objectName, const QString& title,
                   const QString& message, std::function<void()> onOk, std::function<void()> onEnd);

// What a list pane's Remove says: the note when nothing is selected, and the
// confirmation (object names are what tests and assistive tools find).
struct RemovalSheets {
    const char* noneObjectName = nullptr;
    QString noneTitle;
    QString noneMessage;
    const char* confirmObjectName = nullptr;
    QString confirmTitle;
    // The question for the selected rows.
    std::function<QString(const std::set<std::size_t>& rows)> confirmMessage;
};

// Remove in a list pane: a note when no row is selected, else the
// confirmation sheet, whose OK runs `remove` on the rows selected then and
// clears the selection. `sheetOpen` (the pane's own flag, which holds back
// reloads) is true while the sheet is up. Nothing runs once the pane is gone.
void confirmRemovingSelectedRows(QWidget* pane, RecordTableView* table, bool& sheetOpen,
                                 const RemovalSheets& sheets,
                                 std::function<void(const std::set<std::size_t>& rows)> remove);

QString translated(const AppServices& services, const char* text);
// The form of a text with a number ("%@") for `count`, with the number in it.
QString translatedPlural(const AppServices& services, const char* singular, const char* plural,
                         std::size_t count);

} // namespace quillet::app
