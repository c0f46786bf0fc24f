// Unit tests of the parser: every statement form, what is no statement, and hostile input.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/WorldFixture.h"
#include "vm/statements/EvaluationStatements.h"
#include "vm/statements/MemberEvaluationStatements.h"
#include "vm/statements/ReferenceStatements.h"
#include "vm/text/Parser.h"

namespace {

// What is read is named in a runtime's symbols: one in use for each test.
using ParserTest = WorldFixture;

std::string names(const ParameterList& list) {
    std::string out = "[";
    for (const Symbol* name : list)
        out.append(out.size() > 1 ? ", " : "").append(name->text());
    return out + "]";
}

std::string target(const std::string& name) {
    return name.empty() ? "\"\"" : name;
}

// The class and the constructor arguments of a statement, in the order the parser passes them.
std::string describe(const Statement* s) {
    if (!s) return "none";
    if (dynamic_cast<const CommentStatement*>(s)) return "Comment";
    if (auto* n = dynamic_cast<const NewReferenceStatement*>(s)) return "NewReference(" + std::string(n->name()) + ")";
    if (auto* a = dynamic_cast<const AssignReferenceStatement*>(s))
        return "Assign(" + std::string(a->sourceName()) + ", " + std::string(a->targetName()) + ")";
    if (auto* m = dynamic_cast<const MemberAccessStatement*>(s))
        return "MemberAccess(" + std::string(m->objectName()) + ", " + std::string(m->memberName()) + ", " + std::string(m->targetName()) + ")";
    if (auto* m = dynamic_cast<const SynchronousMemberEvaluationStatement*>(s))
        return "SyncMember(" + std::string(m->objectName()) + ", " + std::string(m->memberName()) + ", " + names(m->parameters()) +
               ", " + target(std::string(m->targetName())) + ")";
    if (auto* m = dynamic_cast<const AsynchronousMemberEvaluationStatement*>(s))
        return "AsyncMember(" + std::string(m->objectName()) + ", " + std::string(m->memberName()) + ", " + names(m->parameters()) +
               ")";
    if (auto* r = dynamic_cast<const SynchronousReferenceEvaluationStatement*>(s))
        return "SyncReference(" + std::string(r->referenceName()) + ", " + names(r->parameters()) + ", " +
               target(std::string(r->targetName())) + ")";
    if (auto* r = dynamic_cast<const AsynchronousReferenceEvaluationStatement*>(s))
        return "AsyncReference(" + std::string(r->referenceName()) + ", " + names(r->parameters()) + ")";
    if (auto* c = dynamic_cast<const SynchronousStringEvaluationStatement*>(s))
        return "SyncString(" + std::string(c->codeText()) + ", " + names(c->parameters()) + ", " +
               target(std::string(c->targetName())) + ")";
    if (auto* c = dynamic_cast<const AsynchronousStringEvaluationStatement*>(s))
        return "AsyncString(" + std::string(c->codeText()) + ", " + names(c->parameters()) + ")";
    return "unknown";
}

using Results = std::vector<std::string>;

// The statements of a text up to and including the first "none", as its evaluation would see them.
Results parse(std::string_view text) {
    CharStream input = CharStream::view(text);
    Parser parser(input);
    Results results;
    do {
        results.push_back(describe(parser.parseStatement().get()));
    } while (results.back() != "none" && results.size() <= text.size());
    return results;
}

std::string first(std::string_view text) {
    return parse(text).front();
}

// Statements returned before the first "none", with a bound that a parser making no progress would hit.
std::size_t countStatements(std::string_view text) {
    CharStream input = CharStream::view(text);
    Parser parser(input);
    std::size_t statements = 0;
    while (statements <= text.size() && parser.parseStatement())
        ++statements;
    return statements;
}

} // namespace

TEST_F(ParserTest, WorkedExample) {
    EXPECT_EQ(parse("\\* set up \\*\n"
                    "-> x;\n"
                    "x <- <hello>;\n"
                    "y <- x : <length> ( ) ;\n"
                    "x : <put> ) y, <z> ( ;\n"
                    "<a <- b;> ( ) ;\n"
                    ";\n"
                    "-> never;\n"),
              (Results{"Comment", "NewReference(x)", "Assign(<hello>, x)", "SyncMember(x, <length>, [], y)",
                       "AsyncMember(x, <put>, [y, <z>])", "SyncString(<a <- b;>, [], \"\")", "none"}));
}

TEST_F(ParserTest, StatementForms) {
    const std::pair<const char*, const char*> cases[] = {
        {"o : <m> ( a ) ;", "SyncMember(o, <m>, [a], \"\")"},
        {"o : <m> ) a ( ;", "AsyncMember(o, <m>, [a])"},
        {"f ( a, <b>, c ) ;", "SyncReference(f, [a, <b>, c], \"\")"},
        {"f();", "SyncReference(f, [], \"\")"},
        {"f ) ( ;", "AsyncReference(f, [])"},
        {"<o> : <m> ( ) ;", "SyncMember(<o>, <m>, [], \"\")"},
        {"<o> : <m> ) <p> ( ;", "AsyncMember(<o>, <m>, [<p>])"},
        {"<code> ( a ) ;", "SyncString(<code>, [a], \"\")"},
        {"<code> ) a ( ;", "AsyncString(<code>, [a])"},
        {"<->();", "SyncString(<->, [], \"\")"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(first(text), expected) << text;
}

TEST_F(ParserTest, AssignmentForms) {
    const std::pair<const char*, const char*> cases[] = {
        {"t <- a ;", "Assign(a, t)"},
        {"t <- <lit> ;", "Assign(<lit>, t)"},
        {"t <- a : <m> ;", "MemberAccess(a, <m>, t)"},
        {"t <- <o> : <m> ;", "MemberAccess(<o>, <m>, t)"},
        {"t <- a : <m> ( p ) ;", "SyncMember(a, <m>, [p], t)"},
        {"t <- a : <m> ) p ( ;", "AsyncMember(a, <m>, [p])"},
        {"t <- f ( p, q ) ;", "SyncReference(f, [p, q], t)"},
        {"t <- x ) a ( ;", "AsyncReference(x, [a])"},
        {"t <- <c> ( ) ;", "SyncString(<c>, [], t)"},
        {"t <- <c> ) p ( ;", "AsyncString(<c>, [p])"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(first(text), expected) << text;
}

TEST_F(ParserTest, TextsThatAreNoStatement) {
    for (const char* text : {
             "",
             " \n\t",
             "a <- b",
             "f(a,);",
             "f(,a);",
             "f(a b);",
             "f(a;",
             "f ( ) ",
             "-> <x> ;",
             "-> x",
             "-> ;",
             "<x> <- y;",
             "a <- <x> : y ;",
             "<x> : y ( ) ;",
             "a : b ( ) ;",
             "a : <m> ;",
             "<o> : <m> ;",
             "a ;",
             "<x> ;",
             "a b ;",
             "t <- ;",
             "t <- a <- b ;",
             "t <- a : <m> ( ) ",
             "12 ;",
             ". ;",
             "> ;",
             "+ ;",
             "== ;",
             "\\ ;",
             "( ) ;",
             "<- x ;",
             "a : <m> , ;",
             "t <- a : <m> : <n> ;",
             "f ( 3 ) ;",
         })
        EXPECT_EQ(first(text), "none") << text;
}

TEST_F(ParserTest, CommentsComeBackOneByOne) {
    EXPECT_EQ(parse(" \\* a \\*\n\\**\t\\* b \\* "), (Results{"Comment", "Comment", "Comment", "none"}));
    EXPECT_EQ(parse("\\* never closed"), Results{"none"});
}

TEST_F(ParserTest, CharacterThatStartsNoTokenRepeatsThePreviousToken) {
    EXPECT_EQ(parse("f(); g();"),
              (Results{"SyncReference(f, [], \"\")", "SyncReference(g, [], \"\")", "none"}));
    // After a statement's ';' a stray byte (a lone CR among them) makes that ';' seen twice.
    EXPECT_EQ(parse("f();# g();"), (Results{"SyncReference(f, [], \"\")", "none"}));
    EXPECT_EQ(parse("f();\rg();"), (Results{"SyncReference(f, [], \"\")", "none"}));
    EXPECT_EQ(first("f # ( ) ;"), "none");
    EXPECT_EQ(first("f ( a = ) ;"), "none");
    // One before the first token leaves the text ending at once.
    EXPECT_EQ(parse("# f();"), Results{"none"});
}

TEST_F(ParserTest, NamesAreCopiedWhole) {
    const std::string code = "<" + std::string(1 << 20, 'c') + ">";
    EXPECT_EQ(first("t <- " + code + " ( ) ;"), "SyncString(" + code + ", [], t)");
    std::string call = "f(";
    for (int i = 0; i < 100000; ++i)
        call += "a,";
    call += "<z>);";
    CharStream input = CharStream::view(call);
    Parser parser(input);
    auto statement = parser.parseStatement();
    auto* evaluation = dynamic_cast<SynchronousReferenceEvaluationStatement*>(statement.get());
    ASSERT_NE(evaluation, nullptr);
    EXPECT_EQ(evaluation->parameters().size(), 100001u);
    EXPECT_EQ(evaluation->parameters().back()->text(), "<z>");
}

TEST_F(ParserTest, LongProgramsAndHostileInput) {
    const std::string block = "x <- y : <m> ( a, <b> ) ; \\* c \\* f ) <c> ( ;\n";
    std::string program;
    std::size_t blocks = 0;
    for (; program.size() < (1 << 20); ++blocks)
        program += block;
    EXPECT_EQ(countStatements(program), 3 * blocks);

    std::mt19937 random(11);
    std::string bytes(1 << 20, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    EXPECT_LE(countStatements(bytes), bytes.size());

    // Random bytes mostly stop at once, so short texts drawn from the token alphabet reach further.
    const char* pieces[] = {"a", "<b>", ";", "(", ")", ":", ",", "<-", "->", "\\*c\\*", "<", ">", "#", " "};
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (std::size_t length = 1 + random() % 16; length > 0; --length)
            text += pieces[random() % std::size(pieces)];
        EXPECT_LE(countStatements(text), text.size()) << text;
    }
}
