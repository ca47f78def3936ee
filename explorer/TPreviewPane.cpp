#include "TPreviewPane.h"

#include "LogHook.h"
#include "PlatformTypes.h"
#include "StatusLevels.h"
#include "TAppSettings.h"
#include "TBinaryPage.h"
#include "TBitmapPage.h"
#include "TBrindlexCore.h"
#include "TClipContext.h"
#include "TClipData.h"
#include "TClipListModel.h"
#include "TClipListSelection.h"
#include "TClipObj.h"
#include "TFontChoice.h"
#include "THtmlPage.h"
#include "TImages.h"
#include "TPicturePage.h"
#include "TRtfPage.h"
#include "TTextPage.h"
#include "TThemeColors.h"
#include "TWindowGuard.h"

#include <QAction>
#include <QFontDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>

namespace bx::explorer {

using clipstore::TClipObj;
using platform::CF_TEXT;

TPreviewPane::TPreviewPane(QWidget* beside, QWidget* parent) : QStackedWidget(parent), beside_(beside) {
    tabs_ = new QTabWidget();
    tabs_->setObjectName("PCMagnify");
    text_ = new TTextPage();
    tabs_->addTab(text_, TImages::Icon("CF_TEXT"), "&Text");
    rtf_ = new TRtfPage();
    tabs_->addTab(rtf_, TImages::Icon("CF_RTF"), "&Rich Text");
    bitmap_ = new TBitmapPage();
    tabs_->addTab(bitmap_, TImages::Icon("CF_BITMAP"), "&Bitmap");
    picture_ = new TPicturePage();
    tabs_->addTab(picture_, TImages::Icon("CF_WMF"), "&Picture");
    html_ = new THtmlPage();
    tabs_->addTab(html_, TImages::Icon("CF_HTML"), "&HTML");
    binary_ = new TBinaryPage();
    tabs_->addTab(binary_, TImages::Icon("CF_BINARY"), "B&inary");
    addWidget(tabs_);

    notice_ = new QLabel(this);
    notice_->setObjectName("lblNothingToDisplay");
    notice_->setWordWrap(true);
    notice_->setAlignment(Qt::AlignCenter);
    notice_->setMinimumSize(250, 32);
    QFont italic = notice_->font();
    italic.setItalic(true);
    notice_->setFont(italic);
    ApplyNoticeColor();
    addWidget(notice_);
    setCurrentWidget(notice_);

    // Leaving the editor keeps what was typed.
    connect(text_, &TTextPage::EditorLeft, this, [this] { Guard([this] { RescueEditing(); }); });
    connect(bitmap_, &TBitmapPage::FitNeeded, this, [this] { Guard([this] { FitImage(); }); });
    connect(binary_, &TBinaryPage::FormatChosen, this, [this] { Guard([this] { ShowBinaryFormat(); }); });
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
        if (!loadingTabs_)
            Guard([this, tab] { TabChanged(tab); });
    });
}

void TPreviewPane::SetButtons(QWidget* corner, QAction* pin) {
    tabs_->setCornerWidget(corner);
    pin_ = pin;
    SetPinImage("TB_TACK1");
}

void TPreviewPane::SetCore(shell::TBrindlexCore* core, shell::TClipListSelection* selection) {
    core_ = core;
    selection_ = selection;
    if (core_ == nullptr)
        return;
    const shell::TAppSettings& settings = core_->Settings();
    text_->SetWordWrap(settings.WrapText);
    if (!settings.MagFont.Name.empty())
        text_->Editor()->setFont(TFontChoice::Font(settings.MagFont, QFontDatabase::FixedFont));
}

void TPreviewPane::ApplyNoticeColor() {
    QPalette pal = notice_->palette();
    pal.setColor(QPalette::WindowText, TThemeColors(palette()).Notice());
    notice_->setPalette(pal);
}

void TPreviewPane::changeEvent(QEvent* event) {
    QStackedWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && notice_ != nullptr)
        ApplyNoticeColor();
}

void TPreviewPane::Guard(const std::function<void()>& handler) {
    TWindowGuard::Run(core_, handler);
}

QPlainTextEdit* TPreviewPane::TextEditor() const {
    return text_->Editor();
}

QLabel* TPreviewPane::TextNotice() const {
    return text_->Notice();
}

QTextEdit* TPreviewPane::RtfEditor() const {
    return rtf_;
}

THtmlView* TPreviewPane::HtmlView() const {
    return html_;
}

THexDump* TPreviewPane::HexDump() const {
    return binary_->Dump();
}

QComboBox* TPreviewPane::BinaryFormats() const {
    return binary_->Formats();
}

QCheckBox* TPreviewPane::StretchBox() const {
    return bitmap_->StretchBox();
}

QLabel* TPreviewPane::BitmapImage() const {
    return bitmap_->Image();
}

std::array<QWidget*, 2> TPreviewPane::Editors() const {
    return {text_->Editor(), rtf_};
}

clipstore::TClipObj* TPreviewPane::EditClip() const {
    return selection_ != nullptr ? selection_->EditClip : nullptr;
}

bool TPreviewPane::Pinned() const {
    return selection_ != nullptr && selection_->Pinned;
}

bool TPreviewPane::PaneShown() const {
    return currentWidget() == tabs_;
}

QString TPreviewPane::Notice() const {
    return PaneShown() ? QString() : notice_->text();
}

int TPreviewPane::VisibleTabCount() const {
    int count = 0;
    for (int tab = 0; tab < TabCount; ++tab)
        if (tabs_->isTabVisible(tab))
            ++count;
    return count;
}

void TPreviewPane::SetPinImage(const QString& name) {
    pinImage_ = name;
    if (pin_ != nullptr)
        pin_->setIcon(TImages::Icon(name));
}

void TPreviewPane::SetPinned(bool pinned) {
    if (selection_ == nullptr || core_ == nullptr)
        return;
    if (pin_ != nullptr && pin_->isChecked() != pinned) {
        QSignalBlocker block(pin_);
        pin_->setChecked(pinned);
    }
    if (pinned == selection_->Pinned)
        return;
    if (pinned) {
        selection_->Pinned = true;
        SetPinImage("TB_TACK0");
        selection_->EditNode = core_->Tree().Selected();
        return;
    }
    RescueEditing();
    selection_->Pinned = false;
    TClipObj* clip = selection_->EditClip;
    if (clip != nullptr)
        core_->CopyItem(clip);
    if (const int node = selection_->EditNode; node >= 0 && core_->Tree().Selected() != node)
        core_->Tree().Select(node);
    SetPinImage("TB_TACK1");
    const int row = core_->ClipList().RowOf(clip);
    if (row >= 0) {
        core_->SetCurrentClip(nullptr);
        core_->ClipList().SelectOnly(static_cast<std::size_t>(row));
    }
}

void TPreviewPane::SetPreviewVisible(bool visible) {
    if (visible) {
        UpdateMagView();
        return;
    }
    if (Pinned())
        return;
    ShowNotice();
}

void TPreviewPane::ForgetClips() {
    if (selection_ == nullptr)
        return;
    RescueEditing();
    selection_->EditClip = nullptr;
    selection_->EditNode = -1;
    if (selection_->Pinned) {
        selection_->Pinned = false;
        if (pin_ != nullptr) {
            QSignalBlocker block(pin_);
            pin_->setChecked(false);
        }
        SetPinImage("TB_TACK1");
    }
    text_->Forget();
    ShowNotice();
}

void TPreviewPane::ShowNotice() {
    const shell::TClipListModel* list = core_ != nullptr ? &core_->ClipList() : nullptr;
    const std::size_t selected = list != nullptr ? list->SelectedCount() : 0;
    QString text;
    if (list == nullptr || list->Count() == 0)
        text = "There is nothing to display.  Copy some data from any application to populate this collection.";
    else if (selected == 1)
        text = "There is nothing to display.  The selected item has no displayable formats.";
    else if (selected > 1)
        text = "There is nothing to display, because a Multiple Selection is in progress.";
    else
        text = "There is nothing to display. Copy some data from an application, or select an existing clip.";
    notice_->setText(text);
    notice_->setMaximumWidth(std::max(250, window()->width() - beside_->width() - 100));
    setCurrentWidget(notice_);
}

bool TPreviewPane::UpdateMagView() {
    if (core_ == nullptr || selection_ == nullptr)
        return false;
    // A window nobody sees loads no clip data; it catches up when it is shown again.
    if (!window()->isVisible() || window()->isMinimized()) {
        magViewStale_ = true;
        return false;
    }
    magViewStale_ = false;
    TClipObj* current = core_->CurrentClip();
    const bool pinned = selection_->Pinned;
    bool paneVisible = false;
    if (current == nullptr && !pinned) {
        emit SizeShown(QString());
    } else {
        if (!pinned && current != nullptr)
            emit ClipShown(current);
        if (core_->ClipList().SelectedCount() == 1 || pinned) {
            if (!pinned) {
                TClipObj* clip = selection_->EditClip != nullptr ? selection_->EditClip : current;
                selection_->EditClip = clip;
                paneVisible = ShowClip(*clip);
            } else {
                paneVisible = VisibleTabCount() > 0;
                // The pane keeps its clip; the pin blinks to say so.
                SetPinImage("TB_TACK2");
                QTimer::singleShot(250, this, [this] {
                    if (Pinned())
                        SetPinImage("TB_TACK0");
                });
            }
        }
    }
    if (paneVisible)
        setCurrentWidget(tabs_);
    else
        ShowNotice();
    return true;
}

bool TPreviewPane::ShowClip(TClipObj& clip) {
    loadingTabs_ = true;
    LoadTabs(clip);
    // The page shown before stays when it still has something to show.
    int active = lastTab_;
    if (active < 0 || !tabs_->isTabVisible(active)) {
        active = -1;
        for (int tab = 0; tab < TabCount && active < 0; ++tab)
            if (tabs_->isTabVisible(tab))
                active = tab;
    }
    if (active >= 0)
        tabs_->setCurrentIndex(active);
    loadingTabs_ = false;
    if (active < 0)
        return false;
    lastTab_ = active;
    setCurrentWidget(tabs_);
    TabChanged(active);
    return true;
}

void TPreviewPane::LoadTabs(TClipObj& clip, bool withText) {
    const clipstore::TClipContext& st = clip.Context();
    // Text: loaded now, with the caret at the end; a text too large for the editor in part.
    const bool hasText = withText ? text_->Load(clip) : tabs_->isTabVisible(TabText);
    tabs_->setTabVisible(TabText, hasText);

    // Rich text and the picture: loaded when their page becomes active.
    rtf_->clear();
    tabs_->setTabVisible(TabRtf, TRtfPage::Has(clip, st.RtfFormat));

    bitmap_->Forget();
    const bool hasBitmap = TBitmapPage::Has(clip);
    if (hasBitmap)
        bitmap_->Load(clip);
    tabs_->setTabVisible(TabBitmap, hasBitmap);
    picture_->clear();
    tabs_->setTabVisible(TabPicture, TPicturePage::Has(clip));

    const bool hasHtml = THtmlPage::HasHtml(clip, st.HtmlFormat);
    tabs_->setTabVisible(TabHtml, core_->HtmlViewerAvailable() && (hasHtml || hasText));
    tabs_->setTabText(TabHtml, THtmlPage::TabText(hasHtml));
    html_->clear();

    bool binary = false;
    if (core_->Settings().ShowBinary || VisibleTabCount() - (tabs_->isTabVisible(TabBinary) ? 1 : 0) == 0)
        binary = binary_->Load(clip);
    tabs_->setTabVisible(TabBinary, binary);
    if (binary)
        ShowBinaryFormat();
}

void TPreviewPane::ShowBinaryFormat() {
    binary_->ShowFormat(EditClip());
}

void TPreviewPane::TabChanged(int tab) {
    if (tab < 0 || tab >= TabCount)
        return;
    lastTab_ = tab;
    TClipObj* clip = EditClip();
    QString size;
    if (clip != nullptr) {
        const clipstore::TClipContext& st = clip->Context();
        switch (tab) {
        case TabText:
            size = text_->SizeText();
            break;
        case TabRtf:
            size = rtf_->Show(*clip, st.RtfFormat);
            break;
        case TabBitmap:
            FitImage();
            size = bitmap_->SizeText();
            break;
        case TabPicture: {
            std::string status;
            size = picture_->Show(*clip, status);
            if (!status.empty() && core_ != nullptr)
                core_->ShowStatus(shell::StatusInBar, false, status);
            break;
        }
        case TabHtml:
            size = html_->Show(*clip, st.HtmlFormat, text_->Shown().text);
            break;
        default:
            break;
        }
    }
    emit SizeShown(size);
}

void TPreviewPane::FitImage() {
    if (tabs_->currentIndex() != TabBitmap || !tabs_->isTabVisible(TabBitmap) || bitmap_->Empty() || !PaneShown())
        return;
    const std::string status = bitmap_->Fit();
    if (core_ != nullptr)
        core_->ShowStatus(shell::StatusInBar, false, status);
}

void TPreviewPane::RescueEditing() {
    // Only a text shown whole is written back: a part would cut the clip's text.
    if (core_ == nullptr || selection_ == nullptr || !tabs_->isTabVisible(TabText) || !text_->HasEdit())
        return;
    TClipObj* clip = selection_->EditClip;
    if (clip == nullptr)
        return;
    try {
        int index = -1;
        if (!clip->HasFormat(CF_TEXT, index))
            return;
        StoreEdit(*clip, index);
    } catch (const std::exception&) {
        platform::LogMsg(platform::LogErrors, "RescueEditing", "Edit Failed!");
        core_->ShowStatus(shell::StatusInBar, false, "Edit Failed!");
    }
}

pastetools::TTextRange TPreviewPane::Selection() const {
    if (!tabs_->isTabVisible(TabText))
        return {};
    const auto [start, length] = text_->SelectionInText();
    return {start, length};
}

void TPreviewPane::ShowTransformed(TClipObj& clip, pastetools::TTextRange range) {
    if (core_ == nullptr || selection_ == nullptr || &clip != selection_->EditClip)
        return;
    tabs_->setTabVisible(TabText, text_->ShowChanged(clip));
    // The other pages follow the clip, which holds its text alone now.
    loadingTabs_ = true;
    LoadTabs(clip, false);
    loadingTabs_ = false;
    if (tabs_->isTabVisible(TabText)) {
        tabs_->setCurrentIndex(TabText);
        lastTab_ = TabText;
        setCurrentWidget(tabs_);
        text_->SelectInText(range.Start, range.Length);
    }
    emit SizeShown(text_->SizeText());
}

void TPreviewPane::ClipChanged(const TClipObj& clip) {
    emit ClipEdited(&clip);
    if (selection_ != nullptr && &clip == selection_->EditClip)
        emit ClipShown(&clip);
}

void TPreviewPane::StoreEdit(TClipObj& clip, int index) {
    const std::string text = text_->EditedText();
    // An emptied editor stores nothing: the clip keeps its text.
    if (text.empty() || text == "\r\n")
        return;
    clip.PutText(text, index);
    // The edited text is the clip now: every other format goes.
    if (clip.Formats) {
        auto& formats = *clip.Formats;
        formats.erase(
            std::remove_if(formats.begin(), formats.end(), [](const auto& d) { return d->FormatNum != CF_TEXT; }),
            formats.end());
    }
    clip.IconBits = 0;
    clip.SetIcon(CF_TEXT);
    clip.SetDirty(true);
    tabs_->setTabVisible(TabRtf, false);
    tabs_->setTabVisible(TabBitmap, false);
    tabs_->setTabVisible(TabPicture, false);
    emit ClipEdited(&clip);
    text_->EditStored();
    ++core_->Settings().Edits;
    platform::LogMsg(platform::LogDataEvents, "TfrmBX.RescueEditing",
                     "Item #" + std::to_string(clip.SerialNbr) + " Edited");
    core_->ShowStatus(shell::StatusInBar, false, "Editing Changed Recorded");
}

void TPreviewPane::SetWordWrap(bool on) {
    text_->SetWordWrap(on);
    if (core_ != nullptr)
        core_->Settings().WrapText = on;
}

void TPreviewPane::ChooseMagFont() {
    if (core_ == nullptr)
        return;
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, text_->Editor()->font(), window(), "Display Font");
    if (!ok)
        return;
    shell::TFontDesc& stored = core_->Settings().MagFont;
    stored.Name = font.family().toStdString();
    stored.Size = font.pointSize() > 0 ? font.pointSize() : stored.Size;
    text_->Editor()->setFont(font);
}

} // namespace bx::explorer
