// What -RegServer, -Service and -UnregServer write to and remove from the registry and the
// service database.
#include "extern/ServerRegistration.h"

#include <objbase.h>

#include "extern/AppIdKey.h"
#include "extern/Registrar.h"
#include "extern/ResourceIds.h"
#include "extern/TypeLibrary.h"

int ServerRegistration::registerServer(bool asService) {
    HRESULT initialized = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(initialized)) return initialized;
    // An older installation may run another copy of the program.
    installer_.uninstall();
    int result = registerAppId(asService);
    if (result == ERROR_SUCCESS) result = registerClasses();
    CoUninitialize();
    return result;
}

int ServerRegistration::registerAppId(bool asService) {
    Registrar::runScript(IDR_APPLICATION_SCRIPT, true);
    AppIdKey key;
    LONG opened = key.open(KEY_READ | KEY_WRITE);
    if (opened != ERROR_SUCCESS) return opened;
    // Service mode is decided by this value alone, so only -Service may leave it behind.
    key.deleteValue(L"LocalService");
    if (asService) {
        key.writeString(L"LocalService", serviceName_);
        key.writeString(L"ServiceParameters", L"-Service");
        installer_.install();
    }
    return ERROR_SUCCESS;
}

HRESULT ServerRegistration::registerClasses() {
    HRESULT result = Registrar::runScript(IDR_CLASS_SCRIPT, true);
    if (FAILED(result)) return result;
    TypeLibrary library;
    result = library.load();
    return SUCCEEDED(result) ? library.registerLibrary() : result;
}

int ServerRegistration::unregisterServer() {
    HRESULT initialized = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(initialized)) return initialized;
    // Each step removes what it can: a part that was never registered is no reason to keep the rest.
    Registrar::runScript(IDR_APPLICATION_SCRIPT, false);
    installer_.uninstall();
    Registrar::runScript(IDR_CLASS_SCRIPT, false);
    TypeLibrary library;
    if (SUCCEEDED(library.load())) library.unregisterLibrary();
    CoUninitialize();
    return 0;
}
