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

// What a write does when the target's name is a symbolic link. Every write of
// the program names its rule, so that no link leads one to a file outside the
// book unasked.
enum class LinkAtTarget {
    // The name is replaced, the link with it; what the link leads to is never
    // written (a backup, whose name the user may not know is taken).
    ReplaceName,
    // Followed to an existing page of this program, which is replaced and the
    // link stays a link; a link to anything else, or to nothing, is refused.
    FollowToOwnPage,
    // Followed to an existing regular file (settings and styles are often kept
    // in a folder of dotfiles); a link to anything else, or to nothing, is refused.
    FollowToFile,
};

// Whether the new file replaces one that has taken the name by the time it is put in place.
enum class WhenTaken {
    Replace,
    // The name must still be free: of several runs writing one new page at once,
    // exactly one puts it in place and the others fail with EEXIST.
    Refuse,
};

// The file a write to target puts its content in by the rule: the target, or the
// file its links lead to. Throws ELinkRefused, or EInOutError when a link cannot be read.
std::string FileToWrite(FileSystem& fileSystem, const std::string& target, LinkAtTarget rule);

class TFileReplacement {
public:
    // Creates the temporary file beside the file to write (FileToWrite), under a
    // name no other run picks, never through a link planted at that name, and
    // holds it while it is written. A device, a pipe or a socket is never
    // replaced (as root, "-o /dev/null" would replace the system's). Throws
    // EInOutError naming target; nothing is changed then.
    TFileReplacement(FileSystem& fileSystem, std::string target, LinkAtTarget rule,
                     WhenTaken whenTaken = WhenTaken::Replace);
    TFileReplacement(const TFileReplacement&) = delete;
    TFileReplacement& operator=(const TFileReplacement&) = delete;
    // Without Commit, the temporary file is removed and the target stays as it was.
    ~TFileReplacement();

    // Where the new content is written.
    TTextWriter& Writer() { return *writer_; }

    // Flushes the new content, gives it the old file's permissions and puts it in
    // the target's place. Throws EInOutError naming the target; up to the rename
    // the old file is untouched, and a failure to close the file or flush the
    // folder after it leaves the new file in place.
    void Commit();

    const std::string& Target() const noexcept { return target_; }
    const std::string& TemporaryPath() const noexcept { return temporary_; }

private:
    FileSystem& fileSystem_;
    std::string target_;    // as the caller named it: errors name it
    std::string file_;      // where the content goes: the target or the file its links lead to
    std::string permissionsOf_; // the file whose permissions the new one takes; none for a replaced link
    WhenTaken whenTaken_;
    std::string temporary_;
    std::optional<TTextWriter> writer_;
    bool committed_ = false;
};

// Makes content the whole of the target file, as TFileReplacement does.
void ReplaceFileWith(FileSystem& fileSystem, const std::string& target, std::string_view content, LinkAtTarget rule);

// Removes the temporary files in the folder that no live run holds: runs that
// were stopped left them, as big as their pages. Only the names the program
// makes now are removed, never the leftover copies below nor a user's file.
// Returns how many it removed; a folder that cannot be listed has none.
int RemoveAbandonedTemporaryFiles(FileSystem& fileSystem, const std::string& folder);

// The file the path names once its symbolic links are followed; the path itself
// when it is no link or does not exist. Throws EInOutError for a loop of links.
std::string FollowLinks(FileSystem& fileSystem, const std::string& path);

// Files that earlier versions of the program left beside a page when a rewrite
// was cut short ("VerdaskTemp._a_", "VerdaskTemp._c_"). Each may hold the only
// whole copy of a page, so the program never deletes or overwrites them; it
// tells the user where they are.
std::vector<std::string> LeftoverPageCopies(const std::string& pagePath, FileSystem& fileSystem = PlatformFileSystem());

} // namespace verdask
