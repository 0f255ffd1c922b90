#include "files/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace verdask {
namespace {

int OpenFlags(OpenMode mode)
{
    switch (mode) {
    case OpenMode::Read:
        return O_RDONLY;
    case OpenMode::Create:
        return O_WRONLY | O_CREAT | O_TRUNC;
    case OpenMode::Append:
        return O_WRONLY | O_APPEND;
    }
    return O_RDONLY;
}

// Rename without replacing: renameat2 where the file system supports it, else a
// hard link (which refuses an existing target) followed by removing the old name.
int RenameNoReplace(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::link(from, to) != 0)
        return errno;
    if (::unlink(from) != 0) {
        const int error = errno;
        ::unlink(to);
        return error;
    }
    return 0;
}

class PosixFileSystem final : public FileSystem {
public:
    bool Exists(const std::string& path) override
    {
        struct stat status {};
        return ::stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
    }

    bool CanWriteIn(const std::string& folder) override
    {
        struct stat status {};
        const std::string name = folder.empty() ? std::string("/") : folder;
        return ::stat(name.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && ::access(name.c_str(), W_OK) == 0;
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
        if (::fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode)) {
            ::close(descriptor);
            return EISDIR;
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

    int Close(Handle handle) override
    {
        // Retrying close after EINTR may close a descriptor reused meanwhile.
        return ::close(handle) == 0 || errno == EINTR ? 0 : errno;
    }

    int Rename(const std::string& from, const std::string& to) override
    {
        return RenameNoReplace(from.c_str(), to.c_str());
    }

    int Replace(const std::string& from, const std::string& to) override
    {
        return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    }

    int Remove(const std::string& path) override
    {
        return ::unlink(path.c_str()) == 0 ? 0 : errno;
    }
};

} // namespace

FileSystem& PlatformFileSystem()
{
    static PosixFileSystem fileSystem;
    return fileSystem;
}

} // namespace verdask
