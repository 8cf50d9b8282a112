#pragma once
// The skin: three looks for every window of the program, each a widget style, a palette and a
// style sheet set on the application, so that windows opened later (message boxes, the file
// dialog) take the look as well.
#include <QPalette>
#include <QString>
#include <cstdint>

namespace tavrin::qt {

class Skins {
  public:
    static constexpr std::int32_t kStyleCount = 3;

    // Remembers the application's look at this moment as the plain look.
    Skins();
    // Restores the plain look.
    ~Skins();
    Skins(const Skins&) = delete;
    Skins& operator=(const Skins&) = delete;

    // 1 to kStyleCount switches that look on, after switching off the one that is on; any other
    // value restores the plain look. False when the widget style cannot be made.
    bool Apply(std::int32_t style);
    // The look that is on; 0 for the plain one.
    std::int32_t Active() const { return active_; }

  private:
    void RestorePlain();
    void ShowAtOnce();

    QString plainStyle_;
    QPalette plainPalette_;
    QString plainStyleSheet_;
    std::int32_t active_ = 0;
};

}  // namespace tavrin::qt
