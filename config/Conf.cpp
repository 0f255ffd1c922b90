// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/Conf.h"

#include "files/Cp1251.h"
#include "files/Errors.h"
#include "files/FileReplacement.h"
#include "files/LineReader.h"
#include "files/Misc.h"
#include "files/Prompts.h"
#include "files/TextFile.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace verdask {
namespace {

std::string_view KeyOf(std::string_view line)
{
    const auto equals = line.find('=');
    return equals == std::string_view::npos ? std::string_view() : line.substr(0, equals);
}

bool HasKey(std::string_view line, std::string_view key)
{
    return line.find('=') != std::string_view::npos && SameText1251(KeyOf(line), key);
}

} // namespace

std::string DefaultFolder()
{
#ifdef _WIN32
    return "C:\\";
#else
    const char* home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? std::string(home) : std::string(1, PathSeparator);
#endif
}

std::vector<TConfDefault> ConfDefaults()
{
    return {
        {ConfKey::OpenDirectory, ""},
        {ConfKey::SaveDirectory, ""},
        {ConfKey::Lastread, ""},
        {ConfKey::LeadingSpaces, "5"},
        {ConfKey::NonBreakingSpaces, "4"},
        {ConfKey::Autodetect, "Yes"},
        {ConfKey::ReplaceNbsps, "Yes"},
        {ConfKey::ReplaceDoubleDash, "Yes"},
        {ConfKey::ReplaceLeadingDash, "Yes"},
        {ConfKey::SameDirectory, "Yes"},
        {ConfKey::Language, "English"},
        {ConfKey::Left, "50"},
        {ConfKey::Top, "50"},
        {ConfKey::Width, "540"},
        {ConfKey::Height, "380"},
        {ConfKey::Maximized, "No"},
        {ConfKey::DefaultFontColor, "#000000"},
        {ConfKey::DefaultBackColor, "#FFFFFF"},
        {ConfKey::DefaultFontName, "Arial"},
        {ConfKey::DefaultFontSize, "14"},
        {ConfKey::DefaultLineHeight, "18"},
        {ConfKey::DefaultLetterSpacing, "1"},
        {ConfKey::DefaultJustification, "0"},
        {ConfKey::DefaultTextWidth, "100"},
        {ConfKey::SourceEncoding, "Auto"},
        {ConfKey::Paragraphs, "Auto"},
    };
}

std::string DefaultValueOf(std::string_view key)
{
    if (SameText1251(key, ConfKey::OpenDirectory) || SameText1251(key, ConfKey::SaveDirectory))
        return DefaultFolder();
    for (const auto& entry : ConfDefaults()) {
        if (SameText1251(key, entry.Key))
            return std::string(entry.Value);
    }
    return {};
}

bool IsYes(std::string_view value)
{
    return value == "Yes";
}

std::string UserConfigurationFolder()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg == PathSeparator)
        return xdg;
    return FileBeside(DefaultFolder(), ".config");
}

std::string ConfigurationPath(std::string_view programPath, FileSystem& fileSystem)
{
    // The package owns an installed program's folder, and a file written there
    // outlives the package's purge: root, who may write there, does not either.
    const bool installed = programPath.starts_with("/usr/") || programPath.starts_with("/opt/");
    if (!installed && fileSystem.CanWriteIn(DirectoryPart(programPath)))
        return ProgramFileWithExt(programPath, ".con");
    return FileBeside(UserConfigurationFolder(), "verdask.con");
}

TConf::TConf(FileSystem& fileSystem) : fileSystem_(&fileSystem)
{
}

std::vector<std::string>::iterator TConf::FindLine(std::string_view key)
{
    return std::find_if(lines_.begin(), lines_.end(), [key](const std::string& line) { return HasKey(line, key); });
}

std::vector<std::string>::const_iterator TConf::FindLine(std::string_view key) const
{
    return std::find_if(lines_.begin(), lines_.end(), [key](const std::string& line) { return HasKey(line, key); });
}

std::string TConf::GetValue(std::string_view key) const
{
    const auto line = FindLine(key);
    if (line == lines_.end())
        return {};
    return line->substr(line->find('=') + 1);
}

void TConf::SetValue(std::string_view key, std::string_view value)
{
    const auto line = FindLine(key);
    if (value.empty()) {
        if (line != lines_.end())
            lines_.erase(line);
        return;
    }
    std::string newLine(key);
    newLine += '=';
    newLine += value;
    if (line != lines_.end())
        *line = std::move(newLine);
    else
        lines_.push_back(std::move(newLine));
}

void TConf::SetDefaults()
{
    for (const auto& entry : ConfDefaults())
        SetValue(entry.Key, DefaultValueOf(entry.Key));
}

void TConf::Load(std::string_view programPath, Prompts& prompts)
{
    const std::string path = ConfigurationPath(programPath, *fileSystem_);
    if (fileSystem_->Exists(path)) {
        LoadFromFile(path);
        return;
    }
    prompts.ShowWarning("Warning", MissingConfigurationWarning);
    SetDefaults();
}

void TConf::Save(std::string_view programPath) const
{
    const std::string path = ConfigurationPath(programPath, *fileSystem_);
    std::error_code ignored; // a folder that cannot be made fails the save below, which says so
    std::filesystem::create_directories(DirectoryPart(path), ignored);
    SaveToFile(path);
}

std::string TConf::FileText() const
{
    std::string text;
    for (const auto& line : lines_) {
        text += line;
        text += LineEnd;
    }
    return text;
}

void TConf::SaveToFile(const std::string& path) const
{
    try {
        ReplaceFileWith(*fileSystem_, path, FileText(), LinkAtTarget::FollowToFile);
    } catch (const EInOutError& error) {
        throw EFCreateError(path, error.Code());
    }
}

void TConf::LoadFromFile(const std::string& path)
{
    std::vector<std::string> lines;
    try {
        TLineReader reader(*fileSystem_, path, LineEnds::AnyBreak);
        std::string line;
        while (reader.ReadLine(line))
            lines.push_back(line);
        reader.Close();
    } catch (const EInOutError& error) {
        throw EFOpenError(path, error.Code());
    }
    lines_ = std::move(lines);
}

} // namespace verdask
