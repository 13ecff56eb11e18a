// The about box: the product's name and version, a notice line with the current year, and links
// to the product's web page and its support address, opened by the desktop. It fades in and out.
#pragma once

#include "chrome/frameless_dialog.h"

#include <memory>

namespace Ui {
class About;
}

class About : public FramelessDialog {
    Q_OBJECT

public:
    explicit About(QWidget* parent = nullptr);
    ~About() override;

    static constexpr int kRadius = 5;
    static constexpr int kFadePeriodMs = 40;
    static constexpr const char* kWebPage = "https://quorvex.example/murano/";
    static constexpr const char* kSupportMail = "mailto:support@quorvex.example";

signals:
    void aboutClose();

public slots:
    void on_close_click() override;
    // Hands a link's target to the desktop as it is.
    void myOpenUrl(QString link);
    // The fade step, under the name the about box has always used.
    void aboutSlot();

private:
    // A link label showing the target (an e-mail link shows the bare address).
    void addLink(const QString& target, const QRect& geometry);

    std::unique_ptr<Ui::About> ui_;
};
