// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/ConvertAndSave.h"

#include "config/Conf.h"
#include "conversion/Source.h"
#include "files/Errors.h"
#include "files/FileReplacement.h"
#include "files/Misc.h"
#include "files/Prompts.h"
#include "files/TextFile.h"
#include "style/PageFrame.h"

#include <algorithm>
#include <cmath>

namespace verdask {
namespace {

// Shows the save dialog and takes its choice; false when the user cancelled.
bool ChoosePageName(TConf& conf, TFileDialog& saveDialog, Prompts& prompts, std::string& pagePath)
{
    if (!prompts.ExecuteSaveDialog(saveDialog))
        return false;
    pagePath = saveDialog.FileName;
    conf.SetValue(ConfKey::SaveDirectory, DirectoryPart(pagePath));
    return true;
}

// Puts the dialog's title back however the scope is left.
class TTitleRestorer {
public:
    explicit TTitleRestorer(TFileDialog& dialog) : dialog_(dialog), title_(dialog.Title) {}
    TTitleRestorer(const TTitleRestorer&) = delete;
    TTitleRestorer& operator=(const TTitleRestorer&) = delete;
    ~TTitleRestorer() { dialog_.Title = title_; }

private:
    TFileDialog& dialog_;
    std::string title_;
};

// Settles the page name when a file of that name exists; false when the user gave up.
bool ResolveExistingPage(TConf& conf, const TSourceState& source, TFileDialog& saveDialog, Prompts& prompts,
                         const TSaveTexts& texts, std::string& pagePath, FileSystem& fileSystem)
{
    const TTitleRestorer restorer(saveDialog);
    saveDialog.Title = texts.ChooseAnotherName;
    const bool isSource = IsSameFile(pagePath, source.SourcePath);
    if (!isSource && prompts.AskWarningYesNo("Warning", texts.OverwriteQuestion))
        return true;
    saveDialog.FileName = pagePath;
    do {
        if (!ChoosePageName(conf, saveDialog, prompts, pagePath))
            return false;
    } while (fileSystem.Exists(pagePath) || IsSameFile(pagePath, source.SourcePath));
    return true;
}

// The place of the page a conversion replaces; none for no page of this program,
// nor for one that cannot be read (replacing it is another matter).
TPagePlace PlaceToCarry(const std::string& pagePath, FileSystem& fileSystem)
{
    try {
        return PlaceInPage(pagePath, fileSystem).value_or(TPagePlace{});
    } catch (const EVerdaskError&) {
        return {};
    }
}

} // namespace

std::string PageNameFor(std::string_view sourcePath)
{
    return ProgramFileWithExt(sourcePath, ".html");
}

std::int64_t WritePageInto(TTextWriter& page, std::string_view pageName, const TConf& conf, const TSourceState& source,
                           const TViewStyle& style, const TConversionEvents& events, FileSystem& fileSystem,
                           std::int64_t position)
{
    WritePageHeader(page, pageName, style, position);
    const std::int64_t paragraphs = ConvertBody(conf, source, page, events, fileSystem);
    AppendPageFooter(page);
    return paragraphs;
}

std::int64_t CarriedPlace(const TPagePlace& before, std::int64_t paragraphs)
{
    if (before.Anchor <= 0 || paragraphs <= 0)
        return 0;
    if (before.Paragraphs == paragraphs || before.Paragraphs <= 0)
        return std::min(before.Anchor, paragraphs);
    const double share = static_cast<double>(before.Anchor) / static_cast<double>(before.Paragraphs);
    return std::clamp<std::int64_t>(std::llround(share * static_cast<double>(paragraphs)), 1, paragraphs);
}

void WritePage(const std::string& pagePath, const TConf& conf, const TSourceState& source, const TViewStyle& style,
               const TConversionEvents& events, FileSystem& fileSystem, WhenTaken whenTaken)
{
    const TPagePlace before = PlaceToCarry(pagePath, fileSystem);
    std::int64_t position = before.Anchor;
    for (int pass = 1;; ++pass) {
        // Written whole beside its place before it takes it: a failing disk or text
        // never leaves half a page, nor takes the page it replaces.
        TFileReplacement page(fileSystem, pagePath, LinkAtTarget::FollowToOwnPage, whenTaken);
        const std::int64_t paragraphs =
            WritePageInto(page.Writer(), pagePath, conf, source, style, events, fileSystem, position);
        const std::int64_t carried = CarriedPlace(before, paragraphs);
        // The bookmark stands in the head: a book whose paragraphs are not the ones
        // it had is written again once they are counted.
        if (carried != position && pass == 1) {
            position = carried;
            continue;
        }
        page.Commit();
        return;
    }
}

std::optional<std::string> ConvertAndSave(TConf& conf, const TSourceState& source, const TViewStyle& style,
                                          TFileDialog& saveDialog, Prompts& prompts, const TSaveTexts& texts,
                                          const TConversionEvents& events, FileSystem& fileSystem)
{
    std::string pagePath = PageNameFor(source.SourcePath);
    if (!IsYes(conf.GetValue(ConfKey::SameDirectory))) {
        saveDialog.FileName = FileBeside(conf.GetValue(ConfKey::SaveDirectory), FileNamePart(pagePath));
        if (!ChoosePageName(conf, saveDialog, prompts, pagePath))
            return std::nullopt;
    }
    // A name free now must still be free when the page takes it: another window
    // or run may write the same page meanwhile.
    WhenTaken whenTaken = WhenTaken::Refuse;
    if (fileSystem.Exists(pagePath) || IsSameFile(pagePath, source.SourcePath)) {
        if (!ResolveExistingPage(conf, source, saveDialog, prompts, texts, pagePath, fileSystem))
            return std::nullopt;
        whenTaken = fileSystem.Exists(pagePath) ? WhenTaken::Replace : WhenTaken::Refuse;
    }
    WritePage(pagePath, conf, source, style, events, fileSystem, whenTaken);
    return pagePath;
}

} // namespace verdask
