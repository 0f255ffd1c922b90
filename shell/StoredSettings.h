// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The settings the window takes from its configuration at start and gives back
// at the end. A value the window cannot use is told, with its key and file, and
// healed in the store, so that the file is whole again when it is next written.

#include "shell/ReaderLook.h"
#include "style/ViewStyle.h"

#include <QRect>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace verdask {

class Prompts;
class TCommands;
class TConf;
class TFileOpener;
class TReader;
class TWindowGeometry;

class TStoredSettings {
public:
    // programPath: the executable's path, beside which the configuration lies.
    TStoredSettings(TConf& conf, std::string programPath, Prompts& prompts);

    // Reads the configuration file; one that cannot be read, or holds no setting,
    // is told of, and the defaults taken.
    void Load();
    // Writes the configuration file (the settings dialog's OK).
    void Save();
    // Writes it at the end, unless it could not be read: then it is left as it is.
    void SaveAtExit();

    // Puts the stored settings into the window's parts, in this order, for bad
    // values are told in it: the source encoding, the geometry, the language,
    // the default style (returned), the zoom, the contents panel, the reader's
    // theme and margins, the books read.
    TViewStyle ApplyAtStart(TWindowGeometry& geometry, TCommands& commands, TReader& reader, TFileOpener& opener);
    // Closing: the page being read (the one read last), the zoom, the contents
    // panel, the reader's theme and margins, and the books read.
    void StoreAtClose(const TReader& reader, const TFileOpener& opener);
    // Destruction: the outer geometry, unless the window is maximized.
    void StoreGeometry(const QRect& outer, bool maximized);
    // Reads the file again, for changes made to it meanwhile; the language, the
    // default style and the bookshelf's folders chosen in this run stay this run's.
    void ReadAgainKeeping(int language, const TViewStyle& defaultStyle);

private:
    // The language the file asks for (0 Russian, 1 English).
    int Language() const;
    // A whole number; a bad one is told and its default taken.
    std::int32_t Integer(std::string_view key);
    // A source encoding no encoding is named by is told, and Auto takes its place.
    void CheckSourceEncoding();
    QRect Geometry();
    std::optional<int> ZoomPercent();
    TReaderLook Look();
    void ReportBadSetting(std::string_view key, const std::string& what, std::string_view healed);

    TConf& conf_;
    std::string programPath_;
    Prompts& prompts_;
    bool keepFile_ = false; // unreadable: never written over at the end
};

} // namespace verdask
