// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "support/fakes.h"
#include "table/gridview.h"
#include "table/proxytable.h"

#include <gtest/gtest.h>

namespace vorin {
namespace {

std::shared_ptr<const Collator> englishCollator()
{
    static auto c = std::make_shared<const Collator>("en_US");
    return c;
}

void add(ProxyTable& t, const std::string& ip, const std::string& port = "80")
{
    t.append();
    t.setText(Field::Ip, ip);
    t.setText(Field::Port, port);
    t.post();
}

// "ip:port" of every row in the current order, joined by blanks.
std::string rows(const ProxyTable& t)
{
    std::string out;
    t.forEach([&](std::size_t, const ProxyRecord& r) {
        out += (out.empty() ? "" : " ") + r.text(Field::Ip) + ":" + r.text(Field::Port);
    });
    return out;
}

TEST(ProxyTable, StartsClosedAndOpensKeepingRows)
{
    ProxyTable t(englishCollator());
    EXPECT_FALSE(t.isOpen());
    add(t, "1.1.1.1");
    EXPECT_TRUE(t.isOpen());
    t.open();
    EXPECT_EQ(t.rowCount(), 1u);
}

TEST(ProxyTable, BookmarksFollowTheirRowsUntilDeleted)
{
    ProxyTable t(englishCollator());
    t.sortOn(Field::Speed);
    add(t, "1.1.1.1");
    add(t, "2.2.2.2");
    add(t, "3.3.3.3");
    t.first();
    const auto first = *t.bookmark();
    t.next();
    const auto second = *t.bookmark();
    // Writing the speed moves the first row behind the unset ones.
    ASSERT_TRUE(t.gotoBookmark(first));
    t.edit();
    t.setInteger(Field::Speed, 5);
    t.post();
    EXPECT_EQ(rows(t), "2.2.2.2:80 3.3.3.3:80 1.1.1.1:80");
    ASSERT_TRUE(t.gotoBookmark(first));
    EXPECT_EQ(t.text(Field::Ip), "1.1.1.1");
    EXPECT_EQ(t.recNo(), 3u);
    ASSERT_TRUE(t.gotoBookmark(second));
    t.deleteCurrent();
    EXPECT_FALSE(t.gotoBookmark(second));
    EXPECT_EQ(t.text(Field::Ip), "3.3.3.3"); // the cursor stays where it was
    ProxyTable empty;
    EXPECT_FALSE(empty.bookmark());
}

TEST(ProxyTable, CutsTextsToTheirFieldSizes)
{
    struct Case {
        Field field;
        std::size_t size;
    };
    for (Case c :
         {Case{Field::Ip, 50}, Case{Field::Port, 8}, Case{Field::Protocol, 10}, Case{Field::Location, 40}}) {
        for (std::size_t len : {c.size - 1, c.size, c.size + 1, c.size + 4}) {
            ProxyTable t(englishCollator());
            std::string value;
            for (std::size_t i = 0; i < len; ++i)
                value += static_cast<char>('0' + i % 10);
            t.append();
            t.setText(c.field, value);
            t.post();
            EXPECT_EQ(t.text(c.field), value.substr(0, c.size)) << "field " << static_cast<int>(c.field);
        }
    }
    ProxyTable t(englishCollator());
    t.append();
    t.setText(test::g("端口"), "123456789012");
    t.post();
    EXPECT_EQ(t.text(Field::Port), "12345678");
}

// A row keeps its texts end to end in one buffer, inside the record or on the heap: every part must read
// back whatever mix of sizes and order of writes, and an edit that is cancelled must leave the row whole.
TEST(ProxyTable, EveryTextOfARowReadsBackThroughWritesThatGrowAndShrinkIt)
{
    const std::string longIp(50, '1'), longLocation(40, 'L'), credentials(300, 'c'), exit = "127.0.0.150";
    struct Step {
        const char* what;
        std::function<void(ProxyTable&)> write;
    };
    const std::vector<Step> steps = {
        {"port", [](ProxyTable& t) { t.setText(Field::Port, "8080"); }},
        {"long address", [&](ProxyTable& t) { t.setText(Field::Ip, longIp); }},
        {"location", [&](ProxyTable& t) { t.setText(Field::Location, longLocation); }},
        {"credentials", [&](ProxyTable& t) { t.setCredentials(credentials); }},
        {"country", [](ProxyTable& t) { t.setCountry("DE"); }},
        {"short address", [](ProxyTable& t) { t.setText(Field::Ip, "127.0.0.1"); }},
        {"no credentials", [](ProxyTable& t) { t.setCredentials(""); }},
        {"no location", [](ProxyTable& t) { t.setText(Field::Location, ""); }},
        {"protocol", [](ProxyTable& t) { t.setText(Field::Protocol, "SOCKS5"); }},
    };
    ProxyTable t(englishCollator());
    add(t, "1.2.3.4");
    const auto mark = *t.bookmark();
    std::string ip = "1.2.3.4", port = "80", location, protocol, creds, country;
    for (const Step& step : steps) {
        // A cancelled edit first: the copy it made is dropped and the stored row is untouched.
        t.edit();
        t.setText(Field::Ip, longIp + "x");
        t.cancel();
        step.write(t);
        t.post();
        ASSERT_TRUE(t.setFacts(mark, {bit(Protocol::Http), Anonymity::Elite, exit}));
        const std::string what = step.what;
        ip = what == "long address" ? longIp : what == "short address" ? "127.0.0.1" : ip;
        port = what == "port" ? "8080" : port;
        location = what == "location" ? longLocation : what == "no location" ? "" : location;
        protocol = what == "protocol" ? "SOCKS5" : protocol;
        creds = what == "credentials" ? credentials : what == "no credentials" ? "" : creds;
        country = what == "country" ? "DE" : country;
        const ProxyRecord copy = t.current();
        for (const ProxyRecord* r : {&t.current(), &copy}) {
            EXPECT_EQ(r->text(Field::Ip), ip) << what;
            EXPECT_EQ(r->text(Field::Port), port) << what;
            EXPECT_EQ(r->text(Field::Location), location) << what;
            EXPECT_EQ(r->text(Field::Protocol), protocol) << what;
            EXPECT_EQ(r->credentials(), creds) << what;
            EXPECT_EQ(r->country(), country) << what;
            EXPECT_EQ(r->facts(), (CheckFacts{bit(Protocol::Http), Anonymity::Elite, exit})) << what;
        }
    }
}

// The tree holds the first bytes of a text key; keys that share them are told apart by the rest, and a set
// empty text still sorts after an unset one.
TEST(ProxyTable, TextKeysThatShareTheirStartSortByTheirEnd)
{
    ProxyTable t(englishCollator());
    const std::string common(30, 'm');
    for (const char* tail : std::initializer_list<const char*>{"c", "a", "", "b", nullptr, "a"}) {
        t.append();
        t.setText(Field::Port, std::to_string(t.rowCount()));
        if (tail)
            t.setText(Field::Location, std::string(*tail ? common : "") + tail);
        t.post();
    }
    t.sortOn(Field::Location);
    std::string order;
    t.forEach([&](std::size_t, const ProxyRecord& r) {
        const std::string location = r.text(Field::Location);
        order += r.text(Field::Port) +
                 (!r.has(Field::Location) ? "-" : location.substr(location.empty() ? 0 : 30));
        order += " ";
    });
    EXPECT_EQ(order, "4- 2 1a 5a 3b 0c ");

    // Keys that differ only in case differ past their first bytes, in a short tail.
    ProxyTable cased(englishCollator());
    for (const char* location : {"mmmmmmmmmmmmB", "mmmmmmmmmmmmb", "mmmmmmmmmmmmA", "mmmmmmmmmmmma"}) {
        cased.append();
        cased.setText(Field::Location, location);
        cased.post();
    }
    cased.sortOn(Field::Location);
    std::string last;
    cased.forEach([&](std::size_t, const ProxyRecord& r) { last += r.text(Field::Location).back(); });
    EXPECT_EQ(last, "aAbB");
}

TEST(ProxyTable, UnsetFieldsReadEmptyAndFalse)
{
    ProxyTable t(englishCollator());
    add(t, "1.1.1.1");
    EXPECT_EQ(t.text(Field::Protocol), "");
    EXPECT_EQ(t.text(Field::Speed), "");
    EXPECT_FALSE(t.boolean(Field::Valid));
    EXPECT_FALSE(t.current().has(Field::Speed));
    t.edit();
    t.setInteger(Field::Speed, 0);
    t.post();
    EXPECT_EQ(t.text(Field::Speed), "0"); // set to zero is not unset
    EXPECT_EQ(t.text(test::g("速度")), "0");
}

TEST(ProxyTable, SortsAddressesAsTextByCollation)
{
    ProxyTable t(englishCollator());
    add(t, "9.0.0.1");
    add(t, "10.0.0.1");
    add(t, "100.0.0.1");
    t.sortOn(Field::Ip);
    EXPECT_EQ(rows(t), "10.0.0.1:80 100.0.0.1:80 9.0.0.1:80");
    // The order stays in force: a new row takes its place at once.
    add(t, "2.0.0.1");
    EXPECT_EQ(rows(t), "10.0.0.1:80 100.0.0.1:80 2.0.0.1:80 9.0.0.1:80");
    EXPECT_EQ(t.recNo(), 3u); // the cursor stays on the posted row
}

TEST(ProxyTable, CollationIsCaseSensitiveAndEqualKeysKeepTheirOrder)
{
    ProxyTable t(englishCollator());
    for (const char* loc : {"b", "B", "a", "b", "A"}) {
        t.append();
        t.setText(Field::Location, loc);
        t.setText(Field::Port, std::to_string(t.rowCount()));
        t.post();
    }
    t.sortOn(Field::Location);
    std::string order;
    t.forEach([&](std::size_t, const ProxyRecord& r) {
        order += r.text(Field::Location) + r.text(Field::Port) + " ";
    });
    EXPECT_EQ(order, "a2 A4 b0 b3 B1 ");
}

TEST(ProxyTable, SpeedSortPutsUnsetFirstAndMovesEditedRows)
{
    ProxyTable t(englishCollator());
    auto addSpeed = [&](const std::string& ip, std::optional<int> speed) {
        t.append();
        t.setText(Field::Ip, ip);
        if (speed) {
            t.setBoolean(Field::Valid, true);
            t.setInteger(Field::Speed, *speed);
        }
        t.post();
    };
    addSpeed("a", 300);
    addSpeed("b", std::nullopt);
    addSpeed("c", 100);
    addSpeed("d", -5);
    t.sortOn(Field::Speed);
    auto ips = [&] {
        std::string s;
        t.forEach([&](std::size_t, const ProxyRecord& r) { s += r.text(Field::Ip); });
        return s;
    };
    EXPECT_EQ(ips(), "bdca");
    // Appended rows without a speed land after the earlier unset rows and before every validated one.
    addSpeed("e", std::nullopt);
    addSpeed("f", std::nullopt);
    EXPECT_EQ(ips(), "befdca");
    // Writing a speed moves the row to its place among the validated rows.
    t.first();
    t.next(); // "e"
    t.edit();
    t.setBoolean(Field::Valid, true);
    t.setInteger(Field::Speed, 200);
    t.post();
    EXPECT_EQ(ips(), "bfdcea");
    EXPECT_EQ(t.text(Field::Ip), "e");
    EXPECT_EQ(t.recNo(), 5u);
    // Booleans: false (and unset) before true.
    t.sortOn(Field::Valid);
    EXPECT_EQ(ips(), "bfacde");
}

TEST(ProxyTable, CursorStopsAtTheLastRow)
{
    ProxyTable t(englishCollator());
    EXPECT_FALSE(t.first());
    EXPECT_EQ(t.recNo(), 0u);
    add(t, "1");
    add(t, "2");
    add(t, "3");
    ASSERT_TRUE(t.first());
    EXPECT_TRUE(t.next());
    EXPECT_FALSE(t.moveBy(5));
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.text(Field::Ip), "3");
    EXPECT_FALSE(t.next());
    EXPECT_EQ(t.recNo(), 3u);
    // Deleting the last row makes the new last row current.
    t.deleteCurrent();
    EXPECT_EQ(t.text(Field::Ip), "2");
    t.first();
    t.deleteCurrent();
    EXPECT_EQ(t.text(Field::Ip), "2"); // the next row became current
}

TEST(ProxyTable, DeleteRecordsFromAnyStart)
{
    struct Case {
        int first;
        int count;
        const char* left;
    };
    const Case cases[] = {
        {1, 1, "2 3 4"},   {2, 2, "1 4"},      {4, 1, "1 2 3"},
        {9, 1, "1 2 3"}, // beyond the end: the last row
        {3, 5, ""},      // past the end the deleting goes on from the new last row
        {1, 0, "1 2 3 4"}, {1, -3, "1 2 3 4"}, {0, 1, "2 3 4"},
    };
    for (const Case& c : cases) {
        ProxyTable t(englishCollator());
        for (const char* ip : {"1", "2", "3", "4"})
            add(t, ip);
        gridview::deleteRecords(t, c.first, c.count);
        std::string left;
        t.forEach([&](std::size_t, const ProxyRecord& r) {
            left += (left.empty() ? "" : " ") + r.text(Field::Ip);
        });
        EXPECT_EQ(left, c.left) << "first " << c.first << " count " << c.count;
    }
    ProxyTable empty(englishCollator());
    gridview::deleteRecords(empty, 1, 3);
    EXPECT_TRUE(empty.isEmpty());
}

TEST(ProxyTable, ClearingKeepsTheSortInForce)
{
    ProxyTable t(englishCollator());
    add(t, "b");
    add(t, "a");
    t.sortOn(Field::Ip);
    gridview::clearTable(t);
    EXPECT_TRUE(t.isEmpty());
    add(t, "d");
    add(t, "c");
    EXPECT_EQ(rows(t), "c:80 d:80");
}

TEST(HarvestCleanup, KeepsTheFirstAddedRowOfEachAddress)
{
    ProxyTable t(englishCollator());
    add(t, "2.2.2.2", "80");
    add(t, "1.1.1.1", "80");
    add(t, "1.1.1.1", "8080");
    add(t, " 2.2.2.2\t", "3128"); // the same address once trimmed, but it sorts apart
    add(t, "2.2.2.2", "9999");
    ASSERT_TRUE(gridview::harvestCleanup(t));
    EXPECT_EQ(rows(t), " 2.2.2.2\t:3128 1.1.1.1:80 2.2.2.2:80");
    EXPECT_EQ(t.sortField(), Field::Ip);
}

// The clean-up in steps must give what the clean-up at once gives, keep the old order in force until its
// last step, begin again when the table changes between steps, and keep the current row current. Enough
// rows for its sorted runs to be merged.
TEST(HarvestCleanup, InStepsItKeepsTheOldOrderUntilItsLastStepAndBeginsAgainWhenTheTableChanges)
{
    auto fill = [](ProxyTable& t) {
        for (int i = 0; i < 70000; ++i) { // every address twice, one of some pairs blank
            const int a = i % 35000;
            add(t, i % 997 == 0 ? " " : "10." + std::to_string(a / 256) + "." + std::to_string(a % 256),
                std::to_string(i));
        }
    };
    struct Case {
        const char* change; // between two steps of the job: while the keys are made, or the new tree
        int atStep;
        std::function<void(ProxyTable&)> apply;
    };
    const std::vector<Case> cases = {
        {"nothing", 20, [](ProxyTable&) {}},
        {"a row deleted", 20, [](ProxyTable& t) { gridview::deleteRecords(t, 5, 1); }},
        {"a row deleted late", 120, [](ProxyTable& t) { gridview::deleteRecords(t, 5, 1); }},
        {"a row added", 20, [](ProxyTable& t) { add(t, "0.0.0.1", "1"); }},
        {"a row edited", 120,
         [](ProxyTable& t) {
             t.first();
             t.edit();
             t.setText(Field::Ip, "9.9.9.9");
             t.post();
         }},
    };
    for (const Case& c : cases) {
        ProxyTable stepped(englishCollator()), atOnce(englishCollator());
        fill(stepped);
        fill(atOnce);
        stepped.first();
        stepped.moveBy(20000);
        const ProxyTable::Bookmark current = *stepped.bookmark();
        const std::string before = rows(stepped);
        auto job = gridview::harvestCleanupInSteps(stepped);
        int steps = 0;
        for (; !job->step(std::chrono::nanoseconds(0)); ++steps) {
            if (steps == c.atStep) {
                EXPECT_EQ(rows(stepped), before) << c.change; // the old order, still in force
                c.apply(stepped);
                c.apply(atOnce);
                stepped.gotoBookmark(current);
            }
        }
        ASSERT_GT(steps, c.atStep) << c.change; // the change was made while the job was under way
        ASSERT_TRUE(gridview::harvestCleanup(atOnce));
        EXPECT_EQ(rows(stepped), rows(atOnce)) << c.change;
        const bool newAddress =
            c.change == std::string("a row added") || c.change == std::string("a row edited");
        EXPECT_EQ(stepped.rowCount(), newAddress ? 35001u : 35000u) << c.change;
        EXPECT_EQ(stepped.sortField(), Field::Ip);
        EXPECT_EQ(stepped.text(Field::Port), "20000") << c.change; // kept: the first of its address
    }
}

TEST(HarvestCleanup, DropsBlankAddressesAndHandlesSmallHarvests)
{
    struct Case {
        std::vector<std::string> ips;
        bool ran;
        const char* left;
    };
    const Case cases[] = {
        {{}, false, ""},
        {{"1.1.1.1"}, true, "1.1.1.1:80"},
        {{"", " ", "\t\r\n"}, true, ""},
        {{" ", "3.3.3.3", "", "3.3.3.3", "1.1.1.1"}, true, "1.1.1.1:80 3.3.3.3:80"},
        {{"1.1.1.1", "1.1.1.1", "1.1.1.1"}, true, "1.1.1.1:80"},
    };
    for (const Case& c : cases) {
        ProxyTable t(englishCollator());
        for (const auto& ip : c.ips)
            add(t, ip);
        EXPECT_EQ(gridview::harvestCleanup(t), c.ran);
        EXPECT_EQ(rows(t), c.left);
    }
}

// A sort in steps while a validation run writes its verdicts: every step sees an edit, and the job must
// still end in about as many steps as without them, with the edited rows where their new values put them.
TEST(SortJob, EditsBetweenStepsDoNotMakeItBeginAgain)
{
    auto fill = [](ProxyTable& t) {
        for (int i = 0; i < 70000; ++i) {
            add(t, "10.0." + std::to_string(i / 256 % 256) + "." + std::to_string(i % 256),
                std::to_string(i));
            t.edit();
            t.setInteger(Field::Speed, (i * 7919) % 10007);
            t.post();
        }
    };
    auto verdict = [](ProxyTable& t, int step) {
        t.first();
        t.moveBy(static_cast<std::size_t>(step * 131 % 70000));
        t.edit();
        t.setInteger(Field::Speed, step % 50);
        t.setBoolean(Field::Valid, true);
        t.post();
    };
    ProxyTable quiet(englishCollator()), busy(englishCollator()), atOnce(englishCollator());
    fill(quiet);
    fill(busy);
    int quietSteps = 0;
    for (ProxyTable::SortJob job(quiet, Field::Speed); !job.step(std::chrono::nanoseconds(0));)
        ++quietSteps;
    int steps = 0;
    for (ProxyTable::SortJob job(busy, Field::Speed); !job.step(std::chrono::nanoseconds(0)); ++steps) {
        ASSERT_LT(steps, quietSteps * 2) << "the sort began again";
        verdict(busy, steps);
    }
    EXPECT_GT(steps, quietSteps / 2);
    fill(atOnce);
    for (int i = 0; i < steps; ++i)
        verdict(atOnce, i);
    atOnce.sortOn(Field::Speed);
    std::string got, want;
    busy.forEach([&](std::size_t, const ProxyRecord& r) { got += r.text(Field::Speed) + " "; });
    atOnce.forEach([&](std::size_t, const ProxyRecord& r) { want += r.text(Field::Speed) + " "; });
    EXPECT_EQ(got, want);
    EXPECT_EQ(busy.sortField(), Field::Speed);
}
} // namespace
} // namespace vorin
