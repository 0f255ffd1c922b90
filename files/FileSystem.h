// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one seam through which the core touches files. Production code uses
// PlatformFileSystem(); tests wrap it to make a chosen call fail the way the
// platform would, and so prove that no failing call loses a page.

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace verdask {

enum class OpenMode {
    Read,      // an existing file, from its start
    // A file that must not exist yet, never made through a symbolic link. It is
    // held (locked) by this run until it is closed, so that another run can tell
    // it from one that a stopped run left behind.
    CreateNew,
};

inline constexpr int NotARegularFile = ESPIPE;

class FileSystem {
public:
    using Handle = int;

    FileSystem() = default;
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;
    virtual ~FileSystem() = default;

    // True when something that is no folder has the name: a file, or a symbolic
    // link that leads to no folder, even one that leads nowhere. A failing test
    // answers false.
    virtual bool Exists(const std::string& path) = 0;
    // True when files can be created in the folder. A failing test answers false.
    virtual bool CanWriteIn(const std::string& folder) = 0;
    // True for a device, a pipe or a socket at the path, its links followed: no
    // file of the user's, and never replaced or written into. A failing test
    // answers true, and the file is left alone.
    virtual bool IsDeviceOrPipe(const std::string& path) = 0;

    // The calls below return 0 on success or the platform's error number.
    // CreateNew fails with EEXIST when anything, a link included, has the name.
    // Read fails with NotARegularFile for a pipe, a device or a socket, whose
    // reading could wait for ever or never end, and with EISDIR for a folder.
    virtual int Open(const std::string& path, OpenMode mode, Handle& handle) = 0;
    // Reads up to size bytes; count 0 means the end of the file.
    virtual int Read(Handle handle, char* buffer, std::size_t size, std::size_t& count) = 0;
    // Moves a file opened for reading to an offset from its start.
    virtual int Seek(Handle handle, std::uint64_t offset) = 0;
    // The number of bytes of an open file.
    virtual int Size(Handle handle, std::uint64_t& size) = 0;
    // Writes all size bytes.
    virtual int Write(Handle handle, const char* data, std::size_t size) = 0;
    // Puts what was written to the file on the disk.
    virtual int Sync(Handle handle) = 0;
    // Gives the open file the permissions of the file at original, and its owner
    // where the platform allows; ENOENT when there is no such file.
    virtual int CopyPermissions(Handle handle, const std::string& original) = 0;
    // Releases the handle even when it reports an error.
    virtual int Close(Handle handle) = 0;
    // What a symbolic link points to, as it is written in the link; EINVAL when
    // the path is no link.
    virtual int ReadLink(const std::string& path, std::string& target) = 0;
    // Puts a file in the target's place at once, replacing what is there: readers
    // see the old file or the new one, never neither.
    virtual int Replace(const std::string& from, const std::string& to) = 0;
    // Puts a file at a name that must still be free, in one step: EEXIST when
    // anything, a link included, has it. Of several runs that place files at one
    // name at once, exactly one succeeds.
    virtual int PlaceNew(const std::string& from, const std::string& to) = 0;
    // Puts the folder's entries (a file renamed into it) on the disk.
    virtual int SyncFolder(const std::string& folder) = 0;
    virtual int Remove(const std::string& path) = 0;
    // Removes a regular file that no run holds (see OpenMode::CreateNew);
    // EWOULDBLOCK when one does, NotARegularFile for anything else.
    virtual int RemoveUnheld(const std::string& path) = 0;
    // The names of the folder's entries, in no order.
    virtual int ListFolder(const std::string& folder, std::vector<std::string>& names) = 0;
};

// The real files of the machine. It holds no state.
FileSystem& PlatformFileSystem();

} // namespace verdask
