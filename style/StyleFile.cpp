// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/StyleFile.h"

#include "config/Conf.h"
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
    TViewStyle read;
    read.FontColor = store.GetValue("FontColor");
    read.BackColor = store.GetValue("BackColor");
    read.FontName = store.GetValue("FontName");
    read.FontSize = LowByte(TextToInteger(store.GetValue("FontSize")));
    read.LineHeight = LowByte(TextToInteger(store.GetValue("LineHeight")));
    read.LetterSpacing = LowByte(TextToInteger(store.GetValue("LetterSpacing")));
    read.Justification = store.GetValue("Justification") == "1";
    read.TextWidth = TextToInteger(store.GetValue("TextWidth"));
    style = std::move(read);
}

} // namespace verdask
