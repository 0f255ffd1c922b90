// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StoredSettings.h"

#include "config/Conf.h"
#include "config/RecentBooks.h"
#include "config/ShelfFolders.h"
#include "files/Errors.h"
#include "files/Misc.h"
#include "files/Prompts.h"
#include "files/SourceEncoding.h"
#include "shell/Commands.h"
#include "shell/FileOpener.h"
#include "shell/InterfaceText.h"
#include "shell/QtStrings.h"
#include "shell/Reader.h"
#include "shell/WindowGeometry.h"

#include <QAction>

#include <algorithm>

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace verdask {

TStoredSettings::TStoredSettings(TConf& conf, std::string programPath, Prompts& prompts)
    : conf_(conf), programPath_(std::move(programPath)), prompts_(prompts)
{
}

// A file that cannot be read, or holds no setting at all, must not keep the window
// from coming up, nor be written over with the defaults at the end: it may be the
// user's settings in a state the user can mend. An empty one is told of once, not
// once a key, and takes the defaults.
void TStoredSettings::Load()
{
    const std::string path = ConfigurationPath(programPath_);
    std::error_code error;
    const auto kind = std::filesystem::status(path, error).type();
    try {
        if (kind != std::filesystem::file_type::not_found && kind != std::filesystem::file_type::regular)
            throw EFOpenError(path, EISDIR);
        conf_.Load(programPath_, prompts_);
    } catch (const EVerdaskError& failure) {
        prompts_.ShowError(std::string(failure.what()) + "\n" + SettingsKeptText(EnglishColumn, path));
        conf_.SetDefaults();
        keepFile_ = true;
        return;
    }
    const std::vector<TConfDefault> keys = ConfDefaults();
    const bool anySetting = std::any_of(keys.begin(), keys.end(), [this](const TConfDefault& key) {
        return !conf_.GetValue(key.Key).empty();
    });
    if (anySetting)
        return;
    if (conf_.Lines().empty()) {
        prompts_.ShowWarning("Warning", EmptySettingsText(EnglishColumn, path));
    } else {
        prompts_.ShowError(SettingsKeptText(EnglishColumn, path));
        keepFile_ = true;
    }
    conf_.SetDefaults();
}

void TStoredSettings::ReadAgainKeeping(int language, const TViewStyle& defaultStyle)
{
    const std::vector<std::string> shelf = ShelfFolders(conf_);
    const bool shelfSubfolders = ShelfSubfolders(conf_);
    conf_.Load(programPath_, prompts_);
    conf_.SetValue(ConfKey::Language, language == EnglishColumn ? "English" : "Russian");
    StoreDefaultStyle(conf_, defaultStyle);
    // Only what differs is written back: a file without the shelf's keys gets none.
    if (ShelfFolders(conf_) != shelf)
        StoreShelfFolders(conf_, shelf);
    if (ShelfSubfolders(conf_) != shelfSubfolders)
        StoreShelfSubfolders(conf_, shelfSubfolders);
}

void TStoredSettings::Save()
{
    conf_.Save(programPath_);
    keepFile_ = false;
}

void TStoredSettings::SaveAtExit()
{
    if (!keepFile_)
        Save();
}

std::int32_t TStoredSettings::Integer(std::string_view key)
{
    const std::string value = conf_.GetValue(key);
    if (const auto number = TryTextToInteger(value))
        return *number;
    ReportBadSetting(key, EConvertError(FromWindows1251(value).toStdString()).what(), DefaultValueOf(key));
    return TextToInteger(DefaultValueOf(key));
}

int TStoredSettings::Language() const
{
    return conf_.GetValue(ConfKey::Language) == "English" ? EnglishColumn : RussianColumn;
}

// Told in the language the file asks for: the window has not taken it yet.
void TStoredSettings::ReportBadSetting(std::string_view key, const std::string& what, std::string_view healed)
{
    prompts_.ShowError(what + "\n" + BadSettingText(Language(), key, ConfigurationPath(programPath_)));
    conf_.SetValue(key, healed);
}

void TStoredSettings::CheckSourceEncoding()
{
    const std::string value = conf_.GetValue(ConfKey::SourceEncoding);
    if (value.empty() || EncodingNamed(value))
        return;
    ReportBadSetting(ConfKey::SourceEncoding, UnknownEncodingText(Language(), FromWindows1251(value).toStdString()),
                     DefaultValueOf(ConfKey::SourceEncoding));
}

QRect TStoredSettings::Geometry()
{
    const int left = Integer(ConfKey::Left);
    const int top = Integer(ConfKey::Top);
    const int width = Integer(ConfKey::Width);
    const int height = Integer(ConfKey::Height);
    return QRect(left, top, std::max(width, 1), std::max(height, 1));
}

std::optional<int> TStoredSettings::ZoomPercent()
{
    const std::string value = conf_.GetValue(ConfKey::Zoom);
    if (value.empty())
        return std::nullopt;
    if (const auto percent = TryTextToInteger(value))
        return *percent;
    ReportBadSetting(ConfKey::Zoom, EConvertError(FromWindows1251(value).toStdString()).what(), "100");
    return std::nullopt;
}

TReaderLook TStoredSettings::Look()
{
    TReaderLook look;
    const std::string theme = conf_.GetValue(ConfKey::Theme);
    if (const auto named = ThemeNamed(theme))
        look.Theme = *named;
    else if (!theme.empty())
        ReportBadSetting(ConfKey::Theme, UnknownThemeText(Language(), FromWindows1251(theme).toStdString()),
                         ThemeName(look.Theme));
    const std::string margins = conf_.GetValue(ConfKey::Margins);
    if (const auto percent = TryTextToInteger(margins))
        look.MarginPercent = std::clamp(*percent, NoMargins, WidestMargins);
    else if (!margins.empty())
        ReportBadSetting(ConfKey::Margins, EConvertError(FromWindows1251(margins).toStdString()).what(),
                         IntegerToText(look.MarginPercent));
    return look;
}

TViewStyle TStoredSettings::ApplyAtStart(TWindowGeometry& geometry, TCommands& commands, TReader& reader,
                                         TFileOpener& opener)
{
    CheckSourceEncoding();
    const QRect outer = Geometry();
    geometry.Restore(outer, conf_.GetValue(ConfKey::Maximized) != "No");
    commands.Action(Language() == EnglishColumn ? TCommand::English : TCommand::Russian)->setChecked(true);
    const TViewStyle defaultStyle = LoadDefaultStyle(conf_, [this](std::string_view key, const std::string& reason) {
        ReportBadSetting(key, reason, DefaultValueOf(key));
    });
    if (const auto zoom = ZoomPercent())
        reader.SetZoomPercent(*zoom);
    commands.Action(TCommand::Contents)->setChecked(IsYes(conf_.GetValue(ConfKey::Contents)));
    reader.SetLook(Look());
    reader.SetHyphenation(conf_.GetValue(ConfKey::Hyphenation) != "No");
    commands.Action(TCommand::Hyphenation)->setChecked(reader.Hyphenation());
    opener.SetRecentBooks(RecentBooks(conf_));
    return defaultStyle;
}

void TStoredSettings::StoreAtClose(const TReader& reader, const TFileOpener& opener)
{
    conf_.SetValue(ConfKey::Lastread, reader.CurrentPage());
    // Pages at their actual size need no key, nor a panel never shown.
    if (reader.ZoomPercent() != 100 || !conf_.GetValue(ConfKey::Zoom).empty())
        conf_.SetValue(ConfKey::Zoom, IntegerToText(reader.ZoomPercent()));
    if (reader.ContentsShown() || !conf_.GetValue(ConfKey::Contents).empty())
        conf_.SetValue(ConfKey::Contents, reader.ContentsShown() ? "Yes" : "No");
    const TReaderLook look = reader.Look();
    if (look.Theme != TReaderLook{}.Theme || !conf_.GetValue(ConfKey::Theme).empty())
        conf_.SetValue(ConfKey::Theme, ThemeName(look.Theme));
    if (look.MarginPercent != TReaderLook{}.MarginPercent || !conf_.GetValue(ConfKey::Margins).empty())
        conf_.SetValue(ConfKey::Margins, IntegerToText(look.MarginPercent));
    if (!reader.Hyphenation() || !conf_.GetValue(ConfKey::Hyphenation).empty())
        conf_.SetValue(ConfKey::Hyphenation, reader.Hyphenation() ? "Yes" : "No");
    StoreRecentBooks(conf_, opener.RecentBooks());
}

void TStoredSettings::StoreGeometry(const QRect& outer, bool maximized)
{
    if (maximized) {
        conf_.SetValue(ConfKey::Maximized, "Yes");
        return;
    }
    conf_.SetValue(ConfKey::Maximized, "No");
    conf_.SetValue(ConfKey::Left, IntegerToText(outer.x()));
    conf_.SetValue(ConfKey::Top, IntegerToText(outer.y()));
    conf_.SetValue(ConfKey::Width, IntegerToText(outer.width()));
    conf_.SetValue(ConfKey::Height, IntegerToText(outer.height()));
}

} // namespace verdask
