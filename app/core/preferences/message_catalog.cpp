#include "message_catalog.h"

#include "shared/fd_io.h"
#include "shared/xdg_paths.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sys/stat.h>

namespace quillet::app {

namespace {

constexpr std::uint32_t kMagic = 0x950412de;

class Reader {
public:
    Reader(const std::string& bytes, bool swap) : bytes_(bytes), swap_(swap) {}

    std::optional<std::uint32_t> word(std::size_t offset) const {
        if (offset + 4 > bytes_.size()) {
            return std::nullopt;
        }
        std::uint32_t w = 0;
        std::memcpy(&w, bytes_.data() + offset, 4);
        return swap_ ? __builtin_bswap32(w) : w;
    }

    // The string described by the (length, offset) pair at the table entry.
    std::optional<std::string> string(std::size_t entry) const {
        auto length = word(entry);
        auto offset = word(entry + 4);
        if (!length || !offset || std::size_t(*offset) + *length > bytes_.size()) {
            return std::nullopt;
        }
        return bytes_.substr(*offset, *length);
    }

private:
    const std::string& bytes_;
    bool swap_;
};

bool isFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// "de_DE.UTF-8@euro" -> itself, "de_DE@euro", "de_DE", "de".
std::vector<std::string> variants(const std::string& language) {
    std::vector<std::string> result{language};
    auto add = [&](const std::string& v) {
        if (!v.empty() && std::find(result.begin(), result.end(), v) == result.end()) {
            result.push_back(v);
        }
    };
    std::string modifier;
    std::string base = language;
    if (auto at = base.find('@'); at != std::string::npos) {
        modifier = base.substr(at);
        base.erase(at);
    }
    if (auto dot = base.find('.'); dot != std::string::npos) {
        base.erase(dot);
        add(base + modifier);
    }
    add(base);
    if (auto underscore = base.find('_'); underscore != std::string::npos) {
        add(base.substr(0, underscore) + modifier);
        add(base.substr(0, underscore));
    }
    return result;
}

} // namespace

Expected<MessageTable> readMessageCatalog(const std::string& path) {
    auto fail = [&](const char* why) {
        return Error::withDetail("read the message catalog", path, why,
                                 std::errc::illegal_byte_sequence);
    };
    Expected<std::string> read = readFile(path);
    if (!read) {
        return read.error().during("read the message catalog");
    }
    const std::string& bytes = *read;
    Reader native(bytes, false);
    auto magic = native.word(0);
    if (!magic || (*magic != kMagic && __builtin_bswap32(*magic) != kMagic)) {
        return fail("not a message catalog");
    }
    Reader reader(bytes, *magic != kMagic);
    auto count = reader.word(8);
    auto originals = reader.word(12);
    auto translations = reader.word(16);
    if (!count || !originals || !translations) {
        return fail("truncated message catalog");
    }
    MessageTable table;
    for (std::uint32_t i = 0; i < *count; ++i) {
        auto id = reader.string(std::size_t(*originals) + 8 * std::size_t(i));
        auto text = reader.string(std::size_t(*translations) + 8 * std::size_t(i));
        if (!id || !text) {
            return fail("truncated message catalog");
        }
        // Empty id: the header. EOT: a context before the id.
        if (id->empty() || id->find('\x04') != std::string::npos) {
            continue;
        }
        // Plural forms are NUL-separated; the first is the singular.
        table[id->substr(0, id->find('\0'))] = text->substr(0, text->find('\0'));
    }
    return table;
}

std::optional<std::string> locateCatalog(const std::string& localeDir, const std::string& domain,
                                         const std::vector<std::string>& languages,
                                         const std::string& baseLanguage) {
    std::vector<std::string> tried = languages;
    tried.push_back(baseLanguage);
    for (const auto& language : tried) {
        if (language.empty() || language == "C" || language == "POSIX" ||
            language.find('/') != std::string::npos) {
            continue;
        }
        for (const auto& variant : variants(language)) {
            std::string path = paths::appendingPathComponent(localeDir, variant + "/LC_MESSAGES/" +
                                                                            domain + ".mo");
            if (isFile(path)) {
                return path;
            }
        }
    }
    return std::nullopt;
}

} // namespace quillet::app
