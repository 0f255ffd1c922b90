// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The configuration store: an ordered list of key=value lines, read from and
// written to one text file. The same line format serves the style files.

#include "files/FileSystem.h"

#include <string>
#include <string_view>
#include <vector>

namespace verdask {

class Prompts;

// The keys of the configuration file, spelled exactly as stored.
namespace ConfKey {
inline constexpr std::string_view OpenDirectory = "Open directory";
inline constexpr std::string_view SaveDirectory = "Save directory";
inline constexpr std::string_view Lastread = "Lastread";
inline constexpr std::string_view LeadingSpaces = "Leading spaces";
inline constexpr std::string_view NonBreakingSpaces = "Non-breaking spaces";
inline constexpr std::string_view Autodetect = "Autodetect";
inline constexpr std::string_view ReplaceNbsps = "Replace nbsps";
inline constexpr std::string_view ReplaceDoubleDash = "Replace double dash";
inline constexpr std::string_view ReplaceLeadingDash = "Replace leading dash";
inline constexpr std::string_view SameDirectory = "Same directory";
inline constexpr std::string_view Language = "Language";
inline constexpr std::string_view Left = "Left";
inline constexpr std::string_view Top = "Top";
inline constexpr std::string_view Width = "Width";
inline constexpr std::string_view Height = "Height";
inline constexpr std::string_view Maximized = "Maximized";
inline constexpr std::string_view DefaultFontColor = "DefaultFontColor";
inline constexpr std::string_view DefaultBackColor = "DefaultBackColor";
inline constexpr std::string_view DefaultFontName = "DefaultFontName";
inline constexpr std::string_view DefaultFontSize = "DefaultFontSize";
inline constexpr std::string_view DefaultLineHeight = "DefaultLineHeight";
inline constexpr std::string_view DefaultLetterSpacing = "DefaultLetterSpacing";
inline constexpr std::string_view DefaultJustification = "DefaultJustification";
inline constexpr std::string_view DefaultTextWidth = "DefaultTextWidth";
// "Auto" or the name of an encoding source texts are read in (files/SourceEncoding).
inline constexpr std::string_view SourceEncoding = "Source encoding";
// "Auto" or how texts mark their paragraphs (conversion/Layout): "Indented",
// "One line each", "Blank lines".
inline constexpr std::string_view Paragraphs = "Paragraphs";
// The zoom of every page in the reader, in percent; written when the program ends.
inline constexpr std::string_view Zoom = "Zoom";
// "Yes" when the contents panel is shown beside the page.
inline constexpr std::string_view Contents = "Contents";
// The reader's theme over the pages' colours: "Page" (their own), "Day", "Night"
// or "Sepia"; written when the program ends.
inline constexpr std::string_view Theme = "Theme";
// The margin beside the text in the reader, in per cent of its width on each side.
inline constexpr std::string_view Margins = "Margins";
// "No" when justified pages are shown without hyphenation; else they are hyphenated.
inline constexpr std::string_view Hyphenation = "Hyphenation";
} // namespace ConfKey

struct TConfDefault {
    std::string_view Key;
    std::string_view Value; // empty: SetDefaults removes the key
};

// The folder the folder keys start from: "C:\" on Windows, the user's home elsewhere.
std::string DefaultFolder();

// The 25 keys in the order SetDefaults sets them, with their defaults; the folder
// keys read DefaultFolder() in place of their empty value here.
std::vector<TConfDefault> ConfDefaults();

// The default text of a key of the table above; empty for any other key.
std::string DefaultValueOf(std::string_view key);

// Flags are on only for exactly "Yes".
bool IsYes(std::string_view value);

// The configuration file of a program: its path with the extension ".con", beside
// it. A folder the user cannot write in would lose every setting at each exit, and
// an installed program (under /usr or /opt) never writes beside itself: then it is
// "verdask.con" in the user's configuration folder ($XDG_CONFIG_HOME, else ~/.config).
std::string ConfigurationPath(std::string_view programPath, FileSystem& fileSystem = PlatformFileSystem());

// The user's configuration folder.
std::string UserConfigurationFolder();

inline constexpr std::string_view MissingConfigurationWarning =
    "Configuration file Verdask.con has not been found. Default settings will be used.";

class TConf {
public:
    explicit TConf(FileSystem& fileSystem = PlatformFileSystem());

    // The value of the first line whose key matches, ignoring letter case; empty
    // when there is none.
    std::string GetValue(std::string_view key) const;
    // Replaces the first matching line, or appends one; an empty value removes it.
    void SetValue(std::string_view key, std::string_view value);

    // Reads the program's configuration file, or warns and fills in the defaults.
    void Load(std::string_view programPath, Prompts& prompts);
    void Save(std::string_view programPath) const;
    void SetDefaults();

    // The file's bytes: every line followed by CR LF.
    std::string FileText() const;
    // Replaces the file whole (TFileReplacement): a failure leaves the old file as
    // it was. Throws EFCreateError; Lines stay as they are.
    void SaveToFile(const std::string& path) const;
    // Throws EFOpenError; Lines stay as they were when the file cannot be read.
    void LoadFromFile(const std::string& path);

    const std::vector<std::string>& Lines() const noexcept { return lines_; }

private:
    std::vector<std::string>::iterator FindLine(std::string_view key);
    std::vector<std::string>::const_iterator FindLine(std::string_view key) const;

    FileSystem* fileSystem_;
    std::vector<std::string> lines_;
};

} // namespace verdask
