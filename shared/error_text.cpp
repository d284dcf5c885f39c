#include "shared/error_text.h"

namespace quillet {

std::string localizedReason(const Error& error, const Translator& translate) {
    return error.detail().empty() || !translate ? error.reason() : translate(error.detail());
}

std::string localizedUserText(const Error& error, const Translator& translate) {
    std::string text = localizedReason(error, translate);
    if (!error.path().empty()) {
        text += " (";
        text += error.path();
        text += ")";
    }
    return text;
}

} // namespace quillet
