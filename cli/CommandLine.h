// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The arguments of verdask-convert.

#include "conversion/Layout.h"
#include "export/Export.h"
#include "files/SourceEncoding.h"

#include <optional>
#include <string>
#include <vector>

namespace verdask::cli {

struct TCommandLine {
    bool Help = false;
    bool Version = false;
    bool Force = false;
    bool Restyle = false; // Texts are then pages to restyle with the style file
    bool Progress = false; // Texts are then pages and folders whose books are listed
    std::optional<std::string> ConfigPath;
    std::optional<std::string> StylePath;
    std::optional<std::string> OutPath;
    std::optional<std::string> PrintStylePage;
    std::optional<std::string> ContentsPage;
    std::optional<TSourceEncoding> Encoding; // given: also texts that look like no text are converted
    std::optional<TParagraphLayout> Paragraphs;
    std::optional<TBookFormat> To; // nothing: pages
    TExportRequest Book;           // what --title, --author and --lang name
    std::vector<std::string> Texts;
};

extern const char* const UsageText;

// The parsed arguments, or the reason they make no command.
struct TParseResult {
    std::optional<TCommandLine> CommandLine;
    std::string Error;
};

TParseResult ParseCommandLine(const std::vector<std::string>& arguments);

} // namespace verdask::cli
