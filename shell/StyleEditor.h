// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The style editor: the eight values of a style on two tool bars, and a live
// preview of the sample passage in that style.

#include "files/Prompts.h"
#include "style/ViewStyle.h"

#include <QDialog>
#include <QIcon>

#include <array>
#include <string>

class QComboBox;
class QMenu;
class QSpinBox;
class QTimer;
class QToolBar;
class QToolButton;

namespace verdask {

class TMainWindow;
class TWebView;

// The pictures of the colour and justification buttons.
enum class TEditorIcon { FontColor, BackColor, Ragged, Justified };

class TStyleEditor : public QDialog {
    Q_OBJECT

public:
    // Creation up to showing the window: reads the shown page's style (a style
    // that cannot be read is told of, and the default style taken instead).
    explicit TStyleEditor(TMainWindow* mainWindow);

    // By value: putting the style into the controls rebuilds CurrentStyle on the way.
    void ShowStyleInEditor(TViewStyle style);
    void RenderPreview(const TViewStyle& style);
    void PreviewEditedStyle();
    // The font colour or the background colour, as the button says.
    void ChooseColor(QToolButton* button);
    void ToggleJustification();
    void StartLivePreview();

    // The Style menu and Apply.
    void LoadStyleFile();
    void SaveStyleFile();
    void MakeDefault();
    void UseDefault();
    void ApplyToPage();

    const std::string& PreviewText() const { return previewText_; }
    const std::string& WorkingFontColor() const { return workingFontColor_; }
    const std::string& WorkingBackColor() const { return workingBackColor_; }
    bool PreviewLive() const { return connected_; }
    QComboBox* FontName() const { return fontName_; }
    QSpinBox* FontSize() const { return fontSize_; }
    QSpinBox* LineHeight() const { return lineHeight_; }
    QSpinBox* LetterSpacing() const { return letterSpacing_; }
    QSpinBox* TextWidth() const { return textWidth_; }
    QToolButton* FontColorButton() const { return fontColorButton_; }
    QToolButton* BackColorButton() const { return backColorButton_; }
    QToolButton* JustifyButton() const { return justifyButton_; }
    TWebView* Preview() const { return preview_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void SetTexts();
    void ConnectChanges();
    TViewStyle StyleToEdit();
    bool ChooseFileToWrite();
    QIcon Icon(TEditorIcon icon) const { return icons_[static_cast<std::size_t>(icon)]; }
    template <typename Command>
    void Guarded(Command&& command);

    TMainWindow* mainWindow_;
    std::string workingFontColor_;
    std::string workingBackColor_;
    std::string previewText_;
    bool connected_ = false;
    TFileDialog openDialog_;
    TFileDialog saveDialog_;

    QToolBar* fileBar_ = nullptr;
    QToolBar* valueBar_ = nullptr;
    QToolButton* styleMenuButton_ = nullptr;
    QToolButton* applyButton_ = nullptr;
    QMenu* styleMenu_ = nullptr;
    QAction* loadStyle_ = nullptr;
    QAction* saveStyle_ = nullptr;
    QAction* makeDefault_ = nullptr;
    QAction* useDefault_ = nullptr;
    QComboBox* fontName_ = nullptr;
    QSpinBox* fontSize_ = nullptr;
    QToolButton* fontColorButton_ = nullptr;
    QSpinBox* lineHeight_ = nullptr;
    QSpinBox* letterSpacing_ = nullptr;
    QToolButton* backColorButton_ = nullptr;
    QToolButton* justifyButton_ = nullptr;
    QSpinBox* textWidth_ = nullptr;
    TWebView* preview_ = nullptr;
    QTimer* firstPreview_ = nullptr;
    std::array<QIcon, 4> icons_;
};

// The preview page of a style: one line, the sample passage as its body.
std::string PreviewPage(const TViewStyle& style, std::string_view sampleText);

// The families of the installed fonts and "Default", each once, sorted without
// regard to letter case.
QStringList FontList();

} // namespace verdask
