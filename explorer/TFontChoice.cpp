#include "TFontChoice.h"

#include <QStringList>

namespace bx::explorer {

bool TFontChoice::IsForeignDefault(const QString& family) {
    static const QStringList names = {"MS Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif",
                                      "Courier New",   "FixedSys",     "Arial",          "Tahoma"};
    return names.contains(family.trimmed(), Qt::CaseInsensitive);
}

QFont TFontChoice::Font(const shell::TFontDesc& setting, QFontDatabase::SystemFont fallback) {
    const QString family = QString::fromStdString(setting.Name).trimmed();
    QFont font = family.isEmpty() || IsForeignDefault(family) || !QFontDatabase::hasFamily(family)
                     ? QFontDatabase::systemFont(fallback)
                     : QFont(family);
    if (setting.Size > 0)
        font.setPointSize(setting.Size);
    return font;
}

} // namespace bx::explorer
