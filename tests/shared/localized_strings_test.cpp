// The user's overrides of the three interface texts, the "New %@" filler and
// translated sentences joined into one paragraph.
#include "shared/localized_strings.h"

#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/sentences.h"
#include "shared/settings_store.h"
#include "support/temp_xdg.h"

#include <gtest/gtest.h>

using quillet::Value;

namespace {

class OverrideTest : public ::testing::Test {
protected:
    std::string lookup(const std::string& key) {
        return quillet::localizedStringForKey(store, key, [](const std::string& text) {
            return text == "New File" ? std::string("Nouveau fichier") : text;
        });
    }

    quillet::test::TempXdg xdg;
    quillet::SettingsStore store{quillet::ids::kSuiteName};
};

} // namespace

TEST_F(OverrideTest, WithoutTableTheProgramsTranslationIsUsed) {
    EXPECT_EQ(lookup("New File"), "Nouveau fichier");
    EXPECT_EQ(lookup("Quillet"), "Quillet");
    EXPECT_EQ(quillet::localizedStringForKey(store, "New File", nullptr), "New File");
}

TEST_F(OverrideTest, NonEmptyEntryOverridesAndEmptyEntryDoesNot) {
    ASSERT_TRUE(store.setObject(
        quillet::keys::kLocalizedStrings,
        Value::Dictionary{{"New File", ""}, {"Quillet", "Q"}, {"New %@", Value(3)}}));
    EXPECT_EQ(lookup("New File"), "Nouveau fichier") << "an empty replacement is no override";
    EXPECT_EQ(lookup("Quillet"), "Q");
    EXPECT_EQ(lookup("New %@"), "New %@") << "a non-string replacement is no override";
}

TEST_F(OverrideTest, TableIsReadAfreshEachTime) {
    EXPECT_EQ(lookup("Quillet"), "Quillet");
    quillet::SettingsStore writer(quillet::ids::kSuiteName);
    ASSERT_TRUE(writer.setObject(quillet::keys::kLocalizedStrings,
                                 Value::Dictionary{{"Quillet", "Plume"}}));
    EXPECT_EQ(lookup("Quillet"), "Plume");
}

TEST_F(OverrideTest, TableOfTheWrongTypeIsIgnored) {
    ASSERT_TRUE(store.setObject(quillet::keys::kLocalizedStrings, Value::Array{"Quillet"}));
    EXPECT_EQ(lookup("Quillet"), "Quillet");
}

TEST(FormatWithTitle, FillsOnlyTheOneArgument) {
    struct Case {
        const char* pattern;
        const char* expected;
    };
    const Case cases[] = {
        {"New %@", "New Text"},
        {"%@", "Text"},
        {"Créer %@ ici", "Créer Text ici"},
        {"Create a file", "Create a file"}, // no placeholder
        {"New %d file", "New %d file"},     // another placeholder reads nothing
        {"New %s %ld", "New %s %ld"},
        {"%@ and %@", "Text and "},     // later placeholders are dropped
        {"%1$@ (copy)", "Text (copy)"}, // positional form
        {"100%% %@", "100% Text"},
        {"trailing %", "trailing %"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(quillet::formatWithTitle(c.pattern, "Text"), c.expected);
    }
    // A title that itself looks like a format is not expanded again.
    EXPECT_EQ(quillet::formatWithTitle("New %@", "%@ %d"), "New %@ %d");
}

TEST(JoinSentencesTest, SpacesOnlyAfterLatinPunctuation) {
    const struct {
        const char* what;
        std::string first, second, joined;
    } rows[] = {
        {"Latin", "No tray.", "Open it.", "No tray. Open it."},
        {"Japanese full stop", "表示できません。", "ドック", "表示できません。ドック"},
        {"Chinese full-width question mark", "吗？", "打开", "吗？打开"},
        {"closing corner bracket", "「テンプレート」", "項目", "「テンプレート」項目"},
        {"Japanese after Latin text", "Quillet.", "ドック", "Quillet. ドック"},
        {"empty first", "", "Open it.", "Open it."},
        {"empty second", "No tray.", "", "No tray."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(quillet::joinSentences(row.first, row.second), row.joined);
    }
}
