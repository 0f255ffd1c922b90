// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Load and Convert as the window runs them: the open and save dialogs, the text
// loaded, and its conversion into a page. While a conversion runs, a progress
// bar stands in the status line, the window's events are let through between
// lines, the commands that would touch the text or its page wait, and a close
// asked for meanwhile is put off until the page is written.

#include "conversion/ConvertAndSave.h"
#include "conversion/Source.h"
#include "files/Prompts.h"

#include <QElapsedTimer>
#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QMainWindow;
class QProgressBar;

namespace verdask {

class TCommands;
class TConf;
struct TViewStyle;

class TTextConverter : public QObject {
    Q_OBJECT

public:
    // saveReadingPosition: runs once a text is chosen, before it is read.
    TTextConverter(QMainWindow& window, TCommands& commands, TConf& conf, Prompts& prompts,
                   std::function<void()> saveReadingPosition);

    // Lets the user choose a text in the open dialog, from "Open directory", and
    // loads it; false when the dialog was cancelled. notATextQuestion: asked
    // before a file that looks like no text is loaded.
    bool ChooseText(std::string_view notATextQuestion);
    // Loads the text at path, as a chosen one.
    bool LoadText(const std::string& path, std::string_view notATextQuestion);
    // Converts the text loaded into a page in style, from the save dialog at
    // "Save directory"; the page written, or nothing when the save was given up.
    std::optional<std::string> Convert(const TViewStyle& style, const TSaveTexts& texts);
    // Runs work that writes a file of the window's as a conversion runs (an
    // export): with the progress bar over size bytes, the events let through, the
    // commands held and a close put off until it ends.
    void RunLikeConversion(std::uint64_t size, const std::function<void(const TConversionEvents&)>& work);

    const TSourceState& Source() const { return source_; }
    // The encoding of the text was told from it, not chosen in the settings.
    bool EncodingDetected() const { return encodingDetected_; }
    // The layout the loaded text is read in was told from it (Auto) or chosen.
    TParagraphLayout LayoutChoice() const { return layoutChoice_; }
    // Reads the loaded text in another layout (Auto: told from it) until the next
    // load; the settings stay as they are. False while it is being converted.
    bool ChooseLayout(TParagraphLayout choice);
    TFileDialog& OpenDialog() { return openDialog_; }
    TFileDialog& SaveDialog() { return saveDialog_; }
    const TFileDialog& OpenDialog() const { return openDialog_; }
    const TFileDialog& SaveDialog() const { return saveDialog_; }

    bool Running() const { return running_; }
    // The window was asked to close meanwhile: it closes once the page is written.
    void CloseWindowAfterwards() { closeAfterwards_ = true; }

private:
    bool Loaded(bool loaded);
    void Begin(std::uint64_t size);
    void End();
    void LetEventsThrough();

    QMainWindow& window_;
    TCommands& commands_;
    TConf& conf_;
    Prompts& prompts_;
    std::function<void()> saveReadingPosition_;
    TSourceState source_;
    bool encodingDetected_ = false;
    TParagraphLayout layoutChoice_ = TParagraphLayout::Auto;
    TFileDialog openDialog_;
    TFileDialog saveDialog_;

    QProgressBar* progress_;
    bool running_ = false;
    bool closeAfterwards_ = false;
    std::uint64_t workSize_ = 0;
    std::uint64_t workDone_ = 0;
    unsigned calls_ = 0;
    QElapsedTimer sinceEvents_;
};

} // namespace verdask
