#pragma once

// Loading a source text: the open dialog, the 360-line preview and the indent width.

#include "files/FileSystem.h"

#include <functional>
#include <optional>
#include <string>
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
    std::vector<std::string> Preview;
    int IndentWidth = 0; // leading blanks that mark a paragraph start
};

// The first PreviewLineCount lines of a source text. Throws EInOutError.
std::vector<std::string> ReadPreview(const std::string& sourcePath, FileSystem& fileSystem = PlatformFileSystem());

// The indent a line adds to the mean: its leading blanks, when it starts with a
// blank and holds more than blanks; nothing otherwise.
using TIndentSample = std::optional<std::size_t>;

// The mean indent of the preview's inner lines, truncated; 4 when none is indented.
int DetectIndent(const std::vector<std::string>& preview);
int DetectIndentOfSamples(const std::vector<TIndentSample>& samples);

// The samples of the first PreviewLineCount lines of a text, read in pieces so
// that no line is held whole. Throws EInOutError.
std::vector<TIndentSample> ReadIndentSamples(const std::string& sourcePath,
                                             FileSystem& fileSystem = PlatformFileSystem());

// The indent width as Load settles it: detected when "Autodetect" is exactly "Yes",
// else "Leading spaces" (EConvertError when that is no whole number).
int IndentWidthFor(const TConf& conf, const std::vector<std::string>& preview);
// The same for a text on disk, without keeping a preview.
int IndentWidthOfText(const TConf& conf, const std::string& sourcePath, FileSystem& fileSystem = PlatformFileSystem());

// Lets the user choose a text and loads it into state. False when the dialog was
// cancelled; then nothing happens. After a choice, saveReadingPosition runs and
// "Open directory" takes the text's folder; the state changes only when the text
// was read and its indent width settled, so a failed load never leaves a preview
// of one text beside the indent width of another.
bool LoadSource(TConf& conf, TFileDialog& openDialog, Prompts& prompts,
                const std::function<void()>& saveReadingPosition, TSourceState& state,
                FileSystem& fileSystem = PlatformFileSystem());

} // namespace verdask
