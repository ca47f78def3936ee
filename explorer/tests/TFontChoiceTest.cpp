// The fonts of the font settings: the other system's default names and missing families become the
// desktop's general or fixed-pitch font at the setting's size; a family that exists is kept.
#include "TFontChoice.h"

#include <QFontDatabase>
#include <QStringList>

#include <gtest/gtest.h>

namespace bx::explorer {
namespace {

TEST(FontChoiceTest, DefaultNamesAndMissingFamiliesBecomeTheSystemsFonts) {
    const QString general = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    const QString fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    // A family this system has, not one of the default names.
    QString present;
    for (const QString& family : QFontDatabase::families())
        if (!TFontChoice::IsForeignDefault(family) && family != general && family != fixed) {
            present = family;
            break;
        }
    struct Case {
        QString Name;
        QFontDatabase::SystemFont Fallback;
        QString Family;
    };
    const Case cases[] = {
        {"MS Sans Serif", QFontDatabase::GeneralFont, general},  {"ms shell dlg", QFontDatabase::GeneralFont, general},
        {"Tahoma", QFontDatabase::GeneralFont, general},         {"Arial", QFontDatabase::GeneralFont, general},
        {"Courier New", QFontDatabase::FixedFont, fixed},        {"FixedSys", QFontDatabase::FixedFont, fixed},
        {"No Such Family 7c1", QFontDatabase::FixedFont, fixed}, {"", QFontDatabase::GeneralFont, general},
    };
    for (const Case& c : cases) {
        const QFont font = TFontChoice::Font({c.Name.toStdString(), 11, 1}, c.Fallback);
        EXPECT_EQ(font.family(), c.Family) << c.Name.toStdString();
        EXPECT_EQ(font.pointSize(), 11) << c.Name.toStdString();
    }
    if (present.isEmpty())
        GTEST_SKIP() << "no other font family installed";
    const QFont chosen = TFontChoice::Font({present.toStdString(), 14, 1}, QFontDatabase::FixedFont);
    EXPECT_EQ(chosen.family(), present);
    EXPECT_EQ(chosen.pointSize(), 14);
}

} // namespace
} // namespace bx::explorer
