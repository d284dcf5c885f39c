// File types from shared-mime-info, through GIO's content types.
#pragma once

#include "shared/ports/file_types.h"

namespace quillet::platform {

class GioFileTypes final : public FileTypes {
public:
    // Thread-safe: the extension's icon cache is built off the main thread.
    std::optional<std::string> descriptionForExtension(const std::string& ext) const override;
    std::optional<std::string> iconNameForExtension(const std::string& ext) const override;

    // The content type guessed for a file named "x.<ext>" ("text/plain").
    static std::string contentTypeForExtension(const std::string& ext);
};

} // namespace quillet::platform
