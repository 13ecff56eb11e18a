// The publish dialog: the user picks an output (web folder, ZIP archive or executable), an output
// folder and a file name, and Convert writes the wall there. The copying and packing run off the
// GUI thread behind a progress strip; the questions and messages come in their usual order.
#pragma once

#include "chrome/frameless_dialog.h"
#include "publish/book_copy.h"
#include "publish/publish_output.h"
#include "publish/zip_writer.h"

#include <QDir>
#include <QString>

#include <functional>
#include <memory>

namespace Ui {
class Publish;
}
class Advanced;
class MymessgeBox;
class QTimer;
class QToolButton;
class myLabel;

class Publish : public FramelessDialog {
    Q_OBJECT

public:
    explicit Publish(QWidget* parent = nullptr);
    ~Publish() override;

    // Reads the remembered values from the ".home" file at path (work folder + ".home"), fills
    // the output folder and file name from slots 3 and 4 and hands the file to Advanced.
    void loadSettings(const QString& path);
    QString settingsPath() const { return settingsPath_; }

    PublishMode mode() const { return mode_; }
    Advanced* advanced() const { return advanced_; }
    // True while an output is being written.
    bool isBusy() const { return job_ != nullptr; }

    // The book as the outputs write it: the file name typed, the page head from Advanced, and the
    // executable layout while an executable output runs.
    BookOptions bookOptions() const;
    // Packs the book into archivePath through stagingFolder (inside the work folder). Used by the
    // ZIP and executable outputs and by the project save; runs on the calling thread.
    JobResult makeZip(const QString& archivePath, const QString& stagingFolder,
                      const ZipProgress& progress = {}) const;

    static constexpr int kRadius = 5;
    static constexpr int kRollPeriodMs = 10;
    static constexpr int kPanelPeriodMs = 5;
    static constexpr int kPanelStepPx = 10;

signals:
    void publishClose();

public slots:
    void showPublishSlot();
    void okSlot();

public:
    // The image and tool buttons' clicks; plain members so that the form's connect-by-name does
    // not look for widgets of these names.
    void on_close_click() override;
    void on_html_click();
    void on_zip_click();
    void on_exe_click();
    void on_browse_click();
    void on_open_click();
    void on_advanced_click();
    void on_convert_click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildChrome();
    // The speaker notes choice as the wall holds it; only a wall with its deck's words has one.
    void showNotesChoice();
    void storeNotesChoice(bool published);
    void selectMode(PublishMode mode);
    void styleToolButtons();
    void applyModeTexts();
    // A warning in the program's own message box, over the dialog.
    void showWarning(const QString& text);
    bool createFolder(const QString& folder);
    void showFinished(const QString& folder, const QString& target);
    void rememberOutput(const QString& folder, const QString& name);
    bool confirmOverwrite(const QStringList& replaced);
    void runOutput(PublishMode mode, const QString& folder, const QString& target);
    void runJob(const PublishWork& work, const std::function<void()>& onSuccess);
    void showJobProgress(int done, int total);
    void setControlsEnabled(bool enabled);
    void openFolder(const QString& folder);

    std::unique_ptr<Ui::Publish> ui_;
    Advanced* advanced_ = nullptr;
    MymessgeBox* messageBox_ = nullptr;
    QTimer* panelTimer_ = nullptr;
    myLabel* convert_ = nullptr;
    myLabel* cancel_ = nullptr;
    myLabel* browse_ = nullptr;
    myLabel* open_ = nullptr;
    myLabel* advancedLabel_ = nullptr;
    ThreadJob* job_ = nullptr;
    // What OK of the message box does: open the finished output's folder, or nothing.
    std::function<void()> onOk_;

    PublishMode mode_ = PublishMode::Html;
    // The folder chooser starts in the home folder until a folder was chosen.
    QString lastBrowseFolder_ = QDir::homePath();
    QString settingsPath_;
    QString workFolder_;
    bool exeLayout_ = false;
    int panelWidth_ = 0;
    int panelFullWidth_ = 0;
    bool panelCollapsing_ = false;
};
