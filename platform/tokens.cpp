#include "platform/tokens.h"

#include "platform/handles.h"

#include <memory>

namespace skorvel {

namespace {

KernelHandle OpenOwnToken() {
    HANDLE token = nullptr;
    if (::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, &token))
        return KernelHandle(token);
    if (::GetLastError() != ERROR_NO_TOKEN)
        return KernelHandle();
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return KernelHandle(token);
    return KernelHandle();
}

struct SidDeleter {
    void operator()(PSID sid) const { ::FreeSid(sid); }
};

} // namespace

std::vector<BYTE> ReadTokenGroups(const TokenGroupsQuery& query) {
    // Start with 1024 bytes and grow to what the token reports; the list can
    // change between the calls, so ask again while it keeps growing.
    std::vector<BYTE> buffer(1024);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD needed = 0;
        if (query(buffer.data(), DWORD(buffer.size()), &needed)) {
            return buffer;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size())
            return {};
        buffer.resize(needed);
    }
    return {};
}

bool GroupsHoldAdministrators(const TOKEN_GROUPS& groups) {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID raw = nullptr;
    ::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                               DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &raw);
    std::unique_ptr<void, SidDeleter> administrators(raw);
    if (!administrators)
        return false;
    for (DWORD i = 0; i < groups.GroupCount; ++i)
        if (::EqualSid(groups.Groups[i].Sid, administrators.get()))
            return true;
    return false;
}

bool IsUserAdmin() {
    std::vector<BYTE> groups;
    {
        const KernelHandle token = OpenOwnToken();
        if (!token)
            return false;
        groups = ReadTokenGroups([&](void* buffer, DWORD size, DWORD* needed) {
            return ::GetTokenInformation(token.get(), TokenGroups, buffer, size, needed);
        });
    } // the token is closed whether or not the read succeeded
    return !groups.empty() &&
           GroupsHoldAdministrators(*reinterpret_cast<const TOKEN_GROUPS*>(groups.data()));
}

void EnableDebugPrivilege() noexcept {
    HANDLE rawToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                            &rawToken))
        return;
    const KernelHandle token(rawToken);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    if (!::LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid))
        return;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    TOKEN_PRIVILEGES previous{};
    DWORD previousSize = sizeof(previous);
    // Without the privilege (a user who is not an administrator) only the
    // user's own processes can be opened; that is all that changes.
    ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof(previous), &previous,
                            &previousSize);
}

} // namespace skorvel
