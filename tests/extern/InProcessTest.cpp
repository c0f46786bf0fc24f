// OrvexExtern's objects in the test's own process, where COM does not stand between: the command
// line scan, the class object's aggregation rule and the lock count that keeps a server alive.
#include <windows.h>

#include <objbase.h>

#include <string>

#include "Expect.h"
#include "OrvexExtern.h"
#include "extern/ClassFactory.h"
#include "extern/CommandLine.h"

namespace {

class CountingLock final : public ServerLock {
  public:
    void lock() override { ++count; }
    void unlock() override { --count; }
    long count = 0;
};

// An outer object that aggregates Extern: it hands out the inner object's IExtern as its own.
class Outer final : public IUnknown {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        return inner ? inner->QueryInterface(iid, object) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }

    IUnknown* inner = nullptr;
    ULONG references = 1;
};

void commandLine(Expect& expect) {
    const struct {
        const wchar_t* line;
        Switch expected;
    } cases[] = {
        {L"\"Z:\\a\\OrvexExtern.exe\" -RegServer", Switch::RegServer},
        {L"\"Z:\\a\\OrvexExtern.exe\" /regserver", Switch::RegServer},
        {L"OrvexExtern.exe -UNREGSERVER", Switch::UnregServer},
        {L"OrvexExtern.exe /Service", Switch::Service},
        {L"\"Z:\\build-win\\OrvexExtern.exe\" -Service", Switch::Service}, // a '-' in the path is no switch
        {L"OrvexExtern.exe -RegServer -x", Switch::None},                  // only the last thing on the line
        {L"OrvexExtern.exe -RegServer ", Switch::None},
        {L"OrvexExtern.exe -Embedding", Switch::Embedding},
        {L"OrvexExtern.exe", Switch::None},
        {L"Z:\\x\\-Service", Switch::Service}, // the scan covers the program path too
    };
    for (const auto& c : cases)
        expect.that(findSwitch(c.line) == c.expected, "command line " + narrow(c.line));
}

void aggregation(Expect& expect) {
    CountingLock lock;
    ClassFactory factory(lock);
    Outer outer;
    void* object = reinterpret_cast<void*>(1);
    expect.that(factory.CreateInstance(&outer, IID_IExtern, &object) == CLASS_E_NOAGGREGATION && !object,
                "aggregation refused unless IUnknown is asked for");
    expect.that(lock.count == 0, "a refused object leaves no lock");

    if (!expect.succeeded(
            factory.CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)),
            "aggregated CreateInstance"))
        return;
    expect.that(lock.count == 1, "a live aggregated object holds the server");
    IExtern* viaOuter = nullptr;
    if (expect.succeeded(outer.QueryInterface(IID_IExtern, reinterpret_cast<void**>(&viaOuter)),
                         "QI IExtern")) {
        // The inner object's interfaces count references on, and answer queries for, the outer one.
        expect.that(outer.references == 2, "IExtern of the aggregate adds a reference to the outer object");
        IUnknown* identity = nullptr;
        viaOuter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
        expect.that(identity == &outer, "IExtern of the aggregate has the outer object's identity");
        if (identity) identity->Release();
        viaOuter->Release();
    }
    outer.inner->Release();
    expect.that(lock.count == 0, "releasing the inner object releases the server");
}

void lifetime(Expect& expect) {
    CountingLock lock;
    ClassFactory factory(lock);
    IExtern* first = nullptr;
    IDispatch* second = nullptr;
    factory.CreateInstance(nullptr, IID_IExtern, reinterpret_cast<void**>(&first));
    factory.CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&second));
    expect.that(first && second && lock.count == 2, "each object holds the server");
    factory.LockServer(TRUE);
    if (first) first->Release();
    if (second) second->Release();
    expect.that(lock.count == 1, "a client lock holds the server without objects");
    factory.LockServer(FALSE);
    expect.that(lock.count == 0, "nothing holds the server");
    void* none = nullptr;
    expect.that(factory.CreateInstance(nullptr, IID_IClassFactory, &none) == E_NOINTERFACE && lock.count == 0,
                "an object refused for its interface leaves no lock");
}

} // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Expect expect;
    commandLine(expect);
    aggregation(expect);
    lifetime(expect);
    CoUninitialize();
    return expect.finish("in-process");
}
