#pragma once

#include "controls/ButtonDrawing.h"
#include "controls/ButtonInput.h"
#include "controls/ButtonProperties.h"
#include "controls/ButtonState.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

class ButtonHost;
class PropertyBag;
class QShortcut;
class QMimeData;

// The owner-drawn push, check-box and option button: eight drawing styles, nine
// outline shapes, gradients, hover colours, pictures and caption effects. It paints
// into its own image (hdc()), which stays readable while the widget is hidden, and
// shows that image in one copy. Events are Qt signals with the handlers' arguments.
// The class holds the properties and the host steps; ButtonPersistence saves and
// restores them, ButtonDrawing turns them into the image and ButtonInput handles the
// pointer and the keyboard.
class kuButtons_H : public QWidget {
    Q_OBJECT
public:
    // host must outlive the button.
    kuButtons_H(ButtonHost& host, QWidget* parent = nullptr);
    ~kuButtons_H() override;

    // The host's step for a new instance, and for saved data.
    void InitProperties();
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;
    void ReadProperties();        // from the host's store
    void WriteProperties() const; // into the host's store
    // The host's ambient-change notification ("DisplayAsDefault", "BackColor").
    void AmbientChanged(const QString& name);

    // Properties.
    int ButtonStyle() const { return m.buttonStyle; }
    void setButtonStyle(int v);
    int Mode() const { return m.mode; }
    void setMode(int v);
    QString Caption() const { return m.caption; }
    void setCaption(const QString& v);
    int CaptionAlign() const { return m.captionAlign; }
    void setCaptionAlign(int v);
    int CaptionStyle() const { return m.captionStyle; }
    void setCaptionStyle(int v);
    int CustomClick() const { return m_customClick; }
    void setCustomClick(int v);
    int ButtonShape() const { return m.buttonShape; }
    void setButtonShape(int v);
    ButtonPicture Picture() const { return m.picture; }
    void setPicture(const ButtonPicture& v);
    int PictureAlign() const { return m.pictureAlign; }
    void setPictureAlign(int v);
    bool enabled() const { return isEnabled(); }
    void setenabled(bool v);
    bool ShowFocusRect() const { return m.showFocusRect; }
    void setShowFocusRect(bool v);
    bool value() const { return m.value; }
    void setvalue(bool v);
    int PictureSize() const { return kuButtons::pictureSizeOption(m.pictureSize); }
    void setPictureSize(int option);
    int MousePointer() const { return m_mousePointer; }
    void setMousePointer(int v);
    ButtonPicture MouseIcon() const { return m_mouseIcon; }
    void setMouseIcon(const ButtonPicture& v);
    QFont Font() const { return font(); }
    void setFont(const QFont& v);
    int FontStyle() const;
    void setFontStyle(int bits);
    Colour ForeColor() const { return m.foreColor; }
    void setForeColor(Colour v);
    Colour BackColor() const { return m.backColor; }
    void setBackColor(Colour v);
    Colour GradientColor() const { return m.gradientColor; }
    void setGradientColor(Colour v);
    int GradientMode() const { return m.gradientMode; }
    void setGradientMode(int v);
    bool ResetDefaultColors() const { return false; }
    void setResetDefaultColors(bool v);
    int HoverColorLocks() const { return m_hoverColorLocks; }
    void setHoverColorLocks(int v);
    Colour HoverForeColor() const { return m.hoverForeColor; }
    void setHoverForeColor(Colour v);
    Colour HoverBackColor() const { return m.hoverBackColor; }
    void setHoverBackColor(Colour v);
    // The control's rendered image, as the window shows it.
    const QImage& hdc() const { return m_drawing.window(); }
    quintptr hwnd() const { return quintptr(this); }

    // Placement in the container's pixels; setting Width re-renders at once, even hidden.
    int Left() const { return x(); }
    int Top() const { return y(); }
    int Width() const { return width(); }
    int Height() const { return height(); }
    void setLeft(int v) { move(v, y()); }
    void setTop(int v) { move(x(), v); }
    void setWidth(int v);
    void setHeight(int v);

    // Methods.
    void Refresh();
    void DelayDrawing(bool bDelay);

    // Handlers of the host's notifications; the Qt event plumbing calls them.
    void onMouseDown(short Button, short Shift, float X, float Y);
    void onMouseMove(short Button, short Shift, float X, float Y);
    void onMouseUp(short Button, short Shift, float X, float Y);
    void onClick();
    void onDblClick();
    void onKeyDown(short& KeyCode, short Shift);
    void onKeyPress(short KeyAscii);
    void onKeyUp(short& KeyCode, short Shift);
    void onAccessKeyPress(short KeyAscii);
    void onGotFocus();
    void CheckHoverExit();

    // Read-only views for the host and for tests.
    const ButtonState& state() const { return m; }
    QChar accessKey() const { return m_accessKey; }
    QString Tag() const { return m_tag; }
    QWidget* groupContainer() const { return m_container; }
    bool isHovering() const { return m.hovering; }
    bool isDelayed() const { return m_delayDrawing; }
    short lastMouseButton() const { return m_input.lastButton(); }
    int redrawCount() const { return m_drawing.redraws(); }
    QTimer& hoverTimer() { return m_input.hoverTimer(); }
    // Which widget is under the pointer; replaceable so tests need no real pointer.
    void setWidgetUnderCursorProbe(std::function<QWidget*()> probe) { m_input.setProbe(std::move(probe)); }

    static constexpr int HoverTimerId = 237;
    static constexpr int HoverIntervalMs = 50;

signals:
    void MouseDown(short Button, short Shift, float X, float Y);
    void MouseUp(short Button, short Shift, float X, float Y);
    void MouseMove(short Button, short Shift, float X, float Y);
    void KeyDown(short& KeyCode, short Shift);
    void KeyPress(short KeyAscii);
    void KeyUp(short& KeyCode, short Shift);
    void MouseOnButton(bool OnButton);
    void Click();
    void DoubleClick(short& Button);
    void OLECompleteDrag(int Effect);
    void OLEDragDrop(const QMimeData* Data, int& Effect, short Button, short Shift, float X, float Y);
    void OLEDragOver(const QMimeData* Data, int& Effect, short Button, short Shift, float X, float Y,
                     short State);
    void OLEGiveFeedback(int Effect, bool& DefaultCursors);
    void OLESetData(const QMimeData* Data, short DataFormat);
    void OLEStartDrag(const QMimeData* Data, int AllowedEffects);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void showEvent(QShowEvent*) override;
    void changeEvent(QEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void keyReleaseEvent(QKeyEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
    void dragEnterEvent(QDragEnterEvent*) override;
    void dragMoveEvent(QDragMoveEvent*) override;
    void dragLeaveEvent(QDragLeaveEvent*) override;
    void dropEvent(QDropEvent*) override;

private:
    friend class ButtonPersistence;
    friend class ButtonDrawing;
    friend class ButtonInput;
    friend class ButtonProperties;

    void RedrawButton() { m_drawing.RedrawButton(); }
    void present() { m_drawing.present(); }
    void ResizeHandling() { m_drawing.ResizeHandling(); }
    void RefreshDerived(const QString& aspect) { m_drawing.RefreshDerived(aspect); }
    void LayoutContent(bool rebuildCache) { m_drawing.LayoutContent(rebuildCache); }
    void BuildRegion() { m_drawing.BuildRegion(); }
    bool UpdateOptionGroup(int action);
    void designMessage(const QString& text, const QString& title = {});
    void notify(const QString& key);
    void adoptContainer();
    void updateAccessKey() { m_props.updateAccessKey(); }
    bool userMode() const;
    void setState(unsigned bit, bool on);

    ButtonHost& m_host;
    ButtonState m;
    QPointer<QWidget> m_container;
    QString m_tag;
    int m_customClick = 0;
    int m_hoverColorLocks = 0;
    int m_mousePointer = 0;
    ButtonPicture m_mouseIcon;
    bool m_delayDrawing = false;
    QChar m_accessKey;
    QShortcut* m_shortcut = nullptr;
    ButtonProperties m_props{*this};
    ButtonDrawing m_drawing{*this};
    ButtonInput m_input{*this};
};
