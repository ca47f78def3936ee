// brindlex-explorer-bench: the explorer window's clip list with one collection of 100,000 clips
// (offscreen): binding the list and drawing its first screen, sorting by each column, scrolling one
// page, a keystroke in the filter box to the first screen of its rows; and whether drawing or filtering
// the rows loaded any clip data (it must not).
//
//   brindlex-explorer-bench [CLIPS]
#include "PlatformTypes.h"
#include "TClipColl.h"
#include "TClipContext.h"
#include "TClipFilter.h"
#include "TClipListModel.h"
#include "TClipObj.h"
#include "TClipTableModel.h"
#include "TClipTitleDelegate.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using bx::clipstore::TClipColl;
using bx::clipstore::TClipObj;
using bx::shell::TClipListModel;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Draws the view now, as a screen update would.
void Draw(QTableView& view) {
    view.viewport()->repaint();
    QApplication::processEvents();
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const int clips = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;

    bx::clipstore::TClipContext st;
    st.RtfFormat = 0xC001;
    st.HtmlFormat = 0xC002;
    // Clip data could be loaded: a row that asked for it would load it (and find no file).
    st.MasterListExists = true;
    TClipColl coll(st, false);
    coll.AddOrder = 0;
    coll.SortColumn = TClipListModel::ColMySort;
    coll.SortAscending = false;
    const char* sources[] = {"GEDIT", "FIREFOX", "KATE", "LIBREOFFICE", "GIMP"};
    const bx::platform::UINT formats[] = {bx::platform::CF_TEXT, st.RtfFormat, st.HtmlFormat, bx::platform::CF_BITMAP,
                                          bx::platform::CF_HDROP};
    unsigned seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int i = 0; i < clips; ++i) {
        auto clip = std::make_unique<TClipObj>(st, i + 1, sources[next() % 5]);
        clip->Title = "Clip " + std::to_string(next() % 1000000) + " of the day";
        clip->SortKey = static_cast<std::int32_t>(next() % 10000000);
        clip->TimeStamp = 45000.0 + static_cast<double>(next() % 1000000) / 1000.0;
        // Every clip unloaded, its data in a file: a row that asked for data would load it.
        clip->DataInFile = true;
        clip->Formats.reset();
        clip->IconBits = 0;
        for (int f = 0; f < 5; ++f)
            if (next() % 2 == 0)
                clip->SetIcon(formats[f]);
        if (next() % 4 == 0)
            clip->SourceURL = "https://example.org/page/" + std::to_string(i);
        coll.MyAddObject(clip->Title, std::move(clip));
    }

    TClipListModel list;
    bx::explorer::TClipTableModel model(list);
    const bx::platform::TSubscription reset = list.RowsReset.Subscribe([&model] { model.Reset(); });
    QTableView view;
    view.setModel(&model);
    // The title cells draw their format images as in the window.
    bx::explorer::TClipTitleDelegate titles(&view);
    view.setItemDelegateForColumn(TClipListModel::ColTitle, &titles);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(18);
    view.resize(1000, 600);
    view.show();
    QApplication::processEvents();

    std::printf("Explorer clip list, %d clips (offscreen)\n", clips);
    auto start = Clock::now();
    list.Bind(&coll);
    list.UpdateLVClips();
    list.SortAsSaved();
    list.SelectOnly(0);
    Draw(view);
    const double firstScreen = MsSince(start);
    std::printf("  %-34s %8.1f ms  (target 200)\n", "bind, sort and first screen", firstScreen);

    double worstSort = 0;
    for (int column = 0; column < TClipListModel::ColumnCount; ++column) {
        start = Clock::now();
        list.Sort(column, column % 2 == 0);
        Draw(view);
        const double ms = MsSince(start);
        worstSort = std::max(worstSort, ms);
        std::printf("  sort by %-26s %8.1f ms  (target 500)\n",
                    TClipListModel::ColumnCaptions[static_cast<std::size_t>(column)], ms);
    }

    QScrollBar* bar = view.verticalScrollBar();
    double worstScroll = 0;
    for (int page = 0; page < 20; ++page) {
        start = Clock::now();
        bar->setValue(bar->value() + bar->pageStep());
        Draw(view);
        worstScroll = std::max(worstScroll, MsSince(start));
    }
    std::printf("  %-34s %8.1f ms  (target 16, worst of 20)\n", "scroll one page", worstScroll);

    // Filtering as the user types: the titles are searched at once (the texts are in data files here,
    // left to the filter's helper thread, which finds no files).
    bx::shell::TClipFilter filter(list);
    model.SetFilter(&filter);
    const bx::platform::TSubscription filtered = filter.RowsChanged.Subscribe([&model] { model.Reset(); });
    for (const char* needle : {"7", "777", "clip 777"}) {
        filter.SetText(std::string());
        Draw(view);
        start = Clock::now();
        filter.SetText(needle);
        Draw(view);
        const double ms = MsSince(start);
        std::printf("  filter \"%s\" to the first screen%*s %8.1f ms  (target 16, %zu rows)\n", needle,
                    static_cast<int>(10 - std::string(needle).size()), "", ms, filter.Count());
    }
    filter.SetText(std::string());

    std::size_t loaded = 0;
    for (std::size_t i = 0; i < coll.Count(); ++i)
        if (coll.Clip(i)->Formats.has_value())
            ++loaded;
    std::printf("  %-34s %8zu\n", "clips whose data was loaded", loaded);
    return loaded == 0 ? 0 : 1;
}
