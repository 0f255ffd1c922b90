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
    style.FontColor = store.GetValue("FontColor");
    style.BackColor = store.GetValue("BackColor");
    style.FontName = store.GetValue("FontName");
    style.FontSize = LowByte(TextToInteger(store.GetValue("FontSize")));
    style.LineHeight = LowByte(TextToInteger(store.GetValue("LineHeight")));
    style.LetterSpacing = LowByte(TextToInteger(store.GetValue("LetterSpacing")));
    style.Justification = store.GetValue("Justification") == "1";
    style.TextWidth = TextToInteger(store.GetValue("TextWidth"));
}

} // namespace verdask
