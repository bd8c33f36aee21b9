#pragma once

#include "controls/ButtonTypes.h"

#include <QString>

class kuButtons_H;
class QFont;

// The rules of the button's property setters: the accepted ranges, what each change
// lays out again and redraws, the hover colours that follow the plain colours while
// locked, the access key of the caption, the pointer shape, and the advice shown at
// design time when a value does not fit the others.
class ButtonProperties {
public:
    explicit ButtonProperties(kuButtons_H& button) : b(button) {}

    void setButtonStyle(int v);
    void setMode(int v);
    void setCaption(const QString& v);
    void setCaptionAlign(int v);
    void setCaptionStyle(int v);
    void setCustomClick(int v);
    void setButtonShape(int v);
    void setPicture(const ButtonPicture& v);
    void setPictureAlign(int v);
    void setenabled(bool v);
    void setShowFocusRect(bool v);
    void setvalue(bool v);
    void setPictureSize(int option);
    void setMousePointer(int v);
    void setMouseIcon(const ButtonPicture& v);
    void setFont(const QFont& v);
    void setFontStyle(int bits);
    void setForeColor(Colour v);
    void setBackColor(Colour v);
    void setGradientColor(Colour v);
    void setGradientMode(int v);
    void setResetDefaultColors(bool v);
    void setHoverColorLocks(int v);
    void setHoverForeColor(Colour v);
    void setHoverBackColor(Colour v); // The Alt shortcut of the caption's access key.
    void updateAccessKey();

private:
    void applyMousePointer();

    kuButtons_H& b;
};
