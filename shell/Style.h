#pragma once

// The style editor: the eight values of a style on two tool bars, and a live
// preview of the sample passage in that style.

#include "files/Prompts.h"
#include "style/ViewStyle.h"

#include <QDialog>
#include <QIcon>

#include <string>

class QComboBox;
class QMenu;
class QSpinBox;
class QTimer;
class QToolBar;
class QToolButton;

namespace verdask {

class TMainForm;
class TWebView;

class TStyleForm : public QDialog {
    Q_OBJECT

public:
    // Creation up to showing the window: reads the shown page's style (a style
    // that cannot be read is told of, and the default style taken instead).
    explicit TStyleForm(TMainForm* mainForm);

    // By value: putting the style into the controls rebuilds CurrentStyle on the way.
    void ShowStyleInEditor(TViewStyle style);
    void RenderPreview(const TViewStyle& style);
    void PreviewButtonClick();
    void FontButtonClick(QToolButton* sender);
    void JustifyButtonClick();
    void Timer1Timer();

    // The Style menu and Apply.
    void Loadfromfile1Click();
    void Savetofile1Click();
    void Makedefault1Click();
    void Usedef1Click();
    void Apply1Click();

    const std::string& PreviewText() const { return previewText_; }
    const std::string& WorkingFontColor() const { return workingFontColor_; }
    const std::string& WorkingBackColor() const { return workingBackColor_; }
    bool PreviewLive() const { return connected_; }
    QComboBox* FontCombo() const { return fontCombo_; }
    QSpinBox* FontUpDown() const { return fontUpDown_; }
    QSpinBox* LineSpaceUpDown() const { return lineSpaceUpDown_; }
    QSpinBox* LetterSpaceUpDown() const { return letterSpaceUpDown_; }
    QSpinBox* WidthUpDown() const { return widthUpDown_; }
    QToolButton* FontButton() const { return fontButton_; }
    QToolButton* BackColorButton() const { return backColorButton_; }
    QToolButton* JustifyButton() const { return justifyButton_; }
    TWebView* StyleBrowser() const { return styleBrowser_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void SetTexts();
    void ConnectChanges();
    TViewStyle StyleToEdit();
    bool ChooseFileToWrite();
    template <typename Command>
    void Guarded(Command&& command);

    TMainForm* mainForm_;
    std::string workingFontColor_;
    std::string workingBackColor_;
    std::string previewText_;
    bool connected_ = false;
    TFileDialog openDialog_;
    TFileDialog saveDialog_;

    QToolBar* toolBar2_ = nullptr;
    QToolBar* toolBar1_ = nullptr;
    QToolButton* toolButton1_ = nullptr;
    QToolButton* toolButton3_ = nullptr;
    QMenu* template1_ = nullptr;
    QAction* loadfromfile1_ = nullptr;
    QAction* savetofile1_ = nullptr;
    QAction* makedefault1_ = nullptr;
    QAction* usedef1_ = nullptr;
    QComboBox* fontCombo_ = nullptr;
    QSpinBox* fontUpDown_ = nullptr;
    QToolButton* fontButton_ = nullptr;
    QSpinBox* lineSpaceUpDown_ = nullptr;
    QSpinBox* letterSpaceUpDown_ = nullptr;
    QToolButton* backColorButton_ = nullptr;
    QToolButton* justifyButton_ = nullptr;
    QSpinBox* widthUpDown_ = nullptr;
    TWebView* styleBrowser_ = nullptr;
    QTimer* timer1_ = nullptr;
    QIcon images_[4];
};

// The preview page of a style: one line, the sample passage as its body.
std::string PreviewPage(const TViewStyle& style, std::string_view sampleText);

// The families of the installed fonts and "Default", each once, sorted without
// regard to letter case.
QStringList FontList();

} // namespace verdask
