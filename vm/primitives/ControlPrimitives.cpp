// Primitives that act on the running program: <enter> <exit> <lockTwoPoints> <unlockTwoPoints> <print>.
#include "vm/primitives/PrimitiveStringObject.h"
#include "vm/runtime/OrvexOutput.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"

void EnterPrimitiveStringObject::execute(Thread& thread, const std::string& receiverName, const std::string&,
                                         const std::string&, const ParameterList&) {
    if (Object* object = receiver(thread, receiverName)) object->enter(&thread);
}

void ExitPrimitiveStringObject::execute(Thread& thread, const std::string& receiverName, const std::string&,
                                        const std::string&, const ParameterList&) {
    if (Object* object = receiver(thread, receiverName)) object->exit();
}

void LockTwoPointsPrimitiveStringObject::execute(Thread& thread, const std::string& receiverName,
                                                 const std::string&, const std::string&, const ParameterList&) {
    if (Object* object = receiver(thread, receiverName)) object->lockTwoPoints();
}

void UnlockTwoPointsPrimitiveStringObject::execute(Thread& thread, const std::string& receiverName,
                                                   const std::string&, const std::string&, const ParameterList&) {
    if (Object* object = receiver(thread, receiverName)) object->unlockTwoPoints();
}

// Writes the receiver's identifier text, inherited if need be; the newline literal is one line feed.
void PrintPrimitiveStringObject::execute(Thread& thread, const std::string& receiverName, const std::string&,
                                         const std::string&, const ParameterList&) {
    Object* object = receiver(thread, receiverName);
    if (!object) return;
    Member* id = object->lookupMember("<id>");
    StringObject* text = id ? id->target->asStringObject() : nullptr;
    OrvexOutput* output = thread.pool() ? thread.pool()->output() : nullptr;
    if (!text || !output) return;
    output->print(text->text() == "<\n>" ? std::string_view("\n") : std::string_view(text->text()));
}
