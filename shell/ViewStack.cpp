#include "shell/ViewStack.h"

#include "conversion/Source.h"
#include "shell/InterfaceText.h"
#include "shell/Reader.h"
#include "shell/SourcePreview.h"

#include <QLabel>
#include <QStackedLayout>
#include <QStatusBar>

namespace verdask {

TViewStack::TViewStack(Prompts& prompts, QStatusBar& statusBar, QWidget* parent)
    : QWidget(parent),
      statusBar_(statusBar),
      stack_(new QStackedLayout(this)),
      preview_(new TSourcePreview(this)),
      reader_(new TReader(prompts, this)),
      encodingLabel_(new QLabel(this)),
      positionLabel_(new QLabel(this))
{
    stack_->setContentsMargins(5, 5, 5, 5);
    stack_->addWidget(preview_);
    stack_->addWidget(reader_);
    statusBar.addWidget(encodingLabel_);
    statusBar.addWidget(positionLabel_);
    encodingLabel_->hide();
    connect(reader_, &TReader::PositionChanged, this, &TViewStack::ShowPosition);
    connect(reader_, &TReader::CurrentPageChanged, this, &TViewStack::ShowPosition);
}

void TViewStack::ShowPreview()
{
    stack_->setCurrentWidget(preview_);
    positionLabel_->hide();
    encodingLabel_->show();
    statusBar_.show();
}

void TViewStack::ShowReader()
{
    stack_->setCurrentWidget(reader_);
    encodingLabel_->hide();
    positionLabel_->show();
    statusBar_.show();
}

bool TViewStack::PreviewShown() const
{
    return stack_->currentWidget() == preview_;
}

void TViewStack::ShowText(const TSourceState& source, bool encodingDetected)
{
    encoding_ = source.Encoding;
    encodingDetected_ = encodingDetected;
    preview_->Show(source);
    ShowEncoding();
}

void TViewStack::SetLanguage(int language)
{
    language_ = language;
    reader_->SetLanguage(language);
    ShowEncoding();
    ShowPosition();
}

void TViewStack::ShowPosition()
{
    const std::int64_t paragraph = reader_->ShownParagraph();
    const std::int64_t paragraphs = reader_->ParagraphCount();
    if (paragraph > 0 && paragraphs > 0)
        positionLabel_->setText(QString::fromStdString(PositionText(language_, paragraph, paragraphs)));
    else
        positionLabel_->clear();
}

void TViewStack::ShowEncoding()
{
    encodingLabel_->setText(
        QString::fromStdString(EncodingUsedText(language_, EncodingName(encoding_.Encoding), encodingDetected_)));
}

} // namespace verdask
