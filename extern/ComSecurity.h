// The process-wide COM security of the server.
#pragma once

#include <windows.h>

#include <vector>

class ComSecurity {
  public:
    // Lets everyone call the server: a descriptor without an access list, owned by the user the
    // process runs as, at packet authentication with impersonation. Must outlive the COM session.
    HRESULT initialize();

  private:
    bool takeOwnerAndGroup(HANDLE token);

    SECURITY_DESCRIPTOR descriptor_{};
    std::vector<BYTE> owner_;
    std::vector<BYTE> group_;
};
