// Glyphs and check boxes that stay visible in every palette. Qt 6.4 draws
// the icon theme's monochrome ("-symbolic") glyphs in the one colour they
// were drawn in, dark for light panels, and its own style frames an empty
// check box in the table a shade darker than the window: in a dark palette
// both vanish against the background.
#pragma once

#include <QIcon>
#include <QPalette>

class QAbstractItemView;

namespace quillet::platform::qt {

// The glyph in the palette's button text colour (greyed when disabled).
QIcon glyphForPalette(const QIcon& glyph, const QPalette& palette);

// Frames the view's empty check boxes in its text colour, which contrasts
// with the cells whatever the palette.
void frameEmptyCheckBoxes(QAbstractItemView* view);

} // namespace quillet::platform::qt
