#include "platform/win32/skins.h"

#include <array>
#include <string>

namespace tavrin::win32 {
namespace {

// 1: sky, light blue with soft gradients.
constexpr Look kSky = {
    RGB(0xEE, 0xF3, 0xF9),
    RGB(0x1D, 0x35, 0x57),
    RGB(0xFF, 0xFF, 0xFF),
    RGB(0x14, 0x28, 0x3D),
    RGB(0xFF, 0xFF, 0xFF),
    RGB(0xD8, 0xE6, 0xF5),
    RGB(0xB3, 0xCF, 0xEE),
    RGB(0x8E, 0xB1, 0xD9),
    RGB(0x1D, 0x35, 0x57),
    RGB(0x2F, 0x6F, 0xB5),
    RGB(0xED, 0xF1, 0xF6),
    RGB(0x9B, 0xAB, 0xBD),
    L"Microsoft YaHei UI",
    13,
    FW_NORMAL,
    6,
};

// 2: night, a dark look with a blue accent.
constexpr Look kNight = {
    RGB(0x2D, 0x30, 0x38),
    RGB(0xE4, 0xE6, 0xEB),
    RGB(0x1F, 0x22, 0x28),
    RGB(0xEC, 0xEE, 0xF2),
    RGB(0x4A, 0x4F, 0x5B),
    RGB(0x38, 0x3C, 0x46),
    RGB(0x2F, 0x33, 0x3B),
    RGB(0x5A, 0x60, 0x6D),
    RGB(0xEE, 0xF0, 0xF4),
    RGB(0x4C, 0x8B, 0xF5),
    RGB(0x33, 0x36, 0x3E),
    RGB(0x76, 0x7C, 0x87),
    L"SimHei",
    12,
    FW_NORMAL,
    6,
};

// 3: amber, warm paper tones, rounder buttons and a brush-script face.
constexpr Look kAmber = {
    RGB(0xF6, 0xEF, 0xE3),
    RGB(0x3D, 0x2E, 0x1F),
    RGB(0xFF, 0xFD, 0xF8),
    RGB(0x3A, 0x2C, 0x1D),
    RGB(0xFF, 0xFA, 0xF0),
    RGB(0xF2, 0xDC, 0xB5),
    RGB(0xEB, 0xC3, 0x82),
    RGB(0xCF, 0xA5, 0x6A),
    RGB(0x5A, 0x3A, 0x17),
    RGB(0xC4, 0x6D, 0x17),
    RGB(0xF4, 0xEC, 0xE0),
    RGB(0xB3, 0xA4, 0x91),
    L"KaiTi",
    14,
    FW_BOLD,
    14,
};

constexpr std::array<const Look*, Skins::kStyleCount> kLooks = {&kSky, &kNight, &kAmber};

COLORREF Blend(COLORREF from, COLORREF to, int step, int steps) {
    auto mix = [&](int a, int b) { return a + (b - a) * step / (steps > 0 ? steps : 1); };
    return RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
               mix(GetBValue(from), GetBValue(to)));
}

}  // namespace

Skins::~Skins() {
    Release();
}

void Skins::Release() {
    if (font_) ::DeleteObject(font_);
    if (windowBrush_) ::DeleteObject(windowBrush_);
    if (editBrush_) ::DeleteObject(editBrush_);
    font_ = nullptr;
    windowBrush_ = nullptr;
    editBrush_ = nullptr;
    active_ = 0;
}

const Look* Skins::Current() const {
    return active_ >= 1 && active_ <= kStyleCount ? kLooks[static_cast<std::size_t>(active_ - 1)]
                                                  : nullptr;
}

bool Skins::Select(std::int32_t style) {
    Release();
    if (style < 1 || style > kStyleCount) return true;
    const Look& look = *kLooks[static_cast<std::size_t>(style - 1)];
    // The Chinese character set lets the font mapper find a face with the window's characters
    // when the named one is missing.
    font_ = ::CreateFontW(-look.fontHeight, 0, 0, 0, look.fontWeight, FALSE, FALSE, FALSE,
                          GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                          CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, look.fontFace);
    windowBrush_ = ::CreateSolidBrush(look.window);
    editBrush_ = ::CreateSolidBrush(look.editBack);
    if (!font_ || !windowBrush_ || !editBrush_) {
        Release();
        return false;
    }
    active_ = style;
    return true;
}

void Skins::DrawButton(const DRAWITEMSTRUCT& item, bool isDefault) const {
    const Look* look = Current();
    if (!look) return;
    HDC dc = item.hDC;
    const RECT area = item.rcItem;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;

    const int saved = ::SaveDC(dc);
    // The corners outside the rounded shape show the window's background.
    ::FillRect(dc, &area, windowBrush_);
    HRGN shape = ::CreateRoundRectRgn(area.left, area.top, area.right + 1, area.bottom + 1,
                                      look->cornerRadius, look->cornerRadius);
    ::SelectClipRgn(dc, shape);
    const int height = area.bottom - area.top;
    for (int y = 0; y < height; ++y) {
        COLORREF colour = disabled  ? look->disabledBack
                          : pressed ? look->buttonPressed
                                    : Blend(look->buttonTop, look->buttonBottom, y, height - 1);
        HBRUSH line = ::CreateSolidBrush(colour);
        RECT row = {area.left, area.top + y, area.right, area.top + y + 1};
        ::FillRect(dc, &row, line);
        ::DeleteObject(line);
    }
    ::SelectClipRgn(dc, nullptr);
    ::DeleteObject(shape);

    const COLORREF borderColour = disabled                 ? look->disabledText
                                  : (focused || isDefault) ? look->accent
                                                           : look->buttonBorder;
    HPEN border = ::CreatePen(PS_SOLID, (focused && !disabled) ? 2 : 1, borderColour);
    HGDIOBJ oldPen = ::SelectObject(dc, border);
    HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    ::RoundRect(dc, area.left, area.top, area.right, area.bottom, look->cornerRadius,
                look->cornerRadius);
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(border);

    std::wstring caption(static_cast<std::size_t>(::GetWindowTextLengthW(item.hwndItem)) + 1,
                         L'\0');
    caption.resize(static_cast<std::size_t>(
        ::GetWindowTextW(item.hwndItem, caption.data(), static_cast<int>(caption.size()))));
    RECT textArea = area;
    if (pressed) ::OffsetRect(&textArea, 1, 1);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, disabled ? look->disabledText : look->buttonText);
    ::SelectObject(dc, font_);
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &textArea,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::RestoreDC(dc, saved);
}

}  // namespace tavrin::win32
