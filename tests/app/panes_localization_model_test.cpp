// The Localization pane's catalog lookup and its override table.
#include "app/core/preferences/localization_model.h"

#include "shared/keys.h"
#include "support/temp_xdg.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>

namespace quillet::app {
namespace {

// A compiled catalog as msgfmt writes it (little-endian, no hash table).
void writeCatalog(const std::string& path,
                  const std::vector<std::pair<std::string, std::string>>& m) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const auto n = static_cast<std::uint32_t>(m.size());
    std::string strings;
    std::vector<std::uint32_t> header{0x950412de, 0, n, 28, 28 + 8 * n, 0, 28 + 16 * n};
    std::vector<std::uint32_t> ids, texts;
    std::uint32_t offset = 28 + 16 * n;
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& [id, text] : m) {
            const std::string& s = pass == 0 ? id : text;
            (pass == 0 ? ids : texts)
                .insert((pass == 0 ? ids : texts).end(),
                        {static_cast<std::uint32_t>(s.size()), offset});
            strings += s + '\0';
            offset += static_cast<std::uint32_t>(s.size() + 1);
        }
    }
    std::ofstream out(path, std::ios::binary);
    for (const auto* words : {&header, &ids, &texts}) {
        out.write(reinterpret_cast<const char*>(words->data()),
                  static_cast<std::streamsize>(words->size() * 4));
    }
    out << strings;
}

class LocalizationModelTest : public ::testing::Test {
protected:
    LocalizationModelTest() {
        writeCatalog(localeDir + "/en/LC_MESSAGES/quillet-extension.mo",
                     {{"", "Content-Type: text/plain; charset=UTF-8\n"},
                      {"New File", "New File"},
                      {"New %@", "New %@"},
                      {"Quillet", ""},
                      {"menu\x04Open", "Open"}});
        writeCatalog(localeDir + "/de/LC_MESSAGES/quillet-extension.mo",
                     {{"New File", "Neue Datei"}, {"New %@", "Neu: %@"}});
    }

    test::TempXdg xdg;
    std::string localeDir = xdg.makeDir("share/locale");
    std::string storeFile = xdg.configHome() + "/quillet/shared.json";
};

TEST_F(LocalizationModelTest, TheCatalogOfTheUsersLanguageElseTheBaseOne) {
    struct Case {
        std::vector<std::string> languages;
        std::vector<std::string> keys;
        std::string firstDefault;
    } cases[] = {
        {{"en_US.UTF-8", "en_US", "en", "C"}, {"New %@", "New File", "Quillet"}, "New %@"},
        {{"de_DE.UTF-8@euro"}, {"New %@", "New File"}, "Neu: %@"},
        {{"fr_FR", "fr", "C"}, {"New %@", "New File", "Quillet"}, "New %@"},
        {{"C"}, {"New %@", "New File", "Quillet"}, "New %@"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.languages.front());
        LocalizationModel model(SettingsStore::atPath(storeFile),
                                LocalizationModel::defaultStringsFor(localeDir, c.languages));
        ASSERT_EQ(model.count(), c.keys.size());
        for (std::size_t i = 0; i < c.keys.size(); ++i) {
            EXPECT_EQ(model.keyAt(i), c.keys[i]);
            EXPECT_FALSE(model.valueAt(i)) << "no table: every row empty";
        }
        EXPECT_EQ(model.placeholderAt(0), c.firstDefault);
    }
    LocalizationModel en(SettingsStore::atPath(storeFile),
                         LocalizationModel::defaultStringsFor(localeDir, {"en"}));
    EXPECT_EQ(en.placeholderAt(2), "Quillet") << "an untranslated message reads as its id";
}

TEST_F(LocalizationModelTest, EditsWriteTheWholeTable) {
    ASSERT_TRUE(SettingsStore::atPath(storeFile).setObject(
        keys::kLocalizedStrings, Value::Dictionary{{"Unknown key", "kept"}}));
    LocalizationModel model(SettingsStore::atPath(storeFile),
                            LocalizationModel::defaultStringsFor(localeDir, {"en"}));
    ASSERT_TRUE(model.setValue(0, std::string("Create %@")));
    ASSERT_TRUE(model.setValue(1, std::string()));
    EXPECT_EQ(
        *SettingsStore::atPath(storeFile).dictionaryForKey(keys::kLocalizedStrings),
        (Value::Dictionary{{"New %@", "Create %@"}, {"New File", ""}, {"Unknown key", "kept"}}));
    ASSERT_TRUE(model.setValue(1, std::nullopt));
    EXPECT_EQ(model.valueAt(0), "Create %@");
    EXPECT_FALSE(model.valueAt(1));
}

TEST(MessageCatalog, RejectsWhatIsNotACatalog) {
    test::TempXdg xdg;
    std::ofstream(xdg.root() + "/bad.mo") << "not a catalog at all, but long enough";
    const Expected<MessageTable> bad = readMessageCatalog(xdg.root() + "/bad.mo");
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().path(), xdg.root() + "/bad.mo");
    EXPECT_EQ(bad.error().reason(), "not a message catalog");
    const Expected<MessageTable> missing = readMessageCatalog(xdg.root() + "/missing.mo");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code(), std::errc::no_such_file_or_directory);
    EXPECT_FALSE(locateCatalog(xdg.root(), "quillet-extension", {"de"}, "en"));
}

} // namespace
} // namespace quillet::app
