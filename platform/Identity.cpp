// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Identity.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <vector>

namespace tw {

std::string HostName()
{
    utsname name{};
    if (uname(&name) != 0)
        return {};
    return name.nodename;
}

std::string UserName()
{
    const uid_t uid = geteuid();
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    if (size <= 0)
        size = 16384;
    std::vector<char> buffer(size_t(size), '\0');
    passwd entry{};
    passwd* found = nullptr;
    // The environment's USER may name someone else (sudo, su); the user
    // database answers for the id the program really runs with.
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return found->pw_name;
    return std::to_string(uid);
}

} // namespace tw
