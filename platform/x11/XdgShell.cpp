#include "XdgShell.h"

#include "LogHook.h"

#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace bx::platform::x11 {

bool XdgShell::ShellExecute(const std::string& verb, const std::string& target, const std::string& /*parameters*/) {
    QString v = QString::fromStdString(verb).trimmed().toLower();
    if (target.empty() || (!v.isEmpty() && v != "open" && v != "explore"))
        return false;
    QString what = QString::fromStdString(target);
    if (v == "explore") {
        const QFileInfo info(what);
        if (info.exists() && !info.isDir())
            what = info.absolutePath();
    }
    // A target that begins with '-' would be read as an option of the helper.
    if (what.startsWith('-'))
        what.prepend("./");
    if (!QProcess::startDetached(QString::fromStdString(helper_), QStringList{what})) {
        LogMsg(LogErrors, "XdgShell", "Cannot start " + helper_ + " for " + target);
        return false;
    }
    return true;
}

bool XdgShell::PathExists(const std::string& path) const {
    return !path.empty() && QFileInfo::exists(QString::fromStdString(path));
}

} // namespace bx::platform::x11
