#pragma once
// The skin: three looks of the program's own for the main window and its controls, each a set of
// colours, a font and a way of drawing the push buttons. The plain look is the system's.
#include <windows.h>

#include <cstdint>

namespace tavrin::win32 {

struct Look {
    COLORREF window;    // the window's background
    COLORREF text;      // captions of the window's own controls
    COLORREF editBack;  // the path field
    COLORREF editText;
    COLORREF buttonTop;  // push buttons: a vertical gradient with a border
    COLORREF buttonBottom;
    COLORREF buttonPressed;
    COLORREF buttonBorder;
    COLORREF buttonText;
    COLORREF accent;  // the default button's and the focused button's border
    COLORREF disabledBack;
    COLORREF disabledText;
    const wchar_t* fontFace;
    int fontHeight;  // pixels of the character height
    int fontWeight;
    int cornerRadius;
};

class Skins {
  public:
    static constexpr std::int32_t kStyleCount = 3;

    Skins() = default;
    ~Skins();
    Skins(const Skins&) = delete;
    Skins& operator=(const Skins&) = delete;

    // 1 to kStyleCount makes that look the active one, any other value the plain look. False
    // when the look's font or brushes cannot be made; the plain look is then active.
    bool Select(std::int32_t style);
    std::int32_t Active() const { return active_; }
    // The active look; null for the plain one.
    const Look* Current() const;
    HFONT Font() const { return font_; }
    HBRUSH WindowBrush() const { return windowBrush_; }
    HBRUSH EditBrush() const { return editBrush_; }

    // Draws an owner-drawn push button in the active look.
    void DrawButton(const DRAWITEMSTRUCT& item, bool isDefault) const;

  private:
    void Release();

    std::int32_t active_ = 0;
    HFONT font_ = nullptr;
    HBRUSH windowBrush_ = nullptr;
    HBRUSH editBrush_ = nullptr;
};

}  // namespace tavrin::win32
