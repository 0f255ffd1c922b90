// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/Source.h"

#include "config/Conf.h"
#include "files/LineReader.h"
#include "files/Errors.h"
#include "files/Misc.h"
#include "files/Prompts.h"
#include "files/TextFile.h"

#include <cstdint>
#include <algorithm>
#include <limits>
#include <map>

namespace verdask {

TSourceEncoding ChosenEncoding(const TConf& conf)
{
    return EncodingNamed(conf.GetValue(ConfKey::SourceEncoding)).value_or(TSourceEncoding::Auto);
}

TParagraphLayout ChosenLayout(const TConf& conf)
{
    return LayoutNamed(conf.GetValue(ConfKey::Paragraphs)).value_or(TParagraphLayout::Auto);
}

TLayout LayoutOfText(TParagraphLayout chosen, const std::vector<TLineShape>& shapes)
{
    TLayout layout;
    layout.Paragraphs = chosen == TParagraphLayout::Auto ? DetectLayout(shapes) : chosen;
    layout.TabIndent = layout.Paragraphs == TParagraphLayout::Indented && TabsIndent(shapes);
    layout.WrapWidth = WrapWidthOf(shapes);
    return layout;
}

TSourceKind ExamineSource(const std::string& sourcePath, TSourceEncoding chosen, FileSystem& fileSystem)
{
    TFile file = TFile::OpenForReading(fileSystem, sourcePath);
    std::string firstBlock(FileBlockSize, '\0');
    firstBlock.resize(file.Read(firstBlock.data(), firstBlock.size()));
    file.Close();
    TSourceKind kind;
    kind.Encoding = EncodingFor(chosen, firstBlock);
    // Half the bytes of a UTF-16 text are NULs.
    kind.Binary = kind.Encoding.Encoding != TSourceEncoding::Utf16 && LooksBinary(firstBlock);
    return kind;
}

std::vector<std::string> ReadPreview(const std::string& sourcePath, TEncodingGuess encoding, FileSystem& fileSystem)
{
    std::vector<std::string> preview;
    TLineReader reader(fileSystem, sourcePath, LineEnds::SourceText, encoding);
    std::string line;
    for (int i = 0; i < PreviewLineCount && reader.ReadLine(line); ++i)
        preview.push_back(line);
    reader.Close();
    return preview;
}

namespace {

// The value met most often; the smallest of those met equally often.
std::size_t MostCommon(const std::vector<std::size_t>& values)
{
    std::map<std::size_t, int> counts;
    for (const std::size_t value : values)
        ++counts[value];
    return std::max_element(counts.begin(), counts.end(),
                            [](const auto& a, const auto& b) { return a.second < b.second; })
        ->first;
}

// The truncated mean indent of the examined lines, or their most common indent
// where a few lines set far in mislead the mean.
int MeanOrMostCommonIndent(const std::vector<TLineShape>& shapes)
{
    // 64 bits: a preview of very long blank runs must not wrap the sum.
    std::int64_t sum = 0;
    std::vector<std::size_t> counted;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (IsExaminedLine(i, shapes.size()) && shapes[i].Indent) {
            sum += static_cast<std::int64_t>(*shapes[i].Indent);
            counted.push_back(*shapes[i].Indent);
        }
    }
    if (counted.empty())
        return 4;
    const double mean = static_cast<double>(sum) / static_cast<double>(counted.size());
    const int width = mean >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(mean);
    // A few lines set far in (an epigraph, a poem) pull the mean above the indent
    // of most paragraphs, which would then be none: the most common indent is
    // the width instead. Many lines at the mean or just above it are paragraphs
    // of their own, and the mean stays.
    const auto reach = static_cast<std::size_t>(width);
    std::size_t reaching = 0;
    std::size_t nearest = std::numeric_limits<std::size_t>::max(); // the least indent that reaches the mean
    for (const std::size_t blanks : counted) {
        if (blanks >= reach) {
            ++reaching;
            nearest = std::min(nearest, blanks);
        }
    }
    const bool fewAndFar = 4 * reaching < counted.size() && nearest >= 2 * reach;
    return fewAndFar ? static_cast<int>(MostCommon(counted)) : width;
}

// A line indented more than the wrapped lines starts a paragraph.
int DetectIndentOfShapes(const std::vector<TLineShape>& shapes)
{
    if (const auto continuation = ContinuationIndent(shapes); continuation && *continuation < 64)
        return static_cast<int>(*continuation) + 1;
    return MeanOrMostCommonIndent(shapes);
}

} // namespace

int DetectIndent(const std::vector<std::string>& preview)
{
    return DetectIndentOfShapes(LineShapesOf(preview));
}

int IndentWidthFor(const TConf& conf, const std::vector<std::string>& preview)
{
    return IndentWidthOf(conf, LineShapesOf(preview));
}

int IndentWidthOf(const TConf& conf, const std::vector<TLineShape>& shapes)
{
    if (IsYes(conf.GetValue(ConfKey::Autodetect)))
        return DetectIndentOfShapes(shapes);
    return TextToInteger(conf.GetValue(ConfKey::LeadingSpaces));
}

int IndentWidthOfText(const TConf& conf, const std::string& sourcePath, TEncodingGuess encoding,
                      FileSystem& fileSystem)
{
    return IndentWidthOf(conf, ReadLineShapes(sourcePath, encoding, fileSystem));
}

bool LoadSource(TConf& conf, TFileDialog& openDialog, Prompts& prompts,
                const std::function<void()>& saveReadingPosition, TSourceState& state,
                std::string_view notATextQuestion, FileSystem& fileSystem)
{
    if (!prompts.ExecuteOpenDialog(openDialog))
        return false;
    return LoadSourceFile(conf, openDialog.FileName, prompts, saveReadingPosition, state, notATextQuestion,
                          fileSystem);
}

bool LoadSourceFile(TConf& conf, const std::string& path, Prompts& prompts,
                    const std::function<void()>& saveReadingPosition, TSourceState& state,
                    std::string_view notATextQuestion, FileSystem& fileSystem)
{
    if (saveReadingPosition)
        saveReadingPosition();
    conf.SetValue(ConfKey::OpenDirectory, DirectoryPart(path));

    const TSourceKind kind = ExamineSource(path, ChosenEncoding(conf), fileSystem);
    if (kind.Binary && !prompts.AskWarningYesNo("", FormatMessage(notATextQuestion, path)))
        return false;
    TSourceState loaded;
    loaded.SourcePath = path;
    loaded.Encoding = kind.Encoding;
    loaded.Preview = ReadPreview(path, kind.Encoding, fileSystem);
    loaded.IndentWidth = IndentWidthFor(conf, loaded.Preview);
    loaded.Layout = LayoutOfText(ChosenLayout(conf), LineShapesOf(loaded.Preview));
    state = std::move(loaded);
    return true;
}

} // namespace verdask
