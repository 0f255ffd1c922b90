#include "shell/Main.h"

#include "config/RecentBooks.h"
#include "conversion/Bookmark.h"
#include "conversion/ConvertAndSave.h"
#include "files/Errors.h"
#include "files/FileReplacement.h"
#include "files/Misc.h"
#include "files/SourceEncoding.h"
#include "shell/About.h"
#include "shell/Controls.h"
#include "shell/QtPrompts.h"
#include "shell/Reader.h"
#include "shell/Sett.h"
#include "shell/Style.h"
#include "shell/Text.h"
#include "shell/WebView.h"
#include "style/PageFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QStackedLayout>
#include <QStatusBar>
#include <QTimer>
#include <QTranslator>

#include <filesystem>

namespace verdask {
namespace {

constexpr std::string_view TextFilter = "Text files (*.txt)|*.txt|All files |*.*";
constexpr std::string_view PageFilter = "HTML|*.html";
constexpr std::string_view ReadFilter = "html files (*.html)|*.html|All files |*.*";
constexpr int PumpIntervalMs = 30;
constexpr int ProgressSteps = 1000;
constexpr std::size_t LongestListedLine = 4096; // a preview line is cut for the list, not for detection

QString Caption(std::string_view text)
{
    return FromWindows1251(text);
}

} // namespace

template <typename Command>
void TMainForm::Guarded(Command&& command)
{
    RunGuarded(prompts_, std::forward<Command>(command));
}

TMainForm::TMainForm(std::string programPath, Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), programPath_(std::move(programPath)), prompts_(prompts)
{
    // What goes wrong while the window is made is told over it, under its title.
    if (auto* qtPrompts = dynamic_cast<TQtPrompts*>(&prompts_))
        qtPrompts->SetParent(this);
    interfaceText_ = FillInterfaceText();
    setProperty("applicationTitle", Caption(interfaceText_[EnglishColumn][Row::ApplicationTitle]));
    openDialog_.DefaultExt = "txt";
    openDialog_.Filter = TextFilter;
    saveDialog_.DefaultExt = "html";
    saveDialog_.Filter = PageFilter;
    CreateMenu();
    CreateViews();
    FormCreate();
}

TMainForm::~TMainForm()
{
    FormDestroy();
}

void TMainForm::CreateMenu()
{
    auto* bar = menuBar();
    menu_.File1 = bar->addMenu("File");
    menu_.Load1 = menu_.File1->addAction("Load");
    menu_.Convert1 = menu_.File1->addAction("Convert and save");
    menu_.Loadconvertandsave1 = menu_.File1->addAction("Load, convert and save");
    menu_.Loadconvertandsave1->setShortcut(QKeySequence(Qt::Key_F2));
    menu_.Read1 = menu_.File1->addAction("Read");
    menu_.Read1->setShortcuts({QKeySequence(Qt::Key_F3), QKeySequence(Qt::CTRL | Qt::Key_O)});
    menu_.Recent1 = menu_.File1->addMenu("Recent books");
    menu_.Print1 = menu_.File1->addAction("Print");
    menu_.Print1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    menu_.Load1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    menu_.File1->addSeparator();
    menu_.Style1 = menu_.File1->addAction("Style");
    menu_.File1->addSeparator();
    menu_.Exit1 = menu_.File1->addAction("Exit");

    menu_.View1 = bar->addMenu("View");
    menu_.Contents1 = menu_.View1->addAction("Contents");
    menu_.Contents1->setCheckable(true);
    menu_.Contents1->setShortcut(QKeySequence(Qt::Key_F9));
    menu_.Find1 = menu_.View1->addAction("Find");
    menu_.Find1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    menu_.View1->addSeparator();
    menu_.ZoomIn1 = menu_.View1->addAction("Zoom in");
    // Ctrl and the key of plus, with or without Shift.
    menu_.ZoomIn1->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    menu_.ZoomOut1 = menu_.View1->addAction("Zoom out");
    menu_.ZoomOut1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    menu_.ActualSize1 = menu_.View1->addAction("Actual size");
    menu_.ActualSize1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));

    menu_.Setup1 = bar->addMenu("Setup");
    menu_.Language1 = menu_.Setup1->addMenu("Language");
    languageGroup_ = new QActionGroup(this);
    languageGroup_->setExclusive(true);
    menu_.Russian1 = menu_.Language1->addAction(QString::fromUtf8("Русский"));
    menu_.English1 = menu_.Language1->addAction("English");
    for (QAction* item : {menu_.Russian1, menu_.English1}) {
        item->setCheckable(true);
        languageGroup_->addAction(item);
    }
    menu_.Russian1->setChecked(true);
    menu_.Settings1 = menu_.Setup1->addAction("Settings");

    menu_.Help1 = bar->addMenu("Help");
    menu_.Viewreadmefile1 = menu_.Help1->addAction("View readme file");
    menu_.Viewreadmefile1->setShortcut(QKeySequence(Qt::Key_F1));
    menu_.About1 = menu_.Help1->addAction("About...");

    connect(menu_.Load1, &QAction::triggered, this, [this] { Guarded([this] { ChangePgmState(menu_.Load1); }); });
    connect(menu_.Convert1, &QAction::triggered, this,
            [this] { Guarded([this] { ChangePgmState(menu_.Convert1); }); });
    connect(menu_.Loadconvertandsave1, &QAction::triggered, this,
            [this] { Guarded([this] { Loadconvertandsave1Click(); }); });
    connect(menu_.Read1, &QAction::triggered, this, [this] { Guarded([this] { Read1Click(); }); });
    connect(menu_.Exit1, &QAction::triggered, this, [this] { Guarded([this] { Exit1Click(); }); });
    connect(menu_.Print1, &QAction::triggered, this, [this] { Guarded([this] { Print1Click(); }); });
    connect(menu_.About1, &QAction::triggered, this, [this] { Guarded([this] { About1Click(); }); });
    connect(menu_.Settings1, &QAction::triggered, this, [this] { Guarded([this] { Settings1Click(); }); });
    connect(menu_.Style1, &QAction::triggered, this, [this] { Guarded([this] { Style1Click(); }); });
    connect(menu_.Viewreadmefile1, &QAction::triggered, this,
            [this] { Guarded([this] { Viewreadmefile1Click(); }); });
    connect(languageGroup_, &QActionGroup::triggered, this,
            [this](QAction* item) { Guarded([this, item] { Russian1Click(item); }); });
    connect(menu_.Recent1, &QMenu::aboutToShow, this, &TMainForm::FillRecentMenu);
    connect(menu_.Find1, &QAction::triggered, this, [this] {
        ShowBrowser();
        reader_->OpenFindBar();
    });
    connect(menu_.Contents1, &QAction::toggled, this, [this](bool shown) {
        ShowBrowser();
        reader_->ShowContents(shown);
    });
    connect(menu_.ZoomIn1, &QAction::triggered, this, [this] { reader_->StepZoom(1); });
    connect(menu_.ZoomOut1, &QAction::triggered, this, [this] { reader_->StepZoom(-1); });
    connect(menu_.ActualSize1, &QAction::triggered, this, [this] { reader_->SetZoomPercent(100); });
}

// The pages read last whose files are there; choosing one reads it as Read does.
void TMainForm::FillRecentMenu()
{
    menu_.Recent1->clear();
    const std::vector<std::string> books = ExistingBooks(recentBooks_);
    for (std::size_t i = 0; i < books.size(); ++i) {
        const std::string& book = books[i];
        const QString name = FromPath(FileNamePart(book)).replace('&', QStringLiteral("&&"));
        QAction* item = menu_.Recent1->addAction(QStringLiteral("&%1  %2").arg((i + 1) % 10).arg(name));
        item->setToolTip(FromPath(book));
        item->setStatusTip(FromPath(book));
        connect(item, &QAction::triggered, this, [this, book] {
            Guarded([this, book] {
                if (converting_)
                    return;
                SaveReadingPosition();
                ReadPage(book);
            });
        });
    }
    if (books.empty())
        menu_.Recent1->addAction(QString::fromStdString(ReaderText(LanguageIndex(), TReaderText::NoRecentBooks)))
            ->setEnabled(false);
    menu_.Recent1->setToolTipsVisible(true);
}

void TMainForm::CreateViews()
{
    auto* central = new QWidget(this);
    views_ = new QStackedLayout(central);
    views_->setContentsMargins(5, 5, 5, 5);
    listBox_ = new QListWidget(central);
    QFont courier("Courier");
    courier.setStyleHint(QFont::TypeWriter);
    courier.setFixedPitch(true);
    courier.setPixelSize(12);
    listBox_->setFont(courier);
    listBox_->setUniformItemSizes(true);
    listBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listBox_->setTextElideMode(Qt::ElideRight);
    reader_ = new TReader(prompts_, central);
    connect(reader_, &TReader::PageDropped, this, &TMainForm::ForgetDroppedPage);
    views_->addWidget(listBox_);
    views_->addWidget(reader_);
    setCentralWidget(central);

    progress_ = new QProgressBar(this);
    progress_->setRange(0, ProgressSteps);
    progress_->setTextVisible(false);
    progress_->setMaximumHeight(12);
    encodingLabel_ = new QLabel(this);
    statusBar()->addWidget(encodingLabel_);
    positionLabel_ = new QLabel(this);
    statusBar()->addWidget(positionLabel_);
    connect(reader_, &TReader::PositionChanged, this, &TMainForm::ShowPosition);
    connect(reader_, &TReader::CurrentPageChanged, this, &TMainForm::CurrentPageChanged);
    setAcceptDrops(true);
    statusBar()->addPermanentWidget(progress_, 1);
    progress_->hide();
    encodingLabel_->hide();
}

void TMainForm::FormCreate()
{
    try {
        conf_.Load(programPath_, prompts_);
    } catch (const EVerdaskError& error) {
        // A configuration file that cannot be read must not keep the window from coming up.
        prompts_.ShowError(error.what());
        conf_.SetDefaults();
    }
    menu_.Exit1->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_X), QKeySequence(Qt::CTRL | Qt::Key_Q)});
    ApplyStartupSettings();
    ShowBrowser();
    menu_.Load1->setEnabled(true);
    menu_.Convert1->setEnabled(false);
    readmePath_ = FileBeside(DirectoryPart(programPath_), "readme.html");
    Guarded([this] { Viewreadmefile1Click(); });
    setMinimumSize(320, 250);
}

std::int32_t TMainForm::IntegerSetting(std::string_view key)
{
    const std::string value = conf_.GetValue(key);
    if (const auto number = TryTextToInteger(value))
        return *number;
    ReportBadSetting(key, EConvertError(FromWindows1251(value).toStdString()).what(), DefaultValueOf(key));
    return TextToInteger(DefaultValueOf(key));
}

// The language the configuration file asks for, before the window has taken it.
int TMainForm::FileLanguage() const
{
    return conf_.GetValue(ConfKey::Language) == "English" ? EnglishColumn : RussianColumn;
}

// A setting that holds what it cannot is told, with which key of which file it
// is, and replaced in the store, so that the file is whole again at the next save.
void TMainForm::ReportBadSetting(std::string_view key, const std::string& what, std::string_view healed)
{
    prompts_.ShowError(what + "\n" + BadSettingText(FileLanguage(), key, ConfigurationPath(programPath_)));
    conf_.SetValue(key, healed);
}

// A "Source encoding" no encoding is named by is told, and Auto takes its place.
void TMainForm::CheckEncodingSetting()
{
    const std::string value = conf_.GetValue(ConfKey::SourceEncoding);
    if (value.empty() || EncodingNamed(value))
        return;
    ReportBadSetting(ConfKey::SourceEncoding, UnknownEncodingText(FileLanguage(), FromWindows1251(value).toStdString()),
                     DefaultValueOf(ConfKey::SourceEncoding));
}

// "Zoom" is absent until the program first ends; a bad one is told and healed.
void TMainForm::ApplyZoomSetting()
{
    const std::string value = conf_.GetValue(ConfKey::Zoom);
    if (value.empty())
        return;
    if (const auto percent = TryTextToInteger(value)) {
        reader_->SetZoomPercent(*percent);
        return;
    }
    ReportBadSetting(ConfKey::Zoom, EConvertError(FromWindows1251(value).toStdString()).what(), "100");
}

void TMainForm::ApplyStartupSettings()
{
    headerEndMarker_ = verdask::HeaderEndMarker;
    CheckEncodingSetting();
    const int left = IntegerSetting(ConfKey::Left);
    const int top = IntegerSetting(ConfKey::Top);
    const int width = IntegerSetting(ConfKey::Width);
    const int height = IntegerSetting(ConfKey::Height);
    storedGeometry_ = QRect(left, top, std::max(width, 1), std::max(height, 1));
    move(storedGeometry_.topLeft());
    resize(storedGeometry_.size());
    maximizeAtStart_ = conf_.GetValue(ConfKey::Maximized) != "No";
    if (maximizeAtStart_)
        setWindowState(windowState() | Qt::WindowMaximized);
    if (conf_.GetValue(ConfKey::Language) == "English")
        menu_.English1->setChecked(true);
    else
        menu_.Russian1->setChecked(true);
    defaultStyle_ = LoadDefaultStyle(conf_, [this](std::string_view key) { return IntegerSetting(key); });
    ApplyZoomSetting();
    menu_.Contents1->setChecked(IsYes(conf_.GetValue(ConfKey::Contents)));
    recentBooks_ = verdask::RecentBooks(conf_);
    ApplyLanguage();
    sampleText_ = verdask::SampleText();
    noReadmePage_ = verdask::NoReadmePage(HomePageAddress);
}

int TMainForm::LanguageIndex() const
{
    return menu_.Russian1->isChecked() ? RussianColumn : EnglishColumn;
}

const std::string& TMainForm::Text(int row) const
{
    return interfaceText_[static_cast<std::size_t>(LanguageIndex())][static_cast<std::size_t>(row)];
}

void TMainForm::ApplyLanguage()
{
    const int language = LanguageIndex();
    const auto menuCaption = [language](int row) { return QString::fromStdString(MenuCaption(language, row)); };
    const auto readerText = [language](TReaderText which) { return QString::fromStdString(ReaderText(language, which)); };
    ShowTitle();
    menu_.File1->setTitle(menuCaption(Row::File));
    menu_.Language1->setTitle(menuCaption(Row::Language));
    menu_.Settings1->setText(menuCaption(Row::Settings));
    menu_.Exit1->setText(menuCaption(Row::Exit));
    menu_.Help1->setTitle(menuCaption(Row::Help));
    menu_.Viewreadmefile1->setText(menuCaption(Row::ViewReadme));
    menu_.About1->setText(menuCaption(Row::About));
    menu_.Setup1->setTitle(menuCaption(Row::Setup));
    menu_.Load1->setText(menuCaption(Row::Load));
    menu_.Convert1->setText(menuCaption(Row::Convert));
    menu_.Loadconvertandsave1->setText(menuCaption(Row::LoadAndConvert));
    menu_.Print1->setText(menuCaption(Row::Print));
    menu_.Read1->setText(menuCaption(Row::Read));
    menu_.Style1->setText(menuCaption(Row::Style));
    menu_.Recent1->setTitle(readerText(TReaderText::RecentBooks));
    menu_.View1->setTitle(readerText(TReaderText::ViewMenu));
    menu_.Contents1->setText(readerText(TReaderText::Contents));
    menu_.Find1->setText(readerText(TReaderText::Find));
    menu_.ZoomIn1->setText(readerText(TReaderText::ZoomIn));
    menu_.ZoomOut1->setText(readerText(TReaderText::ZoomOut));
    menu_.ActualSize1->setText(readerText(TReaderText::ActualSize));
    reader_->SetLanguage(LanguageIndex());
    ShowSourceEncoding();
    ShowPosition();
    ApplyQtLanguage();
    openDialog_.Title = Text(Row::ChooseTextTitle);
    saveDialog_.Title = Text(Row::Save);
    // The caption of the general error report.
    setProperty("applicationTitle", Caption(Text(Row::ApplicationTitle)));
}

// Qt's own texts (the buttons of message boxes, the file, colour and print
// dialogs, the view's menu) in the program's language, from Qt's translations.
void TMainForm::ApplyQtLanguage()
{
    qtTranslators_.clear(); // a translator leaves the application as it goes
    if (LanguageIndex() != RussianColumn)
        return;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* catalogue : {"qt_ru", "qtwebengine_ru"}) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(QString::fromLatin1(catalogue), folder)) {
            QCoreApplication::installTranslator(translator.get());
            qtTranslators_.push_back(std::move(translator));
        }
    }
}

void TMainForm::Russian1Click(QAction* item)
{
    item->setChecked(true);
    conf_.SetValue(ConfKey::Language, menu_.English1->isChecked() ? "English" : "Russian");
    ApplyLanguage();
}

bool TMainForm::ListShown() const
{
    return views_->currentWidget() == listBox_;
}

// The status line tells the loaded text's encoding under the list, and where the
// reader is under the page.
void TMainForm::ShowList()
{
    views_->setCurrentWidget(listBox_);
    positionLabel_->hide();
    encodingLabel_->show();
    statusBar()->show();
}

void TMainForm::ShowBrowser()
{
    views_->setCurrentWidget(reader_);
    encodingLabel_->hide();
    positionLabel_->show();
    statusBar()->show();
}

void TMainForm::ShowPosition()
{
    const std::int64_t paragraph = reader_->ShownParagraph();
    const std::int64_t paragraphs = reader_->ParagraphCount();
    if (paragraph > 0 && paragraphs > 0)
        positionLabel_->setText(QString::fromStdString(PositionText(LanguageIndex(), paragraph, paragraphs)));
    else
        positionLabel_->clear();
}

// The window's title starts with the name of the page being read.
void TMainForm::ShowTitle()
{
    const QString caption = Caption(Text(Row::MainCaption));
    const std::string& page = reader_->CurrentPage();
    setWindowTitle(page.empty() ? caption : FromPath(FileNamePart(page)) + QStringLiteral(" — ") + caption);
}

void TMainForm::CurrentPageChanged(const QString& path)
{
    ShowTitle();
    ShowPosition();
    // The manual is no book.
    if (!path.isEmpty() && ToPath(path) != readmePath_)
        recentBooks_ = WithRecentBook(recentBooks_, ToPath(path));
}

void TMainForm::SetMenuLoaded()
{
    menu_.Load1->setEnabled(true);
    menu_.Convert1->setEnabled(true);
    menu_.Loadconvertandsave1->setEnabled(false);
    menu_.Print1->setEnabled(false);
    menu_.Style1->setEnabled(false);
}

void TMainForm::SetMenuReady()
{
    menu_.Load1->setEnabled(true);
    menu_.Convert1->setEnabled(false);
    menu_.Loadconvertandsave1->setEnabled(true);
    menu_.Print1->setEnabled(true);
    menu_.Style1->setEnabled(true);
}

void TMainForm::FillListBox()
{
    listBox_->clear();
    for (const auto& line : source_.Preview)
        listBox_->addItem(FromWindows1251(std::string_view(line).substr(0, LongestListedLine)));
}

bool TMainForm::LoadSource()
{
    return TakeLoadedText(verdask::LoadSource(conf_, openDialog_, prompts_, [this] { SaveReadingPosition(); },
                                              source_, NotATextQuestionText(LanguageIndex())));
}

bool TMainForm::LoadSourceFile(const std::string& path)
{
    return TakeLoadedText(verdask::LoadSourceFile(conf_, path, prompts_, [this] { SaveReadingPosition(); }, source_,
                                                  NotATextQuestionText(LanguageIndex())));
}

bool TMainForm::TakeLoadedText(bool loaded)
{
    if (!loaded)
        return false;
    encodingDetected_ = ChosenEncoding(conf_) == TSourceEncoding::Auto;
    FillListBox();
    ShowSourceEncoding();
    return true;
}

void TMainForm::ShowSourceEncoding()
{
    encodingLabel_->setText(QString::fromStdString(
        EncodingUsedText(LanguageIndex(), EncodingName(source_.Encoding.Encoding), encodingDetected_)));
}

void TMainForm::BeginConversion()
{
    converting_ = true;
    for (QAction* command : {menu_.Load1, menu_.Convert1, menu_.Loadconvertandsave1, menu_.Read1, menu_.Style1,
                             menu_.Print1, menu_.Settings1})
        command->setProperty("enabledBeforeConversion", command->isEnabled()), command->setEnabled(false);
    std::error_code error;
    sourceSize_ = std::filesystem::file_size(source_.SourcePath, error);
    if (error)
        sourceSize_ = 0;
    sourceDone_ = 0;
    pumpCalls_ = 0;
    progress_->setValue(0);
    progress_->show();
    statusBar()->show();
    pumpTimer_.start();
}

void TMainForm::EndConversion()
{
    converting_ = false;
    for (QAction* command : {menu_.Load1, menu_.Convert1, menu_.Loadconvertandsave1, menu_.Read1, menu_.Style1,
                             menu_.Print1, menu_.Settings1})
        command->setEnabled(command->property("enabledBeforeConversion").toBool());
    progress_->hide();
    if (closeAfterConversion_)
        QTimer::singleShot(0, this, &QWidget::close);
}

void TMainForm::PumpEvents()
{
    // The rules call this for every line and replacement: look at the clock only now and then.
    if ((++pumpCalls_ & 0xFF) != 0 || pumpTimer_.elapsed() < PumpIntervalMs)
        return;
    if (sourceSize_ > 0)
        progress_->setValue(static_cast<int>(std::min<std::uint64_t>(sourceDone_, sourceSize_) * ProgressSteps /
                                             sourceSize_));
    QCoreApplication::processEvents();
    pumpTimer_.restart();
}

bool TMainForm::ConvertAndSave()
{
    TSaveTexts texts;
    texts.OverwriteQuestion = Text(Row::OverwriteQuestion);
    texts.ChooseAnotherName = Text(Row::ChooseAnotherName);
    TConversionEvents events;
    events.Pending = [this] { PumpEvents(); };
    events.Progress = [this](std::uint64_t done) { sourceDone_ = done; };
    BeginConversion();
    std::optional<std::string> page;
    try {
        page = verdask::ConvertAndSave(conf_, source_, defaultStyle_, saveDialog_, prompts_, texts, events);
    } catch (...) {
        EndConversion();
        throw;
    }
    EndConversion();
    if (!page)
        return false;
    ShowPage(*page);
    ShowBrowser();
    return true;
}

void TMainForm::ChangePgmState(QAction* sender)
{
    if (converting_)
        return;
    if (!textLoaded_) {
        openDialog_.InitialDir = conf_.GetValue(ConfKey::OpenDirectory);
        if (LoadSource()) {
            ShowList();
            SetMenuLoaded();
            textLoaded_ = true;
        }
    } else if (sender == menu_.Load1) {
        textLoaded_ = false;
        ChangePgmState(menu_.Load1);
    } else {
        saveDialog_.InitialDir = conf_.GetValue(ConfKey::SaveDirectory);
        if (ConvertAndSave()) {
            SetMenuReady();
            textLoaded_ = false;
        }
    }
}

void TMainForm::Loadconvertandsave1Click()
{
    if (converting_)
        return;
    SaveReadingPosition();
    openDialog_.InitialDir = conf_.GetValue(ConfKey::OpenDirectory);
    if (!LoadSource())
        return;
    ShowList();
    saveDialog_.InitialDir = conf_.GetValue(ConfKey::SaveDirectory);
    ConvertAndSave();
}

void TMainForm::Read1Click()
{
    if (converting_)
        return;
    SaveReadingPosition();
    openDialog_.InitialDir = conf_.GetValue(ConfKey::OpenDirectory);
    const TFileDialog loadDialog = openDialog_;
    openDialog_.Title = Text(Row::ChoosePageTitle);
    openDialog_.DefaultExt = "html";
    openDialog_.Filter = ReadFilter;
    bool chosen = false;
    try {
        chosen = prompts_.ExecuteOpenDialog(openDialog_);
    } catch (...) {
        openDialog_.Title = loadDialog.Title, openDialog_.DefaultExt = loadDialog.DefaultExt;
        openDialog_.Filter = loadDialog.Filter;
        throw;
    }
    const std::string page = openDialog_.FileName;
    openDialog_.Title = loadDialog.Title;
    openDialog_.DefaultExt = loadDialog.DefaultExt;
    openDialog_.Filter = loadDialog.Filter;
    if (!chosen)
        return;
    ReadPage(page);
}

void TMainForm::ReadPage(const std::string& page)
{
    ShowBrowser();
    textLoaded_ = false;
    SetMenuReady();
    conf_.SetValue(ConfKey::OpenDirectory, DirectoryPart(page));
    ShowPage(page);
}

void TMainForm::OpenFile(const std::string& path)
{
    if (converting_)
        return;
    SaveReadingPosition();
    const QString extension = QFileInfo(FromPath(path)).suffix().toLower();
    if (extension == QLatin1String("html") || extension == QLatin1String("htm"))
        ReadPage(path);
    else
        ConvertFile(path);
}

// Load and convert with the text given: its page is shown, or, when the save is
// given up, the text stays loaded for Convert.
void TMainForm::ConvertFile(const std::string& path)
{
    if (!LoadSourceFile(path))
        return;
    ShowList();
    textLoaded_ = true;
    SetMenuLoaded();
    saveDialog_.InitialDir = conf_.GetValue(ConfKey::SaveDirectory);
    if (ConvertAndSave()) {
        textLoaded_ = false;
        SetMenuReady();
    }
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!converting_ && urls.size() == 1 && urls.front().isLocalFile())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    const std::string path = ToPath(event->mimeData()->urls().front().toLocalFile());
    event->acceptProposedAction();
    // Not within the drop: the file manager waits until it is over, and a
    // conversion may ask questions.
    QTimer::singleShot(0, this, [this, path] { OpenFileGuarded(path); });
}

void TMainForm::OpenFileGuarded(const std::string& path)
{
    Guarded([this, path] { OpenFile(path); });
}

void TMainForm::Viewreadmefile1Click()
{
    ShowBrowser();
    FileSystem& files = PlatformFileSystem();
    const std::string lastRead = conf_.GetValue(ConfKey::Lastread);
    if (!lastRead.empty() && files.Exists(lastRead))
        ShowPage(lastRead);
    else if (files.Exists(readmePath_))
        ShowPage(readmePath_);
    else
        reader_->ShowOther("about:" + noReadmePage_);
}

const std::string& TMainForm::CurrentPage() const
{
    return reader_->CurrentPage();
}

TWebView* TMainForm::WebBrowser1() const
{
    return reader_->View();
}

void TMainForm::ShowPage(const std::string& path)
{
    reader_->ShowPage(path);
    TellOfLeftoverCopies(path);
}

void TMainForm::SaveReadingPosition()
{
    reader_->SaveReadingPosition();
}

// The view stopped on this page: the next start must not open it by itself.
void TMainForm::ForgetDroppedPage(const QString& path)
{
    if (conf_.GetValue(ConfKey::Lastread) == ToPath(path))
        conf_.SetValue(ConfKey::Lastread, "");
}

void TMainForm::TellOfLeftoverCopies(const std::string& page)
{
    // Once a folder in a run: the files stay until the user deals with them.
    if (!foldersChecked_.insert(DirectoryPart(page)).second)
        return;
    const std::vector<std::string> leftovers = LeftoverPageCopies(page);
    if (leftovers.empty())
        return;
    // Told over the shown window: at start the page is shown before the window is.
    QTimer::singleShot(0, this, [this, leftovers] {
        for (const auto& leftover : leftovers)
            prompts_.ShowMessage(LeftoverCopyText(LanguageIndex(), leftover));
    });
}

void TMainForm::MakeDefaultStyle(const TViewStyle& style)
{
    defaultStyle_ = style;
    StoreDefaultStyle(conf_, style);
}

void TMainForm::Settings1Click()
{
    // The file is read again, for changes made to it meanwhile; the language and
    // the default style chosen in this run stay this run's.
    conf_.Load(programPath_, prompts_);
    conf_.SetValue(ConfKey::Language, menu_.English1->isChecked() ? "English" : "Russian");
    StoreDefaultStyle(conf_, defaultStyle_);
    TSettingsForm dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.StoreSettings();
    conf_.Save(programPath_);
}

void TMainForm::Style1Click()
{
    if (converting_)
        return;
    if (styleForm_)
        styleForm_->deleteLater();
    styleForm_ = new TStyleForm(this);
    styleForm_->exec();
}

void TMainForm::ShowHomePage()
{
    reader_->ShowOther(std::string(HomePageAddress));
}

void TMainForm::Print1Click()
{
    reader_->Print();
}

void TMainForm::About1Click()
{
    // Owned by the window; a box left without OK stays until the window goes.
    auto* box = new TAboutForm(this);
    connect(box, &TAboutForm::HomePageRequested, this, &TMainForm::ShowHomePage);
    if (box->exec() == QDialog::Accepted)
        box->deleteLater();
}

void TMainForm::Exit1Click()
{
    close();
}

void TMainForm::FormClose()
{
    if (closingHandled_)
        return;
    closingHandled_ = true;
    // A failure here is reported, and the window still closes.
    Guarded([this] { SaveReadingPosition(); });
    conf_.SetValue(ConfKey::Lastread, reader_->CurrentPage());
    // Pages at their actual size need no key.
    if (reader_->ZoomPercent() != 100 || !conf_.GetValue(ConfKey::Zoom).empty())
        conf_.SetValue(ConfKey::Zoom, IntegerToText(reader_->ZoomPercent()));
    if (reader_->ContentsShown() || !conf_.GetValue(ConfKey::Contents).empty())
        conf_.SetValue(ConfKey::Contents, reader_->ContentsShown() ? "Yes" : "No");
    StoreRecentBooks(conf_, recentBooks_);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (converting_) {
        // The page being written must be finished first; the window closes after it.
        closeAfterConversion_ = true;
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!geometryApplied_) {
        geometryApplied_ = true;
        QTimer::singleShot(0, this, [this] { ApplyStoredGeometry(); });
    }
}

// The stored position and size are the outer ones, frame included. The frame is
// known only once the window manager has framed the shown window, which may take
// a while; without a window manager there is none.
void TMainForm::ApplyStoredGeometry()
{
    constexpr int FrameWaitMs = 1000;
    constexpr int FrameLookMs = 20;
    static_assert(FrameWaitMs % FrameLookMs == 0);
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame.isEmpty() && frameWaits_++ < FrameWaitMs / FrameLookMs) {
        QTimer::singleShot(FrameLookMs, this, [this] { ApplyStoredGeometry(); });
        return;
    }
    if (maximizeAtStart_) {
        if (!isMaximized())
            showMaximized();
        return;
    }
    resize(std::max(storedGeometry_.width() - frame.width(), minimumWidth()),
           std::max(storedGeometry_.height() - frame.height(), minimumHeight()));
    move(storedGeometry_.topLeft());
}

void TMainForm::FormDestroy()
{
    if (isMaximized()) {
        conf_.SetValue(ConfKey::Maximized, "Yes");
    } else {
        const QRect outer = frameGeometry();
        conf_.SetValue(ConfKey::Maximized, "No");
        conf_.SetValue(ConfKey::Left, IntegerToText(outer.x()));
        conf_.SetValue(ConfKey::Top, IntegerToText(outer.y()));
        conf_.SetValue(ConfKey::Width, IntegerToText(outer.width()));
        conf_.SetValue(ConfKey::Height, IntegerToText(outer.height()));
    }
    Guarded([this] { conf_.Save(programPath_); });
}

} // namespace verdask
