// The value model and its file format.
#include "shared/plist_json.h"
#include "shared/value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

using quillet::Value;

TEST(Value, NumbersCompareByValueAcrossKinds) {
    // Booleans written as the integer 1 and as true must read the same.
    EXPECT_EQ(Value(1), Value(true));
    EXPECT_EQ(Value(0), Value(false));
    EXPECT_EQ(Value(2), Value(2.0));
    EXPECT_FALSE(Value(2) == Value(true));
    EXPECT_FALSE(Value("1") == Value(1));
    EXPECT_FALSE(Value() == Value(0));
    EXPECT_EQ(Value(Value::Array{1, "a"}), Value(Value::Array{true, "a"}));
    EXPECT_FALSE(Value(Value::Array{1}) == Value(Value::Array{1, 1}));
    EXPECT_EQ(Value(Value::Dictionary{{"k", 1}}), Value(Value::Dictionary{{"k", 1.0}}));
}

TEST(Value, TypedViewsYieldNothingForOtherTypes) {
    Value text("yes");
    EXPECT_FALSE(text.asBool());
    EXPECT_FALSE(text.asInteger());
    EXPECT_EQ(text.asArray(), nullptr);
    EXPECT_EQ(text.asDictionary(), nullptr);
    EXPECT_EQ(text.asData(), nullptr);
    Value number(5);
    EXPECT_EQ(number.asString(), nullptr);
    EXPECT_EQ(number.find("k"), nullptr);
    EXPECT_EQ(Value(Value::Dictionary{{"k", 1}}).find("other"), nullptr);
}

TEST(Value, AnyNonZeroNumberIsTrue) {
    EXPECT_TRUE(*Value(2).asBool());
    EXPECT_TRUE(*Value(-1).asBool());
    EXPECT_TRUE(*Value(0.25).asBool());
    EXPECT_FALSE(*Value(0).asBool());
    EXPECT_FALSE(*Value(0.0).asBool());
}

TEST(Value, RealsOutOfIntegerRangeSaturate) {
    EXPECT_EQ(*Value(1e300).asInteger(), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(*Value(-1e300).asInteger(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(*Value(std::nan("")).asInteger(), 0);
    EXPECT_EQ(*Value(3.9).asInteger(), 3);
}

TEST(SettingsFormat, RoundTripsEveryKind) {
    Value::Dictionary values{
        {"bool", true},
        {"int", -42},
        {"real", 2.5},
        {"string", "Ünïcødé \"quoted\""},
        {"data", Value::Data{0, 1, 2, 255, 128}},
        {"emptyData", Value::Data{}},
        {"array", Value::Array{1, "two", Value::Array{}}},
        {"dict", Value::Dictionary{{"nested", Value::Dictionary{}}}},
    };
    auto parsed = quillet::parseSettingsText(*quillet::serializeSettings(values));
    ASSERT_TRUE(parsed) << parsed.error().reason();
    EXPECT_EQ(Value(*parsed), Value(values));
    // The kinds survive too, not just numeric equality.
    EXPECT_EQ((*parsed)["bool"].type(), Value::Type::Boolean);
    EXPECT_EQ((*parsed)["int"].type(), Value::Type::Integer);
    EXPECT_EQ((*parsed)["real"].type(), Value::Type::Real);
    EXPECT_EQ((*parsed)["data"].type(), Value::Type::Data);
}

TEST(SettingsFormat, RejectsAnythingButAnObject) {
    for (const char* text : {"", "[]", "42", "\"text\"", "{", "{\"a\":}", "null", "{} {}"}) {
        SCOPED_TRACE(text);
        auto parsed = quillet::parseSettingsText(text);
        ASSERT_FALSE(parsed);
        EXPECT_FALSE(parsed.error().reason().empty());
    }
}

// What the reader makes of the edges of JSON: the values a settings file
// can hold, and the refusals, with the reason a person reads.
TEST(SettingsFormat, ReadsEdgesOfJsonAsTheStoreExpects) {
    const std::string deepest = std::string(199, '[') + std::string(199, ']');
    const std::string tooDeep = std::string(200, '[') + std::string(200, ']');
    struct Case {
        std::string text;
        std::optional<Value> value; // nothing: refused
        std::string reason;         // the refusal's start
    };
    const Case cases[] = {
        {R"({"a":1,"a":2})", Value(Value::Dictionary{{"a", 2}}), ""},
        {R"({"big":18446744073709551615})",
         Value(Value::Dictionary{{"big", 18446744073709551615.0}}), ""},
        {R"({"n":-3,"r":0.5,"s":"é","z":null})",
         Value(Value::Dictionary{{"n", -3}, {"r", 0.5}, {"s", "\xc3\xa9"}, {"z", Value()}}), ""},
        {R"({"d":[{"$data":"AAE="}]})",
         Value(Value::Dictionary{{"d", Value::Array{Value(Value::Data{0, 1})}}}), ""},
        {R"({"d":{"$data":"not base64!"}})",
         Value(Value::Dictionary{{"d", Value::Dictionary{{"$data", "not base64!"}}}}), ""},
        {R"({"d":{"$data":"AAE=","x":1}})",
         Value(Value::Dictionary{{"d", Value::Dictionary{{"$data", "AAE="}, {"x", 1}}}}), ""},
        {"{\"a\":" + deepest + "}", std::nullopt, ""},
        {"{\"a\":" + tooDeep + "}", std::nullopt, "nesting too deep"},
        {R"({"$data":"AAE="})", std::nullopt, "not a JSON object of settings"},
        {"[1]", std::nullopt, "not a JSON object"},
        {"{\"s\":\"\xff\"}", std::nullopt, "not valid JSON (at line 1"},
        {"{} x", std::nullopt, "not valid JSON (at line 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        auto parsed = quillet::parseSettingsText(c.text);
        if (c.value) {
            ASSERT_TRUE(parsed) << parsed.error().reason();
            EXPECT_EQ(Value(*parsed), *c.value);
        } else if (!c.reason.empty()) {
            ASSERT_FALSE(parsed);
            EXPECT_EQ(parsed.error().reason().rfind(c.reason, 0), 0u) << parsed.error().reason();
        } else {
            ASSERT_TRUE(parsed) << "the deepest nesting allowed: " << parsed.error().reason();
        }
    }
}

TEST(SettingsFormat, SingleValuesForTheTool) {
    auto data = quillet::valueFromJsonText(R"({"$data":"AAEC"})");
    ASSERT_TRUE(data) << data.error().reason();
    ASSERT_TRUE(data->isData());
    EXPECT_EQ(*data->asData(), (Value::Data{0, 1, 2}));
    auto broken = quillet::valueFromJsonText("{not json");
    ASSERT_FALSE(broken);
    EXPECT_EQ(broken.error().reason().rfind("not valid JSON (at line 1, column 3: ", 0), 0u)
        << broken.error().reason();
    auto seven = quillet::valueFromJsonText(quillet::valueToJsonText(Value(7), false));
    ASSERT_TRUE(seven);
    EXPECT_EQ(*seven, Value(7));
}
