#pragma once

#include <QFont>
#include <QRect>

// The panel's layouts are given in dialog units, as a dialog template gives them: a horizontal
// unit is a quarter of the font's average character width, a vertical one an eighth of its
// height. Taken from the font the widgets use, so the layout holds at any font size and scale;
// the template's own 8 point "MS Shell Dlg" gives 6 by 13 pixels.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    // The template font's units at 96 dpi.
    static DialogUnits Template();

    int X(int du) const { return du * baseX_ / 4; }
    int Y(int du) const { return du * baseY_ / 8; }
    QRect Rect(int x, int y, int w, int h) const { return QRect(X(x), Y(y), X(w), Y(h)); }
    // A rectangle the design gives in pixels of the template font, scaled as the units are.
    QRect Pixels(const QRect& atTemplate) const;

    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }

private:
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

    int baseX_;
    int baseY_;
};
