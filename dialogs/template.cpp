#include "dialogs/template.h"

#include "chrome/dialog_look.h"
#include "chrome/mylabel.h"
#include "chrome/window_chrome.h"
#include "dialogs/template_previews.h"
#include "ui_template.h"
#include "wall/locations.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QImageReader>
#include <QListWidget>
#include <QPixmap>
#include <QScrollBar>

namespace {

const QSize kIconSize(140, 100);

// The preview as an icon, decoded straight at icon size: the pictures are full wall backgrounds.
// A picture that cannot be read gives an empty icon.
QIcon previewIcon(const QString& path) {
    QImageReader reader(path);
    reader.setScaledSize(reader.size().scaled(kIconSize, Qt::KeepAspectRatio));
    return QIcon(QPixmap::fromImage(reader.read()));
}

} // namespace

Template::Template(QWidget* parent)
    : FramelessDialog(kRoll, parent), ui_(std::make_unique<Ui::Template>()) {
    ui_->setupUi(this);
    dressDialog(this, ui_->label_bg, ui_->label_icom, ui_->label_3,
                QStringLiteral("bg_template.png"));
    ui_->label_icon->setPixmap(QPixmap(chrome::skinPath(QStringLiteral("template.png"))));
    setUpFrame({kRadius, ui_->label_bg, QRect(570, 0, 25, 25), true});

    myLabel* ok = addButton(QStringLiteral("OK.png"), QRect(450, 440, 60, 25), tr("OK"));
    myLabel* cancel =
        addButton(QStringLiteral("cancel.png"), QRect(520, 440, 60, 25), tr("Cancel"));
    connect(ok, &myLabel::labelClick, this, &Template::on_ok_click);
    setMainButton(ok);
    connect(cancel, &myLabel::labelClick, this, &Template::on_close_click);
    connect(ui_->listWidget, &QListWidget::itemPressed, this, &Template::getPic);
    connect(ui_->listWidget, &QListWidget::itemDoubleClicked, this, &Template::doubleClickTemplate);
    fillList();
}

Template::~Template() = default;

void Template::fillList() {
    QListWidget* list = ui_->listWidget;
    list->setIconSize(kIconSize);
    list->setResizeMode(QListView::Adjust);
    const QString folder = templatePreviewFolder();
    if (!QDir(folder).exists()) {
        return;
    }
    for (const TemplatePreview& preview : findTemplatePreviews(folder)) {
        auto* item = new QListWidgetItem(
            previewIcon(preview.path),
            QCoreApplication::translate("Template", preview.name.toUtf8().constData()), list);
        item->setData(kItemRole, preview.path);
    }
    styleList();
}

void Template::styleList() {
    QListWidget* list = ui_->listWidget;
    list->setStyleSheet(QStringLiteral(
        "QListView{border-radius: 4px;background-color:qlineargradient(x1: 0, y1: 0, x2: 0, "
        "y2: 1,stop: 0 #ffffff, stop: 1 #90bea7);}"
        "QListView::item{border: 1px solid #000000;} QListView::item:selected {border: 2px "
        "solid #FF00FF;color:#FF00FF;}QListView::item:hover { background: qlineargradient(x1: "
        "0, y1: 0, x2: 0, y2: 1,stop: 0 #FAFBFE, stop: 1 #DCDEF1);}"
        "QMenu{background-color:white;color:black;} QMenu::item:selected {background-color: "
        "#654321;}"));
    list->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical {background: #9A9AE6;width: 10px;}"));
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setViewMode(QListView::IconMode);
    list->setMovement(QListView::Static);
    list->setSpacing(25);
}

void Template::getPic(QListWidgetItem* item) {
    currentTemplate_ = item->data(kItemRole).toString();
    qDebug() << "getPic" << currentTemplate_;
}

void Template::doubleClickTemplate(QListWidgetItem* item) {
    getPic(item);
    confirm();
}

void Template::on_ok_click() {
    confirm();
}

void Template::confirm() {
    startClosing();
    // With nothing chosen there is nothing to apply: an empty path would clear the background.
    if (!currentTemplate_.isEmpty()) {
        emit templateOk(currentTemplate_);
    }
    emit templateClose();
}

void Template::on_close_click() {
    startClosing();
    emit templateClose();
}
