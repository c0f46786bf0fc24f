// What -RegServer, -Service and -UnregServer write to and remove from the registry and the
// service database.
#pragma once

#include <windows.h>

#include <string>

#include "extern/ServerLog.h"
#include "extern/ServiceInstaller.h"

class ServerRegistration {
  public:
    ServerRegistration(const std::wstring& serviceName, ServerLog& log)
        : serviceName_(serviceName), installer_(serviceName, log) {}

    // Registers the AppID, then (asService) the service settings and the service, then the class
    // and the type library. Returns the result of the class and type library registration, or
    // the error that stopped it earlier.
    int registerServer(bool asService);

    // Removes all that registerServer writes; what is already gone is no error. Returns 0, or
    // the failure of COM initialisation.
    int unregisterServer();

  private:
    int registerAppId(bool asService);
    HRESULT registerClasses();

    const std::wstring& serviceName_;
    ServiceInstaller installer_;
};
