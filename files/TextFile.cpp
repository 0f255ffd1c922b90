// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TextFile.h"

#include "files/Errors.h"

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

namespace verdask {

TFile::TFile(FileSystem& fileSystem, const std::string& path, OpenMode mode, const std::string& reportedName)
    : fileSystem_(&fileSystem), path_(path), reportedName_(reportedName)
{
    if (const int error = fileSystem.Open(path, mode, handle_)) {
        if (error == NotARegularFile)
            throw EInOutError(reportedName_, error, "not a regular file but a pipe, a device or a socket, "
                                                    "which the program does not read");
        throw EInOutError(reportedName_, error);
    }
    open_ = true;
}

TFile::TFile(FileSystem& fileSystem, FileSystem::Handle handle, const std::string& reportedName)
    : fileSystem_(&fileSystem), path_(reportedName), reportedName_(reportedName), handle_(handle), open_(true)
{
}

TFile TFile::Adopt(FileSystem& fileSystem, FileSystem::Handle handle, const std::string& reportedName)
{
    return TFile(fileSystem, handle, reportedName);
}

TFile TFile::OpenForReading(FileSystem& fileSystem, const std::string& path)
{
    return TFile(fileSystem, path, OpenMode::Read, path);
}

TFile TFile::CreateNew(FileSystem& fileSystem, const std::string& path, const std::string& reportedName)
{
    return TFile(fileSystem, path, OpenMode::CreateNew, reportedName);
}

TFile::TFile(TFile&& other) noexcept
    : fileSystem_(other.fileSystem_),
      path_(std::move(other.path_)),
      reportedName_(std::move(other.reportedName_)),
      handle_(other.handle_),
      open_(std::exchange(other.open_, false))
{
}

TFile& TFile::operator=(TFile&& other) noexcept
{
    if (this != &other) {
        if (open_)
            fileSystem_->Close(handle_);
        fileSystem_ = other.fileSystem_;
        path_ = std::move(other.path_);
        reportedName_ = std::move(other.reportedName_);
        handle_ = other.handle_;
        open_ = std::exchange(other.open_, false);
    }
    return *this;
}

TFile::~TFile()
{
    if (open_)
        fileSystem_->Close(handle_);
}

std::size_t TFile::Read(char* buffer, std::size_t size)
{
    std::size_t count = 0;
    if (const int error = fileSystem_->Read(handle_, buffer, size, count))
        throw EInOutError(reportedName_, error);
    return count;
}

void TFile::Seek(std::uint64_t offset)
{
    if (const int error = fileSystem_->Seek(handle_, offset))
        throw EInOutError(reportedName_, error);
}

std::uint64_t TFile::Size()
{
    std::uint64_t size = 0;
    if (const int error = fileSystem_->Size(handle_, size))
        throw EInOutError(reportedName_, error);
    return size;
}

void TFile::Write(std::string_view data)
{
    if (const int error = fileSystem_->Write(handle_, data.data(), data.size()))
        throw EInOutError(reportedName_, error);
}

void TFile::Sync()
{
    if (const int error = fileSystem_->Sync(handle_))
        throw EInOutError(reportedName_, error);
}

void TFile::KeepPermissionsOf(const std::string& original)
{
    const int error = fileSystem_->CopyPermissions(handle_, original);
    if (error != 0 && error != ENOENT)
        throw EInOutError(reportedName_, error);
}

void TFile::Close()
{
    if (!open_)
        return;
    open_ = false;
    if (const int error = fileSystem_->Close(handle_))
        throw EInOutError(reportedName_, error);
}

TTextWriter::TTextWriter(TFile file) : file_(std::move(file))
{
    buffer_.reserve(FileBlockSize);
}

TTextWriter::~TTextWriter()
{
    if (!file_.IsOpen())
        return;
    try {
        Flush();
    } catch (const EInOutError&) {
        // The error that unwound us is the one the user hears of.
    }
}

void TTextWriter::Write(std::string_view text)
{
    if (buffer_.size() + text.size() > FileBlockSize) {
        Flush();
        if (text.size() >= FileBlockSize) {
            file_.Write(text);
            return;
        }
    }
    buffer_ += text;
}

void TTextWriter::WriteLine(std::string_view line)
{
    Write(line);
    Write(LineEnd);
}

void TTextWriter::Flush()
{
    if (buffer_.empty())
        return;
    try {
        file_.Write(buffer_);
    } catch (const EInOutError&) {
        // Dropped, so that the destructor does not write a failed block again.
        buffer_.clear();
        throw;
    }
    buffer_.clear();
}

void TTextWriter::Sync()
{
    Flush();
    file_.Sync();
}

void TTextWriter::Close()
{
    Flush();
    file_.Close();
}

void CopyBytes(TFile& source, std::uint64_t from, std::uint64_t to, TTextWriter& writer)
{
    source.Seek(from);
    std::vector<char> block(16 * FileBlockSize);
    for (std::uint64_t left = to - from; left > 0;) {
        const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
        const std::size_t got = source.Read(block.data(), wanted);
        if (got == 0)
            break;
        writer.Write(std::string_view(block.data(), got));
        left -= got;
    }
}

} // namespace verdask
