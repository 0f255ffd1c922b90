// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window's two views, one shown at a time: the preview of a loaded text,
// with a choice of the layout its paragraphs are read in and, on the status line,
// the encoding and the layout it is read in; and the reader, with the paragraph
// being read on the status line.

#include "conversion/Layout.h"
#include "files/SourceEncoding.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QStackedLayout;
class QStatusBar;

namespace verdask {

class Prompts;
class TGoToField;
class TReader;
class TSourcePreview;
struct TSourceState;

class TViewStack : public QWidget {
    Q_OBJECT

public:
    // prompts: the reader's questions and reports; statusBar: the window's.
    TViewStack(Prompts& prompts, QStatusBar& statusBar, QWidget* parent);

    void ShowPreview();
    void ShowReader();
    bool PreviewShown() const;
    // A text was loaded: its first lines, and its encoding, told from the text or
    // chosen; layoutChoice: the layout asked for, Auto when told from the text.
    void ShowText(const TSourceState& source, bool encodingDetected, TParagraphLayout layoutChoice);
    // The loaded text is read in another layout, as chosen.
    void ShowLayout(TParagraphLayout layout, TParagraphLayout layoutChoice);
    // The status line's texts and the reader's (0 Russian, 1 English).
    void SetLanguage(int language);

    TSourcePreview* Preview() const { return preview_; }
    TReader& Reader() const { return *reader_; }
    QLabel* EncodingLabel() const { return encodingLabel_; }
    QComboBox* BookLayout() const { return bookLayout_; }
    QLabel* PositionLabel() const { return positionLabel_; }
    TGoToField* GoToField() const { return goTo_; }
    // Go to (Ctrl+G): the reader, and the status line's field that takes a place.
    void AskWhereToGo();

signals:
    // The reader chose a layout for the loaded text in the preview.
    void LayoutChosen(TParagraphLayout choice);

private:
    void ShowPosition();
    void ShowEncoding();

    QStatusBar& statusBar_;
    QStackedLayout* stack_;
    QWidget* previewPage_;
    QLabel* bookLayoutLabel_;
    QComboBox* bookLayout_;
    TSourcePreview* preview_;
    TReader* reader_;
    QLabel* encodingLabel_;
    QLabel* positionLabel_;
    TGoToField* goTo_;
    int language_ = 1;
    TEncodingGuess encoding_;
    bool encodingDetected_ = false;
    TParagraphLayout layout_ = TParagraphLayout::Indented;
    TParagraphLayout layoutChoice_ = TParagraphLayout::Auto;
};

} // namespace verdask
