// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window's two views, one shown at a time: the preview of a loaded text,
// with the encoding it is read in on the status line, and the reader, with the
// paragraph being read on the status line.

#include "conversion/Layout.h"
#include "files/SourceEncoding.h"

#include <QWidget>

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
    // A text was loaded: its first lines, and its encoding, told from the text or chosen.
    // detected: whether the encoding and the paragraph layout were told from the text.
    void ShowText(const TSourceState& source, bool encodingDetected, bool layoutDetected);
    // The status line's texts and the reader's (0 Russian, 1 English).
    void SetLanguage(int language);

    TSourcePreview* Preview() const { return preview_; }
    TReader& Reader() const { return *reader_; }
    QLabel* EncodingLabel() const { return encodingLabel_; }
    QLabel* PositionLabel() const { return positionLabel_; }
    TGoToField* GoToField() const { return goTo_; }
    // Go to (Ctrl+G): the reader, and the status line's field that takes a place.
    void AskWhereToGo();

private:
    void ShowPosition();
    void ShowEncoding();

    QStatusBar& statusBar_;
    QStackedLayout* stack_;
    TSourcePreview* preview_;
    TReader* reader_;
    QLabel* encodingLabel_;
    QLabel* positionLabel_;
    TGoToField* goTo_;
    int language_ = 1;
    TEncodingGuess encoding_;
    bool encodingDetected_ = false;
    TParagraphLayout layout_ = TParagraphLayout::Indented;
    bool layoutDetected_ = false;
};

} // namespace verdask
