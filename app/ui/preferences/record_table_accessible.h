// What assistive tools see of a RecordTableView: a table of cells whose
// accessible actions change the records the way a click or a typed edit
// does. Qt's own table cells toggle their selection on Toggle and offer no
// text to edit, so a screen reader or voice control could neither tick a
// template's "Enabled" box nor rename it.
#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace quillet::app {

// The factory to install with QAccessible::installFactory.
QAccessibleInterface* recordTableAccessible(const QString& className, QObject* object);

} // namespace quillet::app
