// Typed views of the store's records.
#include "shared/records.h"

#include "shared/keys.h"

#include <gtest/gtest.h>

using quillet::FileTemplate;
using quillet::Value;

TEST(FileTemplateRecord, IllTypedFieldsReadAsAbsent) {
    auto t = FileTemplate::fromValue(Value::Dictionary{{"enabled", 1},
                                                       {"title", 5},
                                                       {"prefix", "Untitled"},
                                                       {"suffix", Value::Array{}},
                                                       {"executable", "yes"},
                                                       {"shortcut", "none"}});
    ASSERT_TRUE(t);
    EXPECT_TRUE(t->enabled) << "1 reads as true";
    EXPECT_EQ(t->title, "");
    EXPECT_EQ(t->suffix, "");
    EXPECT_FALSE(t->executable);
    EXPECT_FALSE(t->shortcut);
    EXPECT_FALSE(FileTemplate::fromValue(Value("not a record")));
}

TEST(FileTemplateRecord, DefaultNameHasNoDotWithoutSuffix) {
    FileTemplate t;
    t.prefix = "Makefile";
    EXPECT_EQ(t.defaultName(), "Makefile");
    t.suffix = "txt";
    EXPECT_EQ(t.defaultName(), "Makefile.txt");
}

TEST(FileTemplateRecord, UnsafeNamesAreRecognised) {
    for (const char* prefix : {"", ".", "..", "../escape", "a/b"}) {
        SCOPED_TRACE(prefix);
        FileTemplate t;
        t.prefix = prefix;
        EXPECT_FALSE(t.hasSafeName());
    }
    FileTemplate ok;
    ok.prefix = "..hidden";
    EXPECT_TRUE(ok.hasSafeName());
}

TEST(FileTemplateRecord, ShortcutFieldOnlyWhenPresent) {
    FileTemplate t;
    t.prefix = "Note";
    const Value stored = t.toValue();
    const Value::Dictionary* d = stored.asDictionary();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->count(quillet::keys::kShortcut), 0u)
        << "no shortcut is no field, not an empty one";
    EXPECT_EQ(d->size(), 6u);
    t.shortcut = Value::Dictionary{{quillet::keys::kShortcutKeyCode, 38}};
    auto back = FileTemplate::fromValue(t.toValue());
    ASSERT_TRUE(back && back->shortcut);
    EXPECT_EQ(Value(*back->shortcut), Value(*t.shortcut));
}

TEST(FileTemplateRecord, IndexesCountEveryEntry) {
    Value array(Value::Array{Value::Dictionary{{"title", "A"}}, Value("junk"),
                             Value::Dictionary{{"title", "C"}}});
    auto templates = quillet::fileTemplatesFrom(array);
    ASSERT_EQ(templates.size(), 3u);
    EXPECT_EQ(templates[0]->title, "A");
    EXPECT_FALSE(templates[1]);
    EXPECT_EQ(templates[2]->title, "C");
    EXPECT_TRUE(quillet::fileTemplatesFrom(Value("not an array")).empty());
}

TEST(OtherRecords, MonitoredAndAuthorisedDirectories) {
    auto m =
        quillet::MonitoredLocation::fromValue(Value::Dictionary{{"path", 3}, {"enabled", true}});
    ASSERT_TRUE(m);
    EXPECT_FALSE(m->path);
    EXPECT_TRUE(m->enabled);
    quillet::AuthorizedDir a{"/tmp", {1, 2}};
    auto back = quillet::AuthorizedDir::fromValue(a.toValue());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->path, "/tmp");
    EXPECT_EQ(back->bookmarkData, (Value::Data{1, 2}));
}
