// The process-wide COM security of the server.
#include "extern/ComSecurity.h"

#include <objbase.h>

namespace {

// A copy of the SID in one token information record.
template <typename Record>
std::vector<BYTE> tokenSid(HANDLE token, TOKEN_INFORMATION_CLASS kind, PSID Record::*field) {
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    std::vector<BYTE> record(size);
    if (size == 0 || !GetTokenInformation(token, kind, record.data(), size, &size)) return {};
    PSID sid = reinterpret_cast<Record*>(record.data())->*field;
    std::vector<BYTE> copy(GetLengthSid(sid));
    if (!CopySid(static_cast<DWORD>(copy.size()), copy.data(), sid)) return {};
    return copy;
}

// The thread's token when it impersonates, else the process's.
HANDLE openToken() {
    HANDLE token = nullptr;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) return token;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return token;
    return nullptr;
}

} // namespace

bool ComSecurity::takeOwnerAndGroup(HANDLE token) {
    owner_ = tokenSid(token, TokenOwner, &TOKEN_OWNER::Owner);
    group_ = tokenSid(token, TokenPrimaryGroup, &TOKEN_PRIMARY_GROUP::PrimaryGroup);
    return !owner_.empty() && !group_.empty() &&
           SetSecurityDescriptorOwner(&descriptor_, owner_.data(), FALSE) &&
           SetSecurityDescriptorGroup(&descriptor_, group_.data(), FALSE);
}

HRESULT ComSecurity::initialize() {
    if (!InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION))
        return HRESULT_FROM_WIN32(GetLastError());
    HANDLE token = openToken();
    bool owned = token && takeOwnerAndGroup(token);
    if (token) CloseHandle(token);
    if (!owned) return E_FAIL;
    // A present but null access list grants every access to everyone.
    if (!SetSecurityDescriptorDacl(&descriptor_, TRUE, nullptr, FALSE))
        return HRESULT_FROM_WIN32(GetLastError());
    return CoInitializeSecurity(&descriptor_, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT,
                                RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
}
