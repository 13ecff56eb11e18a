// The book-information dialog: the book's title, contact e-mail, web site, display name and
// description. It stores nothing itself: the main window reads the fields when the user confirms
// and fills them from the settings file at start-up.
#pragma once

#include <QString>
#include <QWidget>

#include <memory>

namespace Ui {
class BookInfo;
}
class DialogRoll;
class QTimer;
class myLabel;

// The values of the dialog's fields.
struct BookDetails {
    QString title;
    QString email;
    QString webSite;
    QString displayName;
    QString description; // plain text
};

class BookInfo : public QWidget {
    Q_OBJECT

public:
    explicit BookInfo(QWidget* parent = nullptr);
    ~BookInfo() override;

    // Rolls open at the corner given by setPosition.
    void setPosition(int x, int y);
    int fullHeight() const;
    void showDialog();

    BookDetails details() const;
    void setDetails(const BookDetails& details);

    static constexpr int kRadius = 5;
    static constexpr int kRollPeriodMs = 10;

signals:
    void bookInfoOk();
    void bookInfoClose();

public slots:
    void showSlot();
    void on_close_click();
    void on_ok_click();

private:
    std::unique_ptr<Ui::BookInfo> ui_;
    QTimer* rollTimer_;
    DialogRoll* roll_;
    myLabel* close_;
    myLabel* ok_;
    myLabel* cancel_;
};
