// Member tables keep key order and every operation across the move from array to tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "tests/support/WorldFixture.h"
#include "vm/object/MemberTable.h"

namespace {

// What is read is named in a runtime's symbols: one in use for each test.
using MemberTableTest = WorldFixture;

// Asking for the first member puts an indexed table in key order.
std::vector<std::string> keysOf(MemberTable& table) {
    table.first();
    std::vector<std::string> keys;
    table.forEach([&](const Symbol& key, const Member&) { keys.emplace_back(key.text()); });
    return keys;
}

// Drives a table and a reference std::set with the same random edits, at sizes on both sides
// of the switch to a tree, and deep enough for the tree to split and empty inner nodes; and an
// indexed table the same way, until it is first walked and moves to a tree.
TEST_F(MemberTableTest, MatchesAnOrderedSetThroughRandomEdits) {
    auto* a = reinterpret_cast<Object*>(0x10);
    auto* b = reinterpret_cast<Object*>(0x20);
    for (auto [limit, indexed] : {std::pair{5, false}, {16, false}, {17, false}, {200, false}, {6000, false},
                                  {5, true}, {6000, true}}) {
        MemberTable table;
        if (indexed) table.indexByNumber();
        std::set<std::string> expected;
        std::mt19937 random(static_cast<unsigned>(limit));
        for (int step = 0; step < 4 * std::max(limit, 500); ++step) {
            std::string key = "k" + std::to_string(random() % static_cast<unsigned>(limit));
            if (random() % 3 == 0) {
                Member removed{};
                EXPECT_EQ(table.erase(intern(key), removed), expected.erase(key) == 1);
            } else {
                bool inserted = table.insert(intern(key), Member{key.size() % 2 ? a : b, true});
                EXPECT_EQ(inserted, expected.insert(key).second);
            }
            ASSERT_EQ(table.size(), expected.size());
            ASSERT_TRUE(table.validate()) << "after step " << step << " of " << limit;
        }
        // Numbers made in order: each lands just after the one before, among older keys.
        for (int n = 0; n < 2 * limit; ++n) {
            std::string key = "<" + std::to_string(n) + ">";
            EXPECT_EQ(table.insert(intern(key), Member{a, true}), expected.insert(key).second);
            ASSERT_TRUE(table.validate()) << "after " << key;
        }
        EXPECT_EQ(keysOf(table), std::vector<std::string>(expected.begin(), expected.end()));
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            auto next = std::next(it);
            Member* after = table.after(intern(*it));
            EXPECT_EQ(after == nullptr, next == expected.end());
            if (after) {
                EXPECT_EQ(after, table.find(intern(*next)));
            }
        }
        EXPECT_EQ(table.after(intern("absent")), nullptr);
        std::vector<std::string> shuffled(expected.begin(), expected.end());
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        for (std::size_t i = 0; i < shuffled.size() / 2; ++i) {
            Member removed{};
            EXPECT_TRUE(table.erase(intern(shuffled[i]), removed));
            ASSERT_TRUE(table.validate());
            expected.erase(shuffled[i]);
        }
        EXPECT_EQ(keysOf(table), std::vector<std::string>(expected.begin(), expected.end()));
        Member first{};
        while (table.popFirst(first)) {
            expected.erase(expected.begin());
            ASSERT_TRUE(table.validate());
        }
        EXPECT_TRUE(expected.empty());
        EXPECT_EQ(table.first(), nullptr);
    }
}

TEST_F(MemberTableTest, TargetsAreFoundInKeyOrder) {
    auto* x = reinterpret_cast<Object*>(0x10);
    auto* y = reinterpret_cast<Object*>(0x20);
    for (int count : {4, 40}) {
        MemberTable table;
        for (int i = count - 1; i >= 0; --i)
            table.insert(intern("m" + std::to_string(100 + i)), Member{i % 2 ? y : x, true});
        EXPECT_EQ(table.findTarget(y), table.find(intern("m101")));
        EXPECT_EQ(table.afterTarget(y), table.find(intern("m102")));
        EXPECT_EQ(table.afterTarget(reinterpret_cast<Object*>(0x30)), nullptr);
    }
}

} // namespace
