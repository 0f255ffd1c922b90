// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one way the program creates or replaces a user's file: pages, backups,
// the configuration and style files. The new content goes into a temporary file
// of its own beside the target, which is flushed to the disk and then renamed
// over the target in one step. Whoever looks, and whenever the program is
// stopped, the target is the old file or the new one, whole.

#include "files/FileSystem.h"
#include "files/TextFile.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verdask {

// What every temporary file's name starts with, so that a user knows whose it is.
inline constexpr std::string_view TemporaryPrefix = "VerdaskTemp.";

// Whether the file name of path is one of the program's temporary names: no user's
// file is ever written under such a name, so none can be taken for garbage.
bool IsTemporaryFileName(std::string_view path);

class TFileReplacement {
public:
    // Creates the temporary file beside the file that target names (the file a
    // symbolic link leads to, so that the link stays a link), under a name no
    // other run picks, never through a link planted at that name. A device, a
    // pipe or a socket is never replaced (as root, "-o /dev/null" would replace
    // the system's). Throws EInOutError naming target; nothing is changed then.
    TFileReplacement(FileSystem& fileSystem, std::string target);
    TFileReplacement(const TFileReplacement&) = delete;
    TFileReplacement& operator=(const TFileReplacement&) = delete;
    // Without Commit, the temporary file is removed and the target stays as it was.
    ~TFileReplacement();

    // Where the new content is written.
    TTextWriter& Writer() { return *writer_; }

    // Flushes the new content, gives it the old file's permissions and puts it in
    // the target's place. Throws EInOutError naming the target; up to the rename
    // the old file is untouched, and a failure to flush the folder after it
    // leaves the new file in place.
    void Commit();

    const std::string& Target() const noexcept { return target_; }
    const std::string& TemporaryPath() const noexcept { return temporary_; }

private:
    FileSystem& fileSystem_;
    std::string target_;    // as the caller named it: errors name it
    std::string file_;      // where the content goes: the target or the file its links lead to
    std::string temporary_;
    std::optional<TTextWriter> writer_;
    bool committed_ = false;
};

// Makes content the whole of the target file, as TFileReplacement does.
void ReplaceFileWith(FileSystem& fileSystem, const std::string& target, std::string_view content);

// The file the path names once its symbolic links are followed; the path itself
// when it is no link or does not exist. Throws EInOutError for a loop of links.
std::string FollowLinks(FileSystem& fileSystem, const std::string& path);

// Files that earlier versions of the program left beside a page when a rewrite
// was cut short ("VerdaskTemp._a_", "VerdaskTemp._c_"). Each may hold the only
// whole copy of a page, so the program never deletes or overwrites them; it
// tells the user where they are.
std::vector<std::string> LeftoverPageCopies(const std::string& pagePath, FileSystem& fileSystem = PlatformFileSystem());

} // namespace verdask
