// Dialog titles kept whole. A window manager cuts a title wider than its
// window ("Remove…mplates"), and Qt sizes a dialog by its contents alone;
// every dialog of the program is made wide enough for its title as it shows.
#pragma once

class QApplication;

namespace quillet::platform::qt {

void keepDialogTitlesWhole(QApplication& application);

} // namespace quillet::platform::qt
