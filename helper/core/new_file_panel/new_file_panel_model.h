// What the new-file panel shows and how it answers the user, without the
// toolkit: title, name field, extension, the format chooser, and the meaning
// of a confirmed name.
#pragma once

#include "helper/core/new_file_panel/format_chooser_model.h"
#include "helper/core/new_file_panel/new_item_name.h"
#include "helper/core/new_file_panel_host.h"

#include <cstddef>
#include <string>
#include <vector>

namespace quillet::helper {

class NewFilePanelModel {
public:
    // Starts with the chooser's requested template selected and its default
    // name in `folder`.
    NewFilePanelModel(NewFilePanelHost& host, std::string folder, FormatChooserModel chooser);

    // The request's folder, where the panel opens.
    const std::string& folder() const { return folder_; }

    const std::vector<FormatChoice>& choices() const { return chooser_.choices(); }
    std::size_t selectedIndex() const { return selected_; }
    const FormatChoice& selectedChoice() const { return chooser_.choices()[selected_]; }
    const FileTemplate& selectedTemplate() const { return selectedChoice().fileTemplate; }

    // "New %@" (through the user's overrides) filled with the selected title.
    std::string title() const;
    // The whole proposed name, and how many of its bytes are selected for
    // typing over (all but the template's extension).
    const std::string& nameField() const { return nameField_.fieldText; }
    std::size_t nameFieldBaseLength() const { return nameField_.baseLength; }
    // The extension added on confirmation to a name without one, and the
    // only one listed, exactly when it is not empty.
    const std::string& suffix() const { return selectedTemplate().suffix; }

    // The chooser's action: takes another template and replaces the name
    // field by its default name in `currentDir` (the folder the panel shows
    // now, so that the proposal is free where it would be created). False,
    // and nothing changes, for an index that is not a choice.
    bool selectTemplate(std::size_t index, const std::string& currentDir);
    // Replaces the name field by the selected template's default name in `dir`.
    void proposeDefaultNameIn(const std::string& dir);

    // `types`: the desktop's file types, by which a typed name keeps an
    // extension of its own.
    [[nodiscard]] Expected<TypedTarget> resolve(const std::string& currentDir,
                                                const std::string& text,
                                                const FileTypes* types = nullptr) const {
        return resolveTypedName(currentDir, text, suffix(), types);
    }

private:
    NewFilePanelHost& host_;
    std::string folder_;
    FormatChooserModel chooser_;
    std::size_t selected_;
    DefaultName nameField_;
};

} // namespace quillet::helper
