#include "ButtonTestSupport.h"

#include "controls/OptionGroup.h"
#include "controls/WidgetContainerHost.h"
#include "controls/kuButtons_H.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QtTest>
#include <memory>

using namespace kuButtons;

namespace {

// One button (or several) on a form, each with its own host.
struct Form {
    QWidget widget;
    ScriptedDialogs dialogs;
    std::vector<std::unique_ptr<WidgetContainerHost>> hosts;
    std::vector<std::unique_ptr<kuButtons_H>> buttons;
    QWidget* under = nullptr; // what the pointer probe reports

    Form() { widget.resize(400, 300); }

    kuButtons_H& add(int mode = CommandButton, QRect geometry = QRect(10, 10, 80, 26))
    {
        hosts.push_back(std::make_unique<WidgetContainerHost>(&widget, dialogs));
        buttons.push_back(std::make_unique<kuButtons_H>(*hosts.back(), &widget));
        kuButtons_H& b = *buttons.back();
        b.setGeometry(geometry);
        b.InitProperties();
        b.setWidgetUnderCursorProbe([this] { return under; });
        b.setMode(mode);
        return b;
    }
};

// Records the events of a button as short texts, in order.
struct Recorder {
    QStringList events;
    explicit Recorder(kuButtons_H& b)
    {
        QObject::connect(&b, &kuButtons_H::MouseDown, [this](short bt, short, float, float) {
            events << QStringLiteral("MouseDown%1").arg(bt);
        });
        QObject::connect(&b, &kuButtons_H::MouseUp, [this](short bt, short, float, float) {
            events << QStringLiteral("MouseUp%1").arg(bt);
        });
        QObject::connect(&b, &kuButtons_H::MouseMove, [this](short, short, float, float) {
            if (events.isEmpty() || events.last() != "MouseMove")
                events << QStringLiteral("MouseMove");
        });
        QObject::connect(&b, &kuButtons_H::KeyDown,
                         [this](short& k, short) { events << QStringLiteral("KeyDown%1").arg(k); });
        QObject::connect(&b, &kuButtons_H::KeyUp,
                         [this](short& k, short) { events << QStringLiteral("KeyUp%1").arg(k); });
        QObject::connect(&b, &kuButtons_H::KeyPress,
                         [this](short k) { events << QStringLiteral("KeyPress%1").arg(k); });
        QObject::connect(&b, &kuButtons_H::Click, [this] { events << QStringLiteral("Click"); });
        QObject::connect(&b, &kuButtons_H::DoubleClick,
                         [this](short& bt) { events << QStringLiteral("DoubleClick%1").arg(bt); });
        QObject::connect(&b, &kuButtons_H::MouseOnButton, [this](bool on) {
            events << (on ? QStringLiteral("Enter") : QStringLiteral("Leave"));
        });
    }
};

// Collects key presses that reach a widget.
struct KeyCatcher : QObject {
    struct Key {
        int key;
        quint32 scanCode;
        quint32 virtualKey;
    };
    QList<Key> keys;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress) {
            const auto* k = static_cast<QKeyEvent*>(e);
            keys << Key{k->key(), k->nativeScanCode(), k->nativeVirtualKey()};
        }
        return false;
    }
};

} // namespace

class ButtonInputTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void leftClickOrder();
    void leftClickThroughQt();
    void doubleClickOrder();
    void doubleClickThroughQt();
    void rightClickRaisesNoClick();
    void spaceOnCheckBox();
    void spaceOnCommandButton();
    void spaceTwiceDrawsOnce();
    void arrowKeysGoToTheContainer_data();
    void arrowKeysGoToTheContainer();
    void keyPressIsRaised();
    void accessKeys_data();
    void accessKeys();
    void hoverEntersAndLeaves();
    void hoverTimerEndsHovering();
    void pressedFaceFollowsThePointer();
    void checkBoxToggles();
    void optionGroupIsExclusive();
    void clickingTheSelectedOptionDoesNothing();
    void unregisteringMovesLaterSlotsDown();
    void destroyedMemberLeavesTheGroup();
    void gotFocusSelectsAnUnselectedGroup();
    void arrowReleaseSelectsAnOption();
    void arrowKeysMoveThroughTheOptionGroup_data();
    void arrowKeysMoveThroughTheOptionGroup();
    void customClickMovesTheButton_data();
    void customClickMovesTheButton();
    void displayAsDefaultFollowsFocus();
};

void ButtonInputTest::cleanup()
{
    // Qt Test keeps pressed buttons across functions.
    if (QWidget* w = QApplication::activeWindow())
        QTest::mouseRelease(w, Qt::LeftButton);
}

// A press, a drag off the button and back while held, and a release over it: still one
// click, raised after the release.
void ButtonInputTest::leftClickOrder()
{
    Form f;
    kuButtons_H& b = f.add();
    f.widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.widget));
    Recorder r(b);
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(20, 10));
    QVERIFY(b.state().has(IsPressed));
    QTest::mouseMove(&b, QPoint(200, 100));
    QTest::mouseMove(&b, QPoint(22, 12));
    QVERIFY(r.events.contains("MouseMove"));
    QVERIFY(!r.events.contains("Click"));
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(22, 12));
    QVERIFY(!b.state().has(IsPressed));
    QCOMPARE(r.events, (QStringList{"MouseDown1", "MouseMove", "MouseUp1", "Click"}));
}

void ButtonInputTest::leftClickThroughQt()
{
    Form f;
    kuButtons_H& b = f.add();
    f.widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.widget));
    Recorder r(b);
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(r.events, (QStringList{"MouseDown1", "MouseUp1", "Click"}));
    // Released outside: no click.
    r.events.clear();
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(200, 100));
    QCOMPARE(r.events, (QStringList{"MouseDown1", "MouseUp1"}));
}

// A double click on a check box through the window's events: one Click, so the box
// toggles once; between the double click and its release the last button reads -1.
void ButtonInputTest::doubleClickOrder()
{
    Form f;
    kuButtons_H& b = f.add(CheckBox);
    f.widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.widget));
    Recorder r(b);
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseDClick(&b, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(b.lastMouseButton(), short(-1));
    QVERIFY(b.state().has(IsPressed));
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(b.lastMouseButton(), short(1));
    QVERIFY(!b.state().has(IsPressed));
    QCOMPARE(r.events,
             (QStringList{"MouseDown1", "MouseUp1", "Click", "DoubleClick1", "MouseDown1", "MouseUp1"}));
    QVERIFY(b.value());
}

void ButtonInputTest::doubleClickThroughQt()
{
    Form f;
    kuButtons_H& b = f.add();
    f.widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.widget));
    Recorder r(b);
    // What an X server delivers for a double click: press, release, double click, release.
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseDClick(&b, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(20, 10), 1000);
    QStringList expected{"MouseDown1", "MouseUp1", "Click", "DoubleClick1", "MouseDown1", "MouseUp1"};
    QCOMPARE(r.events.mid(0, 6), expected);
    // A later single click is an ordinary click again.
    QCOMPARE(r.events.mid(6), (QStringList{"MouseDown1", "MouseUp1", "Click"}));
}

void ButtonInputTest::rightClickRaisesNoClick()
{
    Form f;
    kuButtons_H& b = f.add(CheckBox);
    Recorder r(b);
    b.onMouseDown(2, 0, 5, 5);
    QVERIFY(!b.state().has(IsPressed));
    b.onMouseUp(2, 0, 5, 5);
    b.onClick();
    QCOMPARE(r.events, (QStringList{"MouseDown2", "MouseUp2"}));
    QVERIFY(!b.value());
}

void ButtonInputTest::spaceOnCheckBox()
{
    Form f;
    kuButtons_H& b = f.add(CheckBox);
    Recorder r(b);
    bool valueAtClick = false;
    connect(&b, &kuButtons_H::Click, [&] { valueAtClick = b.value(); });
    short key = 32;
    b.onKeyDown(key, 0);
    QVERIFY(b.state().has(IsPressed));
    QVERIFY(!b.state().has(IsOver)); // only while drawing, since the pointer is elsewhere
    key = 32;
    b.onKeyUp(key, 0);
    QCOMPARE(r.events, (QStringList{"KeyDown32", "KeyUp32", "Click"}));
    QVERIFY(valueAtClick);
    QVERIFY(b.value());
}

void ButtonInputTest::spaceOnCommandButton()
{
    Form f;
    kuButtons_H& b = f.add(CommandButton);
    Recorder r(b);
    short key = 32;
    b.onKeyDown(key, 0);
    key = 32;
    b.onKeyUp(key, 0);
    QCOMPARE(r.events, (QStringList{"KeyDown32", "Click", "KeyUp32"}));
    // Through Qt as well.
    f.widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.widget));
    b.setFocus();
    r.events.clear();
    QTest::keyClick(&b, Qt::Key_Space);
    QCOMPARE(r.events, (QStringList{"KeyDown32", "KeyPress32", "Click", "KeyUp32"}));
}

void ButtonInputTest::spaceTwiceDrawsOnce()
{
    Form f;
    kuButtons_H& b = f.add();
    const int before = b.redrawCount();
    short key = 32;
    b.onKeyDown(key, 0);
    key = 32;
    b.onKeyDown(key, 0);
    QCOMPARE(b.redrawCount(), before + 1);
}

void ButtonInputTest::arrowKeysGoToTheContainer_data()
{
    QTest::addColumn<int>("vk");
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("scanCode");
    QTest::newRow("left") << 37 << int(Qt::Key_Left) << 0x4B;
    QTest::newRow("up") << 38 << int(Qt::Key_Up) << 0x48;
    QTest::newRow("right") << 39 << int(Qt::Key_Right) << 0x4D;
    QTest::newRow("down") << 40 << int(Qt::Key_Down) << 0x50;
}

void ButtonInputTest::arrowKeysGoToTheContainer()
{
    QFETCH(int, vk);
    QFETCH(int, qtKey);
    QFETCH(int, scanCode);
    Form f;
    kuButtons_H& b = f.add();
    Recorder r(b);
    KeyCatcher catcher;
    f.widget.installEventFilter(&catcher);
    short key = short(vk);
    b.onKeyDown(key, 0);
    QCOMPARE(key, short(0));
    key = short(vk);
    b.onKeyUp(key, 0);
    QCoreApplication::processEvents();
    QVERIFY(r.events.isEmpty());
    QCOMPARE(catcher.keys.size(), 1);
    QCOMPARE(catcher.keys[0].key, qtKey);
    QCOMPARE(int(catcher.keys[0].scanCode), scanCode);
    QCOMPARE(int(catcher.keys[0].virtualKey), vk);
}

void ButtonInputTest::keyPressIsRaised()
{
    Form f;
    kuButtons_H& b = f.add();
    Recorder r(b);
    short key = 65;
    b.onKeyDown(key, 1);
    b.onKeyPress(97);
    key = 16; // shift is swallowed on release
    b.onKeyUp(key, 0);
    key = 65;
    b.onKeyUp(key, 0);
    QCOMPARE(r.events, (QStringList{"KeyDown65", "KeyPress97", "KeyUp65"}));
}

void ButtonInputTest::accessKeys_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("clicks");
    QTest::newRow("letter on a command button") << int(CommandButton) << int('G') << true;
    QTest::newRow("enter on a command button") << int(CommandButton) << 13 << true;
    QTest::newRow("escape on a command button") << int(CommandButton) << 27 << true;
    QTest::newRow("letter on a check box") << int(CheckBox) << int('G') << true;
    QTest::newRow("enter on a check box") << int(CheckBox) << 13 << false;
    QTest::newRow("escape on an option button") << int(OptionButton) << 27 << false;
}

void ButtonInputTest::accessKeys()
{
    QFETCH(int, mode);
    QFETCH(int, key);
    QFETCH(bool, clicks);
    Form f;
    kuButtons_H& b = f.add(mode);
    b.setCaption(QStringLiteral("&Go"));
    Recorder r(b);
    b.onAccessKeyPress(short(key));
    QCOMPARE(r.events.contains("Click"), clicks);
    if (mode == CheckBox)
        QCOMPARE(b.value(), clicks);
}

void ButtonInputTest::hoverEntersAndLeaves()
{
    Form f;
    kuButtons_H& b = f.add();
    Recorder r(b);
    f.under = &f.widget; // pointer elsewhere: nothing happens
    b.onMouseMove(0, 0, 3, 3);
    QVERIFY(!b.isHovering());
    f.under = &b;
    b.onMouseMove(0, 0, 4, 4);
    QVERIFY(b.isHovering());
    QVERIFY(b.state().has(IsOver));
    QVERIFY(b.hoverTimer().isActive());
    QCOMPARE(b.property("ku_TimerID").toInt(), 237);
    QCOMPARE(b.property("ku_ClassID").value<quintptr>(), quintptr(&b));
    b.CheckHoverExit(); // still over: nothing
    QVERIFY(b.isHovering());
    f.under = nullptr;
    b.CheckHoverExit();
    QVERIFY(!b.isHovering());
    QVERIFY(!b.state().has(IsOver));
    QVERIFY(!b.hoverTimer().isActive());
    QCOMPARE(r.events, (QStringList{"MouseMove", "Enter", "MouseMove", "Leave"}));
}

void ButtonInputTest::hoverTimerEndsHovering()
{
    Form f;
    kuButtons_H& b = f.add();
    b.setHoverBackColor(RGBColour(0, 0, 255));
    f.under = &b;
    b.onMouseMove(0, 0, 4, 4);
    // Hover face shows the hover colour.
    QCOMPARE(uint(fromQRgb(b.hdc().pixel(40, 5))), uint(RGBColour(0, 0, 255)));
    f.under = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT(!b.isHovering(), 1000);
    QVERIFY(fromQRgb(b.hdc().pixel(40, 5)) != RGBColour(0, 0, 255));
}

void ButtonInputTest::pressedFaceFollowsThePointer()
{
    Form f;
    kuButtons_H& b = f.add();
    f.under = &b;
    b.onMouseMove(0, 0, 4, 4);
    b.onMouseDown(1, 0, 4, 4);
    QVERIFY(b.state().pressedAndOver());
    // Dragged off while held: the next hover tick shows the button raised.
    f.under = &f.widget;
    b.onMouseMove(1, 0, 300, 4);
    b.CheckHoverExit();
    QVERIFY(!b.state().pressedAndOver());
    // Back over it, still held: pressed again.
    f.under = &b;
    b.onMouseMove(1, 0, 5, 5);
    QVERIFY(b.state().pressedAndOver());
}

void ButtonInputTest::checkBoxToggles()
{
    Form f;
    kuButtons_H& b = f.add(CheckBox);
    for (bool expected : {true, false, true}) {
        b.onMouseDown(1, 0, 5, 5);
        b.onMouseUp(1, 0, 5, 5);
        b.onClick();
        QCOMPARE(b.value(), expected);
    }
}

void ButtonInputTest::optionGroupIsExclusive()
{
    Form f;
    kuButtons_H& a = f.add(OptionButton);
    kuButtons_H& b = f.add(OptionButton);
    kuButtons_H& c = f.add(OptionButton);
    QCOMPARE(f.widget.property("ku_OptCount").toInt(), 3);
    QCOMPARE(OptionGroup::member(&f.widget, 1), &a);
    QCOMPARE(OptionGroup::member(&f.widget, 3), &c);
    a.setvalue(true);
    for (kuButtons_H* target : {&b, &c, &a}) {
        target->onMouseDown(1, 0, 5, 5);
        target->onMouseUp(1, 0, 5, 5);
        target->onClick();
        QVERIFY(target->value());
        int on = 0;
        for (kuButtons_H* m : {&a, &b, &c})
            on += m->value();
        QCOMPARE(on, 1);
    }
    // A button on another container is not part of the group.
    QWidget other;
    WidgetContainerHost host(&other, f.dialogs);
    kuButtons_H stranger(host, &other);
    stranger.InitProperties();
    stranger.setMode(OptionButton);
    stranger.setvalue(true);
    QVERIFY(a.value());
}

void ButtonInputTest::clickingTheSelectedOptionDoesNothing()
{
    Form f;
    kuButtons_H& a = f.add(OptionButton);
    f.add(OptionButton);
    a.setvalue(true);
    Recorder r(a);
    const int redraws = a.redrawCount();
    a.onMouseDown(1, 0, 5, 5);
    a.onMouseUp(1, 0, 5, 5);
    a.onClick();
    QVERIFY(a.value());
    QVERIFY(!r.events.contains("Click"));
    QCOMPARE(a.redrawCount(), redraws + 1); // only the press
}

void ButtonInputTest::unregisteringMovesLaterSlotsDown()
{
    Form f;
    kuButtons_H& a = f.add(OptionButton);
    kuButtons_H& b = f.add(OptionButton);
    kuButtons_H& c = f.add(OptionButton);
    a.setMode(CommandButton);
    QCOMPARE(f.widget.property("ku_OptCount").toInt(), 2);
    QCOMPARE(OptionGroup::member(&f.widget, 1), &b);
    QCOMPARE(OptionGroup::member(&f.widget, 2), &c);
    QVERIFY(!f.widget.property("3ku_Obj").isValid());
    b.setvalue(true);
    c.onMouseDown(1, 0, 1, 1);
    c.onMouseUp(1, 0, 1, 1);
    c.onClick();
    QVERIFY(!b.value() && c.value());
    b.setMode(CheckBox);
    c.setMode(CheckBox);
    QVERIFY(!f.widget.property("ku_OptCount").isValid());
    QVERIFY(!f.widget.property("1ku_Obj").isValid());
}

void ButtonInputTest::destroyedMemberLeavesTheGroup()
{
    Form f;
    kuButtons_H& a = f.add(OptionButton);
    f.add(OptionButton);
    kuButtons_H& c = f.add(OptionButton);
    f.buttons[1].reset(); // destroyed while still an option button
    QCOMPARE(OptionGroup::count(&f.widget), 2);
    QCOMPARE(OptionGroup::member(&f.widget, 1), &a);
    QCOMPARE(OptionGroup::member(&f.widget, 2), &c);
    // The group still works without touching the dead member.
    c.setvalue(true);
    a.setvalue(true);
    QVERIFY(!c.value());
}

void ButtonInputTest::gotFocusSelectsAnUnselectedGroup()
{
    Form f;
    kuButtons_H& a = f.add(OptionButton);
    kuButtons_H& b = f.add(OptionButton);
    Recorder r(b);
    b.onGotFocus();
    QVERIFY(b.value());
    QCOMPARE(r.events, QStringList{"Click"});
    // With another member on, focus alone changes nothing.
    a.setvalue(true);
    QVERIFY(!b.value());
    r.events.clear();
    b.onGotFocus();
    QVERIFY(!b.value() && a.value());
    QVERIFY(r.events.isEmpty());
}

void ButtonInputTest::arrowReleaseSelectsAnOption()
{
    Form f;
    kuButtons_H& a = f.add(OptionButton);
    kuButtons_H& b = f.add(OptionButton);
    a.setvalue(true);
    short key = 40;
    b.onKeyUp(key, 0);
    QVERIFY(b.value() && !a.value());
}

void ButtonInputTest::arrowKeysMoveThroughTheOptionGroup_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("disabled"); // -1: none
    QTest::newRow("down") << int(Qt::Key_Down) << 0 << 1 << -1;
    QTest::newRow("right") << int(Qt::Key_Right) << 0 << 1 << -1;
    QTest::newRow("up") << int(Qt::Key_Up) << 1 << 0 << -1;
    QTest::newRow("left") << int(Qt::Key_Left) << 2 << 1 << -1;
    QTest::newRow("down from the last wraps") << int(Qt::Key_Down) << 2 << 0 << -1;
    QTest::newRow("up from the first wraps") << int(Qt::Key_Up) << 0 << 2 << -1;
    QTest::newRow("a disabled option is passed over") << int(Qt::Key_Down) << 0 << 2 << 1;
}

// Keys typed into the window: the arrow moves the focus to the neighbouring option
// button of the same container (not to the command button between them) and selects it.
void ButtonInputTest::arrowKeysMoveThroughTheOptionGroup()
{
    QFETCH(int, key);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, disabled);
    Form f;
    std::vector<kuButtons_H*> options;
    options.push_back(&f.add(OptionButton, QRect(10, 10, 80, 26)));
    kuButtons_H& command = f.add(CommandButton, QRect(10, 40, 80, 26));
    options.push_back(&f.add(OptionButton, QRect(10, 70, 80, 26)));
    options.push_back(&f.add(OptionButton, QRect(10, 100, 80, 26)));
    if (disabled >= 0)
        options[disabled]->setenabled(false);
    options[from]->setvalue(true);
    f.widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.widget));
    QApplication::setActiveWindow(&f.widget);
    QVERIFY(QTest::qWaitForWindowActive(&f.widget));
    options[from]->setFocus();
    QTRY_VERIFY(options[from]->hasFocus());
    Recorder before(*options[from]);
    Recorder after(*options[to]);

    QTest::keyClick(f.widget.windowHandle(), Qt::Key(key));
    QTRY_VERIFY(options[to]->hasFocus());
    for (int i = 0; i < 3; ++i)
        QCOMPARE(options[i]->value(), i == to);
    QVERIFY(!command.hasFocus());
    QCOMPARE(after.events, QStringList{"Click"});
    QVERIFY(before.events.isEmpty());
}

void ButtonInputTest::customClickMovesTheButton_data()
{
    QTest::addColumn<int>("customClick");
    QTest::addColumn<QPoint>("step");
    const QPoint steps[] = {{0, -1}, {1, -1}, {-1, -1}, {1, 1}, {-1, 1}, {1, 0}, {0, 1}, {-1, 0}};
    for (int i = 1; i <= 8; ++i)
        QTest::newRow(qPrintable(QString::number(i))) << i << steps[i - 1];
}

void ButtonInputTest::customClickMovesTheButton()
{
    QFETCH(int, customClick);
    QFETCH(QPoint, step);
    Form f;
    kuButtons_H& b = f.add(CommandButton, QRect(50, 40, 60, 24));
    b.setCustomClick(customClick);
    f.under = &b;
    b.onMouseMove(0, 0, 5, 5);
    const QImage before = b.hdc();
    b.onMouseDown(1, 0, 5, 5);
    QCOMPARE(b.pos(), QPoint(50, 40) + step);
    QCOMPARE(b.hdc(), before); // moved instead of drawn pressed
    b.onMouseUp(1, 0, 5, 5);
    QCOMPARE(b.pos(), QPoint(50, 40));
    // In check-box mode the movement does not apply.
    b.setMode(CheckBox);
    b.onMouseDown(1, 0, 5, 5);
    QCOMPARE(b.pos(), QPoint(50, 40));
}

void ButtonInputTest::displayAsDefaultFollowsFocus()
{
    Form f;
    kuButtons_H& a = f.add();
    kuButtons_H& b = f.add(CommandButton, QRect(10, 60, 80, 26));
    f.widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.widget));
    QApplication::setActiveWindow(&f.widget);
    a.setFocus();
    QTRY_VERIFY(a.hasFocus());
    QVERIFY(a.state().has(IsDefault));
    b.setFocus();
    QTRY_VERIFY(b.hasFocus());
    QVERIFY(!a.state().has(IsDefault));
    QVERIFY(b.state().has(IsDefault));
    // Without the focus rectangle a running form never shows it.
    b.setShowFocusRect(false);
    QVERIFY(!b.state().has(IsDefault));
}

QTEST_MAIN(ButtonInputTest)
#include "tst_buttoninput.moc"
