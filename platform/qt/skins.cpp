#include "platform/qt/skins.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <array>

namespace tavrin::qt {
namespace {

struct Look {
    const char* window;
    const char* windowText;
    const char* base;
    const char* alternateBase;
    const char* text;
    const char* button;
    const char* buttonText;
    const char* highlight;
    const char* disabledText;
    const char* styleSheet;
};

// 1: sky, light blue with soft gradients.
constexpr Look kSky = {"#e6eef8", "#1d3557", "#ffffff", "#f0f5fb", "#14283d",
                       "#dde8f5", "#1d3557", "#3b82d0", "#9babbd",
                       R"(
QPushButton {
    color: #1d3557;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #d8e6f5);
    border: 1px solid #8eb1d9; border-radius: 4px; padding: 2px 10px;
}
QPushButton:hover {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f4f9ff, stop:1 #c4dbf3);
    border-color: #4a86c8;
}
QPushButton:pressed { background: #b3cfee; }
QPushButton:default, QPushButton:focus { border-color: #2f6fb5; }
QPushButton:disabled { color: #9babbd; background: #edf1f6; border-color: #cbd6e2; }
QLineEdit {
    color: #14283d; background: #ffffff; border: 1px solid #9db8d8; border-radius: 3px;
    padding: 0 3px; selection-background-color: #3b82d0; selection-color: #ffffff;
}
QLineEdit:focus { border-color: #3b82d0; }
QCheckBox { color: #1d3557; spacing: 5px; }
QToolTip { color: #1d3557; background: #f7fbff; border: 1px solid #8eb1d9; }
)"};

// 2: night, a dark look with a blue accent.
constexpr Look kNight = {"#2d3038", "#e4e6eb", "#1f2228", "#272a31", "#e9ebef",
                         "#3a3e48", "#eef0f4", "#4c8bf5", "#7c828d",
                         R"(
QPushButton {
    color: #eef0f4;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #4a4f5b, stop:1 #383c46);
    border: 1px solid #5a606d; border-radius: 4px; padding: 2px 10px;
}
QPushButton:hover {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #545a67, stop:1 #40454f);
    border-color: #4c8bf5;
}
QPushButton:pressed { background: #2f333b; }
QPushButton:default, QPushButton:focus { border-color: #4c8bf5; }
QPushButton:disabled { color: #767c87; background: #33363e; border-color: #454a54; }
QLineEdit {
    color: #eceef2; background: #1f2228; border: 1px solid #4e5461; border-radius: 3px;
    padding: 0 3px; selection-background-color: #4c8bf5; selection-color: #ffffff;
}
QLineEdit:focus { border-color: #4c8bf5; }
QCheckBox { color: #e4e6eb; spacing: 5px; }
QToolTip { color: #eef0f4; background: #3a3e48; border: 1px solid #5a606d; }
)"};

// 3: amber, warm paper tones with rounded buttons.
constexpr Look kAmber = {"#f6efe3", "#3d2e1f", "#fffdf8", "#fbf5ea", "#3a2c1d",
                         "#f1e1c6", "#4a3420", "#d9822b", "#a89a88",
                         R"(
QPushButton {
    color: #5a3a17;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fffaf0, stop:1 #f2dcb5);
    border: 1px solid #cfa56a; border-radius: 8px; padding: 2px 12px;
}
QPushButton:hover {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fff3dc, stop:1 #f0cf95);
    border-color: #d9822b;
}
QPushButton:pressed { background: #ebc382; }
QPushButton:default, QPushButton:focus { border-color: #c46d17; }
QPushButton:disabled { color: #b3a491; background: #f4ece0; border-color: #ddcfbb; }
QLineEdit {
    color: #3a2c1d; background: #fffdf8; border: 1px solid #d2b48a; border-radius: 3px;
    padding: 0 3px; selection-background-color: #d9822b; selection-color: #ffffff;
}
QLineEdit:focus { border-color: #d9822b; }
QCheckBox { color: #4a3420; spacing: 5px; }
QToolTip { color: #4a3420; background: #fff8ea; border: 1px solid #cfa56a; }
)"};

constexpr std::array<const Look*, Skins::kStyleCount> kLooks = {&kSky, &kNight, &kAmber};

QPalette MakePalette(const Look& look) {
    QPalette palette{QColor(look.button), QColor(look.window)};
    palette.setColor(QPalette::WindowText, QColor(look.windowText));
    palette.setColor(QPalette::Base, QColor(look.base));
    palette.setColor(QPalette::AlternateBase, QColor(look.alternateBase));
    palette.setColor(QPalette::Text, QColor(look.text));
    palette.setColor(QPalette::ButtonText, QColor(look.buttonText));
    palette.setColor(QPalette::ToolTipBase, QColor(look.base));
    palette.setColor(QPalette::ToolTipText, QColor(look.text));
    palette.setColor(QPalette::PlaceholderText, QColor(look.disabledText));
    palette.setColor(QPalette::Highlight, QColor(look.highlight));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(look.highlight));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, QColor(look.disabledText));
    }
    return palette;
}

}  // namespace

Skins::Skins() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    plainStyle_ = QApplication::style()->name();
    plainPalette_ = QApplication::palette();
    plainStyleSheet_ = qApp->styleSheet();
}

Skins::~Skins() {
    RestorePlain();
}

bool Skins::Apply(std::int32_t style) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
    RestorePlain();
    if (style < 1 || style > kStyleCount) return true;
    QStyle* widgetStyle = QStyleFactory::create(QStringLiteral("Fusion"));
    if (!widgetStyle) return false;
    const Look& look = *kLooks[static_cast<std::size_t>(style - 1)];
    QApplication::setStyle(widgetStyle);
    QApplication::setPalette(MakePalette(look));
    qApp->setStyleSheet(QString::fromUtf8(look.styleSheet));
    active_ = style;
    ShowAtOnce();
    return true;
}

void Skins::RestorePlain() {
    if (active_ == 0) return;
    active_ = 0;
    qApp->setStyleSheet(plainStyleSheet_);
    if (QStyle* widgetStyle = QStyleFactory::create(plainStyle_)) {
        QApplication::setStyle(widgetStyle);
    }
    QApplication::setPalette(plainPalette_);
    ShowAtOnce();
}

void Skins::ShowAtOnce() {
    // Qt hands a new application palette to the open windows through posted events; deliver them
    // now, so that the look has changed when the call returns.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::ApplicationPaletteChange);
}

}  // namespace tavrin::qt
