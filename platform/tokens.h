#pragma once
// The program's own security token: the administrator test of start-up and
// the debug privilege of the process list.
#include <windows.h>

#include <functional>
#include <vector>

namespace skorvel {

// True when the security token of the calling thread (or, when the thread
// has none, of the process) lists BUILTIN\Administrators (S-1-5-32-544)
// among its groups, whatever the group's attributes (deny-only counts).
// Any failure answers false.
bool IsUserAdmin();

// Reads a token's group list into a buffer of the size the token reports,
// so that long group lists (domain accounts) are read whole. The query is
// GetTokenInformation(token, TokenGroups, ...) in the program; a parameter so
// that tests can hand in lists of any length. Empty on failure.
using TokenGroupsQuery = std::function<BOOL(void* buffer, DWORD size, DWORD* needed)>;
std::vector<BYTE> ReadTokenGroups(const TokenGroupsQuery& query);

// Whether a TOKEN_GROUPS list holds the Administrators SID.
bool GroupsHoldAdministrators(const TOKEN_GROUPS& groups);

// Enables "SeDebugPrivilege" in the process token, so that processes of other
// users and of services can be opened too. Nothing is reported: where the
// token lacks the privilege, only the user's own processes can be opened.
void EnableDebugPrivilege() noexcept;

} // namespace skorvel
