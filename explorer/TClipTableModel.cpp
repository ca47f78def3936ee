#include "TClipTableModel.h"

#include "PlatformTypes.h"
#include "TClipContext.h"
#include "TClipFilter.h"
#include "TClipListModel.h"
#include "TClipObj.h"
#include "TImages.h"

#include <QBrush>
#include <QFont>
#include <QStringList>

namespace bx::explorer {

using shell::TClipListModel;

TClipTableModel::TClipTableModel(TClipListModel& list, QObject* parent) : QAbstractTableModel(parent), list_(list) {}

int TClipTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return static_cast<int>(filter_ != nullptr ? filter_->Count() : list_.Count());
}

int TClipTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : TClipListModel::ColumnCount;
}

QVariant TClipTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (index.row() >= rowCount())
        return {};
    const clipstore::TClipObj* clip = list_.Clip(ListRow(index.row()));
    if (clip == nullptr)
        return {};
    const int column = index.column();
    const bool formatColumn = column >= TClipListModel::ColHasText && column <= TClipListModel::ColHasFiles;
    switch (role) {
    case Qt::DisplayRole:
        // With type images the format cells show an image instead of "Y" and "N".
        if (formatColumn && showTypeIcons_)
            return {};
        return QString::fromStdString(TClipListModel::CellText(*clip, column));
    case Qt::ToolTipRole:
        if (column == TClipListModel::ColTitle || column == TClipListModel::ColSourceUrl)
            return QString::fromStdString(TClipListModel::CellText(*clip, column));
        return {};
    case Qt::DecorationRole:
        if (formatColumn && showTypeIcons_ && TClipListModel::CellText(*clip, column) == "Y")
            return TImages::Get("BLUEBALL");
        if (column == TClipListModel::ColTitle && !showTypeIcons_)
            return TImages::Get(TImages::ClipImageName(clip->IconIndex()));
        return {};
    case FormatImagesRole:
        if (column != TClipListModel::ColTitle || !showTypeIcons_)
            return {};
        return FormatImageNames(*clip);
    case FilterMatchRole: {
        if (column != TClipListModel::ColTitle || filter_ == nullptr || !filter_->Active())
            return {};
        const auto at = shell::TClipFilter::FindInTitle(clip->Title, filter_->Text());
        if (!at)
            return {};
        const auto start = QString::fromUtf8(clip->Title.data(), static_cast<qsizetype>(*at)).size();
        return QPoint(static_cast<int>(start), static_cast<int>(QString::fromStdString(filter_->Text()).size()));
    }
    case Qt::ForegroundRole:
        if (column == TClipListModel::ColSourceUrl)
            return QBrush(linkColor_);
        return {};
    case Qt::FontRole:
        if (column == TClipListModel::ColSourceUrl) {
            QFont font;
            font.setUnderline(true);
            return font;
        }
        return {};
    default:
        return {};
    }
}

QVariant TClipTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= TClipListModel::ColumnCount)
        return {};
    const bool formatColumn = section >= TClipListModel::ColHasText && section <= TClipListModel::ColHasFiles;
    static const char* const headerImages[] = {"CF_TEXT", "CF_RTF", "CF_BITMAP", "CF_WMF", "CF_HTML", "CF_HDROP"};
    switch (role) {
    case Qt::DisplayRole:
        if (formatColumn && showTypeIcons_)
            return {};
        return QString(TClipListModel::ColumnCaptions[static_cast<std::size_t>(section)]);
    case Qt::DecorationRole:
        if (formatColumn && showTypeIcons_)
            return TImages::Get(headerImages[section - TClipListModel::ColHasText]);
        return {};
    case Qt::ToolTipRole:
        return QString(TClipListModel::ColumnCaptions[static_cast<std::size_t>(section)]);
    default:
        return {};
    }
}

void TClipTableModel::SetShowTypeIcons(bool on) {
    if (showTypeIcons_ == on)
        return;
    beginResetModel();
    showTypeIcons_ = on;
    endResetModel();
}

void TClipTableModel::SetLinkColor(const QColor& color) {
    if (color == linkColor_)
        return;
    linkColor_ = color;
    if (rowCount() > 0)
        emit dataChanged(index(0, TClipListModel::ColSourceUrl), index(rowCount() - 1, TClipListModel::ColSourceUrl),
                         {Qt::ForegroundRole});
}

void TClipTableModel::Reset() {
    beginResetModel();
    endResetModel();
}

void TClipTableModel::RowInserted(int row) {
    // The filter decides where a new row goes, if anywhere.
    if (filter_ != nullptr && filter_->Active()) {
        Reset();
        return;
    }
    beginInsertRows(QModelIndex(), row, row);
    endInsertRows();
}

void TClipTableModel::SetFilter(const shell::TClipFilter* filter) {
    beginResetModel();
    filter_ = filter;
    endResetModel();
}

std::size_t TClipTableModel::ListRow(int row) const {
    const auto r = static_cast<std::size_t>(row);
    return filter_ != nullptr ? filter_->ListRow(r) : r;
}

int TClipTableModel::ViewRow(int listRow) const {
    if (listRow < 0)
        return -1;
    return filter_ != nullptr ? filter_->ShownRow(static_cast<std::size_t>(listRow)) : listRow;
}

QStringList TClipTableModel::FormatImageNames(const clipstore::TClipObj& clip) const {
    const clipstore::TClipContext& st = clip.Context();
    QStringList names;
    const std::pair<platform::UINT, const char*> order[] = {
        {platform::CF_TEXT, "CF_TEXT"},   {st.RtfFormat, "CF_RTF"},           {st.HtmlFormat, "CF_HTML"},
        {platform::CF_HDROP, "CF_HDROP"}, {platform::CF_BITMAP, "CF_BITMAP"}, {platform::CF_METAFILEPICT, "CF_WMF"}};
    for (const auto& [format, name] : order)
        if (format != 0 && clip.HasIcon(format))
            names << name;
    if (names.isEmpty())
        names << "CF_UNKNOWN";
    return names;
}

Qt::ItemFlags TClipTableModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    return index.isValid() ? flags | Qt::ItemIsDragEnabled : flags;
}

} // namespace bx::explorer
