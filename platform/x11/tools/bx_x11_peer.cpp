// A peer for the X11 clipboard tests, acting as another application:
//   bx_x11_peer own [--delay MS] [--never] [--never-targets] [--save-after MS] [--drip MS] [--tell] [--stamp]
//                   TARGET=FILE | TARGET:=TEXT ...
//       owns the CLIPBOARD selection with those targets and bytes (a file name is what follows the last
//       "="); prints "ready" once it owns it and serves requests (data after MS milliseconds, or never)
//       until another client takes the selection. Data too large for one request goes by INCR in pieces
//       of 256 KB; with --drip every answer goes by INCR, one byte every MS milliseconds. With --tell it
//       prints "served TARGET" once it has answered a request for the data of TARGET; with --stamp its
//       "ready" is followed by the moment it took the clipboard (steady clock, nanoseconds).
//       With --save-after it exits after MS milliseconds as applications do: it asks the clipboard manager
//       to keep its data (SAVE_TARGETS), serves the manager meanwhile, and prints "saved" or "not saved".
//   bx_x11_peer flood COUNT MS TARGET PREFIX
//       takes the clipboard COUNT times, MS milliseconds apart, each time with the text PREFIX and the
//       number of the copy (from 1) as TARGET, as a program that copies in quick succession does; prints
//       "done" and serves the last copy as "own --tell" does until another client takes the selection.
//   bx_x11_peer manage
//       is the clipboard manager (prints "managing"): keeps the data of the first program that asks
//       (SAVE_TARGETS), then owns the clipboard with it as "own" does.
//   bx_x11_peer request [--active] [--type] [--stamp] TARGET
//       asks the clipboard's owner for TARGET and writes the bytes to standard output (exit 1: no data);
//       with --active it first names its window the active one (_NET_ACTIVE_WINDOW), as a window manager
//       does for the application in front; with --type the bytes follow a line with the answer's type;
//       with --stamp it prints "asked NS got NS" on standard error: the moments it asked and had all
//       the bytes (steady clock, nanoseconds).
//   bx_x11_peer request-multiple TARGET...
//       asks for all of them at once (MULTIPLE) and writes a line "TARGET=BYTES" for each one converted,
//       "TARGET refused" for each one refused (exit 1: the request itself was refused).
//   bx_x11_peer watch TARGET
//       acts as a clipboard watcher (a clipboard manager, a desktop shell): prints "watching", then asks
//       every new owner of the clipboard for TARGET the moment it takes the clipboard and prints
//       "got BYTES" (line breaks as "\n"), or "got nothing"; runs until it is killed.
#include "X11SelectionReader.h"
#include "XcbConnection.h"

#include <xcb/xfixes.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

using namespace bx::platform::x11;

namespace {

int Usage() {
    std::cerr << "usage: bx_x11_peer own [--delay MS] [--never] [--never-targets] [--save-after MS] [--drip MS] "
                 "[--tell] [--stamp] "
                 "TARGET=FILE|TARGET:=TEXT ...\n"
                 "       bx_x11_peer flood COUNT MS TARGET PREFIX\n"
                 "       bx_x11_peer manage\n"
                 "       bx_x11_peer request [--active] [--type] [--stamp] TARGET\n"
                 "       bx_x11_peer request-multiple TARGET...\n"
                 "       bx_x11_peer watch TARGET\n";
    return 2;
}

int Request(XcbConnection& conn, const std::string& target, bool showType, bool stamp) {
    X11SelectionReader reader(conn);
    reader.SetWait(std::chrono::milliseconds(3000));
    const xcb_atom_t clipboard = conn.Atom("CLIPBOARD");
    const xcb_atom_t wanted = conn.Atom(target);
    const auto asked = std::chrono::steady_clock::now();
    const auto data = reader.Read(clipboard, wanted);
    const auto got = std::chrono::steady_clock::now();
    if (!data)
        return 1;
    if (stamp)
        std::cerr << "asked " << asked.time_since_epoch().count() << " got " << got.time_since_epoch().count()
                  << std::endl;
    if (showType)
        std::cout << conn.AtomName(data->type) << std::endl;
    std::fwrite(data->bytes.data(), 1, data->bytes.size(), stdout);
    return 0;
}

int RequestMultiple(XcbConnection& conn, int argc, char** argv) {
    std::vector<xcb_atom_t> pairs;
    for (int i = 2; i < argc; ++i) {
        pairs.push_back(conn.Atom(argv[i]));
        pairs.push_back(conn.Atom("BX_PEER_" + std::to_string(i)));
    }
    const xcb_atom_t property = conn.Atom("BX_PEER_MULTIPLE");
    xcb_change_property(conn.Raw(), XCB_PROP_MODE_REPLACE, conn.Window(), property, conn.Atom("ATOM_PAIR"), 32,
                        static_cast<std::uint32_t>(pairs.size()), pairs.data());
    xcb_convert_selection(conn.Raw(), conn.Window(), conn.Atom("CLIPBOARD"), conn.Atom("MULTIPLE"), property,
                          XCB_CURRENT_TIME);
    const XcbEvent e =
        conn.WaitFor([](const xcb_generic_event_t& ev) { return XcbConnection::EventType(ev) == XCB_SELECTION_NOTIFY; },
                     XcbConnection::Clock::now() + std::chrono::seconds(3));
    if (!e || reinterpret_cast<const xcb_selection_notify_event_t*>(e.get())->property == XCB_NONE)
        return 1;
    const auto answer = conn.GetProperty(conn.Window(), property, true);
    if (!answer || answer->format != 32)
        return 1;
    std::vector<xcb_atom_t> got(answer->bytes.size() / 4);
    std::memcpy(got.data(), answer->bytes.data(), got.size() * 4);
    for (std::size_t i = 0; i + 1 < got.size(); i += 2) {
        const std::string name = conn.AtomName(got[i]);
        const auto value = got[i + 1] != XCB_NONE ? conn.GetProperty(conn.Window(), got[i + 1], true) : std::nullopt;
        if (value)
            std::cout << name << "=" << value->bytes << "\n";
        else
            std::cout << name << " refused\n";
    }
    return 0;
}

// Reads TARGET from every new owner as soon as the clipboard changes hands, as clipboard watchers do.
int Watch(XcbConnection& conn, const std::string& target) {
    const int xfixes = conn.XFixesFirstEvent();
    if (xfixes < 0)
        return 1;
    const xcb_atom_t clipboard = conn.Atom("CLIPBOARD");
    xcb_xfixes_select_selection_input(conn.Raw(), conn.Window(), clipboard,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
    conn.Flush();
    std::cout << "watching" << std::endl;
    X11SelectionReader reader(conn);
    reader.SetWait(std::chrono::milliseconds(3000));
    for (;;) {
        XcbEvent e = conn.HasQueuedEvents() ? conn.NextEvent()
                                            : conn.WaitFor([](const xcb_generic_event_t&) { return true; },
                                                           XcbConnection::Clock::now() + std::chrono::hours(1));
        if (!e)
            return conn.HasError() ? 0 : 1;
        if (XcbConnection::EventType(*e) != xfixes + XCB_XFIXES_SELECTION_NOTIFY)
            continue;
        const auto& n = *reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(e.get());
        if (n.selection != clipboard || n.owner == XCB_NONE)
            continue;
        const auto data = reader.Read(clipboard, conn.Atom(target));
        if (!data) {
            std::cout << "got nothing" << std::endl;
            continue;
        }
        std::string line;
        for (const char c : data->bytes)
            line += c == '\n' ? std::string("\\n") : std::string(1, c);
        std::cout << "got " << line << std::endl;
    }
}

struct ServeOptions {
    int delayMs = 0;
    bool never = false;
    bool neverTargets = false;
    int saveAfterMs = -1;
    int dripMs = -1;
    bool tell = false;
    bool stamp = false;
};

int Serve(XcbConnection& conn, const std::vector<std::pair<std::string, std::string>>& targets,
          const ServeOptions& options);

void Notify(XcbConnection& conn, const xcb_selection_request_event_t& r, bool ok) {
    conn.SendSelectionNotify(r, ok ? r.property : XCB_NONE);
}

// Sends bytes by INCR, one piece each time the requestor has deleted the last, pieceMs apart; gives up
// on a requestor that stops reading for five seconds.
void SendIncr(XcbConnection& conn, const xcb_selection_request_event_t& r, const std::string& bytes, std::size_t piece,
              int pieceMs) {
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(conn.Raw(), r.requestor, XCB_CW_EVENT_MASK, &mask);
    const auto size = static_cast<std::uint32_t>(bytes.size());
    xcb_change_property(conn.Raw(), XCB_PROP_MODE_REPLACE, r.requestor, r.property, conn.Atom("INCR"), 32, 1, &size);
    Notify(conn, r, true);
    std::size_t offset = 0;
    for (bool last = false; !last;) {
        const XcbEvent deleted = conn.WaitFor(
            [&](const xcb_generic_event_t& ev) {
                if (XcbConnection::EventType(ev) != XCB_PROPERTY_NOTIFY)
                    return false;
                const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(ev);
                return p.window == r.requestor && p.atom == r.property && p.state == XCB_PROPERTY_DELETE;
            },
            XcbConnection::Clock::now() + std::chrono::seconds(5));
        if (!deleted)
            break;
        if (pieceMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(pieceMs));
        const std::size_t n = std::min(piece, bytes.size() - offset);
        last = n == 0;
        xcb_change_property(conn.Raw(), XCB_PROP_MODE_REPLACE, r.requestor, r.property, r.target, 8,
                            static_cast<std::uint32_t>(n), bytes.data() + offset);
        conn.Flush();
        offset += n;
    }
    const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(conn.Raw(), r.requestor, XCB_CW_EVENT_MASK, &none);
    conn.Flush();
}

// Copies COUNT texts in quick succession, then serves the last one.
int Flood(XcbConnection& conn, int count, int gapMs, const std::string& target, const std::string& prefix) {
    const xcb_atom_t clipboard = conn.Atom("CLIPBOARD");
    const xcb_atom_t targets = conn.Atom("TARGETS");
    const xcb_atom_t wanted = conn.Atom(target);
    std::string text;
    using Clock = XcbConnection::Clock;
    for (int i = 1; i <= count; ++i) {
        text = prefix + std::to_string(i);
        xcb_set_selection_owner(conn.Raw(), conn.Window(), clipboard, conn.ServerTime());
        conn.Flush();
        // Answers requests until the next copy is due.
        const Clock::time_point next = Clock::now() + std::chrono::milliseconds(i < count ? gapMs : 0);
        while (XcbEvent e = conn.WaitFor([](const xcb_generic_event_t&) { return true; }, next)) {
            if (XcbConnection::EventType(*e) != XCB_SELECTION_REQUEST)
                continue;
            const auto& r = *reinterpret_cast<const xcb_selection_request_event_t*>(e.get());
            bool ok = true;
            if (r.target == targets) {
                const xcb_atom_t atoms[] = {targets, wanted};
                xcb_change_property(conn.Raw(), XCB_PROP_MODE_REPLACE, r.requestor, r.property, XCB_ATOM_ATOM, 32, 2,
                                    atoms);
            } else if (r.target == wanted) {
                xcb_change_property(conn.Raw(), XCB_PROP_MODE_REPLACE, r.requestor, r.property, r.target, 8,
                                    static_cast<std::uint32_t>(text.size()), text.data());
            } else {
                ok = false;
            }
            Notify(conn, r, ok);
        }
    }
    std::cout << "done" << std::endl;
    ServeOptions tell;
    tell.tell = true;
    return Serve(conn, {{target, text}}, tell);
}

// Acts as the desktop's clipboard manager: keeps the data of a program that asks (SAVE_TARGETS) and
// then owns the clipboard with it.
int Manage(XcbConnection& conn) {
    const xcb_atom_t manager = conn.Atom("CLIPBOARD_MANAGER");
    xcb_set_selection_owner(conn.Raw(), conn.Window(), manager, conn.ServerTime());
    conn.Flush();
    std::cout << "managing" << std::endl;
    for (;;) {
        XcbEvent e = conn.WaitFor([](const xcb_generic_event_t&) { return true; },
                                  XcbConnection::Clock::now() + std::chrono::hours(1));
        if (!e)
            return conn.HasError() ? 0 : 1;
        if (XcbConnection::EventType(*e) != XCB_SELECTION_REQUEST)
            continue;
        const auto r = *reinterpret_cast<const xcb_selection_request_event_t*>(e.get());
        std::vector<std::pair<std::string, std::string>> kept;
        if (r.selection == manager && conn.AtomName(r.target) == "SAVE_TARGETS") {
            X11SelectionReader reader(conn);
            const xcb_atom_t clipboard = conn.Atom("CLIPBOARD");
            if (const auto list = reader.Read(clipboard, conn.Atom("TARGETS")); list && list->format == 32) {
                std::vector<xcb_atom_t> atoms(list->bytes.size() / 4);
                std::memcpy(atoms.data(), list->bytes.data(), atoms.size() * 4);
                for (xcb_atom_t a : atoms) {
                    const std::string name = conn.AtomName(a);
                    if (name == "TARGETS" || name == "TIMESTAMP" || name == "MULTIPLE")
                        continue;
                    if (const auto data = reader.Read(clipboard, a))
                        kept.emplace_back(name, data->bytes);
                }
            }
        }
        if (!kept.empty())
            xcb_change_property(conn.Raw(), XCB_PROP_MODE_REPLACE, r.requestor, r.property, conn.Atom("NULL"), 32, 0,
                                nullptr);
        Notify(conn, r, !kept.empty());
        if (!kept.empty())
            return Serve(conn, kept, ServeOptions{});
    }
}

int Own(XcbConnection& conn, int argc, char** argv) {
    ServeOptions options;
    std::vector<std::pair<std::string, std::string>> targets;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--delay" && i + 1 < argc) {
            options.delayMs = std::stoi(argv[++i]);
        } else if (arg == "--never") {
            options.never = true;
        } else if (arg == "--save-after" && i + 1 < argc) {
            options.saveAfterMs = std::stoi(argv[++i]);
        } else if (arg == "--drip" && i + 1 < argc) {
            options.dripMs = std::stoi(argv[++i]);
        } else if (arg == "--never-targets") {
            options.neverTargets = true;
        } else if (arg == "--tell") {
            options.tell = true;
        } else if (arg == "--stamp") {
            options.stamp = true;
        } else if (const std::size_t lit = arg.find(":="); lit != std::string::npos) {
            targets.emplace_back(arg.substr(0, lit), arg.substr(lit + 2));
        } else if (const std::size_t eq = arg.rfind('='); eq != std::string::npos) {
            std::ifstream in(arg.substr(eq + 1), std::ios::binary);
            if (!in)
                return Usage();
            targets.emplace_back(arg.substr(0, eq),
                                 std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
        } else {
            return Usage();
        }
    }
    return Serve(conn, targets, options);
}

int Serve(XcbConnection& conn, const std::vector<std::pair<std::string, std::string>>& targets,
          const ServeOptions& options) {
    const xcb_atom_t clipboard = conn.Atom("CLIPBOARD");
    const xcb_timestamp_t time = conn.ServerTime();
    xcb_set_selection_owner(conn.Raw(), conn.Window(), clipboard, time);
    conn.Flush();
    using Clock = XcbConnection::Clock;
    if (options.stamp)
        std::cout << "ready " << Clock::now().time_since_epoch().count() << std::endl;
    else
        std::cout << "ready" << std::endl;

    const xcb_atom_t saveTargets = conn.Atom("SAVE_TARGETS");
    Clock::time_point saveAt = options.saveAfterMs >= 0 ? Clock::now() + std::chrono::milliseconds(options.saveAfterMs)
                                                        : Clock::time_point::max();
    const std::size_t largest = conn.MaxRequestBytes() > 1024 ? conn.MaxRequestBytes() - 1024 : 0;
    bool saving = false;
    for (;;) {
        const Clock::time_point deadline =
            saveAt != Clock::time_point::max() ? saveAt : Clock::now() + std::chrono::hours(1);
        XcbEvent e = conn.WaitFor([](const xcb_generic_event_t&) { return true; }, deadline);
        if (!e) {
            if (conn.HasError())
                return 0;
            if (saving) {
                std::cout << "not saved" << std::endl;
                return 1;
            }
            if (Clock::now() >= saveAt) {
                xcb_convert_selection(conn.Raw(), conn.Window(), conn.Atom("CLIPBOARD_MANAGER"), saveTargets,
                                      conn.Atom("BX_PEER_SAVE"), XCB_CURRENT_TIME);
                conn.Flush();
                saving = true;
                saveAt = Clock::now() + std::chrono::seconds(5);
            }
            continue;
        }
        const std::uint8_t type = XcbConnection::EventType(*e);
        if (type == XCB_SELECTION_NOTIFY && saving) {
            const auto& n = *reinterpret_cast<const xcb_selection_notify_event_t*>(e.get());
            if (n.target == saveTargets) {
                std::cout << (n.property != XCB_NONE ? "saved" : "not saved") << std::endl;
                return n.property != XCB_NONE ? 0 : 1;
            }
        }
        if (type == XCB_SELECTION_CLEAR && !saving)
            return 0;
        if (type != XCB_SELECTION_REQUEST)
            continue;
        const auto r = *reinterpret_cast<const xcb_selection_request_event_t*>(e.get());
        const std::string name = conn.AtomName(r.target);
        bool ok = false;
        bool incr = false; // answered already, in pieces
        if (name == "TARGETS") {
            if (options.neverTargets)
                continue;
            std::vector<xcb_atom_t> atoms{conn.Atom("TARGETS")};
            for (const auto& t : targets)
                atoms.push_back(conn.Atom(t.first));
            xcb_change_property(conn.Raw(), XCB_PROP_MODE_REPLACE, r.requestor, r.property, XCB_ATOM_ATOM, 32,
                                static_cast<std::uint32_t>(atoms.size()), atoms.data());
            ok = true;
        } else {
            if (options.never)
                continue;
            if (options.delayMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(options.delayMs));
            for (const auto& t : targets) {
                if (t.first != name)
                    continue;
                incr = options.dripMs >= 0 || t.second.size() > largest;
                if (incr)
                    SendIncr(conn, r, t.second, options.dripMs >= 0 ? 1 : 256 * 1024, std::max(options.dripMs, 0));
                else
                    xcb_change_property(conn.Raw(), XCB_PROP_MODE_REPLACE, r.requestor, r.property, r.target, 8,
                                        static_cast<std::uint32_t>(t.second.size()), t.second.data());
                ok = true;
                break;
            }
        }
        if (!incr)
            Notify(conn, r, ok);
        if (ok && options.tell && name != "TARGETS")
            std::cout << "served " << name << std::endl;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || (argc < 3 && std::strcmp(argv[1], "manage") != 0))
        return Usage();
    std::unique_ptr<XcbConnection> conn = XcbConnection::Open();
    if (!conn) {
        std::cerr << "bx_x11_peer: cannot open the display\n";
        return 3;
    }
    const std::string mode = argv[1];
    if (mode == "request") {
        bool active = false;
        bool showType = false;
        bool stamp = false;
        int i = 2;
        for (; i + 1 < argc && argv[i][0] == '-'; ++i) {
            active = active || std::strcmp(argv[i], "--active") == 0;
            showType = showType || std::strcmp(argv[i], "--type") == 0;
            stamp = stamp || std::strcmp(argv[i], "--stamp") == 0;
        }
        if (active) {
            const xcb_window_t window = conn->Window();
            xcb_change_property(conn->Raw(), XCB_PROP_MODE_REPLACE, conn->Root(), conn->Atom("_NET_ACTIVE_WINDOW"),
                                XCB_ATOM_WINDOW, 32, 1, &window);
        }
        return Request(*conn, argv[i], showType, stamp);
    }
    if (mode == "request-multiple")
        return RequestMultiple(*conn, argc, argv);
    if (mode == "own")
        return Own(*conn, argc, argv);
    if (mode == "flood" && argc == 6)
        return Flood(*conn, std::stoi(argv[2]), std::stoi(argv[3]), argv[4], argv[5]);
    if (mode == "manage")
        return Manage(*conn);
    if (mode == "watch")
        return Watch(*conn, argv[2]);
    return Usage();
}
