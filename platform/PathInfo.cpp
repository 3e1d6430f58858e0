// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PathInfo.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace tw {

bool IsDirectoryPath(const std::string& path)
{
    struct stat st {};
    // A NUL would end the path early, at another directory than the one named.
    return !path.empty() && path.find('\0') == std::string::npos && ::stat(path.c_str(), &st) == 0
        && S_ISDIR(st.st_mode);
}

std::string UserHome()
{
    std::string home;
    if (const char* env = std::getenv("HOME"); env && env[0] == '/')
        home = env;
    else if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir)
        home = pw->pw_dir;
    else
        home = "/";
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    return home;
}

std::string AbsoluteAgainstHome(const std::string& path)
{
    if (path.empty() || path[0] == '/')
        return path;
    const std::string home = UserHome();
    const std::string base = home == "/" ? std::string() : home;
    if (path == "~")
        return home;
    if (path.compare(0, 2, "~/") == 0)
        return base + path.substr(1);
    return base + "/" + path;
}

bool ListDirectory(const std::string& directory, std::vector<DirEntry>& entries, int* error)
{
    entries.clear();
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = errno;
        return false;
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(fd), ::closedir);
    if (!dir) {
        if (error)
            *error = errno;
        ::close(fd);
        return false;
    }
    while (const dirent* d = ::readdir(dir.get())) {
        const std::string name = d->d_name;
        if (name == "." || name == "..")
            continue;
        DirEntry entry;
        entry.name = name;
        struct stat st {};
        if (::fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            entry.kind = S_ISREG(st.st_mode)   ? DirEntry::File
                       : S_ISDIR(st.st_mode)   ? DirEntry::Directory
                       : S_ISLNK(st.st_mode)   ? DirEntry::Link
                                               : DirEntry::Other;
            entry.size = S_ISREG(st.st_mode) ? uint64_t(st.st_size) : 0;
            entry.modified = st.st_mtim.tv_sec;
            struct stat target {};
            if (S_ISLNK(st.st_mode) && ::fstatat(fd, d->d_name, &target, 0) == 0)
                entry.linkToDirectory = S_ISDIR(target.st_mode);
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

} // namespace tw
