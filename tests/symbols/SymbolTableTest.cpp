// The symbol table: one symbol per text through growth, texts that share their first eight bytes,
// and texts with NUL bytes and bytes of 0x80 and above, in std::string's order.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "vm/runtime/Runtime.h"
#include "vm/symbols/Names.h"
#include "vm/symbols/Symbol.h"

namespace {

TEST(SymbolTableTest, HoldsEachTextOnceInStringOrder) {
    Runtime runtime;
    Runtime::Use use(runtime);
    SymbolTable& table = SymbolTable::current();
    std::vector<std::string> texts = {
        "",         "a",         std::string("a\0", 2), std::string("a\0b", 3), "\x7f", "\x80", "\xff\xff",
        "prefix00", "prefix000", "prefix001",           "prefix00\xff"};
    // Growth: the table resizes many times over; texts alike in their first eight bytes.
    for (int i = 0; i < 100000; ++i)
        texts.push_back("identical" + std::to_string(i));
    std::vector<const Symbol*> symbols;
    for (const std::string& text : texts)
        symbols.push_back(&table.intern(text));
    std::set<const Symbol*> distinct(symbols.begin(), symbols.end());
    EXPECT_EQ(distinct.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(&table.intern(texts[i]), symbols[i]);
        EXPECT_EQ(table.find(texts[i]), symbols[i]);
        EXPECT_EQ(symbols[i]->text(), texts[i]);
        if (i > 11) {
            ASSERT_EQ(symbols[i]->id, symbols[i - 1]->id + 1) << "new symbols are numbered densely";
        }
    }
    EXPECT_EQ(table.find("never made"), nullptr);
    // Ordered as std::string orders the texts: unsigned bytes, a proper prefix first.
    for (std::size_t i = 0; i + 1 < 11; ++i)
        for (std::size_t j = 0; j < 11; ++j)
            EXPECT_EQ(*symbols[i] < *symbols[j], texts[i] < texts[j]) << i << " " << j;
}

// A computed text lives while something holds it and goes at the next collection once nothing
// does; its number goes to the next symbol made. Interning it pins it for good.
TEST(SymbolTableTest, FreesComputedTextsNothingHolds) {
    Runtime runtime;
    Runtime::Use use(runtime);
    SymbolTable& table = SymbolTable::current();
    const std::size_t before = table.size();
    const Symbol& held = table.internComputed("<held>");
    const Symbol& loose = table.internComputed("<loose>");
    const Symbol& pinned = table.internComputed("<pinned>");
    table.hold(held);
    table.hold(held);
    table.hold(loose);
    table.unhold(loose);
    EXPECT_EQ(&table.intern("<pinned>"), &pinned);
    const std::uint32_t looseId = loose.id;
    table.unhold(held);
    table.collect();
    EXPECT_EQ(table.find("<loose>"), nullptr);
    EXPECT_EQ(table.size(), before + 2);
    EXPECT_EQ(held.text(), "<held>");
    const Symbol& made = table.internComputed("<made>");
    EXPECT_EQ(made.id, looseId);
    table.hold(made);
    table.unhold(made);
    table.unhold(held);
    table.hold(pinned);
    table.unhold(pinned);
    table.collect();
    EXPECT_EQ(table.find("<held>"), nullptr);
    EXPECT_EQ(table.find("<pinned>"), &pinned);
    EXPECT_EQ(table.size(), before + 1);
}

// Number texts are found by their value once the table counts up to them: ones made before (one let
// go of after), computed ones let go of on either side, and texts that only look like numbers.
TEST(SymbolTableTest, FindsNumbersWhereverTheyWereMade) {
    Runtime runtime;
    Runtime::Use use(runtime);
    SymbolTable& table = SymbolTable::current();
    std::vector<std::string> texts = {"<100000>", "<3000000>", "<007>", "<-1>", "<1.0>", "<12a>", "<>"};
    const Symbol& early = table.internComputed("<99999>");
    table.hold(early);
    for (int i = 0; i < 70000; ++i)
        texts.push_back("<" + std::to_string(i) + ">");
    std::vector<const Symbol*> symbols;
    for (const std::string& text : texts)
        symbols.push_back(&table.intern(text));
    EXPECT_EQ(std::set<const Symbol*>(symbols.begin(), symbols.end()).size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        ASSERT_EQ(table.find(texts[i]), symbols[i]) << texts[i];
        EXPECT_EQ(symbols[i]->text(), texts[i]);
    }
    EXPECT_EQ(&table.intern("<0>"), &numberLiteral(0));
    EXPECT_EQ(table.find("<99999>"), &early);
    const std::size_t before = table.size() - 1;
    table.unhold(early);
    table.collect();
    EXPECT_EQ(table.find("<99999>"), nullptr);
    for (const char* text : {"<99999>", "<70000>", "<5000000>"}) {
        const Symbol& computed = table.internComputed(text);
        table.hold(computed);
        EXPECT_EQ(table.find(text), &computed);
        table.unhold(computed);
        table.collect();
        EXPECT_EQ(table.find(text), nullptr) << text;
        EXPECT_EQ(table.size(), before);
    }
    EXPECT_EQ(table.find("<69999>"), symbols.back());
}

} // namespace
