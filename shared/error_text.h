// What a person reads of an Error, in the user's language.
#pragma once

#include "shared/error.h"
#include "shared/localized_strings.h"

#include <string>

namespace quillet {

// The reason in the user's language: our own detail, an English text marked
// N_ where it is written, through `translate` (the showing program's
// catalog); the system's message comes from the C library in the locale's
// language already.
std::string localizedReason(const Error& error, const Translator& translate);

// Error::userText() in the user's language: "Accès refusé (/home/me/ro)".
std::string localizedUserText(const Error& error, const Translator& translate);

} // namespace quillet
