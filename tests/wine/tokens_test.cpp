#include "platform/tokens.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

using namespace skorvel;

namespace {

struct SidFree {
    void operator()(PSID sid) const { ::FreeSid(sid); }
};
using Sid = std::unique_ptr<void, SidFree>;

Sid MakeSid(DWORD first, DWORD second) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    ::AllocateAndInitializeSid(&nt, 2, first, second, 0, 0, 0, 0, 0, 0, &sid);
    return Sid(sid);
}

// A TOKEN_GROUPS block of `count` groups laid out as the system returns it:
// the array first, then the SIDs it points to.
std::vector<BYTE> GroupList(DWORD count, DWORD administratorsAt, DWORD attributes) {
    const Sid other = MakeSid(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS);
    const Sid administrators = MakeSid(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS);
    const DWORD sidSize = ::GetLengthSid(administrators.get());
    const size_t header = sizeof(TOKEN_GROUPS) + sizeof(SID_AND_ATTRIBUTES) * count;
    std::vector<BYTE> block(header + sidSize * count);
    auto* groups = reinterpret_cast<TOKEN_GROUPS*>(block.data());
    groups->GroupCount = count;
    for (DWORD i = 0; i < count; ++i) {
        BYTE* sid = block.data() + header + sidSize * i;
        ::CopySid(sidSize, sid, i == administratorsAt ? administrators.get() : other.get());
        groups->Groups[i].Sid = sid;
        groups->Groups[i].Attributes = i == administratorsAt ? attributes : SE_GROUP_ENABLED;
    }
    return block;
}

// Answers like GetTokenInformation for a token holding `list`.
TokenGroupsQuery TokenHolding(const std::vector<BYTE>& list) {
    return [&list](void* buffer, DWORD size, DWORD* needed) -> BOOL {
        *needed = DWORD(list.size());
        if (size < list.size()) {
            ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        // The SID pointers inside point into `list`; the copy keeps them valid
        // for as long as `list` lives, which is all the test needs.
        std::memcpy(buffer, list.data(), list.size());
        return TRUE;
    };
}

bool Admin(const std::vector<BYTE>& list) {
    const auto groups = ReadTokenGroups(TokenHolding(list));
    return !groups.empty() &&
           GroupsHoldAdministrators(*reinterpret_cast<const TOKEN_GROUPS*>(groups.data()));
}

} // namespace

TEST(IsUserAdmin, WineUserIsAdministrator) {
    EXPECT_TRUE(IsUserAdmin());
}

TEST(IsUserAdmin, GroupListsOfEveryLengthAndAttribute) {
    const struct {
        DWORD count, administratorsAt, attributes;
        bool admin;
    } cases[] = {
        {5, 4, SE_GROUP_ENABLED, true},
        {5, 99, SE_GROUP_ENABLED, false},         // not a member
        {5, 0, SE_GROUP_USE_FOR_DENY_ONLY, true}, // deny-only still counts as membership
        {200, 199, SE_GROUP_ENABLED, true}, // a domain account's long list: far over 1024 bytes
    };
    for (const auto& c : cases) {
        const auto list = GroupList(c.count, c.administratorsAt, c.attributes);
        EXPECT_EQ(Admin(list), c.admin) << c.count << " groups, admin at " << c.administratorsAt;
    }
    EXPECT_GT(GroupList(200, 199, 0).size(), 1024u);
}

TEST(IsUserAdmin, AFailingQueryAnswersNoGroups) {
    const TokenGroupsQuery denied = [](void*, DWORD, DWORD*) -> BOOL {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    };
    EXPECT_TRUE(ReadTokenGroups(denied).empty());
}

namespace {

// Whether the process token holds the privilege, and whether it is enabled.
std::pair<bool, bool> DebugPrivilegeState() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return {false, false};
    DWORD size = 0;
    ::GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    const bool read = ::GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size);
    ::CloseHandle(token);
    LUID debug = {};
    if (!read || !::LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &debug))
        return {false, false};
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& p = privileges->Privileges[i];
        if (p.Luid.LowPart == debug.LowPart && p.Luid.HighPart == debug.HighPart)
            return {true, (p.Attributes & SE_PRIVILEGE_ENABLED) != 0};
    }
    return {false, false};
}

void SwitchDebugPrivilegeOff() {
    HANDLE token = nullptr;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
    TOKEN_PRIVILEGES off = {};
    off.PrivilegeCount = 1;
    ASSERT_TRUE(::LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &off.Privileges[0].Luid));
    EXPECT_TRUE(::AdjustTokenPrivileges(token, FALSE, &off, 0, nullptr, nullptr));
    ::CloseHandle(token);
}

} // namespace

TEST(EnableDebugPrivilege, SwitchesThePrivilegeOnInTheProcessToken) {
    if (!DebugPrivilegeState().first)
        GTEST_SKIP() << "the token does not hold SeDebugPrivilege";
    SwitchDebugPrivilegeOff();
    ASSERT_EQ(DebugPrivilegeState(), std::make_pair(true, false));
    EnableDebugPrivilege();
    EXPECT_EQ(DebugPrivilegeState(), std::make_pair(true, true));
    EnableDebugPrivilege(); // once more changes nothing
    EXPECT_EQ(DebugPrivilegeState(), std::make_pair(true, true));
}
