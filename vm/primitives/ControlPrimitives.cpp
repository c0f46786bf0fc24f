// Primitives that act on the running program: <enter> <exit> <lockTwoPoints> <unlockTwoPoints> <print>.
#include "vm/primitives/PrimitiveStringObject.h"
#include "vm/runtime/OrvexOutput.h"
#include "vm/runtime/Resolution.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"

void EnterPrimitiveStringObject::execute(Thread& thread, const Symbol& receiverName, const Symbol&,
                                         const Symbol&, const ParameterList&) {
    Object* object = boundObject(thread, receiverName);
    if (object && object->enter(&thread)) thread.setWaiting(true);
}

void ExitPrimitiveStringObject::execute(Thread& thread, const Symbol& receiverName, const Symbol&,
                                        const Symbol&, const ParameterList&) {
    Object* object = boundObject(thread, receiverName);
    if (Thread* resumed = object ? object->exit() : nullptr) resumed->setWaiting(false);
}

void LockTwoPointsPrimitiveStringObject::execute(Thread& thread, const Symbol& receiverName, const Symbol&,
                                                 const Symbol&, const ParameterList&) {
    if (Object* object = boundObject(thread, receiverName)) object->lockTwoPoints();
}

void UnlockTwoPointsPrimitiveStringObject::execute(Thread& thread, const Symbol& receiverName, const Symbol&,
                                                   const Symbol&, const ParameterList&) {
    if (Object* object = boundObject(thread, receiverName)) object->unlockTwoPoints();
}

// Writes the receiver's identifier text, inherited if need be; the newline literal is one line feed.
void PrintPrimitiveStringObject::execute(Thread& thread, const Symbol& receiverName, const Symbol&,
                                         const Symbol&, const ParameterList&) {
    Object* object = boundObject(thread, receiverName);
    if (!object) return;
    const Symbol* text = identifierText(object, IdLookup::Inherited, &receiverName);
    OrvexOutput* output = thread.pool() ? thread.pool()->output() : nullptr;
    if (!text || !output) return;
    output->print(text == &names::newline ? std::string_view("\n") : std::string_view(text->text()));
}
