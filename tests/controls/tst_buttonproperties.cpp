#include "ButtonTestSupport.h"

#include "controls/AccessKey.h"
#include "controls/PropertyBag.h"
#include "controls/WidgetContainerHost.h"
#include "controls/kuButtons_H.h"
#include "mainwindow/ButtonPopupFace.h"
#include "platform/SystemColor.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QProcess>
#include <QtTest>
#include <memory>
#include <optional>

using namespace kuButtons;

namespace {

struct Fixture {
    QWidget form;
    ScriptedDialogs dialogs;
    WidgetContainerHost host{&form, dialogs, QStringLiteral("kuButtons1")};
    std::unique_ptr<kuButtons_H> button;

    explicit Fixture(bool running = true)
    {
        host.setUserMode(running);
        form.resize(300, 200);
        button = std::make_unique<kuButtons_H>(host, &form);
        button->resize(80, 26);
        button->InitProperties();
        host.clearChangedProperties();
    }
};

ButtonPicture icon16()
{
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(QColor(10, 200, 30));
    return {img, ButtonPicture::Icon};
}

ButtonPicture bitmap16()
{
    return {ButtonTests::discBitmap(16), ButtonPicture::Bitmap};
}

} // namespace

class ButtonPropertiesTest : public QObject {
    Q_OBJECT
private slots:
    void accessKey_data();
    void accessKey();
    void captionSetsTheShortcutKey();
    void bagKeysAreCaseInsensitive();
    void bagLeavesOutDefaults();
    void bagSurvivesBytesAndFiles();
    void bagRejectsGarbage();
    void newInstanceValues();
    void saveRestoreRoundTrip();
    void saveWritesKeysInOrderWithTheirTypes();
    void alignmentDefaultNotWritten_data();
    void alignmentDefaultNotWritten();
    void hoverBackIsWrittenAsCBhoverAndReadAsCBHover();
    void restoredAcrossProcesses();
    void pictureSize_data();
    void pictureSize();
    void storedZeroPictureSizeReadsAsSixteen();
    void hoverLocks_data();
    void hoverLocks();
    void outOfRangeIsIgnoredSilently_data();
    void outOfRangeIsIgnoredSilently();
    void designMessages_data();
    void designMessages();
    void iconOnCustomShapeTurnsRectangular();
    void customShapeNeedsABitmap();
    void resetDefaultColors();
    void modeChangesClearValue();
    void delayDrawingSuspendsRedraws();
    void paintEndsADrawingSuspension();
    void fontStyleBits();
    void inheritedFontReachesTheCaption();
    void hiddenPopupRenderer();
    void popupFaceRendersWhileHidden();
    void popupFaceShowsItsLatestLook_data();
    void popupFaceShowsItsLatestLook();
};

void ButtonPropertiesTest::accessKey_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("key");
    QTest::newRow("single before A") << "&Apply"
                                     << "A";
    QTest::newRow("only a doubled pair") << "Save && Exit"
                                         << "";
    QTest::newRow("doubled then single before C") << "R&&D &Centre"
                                                  << "C";
    QTest::newRow("ends in single") << "Trail&"
                                    << "";
    QTest::newRow("last single wins") << "&First &Second"
                                      << "S";
    QTest::newRow("last single ends the caption") << "&First&"
                                                  << "";
    QTest::newRow("triple") << "&&&X"
                            << "X";
    QTest::newRow("none") << "Plain"
                          << "";
}

void ButtonPropertiesTest::accessKey()
{
    QFETCH(QString, caption);
    QFETCH(QString, key);
    const QChar k = accessKeyOf(caption);
    QCOMPARE(k.isNull() ? QString() : QString(k), key);
}

void ButtonPropertiesTest::captionSetsTheShortcutKey()
{
    Fixture f;
    f.button->setCaption(QStringLiteral("&Open"));
    QCOMPARE(f.button->accessKey(), QChar('O'));
    QSignalSpy clicks(f.button.get(), &kuButtons_H::Click);
    f.button->onAccessKeyPress('O');
    QCOMPARE(clicks.count(), 1);
    f.button->setCaption(QStringLiteral("No key"));
    QVERIFY(f.button->accessKey().isNull());
}

void ButtonPropertiesTest::bagKeysAreCaseInsensitive()
{
    PropertyBag bag;
    bag.WriteProperty("cBhover", qint32(5), qint32(0));
    QCOMPARE(bag.ReadProperty("cBHover", 0).toInt(), 5);
    QCOMPARE(bag.ReadProperty("CBHOVER", 0).toInt(), 5);
    bag.WriteProperty("CBHOVER", qint32(7), qint32(0));
    QCOMPARE(bag.keys(), QStringList{"cBhover"});
    QCOMPARE(bag.ReadProperty("cbhover", 0).toInt(), 7);
}

void ButtonPropertiesTest::bagLeavesOutDefaults()
{
    PropertyBag bag;
    bag.WriteProperty("A", qint32(2), qint32(2));
    bag.WriteProperty("B", QString(), QString());
    bag.WriteProperty("C", true, true);
    bag.WriteProperty("D", QVariant()); // no picture
    bag.WriteProperty("E", qint32(0));  // always written
    QCOMPARE(bag.keys(), QStringList{"E"});
    QCOMPARE(bag.ReadProperty("A", 9).toInt(), 9);
    // A value that goes back to its default disappears from the store.
    bag.WriteProperty("F", qint32(1), qint32(0));
    bag.WriteProperty("F", qint32(0), qint32(0));
    QVERIFY(!bag.contains("F"));
}

void ButtonPropertiesTest::bagSurvivesBytesAndFiles()
{
    PropertyBag bag;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(6.75);
    font.setItalic(true);
    QVariantMap picture{{"kind", 0}, {"image", ButtonTests::discBitmap(16)}};
    bag.WriteProperty("Font", font);
    bag.WriteProperty("Image", picture);
    bag.WriteProperty("ImgSize", QVariant::fromValue(qint16(24)), QVariant::fromValue(qint16(16)));
    bag.WriteProperty("Caption", QStringLiteral("Hi || there"), QString());

    PropertyBag copy;
    QVERIFY(copy.fromByteArray(bag.toByteArray()));
    QCOMPARE(copy.keys(), bag.keys());
    QCOMPARE(copy.ReadProperty("Font").value<QFont>(), font);
    QCOMPARE(copy.ReadProperty("Image").toMap().value("image").value<QImage>(),
             ButtonTests::discBitmap(16).convertToFormat(QImage::Format_RGB32));
    QCOMPARE(copy.ReadProperty("ImgSize").metaType(), QMetaType::fromType<qint16>());

    const QString path = TestSupport::tempPath("bag.dat");
    QVERIFY(bag.saveToFile(path));
    PropertyBag fromFile;
    QVERIFY(fromFile.loadFromFile(path));
    QCOMPARE(fromFile.ReadProperty("Caption").toString(), QStringLiteral("Hi || there"));
}

void ButtonPropertiesTest::bagRejectsGarbage()
{
    PropertyBag bag;
    bag.WriteProperty("X", qint32(1));
    QVERIFY(!bag.fromByteArray(QByteArray("not a bag at all")));
    QVERIFY(bag.keys().isEmpty());
    QByteArray truncated = PropertyBag().toByteArray();
    truncated.chop(2);
    QVERIFY(!bag.fromByteArray(truncated));
    QVERIFY(!bag.loadFromFile(TestSupport::tempPath("does-not-exist")));
}

void ButtonPropertiesTest::newInstanceValues()
{
    QWidget form;
    ScriptedDialogs dialogs;
    WidgetContainerHost host(&form, dialogs, QStringLiteral("kuButtons7"));
    QFont formFont(QStringLiteral("DejaVu Sans"));
    formFont.setPointSize(9);
    form.setFont(formFont);
    kuButtons_H b(host, &form);
    b.resize(70, 24);
    b.InitProperties();
    QCOMPARE(b.Caption(), QStringLiteral("kuButtons7"));
    QCOMPARE(b.CaptionAlign(), int(AlignCenter));
    QVERIFY(b.ShowFocusRect());
    QCOMPARE(b.HoverForeColor(), DefaultForeColor);
    QCOMPARE(b.HoverBackColor(), DefaultBackColor);
    QCOMPARE(b.BackColor(), DefaultBackColor);
    QCOMPARE(b.ButtonStyle(), 0);
    QCOMPARE(b.GradientColor(), 0u);
    QCOMPARE(b.PictureSize(), 0);
    QCOMPARE(b.Font().family(), formFont.family());
    QCOMPARE(b.Tag(), QString::number(quintptr(&form)));
    QCOMPARE(host.changedProperties(),
             (QStringList{"Caption", "CapAlign", "Focus", "cFHover", "cBHover", "Font"}));
    QCOMPARE(b.hdc().size(), QSize(70, 24));
}

void ButtonPropertiesTest::saveRestoreRoundTrip()
{
    Fixture f;
    kuButtons_H& b = *f.button;
    b.setCaption(QStringLiteral("&Left"));
    b.setCaptionAlign(AlignLeft);
    b.setButtonStyle(SoftBevel);
    b.setGradientMode(TopToBottom);
    b.setGradientColor(RGBColour(1, 2, 3));
    b.setBackColor(RGBColour(40, 50, 60));
    b.setForeColor(RGBColour(200, 0, 0));
    b.setMode(CheckBox);
    b.setvalue(true);
    b.setCustomClick(3);
    b.setPicture(bitmap16());
    b.setPictureSize(Size24);
    b.setPictureAlign(PicRightEdge);
    b.setCaptionStyle(Engraved);
    b.setShowFocusRect(false);
    b.setFontStyle(2 | 8);
    b.setMousePointer(2);

    PropertyBag saved;
    b.WriteProperties(saved);
    PropertyBag loaded;
    QVERIFY(loaded.fromByteArray(saved.toByteArray()));

    Fixture g;
    g.button->ReadProperties(loaded);
    kuButtons_H& r = *g.button;
    QCOMPARE(r.Caption(), QStringLiteral("&Left"));
    QCOMPARE(r.accessKey(), QChar('L'));
    QCOMPARE(r.CaptionAlign(), int(AlignLeft));
    QCOMPARE(r.ButtonStyle(), int(SoftBevel));
    QCOMPARE(r.GradientMode(), int(TopToBottom));
    QCOMPARE(r.GradientColor(), RGBColour(1, 2, 3));
    QCOMPARE(r.BackColor(), RGBColour(40, 50, 60));
    QCOMPARE(r.ForeColor(), RGBColour(200, 0, 0));
    QCOMPARE(r.HoverBackColor(), b.HoverBackColor());
    QCOMPARE(r.HoverForeColor(), b.HoverForeColor());
    QCOMPARE(r.HoverColorLocks(), b.HoverColorLocks());
    QCOMPARE(r.Mode(), int(CheckBox));
    QVERIFY(r.value());
    QCOMPARE(r.CustomClick(), 3);
    QCOMPARE(r.Picture().kind, ButtonPicture::Bitmap);
    QCOMPARE(r.Picture().image.size(), QSize(16, 16));
    QCOMPARE(r.PictureSize(), int(Size24));
    QCOMPARE(r.PictureAlign(), int(PicRightEdge));
    QCOMPARE(r.CaptionStyle(), int(Engraved));
    QVERIFY(!r.ShowFocusRect());
    QCOMPARE(r.FontStyle(), 2 | 8);
    QCOMPARE(r.MousePointer(), 2);
    QVERIFY(!r.isDelayed());
    // The restored button draws like the original.
    QCOMPARE(r.hdc(), b.hdc());
}

void ButtonPropertiesTest::saveWritesKeysInOrderWithTheirTypes()
{
    Fixture f;
    kuButtons_H& b = *f.button;
    b.setCaption(QStringLiteral("X"));
    b.setCaptionAlign(AlignRight);
    b.setButtonStyle(FlatLine);
    b.setForeColor(RGBColour(1, 1, 1));
    b.setHoverColorLocks(LocksNone);
    b.setHoverForeColor(RGBColour(2, 2, 2));
    b.setHoverBackColor(RGBColour(3, 3, 3));
    b.setShowFocusRect(false);
    b.setGradientColor(RGBColour(4, 4, 4));
    b.setGradientMode(LeftToRight);
    b.setCaptionStyle(Embossed);
    b.setCustomClick(1);
    b.setPicture(bitmap16());
    b.setPictureAlign(PicRightOfCaption);
    b.setPictureSize(Size32);
    b.setenabled(false);
    b.setMousePointer(11);
    b.setMouseIcon(icon16());
    PropertyBag bag;
    b.WriteProperties(bag);
    QCOMPARE(bag.keys(),
             (QStringList{"Caption", "CapAlign", "BackStyle",   "Font",      "cFore",    "cFHover",
                          "cBhover", "Focus",    "LockHover",   "cGradient", "Gradient", "CapStyle",
                          "Mode",    "Value",    "CustomClick", "ImgAlign",  "Image",    "ImgSize",
                          "Enabled", "cBack",    "mPointer",    "mIcon"}));
    QCOMPARE(bag.storedValue("ImgSize").metaType(), QMetaType::fromType<qint16>());
    QCOMPARE(bag.storedValue("mPointer").metaType(), QMetaType::fromType<qint16>());
    QCOMPARE(bag.storedValue("mPointer").toInt(), 99);
    QCOMPARE(bag.storedValue("cBack").metaType(), QMetaType::fromType<qint32>());
    QCOMPARE(quint32(bag.storedValue("cBack").toInt()), DefaultBackColor);
    QCOMPARE(bag.storedValue("Value").metaType(), QMetaType::fromType<bool>());
    QCOMPARE(bag.storedValue("Font").metaType(), QMetaType::fromType<QFont>());
}

void ButtonPropertiesTest::alignmentDefaultNotWritten_data()
{
    QTest::addColumn<int>("align");
    QTest::addColumn<bool>("written");
    QTest::newRow("left is kept") << 0 << true;
    QTest::newRow("right is kept") << 1 << true;
    QTest::newRow("centre is the default") << 2 << false;
}

void ButtonPropertiesTest::alignmentDefaultNotWritten()
{
    QFETCH(int, align);
    QFETCH(bool, written);
    Fixture f;
    f.button->setCaptionAlign(align);
    PropertyBag bag;
    f.button->WriteProperties(bag);
    QCOMPARE(bag.contains("CapAlign"), written);
    // "Mode", "Value" and "cBack" are always written.
    QVERIFY(bag.contains("Mode") && bag.contains("Value") && bag.contains("cBack"));
    QVERIFY(!bag.contains("Caption") == f.button->Caption().isEmpty());
    Fixture g;
    g.button->setCaptionAlign(AlignLeft == align ? AlignRight : AlignLeft);
    g.button->ReadProperties(bag);
    QCOMPARE(g.button->CaptionAlign(), align);
}

void ButtonPropertiesTest::hoverBackIsWrittenAsCBhoverAndReadAsCBHover()
{
    Fixture f;
    f.button->setHoverBackColor(RGBColour(9, 8, 7));
    PropertyBag bag;
    f.button->WriteProperties(bag);
    QVERIFY(bag.keys().contains("cBhover"));
    QVERIFY(!bag.keys().contains("cBHover"));
    Fixture g;
    g.button->ReadProperties(bag);
    QCOMPARE(g.button->HoverBackColor(), RGBColour(9, 8, 7));

    // Without the key, the hover back colour follows the back colour read just before.
    PropertyBag plain;
    plain.WriteProperty("cBack", qint32(RGBColour(50, 60, 70)));
    g.button->ReadProperties(plain);
    QCOMPARE(g.button->HoverBackColor(), RGBColour(50, 60, 70));
}

void ButtonPropertiesTest::restoredAcrossProcesses()
{
    // The saved data is written to a file and read back by a fresh process.
    const QString path = TestSupport::tempPath("form.dat");
    if (qEnvironmentVariableIsSet("BUTTON_READ_BACK"))
        QSKIP("child process");
    {
        Fixture f;
        f.button->setCaption(QStringLiteral("Saved"));
        f.button->setCaptionAlign(AlignLeft);
        f.button->setPicture(bitmap16());
        PropertyBag bag;
        f.button->WriteProperties(bag);
        QVERIFY(bag.saveToFile(path));
    }
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("BUTTON_READ_BACK", path);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"readBack"});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()).trimmed(), QStringLiteral("Saved|0|16x16"));
}

void ButtonPropertiesTest::pictureSize_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<int>("readBack");
    QTest::addColumn<int>("pixels");
    QTest::newRow("5 ignored") << 5 << 2 << 32;
    QTest::newRow("-1 ignored") << -1 << 2 << 32;
    QTest::newRow("0") << 0 << 0 << 16;
    QTest::newRow("1") << 1 << 1 << 24;
    QTest::newRow("3 stores 40") << 3 << 3 << 40;
    QTest::newRow("4 stores 48") << 4 << 4 << 48;
}

void ButtonPropertiesTest::pictureSize()
{
    QFETCH(int, option);
    QFETCH(int, readBack);
    QFETCH(int, pixels);
    Fixture f;
    f.button->setPictureSize(Size32);
    f.host.clearChangedProperties();
    f.button->setPictureSize(option);
    QCOMPARE(f.button->PictureSize(), readBack);
    QCOMPARE(f.button->state().pictureSize, pixels);
    QCOMPARE(f.host.changedProperties().contains("ImgSize"), option >= 0 && option <= 4);
    PropertyBag bag;
    f.button->WriteProperties(bag);
    QCOMPARE(bag.ReadProperty("ImgSize", qint16(16)).toInt(), pixels);
}

void ButtonPropertiesTest::storedZeroPictureSizeReadsAsSixteen()
{
    PropertyBag bag;
    bag.WriteProperty("ImgSize", QVariant::fromValue(qint16(0)));
    Fixture f;
    f.button->ReadProperties(bag);
    QCOMPARE(f.button->PictureSize(), 0);
    f.button->setPicture(bitmap16());
    QCOMPARE(f.button->state().pictureSize, 16);
}

void ButtonPropertiesTest::hoverLocks_data()
{
    QTest::addColumn<int>("locks");
    QTest::addColumn<int>("gradientMode");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("locksAfter");
    QTest::addColumn<uint>("hoverBack");
    QTest::addColumn<uint>("hoverFore");
    const uint grad = RGBColour(0, 0, 200);
    const uint back = RGBColour(100, 0, 0);
    const uint fore = RGBColour(0, 90, 0);
    const uint sysBack = DefaultBackColor;
    const uint sysFore = DefaultForeColor;
    QTest::newRow("back with gradient follows gradient, locks 0 -> 1")
        << 0 << 1 << "back" << 1 << grad << sysFore;
    QTest::newRow("back without gradient follows back, stays 0") << 0 << 0 << "back" << 0 << back << sysFore;
    QTest::newRow("back with locks 1 does not follow") << 1 << 0 << "back" << 1 << sysBack << sysFore;
    QTest::newRow("fore follows with locks 0") << 0 << 0 << "fore" << 0 << sysBack << fore;
    QTest::newRow("fore follows with locks 1") << 1 << 0 << "fore" << 1 << sysBack << fore;
    QTest::newRow("fore does not follow with locks 2") << 2 << 0 << "fore" << 2 << sysBack << sysFore;
    QTest::newRow("own hover fore: 0 -> 2") << 0 << 0 << "hoverFore" << 2 << sysBack << fore;
    QTest::newRow("own hover fore: 1 -> 3") << 1 << 0 << "hoverFore" << 3 << sysBack << fore;
    QTest::newRow("own hover back: 0 -> 1") << 0 << 0 << "hoverBack" << 1 << back << sysFore;
    QTest::newRow("own hover back: 2 -> 3") << 2 << 0 << "hoverBack" << 3 << back << sysFore;
    QTest::newRow("hover back equal to back keeps 0") << 0 << 0 << "hoverBackSame" << 0 << sysBack << sysFore;
    QTest::newRow("gradient colour moves hover back with locks 0")
        << 0 << 1 << "gradient" << 0 << uint(RGBColour(7, 7, 7)) << sysFore;
    QTest::newRow("gradient mode 0 brings back the back colour")
        << 0 << 1 << "noGradient" << 0 << sysBack << sysFore;
}

void ButtonPropertiesTest::hoverLocks()
{
    QFETCH(int, locks);
    QFETCH(int, gradientMode);
    QFETCH(QString, action);
    QFETCH(int, locksAfter);
    QFETCH(uint, hoverBack);
    QFETCH(uint, hoverFore);
    Fixture f;
    kuButtons_H& b = *f.button;
    // The lock state as restored from saved data, hover colours at their defaults.
    PropertyBag bag;
    bag.WriteProperty("Gradient", qint32(gradientMode));
    bag.WriteProperty("cGradient", qint32(RGBColour(0, 0, 200)));
    bag.WriteProperty("cBack", qint32(DefaultBackColor));
    bag.WriteProperty("cBHover", qint32(DefaultBackColor));
    bag.WriteProperty("cFHover", qint32(DefaultForeColor));
    bag.WriteProperty("LockHover", qint32(locks));
    b.ReadProperties(bag);
    QCOMPARE(b.HoverColorLocks(), locks);
    if (action == "back")
        b.setBackColor(RGBColour(100, 0, 0));
    else if (action == "fore")
        b.setForeColor(RGBColour(0, 90, 0));
    else if (action == "hoverFore")
        b.setHoverForeColor(RGBColour(0, 90, 0));
    else if (action == "hoverBack")
        b.setHoverBackColor(RGBColour(100, 0, 0));
    else if (action == "hoverBackSame") {
        b.setHoverBackColor(RGBColour(1, 1, 1));
        b.setHoverColorLocks(0);
        b.setHoverBackColor(b.BackColor());
    } else if (action == "gradient")
        b.setGradientColor(RGBColour(7, 7, 7));
    else if (action == "noGradient")
        b.setGradientMode(NoGradient);
    QCOMPARE(b.HoverColorLocks(), locksAfter);
    QCOMPARE(uint(b.HoverBackColor()), hoverBack);
    QCOMPARE(uint(b.HoverForeColor()), hoverFore);
}

void ButtonPropertiesTest::outOfRangeIsIgnoredSilently_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<int>("bad");
    for (auto [name, bad] : std::initializer_list<std::pair<const char*, int>>{{"ButtonStyle", 8},
                                                                               {"ButtonStyle", -1},
                                                                               {"Mode", 3},
                                                                               {"CaptionAlign", 3},
                                                                               {"CaptionStyle", 3},
                                                                               {"CustomClick", 9},
                                                                               {"ButtonShape", 9},
                                                                               {"PictureAlign", 6},
                                                                               {"GradientMode", 5},
                                                                               {"PictureSize", 5}})
        QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(name).arg(bad))) << QString(name) << bad;
}

void ButtonPropertiesTest::outOfRangeIsIgnoredSilently()
{
    QFETCH(QString, property);
    QFETCH(int, bad);
    Fixture f(false);
    kuButtons_H& b = *f.button;
    PropertyBag before;
    b.WriteProperties(before);
    const int redraws = b.redrawCount();
    if (property == "ButtonStyle")
        b.setButtonStyle(bad);
    else if (property == "Mode")
        b.setMode(bad);
    else if (property == "CaptionAlign")
        b.setCaptionAlign(bad);
    else if (property == "CaptionStyle")
        b.setCaptionStyle(bad);
    else if (property == "CustomClick")
        b.setCustomClick(bad);
    else if (property == "ButtonShape")
        b.setButtonShape(bad);
    else if (property == "PictureAlign")
        b.setPictureAlign(bad);
    else if (property == "GradientMode")
        b.setGradientMode(bad);
    else if (property == "PictureSize")
        b.setPictureSize(bad);
    PropertyBag after;
    b.WriteProperties(after);
    QCOMPARE(after.toByteArray(), before.toByteArray());
    QVERIFY(f.host.changedProperties().isEmpty());
    QVERIFY(f.dialogs.messages.isEmpty());
    QCOMPARE(b.redrawCount(), redraws);
}

void ButtonPropertiesTest::designMessages_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("text");
    QTest::newRow("value on a command button") << "value"
                                               << "This property is not applicable for command button modes.";
    QTest::newRow("caption alignment with a top picture")
        << "align"
        << "When button images are aligned top/bottom center, \r\nbutton captions can only be center aligned";
    QTest::newRow("custom click on a plain shape")
        << "customClick"
        << "This property has no effect unless the Button Shape is a custom shape.";
    QTest::newRow("custom shape without a picture")
        << "shape"
        << "The Picture Property must be assigned first and must be a bitmap or JPEG.";
    QTest::newRow("picture size of a shaped button")
        << "shapedSize"
        << "The picture size cannot be changed for Shaped buttons";
    QTest::newRow("focus rectangle on a default button")
        << "focus"
        << "The focus rectangle may appear on default buttons ONLY while in design mode, \r\nbut will not "
           "appear when the form is running.";
}

void ButtonPropertiesTest::designMessages()
{
    QFETCH(QString, action);
    QFETCH(QString, text);
    for (bool running : {false, true}) {
        Fixture f(running);
        kuButtons_H& b = *f.button;
        if (action == "value") {
            b.setvalue(true);
            QVERIFY(!b.value());
        } else if (action == "align") {
            b.setPicture(bitmap16());
            b.setPictureAlign(PicTopCenter);
            b.setCaptionAlign(AlignLeft);
            QCOMPARE(b.CaptionAlign(), int(AlignCenter));
        } else if (action == "customClick") {
            b.setCustomClick(2);
            QCOMPARE(b.CustomClick(), 2); // stored in every case
        } else if (action == "shape") {
            b.setButtonShape(CustomShape1);
            QCOMPARE(b.ButtonShape(), 0);
        } else if (action == "shapedSize") {
            b.setPicture(bitmap16());
            b.setButtonShape(CustomShape2);
            f.dialogs.messages.clear();
            b.setPictureSize(Size16);
            QCOMPARE(b.PictureSize(), int(SizeFit));
        } else if (action == "focus") {
            f.host.setDisplayAsDefault(true);
            b.AmbientChanged("DisplayAsDefault");
            QVERIFY(b.state().has(IsDefault));
            b.setShowFocusRect(false);
            QCOMPARE(b.state().has(IsDefault), !running);
        }
        if (running) {
            QVERIFY(f.dialogs.messages.isEmpty());
        } else {
            QCOMPARE(f.dialogs.messages.size(), 1);
            QCOMPARE(f.dialogs.messages[0].text, text);
            QCOMPARE(f.dialogs.messages[0].icon, MessageIcon::Information);
            QCOMPARE(f.dialogs.messages[0].buttons, MessageButtons::Ok);
        }
    }
}

void ButtonPropertiesTest::iconOnCustomShapeTurnsRectangular()
{
    Fixture f(false);
    kuButtons_H& b = *f.button;
    b.setPicture(bitmap16());
    b.setButtonShape(CustomShape1);
    QCOMPARE(b.ButtonShape(), int(CustomShape1));
    QCOMPARE(b.PictureSize(), int(SizeFit));
    QCOMPARE(b.CaptionAlign(), int(AlignCenter));
    f.dialogs.messages.clear();
    b.setPicture(icon16());
    QCOMPARE(b.ButtonShape(), int(Rectangular));
    QCOMPARE(f.dialogs.messages.size(), 1);
    QCOMPARE(f.dialogs.messages[0].text,
             QStringLiteral("Icons cannot be used for custom buttons. Only use bitmaps "
                            "or JPEGs.\r\nButton was changed to Rectangular shaped."));
    // Removing the picture of a shaped button also makes it rectangular.
    b.setPicture(bitmap16());
    b.setButtonShape(CustomShape2);
    b.setPicture({});
    QCOMPARE(b.ButtonShape(), int(Rectangular));
}

void ButtonPropertiesTest::customShapeNeedsABitmap()
{
    Fixture f(false);
    f.button->setPicture(icon16());
    f.button->setButtonShape(CustomShape2);
    QCOMPARE(f.button->ButtonShape(), 0);
    QCOMPARE(f.dialogs.messages.size(), 1);
}

void ButtonPropertiesTest::resetDefaultColors()
{
    for (bool running : {true, false}) {
        Fixture f(running);
        kuButtons_H& b = *f.button;
        b.setBackColor(RGBColour(1, 2, 3));
        b.setForeColor(RGBColour(4, 5, 6));
        b.setGradientColor(RGBColour(7, 8, 9));
        b.setGradientMode(LeftToRight);
        b.setHoverColorLocks(LocksNone);
        f.host.clearChangedProperties();
        b.setResetDefaultColors(true);
        QVERIFY(!b.ResetDefaultColors());
        if (running) {
            QCOMPARE(b.BackColor(), RGBColour(1, 2, 3));
            QVERIFY(f.host.changedProperties().isEmpty());
        } else {
            QCOMPARE(b.BackColor(), DefaultBackColor);
            QCOMPARE(b.ForeColor(), DefaultForeColor);
            QCOMPARE(b.GradientColor(), DefaultBackColor);
            QCOMPARE(b.GradientMode(), 0);
            QCOMPARE(b.HoverColorLocks(), 0);
            QCOMPARE(b.HoverForeColor(), DefaultForeColor);
            QVERIFY(!b.isDelayed());
            QCOMPARE(f.host.changedProperties().mid(f.host.changedProperties().size() - 2),
                     (QStringList{"cGradient", "cBack"}));
        }
    }
}

void ButtonPropertiesTest::modeChangesClearValue()
{
    Fixture f;
    f.button->setMode(CheckBox);
    f.button->setvalue(true);
    QVERIFY(f.button->value());
    f.button->setMode(CommandButton);
    QVERIFY(!f.button->value());
    QCOMPARE(f.host.changedProperties().last(), QStringLiteral("Mode"));
}

void ButtonPropertiesTest::delayDrawingSuspendsRedraws()
{
    Fixture f;
    kuButtons_H& b = *f.button;
    const QImage before = b.hdc();
    const int redraws = b.redrawCount();
    b.DelayDrawing(true);
    b.setCaption(QStringLiteral("Changed"));
    b.setBackColor(RGBColour(255, 0, 0));
    QCOMPARE(b.redrawCount(), redraws);
    QCOMPARE(b.hdc(), before);
    b.DelayDrawing(false);
    QCOMPARE(b.redrawCount(), redraws + 1);
    QCOMPARE(uint(fromQRgb(b.hdc().pixel(10, 5))), uint(RGBColour(255, 0, 0)));
    b.DelayDrawing(true);
    b.Refresh(); // clears the suspension
    QVERIFY(!b.isDelayed());
}

// A button left suspended is not frozen: the next paint ends the suspension and shows
// what the properties now say.
void ButtonPropertiesTest::paintEndsADrawingSuspension()
{
    Fixture f;
    kuButtons_H& b = *f.button;
    f.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.form));
    b.DelayDrawing(true);
    b.setBackColor(RGBColour(255, 0, 0));
    QCoreApplication::processEvents();
    QVERIFY(fromQRgb(b.hdc().pixel(10, 5)) != RGBColour(255, 0, 0));
    b.repaint();
    QVERIFY(!b.isDelayed());
    QCOMPARE(uint(fromQRgb(b.hdc().pixel(10, 5))), uint(RGBColour(255, 0, 0)));
    QCOMPARE(uint(fromQRgb(b.grab().toImage().pixel(10, 5))), uint(RGBColour(255, 0, 0)));
}

void ButtonPropertiesTest::fontStyleBits()
{
    Fixture f;
    f.button->setFontStyle(4);
    QVERIFY(f.button->Font().italic());
    QVERIFY(!f.button->Font().bold());
    QCOMPARE(f.button->FontStyle(), 4);
    f.button->setFontStyle(2 | 4 | 8 | 1);
    QCOMPARE(f.button->FontStyle(), 14);
    f.button->setFontStyle(0);
    QCOMPARE(f.button->FontStyle(), 0);
}

void ButtonPropertiesTest::inheritedFontReachesTheCaption()
{
    Fixture f;
    f.button->setCaption(QStringLiteral("Text"));
    const int before = f.button->state().layout.text.height();
    QFont big(QStringLiteral("DejaVu Sans"));
    big.setPointSize(18);
    f.form.setFont(big);
    QCOMPARE(f.button->state().font.pixelSize(), 24); // 18 pt at 15 twips a pixel
    QVERIFY(f.button->state().layout.text.height() > before);
}

// The main window's popup renders through a hidden button restored from saved data.
void ButtonPropertiesTest::hiddenPopupRenderer()
{
    QWidget form;
    ScriptedDialogs dialogs;
    WidgetContainerHost host(&form, dialogs, QStringLiteral("cmdRGB"));
    PropertyBag bag;
    QFont verdana(ButtonTests::captionFont().family());
    verdana.setPointSizeF(6.75);
    bag.WriteProperty("BackStyle", qint32(FlatLine));
    bag.WriteProperty("CapAlign", qint32(AlignRight));
    bag.WriteProperty("Font", verdana);
    bag.WriteProperty("cFore", qint32(SystemColour(17)));
    bag.WriteProperty("cFHover", qint32(SystemColour(17)));
    bag.WriteProperty("cBack", qint32(SystemColour(15)));
    bag.WriteProperty("cGradient", qint32(SystemColour(24)));
    bag.WriteProperty("Mode", qint32(0));
    bag.WriteProperty("Value", false);
    bag.WriteProperty("Focus", false);
    kuButtons_H cmdRGB(host, &form);
    cmdRGB.hide();
    cmdRGB.setGeometry(0, 0, 113, 21);
    cmdRGB.ReadProperties(bag);
    QCOMPARE(cmdRGB.state().font.pixelSize(), 9); // 6.75 pt at 15 twips a pixel
    QCOMPARE(cmdRGB.PictureAlign(), int(PicLeftEdge));
    QCOMPARE(cmdRGB.PictureSize(), int(Size16));

    QImage swatch(16, 16, QImage::Format_ARGB32);
    swatch.fill(QColor(0, 0, 0));
    QPainter(&swatch).fillRect(1, 1, 14, 14, QColor(255, 0, 0));
    cmdRGB.setPicture({swatch, ButtonPicture::Icon});
    cmdRGB.setCaption(QStringLiteral("RGB(255,0,0)"));
    cmdRGB.setWidth(7 * int(cmdRGB.Caption().size()) + 18);
    QVERIFY(!cmdRGB.isVisible());
    const QImage img = cmdRGB.hdc();
    QCOMPARE(img.size(), QSize(102, 21));
    // The swatch sits at the left edge, 4 pixels in, centred vertically.
    const QRect pic = cmdRGB.state().layout.picture;
    QCOMPARE(pic, QRect(4, 2, 16, 16));
    QCOMPARE(uint(fromQRgb(img.pixel(10, 10))), uint(RGBColour(255, 0, 0)));
    // The caption ends 4 pixels before the right edge.
    const QRect text = cmdRGB.state().layout.text;
    QCOMPARE(text.right() + 1, 102 - 4);
    // The face is the button-face system colour, the flat line white/grey.
    QCOMPARE(uint(fromQRgb(img.pixel(2, 1))), uint(SystemColorToRgb(SystemColour(15))));
    QCOMPARE(uint(fromQRgb(img.pixel(0, 10))), 0xFFFFFFu);
    QCOMPARE(uint(fromQRgb(img.pixel(101, 10))), 0x808080u);
    // The caption is drawn in grey text somewhere in its rectangle.
    bool captionInk = false;
    for (int y = text.top(); y <= text.bottom(); ++y)
        for (int x = text.left(); x <= text.right(); ++x)
            captionInk |= fromQRgb(img.pixel(x, y)) != SystemColorToRgb(SystemColour(15));
    QVERIFY(captionInk);
    // A new caption re-renders at once.
    cmdRGB.setCaption(QStringLiteral("RGB(0,0,0)"));
    cmdRGB.setWidth(7 * 10 + 18);
    QCOMPARE(cmdRGB.hdc().size(), QSize(88, 21));
}

void ButtonPropertiesTest::popupFaceRendersWhileHidden()
{
    QWidget form;
    ScriptedDialogs dialogs;
    ButtonPopupFace face(&form, dialogs);
    form.show();
    QVERIFY(!face.cmdRGB().isVisible());
    QCOMPARE(face.cmdRGB().ButtonStyle(), int(FlatLine));
    QCOMPARE(face.cmdRGB().CaptionAlign(), int(AlignRight));
    QVERIFY(!face.cmdRGB().ShowFocusRect());
    QCOMPARE(face.cmdRGB().ForeColor(), SystemColour(17));
    QCOMPARE(face.cmdRGB().GradientColor(), SystemColour(24));
    QCOMPARE(face.height(), 21);
    QImage swatch(16, 16, QImage::Format_ARGB32);
    swatch.fill(QColor(0, 128, 255));
    face.setPicture(swatch);
    face.setCaption(QStringLiteral("RGB(0,128,255)"));
    face.setWidth(7 * int(face.caption().size()) + 18);
    face.setPosition(108, 58);
    QCOMPARE(face.left(), 108);
    QCOMPARE(face.top(), 58);
    const QImage img = face.image();
    QCOMPARE(img.size(), QSize(116, 21));
    QCOMPARE(uint(fromQRgb(img.pixel(12, 10))), uint(RGBColour(0, 128, 255)));
    // Each new caption renders again.
    face.setCaption(QStringLiteral("RGB(0,0,0)"));
    face.setWidth(88);
    QCOMPARE(face.image().size(), QSize(88, 21));
    QVERIFY(face.image() != img.copy(0, 0, 88, 21));
}

namespace {

// One use of the popup's face: the swatch colour, the caption, the width and, when
// given, a back colour set on the button itself.
struct FaceLook {
    QRgb swatch;
    QString caption;
    int width;
    std::optional<Colour> back;
};

QImage swatchOf(QRgb c)
{
    QImage swatch(16, 16, QImage::Format_RGB32);
    swatch.fill(Qt::black);
    QPainter(&swatch).fillRect(1, 1, 14, 14, QColor(c));
    return swatch;
}

} // namespace

void ButtonPropertiesTest::popupFaceShowsItsLatestLook_data()
{
    QTest::addColumn<QList<FaceLook>>("looks");
    const QString red = QStringLiteral("RGB(255,0,0)"), blue = QStringLiteral("RGB(0,0,255)");
    QTest::newRow("caption changes, colour kept")
        << QList<FaceLook>{{0xFF0000, red, 102, {}}, {0xFF0000, blue, 102, {}}};
    QTest::newRow("colour changes, caption kept")
        << QList<FaceLook>{{0xFF0000, red, 102, {}}, {0x0000FF, red, 102, {}}};
    QTest::newRow("width changes alone")
        << QList<FaceLook>{{0xFF0000, red, 102, {}}, {0xFF0000, red, 110, {}}};
    QTest::newRow("back to an earlier look")
        << QList<FaceLook>{{0xFF0000, red, 102, {}}, {0x0000FF, blue, 102, {}}, {0xFF0000, red, 102, {}}};
    QTest::newRow("the button's own colour changes after a look was shown") << QList<FaceLook>{
        {0xFF0000, red, 102, {}}, {0x0000FF, blue, 102, {}}, {0xFF0000, red, 102, RGBColour(250, 250, 200)}};
}

// Whatever the face showed before, each look is the one a fresh face renders for it.
void ButtonPropertiesTest::popupFaceShowsItsLatestLook()
{
    QFETCH(QList<FaceLook>, looks);
    QWidget form;
    ScriptedDialogs dialogs;
    ButtonPopupFace used(&form, dialogs);
    std::optional<Colour> back;
    QImage previous;
    for (const FaceLook& look : looks) {
        if (look.back) {
            back = look.back;
            used.cmdRGB().setBackColor(*back);
        }
        used.setPicture(swatchOf(look.swatch));
        used.setCaption(look.caption);
        used.setWidth(look.width);
        const QImage shown = used.image().copy();

        ButtonPopupFace fresh(&form, dialogs);
        if (back)
            fresh.cmdRGB().setBackColor(*back);
        fresh.setPicture(swatchOf(look.swatch));
        fresh.setCaption(look.caption);
        fresh.setWidth(look.width);
        QCOMPARE(used.width(), look.width);
        QCOMPARE(shown, fresh.image());
        QVERIFY(shown != previous);
        previous = shown;
    }
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("BUTTON_READ_BACK") && argc > 1 && QByteArray(argv[1]) == "readBack") {
        PropertyBag bag;
        if (!bag.loadFromFile(qEnvironmentVariable("BUTTON_READ_BACK")))
            return 2;
        QWidget form;
        ScriptedDialogs dialogs;
        WidgetContainerHost host(&form, dialogs);
        kuButtons_H b(host, &form);
        b.ReadProperties(bag);
        const QSize s = b.Picture().image.size();
        printf("%s|%d|%dx%d\n", qPrintable(b.Caption()), b.CaptionAlign(), s.width(), s.height());
        return 0;
    }
    ButtonPropertiesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_buttonproperties.moc"
