#include "message_catalog.h"

#include "shared/fd_io.h"
#include "shared/xdg_paths.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::app {

namespace {

constexpr std::uint32_t kMagic = 0x950412de;

class Reader {
public:
    Reader(std::string_view bytes, bool swap) : bytes_(bytes), swap_(swap) {}

    std::optional<std::uint32_t> word(std::size_t offset) const {
        if (offset > bytes_.size() || bytes_.size() - offset < 4) {
            return std::nullopt;
        }
        std::uint32_t w = 0;
        std::memcpy(&w, bytes_.data() + offset, 4);
        return swap_ ? __builtin_bswap32(w) : w;
    }

    // The string described by the (length, offset) pair at the table entry,
    // up to its first NUL (a plural entry's first form).
    std::optional<std::string_view> string(std::size_t entry) const {
        auto length = word(entry);
        auto offset = word(entry + 4);
        if (!length || !offset || *offset > bytes_.size() || bytes_.size() - *offset < *length) {
            return std::nullopt;
        }
        std::string_view s = bytes_.substr(*offset, *length);
        return s.substr(0, s.find('\0'));
    }

private:
    std::string_view bytes_;
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
    constexpr const char* kAction = "read the message catalog";
    // Non-blocking: a FIFO planted at the catalog's name must not hang the
    // pane; it is refused below like any other file that is not regular.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return Error::fromErrno(kAction, path);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        Error error = Error::fromErrno(kAction, path);
        ::close(fd);
        return error;
    }
    if (!S_ISREG(st.st_mode) || std::uint64_t(st.st_size) > kMaxMessageCatalogBytes) {
        ::close(fd);
        return Error::withDetail(
            kAction, path, S_ISREG(st.st_mode) ? "message catalog too large" : "not a regular file",
            std::errc::file_too_large);
    }
    Expected<std::string> read = readAll(fd);
    ::close(fd);
    if (!read) {
        return Error(kAction, path, read.error().code());
    }
    // It may have grown since fstat.
    if (read->size() > kMaxMessageCatalogBytes) {
        return Error::withDetail(kAction, path, "message catalog too large",
                                 std::errc::file_too_large);
    }
    return parseMessageCatalog(*read, path);
}

Expected<MessageTable> parseMessageCatalog(std::string_view bytes, const std::string& path) {
    auto fail = [&](const char* why) {
        return Error::withDetail("read the message catalog", path, why,
                                 std::errc::illegal_byte_sequence);
    };
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
    // Both tables must fit before anything is read: the count is then at most
    // an eighth of the size, whatever the header claims.
    const std::size_t tableBytes = 8 * std::size_t(*count);
    for (std::uint32_t table : {*originals, *translations}) {
        if (table > bytes.size() || bytes.size() - table < tableBytes) {
            return fail("truncated message catalog");
        }
    }
    MessageTable result;
    std::size_t covered = 0;
    for (std::uint32_t i = 0; i < *count; ++i) {
        auto id = reader.string(std::size_t(*originals) + 8 * std::size_t(i));
        auto text = reader.string(std::size_t(*translations) + 8 * std::size_t(i));
        if (!id || !text) {
            return fail("truncated message catalog");
        }
        covered += id->size() + text->size();
        if (covered > bytes.size()) {
            return fail("message catalog strings overlap");
        }
        // Empty id: the header. EOT: a context before the id.
        if (id->empty() || id->find('\x04') != std::string_view::npos) {
            continue;
        }
        result.insert_or_assign(std::string(*id), std::string(*text));
    }
    return result;
}

std::optional<std::string> locateLocalized(const std::string& dir, const std::string& relative,
                                           const std::vector<std::string>& languages) {
    for (const auto& language : languages) {
        if (language.empty() || language == "C" || language == "POSIX" ||
            language.find('/') != std::string::npos) {
            continue;
        }
        for (const auto& variant : variants(language)) {
            std::string path = paths::appendingPathComponent(dir, variant + "/" + relative);
            if (isFile(path)) {
                return path;
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> locateCatalog(const std::string& localeDir, const std::string& domain,
                                         const std::vector<std::string>& languages,
                                         const std::string& baseLanguage) {
    std::vector<std::string> tried = languages;
    tried.push_back(baseLanguage);
    return locateLocalized(localeDir, "LC_MESSAGES/" + domain + ".mo", tried);
}

} // namespace quillet::app
