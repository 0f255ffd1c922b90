// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window: the menus (shell/Commands), the preview of a loaded text and
// the reader, the program's states Ready and Loaded, and what each command does.

#include "config/Conf.h"
#include "export/Export.h"
#include "files/Prompts.h"
#include "shell/Commands.h"
#include "shell/FileOpener.h"
#include "shell/InterfaceText.h"
#include "shell/QtTranslations.h"
#include "shell/StoredSettings.h"
#include "style/ViewStyle.h"

#include <QMainWindow>
#include <QPointer>

#include <string>
#include <vector>

class QDialog;

namespace verdask {

class TLeftoverCopyNotice;
class TReader;
class TShelfDialog;
class TTextConverter;
class TViewStack;
class TWindowGeometry;

class TMainWindow : public QMainWindow {
    Q_OBJECT

public:
    // programPath: the executable's path; its folder holds the configuration file
    // and readme.html. prompts answers every question the window asks.
    TMainWindow(std::string programPath, Prompts& prompts, QWidget* parent = nullptr);
    // Stores the geometry and writes the configuration file.
    ~TMainWindow() override;

    // The commands, by their menu entries (File, View, Settings, Help).
    void LoadText();
    void ConvertText();
    void LoadAndConvert();
    void ReadPage();
    // File > Bookshelf: the books of the shelf's folders, one of which opens at its place.
    void OpenBookshelf();
    void Print();
    // The page shown as a book, under a name the save dialog asks for; the page stays shown.
    void ExportBook(TBookFormat format);
    void EditStyle();
    void Exit();
    void ChooseLanguage(int language);
    // View > Theme, its next theme (F8), and View > Margins.
    void ChooseLook(TCommand command);
    void EditSettings();
    void ViewReadme();
    void ShowAbout();

    // A file from outside (the command line, a drop): a page is read as Read
    // does, any other file loaded and converted as Load and convert does; a
    // failure is reported as every command's is.
    void OpenFile(const std::string& path);
    // The pages read last, most recent first, as File > Recent books offers them.
    const std::vector<std::string>& RecentBooks() const { return opener_->RecentBooks(); }

    // The reader's operations that other commands use: ShowPage makes a page
    // current and shows it, and tells of files earlier versions left beside it.
    void ShowPage(const std::string& path);
    void SaveReadingPosition();
    // The about box's link: the home page in the web view, the current page kept.
    void ShowHomePage();

    // The general error report, for the windows the main window opens.
    void ReportError(std::string_view text) { prompts_.ShowError(text); }
    Prompts& Questions() { return prompts_; }
    const std::string& ProgramPath() const { return programPath_; }
    // The style editor's style, kept from one opening to the next.
    TViewStyle& CurrentStyle() { return currentStyle_; }
    // Make default: new pages are written in this style from now on.
    void MakeDefaultStyle(const TViewStyle& style);

    // The text of a row in the current language.
    const std::string& Text(int row) const;
    int LanguageIndex() const;

    bool TextLoaded() const { return textLoaded_; }
    bool Converting() const;
    const std::string& CurrentPage() const;
    const TViewStyle& DefaultStyle() const { return defaultStyle_; }
    const std::string& HeaderEndMarker() const { return headerEndMarker_; }
    const std::string& SampleText() const { return sampleText_; }
    const std::string& NoReadmePage() const { return noReadmePage_; }
    const std::string& ReadmePath() const { return readmePath_; }
    TConf& Conf() { return conf_; }
    // The text loaded, the open and save dialogs.
    const TTextConverter& Converter() const { return *converter_; }

    const TCommands& Commands() const { return *commands_; }
    const TViewStack& Views() const { return *views_; }
    TReader& Reader() const { return *reader_; }
    // The bookshelf while it is open, else null.
    TShelfDialog* Bookshelf() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void MarkLook();
    void ApplyStartupSettings();
    void ApplyLanguage();
    void RunCommand(TCommand command);

    void LoadIntoPreview();
    bool ShowLoadedText(bool loaded);
    bool ConvertAndSave();
    void OpenPage(const std::string& page);
    void ReadChosenBook(const std::string& page);
    void ConvertFile(const std::string& path);
    void EnterLoaded();
    void EnterReady();
    void StoreSession();

    void ShowTitle();
    void OfferJumps();
    void OfferExport();
    void ForgetDroppedPage(const QString& path);

    std::string programPath_;
    Prompts& prompts_;
    TConf conf_;
    TStoredSettings settings_;
    const TInterfaceText interfaceText_;
    TQtTranslations qtTranslations_;
    bool textLoaded_ = false;
    bool sessionStored_ = false;
    std::string readmePath_;
    std::string headerEndMarker_;
    std::string sampleText_;
    std::string noReadmePage_;
    TViewStyle defaultStyle_;
    TViewStyle currentStyle_;

    TCommands* commands_ = nullptr;
    TViewStack* views_ = nullptr;
    TReader* reader_ = nullptr;
    TLeftoverCopyNotice* leftovers_ = nullptr;
    TTextConverter* converter_ = nullptr;
    TFileOpener* opener_ = nullptr;
    TWindowGeometry* geometry_ = nullptr;
    QPointer<QDialog> styleEditor_;
    QPointer<TShelfDialog> shelf_;
};

} // namespace verdask
