// The book-information and visible-buttons dialogs: the "Hide All" rules, Cancel and OK, and the
// roll with which they open and close.
#include "dialogs/bookinfo.h"
#include "dialogs/buttons.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTextEdit>
#include <QtTest>

namespace {

QCheckBox* box(const Buttons& dialog, const char* name) {
    return dialog.findChild<QCheckBox*>(QLatin1String(name));
}

// The three boxes as "all/info/share", each 1 when checked.
QString states(const Buttons& dialog) {
    return QStringLiteral("%1/%2/%3")
        .arg(int(box(dialog, "checkBox")->isChecked()))
        .arg(int(box(dialog, "checkBox_info")->isChecked()))
        .arg(int(box(dialog, "checkBox_share")->isChecked()));
}

void click(QCheckBox* checkBox) {
    QTest::mouseClick(checkBox, Qt::LeftButton, {}, QPoint(8, 8));
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void hideAllSetsBothBoxes();
    void uncheckingOneBoxUnchecksHideAll();
    void checkingBothBoxesLeavesHideAllAsItIs();
    void cancelRestoresTheTwoBoxesButNotHideAll();
    void okKeepsTheBoxesAndReportsBeforeClosing();
    void bookInfoCancelKeepsTheTextAndOkReports();
    void dialogsRollOpenAtTheirCornerAndRollUp();
};

void DialogsTest::hideAllSetsBothBoxes() {
    Buttons dialog;
    dialog.show();
    click(box(dialog, "checkBox"));
    QCOMPARE(states(dialog), QStringLiteral("1/1/1"));
    QVERIFY((dialog.hidden() == HiddenButtons{true, true}));
    click(box(dialog, "checkBox"));
    QCOMPARE(states(dialog), QStringLiteral("0/0/0"));
}

void DialogsTest::uncheckingOneBoxUnchecksHideAll() {
    Buttons dialog;
    dialog.show();
    click(box(dialog, "checkBox"));
    click(box(dialog, "checkBox_info"));
    QCOMPARE(states(dialog), QStringLiteral("0/0/1"));
    // Changes made by code are no clicks and start no rule.
    box(dialog, "checkBox")->setChecked(true);
    dialog.setHidden({false, false});
    QCOMPARE(states(dialog), QStringLiteral("1/0/0"));
}

void DialogsTest::checkingBothBoxesLeavesHideAllAsItIs() {
    Buttons dialog;
    dialog.show();
    click(box(dialog, "checkBox_info"));
    click(box(dialog, "checkBox_share"));
    QCOMPARE(states(dialog), QStringLiteral("0/1/1"));
}

void DialogsTest::cancelRestoresTheTwoBoxesButNotHideAll() {
    Buttons dialog;
    QSignalSpy applied(&dialog, &Buttons::setButtons);
    QSignalSpy closed(&dialog, &Buttons::buttonClose);
    dialog.setHidden({false, true});
    dialog.setPosition(10, 10);
    dialog.showDialog();
    click(box(dialog, "checkBox"));
    QCOMPARE(states(dialog), QStringLiteral("1/1/1"));
    dialog.on_close_click();
    QCOMPARE(states(dialog), QStringLiteral("1/0/1"));
    QCOMPARE(applied.count(), 0);
    QCOMPARE(closed.count(), 1);
}

void DialogsTest::okKeepsTheBoxesAndReportsBeforeClosing() {
    Buttons dialog;
    QStringList order;
    HiddenButtons handed;
    connect(&dialog, &Buttons::setButtons, this, [&](const HiddenButtons& hidden) {
        order << QStringLiteral("set");
        handed = hidden;
    });
    connect(&dialog, &Buttons::buttonClose, this, [&] { order << QStringLiteral("close"); });
    dialog.setPosition(10, 10);
    dialog.showDialog();
    click(box(dialog, "checkBox_share"));
    dialog.on_ok_click();
    QCOMPARE(order, (QStringList{QStringLiteral("set"), QStringLiteral("close")}));
    QVERIFY((handed == HiddenButtons{false, true}));
    QCOMPARE(states(dialog), QStringLiteral("0/0/1"));
    // The next opening remembers the confirmed state for its Cancel.
    dialog.showDialog();
    click(box(dialog, "checkBox_share"));
    dialog.on_close_click();
    QCOMPARE(states(dialog), QStringLiteral("0/0/1"));
}

void DialogsTest::bookInfoCancelKeepsTheTextAndOkReports() {
    BookInfo dialog;
    QStringList order;
    BookDetails handed;
    connect(&dialog, &BookInfo::bookInfoOk, this, [&](const BookDetails& details) {
        order << QStringLiteral("ok");
        handed = details;
    });
    connect(&dialog, &BookInfo::bookInfoClose, this, [&] { order << QStringLiteral("close"); });
    dialog.setPosition(10, 10);
    dialog.showDialog();
    dialog.findChild<QLineEdit*>(QStringLiteral("lineEdit_bookTitle"))
        ->setText(QStringLiteral("T"));
    dialog.findChild<QTextEdit*>(QStringLiteral("textEdit_discrption"))
        ->setPlainText(QStringLiteral("two\nlines"));
    dialog.on_close_click();
    QCOMPARE(order, QStringList{QStringLiteral("close")});
    QCOMPARE(dialog.details().title, QStringLiteral("T"));
    QCOMPARE(dialog.details().description, QStringLiteral("two\nlines"));

    order.clear();
    dialog.showDialog();
    dialog.on_ok_click();
    QCOMPARE(order, (QStringList{QStringLiteral("ok"), QStringLiteral("close")}));
    QCOMPARE(handed.title, QStringLiteral("T"));
    QCOMPARE(handed.description, QStringLiteral("two\nlines"));

    dialog.setDetails({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                       QStringLiteral("d"), QStringLiteral("e")});
    const BookDetails details = dialog.details();
    QCOMPARE(QStringList({details.title, details.email, details.webSite, details.displayName,
                          details.description}),
             QStringList({"a", "b", "c", "d", "e"}));
}

void DialogsTest::dialogsRollOpenAtTheirCornerAndRollUp() {
    BookInfo bookInfo;
    Buttons buttons;
    QCOMPARE(bookInfo.fullHeight(), 320);
    QCOMPARE(buttons.fullHeight(), 194);
    bookInfo.setPosition(40, 30);
    bookInfo.showDialog();
    QVERIFY(bookInfo.isVisible());
    QVERIFY(bookInfo.height() < 320);
    QTRY_COMPARE(bookInfo.height(), 320);
    QCOMPARE(bookInfo.pos(), QPoint(40, 30));
    QCOMPARE(bookInfo.width(), 400);
    bookInfo.on_close_click();
    QTRY_VERIFY(!bookInfo.isVisible());

    buttons.setPosition(5, 6);
    buttons.showDialog();
    QTRY_VERIFY(buttons.height() >= 194);
    QCOMPARE(buttons.pos(), QPoint(5, 6));
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
