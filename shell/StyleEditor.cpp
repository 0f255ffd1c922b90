// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StyleEditor.h"

#include "config/Conf.h"
#include "files/Errors.h"
#include "files/Misc.h"
#include "shell/ErrorReport.h"
#include "shell/InterfaceText.h"
#include "shell/MainWindow.h"
#include "shell/NumberField.h"
#include "shell/QtStrings.h"
#include "shell/Reader.h"
#include "shell/WebView.h"
#include "style/Colors.h"
#include "style/Restyle.h"
#include "style/StyleCss.h"
#include "style/StyleFile.h"

#include <QComboBox>
#include <QAbstractItemView>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QRegularExpression>
#include <QScrollBar>
#include <QMenu>
#include <QPainter>
#include <QSpinBox>
#include <QTimer>
#include <QValidator>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace verdask {
namespace {

constexpr int IconWidth = 22;
constexpr int IconHeight = 17;

QIcon DrawIcon(TEditorIcon icon)
{
    QPixmap pixmap(IconWidth, IconHeight);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(14);
    painter.setFont(font);
    const QString letter = QString::fromUtf8("\xD0\xAB"); // Ы
    if (icon == TEditorIcon::FontColor) {
        painter.drawText(pixmap.rect(), Qt::AlignCenter, letter);
    } else if (icon == TEditorIcon::BackColor) {
        // The letter cut out of a black rectangle.
        QPixmap mask(IconWidth, IconHeight);
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
            const bool shortLine = icon == TEditorIcon::Justified && line % 2 == 1;
            painter.drawLine(3, y, shortLine ? 3 + 8 : 3 + 16, y);
        }
    }
    painter.end();
    return QIcon(pixmap);
}

constexpr std::string_view StyleFilterForSave = "style files (*.sty)|*.sty";
constexpr std::string_view StyleFilterForLoad = "Style files (*.sty)|*.sty";

// Refuses, as it is typed or pasted, what no font name holds.
class TFontNameValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& /*position*/) const override
    {
        return FontNameFault(ToWindows1251(input)).empty() ? Acceptable : Invalid;
    }
};

} // namespace

bool DrawsRussianAsItself(const QString& family)
{
    // An alias ("Sans Serif", "Monospace") stands for another face, which a page
    // would not get: the view knows no such family and draws its own default.
    if (QFontInfo(QFont(family)).family() != family)
        return false;
    // A symbol, math or far-eastern face draws a Russian text in other letters.
    return QFontDatabase::writingSystems(family).contains(QFontDatabase::Cyrillic);
}

QStringList FontList()
{
    // Qt tells faces of one family from several foundries apart as "C059 [urw]";
    // a page can only name the family, so each family is offered once, as a page names it.
    static const QRegularExpression Foundry(QStringLiteral("\\s*\\[[^\\]]*\\]$"));
    QStringList families;
    for (const QString& family : QFontDatabase::families()) {
        if (DrawsRussianAsItself(family))
            families << QString(family).remove(Foundry);
    }
    families << "Default";
    families.removeDuplicates();
    // A family whose name a page cannot hold is not offered.
    families.removeIf([](const QString& family) { return !FontNameFault(ToWindows1251(family)).empty(); });
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
void TStyleEditor::Guarded(Command&& command)
{
    RunGuarded(mainWindow_->Questions(), std::forward<Command>(command));
}

TStyleEditor::TStyleEditor(TMainWindow* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint |
                            Qt::WindowSystemMenuHint | Qt::WindowTitleHint),
      mainWindow_(mainWindow)
{
    for (const TEditorIcon icon : {TEditorIcon::FontColor, TEditorIcon::BackColor, TEditorIcon::Ragged, TEditorIcon::Justified})
        icons_[static_cast<std::size_t>(icon)] = DrawIcon(icon);
    resize(726, 505);
    CreateControls();
    const QRect main = mainWindow_->frameGeometry();
    move(main.left() + main.width() / 2 - width() / 2, main.top() + main.height() / 2 - height() / 2);
    SetTexts();
    setMinimumSize(400, 250);
    fontSize_->setValue(mainWindow_->DefaultStyle().FontSize);
    fontName_->addItems(FontList());
    // Each name is drawn in its own face, and the list opens as wide as its
    // longest name, which the field itself is not.
    int widest = 0;
    for (int i = 0; i < fontName_->count(); ++i) {
        QFont face = fontName_->view()->font();
        if (fontName_->itemText(i) != QStringLiteral("Default"))
            face.setFamily(fontName_->itemText(i));
        fontName_->setItemData(i, face, Qt::FontRole);
        widest = std::max(widest, QFontMetrics(face).horizontalAdvance(fontName_->itemText(i)));
    }
    fontName_->view()->setMinimumWidth(widest + fontName_->view()->verticalScrollBar()->sizeHint().width() + 16);
    const TViewStyle style = WithinEditorRanges(StyleToEdit());
    ShowStyleInEditor(style);
    mainWindow_->CurrentStyle() = style;
    preview_->Navigate("about:blank");
    firstPreview_ = new QTimer(this);
    firstPreview_->setSingleShot(true);
    firstPreview_->setInterval(100);
    connect(firstPreview_, &QTimer::timeout, this, [this] { Guarded([this] { StartLivePreview(); }); });
}

// The style of the shown page. Without a page file (the built-in page), or with a
// head the editor cannot read, it is the default style: the editor always opens.
TViewStyle TStyleEditor::StyleToEdit()
{
    const std::string& page = mainWindow_->CurrentPage();
    if (page.empty() || !PlatformFileSystem().Exists(page))
        return mainWindow_->DefaultStyle();
    try {
        return ReadStyleFromPage(page, mainWindow_->DefaultStyle());
    } catch (const EVerdaskError& error) {
        mainWindow_->Questions().ShowMessage(PageStyleUnreadableText(mainWindow_->LanguageIndex(), error.what()));
        return mainWindow_->DefaultStyle();
    }
}

void TStyleEditor::CreateControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    auto* bar = new QWidget(this);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    fileBar_ = new QToolBar(bar);
    valueBar_ = new QToolBar(bar);
    barLayout->addWidget(fileBar_);
    barLayout->addWidget(valueBar_, 1);
    layout->addWidget(bar);

    styleMenu_ = new QMenu(this);
    loadStyle_ = styleMenu_->addAction("Load");
    saveStyle_ = styleMenu_->addAction("Save");
    makeDefault_ = styleMenu_->addAction("Make default");
    useDefault_ = styleMenu_->addAction("Use default");
    styleMenuButton_ = new QToolButton(fileBar_);
    styleMenuButton_->setMenu(styleMenu_);
    styleMenuButton_->setPopupMode(QToolButton::InstantPopup);
    styleMenuButton_->setAutoRaise(true);
    applyButton_ = new QToolButton(fileBar_);
    applyButton_->setAutoRaise(true);
    fileBar_->addWidget(styleMenuButton_);
    fileBar_->addWidget(applyButton_);

    fontName_ = new QComboBox(valueBar_);
    fontName_->setEditable(true);
    fontName_->setInsertPolicy(QComboBox::NoInsert);
    fontName_->setFixedWidth(145);
    fontName_->setCompleter(nullptr); // a typed name stays as typed
    fontName_->setValidator(new TFontNameValidator(fontName_));
    fontSize_ = NumberField(valueBar_, FontSizeRange.Lowest, FontSizeRange.Highest, 1, 12);
    fontColorButton_ = new QToolButton(valueBar_);
    fontColorButton_->setIcon(Icon(TEditorIcon::FontColor));
    lineHeight_ = NumberField(valueBar_, LineHeightRange.Lowest, LineHeightRange.Highest, 1, 12);
    letterSpacing_ = NumberField(valueBar_, LetterSpacingRange.Lowest, LetterSpacingRange.Highest, 1, 0);
    backColorButton_ = new QToolButton(valueBar_);
    backColorButton_->setIcon(Icon(TEditorIcon::BackColor));
    justifyButton_ = new QToolButton(valueBar_);
    justifyButton_->setIcon(Icon(TEditorIcon::Ragged));
    textWidth_ = NumberField(valueBar_, TextWidthRange.Lowest, TextWidthRange.Highest, 10, 30);
    // Lines closer than the letters are high would print over each other.
    connect(fontSize_, &QSpinBox::valueChanged, this,
            [this](int size) { lineHeight_->setMinimum(std::max(LineHeightRange.Lowest, size)); });
    for (QWidget* control : std::initializer_list<QWidget*>{fontName_, fontSize_, fontColorButton_, lineHeight_,
                                                            letterSpacing_, backColorButton_, justifyButton_,
                                                            textWidth_})
        valueBar_->addWidget(control);
    for (QToolButton* button : {fontColorButton_, backColorButton_, justifyButton_})
        button->setIconSize(QSize(IconWidth, IconHeight));

    preview_ = new TWebView(this);
    layout->addWidget(preview_, 1);

    connect(fontColorButton_, &QToolButton::clicked, this, [this] { Guarded([this] { ChooseColor(fontColorButton_); }); });
    connect(backColorButton_, &QToolButton::clicked, this,
            [this] { Guarded([this] { ChooseColor(backColorButton_); }); });
    connect(justifyButton_, &QToolButton::clicked, this, [this] { Guarded([this] { ToggleJustification(); }); });
    connect(applyButton_, &QToolButton::clicked, this, [this] { Guarded([this] { ApplyToPage(); }); });
    connect(loadStyle_, &QAction::triggered, this, [this] { Guarded([this] { LoadStyleFile(); }); });
    connect(saveStyle_, &QAction::triggered, this, [this] { Guarded([this] { SaveStyleFile(); }); });
    connect(makeDefault_, &QAction::triggered, this, [this] { Guarded([this] { MakeDefault(); }); });
    connect(useDefault_, &QAction::triggered, this, [this] { Guarded([this] { UseDefault(); }); });
}

void TStyleEditor::SetTexts()
{
    const auto text = [this](int row) { return FromWindows1251(mainWindow_->Text(row)); };
    styleMenuButton_->setText(text(Row::StyleMenuButton));
    applyButton_->setText(text(Row::Apply));
    fontName_->setToolTip(text(Row::FontHint));
    fontSize_->setToolTip(text(Row::FontSizeHint));
    fontColorButton_->setToolTip(text(Row::FontColorHint));
    lineHeight_->setToolTip(text(Row::LineHeightHint));
    letterSpacing_->setToolTip(text(Row::LetterSpacingHint));
    backColorButton_->setToolTip(text(Row::BackColorHint));
    justifyButton_->setToolTip(text(Row::JustificationHint));
    textWidth_->setToolTip(text(Row::TextWidthHint));
    loadStyle_->setText(text(Row::Load));
    saveStyle_->setText(text(Row::Save));
    makeDefault_->setText(text(Row::MakeDefault));
    useDefault_->setText(text(Row::UseDefault));
    setWindowTitle(text(Row::StyleEditorTitle));
}

void TStyleEditor::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!connected_ && !firstPreview_->isActive())
        firstPreview_->start();
}

void TStyleEditor::ConnectChanges()
{
    const auto changed = [this] { Guarded([this] { PreviewEditedStyle(); }); };
    connect(fontName_, &QComboBox::currentTextChanged, this, changed);
    for (QSpinBox* field : {fontSize_, lineHeight_, letterSpacing_, textWidth_})
        connect(field, &QSpinBox::valueChanged, this, changed);
}

void TStyleEditor::StartLivePreview()
{
    firstPreview_->stop();
    if (connected_)
        return;
    connected_ = true;
    ConnectChanges();
    PreviewEditedStyle();
}

void TStyleEditor::ShowStyleInEditor(TViewStyle style)
{
    workingFontColor_ = style.FontColor;
    workingBackColor_ = style.BackColor;
    fontName_->setEditText(FromWindows1251(style.FontName));
    fontSize_->setValue(style.FontSize);
    lineHeight_->setValue(style.LineHeight);
    letterSpacing_->setValue(style.LetterSpacing);
    justifyButton_->setIcon(Icon(style.Justification ? TEditorIcon::Justified : TEditorIcon::Ragged));
    textWidth_->setValue(style.TextWidth);
}

void TStyleEditor::PreviewEditedStyle()
{
    TViewStyle& style = mainWindow_->CurrentStyle();
    style.FontColor = workingFontColor_;
    style.BackColor = workingBackColor_;
    style.FontName = ToWindows1251(fontName_->currentText());
    style.FontSize = ByteInRange(fontSize_->value(), FontSizeRange);
    style.LineHeight = ByteInRange(lineHeight_->value(), LineHeightRange);
    style.LetterSpacing = ByteInRange(letterSpacing_->value(), LetterSpacingRange);
    style.TextWidth = textWidth_->value();
    RenderPreview(style);
}

void TStyleEditor::RenderPreview(const TViewStyle& style)
{
    previewText_ = PreviewPage(style, mainWindow_->SampleText());
    preview_->ShowPageText(previewText_);
}

void TStyleEditor::ChooseColor(QToolButton* button)
{
    std::string& colour = button == fontColorButton_ ? workingFontColor_ : workingBackColor_;
    std::uint32_t rgb = StyleColorToRgb(colour);
    if (!mainWindow_->Questions().ExecuteColorDialog(rgb))
        return;
    colour = RgbToStyleColor(rgb);
    PreviewEditedStyle();
}

void TStyleEditor::ToggleJustification()
{
    TViewStyle& style = mainWindow_->CurrentStyle();
    style.Justification = !style.Justification;
    justifyButton_->setIcon(Icon(style.Justification ? TEditorIcon::Justified : TEditorIcon::Ragged));
    RenderPreview(style);
}

void TStyleEditor::LoadStyleFile()
{
    // The presets shipped beside the program come first; saved styles are beside the settings.
    const std::string presets = FileBeside(DirectoryPart(mainWindow_->ProgramPath()), "presets");
    std::error_code noFolder;
    openDialog_.InitialDir = std::filesystem::is_directory(presets, noFolder)
                                 ? presets
                                 : DirectoryPart(ConfigurationPath(mainWindow_->ProgramPath()));
    openDialog_.Filter = StyleFilterForLoad;
    openDialog_.DefaultExt = "sty";
    if (!mainWindow_->Questions().ExecuteOpenDialog(openDialog_))
        return;
    TViewStyle read;
    ReadStyleFile(openDialog_.FileName, read); // a file with a bad number changes nothing
    TViewStyle& style = mainWindow_->CurrentStyle();
    style = WithinEditorRanges(read);
    ShowStyleInEditor(style);
    RenderPreview(style);
}

void TStyleEditor::SaveStyleFile()
{
    saveDialog_.InitialDir = DirectoryPart(ConfigurationPath(mainWindow_->ProgramPath()));
    saveDialog_.Filter = StyleFilterForSave;
    saveDialog_.DefaultExt = "sty";
    if (ChooseFileToWrite())
        WriteStyleFile(saveDialog_.FileName, mainWindow_->CurrentStyle());
}

// The save dialog until it names a new file, or an existing one the user agrees to
// replace; false when it is cancelled.
bool TStyleEditor::ChooseFileToWrite()
{
    Prompts& prompts = mainWindow_->Questions();
    while (prompts.ExecuteSaveDialog(saveDialog_)) {
        if (!PlatformFileSystem().Exists(saveDialog_.FileName) ||
            prompts.AskWarningYesNo(mainWindow_->Text(Row::ApplicationTitle),
                                    ReplaceFileQuestion(mainWindow_->LanguageIndex(), saveDialog_.FileName)))
            return true;
    }
    return false;
}

void TStyleEditor::MakeDefault()
{
    if (mainWindow_->Questions().AskConfirmation(mainWindow_->Text(Row::MakeDefaultQuestion)))
        mainWindow_->MakeDefaultStyle(mainWindow_->CurrentStyle());
}

void TStyleEditor::UseDefault()
{
    TViewStyle& style = mainWindow_->CurrentStyle();
    style = mainWindow_->DefaultStyle();
    ShowStyleInEditor(style);
    RenderPreview(style);
}

void TStyleEditor::ApplyToPage()
{
    const std::string page = mainWindow_->CurrentPage();
    if (page.empty()) {
        mainWindow_->Questions().ShowMessage(NoPageToRestyleText(mainWindow_->LanguageIndex()));
        return;
    }
    TRestyleQuestions questions;
    questions.AskForeignChoice = [this] {
        return static_cast<TForeignChoice>(std::clamp(mainWindow_->Questions().AskForeignChoice(), 0, 3));
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
    const std::int64_t position = mainWindow_->Reader().PositionToStore().value_or(0);
    const TRestyleResult result = RestylePage(page, mainWindow_->CurrentStyle(), questions, position);
    if (result.Code != 0) {
        // The row is the program's windows-1251 text, the reason may name a path in
        // the file system's UTF-8: both go out as UTF-8.
        std::string message = FromWindows1251(mainWindow_->Text(Row::IoErrorCode)).toStdString() + IntegerToText(result.Code);
        if (!result.Reason.empty())
            message += "\n" + result.Reason;
        mainWindow_->Questions().ShowMessage(message);
    }
    if (result.ShowPage)
        mainWindow_->ShowPage(page);
    if (result.CloseEditor)
        accept();
}

} // namespace verdask
