// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// RAII over the file seam. Every reader and writer of the core opens its files
// through TFile, so a failed call always becomes the same EInOutError naming the path.

#include "files/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace verdask {

class TFile {
public:
    // Throws EInOutError when the file cannot be opened.
    static TFile OpenForReading(FileSystem& fileSystem, const std::string& path);
    // A file that must not exist yet (see OpenMode::CreateNew). Errors name
    // reportedName, the file the user knows of, rather than the path.
    // Throws EInOutError; its Code() is EEXIST when the name is taken.
    static TFile CreateNew(FileSystem& fileSystem, const std::string& path, const std::string& reportedName);
    // A file the process was given open (standard output); closing it closes the handle.
    static TFile Adopt(FileSystem& fileSystem, FileSystem::Handle handle, const std::string& reportedName);

    TFile(TFile&& other) noexcept;
    TFile& operator=(TFile&& other) noexcept;
    TFile(const TFile&) = delete;
    TFile& operator=(const TFile&) = delete;
    // Closes a file still open, ignoring errors: call Close() to hear of them.
    ~TFile();

    // Reads up to size bytes; 0 at the end of the file.
    std::size_t Read(char* buffer, std::size_t size);
    // Moves a file opened for reading to an offset from its start.
    void Seek(std::uint64_t offset);
    std::uint64_t Size();
    void Write(std::string_view data);
    // Puts what was written on the disk.
    void Sync();
    // Takes the permissions (and, where allowed, the owner) of the file at original;
    // nothing when there is no such file.
    void KeepPermissionsOf(const std::string& original);
    void Close();

    bool IsOpen() const noexcept { return open_; }
    const std::string& Path() const noexcept { return path_; }

private:
    TFile(FileSystem& fileSystem, const std::string& path, OpenMode mode, const std::string& reportedName);
    TFile(FileSystem& fileSystem, FileSystem::Handle handle, const std::string& reportedName);

    FileSystem* fileSystem_;
    std::string path_;
    std::string reportedName_;
    FileSystem::Handle handle_ = -1;
    bool open_ = false;
};

// Writes lines, each followed by CR LF, in large blocks.
class TTextWriter {
public:
    explicit TTextWriter(TFile file);
    TTextWriter(TTextWriter&&) noexcept = default;
    TTextWriter& operator=(TTextWriter&&) = delete;
    // What was written before an error still reaches the file, as far as it can.
    ~TTextWriter();

    void WriteLine(std::string_view line);
    void Write(std::string_view text);
    // Writes what is buffered and puts it on the disk; throws EInOutError.
    void Sync();
    // Writes what is buffered and closes; throws EInOutError.
    void Close();
    TFile& File() noexcept { return file_; }

private:
    void Flush();

    TFile file_;
    std::string buffer_;
};

inline constexpr std::string_view LineEnd = "\r\n";
inline constexpr std::size_t FileBlockSize = 64 * 1024;

// Copies the bytes of source from offset from up to offset to (or its end, if
// sooner) into writer.
void CopyBytes(TFile& source, std::uint64_t from, std::uint64_t to, TTextWriter& writer);

} // namespace verdask
