#include "shell/Style.h"

#include "config/Conf.h"
#include "files/Errors.h"
#include "files/Misc.h"
#include "shell/Controls.h"
#include "shell/InterfaceText.h"
#include "shell/Main.h"
#include "shell/Reader.h"
#include "shell/Text.h"
#include "shell/WebView.h"
#include "style/Colors.h"
#include "style/Restyle.h"
#include "style/StyleCss.h"
#include "style/StyleFile.h"

#include <QComboBox>
#include <QAbstractItemView>
#include <QFontDatabase>
#include <QRegularExpression>
#include <QScrollBar>
#include <QMenu>
#include <QPainter>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace verdask {
namespace {

constexpr int ImageWidth = 22;
constexpr int ImageHeight = 17;

QIcon DrawImage(int index)
{
    QPixmap pixmap(ImageWidth, ImageHeight);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(14);
    painter.setFont(font);
    const QString letter = QString::fromUtf8("\xD0\xAB"); // Ы
    if (index == 0) {
        painter.drawText(pixmap.rect(), Qt::AlignCenter, letter);
    } else if (index == 1) {
        // The letter cut out of a black rectangle.
        QPixmap mask(ImageWidth, ImageHeight);
        mask.fill(Qt::transparent);
        QPainter cut(&mask);
        cut.fillRect(mask.rect().adjusted(2, 1, -2, -1), Qt::black);
        cut.setCompositionMode(QPainter::CompositionMode_Clear);
        cut.setFont(font);
        cut.drawText(mask.rect(), Qt::AlignCenter, letter);
        cut.end();
        painter.drawPixmap(0, 0, mask);
    } else {
        for (int line = 0; line < 5; ++line) {
            const int y = 2 + 3 * line;
            const bool shortLine = index == 3 && line % 2 == 1;
            painter.drawLine(3, y, shortLine ? 3 + 8 : 3 + 16, y);
        }
    }
    painter.end();
    return QIcon(pixmap);
}

constexpr std::string_view StyleFilterForSave = "style files (*.sty)|*.sty";
constexpr std::string_view StyleFilterForLoad = "Style files (*.sty)|*.sty";

} // namespace

QStringList FontList()
{
    // Qt tells faces of one family from several foundries apart as "C059 [urw]";
    // a page can only name the family, so each family is offered once, as a page names it.
    static const QRegularExpression Foundry(QStringLiteral("\\s*\\[[^\\]]*\\]$"));
    QStringList families;
    for (const QString& family : QFontDatabase::families())
        families << QString(family).remove(Foundry);
    families << "Default";
    families.removeDuplicates();
    std::sort(families.begin(), families.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return families;
}

std::string PreviewPage(const TViewStyle& style, std::string_view sampleText)
{
    std::string page = "<HTML><HEAD><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1251\">"
                       "<STYLE TYPE=\"text/css\">";
    page += BodyRule(style);
    page += ParagraphRule(style);
    page += "TABLE { width: " + IntegerToText(style.TextWidth) + "% }";
    page += "</STYLE><SCRIPT language=\"javascript\">function doLoad() {window.focus()}</SCRIPT>"
            "</HEAD><BODY onLoad=\"doLoad()\">";
    const bool table = style.TextWidth != 100;
    if (table)
        page += "<TABLE ALIGN=CENTER><TR><TD>";
    page += sampleText;
    if (table)
        page += "</TD></TR></TABLE>";
    page += "</BODY></HTML>";
    return page;
}

template <typename Command>
void TStyleForm::Guarded(Command&& command)
{
    RunGuarded(mainForm_->Questions(), std::forward<Command>(command));
}

TStyleForm::TStyleForm(TMainForm* mainForm)
    : QDialog(mainForm, Qt::Dialog | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint |
                            Qt::WindowSystemMenuHint | Qt::WindowTitleHint),
      mainForm_(mainForm)
{
    for (int i = 0; i < 4; ++i)
        images_[i] = DrawImage(i);
    resize(726, 505);
    CreateControls();
    const QRect main = mainForm_->frameGeometry();
    move(main.left() + main.width() / 2 - width() / 2, main.top() + main.height() / 2 - height() / 2);
    SetTexts();
    setMinimumSize(400, 250);
    fontUpDown_->setValue(mainForm_->DefaultStyle().FontSize);
    fontCombo_->addItems(FontList());
    // The list opens as wide as its longest name, which the field itself is not.
    int widest = 0;
    for (int i = 0; i < fontCombo_->count(); ++i)
        widest = std::max(widest, fontCombo_->view()->fontMetrics().horizontalAdvance(fontCombo_->itemText(i)));
    fontCombo_->view()->setMinimumWidth(widest + fontCombo_->view()->verticalScrollBar()->sizeHint().width() + 16);
    const TViewStyle style = WithinEditorRanges(StyleToEdit());
    ShowStyleInEditor(style);
    mainForm_->CurrentStyle() = style;
    styleBrowser_->Navigate("about:blank");
    timer1_ = new QTimer(this);
    timer1_->setSingleShot(true);
    timer1_->setInterval(100);
    connect(timer1_, &QTimer::timeout, this, [this] { Guarded([this] { Timer1Timer(); }); });
}

// The style of the shown page. Without a page file (the built-in page), or with a
// head the editor cannot read, it is the default style: the editor always opens.
TViewStyle TStyleForm::StyleToEdit()
{
    const std::string& page = mainForm_->CurrentPage();
    if (page.empty() || !PlatformFileSystem().Exists(page))
        return mainForm_->DefaultStyle();
    try {
        return ReadStyleFromPage(page, mainForm_->DefaultStyle());
    } catch (const EVerdaskError& error) {
        mainForm_->Questions().ShowMessage(PageStyleUnreadableText(mainForm_->LanguageIndex(), error.what()));
        return mainForm_->DefaultStyle();
    }
}

void TStyleForm::CreateControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    auto* bar = new QWidget(this);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    toolBar2_ = new QToolBar(bar);
    toolBar1_ = new QToolBar(bar);
    barLayout->addWidget(toolBar2_);
    barLayout->addWidget(toolBar1_, 1);
    layout->addWidget(bar);

    template1_ = new QMenu(this);
    loadfromfile1_ = template1_->addAction("Load");
    savetofile1_ = template1_->addAction("Save");
    makedefault1_ = template1_->addAction("Make default");
    usedef1_ = template1_->addAction("Use default");
    toolButton1_ = new QToolButton(toolBar2_);
    toolButton1_->setMenu(template1_);
    toolButton1_->setPopupMode(QToolButton::InstantPopup);
    toolButton1_->setAutoRaise(true);
    toolButton3_ = new QToolButton(toolBar2_);
    toolButton3_->setAutoRaise(true);
    toolBar2_->addWidget(toolButton1_);
    toolBar2_->addWidget(toolButton3_);

    fontCombo_ = new QComboBox(toolBar1_);
    fontCombo_->setEditable(true);
    fontCombo_->setInsertPolicy(QComboBox::NoInsert);
    fontCombo_->setFixedWidth(145);
    fontCombo_->setCompleter(nullptr); // a typed name stays as typed
    fontUpDown_ = NumberField(toolBar1_, FontSizeRange.Lowest, FontSizeRange.Highest, 1, 12);
    fontButton_ = new QToolButton(toolBar1_);
    fontButton_->setIcon(images_[0]);
    lineSpaceUpDown_ = NumberField(toolBar1_, LineHeightRange.Lowest, LineHeightRange.Highest, 1, 12);
    letterSpaceUpDown_ = NumberField(toolBar1_, LetterSpacingRange.Lowest, LetterSpacingRange.Highest, 1, 0);
    backColorButton_ = new QToolButton(toolBar1_);
    backColorButton_->setIcon(images_[1]);
    justifyButton_ = new QToolButton(toolBar1_);
    justifyButton_->setIcon(images_[2]);
    widthUpDown_ = NumberField(toolBar1_, TextWidthRange.Lowest, TextWidthRange.Highest, 10, 30);
    for (QWidget* control : std::initializer_list<QWidget*>{fontCombo_, fontUpDown_, fontButton_, lineSpaceUpDown_,
                                                            letterSpaceUpDown_, backColorButton_, justifyButton_,
                                                            widthUpDown_})
        toolBar1_->addWidget(control);
    for (QToolButton* button : {fontButton_, backColorButton_, justifyButton_})
        button->setIconSize(QSize(ImageWidth, ImageHeight));

    styleBrowser_ = new TWebView(this);
    layout->addWidget(styleBrowser_, 1);

    connect(fontButton_, &QToolButton::clicked, this, [this] { Guarded([this] { FontButtonClick(fontButton_); }); });
    connect(backColorButton_, &QToolButton::clicked, this,
            [this] { Guarded([this] { FontButtonClick(backColorButton_); }); });
    connect(justifyButton_, &QToolButton::clicked, this, [this] { Guarded([this] { JustifyButtonClick(); }); });
    connect(toolButton3_, &QToolButton::clicked, this, [this] { Guarded([this] { Apply1Click(); }); });
    connect(loadfromfile1_, &QAction::triggered, this, [this] { Guarded([this] { Loadfromfile1Click(); }); });
    connect(savetofile1_, &QAction::triggered, this, [this] { Guarded([this] { Savetofile1Click(); }); });
    connect(makedefault1_, &QAction::triggered, this, [this] { Guarded([this] { Makedefault1Click(); }); });
    connect(usedef1_, &QAction::triggered, this, [this] { Guarded([this] { Usedef1Click(); }); });
}

void TStyleForm::SetTexts()
{
    const auto text = [this](int row) { return FromWindows1251(mainForm_->Text(row)); };
    toolButton1_->setText(text(30));
    toolButton3_->setText(text(31));
    fontCombo_->setToolTip(text(34));
    fontUpDown_->setToolTip(text(35));
    fontButton_->setToolTip(text(36));
    lineSpaceUpDown_->setToolTip(text(37));
    letterSpaceUpDown_->setToolTip(text(38));
    backColorButton_->setToolTip(text(39));
    justifyButton_->setToolTip(text(48));
    widthUpDown_->setToolTip(text(49));
    loadfromfile1_->setText(text(17));
    savetofile1_->setText(text(14));
    makedefault1_->setText(text(32));
    usedef1_->setText(text(47));
    setWindowTitle(text(40));
}

void TStyleForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!connected_ && !timer1_->isActive())
        timer1_->start();
}

void TStyleForm::ConnectChanges()
{
    const auto changed = [this] { Guarded([this] { PreviewButtonClick(); }); };
    connect(fontCombo_, &QComboBox::currentTextChanged, this, changed);
    for (QSpinBox* field : {fontUpDown_, lineSpaceUpDown_, letterSpaceUpDown_, widthUpDown_})
        connect(field, &QSpinBox::valueChanged, this, changed);
}

void TStyleForm::Timer1Timer()
{
    timer1_->stop();
    if (connected_)
        return;
    connected_ = true;
    ConnectChanges();
    PreviewButtonClick();
}

void TStyleForm::ShowStyleInEditor(TViewStyle style)
{
    workingFontColor_ = style.FontColor;
    workingBackColor_ = style.BackColor;
    fontCombo_->setEditText(FromWindows1251(style.FontName));
    fontUpDown_->setValue(style.FontSize);
    lineSpaceUpDown_->setValue(style.LineHeight);
    letterSpaceUpDown_->setValue(style.LetterSpacing);
    justifyButton_->setIcon(images_[style.Justification ? 3 : 2]);
    widthUpDown_->setValue(style.TextWidth);
}

void TStyleForm::PreviewButtonClick()
{
    TViewStyle& style = mainForm_->CurrentStyle();
    style.FontColor = workingFontColor_;
    style.BackColor = workingBackColor_;
    style.FontName = ToWindows1251(fontCombo_->currentText());
    style.FontSize = LowByte(fontUpDown_->value());
    style.LineHeight = LowByte(lineSpaceUpDown_->value());
    style.LetterSpacing = LowByte(letterSpaceUpDown_->value());
    style.TextWidth = widthUpDown_->value();
    RenderPreview(style);
}

void TStyleForm::RenderPreview(const TViewStyle& style)
{
    previewText_ = PreviewPage(style, mainForm_->SampleText());
    styleBrowser_->ShowPageText(previewText_);
}

void TStyleForm::FontButtonClick(QToolButton* sender)
{
    std::string& colour = sender == fontButton_ ? workingFontColor_ : workingBackColor_;
    std::uint32_t rgb = StyleColorToRgb(colour);
    if (!mainForm_->Questions().ExecuteColorDialog(rgb))
        return;
    colour = RgbToStyleColor(rgb);
    PreviewButtonClick();
}

void TStyleForm::JustifyButtonClick()
{
    TViewStyle& style = mainForm_->CurrentStyle();
    style.Justification = !style.Justification;
    justifyButton_->setIcon(images_[style.Justification ? 3 : 2]);
    RenderPreview(style);
}

void TStyleForm::Loadfromfile1Click()
{
    // The presets shipped beside the program come first; saved styles are beside the settings.
    const std::string presets = FileBeside(DirectoryPart(mainForm_->ProgramPath()), "presets");
    std::error_code noFolder;
    openDialog_.InitialDir = std::filesystem::is_directory(presets, noFolder)
                                 ? presets
                                 : DirectoryPart(ConfigurationPath(mainForm_->ProgramPath()));
    openDialog_.Filter = StyleFilterForLoad;
    openDialog_.DefaultExt = "sty";
    if (!mainForm_->Questions().ExecuteOpenDialog(openDialog_))
        return;
    TViewStyle read;
    ReadStyleFile(openDialog_.FileName, read); // a file with a bad number changes nothing
    TViewStyle& style = mainForm_->CurrentStyle();
    style = WithinEditorRanges(read);
    ShowStyleInEditor(style);
    RenderPreview(style);
}

void TStyleForm::Savetofile1Click()
{
    saveDialog_.InitialDir = DirectoryPart(ConfigurationPath(mainForm_->ProgramPath()));
    saveDialog_.Filter = StyleFilterForSave;
    saveDialog_.DefaultExt = "sty";
    if (ChooseFileToWrite())
        WriteStyleFile(saveDialog_.FileName, mainForm_->CurrentStyle());
}

// The save dialog until it names a new file, or an existing one the user agrees to
// replace; false when it is cancelled.
bool TStyleForm::ChooseFileToWrite()
{
    Prompts& prompts = mainForm_->Questions();
    while (prompts.ExecuteSaveDialog(saveDialog_)) {
        if (!PlatformFileSystem().Exists(saveDialog_.FileName) ||
            prompts.AskWarningYesNo(mainForm_->Text(Row::ApplicationTitle),
                                    ReplaceFileQuestion(mainForm_->LanguageIndex(), saveDialog_.FileName)))
            return true;
    }
    return false;
}

void TStyleForm::Makedefault1Click()
{
    if (mainForm_->Questions().AskConfirmation(mainForm_->Text(43)))
        mainForm_->MakeDefaultStyle(mainForm_->CurrentStyle());
}

void TStyleForm::Usedef1Click()
{
    TViewStyle& style = mainForm_->CurrentStyle();
    style = mainForm_->DefaultStyle();
    ShowStyleInEditor(style);
    RenderPreview(style);
}

void TStyleForm::Apply1Click()
{
    const std::string page = mainForm_->CurrentPage();
    if (page.empty()) {
        mainForm_->Questions().ShowMessage(NoPageToRestyleText(mainForm_->LanguageIndex()));
        return;
    }
    TRestyleQuestions questions;
    questions.AskForeignChoice = [this] {
        return static_cast<TForeignChoice>(std::clamp(mainForm_->Questions().AskForeignChoice(), 0, 3));
    };
    questions.AskBackupName = [this, &page]() -> std::optional<std::string> {
        saveDialog_.Filter = "all files (*.*)|*.*";
        saveDialog_.InitialDir = DirectoryPart(page);
        saveDialog_.DefaultExt = "html";
        if (!ChooseFileToWrite())
            return std::nullopt;
        return saveDialog_.FileName;
    };
    // The restyled page keeps the reader's place (where it opened, when the reader
    // has not seen it yet).
    const std::int64_t position = mainForm_->Reader().PositionToStore().value_or(0);
    const TRestyleResult result = RestylePage(page, mainForm_->CurrentStyle(), questions, position);
    if (result.Code != 0) {
        // The row is the program's windows-1251 text, the reason may name a path in
        // the file system's UTF-8: both go out as UTF-8.
        std::string message = FromWindows1251(mainForm_->Text(23)).toStdString() + IntegerToText(result.Code);
        if (!result.Reason.empty())
            message += "\n" + result.Reason;
        mainForm_->Questions().ShowMessage(message);
    }
    if (result.ShowPage)
        mainForm_->ShowPage(page);
    if (result.CloseEditor)
        accept();
}

} // namespace verdask
