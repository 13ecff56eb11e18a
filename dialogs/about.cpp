#include "dialogs/about.h"

#include "chrome/dialog_look.h"
#include "chrome/window_chrome.h"
#include "cmake/version.h"
#include "ui_about.h"

#include <QDate>
#include <QDebug>
#include <QDesktopServices>
#include <QLabel>
#include <QPixmap>
#include <QUrl>

About::About(QWidget* parent)
    : FramelessDialog(Motion::Fade, kFadePeriodMs, parent), ui_(std::make_unique<Ui::About>()) {
    ui_->setupUi(this);
    dressDialog(this, ui_->label_bg, nullptr, nullptr, QStringLiteral("Aboutbg.png"));
    ui_->label_icon->setPixmap(QPixmap(chrome::skinPath(QStringLiteral("icon.ico"))));
    ui_->label->setText(QStringLiteral("Quorvex Murano " MURANO_VERSION));
    // Read once: an about box left open over New Year keeps the year it opened with.
    ui_->label_2->setText(
        tr("Copyright \u00a9 %1 Quorvex. All rights reserved.").arg(QDate::currentDate().year()));
    addLink(QString::fromLatin1(kSupportMail), QRect(30, 100, 200, 30));
    addLink(QString::fromLatin1(kWebPage), QRect(30, 120, 350, 30));
    setUpFrame({kRadius, ui_->label_title, QRect(380, -2, 17, 17)});
}

About::~About() = default;

void About::addLink(const QString& target, const QRect& geometry) {
    QString shown = target;
    shown.remove(QStringLiteral("mailto:"));
    auto* link = new QLabel(
        QStringLiteral("<a href=\"%1\">%2</a>").arg(target, shown.toHtmlEscaped()), this);
    link->setTextFormat(Qt::RichText);
    link->setGeometry(geometry);
    connect(link, &QLabel::linkActivated, this, &About::myOpenUrl);
    link->show();
}

void About::on_close_click() {
    startClosing();
    qDebug() << "closeAbout***********";
    emit aboutClose();
}

void About::myOpenUrl(QString link) {
    QDesktopServices::openUrl(QUrl(link));
}

void About::aboutSlot() {
    showSlot();
}
