// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/Source.h"

#include "config/Conf.h"
#include "files/LineReader.h"
#include "files/Errors.h"
#include "files/Misc.h"
#include "files/Prompts.h"
#include "files/TextFile.h"

#include <cstdint>
#include <limits>

namespace verdask {

TSourceEncoding ChosenEncoding(const TConf& conf)
{
    return EncodingNamed(conf.GetValue(ConfKey::SourceEncoding)).value_or(TSourceEncoding::Auto);
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

// Skips the first 10 lines and the last 9; fewer than 20 lines give nothing.
bool IsExamined(std::size_t index, std::size_t lineCount)
{
    return lineCount >= 20 && index >= 10 && index <= lineCount - 10;
}

} // namespace

namespace {

TIndentSample IndentSampleOf(std::string_view line)
{
    if (line.empty() || line[0] != ' ')
        return std::nullopt;
    const auto firstText = line.find_first_not_of(' ', 1);
    if (firstText == std::string_view::npos)
        return std::nullopt; // blanks only
    return firstText;
}

// The sample of a line given in pieces.
class TIndentCounter {
public:
    void Add(std::string_view piece)
    {
        if (decided_ || piece.empty())
            return;
        const auto firstText = piece.find_first_not_of(' ');
        if (firstText == std::string_view::npos) {
            blanks_ += piece.size();
            return;
        }
        decided_ = true;
        blanks_ += firstText;
        if (blanks_ > 0)
            sample_ = blanks_;
    }
    TIndentSample Sample() const { return sample_; }

private:
    bool decided_ = false;
    std::size_t blanks_ = 0;
    TIndentSample sample_;
};

} // namespace

int DetectIndentOfSamples(const std::vector<TIndentSample>& samples)
{
    // 64 bits: a preview of very long blank runs must not wrap the sum.
    std::int64_t sum = 0;
    std::int64_t count = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (IsExamined(i, samples.size()) && samples[i]) {
            sum += static_cast<std::int64_t>(*samples[i]);
            ++count;
        }
    }
    if (count == 0)
        return 4;
    const double mean = static_cast<double>(sum) / static_cast<double>(count);
    return mean >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(mean);
}

int DetectIndent(const std::vector<std::string>& preview)
{
    std::vector<TIndentSample> samples;
    samples.reserve(preview.size());
    for (const auto& line : preview)
        samples.push_back(IndentSampleOf(line));
    return DetectIndentOfSamples(samples);
}

std::vector<TIndentSample> ReadIndentSamples(const std::string& sourcePath, TEncodingGuess encoding,
                                             FileSystem& fileSystem)
{
    std::vector<TIndentSample> samples;
    TLineReader reader(fileSystem, sourcePath, LineEnds::SourceText, encoding);
    for (int i = 0; i < PreviewLineCount && reader.StartLine(); ++i) {
        TIndentCounter counter;
        std::string_view piece;
        while (reader.NextPiece(piece))
            counter.Add(piece);
        samples.push_back(counter.Sample());
    }
    reader.Close();
    return samples;
}

int IndentWidthFor(const TConf& conf, const std::vector<std::string>& preview)
{
    if (IsYes(conf.GetValue(ConfKey::Autodetect)))
        return DetectIndent(preview);
    return TextToInteger(conf.GetValue(ConfKey::LeadingSpaces));
}

int IndentWidthOfText(const TConf& conf, const std::string& sourcePath, TEncodingGuess encoding,
                      FileSystem& fileSystem)
{
    if (IsYes(conf.GetValue(ConfKey::Autodetect)))
        return DetectIndentOfSamples(ReadIndentSamples(sourcePath, encoding, fileSystem));
    return TextToInteger(conf.GetValue(ConfKey::LeadingSpaces));
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
    state = std::move(loaded);
    return true;
}

} // namespace verdask
