// A program's own texts through its gettext catalog. The English text is the
// message id, so a text without a translation comes back unchanged.
#pragma once

#include <string>
#include <vector>

namespace quillet::platform {

class GettextTranslator {
public:
    // Binds the domain to <localeDir>/<lang>/LC_MESSAGES/<domain>.mo.
    GettextTranslator(std::string domain, const std::string& localeDir);

    // The catalog shipped beside a program's resources: <resources>/../locale.
    static GettextTranslator forProgram(const std::string& domain, const std::string& program);

    // Usable wherever a quillet::Translator is wanted.
    std::string operator()(const std::string& text) const;
    // The form of a text with a count that the count takes in the user's
    // language (ngettext): "%d template" / "%d templates" in English, three
    // forms in Russian, one in Japanese. The catalog templates extract it.
    std::string plural(const std::string& singular, const std::string& pluralForm,
                       unsigned long count) const;

    const std::string& domain() const { return domain_; }

private:
    std::string domain_;
};

// The user's languages in the order gettext tries them for this process
// (LANGUAGE, then the locale's categories), each with its variants.
std::vector<std::string> preferredLanguageNames();

} // namespace quillet::platform
