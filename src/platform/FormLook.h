// The look shared by the program's forms: the window font (a proportional
// Japanese Gothic at 12 pixels), the fixed-pitch font of data lines, and the
// placement of dialogs in the middle of the screen.
#pragma once

#include <QFont>

class QWidget;

namespace quaverly {

// "ＭＳ Ｐゴシック" where it exists, else the IPA or Noto Gothic of this system.
QFont WindowFont();
// "ＭＳ ゴシック", else IPAGothic, else the system's monospace font.
QFont FixedPitchFont();
// Gives a form the window font; its controls inherit it.
void ApplyWindowFont(QWidget* form);
// Moves a top-level form to the middle of the screen it is on.
void CenterOnScreen(QWidget* form);

}  // namespace quaverly
