// The Localization pane's catalog lookup and its override table.
#include "app/core/help.h"
#include "app/core/preferences/localization_model.h"

#include "shared/keys.h"
#include "support/temp_xdg.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

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
                     {{"New File", "Neue Datei"},
                      {"New %@", "Neu: %@"},
                      {"Adds a New File menu", "Fügt ein Menü hinzu"}});
        std::ofstream(localeDir + "/it/LC_MESSAGES/quillet-extension.mo") << "not a catalog";
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
        // The rows are the base catalog's, whatever else a translation holds.
        {{"de_DE.UTF-8@euro"}, {"New %@", "New File", "Quillet"}, "Neu: %@"},
        // A broken translation leaves the untranslated texts.
        {{"it"}, {"New %@", "New File", "Quillet"}, "New %@"},
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
    LocalizationModel de(SettingsStore::atPath(storeFile),
                         LocalizationModel::defaultStringsFor(localeDir, {"de"}));
    EXPECT_EQ(de.placeholderAt(1), "Neue Datei");
    EXPECT_EQ(de.placeholderAt(2), "Quillet") << "a message the translation lacks reads as its id";
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

// Little-endian words, as msgfmt writes them on this machine.
std::string words(std::initializer_list<std::uint32_t> values) {
    std::string out;
    for (std::uint32_t w : values) {
        out.append(reinterpret_cast<const char*>(&w), 4);
    }
    return out;
}

TEST(MessageCatalog, RefusesWhatIsNotASoundCatalogOfAReasonableSize) {
    test::TempXdg xdg;
    const std::string dir = xdg.root();
    std::ofstream(dir + "/bad.mo") << "not a catalog at all, but long enough";
    std::ofstream(dir + "/large.mo") << std::string(kMaxMessageCatalogBytes + 1, '\0');
    ASSERT_EQ(::mkfifo((dir + "/fifo.mo").c_str(), 0600), 0);
    // Two entries whose texts both cover the whole string area: copying each
    // once per entry is what made large crafted files take seconds.
    const std::string big(1000, 'x');
    std::ofstream(dir + "/overlap.mo", std::ios::binary)
        << words({0x950412de, 0, 2, 28, 44, 0, 60, 1, 60, 1, 60, 1000, 60, 1000, 60}) + big;
    std::ofstream(dir + "/table.mo", std::ios::binary)
        << words({0x950412de, 0, 0x10000000, 28, 28, 0, 0});
    std::ofstream(dir + "/string.mo", std::ios::binary)
        << words({0x950412de, 0, 1, 28, 36, 0, 0, 4, 0xfffffffe, 0, 0});
    struct Case {
        const char* file;
        std::string reason;
    } cases[] = {
        {"bad.mo", "not a message catalog"},
        {"missing.mo", std::make_error_code(std::errc::no_such_file_or_directory).message()},
        {"large.mo", "message catalog too large"},
        {"fifo.mo", "not a regular file"},
        {"overlap.mo", "message catalog strings overlap"},
        {"table.mo", "truncated message catalog"},
        {"string.mo", "truncated message catalog"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const Expected<MessageTable> read = readMessageCatalog(dir + "/" + c.file);
        ASSERT_FALSE(read);
        EXPECT_EQ(read.error().path(), dir + "/" + c.file);
        EXPECT_EQ(read.error().reason(), c.reason);
    }
    EXPECT_FALSE(locateCatalog(xdg.root(), "quillet-extension", {"de"}, "en"));
}

TEST(HelpPages, TheTranslatedCopyOfTheFirstLanguageThatHasOne) {
    test::TempXdg xdg;
    const std::string help = xdg.makeDir("help");
    for (const char* page : {"index.html", "de/index.html", "pt_BR/index.html", "ja/other.html"}) {
        std::filesystem::create_directories(std::filesystem::path(help + "/" + page).parent_path());
        std::ofstream(help + "/" + page) << "<html></html>";
    }
    struct Case {
        std::vector<std::string> languages;
        std::string page;
    } cases[] = {
        {{"de_DE.UTF-8", "de_DE", "de", "C"}, "/de/index.html"},
        {{"fr", "de"}, "/de/index.html"},
        {{"pt_BR.UTF-8"}, "/pt_BR/index.html"},
        {{"ja"}, "/index.html"}, // a translation of another page only
        {{"C"}, "/index.html"},
        {{}, "/index.html"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.languages.empty() ? "none" : c.languages.front());
        EXPECT_EQ(helpPageURL(help, "index.html", c.languages), "file://" + help + c.page);
    }
}

} // namespace
} // namespace quillet::app
