#pragma once

#include "TFontDesc.h"

#include <QFont>
#include <QFontDatabase>

namespace bx::explorer {

// The font of a font setting. The settings keep the names they have always had ("Courier New", "MS Sans
// Serif", ...); those default names of another system, and a family this system does not have, become the
// desktop's own general or fixed-pitch font at the setting's size. A family the user chose that exists is
// kept.
class TFontChoice {
public:
    static QFont Font(const shell::TFontDesc& setting, QFontDatabase::SystemFont fallback);
    // Whether a family name is one of the other system's default names the settings start with.
    static bool IsForeignDefault(const QString& family);
};

} // namespace bx::explorer
