// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FileSystem.h"

#include <cerrno>
#include <string>
#include <vector>

namespace verdask::test {

// The real file system, except that the call numbered FailAt (1-based, counting
// every call) fails with the error the platform gives for that kind of failure,
// or, with Fault::Kill, the process is killed there, as a crash or a power cut
// would stop it (a write takes half of its bytes first).
class TFailingFileSystem : public FileSystem {
public:
    enum class Fault { Fail, Kill };

    explicit TFailingFileSystem(int failAt = 0, Fault fault = Fault::Fail) : failAt_(failAt), fault_(fault) {}

    // From now on no file can be created, as on a read-only medium.
    void RefuseEveryNewFile() { refuseNewFiles_ = true; }

    // How many calls an operation made: run it once with failAt 0 to learn it.
    int Calls() const { return calls_; }
    bool Failed() const { return failed_; }
    // The calls in order, as "open Read /path", for messages.
    const std::vector<std::string>& Log() const { return log_; }
    // Whether a file was put in place at target before the failing call, which
    // then leaves the new file there.
    bool RenamedBeforeFailure(const std::string& target) const;

    bool Exists(const std::string& path) override;
    bool CanWriteIn(const std::string& folder) override;
    bool IsDeviceOrPipe(const std::string& path) override;
    int Open(const std::string& path, OpenMode mode, Handle& handle) override;
    int Read(Handle handle, char* buffer, std::size_t size, std::size_t& count) override;
    int Seek(Handle handle, std::uint64_t offset) override;
    int Size(Handle handle, std::uint64_t& size) override;
    int Write(Handle handle, const char* data, std::size_t size) override;
    int Sync(Handle handle) override;
    int CopyPermissions(Handle handle, const std::string& original) override;
    int Close(Handle handle) override;
    int ReadLink(const std::string& path, std::string& target) override;
    int Replace(const std::string& from, const std::string& to) override;
    int PlaceNew(const std::string& from, const std::string& to) override;
    int SyncFolder(const std::string& folder) override;
    int Remove(const std::string& path) override;
    int RemoveUnheld(const std::string& path) override;
    int ListFolder(const std::string& folder, std::vector<std::string>& names) override;

private:
    bool FailsNow(std::string call);
    // Notes a rename that succeeded; returns its error.
    int Renamed(int error, const std::string& to);

    FileSystem& real_ = PlatformFileSystem();
    int failAt_;
    bool refuseNewFiles_ = false;
    Fault fault_;
    int calls_ = 0;
    bool failed_ = false;
    std::vector<std::string> log_;
    std::vector<std::string> renamedTo_; // the targets of renames that succeeded, in order
    std::size_t renamesBeforeFailure_ = 0;
};

} // namespace verdask::test
