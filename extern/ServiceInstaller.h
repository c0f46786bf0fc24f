// Installs and removes the Windows service that runs OrvexExtern.
#pragma once

#include <string>

#include "extern/ServerLog.h"

class ServiceInstaller {
  public:
    ServiceInstaller(const std::wstring& serviceName, ServerLog& log)
        : serviceName_(serviceName), log_(log) {}

    // True when the service database holds a service of this name.
    bool isInstalled() const;

    // Creates the service, started on demand under the local system account, running this
    // executable. Succeeds at once when it exists; a failure is shown to the user.
    bool install();

    // Stops and deletes the service. Succeeds at once when there is none; a failure is shown to
    // the user.
    bool uninstall();

  private:
    const std::wstring& serviceName_;
    ServerLog& log_;
};
