#pragma once

#include "files/FileSystem.h"

#include <cerrno>
#include <string>
#include <vector>

namespace verdask::test {

// The real file system, except that the call numbered FailAt (1-based, counting
// every call) fails with the error the platform gives for that kind of failure.
class TFailingFileSystem : public FileSystem {
public:
    explicit TFailingFileSystem(int failAt = 0) : failAt_(failAt) {}

    // How many calls an operation made: run it once with failAt 0 to learn it.
    int Calls() const { return calls_; }
    bool Failed() const { return failed_; }
    // The calls in order, as "open Create /path", for messages.
    const std::vector<std::string>& Log() const { return log_; }

    bool Exists(const std::string& path) override;
    bool CanWriteIn(const std::string& folder) override;
    int Open(const std::string& path, OpenMode mode, Handle& handle) override;
    int Read(Handle handle, char* buffer, std::size_t size, std::size_t& count) override;
    int Seek(Handle handle, std::uint64_t offset) override;
    int Write(Handle handle, const char* data, std::size_t size) override;
    int Close(Handle handle) override;
    int Rename(const std::string& from, const std::string& to) override;
    int Replace(const std::string& from, const std::string& to) override;
    int Remove(const std::string& path) override;

private:
    bool FailsNow(std::string call);

    FileSystem& real_ = PlatformFileSystem();
    int failAt_;
    int calls_ = 0;
    bool failed_ = false;
    std::vector<std::string> log_;
};

} // namespace verdask::test
