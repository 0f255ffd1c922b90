// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Misc.h"

#include "files/Errors.h"

#include <charconv>
#include <filesystem>

namespace verdask {

std::string DirectoryPart(std::string_view path)
{
    const auto separator = path.rfind(PathSeparator);
    return separator == std::string_view::npos ? std::string() : std::string(path.substr(0, separator));
}

std::string FileNamePart(std::string_view path)
{
    const auto separator = path.rfind(PathSeparator);
    return separator == std::string_view::npos ? std::string() : std::string(path.substr(separator + 1));
}

std::string ProgramFileWithExt(std::string_view programPath, std::string_view ext)
{
    const auto separator = programPath.rfind(PathSeparator);
    const auto nameStart = separator == std::string_view::npos ? 0 : separator + 1;
    const auto dot = programPath.rfind('.');
    const auto stemEnd = (dot != std::string_view::npos && dot >= nameStart) ? dot : programPath.size();
    std::string result(programPath.substr(0, stemEnd));
    result += ext;
    return result;
}

std::string FileBeside(std::string_view directory, std::string_view name)
{
    std::string result(directory);
    result += PathSeparator;
    result += name;
    return result;
}

std::string SiblingPath(std::string_view path, std::string_view name)
{
    const auto separator = path.rfind(PathSeparator);
    if (separator == std::string_view::npos)
        return std::string(name);
    return std::string(path.substr(0, separator + 1)) + std::string(name);
}

bool IsSameFile(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

std::optional<std::int32_t> TryTextToInteger(std::string_view text)
{
    // from_chars takes "-" but not "+"; a "+" followed by another sign is no number.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() == '-')
            return std::nullopt;
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::int32_t TextToInteger(std::string_view text)
{
    if (const auto value = TryTextToInteger(text))
        return *value;
    throw EConvertError(text);
}

std::string IntegerToText(std::int64_t value)
{
    return std::to_string(value);
}

} // namespace verdask
