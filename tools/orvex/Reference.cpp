// What the language's own names mean.
#include "tools/orvex/Reference.h"

const std::vector<ReferenceEntry>& primitiveReference() {
    static const std::vector<ReferenceEntry> entries = {
        {"<new>", "x <- o : <new> ( ) ;", "Makes a new, empty object whose <super> is o, and binds x to it."},
        {"<set>", "o : <set> ( <k> , v ) ;",
         "Member <k> of o refers to v's object from now on (exactly two parameters; the key is taken as "
         "written)."},
        {"<get>", "x <- o : <get> ( k ) ;",
         "x gets the member of o named by k's object, or nil when o has none (one parameter)."},
        {"<has>", "x <- o : <has> ( k ) ;",
         "x gets true or false: has o a member of its own named by k's object? (one parameter)"},
        {"<remove>", "o : <remove> ( k ) ;", "Removes o's member named by k's object (one parameter)."},
        {"<delete>", "o : <delete> ( ) ;", "Destroys the object o."},
        {"<print>", "o : <print> ( ) ;",
         "Writes the text of o's <id>, brackets and all; <\\n> writes a bare line end."},
        {"<firstKey>", "x <- o : <firstKey> ( ) ;",
         "x gets the value of o's first member, in the order of their names; nil when it has none."},
        {"<nextKey>", "x <- o : <nextKey> ( v ) ;",
         "x gets the value of the member after the one holding v (after the member named v, for a "
         "bracketed name); nil after the last (one parameter)."},
        {"<invoke>", "x <- Extern : <invoke> ( String , op , a , b ) ;",
         "Computes the operation op on the strings a and b and binds x to a new string: <+> <-> <*> </> "
         "<%> <==> <append> <length>. Exactly four parameters; only Extern has it."},
        {"<enter>", "o : <enter> ( ) ;",
         "The one thread waits on o: queued evaluations do not run until the matching <exit>."},
        {"<exit>", "o : <exit> ( ) ;", "Lets the latest waiter on o go on."},
        {"<lockTwoPoints>", "o : <lockTwoPoints> ( ) ;",
         "Switches off the interception by o's own <:> member."},
        {"<unlockTwoPoints>", "o : <unlockTwoPoints> ( ) ;", "Switches o's interception by <:> on again."},
        {"<getRefCount>", "x <- o : <getRefCount> ( ) ;",
         "x gets the number of references to o, as a number string."},
    };
    return entries;
}

const std::vector<ReferenceEntry>& operationReference() {
    static const std::vector<ReferenceEntry> entries = {
        {"<+>", "Extern : <invoke> ( String , <+> , a , b )",
         "The sum of two numbers (whole when both are whole; a '.' makes it decimal), or the two texts "
         "joined when either is not a number."},
        {"<->", "Extern : <invoke> ( String , <-> , a , b )", "a minus b; nil on words."},
        {"<*>", "Extern : <invoke> ( String , <*> , a , b )", "a times b."},
        {"</>", "Extern : <invoke> ( String , </> , a , b )",
         "a divided by b: on two whole numbers the result is whole, truncated."},
        {"<%>", "Extern : <invoke> ( String , <%> , a , b )", "The remainder of two whole numbers."},
        {"<==>", "Extern : <invoke> ( String , <==> , a , b )",
         "true or false (the objects those names are bound to): equal numbers, or equal texts. nil where "
         "they are unbound."},
        {"<<>", "Extern : <invoke> ( String , <<> , a , b )",
         "a less than b; it cannot be written, since '<<' opens a name inside the name."},
        {"<append>", "Extern : <invoke> ( String , <append> , a , b )", "The two texts joined, numbers too."},
        {"<length>", "Extern : <invoke> ( String , <length> , a , <> )",
         "The number of characters between the brackets of a; the last operand is unused but must be "
         "there."},
    };
    return entries;
}

const std::vector<ReferenceEntry>& worldNameReference() {
    static const std::vector<ReferenceEntry> entries = {
        {"nil", "nil", "The object every object inherits from; its members are the primitives."},
        {"String", "String", "The <super> of every string, and the interface of Extern's operations."},
        {"Extern", "Extern", "The object whose <invoke> computes on strings."},
        {"params", "params : <0>", "In code that runs: its parameters, <0> the first."},
        {"sender", "sender", "In a method: the object that received the message."},
        {"mySelf", "mySelf", "In a method: the object that holds it."},
        {"return", "return <- value ;",
         "In code that runs: bound to its caller's target; bind it to answer."},
    };
    return entries;
}

const ReferenceEntry* referenceFor(std::string_view name, bool operation) {
    for (const auto* table : {&primitiveReference(), &worldNameReference()})
        for (const ReferenceEntry& entry : *table)
            if (entry.name == name) return &entry;
    if (operation)
        for (const ReferenceEntry& entry : operationReference())
            if (entry.name == name) return &entry;
    return nullptr;
}
