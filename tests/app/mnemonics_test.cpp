#include "app/core/preferences/mnemonics.h"

#include <gtest/gtest.h>

namespace {

struct Row {
    const char* name;
    std::vector<std::string> labels;
    std::string reserved;
    std::vector<std::string> expected;
};

TEST(MnemonicsTest, EachLabelGetsALetterNoOtherHas) {
    const Row rows[] = {
        {"first letters where free",
         {"General", "Templates", "Locations"},
         "",
         {"&General", "&Templates", "&Locations"}},
        {"a later word's first letter before any other letter",
         {"Open the new file", "Open with"},
         "",
         {"&Open the new file", "Open &with"}},
        {"any free letter once the words' first letters are taken",
         {"Go", "Gn"},
         "",
         {"&Go", "G&n"}},
        {"case does not matter, and reserved letters are skipped",
         {"Help", "hide"},
         "H",
         {"H&elp", "h&ide"}},
        {"a label without a free letter stays without a key",
         {"ab", "ba", "a b"},
         "",
         {"&ab", "&ba", "a b"}},
        {"a literal ampersand is kept as such", {"Drag & drop"}, "d", {"D&rag && drop"}},
        {"only ASCII letters, never a byte of another character",
         {"\xC3\x89l\xC3\xA8ve"},
         "",
         {"\xC3\x89&l\xC3\xA8ve"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(quillet::app::withMnemonics(row.labels, row.reserved), row.expected);
    }
}

} // namespace
