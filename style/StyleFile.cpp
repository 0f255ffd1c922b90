// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/StyleFile.h"

#include "config/Conf.h"
#include "files/Cp1251.h"
#include "files/Misc.h"

namespace verdask {
namespace {

TConf StyleStore(const TViewStyle& style, FileSystem& fileSystem)
{
    TConf store(fileSystem);
    store.SetValue("FontColor", style.FontColor);
    store.SetValue("BackColor", style.BackColor);
    store.SetValue("FontName", style.FontName);
    store.SetValue("FontSize", IntegerToText(style.FontSize));
    store.SetValue("LineHeight", IntegerToText(style.LineHeight));
    store.SetValue("LetterSpacing", IntegerToText(style.LetterSpacing));
    store.SetValue("Justification", style.Justification ? "1" : "0");
    store.SetValue("TextWidth", IntegerToText(style.TextWidth));
    return store;
}

} // namespace

std::string StyleFileText(const TViewStyle& style)
{
    return StyleStore(style, PlatformFileSystem()).FileText();
}

void WriteStyleFile(const std::string& path, const TViewStyle& style, FileSystem& fileSystem)
{
    StyleStore(style, fileSystem).SaveToFile(path);
}

void ReadStyleFile(const std::string& path, TViewStyle& style, FileSystem& fileSystem)
{
    TConf store(fileSystem);
    store.LoadFromFile(path);
    const auto checked = [&](std::string_view key, std::string (*fault)(std::string_view)) {
        std::string value = store.GetValue(key);
        if (const std::string reason = fault(value); !reason.empty())
            throw EStyleValueError(path, key, reason);
        return value;
    };
    const auto number = [&](std::string_view key, TStyleRange range) {
        const std::string value = store.GetValue(key);
        const auto read = TryTextToInteger(value);
        if (!read)
            throw EStyleValueError(path, key, EConvertError(Windows1251ToUtf8(value)).what());
        return InRange(*read, range);
    };
    TViewStyle read;
    read.FontColor = checked("FontColor", ColorFault);
    read.BackColor = checked("BackColor", ColorFault);
    read.FontName = checked("FontName", FontNameFault);
    read.FontSize = static_cast<std::uint8_t>(number("FontSize", FontSizeRange));
    read.LineHeight = static_cast<std::uint8_t>(number("LineHeight", LineHeightRange));
    read.LetterSpacing = static_cast<std::uint8_t>(number("LetterSpacing", LetterSpacingRange));
    read.Justification = store.GetValue("Justification") == "1";
    read.TextWidth = number("TextWidth", TextWidthRange);
    style = std::move(read);
}

} // namespace verdask
