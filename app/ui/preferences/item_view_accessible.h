// What assistive tools see of our item views (the templates' and
// locations' tables, the lists of check boxes, the table of texts): cells and items whose
// accessible actions change the data the way a click or a typed edit does.
// Qt's own cells toggle their selection on Toggle and offer no text to edit,
// so a screen reader or voice control could neither tick a template's
// "Enabled" box nor rename it.
#pragma once

namespace quillet::app {

// Installs the accessibility factory for RecordTableView and the views of
// accessible_item_views.h, once.
void installItemViewAccessible();

} // namespace quillet::app
