// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileReplacement.h"

#include "files/Errors.h"
#include "files/Misc.h"

#include <cerrno>
#include <mutex>
#include <random>

namespace verdask {
namespace {

constexpr int MostLinksFollowed = 40; // as the platform's own limit
constexpr int NamesTried = 100;

// "VerdaskTemp." and twelve random letters and digits: two runs, or two threads
// of one, pick the same name once in 36^12, and the exclusive create catches that.
std::string NewTemporaryName()
{
    static std::mutex guard;
    static std::mt19937_64 random = [] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }();
    constexpr std::string_view Letters = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::uint64_t bits = 0;
    {
        const std::lock_guard lock(guard);
        bits = random();
    }
    std::string name(TemporaryPrefix);
    for (int i = 0; i < 12; ++i) {
        name += Letters[bits % Letters.size()];
        bits /= Letters.size();
    }
    return name;
}

TFile CreateTemporaryFile(FileSystem& fileSystem, const std::string& file, const std::string& target,
                          std::string& temporary)
{
    for (int attempt = 1;; ++attempt) {
        temporary = SiblingPath(file, NewTemporaryName());
        try {
            return TFile::CreateNew(fileSystem, temporary, target);
        } catch (const EInOutError& error) {
            if (error.Code() != EEXIST || attempt == NamesTried)
                throw;
        }
    }
}

} // namespace

std::string FollowLinks(FileSystem& fileSystem, const std::string& path)
{
    std::string file = path;
    for (int hop = 0; hop < MostLinksFollowed; ++hop) {
        std::string target;
        if (const int error = fileSystem.ReadLink(file, target)) {
            // No link, or nothing there yet: the file itself.
            if (error == EINVAL || error == ENOENT)
                return file;
            throw EInOutError(path, error);
        }
        file = target.starts_with(PathSeparator) ? target : SiblingPath(file, target);
    }
    throw EInOutError(path, ELOOP);
}

bool IsTemporaryFileName(std::string_view path)
{
    const auto separator = path.rfind(PathSeparator);
    const std::string_view name = separator == std::string_view::npos ? path : path.substr(separator + 1);
    return name.starts_with(TemporaryPrefix);
}

TFileReplacement::TFileReplacement(FileSystem& fileSystem, std::string target)
    : fileSystem_(fileSystem), target_(std::move(target)), file_(FollowLinks(fileSystem, target_))
{
    if (IsTemporaryFileName(target_) || IsTemporaryFileName(file_))
        throw EInOutError(target_, EINVAL, "the name is kept for the program's temporary files");
    if (fileSystem_.IsDeviceOrPipe(file_))
        throw EInOutError(target_, NotARegularFile, "a device, a pipe or a socket, which is never replaced");
    writer_.emplace(CreateTemporaryFile(fileSystem_, file_, target_, temporary_));
}

TFileReplacement::~TFileReplacement()
{
    if (committed_)
        return;
    writer_.reset();
    fileSystem_.Remove(temporary_);
}

void TFileReplacement::Commit()
{
    writer_->File().KeepPermissionsOf(file_);
    writer_->Sync();
    writer_->Close();
    if (const int error = fileSystem_.Replace(temporary_, file_))
        throw EInOutError(target_, error);
    committed_ = true;
    // The rename itself reaches the disk only with its folder.
    if (const int error = fileSystem_.SyncFolder(SiblingPath(file_, ".")))
        throw EInOutError(target_, error);
}

void ReplaceFileWith(FileSystem& fileSystem, const std::string& target, std::string_view content)
{
    TFileReplacement replacement(fileSystem, target);
    replacement.Writer().Write(content);
    replacement.Commit();
}

std::vector<std::string> LeftoverPageCopies(const std::string& pagePath, FileSystem& fileSystem)
{
    std::vector<std::string> found;
    for (const std::string_view name : {"VerdaskTemp._a_", "VerdaskTemp._c_"}) {
        const std::string path = SiblingPath(pagePath, name);
        if (fileSystem.Exists(path))
            found.push_back(path);
    }
    return found;
}

} // namespace verdask
