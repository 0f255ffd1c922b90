// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ViewStack.h"

#include "conversion/Source.h"
#include "shell/GoToField.h"
#include "shell/InterfaceText.h"
#include "shell/Reader.h"
#include "shell/SourcePreview.h"
#include "shell/WebView.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedLayout>
#include <QStatusBar>
#include <QWebEngineView>

#include <algorithm>

namespace verdask {

TViewStack::TViewStack(Prompts& prompts, QStatusBar& statusBar, QWidget* parent)
    : QWidget(parent),
      statusBar_(statusBar),
      stack_(new QStackedLayout(this)),
      previewPage_(new QWidget(this)),
      bookLayoutLabel_(new QLabel(previewPage_)),
      bookLayout_(new QComboBox(previewPage_)),
      preview_(new TSourcePreview(previewPage_)),
      reader_(new TReader(prompts, this)),
      encodingLabel_(new QLabel(this)),
      positionLabel_(new QLabel(this)),
      goTo_(new TGoToField(this))
{
    stack_->setContentsMargins(5, 5, 5, 5);
    auto* choice = new QHBoxLayout;
    choice->addWidget(bookLayoutLabel_);
    choice->addWidget(bookLayout_);
    choice->addStretch(1);
    auto* page = new QVBoxLayout(previewPage_);
    page->setContentsMargins(0, 0, 0, 0);
    page->addLayout(choice);
    page->addWidget(preview_, 1);
    bookLayoutLabel_->setBuddy(bookLayout_);
    bookLayout_->addItems(QStringList(std::size(ParagraphLayouts), QString()));
    bookLayout_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(bookLayout_, &QComboBox::activated, this,
            [this](int index) { emit LayoutChosen(ParagraphLayouts[static_cast<std::size_t>(index)]); });
    stack_->addWidget(previewPage_);
    stack_->addWidget(reader_);
    // The encoding and the layout of a text take two lines where one is too narrow.
    encodingLabel_->setWordWrap(true);
    statusBar.addWidget(encodingLabel_, 1);
    statusBar.addWidget(positionLabel_);
    statusBar.addWidget(goTo_);
    encodingLabel_->hide();
    connect(goTo_, &TGoToField::GoTo, reader_, &TReader::GoToParagraph);
    connect(goTo_, &TGoToField::Done, this, [this] { reader_->View()->View()->setFocus(Qt::OtherFocusReason); });
    connect(reader_, &TReader::PositionChanged, this, &TViewStack::ShowPosition);
    connect(reader_, &TReader::CurrentPageChanged, this, &TViewStack::ShowPosition);
}

void TViewStack::ShowPreview()
{
    stack_->setCurrentWidget(previewPage_);
    positionLabel_->hide();
    goTo_->hide();
    encodingLabel_->show();
    statusBar_.show();
}

void TViewStack::ShowReader()
{
    const bool fromPreview = stack_->currentWidget() != reader_;
    stack_->setCurrentWidget(reader_);
    // The keys a reader reads with go to the page, not to the status line's field.
    if (fromPreview || QApplication::focusWidget() == nullptr)
        reader_->View()->View()->setFocus(Qt::OtherFocusReason);
    encodingLabel_->hide();
    positionLabel_->show();
    goTo_->show();
    statusBar_.show();
}

bool TViewStack::PreviewShown() const
{
    return stack_->currentWidget() == previewPage_;
}

void TViewStack::ShowText(const TSourceState& source, bool encodingDetected, TParagraphLayout layoutChoice)
{
    encoding_ = source.Encoding;
    encodingDetected_ = encodingDetected;
    preview_->Show(source);
    ShowLayout(source.Layout.Paragraphs, layoutChoice);
}

void TViewStack::ShowLayout(TParagraphLayout layout, TParagraphLayout layoutChoice)
{
    layout_ = layout;
    layoutChoice_ = layoutChoice;
    const auto* chosen = std::find(std::begin(ParagraphLayouts), std::end(ParagraphLayouts), layoutChoice);
    bookLayout_->setCurrentIndex(static_cast<int>(chosen - std::begin(ParagraphLayouts)));
    ShowEncoding();
}

void TViewStack::SetLanguage(int language)
{
    language_ = language;
    reader_->SetLanguage(language);
    goTo_->SetLanguage(language);
    bookLayoutLabel_->setText(QString::fromStdString(BookLayoutLabelText(language)));
    for (std::size_t i = 0; i < std::size(ParagraphLayouts); ++i)
        bookLayout_->setItemText(static_cast<int>(i), QString::fromStdString(LayoutText(language, ParagraphLayouts[i])));
    ShowEncoding();
    ShowPosition();
}

void TViewStack::AskWhereToGo()
{
    ShowReader();
    goTo_->setFocus(Qt::ShortcutFocusReason);
}

// The top of a book, before its first paragraph, reads as paragraph 1; the label
// keeps the width of its longest text, so that the field beside it stays put.
void TViewStack::ShowPosition()
{
    const std::int64_t paragraph = reader_->ShownParagraph();
    const std::int64_t paragraphs = reader_->ParagraphCount();
    goTo_->SetParagraphCount(paragraphs);
    if (paragraphs <= 0 || reader_->CurrentPage().empty()) {
        positionLabel_->clear();
        return;
    }
    const QString widest = QString::fromStdString(PositionText(language_, paragraphs, paragraphs));
    positionLabel_->setMinimumWidth(positionLabel_->fontMetrics().horizontalAdvance(widest));
    positionLabel_->setText(QString::fromStdString(PositionText(language_, std::max<std::int64_t>(paragraph, 1), paragraphs)));
}

void TViewStack::ShowEncoding()
{
    encodingLabel_->setText(QString::fromStdString(
        EncodingUsedText(language_, EncodingName(encoding_.Encoding), encodingDetected_) + " · " +
        LayoutUsedText(language_, layout_, layoutChoice_ == TParagraphLayout::Auto)));
}

} // namespace verdask
