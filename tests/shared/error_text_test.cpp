// What a person reads of a failure: our own reasons in the user's language,
// the system's as the C library gives them, the path kept as it is.
#include "shared/error_text.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace quillet::test {
namespace {

TEST(ErrorText, TranslatesOnlyOurOwnReasons) {
    const Translator french = [](const std::string& text) {
        if (text == "not a local file") {
            return std::string("pas un fichier local");
        }
        if (text == "Permission denied") {
            return std::string("the system's message went through the catalog");
        }
        return text;
    };
    const std::string denied = std::generic_category().message(EACCES);
    const struct {
        const char* what;
        Error error;
        Translator translate;
        std::string reason;
        std::string userText;
    } rows[] = {
        {"our detail with a path", Error::withDetail("read", "sftp://h/x", "not a local file"),
         french, "pas un fichier local", "pas un fichier local (sftp://h/x)"},
        {"our detail without a path", Error::withDetail("read", "", "not a local file"), french,
         "pas un fichier local", "pas un fichier local"},
        {"a detail the catalog lacks stays English",
         Error::withDetail("read", "/a", "no such template"), french, "no such template",
         "no such template (/a)"},
        {"the system's reason is not looked up",
         Error("copy", "/ro", {EACCES, std::generic_category()}), french, denied,
         denied + " (/ro)"},
        {"no translator", Error::withDetail("read", "/b", "not a local file"), nullptr,
         "not a local file", "not a local file (/b)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(localizedReason(row.error, row.translate), row.reason);
        EXPECT_EQ(localizedUserText(row.error, row.translate), row.userText);
        // Untranslated, the same shape as the error's own text.
        EXPECT_EQ(localizedUserText(row.error, nullptr), row.error.userText());
    }
}

} // namespace
} // namespace quillet::test
