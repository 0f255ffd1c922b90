#include "support/FailingFileSystem.h"

namespace verdask::test {

bool TFailingFileSystem::FailsNow(std::string call)
{
    ++calls_;
    log_.push_back(std::move(call));
    if (calls_ != failAt_)
        return false;
    failed_ = true;
    return true;
}

bool TFailingFileSystem::Exists(const std::string& path)
{
    return !FailsNow("exists " + path) && real_.Exists(path);
}

bool TFailingFileSystem::CanWriteIn(const std::string& folder)
{
    return !FailsNow("can write in " + folder) && real_.CanWriteIn(folder);
}

int TFailingFileSystem::Open(const std::string& path, OpenMode mode, Handle& handle)
{
    static constexpr const char* Modes[] = {"Read", "Create", "Append"};
    if (FailsNow(std::string("open ") + Modes[static_cast<int>(mode)] + " " + path))
        return mode == OpenMode::Read ? ENOENT : EACCES;
    return real_.Open(path, mode, handle);
}

int TFailingFileSystem::Read(Handle handle, char* buffer, std::size_t size, std::size_t& count)
{
    return FailsNow("read") ? EIO : real_.Read(handle, buffer, size, count);
}

int TFailingFileSystem::Seek(Handle handle, std::uint64_t offset)
{
    return FailsNow("seek " + std::to_string(offset)) ? EIO : real_.Seek(handle, offset);
}

int TFailingFileSystem::Write(Handle handle, const char* data, std::size_t size)
{
    if (FailsNow("write")) {
        // A full disk takes part of a block before it refuses the rest.
        real_.Write(handle, data, size / 2);
        return ENOSPC;
    }
    return real_.Write(handle, data, size);
}

int TFailingFileSystem::Close(Handle handle)
{
    const bool fails = FailsNow("close");
    const int error = real_.Close(handle);
    return fails ? EIO : error;
}

int TFailingFileSystem::Rename(const std::string& from, const std::string& to)
{
    return FailsNow("rename " + from + " " + to) ? EACCES : real_.Rename(from, to);
}

int TFailingFileSystem::Replace(const std::string& from, const std::string& to)
{
    return FailsNow("replace " + from + " " + to) ? EACCES : real_.Replace(from, to);
}

int TFailingFileSystem::Remove(const std::string& path)
{
    return FailsNow("remove " + path) ? EACCES : real_.Remove(path);
}

} // namespace verdask::test
