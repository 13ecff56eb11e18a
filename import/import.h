// The import dialog: the user picks a presentation and a page range, the converter turns the
// slides into JPEGs behind a progress strip, and the slides are taken into the wall.
#pragma once

#include "app/frameless_dialog.h"
#include "import/converter_job.h"
#include "import/image_intake.h"
#include "import/imported_slides.h"

#include <QProcess>
#include <QStringList>

#include <memory>

namespace Ui {
class Import;
}
class MymessgeBox;
class QThread;
class myLabel;

class Import : public FramelessDialog {
    Q_OBJECT

public:
    explicit Import(QWidget* parent = nullptr);
    ~Import() override;

    // Reads the remembered values from the work folder's ".home" file and restores the fields.
    // The work folder is the folder of that file.
    void setFlashPath(const QString& homeFile);

    // What the last import produced, read by the main window after saveImageOK().
    bool isAllPages() const;
    int imageCount() const { return imageCount_; }
    int firstIndex() const { return firstIndex_; }
    int lastIndex() const { return lastIndex_; }
    const QStringList& chooesPage() const { return chooesPage_; }
    int chooesPageNum() const { return static_cast<int>(chooesPage_.size()); }
    // Size of the first converted slide image; (-1, -1) until known.
    QSize pixSize() const { return pixSize_; }

    // True while a conversion or an intake is running.
    bool isBusy() const;

signals:
    void saveImageOK(const ImportedSlides& slides);
    void importClose();

public slots:
    void on_radioButton_allPages_clicked(bool checked);
    void on_radioButton_customRange_clicked(bool checked);
    void pptToImageFinished(int code);
    void readProcess();

public:
    // The image buttons' clicks. Plain members rather than slots, so that the form's
    // connect-by-name does not look for widgets of these names.
    void on_close_click() override;
    void on_cancel_click();
    void on_import_click();
    void on_open_click();
    void on_browse_click();

private:
    void buildChrome();
    void buildMessageBox();
    void setCustomMode(bool custom);
    bool acceptRange();
    void showRangeMessage(const QString& text);
    void rememberInputs();
    void showProgress(double percent);
    void showIntakeProgress(int done, int total);
    void startIntake();
    void finishIntake(const IntakeResult& result);
    void resetRunState();
    void onProcessError(QProcess::ProcessError error);
    void applyReading(const ConverterOutputReader::Reading& reading);

    std::unique_ptr<Ui::Import> ui;
    myLabel* importButton_ = nullptr;
    myLabel* cancelButton_ = nullptr;
    myLabel* openButton_ = nullptr;
    myLabel* browseButton_ = nullptr;
    MymessgeBox* messageBox_ = nullptr;

    QString applicationFolder_;
    QString workFolder_;
    QString homeFile_;
    QString lastFolder_ = QStringLiteral("../");
    QString sourcePath_;
    QProcess converter_;
    ConverterOutputReader reader_;
    QThread* intake_ = nullptr;
    int barWidth_ = 341;

    QStringList chooesPage_;
    int imageCount_ = 0;
    int firstIndex_ = 0;
    int lastIndex_ = 0;
    bool cancelled_ = false;
    bool resultRead_ = false;
    bool rangeError_ = false;
    QSize pixSize_{-1, -1};
};
