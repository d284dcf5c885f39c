// Pieces the list panes (Templates, Locations) share: their small tool
// buttons and the confirmation sheet.
#pragma once

#include "app/app_services.h"

#include <QString>

#include <functional>
#include <string>

class QToolButton;
class QWidget;

namespace quillet::app {

// A flat button showing a theme icon (with a text fallback).
QToolButton* makePaneButton(QWidget* parent, const char* iconName, const QString& text,
                            const QString& toolTip);

// A critical message as a sheet on the pane's window. With `onOk`, the
// buttons are OK and Cancel, and `onOk` runs only for OK; `onEnd` runs
// whenever the sheet closes.
void showPaneSheet(QWidget* pane, const QString& objectName, const QString& title,
                   const QString& message, std::function<void()> onOk, std::function<void()> onEnd);

QString translated(const AppServices& services, const char* text);

} // namespace quillet::app
