// Alerts that arrive while one of their kind is open are counted, not
// stacked: the open alert's nested loop is where a flood of requests lands.
#include "fake_alerts.h"
#include "helper/core/alerts/one_alert_per_kind.h"

#include <gtest/gtest.h>

namespace quillet::test {
namespace {

using helper::OneAlertPerKind;

struct Arrival {
    std::string title;
    std::string message;
};

TEST(OneAlertPerKindTest, AlertsWhileOneOfTheirKindIsOpenAreCountedAndShownOnceAfterIt) {
    const std::string summary = "Alerts of this kind while the previous one was open: ";
    struct Case {
        const char* name;
        std::vector<Arrival> duringFirst; // arrive while the first alert is open
        std::vector<std::pair<std::string, std::string>> shown; // title, message
    };
    const std::vector<Case> cases = {
        {"alone", {}, {{"Bad", "one"}}},
        {"a flood of one kind: one more alert, the count and the latest detail",
         {{"Bad", "two"}, {"Bad", "three"}, {"Bad", "four"}},
         {{"Bad", "one"}, {"Bad", summary + "3\n\nfour"}}},
        {"another kind is shown at once, inside the open one",
         {{"Other", "x"}, {"Bad", "two"}},
         {{"Bad", "one"}, {"Other", "x"}, {"Bad", summary + "1\n\ntwo"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeAlerts fake;
        OneAlertPerKind alerts(fake, nullptr);
        bool first = true;
        fake.onShow = [&](const FakeAlerts::Shown&) {
            if (std::exchange(first, false)) {
                for (const auto& arrival : c.duringFirst) {
                    alerts.showAlert(arrival.title, arrival.message, AlertStyle::Critical);
                }
            }
        };
        alerts.showAlert("Bad", "one", AlertStyle::Critical);
        std::vector<std::pair<std::string, std::string>> shown;
        for (const auto& alert : fake.shown()) {
            shown.emplace_back(alert.title.value_or(""), alert.message.value_or(""));
        }
        EXPECT_EQ(shown, c.shown);
    }
}

TEST(OneAlertPerKindTest, RepeatsWhileTheFollowUpIsOpenGetAFollowUpOfTheirOwn) {
    FakeAlerts fake;
    OneAlertPerKind alerts(fake, [](const std::string& text) { return "[" + text + "]"; });
    int shows = 0;
    fake.onShow = [&](const FakeAlerts::Shown&) {
        if (++shows <= 2) {
            alerts.showAlert("Bad", "again " + std::to_string(shows), AlertStyle::Warning);
        }
    };
    alerts.showAlert("Bad", "one", AlertStyle::Critical);
    ASSERT_EQ(fake.shown().size(), 3u);
    // Translated, and from the latest of them.
    EXPECT_EQ(fake.shown()[2].message,
              "[Alerts of this kind while the previous one was open: 1]\n\nagain 2");
    EXPECT_EQ(fake.shown()[2].style, AlertStyle::Warning);
}

TEST(OneAlertPerKindTest, NothingMoreIsShownOnceTheProgramEnds) {
    FakeAlerts fake;
    OneAlertPerKind alerts(fake, nullptr);
    fake.onShow = [&](const FakeAlerts::Shown&) {
        if (fake.shown().size() == 1) {
            alerts.showAlert("Bad", "two", AlertStyle::Critical);
            alerts.dropRepeats();
        }
    };
    alerts.showAlert("Bad", "one", AlertStyle::Critical);
    EXPECT_EQ(fake.shown().size(), 1u);
}

} // namespace
} // namespace quillet::test
