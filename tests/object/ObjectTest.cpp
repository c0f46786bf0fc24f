// The object model: member order, inherited lookup, counts, the registry, waiters, killed objects.
#include <gtest/gtest.h>

#include <climits>

#include "tests/support/WorldFixture.h"
#include "vm/symbols/Names.h"
#include "vm/object/ObjectId.h"
#include "vm/object/StringObject.h"

namespace {

// Objects in a world of their own: a System without a registry, until a test makes one.
class ObjectTest : public WorldFixture {
protected:
    ObjectTest() { Heap::current().setSystem(Heap::current().make<Object>()); }
    Object* make(const char* key = "k") { return Heap::current().make<Object>(key); }
    // A registry under System, as the world has one.
    Object* makeRegistry() {
        Object* registry = Heap::current().make<StringObject>("<objects>");
        Heap::current().system()->addMember("<objects>", registry);
        return registry;
    }
};

TEST_F(ObjectTest, MembersSortByUnsignedBytesWithPrefixFirst) {
    Object* o = make();
    Object* v = make();
    for (const char* key : {"b", "\xff", "a", "<super>", "A", "7", "<id>", "<i"}) o->addMember(key, v);
    std::vector<std::string> keys;
    o->forEachMember([&](const Symbol& key, const Member&) { keys.emplace_back(key.text()); });
    EXPECT_EQ(keys, (std::vector<std::string>{"7", "<i", "<id>", "<super>", "A", "a", "b", "\xff"}));
}

TEST_F(ObjectTest, AddMemberKeepsTheFirstButCountsEveryOffer) {
    Object* o = make();
    Object* first = make();
    Object* second = make();
    EXPECT_TRUE(o->addMember("m", first));
    EXPECT_FALSE(o->addMember("m", second));
    EXPECT_EQ(o->getMember("m")->target(), first);
    EXPECT_EQ(first->refCount(), 1);
    EXPECT_EQ(second->refCount(), 1); // the refused reference is never released
    o->setMember("m", first);
    EXPECT_EQ(first->refCount(), 1); // replaced by a reference to the same object
    o->removeMember("m");
    o->removeMember("m");
    EXPECT_EQ(first->refCount(), 0);
    EXPECT_EQ(o->getMember("m"), nullptr);
}

TEST_F(ObjectTest, InheritedLookupPrefersOwnMembersAndStopsAtOwnSuper) {
    Object* root = make();
    Object* parent = make();
    Object* child = make();
    Object* a = make();
    Object* b = make();
    root->addMember("<super>", root);
    parent->addMember("<super>", root);
    child->addMember("<super>", parent);
    parent->addMember("m", a);
    root->addMember("m", b);
    root->addMember("r", b);
    EXPECT_EQ(child->lookupMember("m")->target(), a);
    EXPECT_EQ(child->lookupMember("r")->target(), b);
    EXPECT_EQ(child->lookupMember("none"), nullptr);
    EXPECT_EQ(root->lookupMember("none"), nullptr);
    int before = parent->refCount();
    EXPECT_EQ(child->findMemberOwner(intern("m")), parent);
    EXPECT_EQ(parent->refCount(), before + 1); // the owner reference belongs to the caller
    EXPECT_EQ(child->findMemberOwner(intern("none")), nullptr);
}

TEST_F(ObjectTest, SuperCyclesEndTheWalk) {
    Object* a = make();
    Object* b = make();
    Object* c = make();
    a->addMember("<super>", b);
    b->addMember("<super>", c);
    c->addMember("<super>", b);
    c->addMember("m", a);
    EXPECT_EQ(a->lookupMember("m")->target(), a);
    EXPECT_EQ(a->lookupMember("none"), nullptr);
    EXPECT_EQ(a->findMemberOwner(intern("none")), nullptr);
    // A long chain into a long cycle still ends.
    std::vector<Object*> chain;
    for (int i = 0; i < 1000; ++i) chain.push_back(make());
    for (int i = 0; i < 999; ++i) chain[i]->addMember("<super>", chain[i + 1]);
    chain[999]->addMember("<super>", chain[500]);
    EXPECT_EQ(chain[0]->lookupMember("none"), nullptr);
    chain[700]->addMember("deep", a);
    EXPECT_EQ(chain[0]->lookupMember("deep")->target(), a);
}

TEST_F(ObjectTest, WalksByKeyAndByTarget) {
    Object* o = make();
    Object* x = make();
    Object* y = make();
    EXPECT_EQ(o->firstMember(), nullptr);
    o->addMember("a", x);
    o->addMember("b", y);
    o->addMember("c", x);
    EXPECT_EQ(o->firstMember()->target(), x);
    EXPECT_EQ(o->memberAfterKey(intern("a"))->target(), y);
    EXPECT_EQ(o->memberAfterKey(intern("c")), nullptr);
    EXPECT_EQ(o->memberAfterKey(intern("zz")), nullptr);
    EXPECT_EQ(o->findMemberByTarget(y), o->getMember("b"));
    EXPECT_EQ(o->memberAfterTarget(x)->target(), y); // after the first holder of x
    EXPECT_EQ(o->memberAfterTarget(o), nullptr);
    o->removeMember("c");
    EXPECT_EQ(o->memberAfterTarget(y), nullptr);
}

TEST_F(ObjectTest, RegistryKeepsTheFirstObjectOfAKeyWithoutCountingIt) {
    Object* registry = makeRegistry();
    Object* first = make("key");
    Object* second = make("key");
    EXPECT_EQ(registry->getMember("key")->target(), first);
    EXPECT_NE(second, first);
    EXPECT_EQ(first->refCount(), 0);
    StringObject* text = Heap::current().make<StringObject>("<t>");
    EXPECT_EQ(registry->getMember("<t>")->target(), text);
}

TEST_F(ObjectTest, SettingIdMovesTheRegistryEntry) {
    Object* registry = makeRegistry();
    StringObject* oldName = Heap::current().make<StringObject>("old");
    StringObject* newName = Heap::current().make<StringObject>("new2");
    Object* o = make("plain");
    o->addMember("<id>", oldName);
    o->setMember("<id>", newName);
    EXPECT_EQ(registry->getMember("old"), nullptr);
    EXPECT_EQ(registry->getMember("new2")->target(), newName); // first key wins over the move
    EXPECT_EQ(o->getId()->target(), newName);
    EXPECT_EQ(oldName->refCount(), 0);
}

TEST_F(ObjectTest, ExitResumesTheLastEnteredThreadFirst) {
    // An object never looks into its waiters: two distinct addresses serve as threads.
    int threads[2];
    Thread* a = reinterpret_cast<Thread*>(&threads[0]);
    Thread* b = reinterpret_cast<Thread*>(&threads[1]);
    Object* o = make();
    EXPECT_EQ(o->exit(), nullptr); // nobody waits: nothing happens
    EXPECT_TRUE(o->enter(a));
    EXPECT_TRUE(o->enter(b));
    EXPECT_EQ(o->exit(), b);
    EXPECT_EQ(o->exit(), a);
    EXPECT_EQ(o->exit(), nullptr);
}

TEST_F(ObjectTest, KilledObjectsHaveNoMembersAndIgnoreEdits) {
    Object* target = make();
    StringObject* s = Heap::current().make<StringObject>("<s>");
    s->addMember("m", target);
    s->addMember("<id>", s);
    s->kill();
    EXPECT_EQ(target->refCount(), 0);
    EXPECT_EQ(s->asStringObject(), nullptr);
    EXPECT_EQ(s->lookupMember("m"), nullptr);
    EXPECT_FALSE(s->addMember("m", target));
    s->setMember("n", target);
    s->lockTwoPoints();
    EXPECT_EQ(s->firstMember(), nullptr);
    EXPECT_FALSE(s->isTwoPointsLocked());
    int thread;
    EXPECT_FALSE(s->enter(reinterpret_cast<Thread*>(&thread)));
    EXPECT_EQ(s->text(), "<s>"); // code being read from it stays readable
    EXPECT_EQ(target->refCount(), 2); // the refused offers keep their counts
}

TEST(NamesTest, LiteralsAndNumbers) {
    EXPECT_TRUE(isStringLiteral("<>"));
    EXPECT_FALSE(isStringLiteral("<"));
    EXPECT_FALSE(isStringLiteral("<a"));
    EXPECT_FALSE(isStringLiteral("a>"));
    EXPECT_EQ(unquote("<>"), "");
    EXPECT_EQ(unquote("<a<b>>"), "a<b>");
    EXPECT_EQ(unquote("x"), "x");
    EXPECT_EQ(formatDecimal(0), "0");
    EXPECT_EQ(formatNumberLiteral(-5), "<-5>");
    EXPECT_EQ(formatNumberLiteral(INT_MIN), "<-2147483648>");
}

TEST(ObjectIdTest, ThirtyFourCharactersFromTheFourFields) {
    Guid guid{0x0123abcd, 0x00ef, 0x1a2b, {0x00, 0x01, 0xfe, 0xff, 0x10, 0x20, 0x30, 0x0a}};
    EXPECT_EQ(formatObjectId(guid), "{0123abcd00ef1a2b0001feff1020300a}");
    std::string a = newObjectId();
    std::string b = newObjectId();
    EXPECT_EQ(a.size(), 34u);
    EXPECT_NE(a, b);
    EXPECT_EQ(a.find_first_not_of("{}0123456789abcdef"), std::string::npos);
}

} // namespace
