// Dragging items that this program creates where they are dropped.
//
// On X11 the drag speaks X Direct Save (XdndDirectSave0): the source window
// carries the proposed file name, the target writes back the URI of the item
// it wants, and the source creates it and answers "S" (or "E") through the
// drag selection. Staged copies may be offered beside it as a file list, for
// targets that know nothing better; they are offered for copying only, and
// left out for the targets the offer names.
#pragma once

#include <QPixmap>
#include <Qt>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QWidget;

namespace quillet::platform::qt {

struct FileDragOffer {
    // X Direct Save: the name proposed to the target, and the creation at
    // the local path the target asks for (true when it worked). Used only on
    // X11; an offer without a name leaves the protocol out.
    std::optional<std::string> directSaveName;
    std::function<bool(const std::string& path)> saveAt;
    // Files offered as text/uri-list.
    std::vector<std::string> stagedFiles;
    // Whether the drop target whose window has this class (WM_CLASS) is
    // offered X Direct Save without the file list. The choice is made as the
    // pointer enters each target, before the target reads the drag's types.
    std::function<bool(const std::string& windowClass)> directSaveAloneTo;
    // Further formats and their bytes (Dolphin's call-back address).
    std::vector<std::pair<std::string, std::string>> extraFormats;
};

// Whether the drags of this process can speak X Direct Save.
bool canDirectSave();

// Runs the drag from the widget until it ends, like QDrag::exec.
Qt::DropAction execFileDrag(QWidget* source, const QPixmap& pixmap, FileDragOffer offer);

} // namespace quillet::platform::qt
