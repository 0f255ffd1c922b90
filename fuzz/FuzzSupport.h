// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the fuzz targets share: one temporary folder for the process and files in it.

#include "style/ViewStyle.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace verdask::fuzz {

inline const std::filesystem::path& Folder()
{
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "verdask-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        return std::filesystem::path(pattern);
    }();
    return folder;
}

inline std::string File(std::string_view name)
{
    return (Folder() / name).string();
}

inline void Write(const std::string& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string Read(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// No temporary file of the program is left in the folder.
inline bool NoTemporaryFiles()
{
    return std::none_of(std::filesystem::directory_iterator(Folder()), std::filesystem::directory_iterator(),
                        [](const auto& entry) { return entry.path().filename().string().starts_with("VerdaskTemp."); });
}

// A property that must hold; a failure is a finding.
inline void Require(bool holds)
{
    if (!holds)
        std::abort();
}

// Takes bytes off the front of the fuzzer's input; past its end, zeros.
class TInput {
public:
    TInput(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t Byte()
    {
        if (rest_.empty())
            return 0;
        const auto byte = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return byte;
    }
    std::int32_t Integer()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | Byte();
        return static_cast<std::int32_t>(value);
    }
    // Up to the length the next byte gives, at most limit.
    std::string Text(std::size_t limit)
    {
        const std::size_t length = std::min<std::size_t>({Byte(), limit, rest_.size()});
        std::string text(rest_.substr(0, length));
        rest_.remove_prefix(length);
        return text;
    }
    std::string_view Rest() const { return rest_; }

private:
    std::string_view rest_;
};

// A style of any field values: colours of seven characters beginning with "#" as
// the style editor writes them, a font name of any bytes.
inline TViewStyle StyleFrom(TInput& input)
{
    TViewStyle style;
    style.FontColor = "#" + input.Text(6);
    style.BackColor = "#" + input.Text(6);
    style.FontColor.resize(7, '0');
    style.BackColor.resize(7, '0');
    style.FontName = input.Text(40);
    style.FontSize = input.Byte();
    style.LineHeight = input.Byte();
    style.LetterSpacing = input.Byte();
    style.Justification = (input.Byte() & 1) != 0;
    style.TextWidth = input.Integer();
    return style;
}

inline bool Holds(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

} // namespace verdask::fuzz
