// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Loading a source text: the open dialog, the 360-line preview and the indent width.

#include "files/FileSystem.h"
#include "conversion/Layout.h"
#include "files/SourceEncoding.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verdask {

class Prompts;
class TConf;
struct TFileDialog;

inline constexpr int PreviewLineCount = 360;

// What the last successful load left for the converter. A source text is never
// held whole: only its path, its first lines and its indent width.
struct TSourceState {
    std::string SourcePath;
    TEncodingGuess Encoding; // what the text is decoded from
    std::vector<std::string> Preview;
    int IndentWidth = 0; // leading blanks that mark a paragraph start
    TLayout Layout;      // how the text marks its paragraphs
};

// The encoding the configuration's "Source encoding" chooses; Auto for an empty
// or unknown name.
TSourceEncoding ChosenEncoding(const TConf& conf);

// The layout the configuration's "Paragraphs" chooses; Auto for an empty or unknown name.
TParagraphLayout ChosenLayout(const TConf& conf);

// The layout a text is converted in: the one chosen, or the one its lines show
// for Auto; with the indent's kind and the wrap width.
TLayout LayoutOfText(TParagraphLayout chosen, const std::vector<TLineShape>& shapes);

// What the first block of a text tells: the encoding it is read in (the one
// chosen, or the one detected for Auto) and whether it looks like no text at all.
struct TSourceKind {
    TEncodingGuess Encoding;
    bool Binary = false;
};
// Throws EInOutError, also for what is no regular file (a pipe, a device).
TSourceKind ExamineSource(const std::string& sourcePath, TSourceEncoding chosen,
                          FileSystem& fileSystem = PlatformFileSystem());

// The first PreviewLineCount lines of a source text, decoded. Throws EInOutError.
std::vector<std::string> ReadPreview(const std::string& sourcePath, TEncodingGuess encoding = {},
                                     FileSystem& fileSystem = PlatformFileSystem());

// The indent width told from the preview's examined lines (TLineShape::Indent):
// their mean indent, truncated; their most common indent where a few lines set
// far in mislead the mean; one more than the indent of wrapped lines that are
// indented less than the paragraphs (ContinuationIndent); 4 when none is indented.
int DetectIndent(const std::vector<std::string>& preview);

// The indent width as Load settles it: detected when "Autodetect" is exactly "Yes",
// else "Leading spaces" (EConvertError when that is no whole number).
int IndentWidthFor(const TConf& conf, const std::vector<std::string>& preview);
// The same for the shapes of a text's first lines.
int IndentWidthOf(const TConf& conf, const std::vector<TLineShape>& shapes);
// The same for a text on disk, without keeping a preview.
int IndentWidthOfText(const TConf& conf, const std::string& sourcePath, TEncodingGuess encoding = {},
                      FileSystem& fileSystem = PlatformFileSystem());

// Asked with the file's path for %s before a file that looks like no text is loaded.
inline constexpr std::string_view NotATextQuestion =
    "%s does not look like a text: it holds bytes that no text holds. Load it anyway?";

// Lets the user choose a text and loads it into state. False when the dialog was
// cancelled; then nothing happens. After a choice, saveReadingPosition runs and
// "Open directory" takes the text's folder; the state changes only when the text
// was read and its indent width settled, so a failed load never leaves a preview
// of one text beside the indent width of another. A file that looks like no text
// is loaded only when the user says Yes to notATextQuestion; No is a cancel.
bool LoadSource(TConf& conf, TFileDialog& openDialog, Prompts& prompts,
                const std::function<void()>& saveReadingPosition, TSourceState& state,
                std::string_view notATextQuestion = NotATextQuestion, FileSystem& fileSystem = PlatformFileSystem());
// The same for a text chosen elsewhere (the command line, a drop): what follows
// the dialog.
bool LoadSourceFile(TConf& conf, const std::string& path, Prompts& prompts,
                    const std::function<void()>& saveReadingPosition, TSourceState& state,
                    std::string_view notATextQuestion = NotATextQuestion,
                    FileSystem& fileSystem = PlatformFileSystem());

} // namespace verdask
