#include "localization_model.h"

#include "shared/keys.h"

namespace quillet::app {

namespace {

// Marks a text for the catalog; the pane translates it where it is shown.
constexpr const char* N_(const char* text) {
    return text;
}

} // namespace

std::string messageDescription(const std::string& key) {
    if (key == keys::kNewFileText) {
        return N_("the name of the menu");
    }
    if (key == keys::kNewFormatText) {
        return N_("a template's entry; %@ is the template's title");
    }
    if (key == "Quillet") {
        return N_("the program's name in the menu");
    }
    return {};
}

LocalizationModel::LocalizationModel(SettingsStore store, MessageTable defaultStrings)
    : store_(std::move(store)), defaults_(std::move(defaultStrings)),
      localizedStrings_(store_.dictionaryForKey(keys::kLocalizedStrings)) {
    // The table's order is byte order: case-sensitive, as the rows are sorted.
    for (const auto& entry : defaults_) {
        keys_.push_back(entry.first);
    }
}

MessageTable LocalizationModel::defaultStringsFor(const std::string& localeDir,
                                                  const std::vector<std::string>& languages) {
    auto read = [&](const std::vector<std::string>& tried) {
        auto path = locateCatalog(localeDir, kExtensionDomain, tried, kBaseLanguage);
        return path ? readMessageCatalog(*path).valueOr(MessageTable{}) : MessageTable{};
    };
    // The rows are the base catalog's messages, the texts a user may replace;
    // a translation holds the module's other texts as well, which are not.
    MessageTable rows = read({});
    const MessageTable translated = read(languages);
    for (auto& [key, text] : rows) {
        // A translation that is missing, broken or lacks the message leaves
        // the untranslated text (an empty text reads as its id).
        auto it = translated.find(key);
        text = it != translated.end() ? it->second : std::string();
    }
    return rows;
}

std::optional<std::string> LocalizationModel::valueAt(std::size_t row) const {
    if (!localizedStrings_) {
        return std::nullopt;
    }
    auto it = localizedStrings_->find(keyAt(row));
    if (it == localizedStrings_->end() || it->second.asString() == nullptr) {
        return std::nullopt;
    }
    return *it->second.asString();
}

std::string LocalizationModel::placeholderAt(std::size_t row) const {
    const std::string& key = keyAt(row);
    const std::string& text = defaults_.at(key);
    // An untranslated message reads as its id.
    return text.empty() ? key : text;
}

Status LocalizationModel::setValue(std::size_t row, const std::optional<std::string>& value) {
    Value::Dictionary table = localizedStrings_.value_or(Value::Dictionary{});
    if (value) {
        table[keyAt(row)] = *value;
    } else {
        table.erase(keyAt(row));
    }
    if (Status stored = store_.setObject(keys::kLocalizedStrings, table); !stored) {
        // The pane shows the store's own account of the failure.
        return stored.error().during("save the replacement");
    }
    store_.synchronize();
    localizedStrings_ = std::move(table);
    return {};
}

} // namespace quillet::app
