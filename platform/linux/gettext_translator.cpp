#include "gettext_translator.h"

#include "shared/xdg_paths.h"

#include <glib.h>
#include <libintl.h>

namespace quillet::platform {

GettextTranslator::GettextTranslator(std::string domain, const std::string& localeDir)
    : domain_(std::move(domain)) {
    bindtextdomain(domain_.c_str(), localeDir.c_str());
    bind_textdomain_codeset(domain_.c_str(), "UTF-8");
}

GettextTranslator GettextTranslator::forProgram(const std::string& domain,
                                                const std::string& program) {
    // <prefix>/share/quillet/<program> -> <prefix>/share/locale, where every
    // program's catalogs live, the file-manager module's included. Resolved
    // as text: a program without resources (the share program) has no
    // folder of its own for ".." to climb out of.
    return GettextTranslator(domain, paths::standardizedPath(paths::appendingPathComponent(
                                         paths::resourcesDir(program), "../../locale")));
}

std::string GettextTranslator::operator()(const std::string& text) const {
    // The empty message id would return the catalog's header.
    if (text.empty()) {
        return text;
    }
    return dgettext(domain_.c_str(), text.c_str());
}

std::string GettextTranslator::plural(const std::string& singular, const std::string& pluralForm,
                                      unsigned long count) const {
    return dngettext(domain_.c_str(), singular.c_str(), pluralForm.c_str(), count);
}

std::vector<std::string> preferredLanguageNames() {
    std::vector<std::string> names;
    for (const gchar* const* name = g_get_language_names(); *name != nullptr; ++name) {
        names.emplace_back(*name);
    }
    return names;
}

} // namespace quillet::platform
