#include "conversion/Source.h"

#include "config/Conf.h"
#include "conversion/LineReader.h"
#include "conversion/Misc.h"
#include "conversion/Prompts.h"

#include <cstdint>
#include <limits>

namespace verdask {

std::vector<std::string> ReadPreview(const std::string& sourcePath, FileSystem& fileSystem)
{
    std::vector<std::string> preview;
    TLineReader reader(fileSystem, sourcePath, LineEnds::SourceText);
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

int DetectIndent(const std::vector<std::string>& preview)
{
    // 64 bits: a preview of very long blank runs must not wrap the sum.
    std::int64_t sum = 0;
    std::int64_t count = 0;
    for (std::size_t i = 0; i < preview.size(); ++i) {
        const std::string& line = preview[i];
        if (!IsExamined(i, preview.size()) || line.empty() || line[0] != ' ')
            continue;
        const auto firstText = line.find_first_not_of(' ', 1);
        if (firstText == std::string::npos)
            continue; // blanks only
        sum += static_cast<std::int64_t>(firstText);
        ++count;
    }
    if (count == 0)
        return 4;
    const double mean = static_cast<double>(sum) / static_cast<double>(count);
    return mean >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(mean);
}

int IndentWidthFor(const TConf& conf, const std::vector<std::string>& preview)
{
    if (IsYes(conf.GetValue(ConfKey::Autodetect)))
        return DetectIndent(preview);
    return TextToInteger(conf.GetValue(ConfKey::LeadingSpaces));
}

bool LoadSource(TConf& conf, TFileDialog& openDialog, Prompts& prompts,
                const std::function<void()>& saveReadingPosition, TSourceState& state, FileSystem& fileSystem)
{
    if (!prompts.ExecuteOpenDialog(openDialog))
        return false;
    if (saveReadingPosition)
        saveReadingPosition();
    const std::string path = openDialog.FileName;
    conf.SetValue(ConfKey::OpenDirectory, DirectoryPart(path));

    TSourceState loaded;
    loaded.SourcePath = path;
    loaded.Preview = ReadPreview(path, fileSystem);
    loaded.IndentWidth = IndentWidthFor(conf, loaded.Preview);
    state = std::move(loaded);
    return true;
}

} // namespace verdask
