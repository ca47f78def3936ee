#pragma once

// The two palettes the window's look is checked with: Qt's light standard palette and a typical dark one.
#include <QColor>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

#include <memory>

namespace bx::explorer::test {

inline QPalette LightPalette() {
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
    return fusion->standardPalette();
}

inline QPalette DarkPalette() {
    QPalette p;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Window, QColor("#2b2b2b"));
        p.setColor(group, QPalette::WindowText, QColor("#e0e0e0"));
        p.setColor(group, QPalette::Base, QColor("#1e1e1e"));
        p.setColor(group, QPalette::AlternateBase, QColor("#262626"));
        p.setColor(group, QPalette::Text, QColor("#e0e0e0"));
        p.setColor(group, QPalette::PlaceholderText, QColor(224, 224, 224, 128));
        p.setColor(group, QPalette::Button, QColor("#353535"));
        p.setColor(group, QPalette::ButtonText, QColor("#e0e0e0"));
        p.setColor(group, QPalette::Highlight, QColor("#2a82da"));
        p.setColor(group, QPalette::HighlightedText, QColor("#ffffff"));
        p.setColor(group, QPalette::Link, QColor("#5ea8f0"));
        p.setColor(group, QPalette::ToolTipBase, QColor("#2b2b2b"));
        p.setColor(group, QPalette::ToolTipText, QColor("#e0e0e0"));
        p.setColor(group, QPalette::Light, QColor("#4a4a4a"));
        p.setColor(group, QPalette::Midlight, QColor("#3c3c3c"));
        p.setColor(group, QPalette::Mid, QColor("#262626"));
        p.setColor(group, QPalette::Dark, QColor("#1a1a1a"));
        p.setColor(group, QPalette::Shadow, QColor("#0a0a0a"));
    }
    p.setColor(QPalette::Disabled, QPalette::Window, QColor("#2b2b2b"));
    p.setColor(QPalette::Disabled, QPalette::Base, QColor("#262626"));
    p.setColor(QPalette::Disabled, QPalette::Button, QColor("#303030"));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor("#808080"));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor("#808080"));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor("#808080"));
    return p;
}

} // namespace bx::explorer::test
