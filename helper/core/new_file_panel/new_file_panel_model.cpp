#include "helper/core/new_file_panel/new_file_panel_model.h"

#include "shared/keys.h"
#include "shared/localized_strings.h"

namespace quillet::helper {

NewFilePanelModel::NewFilePanelModel(NewFilePanelHost& host, std::string folder,
                                     FormatChooserModel chooser)
    : host_(host), folder_(std::move(folder)), chooser_(std::move(chooser)),
      selected_(chooser_.requestedIndex()) {
    proposeDefaultNameIn(folder_);
}

std::string NewFilePanelModel::title() const {
    return formatWithTitle(host_.localizedStringForKey(keys::kNewFormatText),
                           selectedTemplate().title);
}

bool NewFilePanelModel::selectTemplate(std::size_t index, const std::string& currentDir) {
    if (index >= chooser_.choices().size()) {
        return false;
    }
    selected_ = index;
    proposeDefaultNameIn(currentDir);
    return true;
}

void NewFilePanelModel::proposeDefaultNameIn(const std::string& dir) {
    nameField_ = defaultNameIn(dir, selectedTemplate());
}

} // namespace quillet::helper
