// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileReplacement.h"

#include "files/Errors.h"
#include "files/Misc.h"
#include "files/OwnPage.h"

#include <cerrno>
#include <mutex>
#include <random>

namespace verdask {
namespace {

constexpr int MostLinksFollowed = 40; // as the platform's own limit
constexpr int NamesTried = 100;
constexpr std::size_t RandomLetters = 12;
constexpr std::string_view Letters = "0123456789abcdefghijklmnopqrstuvwxyz";

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
    std::uint64_t bits = 0;
    {
        const std::lock_guard lock(guard);
        bits = random();
    }
    std::string name(TemporaryPrefix);
    for (std::size_t i = 0; i < RandomLetters; ++i) {
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

// Whether the name is one that NewTemporaryName makes.
bool IsRandomTemporaryName(std::string_view name)
{
    return name.size() == TemporaryPrefix.size() + RandomLetters && name.starts_with(TemporaryPrefix) &&
           name.find_first_not_of(Letters, TemporaryPrefix.size()) == std::string_view::npos;
}

bool IsLink(FileSystem& fileSystem, const std::string& path)
{
    std::string leadsTo;
    const int error = fileSystem.ReadLink(path, leadsTo);
    if (error == EINVAL || error == ENOENT)
        return false;
    if (error != 0)
        throw EInOutError(path, error);
    return true;
}

} // namespace

std::string FileToWrite(FileSystem& fileSystem, const std::string& target, LinkAtTarget rule)
{
    if (rule == LinkAtTarget::ReplaceName || !IsLink(fileSystem, target))
        return target;
    const std::string file = FollowLinks(fileSystem, target);
    const bool accepted = fileSystem.Exists(file) && !fileSystem.IsDeviceOrPipe(file) &&
                          (rule == LinkAtTarget::FollowToFile || IsOwnPage(file, fileSystem));
    if (!accepted)
        throw ELinkRefused(target, file);
    return file;
}

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

TFileReplacement::TFileReplacement(FileSystem& fileSystem, std::string target, LinkAtTarget rule,
                                   WhenTaken whenTaken)
    : fileSystem_(fileSystem),
      target_(std::move(target)),
      file_(FileToWrite(fileSystem, target_, rule)),
      whenTaken_(whenTaken)
{
    if (IsTemporaryFileName(target_) || IsTemporaryFileName(file_))
        throw EInOutError(target_, EINVAL, "the name is kept for the program's temporary files");
    // A link that gives way to the new file passes on nothing: neither what it
    // leads to nor that file's permissions matter.
    const bool linkReplaced = rule == LinkAtTarget::ReplaceName && IsLink(fileSystem_, file_);
    if (!linkReplaced)
        permissionsOf_ = file_;
    if (!linkReplaced && fileSystem_.IsDeviceOrPipe(file_))
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
    if (!permissionsOf_.empty())
        writer_->File().KeepPermissionsOf(permissionsOf_);
    writer_->Sync();
    // Closed only once in place: while open it is held, and no other run takes it
    // for a file a stopped run left behind.
    const int error = whenTaken_ == WhenTaken::Replace ? fileSystem_.Replace(temporary_, file_)
                                                       : fileSystem_.PlaceNew(temporary_, file_);
    if (error == EEXIST && whenTaken_ == WhenTaken::Refuse)
        throw EInOutError(target_, error, "another file took the name meanwhile; not replaced");
    if (error != 0)
        throw EInOutError(target_, error);
    committed_ = true;
    writer_->Close();
    // The rename itself reaches the disk only with its folder.
    if (const int error = fileSystem_.SyncFolder(SiblingPath(file_, ".")))
        throw EInOutError(target_, error);
}

void ReplaceFileWith(FileSystem& fileSystem, const std::string& target, std::string_view content, LinkAtTarget rule)
{
    TFileReplacement replacement(fileSystem, target, rule);
    replacement.Writer().Write(content);
    replacement.Commit();
}

int RemoveAbandonedTemporaryFiles(FileSystem& fileSystem, const std::string& folder)
{
    const std::string where = folder.empty() ? "." : folder; // a name without a folder is in the working one
    std::vector<std::string> names;
    if (fileSystem.ListFolder(where, names) != 0)
        return 0;
    int removed = 0;
    for (const std::string& name : names) {
        if (IsRandomTemporaryName(name) && fileSystem.RemoveUnheld(FileBeside(where, name)) == 0)
            ++removed;
    }
    return removed;
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
