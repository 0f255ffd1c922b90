// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/LeftoverCopyNotice.h"

#include "files/FileReplacement.h"
#include "files/Misc.h"
#include "files/Prompts.h"
#include "shell/InterfaceText.h"

#include <QTimer>

#include <vector>

namespace verdask {

TLeftoverCopyNotice::TLeftoverCopyNotice(Prompts& prompts, std::function<int()> language, QObject* parent)
    : QObject(parent), prompts_(prompts), language_(std::move(language))
{
}

void TLeftoverCopyNotice::LookAroundFolderOf(const std::string& page)
{
    const std::string folder = DirectoryPart(page);
    if (!foldersChecked_.insert(folder).second)
        return;
    const int removed = RemoveAbandonedTemporaryFiles(PlatformFileSystem(), folder);
    const std::vector<std::string> leftovers = LeftoverPageCopies(page);
    if (removed == 0 && leftovers.empty())
        return;
    // Told over the shown window: at start the page is shown before the window is.
    QTimer::singleShot(0, this, [this, removed, folder, leftovers] {
        if (removed > 0)
            prompts_.ShowMessage(RemovedTemporaryFilesText(language_(), removed, folder));
        for (const auto& leftover : leftovers)
            prompts_.ShowMessage(LeftoverCopyText(language_(), leftover));
    });
}

} // namespace verdask
