#pragma once

// The main window: the menu, the preview list and the web view, the program
// states Ready and Loaded, and the commands.

#include "config/Conf.h"
#include "conversion/Source.h"
#include "files/Prompts.h"
#include "shell/InterfaceText.h"
#include "style/ViewStyle.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <memory>
#include <set>
#include <vector>
#include <string>

class QAction;
class QDialog;
class QActionGroup;
class QDragEnterEvent;
class QDropEvent;
class QListWidget;
class QMenu;
class QLabel;
class QProgressBar;
class QStackedLayout;
class QTranslator;

namespace verdask {

class TReader;
class TWebView;

class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    // programPath: the executable's path; its folder holds the configuration file
    // and readme.html. prompts answers every question the window asks.
    TMainForm(std::string programPath, Prompts& prompts, QWidget* parent = nullptr);
    // Stores the geometry and writes the configuration file (FormDestroy).
    ~TMainForm() override;

    // The commands, as the menu runs them.
    void ChangePgmState(QAction* sender);
    void Loadconvertandsave1Click();
    void Read1Click();
    void Viewreadmefile1Click();
    void Russian1Click(QAction* item);
    void Exit1Click();
    void Print1Click();
    void About1Click();
    // A file from outside (the command line, a drop): a page is read as Read
    // does, any other file loaded and converted as Load and convert does.
    void OpenFile(const std::string& path);
    // The same, with a failure reported as every command's is.
    void OpenFileGuarded(const std::string& path);
    // The pages read last, most recent first, as File > Recent books offers them.
    const std::vector<std::string>& RecentBooks() const { return recentBooks_; }

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
    void Settings1Click();
    void Style1Click();

    // The text of a row in the current language.
    const std::string& Text(int row) const;
    int LanguageIndex() const;

    bool TextLoaded() const { return textLoaded_; }
    bool Converting() const { return converting_; }
    const std::string& CurrentPage() const;
    const TViewStyle& DefaultStyle() const { return defaultStyle_; }
    const std::string& HeaderEndMarker() const { return headerEndMarker_; }
    const std::string& SampleText() const { return sampleText_; }
    const std::string& NoReadmePage() const { return noReadmePage_; }
    const std::string& ReadmePath() const { return readmePath_; }
    const TSourceState& Source() const { return source_; }
    TConf& Conf() { return conf_; }
    const TFileDialog& OpenDialog1() const { return openDialog_; }
    const TFileDialog& SaveDialog1() const { return saveDialog_; }

    // The window's parts, named as the program names them.
    struct TMenu {
        QMenu* File1 = nullptr;
        QAction* Load1 = nullptr;
        QAction* Convert1 = nullptr;
        QAction* Loadconvertandsave1 = nullptr;
        QAction* Read1 = nullptr;
        QAction* Print1 = nullptr;
        QAction* Style1 = nullptr;
        QAction* Exit1 = nullptr;
        QMenu* Setup1 = nullptr;
        QMenu* Language1 = nullptr;
        QAction* Russian1 = nullptr;
        QAction* English1 = nullptr;
        QAction* Settings1 = nullptr;
        QMenu* Recent1 = nullptr;
        QMenu* View1 = nullptr;
        QAction* Contents1 = nullptr;
        QAction* Find1 = nullptr;
        QAction* ZoomIn1 = nullptr;
        QAction* ZoomOut1 = nullptr;
        QAction* ActualSize1 = nullptr;
        QMenu* Help1 = nullptr;
        QAction* Viewreadmefile1 = nullptr;
        QAction* About1 = nullptr;
    };
    const TMenu& Menu() const { return menu_; }
    QListWidget* ListBox1() const { return listBox_; }
    QLabel* EncodingLabel() const { return encodingLabel_; }
    QLabel* PositionLabel() const { return positionLabel_; }
    TReader& Reader() const { return *reader_; }
    TWebView* WebBrowser1() const;
    bool ListShown() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void FormDestroy();
    void CreateMenu();
    void CreateViews();
    void ApplyStartupSettings();
    void ApplyLanguage();
    void ApplyQtLanguage();
    void ApplyStoredGeometry();
    void ForgetDroppedPage(const QString& path);

    bool LoadSource();
    bool LoadSourceFile(const std::string& path);
    bool TakeLoadedText(bool loaded);
    void ReadPage(const std::string& page);
    void ConvertFile(const std::string& path);
    void ApplyZoomSetting();
    void CurrentPageChanged(const QString& path);
    void ShowPosition();
    void ShowTitle();
    void FillRecentMenu();
    void ShowSourceEncoding();
    void CheckEncodingSetting();
    bool ConvertAndSave();
    void FillListBox();
    void ShowList();
    void ShowBrowser();
    void SetMenuLoaded();
    void SetMenuReady();

    std::int32_t IntegerSetting(std::string_view key);
    int FileLanguage() const;
    void ReportBadSetting(std::string_view key, const std::string& what, std::string_view healed);
    template <typename Command>
    void Guarded(Command&& command);

    // While a conversion runs, the commands that would touch its text or page wait.
    void BeginConversion();
    void EndConversion();
    void PumpEvents();
    // Tells of the files an interrupted rewrite of an earlier version left beside the page.
    void TellOfLeftoverCopies(const std::string& page);

    std::string programPath_;
    Prompts& prompts_;
    TConf conf_;
    TInterfaceText interfaceText_;
    bool textLoaded_ = false;
    std::set<std::string> foldersChecked_; // for files left by earlier runs
    std::string readmePath_;
    std::string headerEndMarker_;
    std::string sampleText_;
    std::string noReadmePage_;
    TViewStyle defaultStyle_;
    TViewStyle currentStyle_;
    TSourceState source_;
    TFileDialog openDialog_;
    TFileDialog saveDialog_;

    TMenu menu_;
    QActionGroup* languageGroup_ = nullptr;
    QStackedLayout* views_ = nullptr;
    QListWidget* listBox_ = nullptr;
    TReader* reader_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* encodingLabel_ = nullptr;    // the loaded text's encoding, in the status area
    QLabel* positionLabel_ = nullptr;    // where the reader is in the current page
    std::vector<std::string> recentBooks_;
    bool encodingDetected_ = false;      // told from the text, not chosen in the settings
    QPointer<QDialog> styleForm_;
    std::vector<std::unique_ptr<QTranslator>> qtTranslators_;

    QRect storedGeometry_; // the outer position and size, taken once the frame is known
    bool maximizeAtStart_ = false;
    bool geometryApplied_ = false;
    int frameWaits_ = 0;
    bool closingHandled_ = false;

    bool converting_ = false;
    bool closeAfterConversion_ = false;
    std::uint64_t sourceSize_ = 0;
    std::uint64_t sourceDone_ = 0;
    unsigned pumpCalls_ = 0;
    QElapsedTimer pumpTimer_;
};

} // namespace verdask
