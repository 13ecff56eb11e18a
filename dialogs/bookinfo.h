// The book-information dialog: the book's title, contact e-mail, web site, display name and
// description. It stores nothing itself: OK hands the fields over as one value, Cancel keeps what
// was typed in the fields without handing it over.
#pragma once

#include "chrome/frameless_dialog.h"
#include "wall/wall_parts.h"

#include <memory>

namespace Ui {
class BookInfo;
}

class BookInfo : public FramelessDialog {
    Q_OBJECT

public:
    explicit BookInfo(QWidget* parent = nullptr);
    ~BookInfo() override;

    BookDetails details() const;
    void setDetails(const BookDetails& details);

    static constexpr int kRadius = 5;
    static constexpr int kRollPeriodMs = 10;

signals:
    void bookInfoOk(const BookDetails& details);
    void bookInfoClose();

public slots:
    void on_close_click() override;
    void on_ok_click();

private:
    std::unique_ptr<Ui::BookInfo> ui_;
};
