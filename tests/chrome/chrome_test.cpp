#include "wall/locations.h"
#include "chrome/mylabel.h"
#include "chrome/mymessgebox.h"
#include "chrome/window_chrome.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

void sendMouse(QWidget* widget, QEvent::Type type, QPoint pos,
               Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button,
                      type == QEvent::MouseMove ? Qt::MouseButtons(button) : held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void enter(QWidget* widget) {
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(widget, &event);
}

void leave(QWidget* widget) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

QRgb shownColour(const QLabel* label) {
    const QPixmap pixmap = label->pixmap();
    return pixmap.isNull() ? 0 : pixmap.toImage().pixel(0, 0);
}

void writeImage(const QString& path, QColor colour) {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(path));
}

} // namespace

class ChromeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void labelHoversAndClicksOnPressAndReleaseOnIt();
    void labelCancelsAClickWhenThePointerLeavesWhilePressed();
    void labelOnlyClicksWithTheLeftButton();
    void inactiveLabelIgnoresTheMouse();
    void missingHoverPictureLeavesTheLabelEmptyUntilLeave();
    void messageBoxEndsWithOkOrCancel();
    void messageBoxSettersPlaceTheirWidgets();
    void messageBoxIsModalAndRounded();
    void draggingMovesOnlyFromTheDragArea();
    void fadeTakesTenTicksEachWay();
    void rollGrowsAtItsCornerAndClosesBelowItsThreshold();
    void rollWithoutCornerKeepsThePlaceAndMayOvershoot();

private:
    QTemporaryDir app_;
    QString normal_;
    QString missingHover_;
};

void ChromeTest::initTestCase() {
    QVERIFY(app_.isValid());
    setApplicationFolder(app_.path());
    QDir().mkpath(app_.path() + "/Image");
    normal_ = app_.path() + "/Image/button.png";
    writeImage(normal_, Qt::red);
    writeImage(normal_ + ".png", Qt::green);
    missingHover_ = app_.path() + "/Image/lonely.png";
    writeImage(missingHover_, Qt::blue);
    for (const char* name : {"close.png", "ok.png", "OK.png", "warning.png", "messgeBox.png"}) {
        writeImage(chrome::skinPath(name), Qt::gray);
    }
}

void ChromeTest::cleanupTestCase() {
    setApplicationFolder(QString());
}

void ChromeTest::labelHoversAndClicksOnPressAndReleaseOnIt() {
    myLabel label;
    label.setPicture(normal_);
    label.resize(40, 20);
    QSignalSpy clicks(&label, &myLabel::labelClick);
    QSignalSpy enters(&label, &myLabel::labelEnter);
    QCOMPARE(label.margin(), 2);
    QCOMPARE(shownColour(&label), QColor(Qt::red).rgb());

    enter(&label);
    QCOMPARE(enters.count(), 1);
    QCOMPARE(shownColour(&label), QColor(Qt::green).rgb());
    QCOMPARE(label.margin(), 0);

    sendMouse(&label, QEvent::MouseButtonPress, {10, 10});
    QCOMPARE(label.margin(), 4);
    QVERIFY(label.isPressed());
    sendMouse(&label, QEvent::MouseMove, {30, 15});
    QVERIFY(label.isPressed());
    sendMouse(&label, QEvent::MouseButtonRelease, {30, 15});
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(label.margin(), 0);
    QCOMPARE(shownColour(&label), QColor(Qt::red).rgb());

    sendMouse(&label, QEvent::MouseButtonRelease, {30, 15});
    QCOMPARE(clicks.count(), 1); // a release without a press is no click

    leave(&label);
    QCOMPARE(label.margin(), 2);
    QCOMPARE(shownColour(&label), QColor(Qt::red).rgb());
}

void ChromeTest::labelCancelsAClickWhenThePointerLeavesWhilePressed() {
    myLabel label;
    label.setPicture(normal_);
    label.resize(40, 20);
    QSignalSpy clicks(&label, &myLabel::labelClick);

    enter(&label);
    sendMouse(&label, QEvent::MouseButtonPress, {10, 10});
    sendMouse(&label, QEvent::MouseMove, {45, 10});
    QVERIFY(!label.isPressed());
    QCOMPARE(label.margin(), 2);
    QCOMPARE(shownColour(&label), QColor(Qt::red).rgb());
    sendMouse(&label, QEvent::MouseMove, {10, 10});
    sendMouse(&label, QEvent::MouseButtonRelease, {10, 10});
    QCOMPARE(clicks.count(), 0);

    // A release outside without any move in between is no click either.
    sendMouse(&label, QEvent::MouseButtonPress, {10, 10});
    sendMouse(&label, QEvent::MouseButtonRelease, {10, -5});
    QCOMPARE(clicks.count(), 0);

    // Leaving while pressed cancels too.
    sendMouse(&label, QEvent::MouseButtonPress, {10, 10});
    leave(&label);
    sendMouse(&label, QEvent::MouseButtonRelease, {10, 10});
    QCOMPARE(clicks.count(), 0);
}

void ChromeTest::labelOnlyClicksWithTheLeftButton() {
    myLabel label;
    label.setPicture(normal_);
    label.resize(40, 20);
    QSignalSpy clicks(&label, &myLabel::labelClick);
    sendMouse(&label, QEvent::MouseButtonPress, {10, 10}, Qt::RightButton);
    sendMouse(&label, QEvent::MouseButtonRelease, {10, 10}, Qt::RightButton);
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(label.margin(), 2);
}

void ChromeTest::inactiveLabelIgnoresTheMouse() {
    myLabel label;
    label.setPicture(normal_);
    label.resize(40, 20);
    label.setCursor(Qt::PointingHandCursor);
    QSignalSpy clicks(&label, &myLabel::labelClick);
    QSignalSpy enters(&label, &myLabel::labelEnter);

    enter(&label);
    label.setActive(false);
    QCOMPARE(shownColour(&label), QColor(Qt::red).rgb());
    QCOMPARE(label.margin(), 2);
    QCOMPARE(label.cursor().shape(), Qt::ArrowCursor);

    enter(&label);
    sendMouse(&label, QEvent::MouseButtonPress, {10, 10});
    QCOMPARE(label.margin(), 2);
    sendMouse(&label, QEvent::MouseButtonRelease, {10, 10});
    QCOMPARE(enters.count(), 1);
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(shownColour(&label), QColor(Qt::red).rgb());

    label.setActive(true);
    QCOMPARE(label.cursor().shape(), Qt::PointingHandCursor);
    sendMouse(&label, QEvent::MouseButtonPress, {10, 10});
    sendMouse(&label, QEvent::MouseButtonRelease, {10, 10});
    QCOMPARE(clicks.count(), 1);
}

void ChromeTest::missingHoverPictureLeavesTheLabelEmptyUntilLeave() {
    myLabel label;
    label.setPicture(missingHover_);
    label.resize(40, 20);
    enter(&label);
    QVERIFY(label.pixmap().isNull());
    leave(&label);
    QCOMPARE(shownColour(&label), QColor(Qt::blue).rgb());
}

void ChromeTest::messageBoxEndsWithOkOrCancel() {
    MymessgeBox box;
    QSignalSpy oks(&box, &MymessgeBox::okSignal);
    QSignalSpy cancels(&box, &MymessgeBox::cancelSignal);
    box.showNotice("Warn", "Output folder is empty.");
    QVERIFY(box.isVisible());

    auto buttons = box.findChildren<myLabel*>();
    QCOMPARE(buttons.size(), 2);
    myLabel* ok = buttons[0]->picture().endsWith("OK.png") ? buttons[0] : buttons[1];
    myLabel* close = ok == buttons[0] ? buttons[1] : buttons[0];
    QCOMPARE(close->geometry(), QRect(278, 0, 15, 15));
    QCOMPARE(ok->geometry(), QRect(130, 80, 50, 20));

    sendMouse(ok, QEvent::MouseButtonPress, {5, 5});
    sendMouse(ok, QEvent::MouseButtonRelease, {5, 5});
    QCOMPARE(oks.count(), 1);
    QVERIFY(box.result());
    QVERIFY(!box.isVisible());

    box.show();
    sendMouse(close, QEvent::MouseButtonPress, {5, 5});
    sendMouse(close, QEvent::MouseButtonRelease, {5, 5});
    QCOMPARE(cancels.count(), 1);
    QCOMPARE(oks.count(), 1);
    QVERIFY(!box.result());
    QVERIFY(!box.isVisible());
}

void ChromeTest::messageBoxSettersPlaceTheirWidgets() {
    MymessgeBox box;
    box.setTitle("Notice", 25, 0, 211, 16);
    box.setTitleIcon(chrome::skinPath("warning.png"), 2, 1, 15, 15);
    box.setIcon(chrome::skinPath("warning.png"), 10, 20, 51, 51);
    box.setText("The user name or password is empty.\nPlease input!", 70, 20, 361, 51);

    auto* title = box.findChild<QLabel*>("label_titleText");
    auto* text = box.findChild<QLabel*>("label_text");
    QCOMPARE(title->text(), QString("Notice"));
    QCOMPARE(title->geometry(), QRect(25, 0, 211, 16));
    QCOMPARE(box.findChild<QLabel*>("label_titleIcon")->geometry(), QRect(2, 1, 15, 15));
    QCOMPARE(box.findChild<QLabel*>("label_pixmap")->geometry(), QRect(10, 20, 51, 51));
    QCOMPARE(text->geometry().topLeft(), QPoint(70, 20));
    QCOMPARE(text->height(), 51);
    QVERIFY2(text->geometry().right() < box.width(), "the message stays inside the box");
    QVERIFY(text->wordWrap());
}

void ChromeTest::messageBoxIsModalAndRounded() {
    MymessgeBox box;
    QCOMPARE(box.size(), QSize(300, 120));
    QVERIFY(box.testAttribute(Qt::WA_ShowModal));
    QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
    const QRegion mask = box.mask();
    QVERIFY(!mask.contains(QPoint(0, 0)));
    QVERIFY(!mask.contains(QPoint(299, 119)));
    QVERIFY(mask.contains(QPoint(150, 60)));
    QVERIFY(mask.contains(QPoint(5, 0)) || mask.contains(QPoint(6, 0)));
}

void ChromeTest::draggingMovesOnlyFromTheDragArea() {
    QWidget window;
    chrome::makeFrameless(&window, false);
    window.resize(300, 200);
    auto* title = new QLabel(&window);
    title->setGeometry(0, 0, 300, 30);
    auto* body = new QLabel(&window);
    body->setGeometry(0, 30, 300, 170);
    myLabel* close = chrome::addImageButton(&window, "close.png", {270, 0, 25, 25}, "Close");
    auto* icon = new QLabel(&window);
    icon->setGeometry(200, 2, 20, 20);
    WindowDragger dragger(&window, title, {icon});
    window.move(100, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QPoint start = window.pos();
    sendMouse(title, QEvent::MouseButtonPress, {50, 10}); // a label passes its press on
    QVERIFY(dragger.isDragging());
    QMouseEvent move(QEvent::MouseMove, QPointF(90, 40), QPointF(start + QPoint(90, 40)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &move);
    QCOMPARE(window.pos(), start + QPoint(40, 30));
    sendMouse(&window, QEvent::MouseButtonRelease, {90, 40});
    QVERIFY(!dragger.isDragging());

    for (QPoint elsewhere : {QPoint(50, 100), QPoint(280, 10), QPoint(210, 10)}) {
        sendMouse(&window, QEvent::MouseButtonPress, elsewhere);
        QVERIFY2(!dragger.isDragging(), "a press outside the drag area or on a button");
        sendMouse(&window, QEvent::MouseButtonRelease, elsewhere);
    }
    sendMouse(close, QEvent::MouseButtonPress, {5, 5});
    QVERIFY2(!dragger.isDragging(), "a press on an image button reaches the window too");
    sendMouse(close, QEvent::MouseButtonRelease, {5, 5});
}

void ChromeTest::fadeTakesTenTicksEachWay() {
    QWidget window;
    QTimer timer;
    DialogFade fade(&window, &timer);
    QSignalSpy shown(&fade, &DialogFade::shown);
    QSignalSpy hidden(&fade, &DialogFade::hidden);

    fade.fadeIn();
    QCOMPARE(timer.interval(), 40);
    QVERIFY(timer.isActive());
    QCOMPARE(window.windowOpacity(), 0.0);
    for (int tick = 1; tick < 10; ++tick) {
        fade.tick();
    }
    QVERIFY(window.isVisible());
    QVERIFY(timer.isActive());
    fade.tick();
    QVERIFY(!timer.isActive());
    QCOMPARE(shown.count(), 1);
    QCOMPARE(window.windowOpacity(), 1.0);

    fade.fadeOut();
    for (int tick = 1; tick < 10; ++tick) {
        fade.tick();
    }
    QVERIFY(window.isVisible());
    fade.tick();
    QVERIFY(!window.isVisible());
    QVERIFY(!timer.isActive());
    QCOMPARE(hidden.count(), 1);
}

void ChromeTest::rollGrowsAtItsCornerAndClosesBelowItsThreshold() {
    QWidget window;
    chrome::makeFrameless(&window, false);
    window.resize(520, 300);
    DialogRoll roll(&window);
    QCOMPARE(roll.fullHeight(), 300);
    QSignalSpy closed(&roll, &DialogRoll::closed);

    roll.setPosition(40, 50);
    roll.open();
    QVERIFY(window.isVisible());
    QVERIFY(roll.isRunning());
    QCOMPARE(roll.timer()->interval(), 10);
    roll.tick();
    QCOMPARE(window.geometry(), QRect(40, 50, 520, 10));
    while (roll.currentHeight() < 300) {
        roll.tick();
    }
    QCOMPARE(window.geometry(), QRect(40, 50, 520, 300));
    roll.tick();
    QVERIFY(!roll.isRunning());

    window.move(70, 80); // the user dragged it
    roll.close();
    QVERIFY(roll.isClosing());
    roll.tick();
    QCOMPARE(window.geometry(), QRect(70, 80, 520, 290));
    int ticks = 1;
    while (roll.isRunning() && ticks < 100) {
        roll.tick();
        ++ticks;
    }
    QCOMPARE(roll.currentHeight(), 10);
    QVERIFY(!window.isVisible());
    QCOMPARE(closed.count(), 1);

    roll.setPosition(1, 2);
    QVERIFY(!roll.isClosing());
}

void ChromeTest::rollWithoutCornerKeepsThePlaceAndMayOvershoot() {
    QWidget window;
    chrome::makeFrameless(&window, false);
    window.resize(600, 500);
    QTimer timer;
    DialogRoll roll(&window, &timer, RollSteps{1, 40, 40});
    roll.collapse();
    QCOMPARE(window.height(), 0);
    window.move(200, 100);
    roll.open();
    QCOMPARE(timer.interval(), 1);
    while (timer.isActive()) {
        roll.tick();
    }
    QCOMPARE(window.pos(), QPoint(200, 100));
    QCOMPARE(window.height(), 520);
    roll.close();
    int ticks = 0;
    while (timer.isActive()) {
        roll.tick();
        ++ticks;
    }
    QCOMPARE(roll.currentHeight(), 40);
    QCOMPARE(ticks, 13);
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(ChromeTest)
#include "chrome_test.moc"
