// The initial world: members in key order, registry entries and reference counts.
#include <gtest/gtest.h>

#include "tests/support/WorldFixture.h"
#include "vm/object/StringObject.h"

namespace {

using WorldTest = WorldFixture;

std::vector<std::string> keysOf(Object* o) {
    std::vector<std::string> keys;
    o->forEachMember([&](const Symbol& key, const Member&) { keys.emplace_back(key.text()); });
    return keys;
}

TEST_F(WorldTest, ObjectsMembersAndCounts) {
    Object* nil = global("nil");
    EXPECT_EQ(keysOf(nil), (std::vector<std::string>{"<delete>", "<enter>", "<exit>", "<firstKey>", "<get>",
                                                     "<getRefCount>", "<has>", "<id>", "<lockTwoPoints>", "<new>",
                                                     "<nextKey>", "<print>", "<remove>", "<set>", "<super>",
                                                     "<unlockTwoPoints>"}));
    EXPECT_EQ(nil->refCount(), 5);
    EXPECT_EQ(global("String")->refCount(), 21);
    EXPECT_EQ(keysOf(global("String")), (std::vector<std::string>{"<id>", "<super>"}));
    EXPECT_EQ(global("Extern")->refCount(), 1);
    EXPECT_EQ(keysOf(global("Extern")), (std::vector<std::string>{"<id>", "<invoke>", "<super>"}));
    EXPECT_EQ(global("System")->refCount(), 1);
    EXPECT_EQ(keysOf(global("System")), (std::vector<std::string>{"<id>", "<objects>", "<super>"}));
    for (const char* name : {"<nil>", "<String>", "<Extern>", "<System>"}) EXPECT_EQ(global(name)->refCount(), 3);
    Object* registry = global("System")->getMember("<objects>")->target();
    EXPECT_EQ(registry->refCount(), 2);
    EXPECT_EQ(registry->memberCount(), 9u + 15u + 2u);
    for (const char* name : {"nil", "<nil>", "String", "<String>", "Extern", "<Extern>", "System", "<System>"})
        EXPECT_EQ(registry->getMember(name)->target(), global(name));
    Object* print = nil->getMember("<print>")->target();
    EXPECT_EQ(registry->getMember("print")->target(), print);
    EXPECT_EQ(print->refCount(), 2);
    EXPECT_EQ(print->asStringObject()->text(), "print");
    EXPECT_EQ(global("Extern")->getMember("<invoke>")->target()->asStringObject()->text(), "invoke");
    EXPECT_EQ(pool_->globalContext().size(), 8u);
}

} // namespace
