// The page slide of the main window is paced by the clock: late ticks shorten the slide into
// fewer, longer steps instead of stretching it out.
#include "app/page_slider.h"

#include <QTest>
#include <QTimer>
#include <QWidget>

class PageSliderTest : public QObject {
    Q_OBJECT

private slots:
    void aSlideEndsOnTimeWhenTicksComeLate();
    void aSwitchDuringTheSlideReversesFromWhereItStands();
};

namespace {

constexpr int kFull = 800;

struct Pages {
    QWidget parent;
    QWidget* home = new QWidget(&parent);
    QWidget* settings = new QWidget(&parent);
    PageSlider slider{home, settings, QRect(7, 40, kFull, 100), &parent};
    // The test's own clock, so that no busy machine can move the slide further than asked.
    qint64 now = 0;
    // The window ticks the slide on its timer.
    Pages() {
        slider.setClock([this] { return now; });
        QObject::connect(slider.timer(), &QTimer::timeout, &slider, &PageSlider::tick);
    }
};

} // namespace

void PageSliderTest::aSlideEndsOnTimeWhenTicksComeLate() {
    Pages pages;
    pages.slider.switchTo(1);
    // A busy window: no tick until both phases are over. The next one ends the slide.
    pages.now += 2 * PageSlider::kPhaseMs + 20;
    QVERIFY(pages.slider.tick());
    QCOMPARE(pages.settings->width(), kFull);
    QCOMPARE(pages.home->width(), 0);
    QCOMPARE(pages.settings->geometry(), QRect(7, 40, kFull, 100));
    QVERIFY(!pages.slider.timer()->isActive());
}

void PageSliderTest::aSwitchDuringTheSlideReversesFromWhereItStands() {
    Pages pages;
    pages.slider.switchTo(1);
    // Halfway through closing the home page.
    pages.now += PageSlider::kPhaseMs / 2;
    QVERIFY(!pages.slider.tick());
    const int homeLeft = pages.home->width();
    QVERIFY(homeLeft > 0 && homeLeft < kFull);
    QCOMPARE(pages.settings->width(), 0);

    // Back home: the settings page is already shut, so the home page reopens from where it stood.
    pages.slider.switchTo(0);
    QVERIFY(!pages.slider.tick());
    QVERIFY(pages.home->width() >= homeLeft);
    pages.now += PageSlider::kPhaseMs;
    QTRY_VERIFY(!pages.slider.timer()->isActive());
    QCOMPARE(pages.home->width(), kFull);
    QCOMPARE(pages.settings->width(), 0);
}

QTEST_MAIN(PageSliderTest)
#include "page_slider_test.moc"
