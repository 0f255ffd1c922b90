// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace verdask {
namespace {

int OpenFlags(OpenMode mode)
{
    switch (mode) {
    case OpenMode::Read:
        return O_RDONLY | O_NONBLOCK; // a pipe without a writer must not hold the open
    case OpenMode::CreateNew:
        return O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW;
    }
    return O_RDONLY;
}

// Whether the open file still has the name: a file found at a name and then
// removed or replaced by another run has not.
bool StillNamed(int descriptor, const std::string& path)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(descriptor, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

// A file system that keeps no locks (some network and FUSE ones): no file there
// can be held, so none is taken for one left behind either.
bool KeepsNoLocks(int error)
{
    return error == ENOLCK || error == EOPNOTSUPP || error == EINVAL || error == ENOSYS;
}

// Takes the lock that tells a run's temporary file from one left behind; a run
// that finds it taken gives the name up. The lock goes with the last close.
bool HoldNewFile(int descriptor, const std::string& path)
{
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0 && !KeepsNoLocks(errno))
        return false;
    return StillNamed(descriptor, path);
}

class PosixFileSystem final : public FileSystem {
public:
    bool Exists(const std::string& path) override
    {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0)
            return false;
        if (!S_ISLNK(status.st_mode))
            return !S_ISDIR(status.st_mode);
        return ::stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode);
    }

    bool CanWriteIn(const std::string& folder) override
    {
        struct stat status {};
        const std::string name = folder.empty() ? std::string("/") : folder;
        return ::stat(name.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && ::access(name.c_str(), W_OK) == 0;
    }

    bool IsDeviceOrPipe(const std::string& path) override
    {
        struct stat status {};
        return ::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
    }

    int Open(const std::string& path, OpenMode mode, Handle& handle) override
    {
        int descriptor = -1;
        do {
            descriptor = ::open(path.c_str(), OpenFlags(mode) | O_CLOEXEC, 0666);
        } while (descriptor < 0 && errno == EINTR);
        if (descriptor < 0)
            return errno;
        struct stat status {};
        if (::fstat(descriptor, &status) != 0) {
            const int error = errno;
            ::close(descriptor);
            return error;
        }
        if (S_ISDIR(status.st_mode) || (mode == OpenMode::Read && !S_ISREG(status.st_mode))) {
            ::close(descriptor);
            return S_ISDIR(status.st_mode) ? EISDIR : NotARegularFile;
        }
        // Another run removing it as left behind, between the create and the lock.
        if (mode == OpenMode::CreateNew && !HoldNewFile(descriptor, path)) {
            ::close(descriptor);
            return EEXIST;
        }
        handle = descriptor;
        return 0;
    }

    int Read(Handle handle, char* buffer, std::size_t size, std::size_t& count) override
    {
        ssize_t got = -1;
        do {
            got = ::read(handle, buffer, size);
        } while (got < 0 && errno == EINTR);
        if (got < 0)
            return errno;
        count = static_cast<std::size_t>(got);
        return 0;
    }

    int Seek(Handle handle, std::uint64_t offset) override
    {
        return ::lseek(handle, static_cast<off_t>(offset), SEEK_SET) < 0 ? errno : 0;
    }

    int Size(Handle handle, std::uint64_t& size) override
    {
        struct stat status {};
        if (::fstat(handle, &status) != 0)
            return errno;
        size = static_cast<std::uint64_t>(status.st_size);
        return 0;
    }

    int Write(Handle handle, const char* data, std::size_t size) override
    {
        while (size > 0) {
            const ssize_t written = ::write(handle, data, size);
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            data += written;
            size -= static_cast<std::size_t>(written);
        }
        return 0;
    }

    int Sync(Handle handle) override
    {
        int result = 0;
        do {
            result = ::fsync(handle);
        } while (result != 0 && errno == EINTR);
        return result == 0 ? 0 : errno;
    }

    int CopyPermissions(Handle handle, const std::string& original) override
    {
        struct stat wanted {};
        struct stat now {};
        if (::stat(original.c_str(), &wanted) != 0 || ::fstat(handle, &now) != 0)
            return errno;
        // Only root may give a file away; anyone else's copy stays their own.
        if ((wanted.st_uid != now.st_uid || wanted.st_gid != now.st_gid) &&
            ::fchown(handle, wanted.st_uid, wanted.st_gid) != 0 && errno != EPERM)
            return errno;
        return ::fchmod(handle, wanted.st_mode & 07777) == 0 ? 0 : errno;
    }

    int Close(Handle handle) override
    {
        // Retrying close after EINTR may close a descriptor reused meanwhile.
        return ::close(handle) == 0 || errno == EINTR ? 0 : errno;
    }

    int ReadLink(const std::string& path, std::string& target) override
    {
        std::string buffer(256, '\0');
        for (;;) {
            const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
            if (length < 0)
                return errno;
            if (static_cast<std::size_t>(length) < buffer.size()) {
                buffer.resize(static_cast<std::size_t>(length));
                target = std::move(buffer);
                return 0;
            }
            buffer.resize(buffer.size() * 2);
        }
    }

    int Replace(const std::string& from, const std::string& to) override
    {
        // A device, a pipe or a socket is no file to replace, whoever runs the program.
        struct stat status {};
        if (::lstat(to.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISLNK(status.st_mode) &&
            !S_ISDIR(status.st_mode))
            return NotARegularFile;
        return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    }

    int PlaceNew(const std::string& from, const std::string& to) override
    {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS)
            return errno;
        // File systems without that rename (NFS, some FUSE ones): a second name
        // is refused just as well when the name is taken.
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            return 0;
        }
        if (errno != EPERM && errno != EOPNOTSUPP)
            return errno;
        // Nor links (FAT): as close as such a file system allows.
        struct stat status {};
        if (::lstat(to.c_str(), &status) == 0)
            return EEXIST;
        return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    }

    int SyncFolder(const std::string& folder) override
    {
        const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (descriptor < 0)
            return errno;
        int error = Sync(descriptor);
        // Some file systems cannot flush a folder; their renames are as safe as they get.
        if (error == EINVAL)
            error = 0;
        ::close(descriptor);
        return error;
    }

    int Remove(const std::string& path) override
    {
        return ::unlink(path.c_str()) == 0 ? 0 : errno;
    }

    int RemoveUnheld(const std::string& path) override
    {
        const int descriptor = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (descriptor < 0)
            return errno == ELOOP ? NotARegularFile : errno;
        struct stat status {};
        int error = 0;
        if (::fstat(descriptor, &status) != 0)
            error = errno;
        else if (!S_ISREG(status.st_mode))
            error = NotARegularFile;
        else if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0)
            error = KeepsNoLocks(errno) ? EWOULDBLOCK : errno;
        else if (!StillNamed(descriptor, path))
            error = EWOULDBLOCK;
        else if (::unlink(path.c_str()) != 0)
            error = errno;
        ::close(descriptor);
        return error;
    }

    int ListFolder(const std::string& folder, std::vector<std::string>& names) override
    {
        const std::unique_ptr<DIR, int (*)(DIR*)> entries(::opendir(folder.empty() ? "." : folder.c_str()),
                                                          ::closedir);
        if (!entries)
            return errno;
        names.clear();
        while (const dirent* entry = ::readdir(entries.get())) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..")
                names.emplace_back(name);
        }
        return 0;
    }
};

} // namespace

FileSystem& PlatformFileSystem()
{
    static PosixFileSystem fileSystem;
    return fileSystem;
}

} // namespace verdask
