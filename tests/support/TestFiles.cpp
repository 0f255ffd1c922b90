// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestFiles.h"

#include <iconv.h>
#include <sys/resource.h>

#include <csignal>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <stdlib.h>

namespace verdask::test {

std::string Recoded(std::string_view text, const char* from, const char* to)
{
    iconv_t converter = ::iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("no iconv for this encoding");
    std::string in(text);
    std::string out(in.size() * 4 + 16, '\0');
    char* source = in.data();
    char* target = out.data();
    std::size_t sourceLeft = in.size();
    std::size_t targetLeft = out.size();
    const std::size_t done = ::iconv(converter, &source, &sourceLeft, &target, &targetLeft);
    ::iconv_close(converter);
    // With //IGNORE iconv reports the characters it left out, having gone on to the end.
    if (done == static_cast<std::size_t>(-1) && sourceLeft != 0)
        throw std::runtime_error("the text does not fit the encoding");
    out.resize(out.size() - targetLeft);
    return out;
}

TTempDir::TTempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "verdask-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
}

TTempDir::~TTempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TTempDir::File(std::string_view name) const
{
    return (path_ / name).string();
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, std::string_view bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> TemporaryFilesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (auto& name : FolderEntries(folder)) {
        if (name.starts_with("VerdaskTemp."))
            names.push_back(std::move(name));
    }
    return names;
}

void RemoveTemporaryFiles(const std::filesystem::path& folder)
{
    for (const auto& name : TemporaryFilesIn(folder))
        std::filesystem::remove(folder / name);
}

TFileSizeLimit::TFileSizeLimit(std::uint64_t bytes)
{
    // Beyond the limit the platform also sends SIGXFSZ, which would end the test.
    formerHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    soft_ = limit.rlim_cur;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

TFileSizeLimit::~TFileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = soft_;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, formerHandler_);
}

std::string CrLfLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

void TScriptedPrompts::ShowWarning(std::string_view caption, std::string_view text)
{
    Warnings.push_back({std::string(caption), std::string(text)});
}

} // namespace verdask::test

namespace verdask::test {

bool TScriptedPrompts::AskWarningYesNo(std::string_view caption, std::string_view text)
{
    Questions.push_back({std::string(caption), std::string(text)});
    if (YesNoAnswers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return false;
    }
    const bool answer = YesNoAnswers.front();
    YesNoAnswers.pop_front();
    return answer;
}

bool TScriptedPrompts::AnswerDialog(TFileDialog& dialog)
{
    if (DialogAnswers.empty()) {
        ADD_FAILURE() << "unexpected dialog: " << dialog.Title;
        return false;
    }
    const auto answer = DialogAnswers.front();
    DialogAnswers.pop_front();
    if (!answer)
        return false;
    dialog.FileName = *answer;
    return true;
}

bool TScriptedPrompts::ExecuteOpenDialog(TFileDialog& dialog)
{
    OpenDialogsShown.push_back(dialog);
    return AnswerDialog(dialog);
}

bool TScriptedPrompts::AskConfirmation(std::string_view text)
{
    return AskWarningYesNo("Confirm", text);
}

bool TScriptedPrompts::ExecuteColorDialog(std::uint32_t& rgb)
{
    if (ColorAnswers.empty()) {
        ADD_FAILURE() << "unexpected colour dialog";
        return false;
    }
    const auto answer = ColorAnswers.front();
    ColorAnswers.pop_front();
    if (!answer)
        return false;
    rgb = *answer;
    return true;
}

int TScriptedPrompts::AskForeignChoice()
{
    if (ForeignAnswers.empty()) {
        ADD_FAILURE() << "unexpected foreign-file dialog";
        return 3;
    }
    const int answer = ForeignAnswers.front();
    ForeignAnswers.pop_front();
    return answer;
}

bool TScriptedPrompts::ExecutePrintDialog(TPrintSettings& settings)
{
    if (PrintTo.empty())
        return false;
    settings.OutputFileName = PrintTo;
    return true;
}

bool TScriptedPrompts::ExecuteSaveDialog(TFileDialog& dialog)
{
    SaveDialogsShown.push_back(dialog);
    return AnswerDialog(dialog);
}

} // namespace verdask::test
