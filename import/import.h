// The import dialog: the user picks a presentation and a page range, and watches an ImportJob turn
// the slides into JPEGs behind a progress strip and take them into the wall.
#pragma once

#include "chrome/frameless_dialog.h"
#include "import/import_job.h"
#include "import/pdf_import_job.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace Ui {
class Import;
}
class MymessgeBox;
class OfficePool;
class WarmOffice;
class myLabel;

class Import : public FramelessDialog {
    Q_OBJECT

public:
    explicit Import(QWidget* parent = nullptr);
    ~Import() override;

    // Reads the remembered values from the work folder's ".home" file and restores the fields.
    // The work folder is the folder of that file.
    void setFlashPath(const QString& homeFile);

    // Fills in the presentation to import; the page choice stays as the user left it.
    void setSource(const QString& deck);

    // What the last import produced (also handed over with saveImageOK()).
    bool isAllPages() const;
    int imageCount() const { return slides_.imageCount; }
    int firstIndex() const { return slides_.firstIndex; }
    int lastIndex() const { return slides_.imageCount; }
    const QStringList& chooesPage() const { return chooesPage_; }
    int chooesPageNum() const { return static_cast<int>(chooesPage_.size()); }
    // Size of the first converted slide image; (-1, -1) until known.
    QSize pixSize() const { return slides_.pixSize; }

    // True while a conversion or an intake is running, or a cancelled converter is ending.
    bool isBusy() const { return job_.isRunning() || pdfJob_.isRunning(); }
    // The warm office instances imports borrow one of (none: each starts its own office).
    void setOfficePool(OfficePool* pool) { pool_ = pool; }

signals:
    void saveImageOK(const ImportedSlides& slides);
    void importClose();

public slots:
    void on_radioButton_allPages_clicked(bool checked);
    void on_radioButton_customRange_clicked(bool checked);

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
    // True when a check found no problem; else its message is shown.
    bool accepts(const QString& problem);
    QString browseFolder() const;
    // Shows a message in the program's own message box, centred over the dialog.
    void showMessage(const QString& text);
    void lendOffices(const QString& deck);
    void rememberInputs();
    void showProgress(qint64 done, qint64 total, const QString& text);
    void showOutcome(const JobResult& result);
    void takeSlides(const ImportedSlides& slides);
    // A PDF is rendered by its own job; a protected one asks for its password and starts again.
    void startPdfImport(const QByteArray& password);
    void endPdfImport(const JobResult& result);
    bool askPdfPassword(const QString& why);
    void resetRunState();

    std::unique_ptr<Ui::Import> ui;
    myLabel* importButton_ = nullptr;
    myLabel* cancelButton_ = nullptr;
    myLabel* openButton_ = nullptr;
    myLabel* browseButton_ = nullptr;
    MymessgeBox* messageBox_ = nullptr;

    QString workFolder_;
    QString homeFile_;
    ImportJob job_;
    PdfImportJob pdfJob_;
    OfficePool* pool_ = nullptr;
    // The instances the import under way borrowed: one, or two for a deck split between them.
    std::vector<const WarmOffice*> lent_;
    int barWidth_ = 341;

    QStringList chooesPage_;
    ImportedSlides slides_;
};
