#include "X11WindowInfo.h"

#include <xcb/res.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace bx::platform::x11 {

namespace {
struct FreeReply {
    void operator()(void* p) const { std::free(p); }
};
} // namespace

std::uint32_t X11WindowInfo::ProcessId(xcb_window_t window, Means* means) {
    if (means != nullptr)
        *means = Means::None;
    if (window == XCB_NONE)
        return 0;
    if (const std::uint32_t pid = XResPid(window); pid != 0) {
        if (means != nullptr)
            *means = Means::XRes;
        return pid;
    }
    std::uint32_t pid = NetWmPid(window);
    if (pid == 0) {
        if (auto leader = conn_.GetProperty(window, conn_.Atom("WM_CLIENT_LEADER"), false);
            leader && leader->format == 32 && leader->bytes.size() >= 4) {
            xcb_window_t w = XCB_NONE;
            std::memcpy(&w, leader->bytes.data(), 4);
            if (w != window)
                pid = NetWmPid(w);
        }
    }
    if (pid != 0 && means != nullptr)
        *means = Means::NetWmPid;
    return pid;
}

std::uint32_t X11WindowInfo::XResPid(xcb_window_t window) {
    if (!conn_.HasXRes())
        return 0;
    xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    std::unique_ptr<xcb_res_query_client_ids_reply_t, FreeReply> r(
        xcb_res_query_client_ids_reply(conn_.Raw(), xcb_res_query_client_ids(conn_.Raw(), 1, &spec), nullptr));
    if (!r)
        return 0;
    for (xcb_res_client_id_value_iterator_t it = xcb_res_query_client_ids_ids_iterator(r.get()); it.rem > 0;
         xcb_res_client_id_value_next(&it)) {
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0 &&
            xcb_res_client_id_value_value_length(it.data) >= 1)
            return *xcb_res_client_id_value_value(it.data);
    }
    return 0;
}

std::uint32_t X11WindowInfo::NetWmPid(xcb_window_t window) {
    auto p = conn_.GetProperty(window, conn_.Atom("_NET_WM_PID"), false);
    if (!p || p->format != 32 || p->bytes.size() < 4)
        return 0;
    std::uint32_t pid = 0;
    std::memcpy(&pid, p->bytes.data(), 4);
    return pid;
}

std::string X11WindowInfo::Title(xcb_window_t window) {
    if (window == XCB_NONE)
        return {};
    if (auto p = conn_.GetProperty(window, conn_.Atom("_NET_WM_NAME"), false); p && p->format == 8)
        return p->bytes;
    if (auto p = conn_.GetProperty(window, XCB_ATOM_WM_NAME, false); p && p->format == 8)
        return p->bytes;
    return {};
}

std::string X11WindowInfo::ProgramPath(std::uint32_t pid) {
    if (pid == 0)
        return {};
    std::error_code ec;
    const std::filesystem::path exe =
        std::filesystem::read_symlink(std::filesystem::path("/proc") / std::to_string(pid) / "exe", ec);
    return ec ? std::string() : exe.string();
}

} // namespace bx::platform::x11
