#include "TfrmBX.h"

#include "IDesktop.h"
#include "LogHook.h"
#include "PlatformTypes.h"
#include "TAppSettings.h"
#include "TBitmap.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TClipContext.h"
#include "TClipData.h"
#include "TClipListModel.h"
#include "TClipListSelection.h"
#include "TClipObj.h"
#include "TClipTableModel.h"
#include "TClipTitleDelegate.h"
#include "TCollectionCycle.h"
#include "TCollectionTree.h"
#include "TCollectionTreeModel.h"
#include "TDibImage.h"
#include "TErrorTrap.h"
#include "THexDump.h"
#include "THtmlView.h"
#include "TImageFit.h"
#include "TImageLists.h"
#include "TImages.h"
#include "TMetafile.h"
#include "TMetafileRenderer.h"
#include "TRtfReader.h"
#include "TSelectItemBar.h"
#include "TTextPreview.h"
#include "TfrmFilter.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <array>
#include <cstring>

namespace bx::explorer {

using clipstore::TClipObj;
using platform::CF_BITMAP;
using platform::CF_DIB;
using platform::CF_ENHMETAFILE;
using platform::CF_METAFILEPICT;
using platform::CF_TEXT;
using shell::TClipListModel;

// Hands every wheel event of the program to the window first.
class TfrmBX::TWheelFilter : public QObject {
public:
    explicit TWheelFilter(TfrmBX* window) : window_(window) {}
    bool eventFilter(QObject* watched, QEvent* event) override { return window_->WheelTurned(watched, event); }

private:
    TfrmBX* window_;
};

namespace {

constexpr const char* CouldNotRetrieve = "Error - Could Not Retrieve Item.";
// Where the clip list's column widths are kept, below the settings' root key.
constexpr const char* ColumnsKey = "\\lvClips\\Columns";

// The bytes of one format of a clip, up to the first zero byte when text is asked for; empty when the
// clip lacks the format or its data cannot be read.
std::string LockedBytes(TClipObj& clip, platform::UINT format, bool toZero) {
    std::string bytes;
    if (format == 0 || !clip.HasFormat(format))
        return bytes;
    const std::size_t size = clip.Lock(format);
    if (size > 0 && clip.LockedData != nullptr) {
        const auto* start = reinterpret_cast<const char*>(clip.LockedData);
        bytes.assign(start, toZero ? strnlen(start, size) : size);
    }
    clip.Unlock();
    return bytes;
}

} // namespace

TfrmBX::TfrmBX() {
    setObjectName("frmBX");
    setWindowTitle("Brindlex Explorer");
    BuildWidgets();
    BuildToolBar();
    BuildMenus();
    resize(900, 640);
    // The wheel is the window's before any of its parts gets it.
    wheelFilter_ = std::make_unique<TWheelFilter>(this);
    qApp->installEventFilter(wheelFilter_.get());
}

TfrmBX::~TfrmBX() {
    qApp->removeEventFilter(wheelFilter_.get());
    SetCore(nullptr, nullptr);
}

void TfrmBX::BuildWidgets() {
    Splitter1_ = new QSplitter(Qt::Horizontal, this);
    Splitter1_->setObjectName("Splitter1");
    tvCollections_ = new QTreeView(Splitter1_);
    tvCollections_->setObjectName("tvCollections");
    tvCollections_->setHeaderHidden(true);
    tvCollections_->setIconSize(TCollectionTreeModel::DecorationSize());
    tvCollections_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Expanding the pane narrows the tree to 1 pixel.
    tvCollections_->setMinimumWidth(1);

    rightPart_ = new QWidget(Splitter1_);
    auto* rightLayout = new QVBoxLayout(rightPart_);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(1);
    HCSelectItem_ = new TSelectItemBar(rightPart_);
    HCSelectItem_->setObjectName("HCSelectItem");
    rightLayout->addWidget(HCSelectItem_);
    splitter2_ = new QSplitter(Qt::Vertical, rightPart_);
    splitter2_->setObjectName("splitter2");
    rightLayout->addWidget(splitter2_);

    lvClips_ = new QTableView(splitter2_);
    lvClips_->setObjectName("lvClips");
    lvClips_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvClips_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvClips_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvClips_->setShowGrid(false);
    lvClips_->setWordWrap(false);
    lvClips_->setSortingEnabled(false);
    lvClips_->verticalHeader()->hide();
    lvClips_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lvClips_->verticalHeader()->setDefaultSectionSize(std::max(lvClips_->fontMetrics().height(), 16) + 2);
    lvClips_->horizontalHeader()->setSectionsClickable(true);
    lvClips_->horizontalHeader()->setSortIndicatorShown(true);
    lvClips_->horizontalHeader()->setHighlightSections(false);
    lvClips_->horizontalHeader()->setMinimumSectionSize(TClipListModel::FormatColumnWidth);
    lvClips_->installEventFilter(this);
    lvClips_->viewport()->installEventFilter(this);
    lvClips_->viewport()->setMouseTracking(true);
    // Expanding the pane lowers the list to 1 pixel; the splitter keeps it at least 2 pixels high.
    lvClips_->setMinimumHeight(1);

    previewStack_ = new QStackedWidget(splitter2_);
    previewStack_->addWidget(BuildPane());
    lblNothingToDisplay_ = new QLabel(previewStack_);
    lblNothingToDisplay_->setObjectName("lblNothingToDisplay");
    lblNothingToDisplay_->setWordWrap(true);
    lblNothingToDisplay_->setAlignment(Qt::AlignCenter);
    lblNothingToDisplay_->setMinimumSize(250, 32);
    lblNothingToDisplay_->setStyleSheet("color: navy; font-style: italic;");
    previewStack_->addWidget(lblNothingToDisplay_);
    previewStack_->setCurrentWidget(lblNothingToDisplay_);
    splitter2_->setCollapsible(0, false);
    Splitter1_->setCollapsible(0, false);
    splitter2_->setStretchFactor(0, 1);
    splitter2_->setStretchFactor(1, 1);
    Splitter1_->setStretchFactor(1, 1);
    Splitter1_->setSizes({200, 700});
    setCentralWidget(Splitter1_);

    for (int i = 0; i < 3; ++i) {
        statusPanels_[i] = new QLabel(this);
        statusBar()->addWidget(statusPanels_[i], i == 2 ? 1 : 0);
    }
    statusPanels_[0]->setMinimumWidth(60);
    statusPanels_[1]->setMinimumWidth(120);
    ShowNotice();
}

QWidget* TfrmBX::BuildPane() {
    PCMagnify_ = new QTabWidget();
    PCMagnify_->setObjectName("PCMagnify");

    // Text, with the pane's tool buttons.
    auto* tsText = new QWidget();
    tsText->setObjectName("tsText");
    auto* textLayout = new QVBoxLayout(tsText);
    textLayout->setContentsMargins(0, 0, 0, 0);
    lblTextNotice_ = new QLabel(tsText);
    lblTextNotice_->setObjectName("lblTextNotice");
    lblTextNotice_->setWordWrap(true);
    lblTextNotice_->setMargin(4);
    lblTextNotice_->hide();
    textLayout->addWidget(lblTextNotice_);
    txtMagnifyText_ = new QPlainTextEdit(tsText);
    txtMagnifyText_->setObjectName("txtMagnifyText");
    txtMagnifyText_->installEventFilter(this);
    textLayout->addWidget(txtMagnifyText_);
    PCMagnify_->addTab(tsText, TImages::Icon("CF_TEXT"), "&Text");

    txtMagnifyRTF_ = new QTextEdit();
    txtMagnifyRTF_->setObjectName("txtMagnifyRTF");
    txtMagnifyRTF_->setAcceptRichText(true);
    PCMagnify_->addTab(txtMagnifyRTF_, TImages::Icon("CF_RTF"), "&Rich Text");

    tsBitmap_ = new QWidget();
    tsBitmap_->setObjectName("tsBitmap");
    auto* bitmapLayout = new QVBoxLayout(tsBitmap_);
    bitmapLayout->setContentsMargins(0, 0, 0, 0);
    bitmapLayout->setSpacing(0);
    tbBitmap_ = new QWidget(tsBitmap_);
    tbBitmap_->setObjectName("tb_Bitmap");
    auto* barLayout = new QHBoxLayout(tbBitmap_);
    barLayout->setContentsMargins(2, 2, 2, 2);
    cbStretch_ = new QCheckBox("&Stretch?", tbBitmap_);
    cbStretch_->setObjectName("cb_MagBitmapStretch");
    cbStretch_->setChecked(true);
    pnlMagBitmapSize_ = new QLabel(tbBitmap_);
    pnlMagBitmapSize_->setObjectName("pnl_MagBitmapSize");
    barLayout->addWidget(cbStretch_);
    barLayout->addWidget(pnlMagBitmapSize_);
    barLayout->addStretch(1);
    bitmapLayout->addWidget(tbBitmap_);
    bitmapScroll_ = new QScrollArea(tsBitmap_);
    bitmapScroll_->setFrameShape(QFrame::NoFrame);
    bitmapCanvas_ = new QWidget();
    imgMagnifyBitmap_ = new QLabel(bitmapCanvas_);
    imgMagnifyBitmap_->setObjectName("imgMagnifyBitmap");
    imgMagnifyBitmap_->setScaledContents(true);
    imgMagnifyBitmap_->installEventFilter(this);
    bitmapScroll_->setWidget(bitmapCanvas_);
    bitmapLayout->addWidget(bitmapScroll_, 1);
    tsBitmap_->installEventFilter(this);
    connect(cbStretch_, &QCheckBox::toggled, this, [this] { Guard([this] { FitImage(); }); });
    PCMagnify_->addTab(tsBitmap_, TImages::Icon("CF_BITMAP"), "&Bitmap");

    imgMagnifyPicture_ = new QLabel();
    imgMagnifyPicture_->setObjectName("imgMagnifyPicture");
    imgMagnifyPicture_->setAlignment(Qt::AlignCenter);
    PCMagnify_->addTab(imgMagnifyPicture_, TImages::Icon("CF_WMF"), "&Picture");

    htmlView_ = new THtmlView();
    htmlView_->setObjectName("tsHTML");
    PCMagnify_->addTab(htmlView_, TImages::Icon("CF_HTML"), "&HTML");

    auto* tsBinary = new QWidget();
    tsBinary->setObjectName("tsBinary");
    auto* binaryLayout = new QVBoxLayout(tsBinary);
    binaryLayout->setContentsMargins(2, 2, 2, 2);
    auto* binaryBar = new QHBoxLayout();
    binaryBar->addWidget(new QLabel("Format To Display As Binary:", tsBinary));
    cbBinaryDisplayFormats_ = new QComboBox(tsBinary);
    cbBinaryDisplayFormats_->setObjectName("cbBinaryDisplayFormats");
    binaryBar->addWidget(cbBinaryDisplayFormats_, 1);
    binaryLayout->addLayout(binaryBar);
    hexDump_ = new THexDump(tsBinary);
    hexDump_->setObjectName("HexDump");
    binaryLayout->addWidget(hexDump_, 1);
    connect(cbBinaryDisplayFormats_, &QComboBox::currentIndexChanged, this,
            [this] { Guard([this] { ShowBinaryFormat(); }); });
    PCMagnify_->addTab(tsBinary, TImages::Icon("CF_BINARY"), "B&inary");

    // The pane's buttons: pin, word wrap, expand.
    auto* corner = new QWidget();
    auto* cornerLayout = new QHBoxLayout(corner);
    cornerLayout->setContentsMargins(0, 0, 0, 0);
    cmdMagPin_ = new QToolButton(corner);
    cmdMagPin_->setObjectName("cmdMag_Pin");
    cmdMagPin_->setCheckable(true);
    cmdMagPin_->setToolTip("Pin the preview to this clip");
    cmdMagWordWrap_ = new QToolButton(corner);
    cmdMagWordWrap_->setObjectName("cmdMag_WordWrap");
    cmdMagWordWrap_->setCheckable(true);
    cmdMagWordWrap_->setIcon(TImages::Icon("TB_WORDWRAP"));
    cmdMagWordWrap_->setToolTip("Word wrap");
    cmdMagFont_ = new QToolButton(corner);
    cmdMagFont_->setObjectName("cmdMagFont");
    cmdMagFont_->setIcon(TImages::Icon("TB_FONT"));
    cmdMagFont_->setToolTip("Display font");
    connect(cmdMagFont_, &QToolButton::clicked, this, [this] { Guard([this] { ChooseMagFont(); }); });
    cmdMagSizeWindow_ = new QToolButton(corner);
    cmdMagSizeWindow_->setObjectName("cmdMag_SizeWindow");
    cmdMagSizeWindow_->setCheckable(true);
    cmdMagSizeWindow_->setIcon(TImages::Icon("TB_SIZEWINDOW"));
    cmdMagSizeWindow_->setToolTip("Expand Preview Window");
    cornerLayout->addWidget(cmdMagPin_);
    cornerLayout->addWidget(cmdMagWordWrap_);
    cornerLayout->addWidget(cmdMagFont_);
    cornerLayout->addWidget(cmdMagSizeWindow_);
    PCMagnify_->setCornerWidget(corner);
    SetPinImage("TB_TACK1");
    connect(cmdMagPin_, &QToolButton::toggled, this, [this](bool on) { Guard([this, on] { SetPinned(on); }); });
    connect(cmdMagWordWrap_, &QToolButton::toggled, this, [this](bool on) {
        txtMagnifyText_->setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
        if (core_ != nullptr)
            core_->Settings().WrapText = on;
    });
    connect(cmdMagSizeWindow_, &QToolButton::toggled, this, [this](bool on) { Guard([this, on] { ExpandPane(on); }); });
    connect(PCMagnify_, &QTabWidget::currentChanged, this, [this](int tab) {
        if (!loadingTabs_)
            Guard([this, tab] { TabChanged(tab); });
    });
    return PCMagnify_;
}

void TfrmBX::BuildToolBar() {
    QToolBar* bar = addToolBar("Main");
    bar->setObjectName("ToolBar1");
    bar->setMovable(false);
    cmdCollection_ = new QToolButton(bar);
    cmdCollection_->setObjectName("cmdCollection");
    cmdCollection_->setIcon(TImages::Icon("TB_BLANK"));
    cmdCollection_->setIconSize(TImageLists::ImageSize(TImageLists::Toolbar));
    cmdCollection_->setToolTip("Next collection (with Ctrl: from the first)");
    bar->addWidget(cmdCollection_);
    connect(cmdCollection_, &QToolButton::clicked, this, [this] {
        Guard([this] { NextCollection((QApplication::keyboardModifiers() & Qt::ControlModifier) != 0); });
    });
    // The spin button: the upper arrow selects the previous row, the lower one the next.
    auto* cmdScroll = new QWidget(bar);
    cmdScroll->setObjectName("cmdScroll");
    auto* spinLayout = new QVBoxLayout(cmdScroll);
    spinLayout->setContentsMargins(0, 0, 0, 0);
    spinLayout->setSpacing(0);
    for (const bool next : {false, true}) {
        auto* arrow = new QToolButton(cmdScroll);
        arrow->setObjectName(next ? "cmdScrollDown" : "cmdScrollUp");
        arrow->setArrowType(next ? Qt::DownArrow : Qt::UpArrow);
        arrow->setFixedSize(20, 12);
        arrow->setAutoRepeat(true);
        arrow->setToolTip(next ? "Select Next Item (Down)" : "Select Previous Item (Up)");
        connect(arrow, &QToolButton::clicked, this, [this, next] { Guard([this, next] { SelectNextItem(next); }); });
        spinLayout->addWidget(arrow);
    }
    bar->addWidget(cmdScroll);
}

void TfrmBX::AddSelectionCommand(QAction* action, bool exactlyOne) {
    selectionCommands_.push_back({action, exactlyOne});
    UpdateSelectionCommands();
}

void TfrmBX::UpdateSelectionCommands() {
    const std::size_t selected = core_ != nullptr ? core_->ClipList().SelectedCount() : 0;
    for (const auto& [action, exactlyOne] : selectionCommands_)
        if (action != nullptr)
            action->setEnabled(exactlyOne ? selected == 1 : selected >= 1);
}

void TfrmBX::NextCollection(bool fromFirst) {
    if (core_ == nullptr || core_->SuppressListEvents())
        return;
    core_->AnnounceUserMove({shell::TUserMove::Kind::OtherCollection});
    const int node = shell::TCollectionCycle::Next(core_->Tree(), fromFirst);
    if (node >= 0)
        core_->Tree().Select(node);
}

void TfrmBX::BuildMenus() {
    QMenu* edit = menuBar()->addMenu("&Edit");
    QAction* next = edit->addAction("Select &Next Item (Down)");
    next->setShortcut(QKeySequence("Ctrl+N"));
    connect(next, &QAction::triggered, this, [this] { Guard([this] { SelectNextItem(true); }); });
    QAction* previous = edit->addAction("Select &Previous Item (Up)");
    previous->setShortcut(QKeySequence("Ctrl+P"));
    connect(previous, &QAction::triggered, this, [this] { Guard([this] { SelectNextItem(false); }); });
    QAction* all = edit->addAction("Select All Items");
    all->setShortcut(QKeySequence("Ctrl+A"));
    connect(all, &QAction::triggered, this, [this] {
        Guard([this] {
            if (selection_ != nullptr)
                selection_->SelectAll();
        });
    });
    QMenu* config = menuBar()->addMenu("&Config");
    QAction* profile = config->addAction("Application P&rofile...");
    profile->setObjectName("mnuApplicationProfile");
    connect(profile, &QAction::triggered, this, [this] { Guard([this] { ShowApplicationProfile(); }); });
    QMenu* view = menuBar()->addMenu("&View");
    mnuSizePreviewWindow_ = view->addAction("Expand Preview Window");
    mnuSizePreviewWindow_->setShortcut(QKeySequence("Ctrl+Shift+X"));
    mnuSizePreviewWindow_->setCheckable(true);
    connect(mnuSizePreviewWindow_, &QAction::triggered, this, [this] { cmdMagSizeWindow_->toggle(); });
}

void TfrmBX::ShowApplicationProfile() {
    if (core_ == nullptr || core_->Filter() == nullptr || desktop_ == nullptr)
        return;
    TfrmFilter dialog(desktop_->Registry(), *core_->Filter(), this);
    dialog.Display(core_->CurrentClip() != nullptr ? core_->CurrentClip()->Creator : std::string("UNKNOWN"));
    if (BeforeDialog)
        BeforeDialog(dialog);
    dialog.exec();
}

void TfrmBX::SetCore(shell::TBrindlexCore* core, platform::IDesktop* desktop) {
    if (core_ != nullptr) {
        std::array<int, TClipListModel::ColumnCount> widths{};
        for (int column = 0; column < TClipListModel::ColumnCount; ++column)
            widths[static_cast<std::size_t>(column)] = lvClips_->horizontalHeader()->sectionSize(column);
        desktop_->Registry().WriteValue(core_->Settings().RootKey + ColumnsKey, "Sizes",
                                        TClipListModel::FormatColumnWidths(widths));
        core_->ClipList().OnReset = nullptr;
        core_->ClipList().OnRowInserted = nullptr;
        core_->Tree().OnChanged = nullptr;
        selection_.reset();
        lvClips_->setModel(nullptr);
        lvClips_->setItemDelegateForColumn(TClipListModel::ColTitle, nullptr);
        tvCollections_->setModel(nullptr);
        delete clipModel_;
        delete treeModel_;
        delete titleDelegate_;
        clipModel_ = nullptr;
        treeModel_ = nullptr;
        titleDelegate_ = nullptr;
    }
    core_ = core;
    desktop_ = desktop;
    if (core_ == nullptr || desktop_ == nullptr) {
        core_ = nullptr;
        return;
    }
    shell::TAppSettings& settings = core_->Settings();
    // The user's own collection icons join the program's.
    if (!settings.ProgramDir.empty())
        TImageLists::Reload(settings.ProgramDir + "buttons/");
    core_->SetHtmlViewerAvailable(settings.UseIEBrowser);
    selection_ = std::make_unique<shell::TClipListSelection>(*core_, *desktop_);
    selection_->OnRefreshPreview = [this] { UpdateMagView(); };
    selection_->OnRescueEditing = [this] { RescueEditing(); };
    selection_->OnListSelectionChanged = [this] {
        SyncViewSelection();
        UpdateSelectionCommands();
    };

    clipModel_ = new TClipTableModel(core_->ClipList(), this);
    clipModel_->SetShowTypeIcons(settings.ShowTypeIcons);
    lvClips_->setModel(clipModel_);
    titleDelegate_ = new TClipTitleDelegate(lvClips_);
    lvClips_->setItemDelegateForColumn(TClipListModel::ColTitle, titleDelegate_);
    // The column widths the user left last time.
    const auto stored = desktop_->Registry().ReadValue(settings.RootKey + ColumnsKey, "Sizes");
    const auto widths = TClipListModel::ParseColumnWidths(stored.value_or(std::string()));
    for (int column = 0; column < TClipListModel::ColumnCount; ++column)
        lvClips_->horizontalHeader()->resizeSection(column, widths[static_cast<std::size_t>(column)]);
    connect(lvClips_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { Guard([this] { OnViewSelectionChanged(); }); });
    connect(lvClips_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { Guard([this, column] { OnHeaderClicked(column); }); });
    core_->ClipList().OnReset = [this] { OnListReset(); };
    core_->ClipList().OnRowInserted = [this](std::size_t row) { OnRowInserted(row); };

    treeModel_ = new TCollectionTreeModel(core_->Tree(), this);
    tvCollections_->setModel(treeModel_);
    connect(tvCollections_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { Guard([this] { OnTreeCurrentChanged(); }); });
    core_->Tree().OnChanged = [this] { OnTreeChanged(); };

    HCSelectItem_->SetShowTypeIcons(settings.ShowTypeIcons);
    cmdMagWordWrap_->setChecked(settings.WrapText);
    txtMagnifyText_->setLineWrapMode(settings.WrapText ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    if (!settings.MagFont.Name.empty()) {
        QFont font(QString::fromStdString(settings.MagFont.Name));
        if (settings.MagFont.Size > 0)
            font.setPointSize(settings.MagFont.Size);
        txtMagnifyText_->setFont(font);
    }
    if (settings.split1 > 0 && settings.split2 > 0) {
        Splitter1_->setSizes({settings.split1, std::max(width() - settings.split1, 100)});
        splitter2_->setSizes({settings.split2, std::max(height() - settings.split2, 100)});
    }
    connect(Splitter1_, &QSplitter::splitterMoved, this, [this] { SplitterMoved(false); });
    connect(splitter2_, &QSplitter::splitterMoved, this, [this] { SplitterMoved(true); });
    OnTreeChanged();
    OnListReset();
}

// ---------------------------------------------------------------------------------------------------
// IMainView

void TfrmBX::ShowStatus(int level, bool busy, const std::string& text) {
    const QString qtext = QString::fromStdString(text);
    if (core_ != nullptr)
        HCSelectItem_->SetSuppressed(core_->SuppressListEvents());
    statusPanels_[2]->setText(qtext);
    if (level > 1)
        HCSelectItem_->ShowMessage(qtext);
    if (busy) {
        if (QApplication::overrideCursor() == nullptr)
            QApplication::setOverrideCursor(Qt::BusyCursor);
        if (centralWidget()->isEnabled()) {
            // Disabling takes the focus away; it goes back where it was when the work is done.
            busyFocus_ = QApplication::focusWidget();
            centralWidget()->setEnabled(false);
        }
    } else {
        while (QApplication::overrideCursor() != nullptr)
            QApplication::restoreOverrideCursor();
        if (!centralWidget()->isEnabled()) {
            centralWidget()->setEnabled(true);
            if (busyFocus_ != nullptr)
                busyFocus_->setFocus();
            busyFocus_ = nullptr;
        }
    }
    // Busy: the work that follows keeps the event loop away, so the text is drawn now. Otherwise it is
    // drawn with everything else once the loop runs again.
    if (busy)
        statusBar()->repaint();
}

void TfrmBX::SetPreviewVisible(bool visible) {
    if (visible) {
        UpdateMagView();
        return;
    }
    if (Pinned())
        return;
    ShowNotice();
}

void TfrmBX::SetPasteEnabled(bool) {}

void TfrmBX::BringToFront() {
    show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
}

void TfrmBX::Minimize() {
    showMinimized();
}

void TfrmBX::ForgetClips() {
    if (selection_ == nullptr)
        return;
    RescueEditing();
    selection_->EditClip = nullptr;
    selection_->EditNode = -1;
    if (selection_->Pinned) {
        selection_->Pinned = false;
        QSignalBlocker block(cmdMagPin_);
        cmdMagPin_->setChecked(false);
        SetPinImage("TB_TACK1");
    }
    txtMagnifyText_->clear();
    txtMagnifyText_->document()->setModified(false);
    text_ = TTextPreview::Shown{};
    ShowNotice();
}

void TfrmBX::closeEvent(QCloseEvent* event) {
    bool mayClose = true;
    Guard([&] { mayClose = core_ == nullptr || core_->FormCloseQuery(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    event->accept();
    QApplication::quit();
}

// ---------------------------------------------------------------------------------------------------
// The collection tree

void TfrmBX::OnTreeChanged() {
    if (treeModel_ == nullptr || core_ == nullptr)
        return;
    const shell::TCollectionTree& tree = core_->Tree();
    syncing_ = true;
    treeModel_->Rebuild();
    for (std::size_t i = 0; i < tree.Count(); ++i)
        if (tree.At(i).Expanded)
            tvCollections_->expand(treeModel_->IndexOfNode(static_cast<int>(i)));
    syncing_ = false;
    SyncTreeSelection();
}

void TfrmBX::SyncTreeSelection() {
    if (treeModel_ == nullptr || core_ == nullptr)
        return;
    const QModelIndex index = treeModel_->IndexOfNode(core_->Tree().Selected());
    if (tvCollections_->currentIndex() == index)
        return;
    syncing_ = true;
    tvCollections_->setCurrentIndex(index);
    syncing_ = false;
}

void TfrmBX::OnTreeCurrentChanged() {
    if (syncing_ || core_ == nullptr)
        return;
    const int node = TCollectionTreeModel::NodeOf(tvCollections_->currentIndex());
    if (node < 0 || node == core_->Tree().Selected())
        return;
    core_->Tree().Select(node);
    rightPart_->setVisible(core_->ClipList().Coll() != nullptr);
    UpdateCaption();
}

// ---------------------------------------------------------------------------------------------------
// The clip list

void TfrmBX::OnListReset() {
    if (clipModel_ == nullptr || core_ == nullptr)
        return;
    syncing_ = true;
    clipModel_->Reset();
    syncing_ = false;
    // Where the titles start is worked out when the list is next drawn: filling and sorting a
    // collection resets the list several times in a row.
    formatIconsStale_ = true;
    const TClipListModel& list = core_->ClipList();
    for (int column = TClipListModel::ColHasText; column <= TClipListModel::ColHasFiles; ++column)
        lvClips_->horizontalHeader()->resizeSection(column, TClipListModel::FormatColumnWidth);
    rightPart_->setVisible(list.Coll() != nullptr || core_->Tree().Selected() < 0);
    ShowSortArrow();
    // The collection button shows the icon of the collection shown last.
    if (list.Coll() != nullptr) {
        const QPixmap button =
            TImages::CollectionButtonImage(list.Coll()->ImageIndex, palette().color(QPalette::Button));
        TImageLists::Program().Replace(TImageLists::Toolbar, TImageLists::CollectionButton, button.toImage());
        cmdCollection_->setIcon(QIcon(button));
    }
    SyncViewSelection();
    SyncTreeSelection();
    UpdateCaption();
    if (core_->HCSelectItemMessageMode())
        HCSelectItem_->ShowMessage(QString::fromStdString(core_->HCSelectItemText()));
}

void TfrmBX::OnRowInserted(std::size_t row) {
    if (clipModel_ == nullptr)
        return;
    syncing_ = true;
    clipModel_->RowInserted(static_cast<int>(row));
    syncing_ = false;
    if (selection_ != nullptr)
        selection_->RowAdded();
    if (const TClipObj* clip = core_->ClipList().Clip(row); clip != nullptr && !formatIconsStale_)
        titleDelegate_->SetMaxFormatIcons(
            std::max(titleDelegate_->MaxFormatIcons(), TClipListModel::FormatIconCount(*clip)));
}

void TfrmBX::UpdateFormatIconRoom() {
    if (!formatIconsStale_ || core_ == nullptr || titleDelegate_ == nullptr)
        return;
    formatIconsStale_ = false;
    // The widest row of format images decides where every title starts.
    int maxIcons = 0;
    const TClipListModel& list = core_->ClipList();
    for (std::size_t row = 0; row < list.Count(); ++row)
        if (const TClipObj* clip = list.Clip(row); clip != nullptr)
            maxIcons = std::max(maxIcons, TClipListModel::FormatIconCount(*clip));
    titleDelegate_->SetMaxFormatIcons(maxIcons);
}

void TfrmBX::SyncViewSelection() {
    if (clipModel_ == nullptr || core_ == nullptr)
        return;
    const TClipListModel& list = core_->ClipList();
    QItemSelection selection;
    const int columns = TClipListModel::ColumnCount - 1;
    std::size_t row = 0;
    while (row < list.Count()) {
        if (!list.IsSelected(row)) {
            ++row;
            continue;
        }
        std::size_t end = row;
        while (end + 1 < list.Count() && list.IsSelected(end + 1))
            ++end;
        selection.select(clipModel_->index(static_cast<int>(row), 0),
                         clipModel_->index(static_cast<int>(end), columns));
        row = end + 1;
    }
    syncing_ = true;
    QItemSelectionModel* model = lvClips_->selectionModel();
    model->select(selection, QItemSelectionModel::ClearAndSelect);
    if (list.FocusedRow() >= 0) {
        const QModelIndex focused = clipModel_->index(list.FocusedRow(), 0);
        model->setCurrentIndex(focused, QItemSelectionModel::NoUpdate);
        lvClips_->scrollTo(focused);
    }
    syncing_ = false;
}

void TfrmBX::OnViewSelectionChanged() {
    if (syncing_ || core_ == nullptr)
        return;
    std::vector<std::size_t> rows;
    for (const QItemSelectionRange& range : lvClips_->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(static_cast<std::size_t>(row));
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    const QModelIndex current = lvClips_->selectionModel()->currentIndex();
    core_->ClipList().SetSelection(rows, current.isValid() ? current.row() : -1);
}

void TfrmBX::OnHeaderClicked(int column) {
    if (core_ == nullptr || core_->SuppressListEvents())
        return;
    core_->ClipList().ColumnClick(column);
}

void TfrmBX::ShowSortArrow() {
    const TClipListModel& list = core_->ClipList();
    const clipstore::TClipColl* coll = list.Coll();
    if (coll == nullptr) {
        lvClips_->horizontalHeader()->setSortIndicatorShown(false);
        return;
    }
    // The arrows are drawn the other way round: up for a descending list.
    lvClips_->horizontalHeader()->setSortIndicatorShown(true);
    lvClips_->horizontalHeader()->setSortIndicator(coll->SortColumn,
                                                   coll->SortAscending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TfrmBX::SelectNextItem(bool next) {
    if (selection_ != nullptr)
        selection_->SelectNext(next);
}

void TfrmBX::Guard(const std::function<void()>& handler) {
    if (core_ != nullptr)
        core_->Guarded(handler);
    else
        handler();
}

bool TfrmBX::eventFilter(QObject* watched, QEvent* event) {
    // Every event of the watched widgets passes here: no handler object is made for it.
    bool used = false;
    try {
        used = FilterEvent(watched, event);
    } catch (...) {
        if (core_ == nullptr)
            throw;
        core_->ErrorTrap().HandleCurrentException();
    }
    return used || QMainWindow::eventFilter(watched, event);
}

bool TfrmBX::FilterEvent(QObject* watched, QEvent* event) {
    if (watched == lvClips_->viewport() && event->type() == QEvent::Paint)
        UpdateFormatIconRoom();
    if ((watched == lvClips_ || watched == lvClips_->viewport()) && selection_ != nullptr) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)
                selection_->ArrowKeyDown();
        } else if (event->type() == QEvent::KeyRelease) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && !key->isAutoRepeat())
                selection_->ArrowKeyUp();
        } else if (event->type() == QEvent::FocusOut && watched == lvClips_) {
            // A key released elsewhere never comes here: the list then counts it as released.
            selection_->ArrowKeyUp();
        } else if (event->type() == QEvent::MouseMove && watched == lvClips_->viewport()) {
            // A pointing hand over an address of the "Source URL" column.
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QModelIndex index = lvClips_->indexAt(mouse->position().toPoint());
            const bool link = index.column() == TClipListModel::ColSourceUrl && !index.data().toString().isEmpty();
            lvClips_->viewport()->setCursor(link ? Qt::PointingHandCursor : Qt::ArrowCursor);
        }
    }
    if (watched == imgMagnifyBitmap_ && event->type() == QEvent::MouseButtonDblClick) {
        cbStretch_->toggle();
        return true;
    }
    if (watched == tsBitmap_ && event->type() == QEvent::Resize)
        FitImage();
    if (watched == txtMagnifyText_ && event->type() == QEvent::FocusOut) {
        // Leaving the editor keeps what was typed.
        RescueEditing();
    }
    return false;
}

bool TfrmBX::WheelTurned(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel || selection_ == nullptr)
        return false;
    // The wheel anywhere in the window moves the list's selection: a turn toward the user selects the
    // next row, away from the user the previous one. The editors of the pane scroll their text and
    // keep the turn to themselves.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this)
        return false;
    const auto* wheel = static_cast<QWheelEvent*>(event);
    for (const QWidget* editor : {static_cast<QWidget*>(txtMagnifyText_), static_cast<QWidget*>(txtMagnifyRTF_)}) {
        if (editor->isVisible() && editor->rect().contains(editor->mapFromGlobal(wheel->globalPosition().toPoint())))
            // The editor scrolls; a turn it leaves unused stops at its parents.
            return !(widget == editor || editor->isAncestorOf(widget));
    }
    const int delta = wheel->angleDelta().y();
    if (delta != 0)
        SelectNextItem(delta < 0);
    return true;
}

void TfrmBX::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (magViewStale_ && !isMinimized())
        UpdateMagView();
}

void TfrmBX::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    Guard([this, event] { OnWindowChange(event); });
}

void TfrmBX::OnWindowChange(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && magViewStale_ && isVisible() && !isMinimized())
        UpdateMagView();
    if (event->type() != QEvent::ActivationChange || isActiveWindow() || core_ == nullptr || selection_ == nullptr)
        return;
    // Leaving the program: an edit of the shown clip is written back and goes on the clipboard, so that
    // the other program pastes the edited text. Without an edit the clipboard is left alone (it may hold
    // what was just copied out of the editor).
    const int editsBefore = core_->Settings().Edits;
    RescueEditing();
    if (core_->Settings().Edits == editsBefore)
        return;
    // A pinned pane's clip is the one the user worked on: it becomes the current clip.
    if (selection_->Pinned && selection_->EditClip != nullptr)
        core_->SetCurrentClip(selection_->EditClip);
    if (core_->CurrentClip() != nullptr)
        core_->CopyItem(core_->CurrentClip());
}

void TfrmBX::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FitImage();
}

// ---------------------------------------------------------------------------------------------------
// The preview pane

clipstore::TClipObj* TfrmBX::EditClip() const {
    return selection_ != nullptr ? selection_->EditClip : nullptr;
}

bool TfrmBX::Pinned() const {
    return selection_ != nullptr && selection_->Pinned;
}

bool TfrmBX::PaneShown() const {
    return previewStack_->currentWidget() == PCMagnify_;
}

QString TfrmBX::Notice() const {
    return PaneShown() ? QString() : lblNothingToDisplay_->text();
}

QString TfrmBX::StatusPanel(int panel) const {
    return panel >= 0 && panel < 3 ? statusPanels_[panel]->text() : QString();
}

int TfrmBX::VisibleTabCount() const {
    int count = 0;
    for (int tab = 0; tab < TabCount; ++tab)
        if (PCMagnify_->isTabVisible(tab))
            ++count;
    return count;
}

void TfrmBX::SetPinImage(const QString& name) {
    pinImage_ = name;
    cmdMagPin_->setIcon(TImages::Icon(name));
}

void TfrmBX::SetPinned(bool pinned) {
    if (selection_ == nullptr || core_ == nullptr)
        return;
    if (cmdMagPin_->isChecked() != pinned) {
        QSignalBlocker block(cmdMagPin_);
        cmdMagPin_->setChecked(pinned);
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

void TfrmBX::ShowNotice() {
    const TClipListModel* list = core_ != nullptr ? &core_->ClipList() : nullptr;
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
    lblNothingToDisplay_->setText(text);
    lblNothingToDisplay_->setMaximumWidth(std::max(250, width() - tvCollections_->width() - 100));
    previewStack_->setCurrentWidget(lblNothingToDisplay_);
}

void TfrmBX::UpdateMagView() {
    if (core_ == nullptr || selection_ == nullptr)
        return;
    // A window nobody sees loads no clip data; it catches up when it is shown again.
    if (!isVisible() || isMinimized()) {
        magViewStale_ = true;
        return;
    }
    magViewStale_ = false;
    TClipObj* current = core_->CurrentClip();
    const bool pinned = selection_->Pinned;
    bool paneVisible = false;
    if (current == nullptr && !pinned) {
        statusPanels_[1]->clear();
    } else {
        if (!pinned && current != nullptr) {
            QStringList images;
            const int row = core_->ClipList().RowOf(current);
            if (row >= 0 && clipModel_ != nullptr)
                images = clipModel_->index(row, 0).data(TClipTableModel::FormatImagesRole).toStringList();
            HCSelectItem_->ShowClip(QString::fromStdString(current->Title), images);
        }
        if (core_->ClipList().SelectedCount() == 1 || pinned) {
            if (!pinned) {
                TClipObj* clip = selection_->EditClip != nullptr ? selection_->EditClip : current;
                selection_->EditClip = clip;
                loadingTabs_ = true;
                LoadTabs(*clip);
                // The page shown before stays when it still has something to show.
                int active = lastTab_;
                if (active < 0 || !PCMagnify_->isTabVisible(active)) {
                    active = -1;
                    for (int tab = 0; tab < TabCount && active < 0; ++tab)
                        if (PCMagnify_->isTabVisible(tab))
                            active = tab;
                }
                if (active >= 0)
                    PCMagnify_->setCurrentIndex(active);
                loadingTabs_ = false;
                paneVisible = active >= 0;
                if (paneVisible) {
                    lastTab_ = active;
                    previewStack_->setCurrentWidget(PCMagnify_);
                    TabChanged(active);
                }
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
        previewStack_->setCurrentWidget(PCMagnify_);
    else
        ShowNotice();
    UpdateCaption();
}

void TfrmBX::LoadTabs(TClipObj& clip) {
    const clipstore::TClipContext& st = clip.Context();
    // Text: loaded now, with the caret at the end; a text too large for the editor in part.
    bool hasText = false;
    text_ = TTextPreview::Shown{};
    if (clip.HasFormat(CF_TEXT)) {
        const std::size_t size = clip.Lock(CF_TEXT);
        if (size > 0) {
            hasText = true;
            if (clip.LockedData != nullptr) {
                const auto* start = reinterpret_cast<const char*>(clip.LockedData);
                text_ = TTextPreview::Make(std::string_view(start, strnlen(start, size)));
                txtMagnifyText_->setPlainText(text_.text);
            } else {
                text_.whole = false;
                txtMagnifyText_->setPlainText(CouldNotRetrieve);
            }
        }
        clip.Unlock();
    }
    if (!hasText)
        txtMagnifyText_->clear();
    const QString notice = TTextPreview::Notice(text_);
    lblTextNotice_->setText(notice);
    lblTextNotice_->setVisible(!notice.isEmpty());
    txtMagnifyText_->setReadOnly(!text_.whole);
    txtMagnifyText_->document()->setModified(false);
    txtMagnifyText_->moveCursor(QTextCursor::End);
    PCMagnify_->setTabVisible(TabText, hasText);

    // Rich text and the picture: loaded when their page becomes active.
    txtMagnifyRTF_->clear();
    PCMagnify_->setTabVisible(TabRtf, st.RtfFormat != 0 && clip.HasFormat(st.RtfFormat));

    bitmap_ = QImage();
    const bool hasBitmap = clip.HasFormat(CF_BITMAP) || clip.HasFormat(CF_DIB);
    if (hasBitmap) {
        const TClipObj::GraphicObj obj = clip.GetObj(CF_BITMAP);
        if (obj.Bitmap != nullptr && !obj.Bitmap->Empty()) {
            bitmap_ = TDibImage::FromDib(obj.Bitmap->Dib());
        } else {
            const std::string dib = LockedBytes(clip, CF_DIB, false);
            bitmap_ = TDibImage::FromDib(
                std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(dib.data()), dib.size()));
        }
    }
    PCMagnify_->setTabVisible(TabBitmap, hasBitmap);
    imgMagnifyPicture_->clear();
    PCMagnify_->setTabVisible(TabPicture, clip.HasFormat(CF_METAFILEPICT) || clip.HasFormat(CF_ENHMETAFILE));

    const bool hasHtml = st.HtmlFormat != 0 && clip.HasFormat(st.HtmlFormat);
    PCMagnify_->setTabVisible(TabHtml, core_->HtmlViewerAvailable() && (hasHtml || hasText));
    PCMagnify_->setTabText(TabHtml, hasHtml ? "&HTML" : "TEXT as &HTML");
    htmlView_->clear();

    bool binary = false;
    if (core_->Settings().ShowBinary || VisibleTabCount() - (PCMagnify_->isTabVisible(TabBinary) ? 1 : 0) == 0) {
        FillBinaryFormats(clip);
        for (int i = 0; i < cbBinaryDisplayFormats_->count() && !binary; ++i)
            binary = cbBinaryDisplayFormats_->itemData(i).toInt() > 0;
    }
    PCMagnify_->setTabVisible(TabBinary, binary);
    if (binary)
        ShowBinaryFormat();
    if (hasBitmap)
        pnlMagBitmapSize_->setText(QString("%1x%2").arg(bitmap_.width()).arg(bitmap_.height()));
}

void TfrmBX::FillBinaryFormats(TClipObj& clip) {
    QSignalBlocker block(cbBinaryDisplayFormats_);
    cbBinaryDisplayFormats_->clear();
    for (int i = 0; i < clip.FormatCount(); ++i) {
        const int number = clip.GetFormatNum(i);
        QString name = QString::fromStdString(clip.GetFormatName(i));
        // Graphics are kept as pictures, not as bytes.
        const bool graphic = number == static_cast<int>(CF_BITMAP) || number == static_cast<int>(CF_METAFILEPICT) ||
                             number == static_cast<int>(CF_DIB);
        if (graphic)
            name += " (Not Displayable)";
        cbBinaryDisplayFormats_->addItem(name, graphic ? 0 : number);
    }
    if (cbBinaryDisplayFormats_->count() > 0)
        cbBinaryDisplayFormats_->setCurrentIndex(0);
}

void TfrmBX::ShowBinaryFormat() {
    TClipObj* clip = EditClip();
    const int number = cbBinaryDisplayFormats_->currentData().toInt();
    hexDump_->ClearAddress();
    binaryBuffer_.clear();
    if (clip != nullptr && number > 0) {
        const std::string bytes = LockedBytes(*clip, static_cast<platform::UINT>(number), false);
        binaryBuffer_.assign(bytes.begin(), bytes.end());
    }
    if (!binaryBuffer_.empty()) {
        hexDump_->SetAddress(binaryBuffer_);
        hexDump_->SetDataSize(static_cast<int>(binaryBuffer_.size()));
    } else {
        hexDump_->SetDataSize(0);
    }
    hexDump_->SetTopLine(0);
}

void TfrmBX::TabChanged(int tab) {
    if (tab < 0 || tab >= TabCount)
        return;
    lastTab_ = tab;
    TClipObj* clip = EditClip();
    QString size;
    if (clip != nullptr) {
        const clipstore::TClipContext& st = clip->Context();
        switch (tab) {
        case TabText:
            size = QString::number(text_.whole ? txtMagnifyText_->toPlainText().toUtf8().size()
                                               : static_cast<qsizetype>(text_.bytes)) +
                   " Bytes";
            break;
        case TabRtf: {
            const std::string rtf = LockedBytes(*clip, st.RtfFormat, true);
            const bool read =
                !rtf.empty() && TRtfReader::Read(std::span<const std::uint8_t>(
                                                     reinterpret_cast<const std::uint8_t*>(rtf.data()), rtf.size()),
                                                 *txtMagnifyRTF_->document());
            if (!read)
                txtMagnifyRTF_->setPlainText(CouldNotRetrieve);
            txtMagnifyRTF_->moveCursor(QTextCursor::Start);
            size = QString::number(txtMagnifyRTF_->toPlainText().size()) + " Bytes";
            break;
        }
        case TabBitmap:
            FitImage();
            size = QString("%1 x %2 Pixels").arg(bitmap_.width()).arg(bitmap_.height());
            break;
        case TabPicture: {
            const TClipObj::GraphicObj obj =
                clip->GetObj(clip->HasFormat(CF_ENHMETAFILE) ? CF_ENHMETAFILE : CF_METAFILEPICT);
            size = DrawPicture(obj.Metafile);
            break;
        }
        case TabHtml:
            if (st.HtmlFormat != 0 && clip->HasFormat(st.HtmlFormat)) {
                htmlView_->ShowHtmlFormat(LockedBytes(*clip, st.HtmlFormat, true));
                size = "Actual HTML";
            } else {
                // What the text page shows, so that a huge text is shown in part here too.
                htmlView_->ShowText(text_.text.toStdString());
                size = "TEXT as HTML";
            }
            break;
        default:
            break;
        }
    }
    statusPanels_[1]->setText(size);
}

QString TfrmBX::DrawPicture(const clipstore::TMetafile* metafile) {
    imgMagnifyPicture_->clear();
    if (metafile == nullptr || metafile->Empty())
        return {};
    const std::vector<std::uint8_t>& bytes = metafile->Bytes();
    QSize natural = TMetafileRenderer::NaturalSize(bytes);
    if (natural.isEmpty() && metafile->Width() > 0 && metafile->Height() > 0)
        natural = QSize(metafile->Width(), metafile->Height());
    const QString sizeText =
        natural.isEmpty() ? QString() : QString("%1 x %2").arg(natural.width()).arg(natural.height());
    if (natural.isEmpty())
        return sizeText;
    // Always fitted to the page.
    const QSize page = imgMagnifyPicture_->size();
    const TImageFit fit = TImageFit::Fit(natural.width(), natural.height(), page.width(), page.height(), 0);
    const TMetafileRenderer::Result drawn =
        TMetafileRenderer::Render(bytes, QSize(std::max(fit.Width, 1), std::max(fit.Height, 1)));
    if (drawn.Image.isNull() || drawn.RecordsDrawn == 0)
        return sizeText; // an empty page, and the picture's size
    imgMagnifyPicture_->setPixmap(QPixmap::fromImage(drawn.Image));
    if (core_ != nullptr)
        core_->ShowStatus(1, false, fit.Status);
    return sizeText;
}

void TfrmBX::FitImage() {
    if (PCMagnify_->currentIndex() != TabBitmap || !PCMagnify_->isTabVisible(TabBitmap) || bitmap_.isNull() ||
        !PaneShown())
        return;
    const int bar = tbBitmap_->height();
    const TImageFit fit = cbStretch_->isChecked() ? TImageFit::Fit(bitmap_.width(), bitmap_.height(),
                                                                   tsBitmap_->width(), tsBitmap_->height(), bar)
                                                  : TImageFit::FullSize(bitmap_.width(), bitmap_.height(), bar);
    imgMagnifyBitmap_->setPixmap(QPixmap::fromImage(bitmap_));
    imgMagnifyBitmap_->setGeometry(fit.Left, fit.Top - bar, fit.Width, fit.Height);
    bitmapCanvas_->resize(std::max(fit.Left + fit.Width, bitmapScroll_->viewport()->width()),
                          std::max(fit.Top - bar + fit.Height, bitmapScroll_->viewport()->height()));
    if (core_ != nullptr)
        core_->ShowStatus(1, false, fit.Status);
}

void TfrmBX::RescueEditing() {
    // Only a text shown whole is written back: a part would cut the clip's text.
    if (core_ == nullptr || selection_ == nullptr || !PCMagnify_->isTabVisible(TabText) ||
        !txtMagnifyText_->document()->isModified() || !text_.whole)
        return;
    TClipObj* clip = selection_->EditClip;
    if (clip == nullptr)
        return;
    try {
        int index = -1;
        if (!clip->HasFormat(CF_TEXT, index))
            return;
        const std::string text = TTextPreview::Store(txtMagnifyText_->toPlainText(), text_.windows1252);
        // An emptied editor stores nothing: the clip keeps its text.
        if (text.empty() || text == "\r\n")
            return;
        clip->PutText(text, index);
        // The edited text is the clip now: every other format goes.
        if (clip->Formats) {
            auto& formats = *clip->Formats;
            formats.erase(
                std::remove_if(formats.begin(), formats.end(), [](const auto& d) { return d->FormatNum != CF_TEXT; }),
                formats.end());
        }
        clip->IconBits = 0;
        clip->SetIcon(CF_TEXT);
        clip->SetDirty(true);
        PCMagnify_->setTabVisible(TabRtf, false);
        PCMagnify_->setTabVisible(TabBitmap, false);
        PCMagnify_->setTabVisible(TabPicture, false);
        if (clipModel_ != nullptr) {
            const int row = core_->ClipList().RowOf(clip);
            if (row >= 0)
                emit clipModel_->dataChanged(clipModel_->index(row, 0),
                                             clipModel_->index(row, TClipListModel::ColumnCount - 1));
        }
        txtMagnifyText_->document()->setModified(false);
        ++core_->Settings().Edits;
        platform::LogMsg(platform::LogDataEvents, "TfrmBX.RescueEditing",
                         "Item #" + std::to_string(clip->SerialNbr) + " Edited");
        core_->ShowStatus(1, false, "Editing Changed Recorded");
    } catch (const std::exception&) {
        platform::LogMsg(platform::LogErrors, "RescueEditing", "Edit Failed!");
        core_->ShowStatus(1, false, "Edit Failed!");
    }
}

void TfrmBX::ChooseMagFont() {
    if (core_ == nullptr)
        return;
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, txtMagnifyText_->font(), this, "Display Font");
    if (!ok)
        return;
    shell::TFontDesc& stored = core_->Settings().MagFont;
    stored.Name = font.family().toStdString();
    stored.Size = font.pointSize() > 0 ? font.pointSize() : stored.Size;
    txtMagnifyText_->setFont(font);
}

void TfrmBX::ExpandPane(bool expand) {
    mnuSizePreviewWindow_->setChecked(expand);
    if (expand) {
        Splitter1_->setSizes({1, width()});
        splitter2_->setSizes({1, height()});
        return;
    }
    const int split1 = core_ != nullptr && core_->Settings().split1 > 0 ? core_->Settings().split1 : 200;
    const int split2 = core_ != nullptr && core_->Settings().split2 > 0 ? core_->Settings().split2 : height() / 2;
    Splitter1_->setSizes({split1, std::max(width() - split1, 100)});
    splitter2_->setSizes({split2, std::max(height() - split2, 100)});
}

void TfrmBX::SplitterMoved(bool horizontal) {
    if (core_ == nullptr)
        return;
    if (horizontal) {
        // A list pushed to the top keeps a sliver, so that its splitter can be found again.
        int list = splitter2_->sizes().value(0);
        if (list <= MinListHeight) {
            const int total = splitter2_->sizes().value(0) + splitter2_->sizes().value(1);
            list = MinListHeight;
            QSignalBlocker block(splitter2_);
            splitter2_->setSizes({list, std::max(total - list, 0)});
        }
        core_->Settings().split2 = list;
    } else {
        core_->Settings().split1 = Splitter1_->sizes().value(0);
    }
    // Moving either splitter ends the expanded pane.
    QSignalBlocker block(cmdMagSizeWindow_);
    cmdMagSizeWindow_->setChecked(false);
    mnuSizePreviewWindow_->setChecked(false);
}

void TfrmBX::UpdateCaption() {
    const clipstore::TClipColl* coll = core_ != nullptr ? core_->ClipList().Coll() : nullptr;
    setWindowTitle(coll != nullptr ? QString::fromStdString("Brindlex Explorer - " + coll->Title)
                                   : QString("Brindlex Explorer"));
}

} // namespace bx::explorer
