// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FailingFileSystem.h"

#include <algorithm>
#include <csignal>

namespace verdask::test {

bool TFailingFileSystem::FailsNow(std::string call)
{
    ++calls_;
    log_.push_back(std::move(call));
    if (calls_ != failAt_)
        return false;
    failed_ = true;
    renamesBeforeFailure_ = renamedTo_.size();
    if (fault_ == Fault::Kill && log_.back() != "write")
        std::raise(SIGKILL);
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

bool TFailingFileSystem::IsDeviceOrPipe(const std::string& path)
{
    // The safe answer: what cannot be looked at is left alone.
    return FailsNow("device or pipe " + path) || real_.IsDeviceOrPipe(path);
}

int TFailingFileSystem::Open(const std::string& path, OpenMode mode, Handle& handle)
{
    const bool reading = mode == OpenMode::Read;
    if (FailsNow(std::string(reading ? "open Read " : "open CreateNew ") + path))
        return reading ? ENOENT : EACCES;
    if (!reading && refuseNewFiles_)
        return EROFS;
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

int TFailingFileSystem::Size(Handle handle, std::uint64_t& size)
{
    return FailsNow("size") ? EIO : real_.Size(handle, size);
}

int TFailingFileSystem::Write(Handle handle, const char* data, std::size_t size)
{
    if (FailsNow("write")) {
        // A full disk takes part of a block before it refuses the rest; a killed
        // process has written part of it.
        real_.Write(handle, data, size / 2);
        if (fault_ == Fault::Kill)
            std::raise(SIGKILL);
        return ENOSPC;
    }
    return real_.Write(handle, data, size);
}

int TFailingFileSystem::Sync(Handle handle)
{
    return FailsNow("sync") ? EIO : real_.Sync(handle);
}

int TFailingFileSystem::CopyPermissions(Handle handle, const std::string& original)
{
    return FailsNow("copy permissions " + original) ? EPERM : real_.CopyPermissions(handle, original);
}

int TFailingFileSystem::Close(Handle handle)
{
    const bool fails = FailsNow("close");
    const int error = real_.Close(handle);
    return fails ? EIO : error;
}

int TFailingFileSystem::ReadLink(const std::string& path, std::string& target)
{
    return FailsNow("read link " + path) ? EIO : real_.ReadLink(path, target);
}

int TFailingFileSystem::Replace(const std::string& from, const std::string& to)
{
    return FailsNow("replace " + from + " " + to) ? EACCES : Renamed(real_.Replace(from, to), to);
}

int TFailingFileSystem::Renamed(int error, const std::string& to)
{
    if (error == 0)
        renamedTo_.push_back(to);
    return error;
}

int TFailingFileSystem::PlaceNew(const std::string& from, const std::string& to)
{
    return FailsNow("place new " + from + " " + to) ? EACCES : Renamed(real_.PlaceNew(from, to), to);
}

bool TFailingFileSystem::RenamedBeforeFailure(const std::string& target) const
{
    const auto end = renamedTo_.begin() + static_cast<std::ptrdiff_t>(failed_ ? renamesBeforeFailure_ : 0);
    return std::find(renamedTo_.begin(), end, target) != end;
}

int TFailingFileSystem::SyncFolder(const std::string& folder)
{
    return FailsNow("sync folder " + folder) ? EIO : real_.SyncFolder(folder);
}

int TFailingFileSystem::Remove(const std::string& path)
{
    return FailsNow("remove " + path) ? EACCES : real_.Remove(path);
}

int TFailingFileSystem::RemoveUnheld(const std::string& path)
{
    return FailsNow("remove unheld " + path) ? EACCES : real_.RemoveUnheld(path);
}

int TFailingFileSystem::ListFolder(const std::string& folder, std::vector<std::string>& names)
{
    return FailsNow("list " + folder) ? EACCES : real_.ListFolder(folder, names);
}

} // namespace verdask::test
