// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/BookExport.h"

#include "files/Misc.h"

namespace verdask {

std::string_view BookFormatName(TBookFormat format)
{
    return format == TBookFormat::Epub ? "EPUB" : "FB2";
}

std::optional<TBookTarget> ChooseBookName(Prompts& prompts, TFileDialog& dialog, const std::string& page,
                                          TBookFormat format, const TSaveTexts& texts, FileSystem& fileSystem)
{
    dialog.Filter = format == TBookFormat::Epub ? "EPUB (*.epub)|*.epub" : "FictionBook (*.fb2)|*.fb2";
    dialog.DefaultExt = BookExtension(format).substr(1);
    dialog.InitialDir = DirectoryPart(page);
    dialog.FileName = BookNameFor(page, format);
    if (!prompts.ExecuteSaveDialog(dialog))
        return std::nullopt;
    TBookTarget book{dialog.FileName};
    if (!fileSystem.Exists(book.Path))
        return book;
    if (!IsSameFile(book.Path, page) && prompts.AskWarningYesNo("Warning", texts.OverwriteQuestion)) {
        book.Taken = WhenTaken::Replace;
        return book;
    }
    dialog.Title = texts.ChooseAnotherName;
    do {
        if (!prompts.ExecuteSaveDialog(dialog))
            return std::nullopt;
        book.Path = dialog.FileName;
    } while (fileSystem.Exists(book.Path));
    return book;
}

} // namespace verdask
