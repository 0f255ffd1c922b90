// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/MainWindow.h"

#include "files/Cp1251.h"
#include "files/Misc.h"
#include "files/OwnPage.h"
#include "shell/AboutDialog.h"
#include "shell/BookExport.h"
#include "shell/ErrorReport.h"
#include "shell/FileOpener.h"
#include "shell/LeftoverCopyNotice.h"
#include "shell/QtPrompts.h"
#include "shell/QtStrings.h"
#include "shell/Reader.h"
#include "shell/SettingsDialog.h"
#include "shell/ShelfDialog.h"
#include "shell/StyleEditor.h"
#include "shell/TextConverter.h"
#include "shell/ViewStack.h"
#include "shell/WindowGeometry.h"
#include "style/PageFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>
#include <QStatusBar>

#include <filesystem>

namespace verdask {
namespace {

constexpr std::pair<TCommand, TTheme> ThemeCommands[] = {
    {TCommand::ThemePageOwn, TTheme::PageOwn},
    {TCommand::ThemeDay, TTheme::Day},
    {TCommand::ThemeNight, TTheme::Night},
    {TCommand::ThemeSepia, TTheme::Sepia},
};

constexpr std::pair<TCommand, int> MarginCommands[] = {
    {TCommand::MarginsNone, NoMargins},
    {TCommand::MarginsNarrow, NarrowMargins},
    {TCommand::MarginsWide, WideMargins},
};

// How long the status line tells where a book went.
constexpr int ExportedMessageMs = 15000;

} // namespace

TMainWindow::TMainWindow(std::string programPath, Prompts& prompts, QWidget* parent)
    : QMainWindow(parent),
      programPath_(std::move(programPath)),
      prompts_(prompts),
      settings_(conf_, programPath_, prompts),
      interfaceText_(FillInterfaceText())
{
    // What goes wrong while the window is made is told over it, under its title.
    if (auto* qtPrompts = dynamic_cast<TQtPrompts*>(&prompts_))
        qtPrompts->SetParent(this);
    setProperty("applicationTitle", FromWindows1251(interfaceText_[EnglishColumn][Row::ApplicationTitle]));
    commands_ = new TCommands(*menuBar(), this);
    connect(commands_, &TCommands::Triggered, this, &TMainWindow::RunCommand);
    views_ = new TViewStack(prompts_, *statusBar(), this);
    setCentralWidget(views_);
    reader_ = &views_->Reader();
    connect(reader_, &TReader::PageDropped, this, &TMainWindow::ForgetDroppedPage);
    connect(reader_, &TReader::ShownChanged, this, &TMainWindow::ShowTitle);
    connect(reader_, &TReader::JumpsChanged, this, &TMainWindow::OfferJumps);
    connect(reader_, &TReader::ShownChanged, this, &TMainWindow::OfferExport);
    leftovers_ = new TLeftoverCopyNotice(prompts_, [this] { return LanguageIndex(); }, this);
    converter_ = new TTextConverter(*this, *commands_, conf_, prompts_, [this] { SaveReadingPosition(); });
    connect(views_, &TViewStack::LayoutChosen, this, [this](TParagraphLayout choice) {
        converter_->ChooseLayout(choice);
        views_->ShowLayout(converter_->Source().Layout.Paragraphs, converter_->LayoutChoice());
    });
    opener_ = new TFileOpener(*this, *commands_->Menu(TMenu::RecentBooks), [this] { return Converting(); });
    connect(opener_, &TFileOpener::FileDropped, this, &TMainWindow::OpenFile);
    connect(opener_, &TFileOpener::RecentBookChosen, this, &TMainWindow::ReadChosenBook);
    readmePath_ = FileBeside(DirectoryPart(programPath_), "readme.html");
    opener_->KeepBooksReadIn(*reader_, readmePath_);
    geometry_ = new TWindowGeometry(*this);

    settings_.Load();
    ApplyStartupSettings();
    views_->ShowReader();
    commands_->OfferFor(TProgramState::Ready);
    OfferJumps();
    RunGuarded(prompts_, [this] { ViewReadme(); });
    setMinimumSize(320, 250);
}

TMainWindow::~TMainWindow()
{
    settings_.StoreGeometry(frameGeometry(), isMaximized());
    RunGuarded(prompts_, [this] { settings_.SaveAtExit(); });
}

void TMainWindow::RunCommand(TCommand command)
{
    RunGuarded(prompts_, [this, command] {
        switch (command) {
        case TCommand::Load: return LoadText();
        case TCommand::Convert: return ConvertText();
        case TCommand::LoadAndConvert: return LoadAndConvert();
        case TCommand::Read: return ReadPage();
        case TCommand::Bookshelf: return OpenBookshelf();
        case TCommand::Print: return Print();
        case TCommand::ExportEpub: return ExportBook(TBookFormat::Epub);
        case TCommand::ExportFb2: return ExportBook(TBookFormat::Fb2);
        case TCommand::Style: return EditStyle();
        case TCommand::Exit: return Exit();
        case TCommand::Contents:
            views_->ShowReader();
            return reader_->ShowContents(commands_->Action(TCommand::Contents)->isChecked());
        case TCommand::Find:
            views_->ShowReader();
            return reader_->OpenFindBar();
        case TCommand::Back: return reader_->GoBack();
        case TCommand::Forward: return reader_->GoForward();
        case TCommand::GoTo: return views_->AskWhereToGo();
        case TCommand::ZoomIn: return reader_->StepZoom(1);
        case TCommand::ZoomOut: return reader_->StepZoom(-1);
        case TCommand::ActualSize: return reader_->SetZoomPercent(100);
        case TCommand::ThemePageOwn:
        case TCommand::ThemeDay:
        case TCommand::ThemeNight:
        case TCommand::ThemeSepia:
        case TCommand::NextTheme:
        case TCommand::MarginsNone:
        case TCommand::MarginsNarrow:
        case TCommand::MarginsWide: return ChooseLook(command);
        case TCommand::Hyphenation:
            return reader_->SetHyphenation(commands_->Action(TCommand::Hyphenation)->isChecked());
        case TCommand::Russian: return ChooseLanguage(RussianColumn);
        case TCommand::English: return ChooseLanguage(EnglishColumn);
        case TCommand::Settings: return EditSettings();
        case TCommand::ViewReadme: return ViewReadme();
        case TCommand::About: return ShowAbout();
        }
    });
}

void TMainWindow::ChooseLook(TCommand command)
{
    TReaderLook look = reader_->Look();
    if (command == TCommand::NextTheme)
        look.Theme = NextTheme(look.Theme);
    for (const auto& [item, theme] : ThemeCommands) {
        if (item == command)
            look.Theme = theme;
    }
    for (const auto& [item, margin] : MarginCommands) {
        if (item == command)
            look.MarginPercent = margin;
    }
    reader_->SetLook(look);
    MarkLook();
}

// The theme shown, and the margins nearest the ones shown, carry the check marks.
void TMainWindow::MarkLook()
{
    const TReaderLook& look = reader_->Look();
    for (const auto& [item, theme] : ThemeCommands)
        commands_->Action(item)->setChecked(theme == look.Theme);
    const auto nearest = std::min_element(std::begin(MarginCommands), std::end(MarginCommands),
                                          [&look](const auto& a, const auto& b) {
                                              return std::abs(a.second - look.MarginPercent) <
                                                     std::abs(b.second - look.MarginPercent);
                                          });
    commands_->Action(nearest->first)->setChecked(true);
}

void TMainWindow::ApplyStartupSettings()
{
    headerEndMarker_ = verdask::HeaderEndMarker;
    defaultStyle_ = settings_.ApplyAtStart(*geometry_, *commands_, *reader_, *opener_);
    MarkLook();
    ApplyLanguage();
    sampleText_ = verdask::SampleText();
    noReadmePage_ = verdask::NoReadmePage(HomePageAddress);
}

int TMainWindow::LanguageIndex() const
{
    return commands_->Action(TCommand::Russian)->isChecked() ? RussianColumn : EnglishColumn;
}

const std::string& TMainWindow::Text(int row) const
{
    return interfaceText_[static_cast<std::size_t>(LanguageIndex())][static_cast<std::size_t>(row)];
}

void TMainWindow::ApplyLanguage()
{
    const int language = LanguageIndex();
    ShowTitle();
    commands_->SetLanguage(language);
    views_->SetLanguage(language);
    opener_->SetLanguage(language);
    qtTranslations_.Use(language);
    converter_->OpenDialog().Title = Text(Row::ChooseTextTitle);
    converter_->SaveDialog().Title = Text(Row::Save);
    // The caption of the general error report.
    setProperty("applicationTitle", FromWindows1251(Text(Row::ApplicationTitle)));
}

void TMainWindow::ChooseLanguage(int language)
{
    commands_->Action(language == RussianColumn ? TCommand::Russian : TCommand::English)->setChecked(true);
    conf_.SetValue(ConfKey::Language, language == EnglishColumn ? "English" : "Russian");
    ApplyLanguage();
}

void TMainWindow::OfferJumps()
{
    commands_->Action(TCommand::Back)->setEnabled(reader_->CanGoBack());
    commands_->Action(TCommand::Forward)->setEnabled(reader_->CanGoForward());
}

// Export reads a page of this program, and only such a page.
void TMainWindow::OfferExport()
{
    const std::string shown = reader_->ShownFile();
    commands_->OfferForShownPage(!shown.empty() && IsOwnPage(shown));
}

// The window's title starts with the name of the page being read, or of the page
// a link led to.
void TMainWindow::ShowTitle()
{
    const QString caption = FromWindows1251(Text(Row::MainCaption));
    const QString shown = reader_->ShownName();
    setWindowTitle(shown.isEmpty() ? caption : shown + QStringLiteral(" — ") + caption);
}

// The text loaded is previewed.
bool TMainWindow::ShowLoadedText(bool loaded)
{
    if (loaded)
        views_->ShowText(converter_->Source(), converter_->EncodingDetected(), converter_->LayoutChoice());
    return loaded;
}

bool TMainWindow::Converting() const
{
    return converter_->Running();
}

bool TMainWindow::ConvertAndSave()
{
    // The page may be the one being read: it carries the place it holds now.
    SaveReadingPosition();
    const std::optional<std::string> page =
        converter_->Convert(defaultStyle_, {Text(Row::OverwriteQuestion), Text(Row::ChooseAnotherName)});
    if (!page)
        return false;
    reader_->ShowConvertedPage(*page);
    leftovers_->LookAroundFolderOf(*page);
    views_->ShowReader();
    return true;
}

// The text loaded is previewed and waits for Convert.
void TMainWindow::EnterLoaded()
{
    views_->ShowPreview();
    commands_->OfferFor(TProgramState::Loaded);
    textLoaded_ = true;
}

void TMainWindow::EnterReady()
{
    commands_->OfferFor(TProgramState::Ready);
    textLoaded_ = false;
}

// Load, and Convert with no text waiting. A load given up leaves the menu as it was.
void TMainWindow::LoadIntoPreview()
{
    if (ShowLoadedText(converter_->ChooseText(NotATextQuestionText(LanguageIndex()))))
        EnterLoaded();
}

void TMainWindow::LoadText()
{
    if (Converting())
        return;
    textLoaded_ = false;
    LoadIntoPreview();
}

void TMainWindow::ConvertText()
{
    if (Converting())
        return;
    if (!textLoaded_)
        return LoadIntoPreview();
    if (ConvertAndSave())
        EnterReady();
}

// Changes neither the state nor the menu.
void TMainWindow::LoadAndConvert()
{
    if (Converting())
        return;
    SaveReadingPosition();
    if (!ShowLoadedText(converter_->ChooseText(NotATextQuestionText(LanguageIndex()))))
        return;
    views_->ShowPreview();
    ConvertAndSave();
}

void TMainWindow::ReadPage()
{
    if (Converting())
        return;
    SaveReadingPosition();
    TFileDialog& dialog = converter_->OpenDialog();
    dialog.InitialDir = conf_.GetValue(ConfKey::OpenDirectory);
    if (ChoosePageToRead(prompts_, dialog, Text(Row::ChoosePageTitle)))
        OpenPage(dialog.FileName);
}

// Window-modal, and left at once: the window goes on drawing while the shelf is scanned.
void TMainWindow::OpenBookshelf()
{
    if (Converting() || shelf_)
        return;
    // The shelf reads each book's place from its file: the page being read gives its own first.
    SaveReadingPosition();
    shelf_ = new TShelfDialog(*this);
    shelf_->setAttribute(Qt::WA_DeleteOnClose);
    connect(shelf_, &TShelfDialog::BookChosen, this, &TMainWindow::ReadChosenBook);
    shelf_->open();
}

TShelfDialog* TMainWindow::Bookshelf() const
{
    return shelf_;
}

// A page read from any state: the text waiting, if any, is given up.
void TMainWindow::OpenPage(const std::string& page)
{
    views_->ShowReader();
    EnterReady();
    conf_.SetValue(ConfKey::OpenDirectory, DirectoryPart(page));
    ShowPage(page);
}

void TMainWindow::OpenFile(const std::string& path)
{
    RunGuarded(prompts_, [this, path] {
        if (Converting())
            return;
        if (!PlatformFileSystem().Exists(path))
            return prompts_.ShowError(MissingFileText(LanguageIndex(), path));
        SaveReadingPosition();
        if (NamesAPage(path))
            OpenPage(path);
        else
            ConvertFile(path);
    });
}

// A book chosen from Recent books or the shelf; the shelf's may have gone since it was scanned.
void TMainWindow::ReadChosenBook(const std::string& page)
{
    RunGuarded(prompts_, [this, page] {
        if (!PlatformFileSystem().Exists(page))
            return prompts_.ShowError(MissingFileText(LanguageIndex(), page));
        SaveReadingPosition();
        OpenPage(page);
    });
}

// Load and convert with the text given: its page is shown, or, when the save is
// given up, the text stays loaded for Convert.
void TMainWindow::ConvertFile(const std::string& path)
{
    if (!ShowLoadedText(converter_->LoadText(path, NotATextQuestionText(LanguageIndex()))))
        return;
    EnterLoaded();
    if (ConvertAndSave())
        EnterReady();
}

// The page read last, else the manual, else the page built in.
void TMainWindow::ViewReadme()
{
    views_->ShowReader();
    FileSystem& files = PlatformFileSystem();
    const std::string lastRead = conf_.GetValue(ConfKey::Lastread);
    if (!lastRead.empty() && files.Exists(lastRead))
        ShowPage(lastRead);
    else if (files.Exists(readmePath_))
        ShowPage(readmePath_);
    else
        reader_->ShowOther("about:" + noReadmePage_);
}

const std::string& TMainWindow::CurrentPage() const
{
    return reader_->CurrentPage();
}

void TMainWindow::ShowPage(const std::string& path)
{
    reader_->ShowPage(path);
    leftovers_->LookAroundFolderOf(path);
}

void TMainWindow::SaveReadingPosition()
{
    reader_->SaveReadingPosition();
}

// The view stopped on this page: the next start must not open it by itself.
void TMainWindow::ForgetDroppedPage(const QString& path)
{
    if (conf_.GetValue(ConfKey::Lastread) == ToPath(path))
        conf_.SetValue(ConfKey::Lastread, "");
}

void TMainWindow::MakeDefaultStyle(const TViewStyle& style)
{
    defaultStyle_ = style;
    StoreDefaultStyle(conf_, style);
}

void TMainWindow::EditSettings()
{
    settings_.ReadAgainKeeping(LanguageIndex(), defaultStyle_);
    TSettingsDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.StoreSettings();
    settings_.Save();
}

void TMainWindow::EditStyle()
{
    if (Converting())
        return;
    if (styleEditor_)
        styleEditor_->deleteLater();
    styleEditor_ = new TStyleEditor(this);
    styleEditor_->exec();
}

void TMainWindow::ShowHomePage()
{
    reader_->ShowOther(std::string(HomePageAddress));
}

void TMainWindow::Print()
{
    reader_->Print();
}

void TMainWindow::ExportBook(TBookFormat format)
{
    const std::string page = reader_->ShownFile();
    if (Converting() || page.empty())
        return;
    TFileDialog dialog;
    dialog.Title = Utf8ToHtml1251(ExportTitleText(LanguageIndex(), BookFormatName(format)));
    const std::optional<TBookTarget> book =
        ChooseBookName(prompts_, dialog, page, format, {Text(Row::OverwriteQuestion), Text(Row::ChooseAnotherName)});
    if (!book)
        return;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(page, error);
    TExportRequest request;
    request.Format = format;
    converter_->RunLikeConversion(error ? 0 : size, [&](const TConversionEvents& events) {
        ExportPage(page, book->Path, request, defaultStyle_, events, PlatformFileSystem(), book->Taken);
    });
    statusBar()->showMessage(ToDisplay(ExportedText(LanguageIndex(), book->Path)), ExportedMessageMs);
}

void TMainWindow::ShowAbout()
{
    // Owned by the window; a box left without OK stays until the window goes.
    auto* box = new TAboutDialog(this);
    connect(box, &TAboutDialog::HomePageRequested, this, &TMainWindow::ShowHomePage);
    if (box->exec() == QDialog::Accepted)
        box->deleteLater();
}

void TMainWindow::Exit()
{
    close();
}

// Once, however the window closes; a failure to save the place is reported, and
// the window still closes.
void TMainWindow::StoreSession()
{
    if (sessionStored_)
        return;
    sessionStored_ = true;
    RunGuarded(prompts_, [this] { SaveReadingPosition(); });
    settings_.StoreAtClose(*reader_, *opener_);
}

void TMainWindow::closeEvent(QCloseEvent* event)
{
    if (Converting()) {
        // The page being written must be finished first; the window closes after it.
        converter_->CloseWindowAfterwards();
        event->ignore();
        return;
    }
    StoreSession();
    event->accept();
}

} // namespace verdask
