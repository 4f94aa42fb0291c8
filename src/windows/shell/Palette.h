#pragma once
// The program's own colours. The windows paint their own silver backgrounds,
// so they set every colour that is read against them (text, fields, buttons,
// selection, links, the focus highlight): a window reads the same under a
// light and a dark desktop theme. Texts reach at least 4.5:1 against their
// background, focus frames at least 3:1.

#include <QColor>
#include <QPalette>

class QWidget;

namespace wobbin {

// The silver of the program's backgrounds.
inline const QColor kSilver{0xC0, 0xC0, 0xC0};

// The whole palette of a window painted in silver.
QPalette ProgramPalette();
// Gives a window (or the part of one that paints its own background) the
// program's palette and fills its background.
void UseProgramPalette(QWidget *widget);

// Contrast ratio of two colours (1 to 21), as the accessibility guidelines
// measure it from their relative luminance.
double ContrastRatio(const QColor &a, const QColor &b);
// Of black and white, the one that stands out more on background.
QColor ContrastingInk(const QColor &background);

// The style's focus marks (the frame round a focused check box, radio
// button, tab or list entry) drawn plainly in the selection colour instead
// of faintly, in every window of the program; the rest of the style stays.
void UseClearFocusMarks();

} // namespace wobbin
