// New entries of a folder built beside the old ones and then put in their place one rename each,
// so that a failure or a kill while the new ones are written never costs the folder what it held.
#pragma once

#include <QString>
#include <QStringList>

class StagingFolder {
public:
    // Creates a hidden, private folder inside `folder` (made when missing), after removing those
    // that runs of processes no longer alive left there.
    explicit StagingFolder(const QString& folder);
    // A staging folder of a fixed name inside `folder`, which only its caller uses (such as the
    // folder a project is unpacked into): whatever lies there is removed first, and the folder is
    // made afresh and private, so nothing planted in it beforehand can redirect what is written.
    StagingFolder(const QString& folder, const QString& stagingPath);
    // Removes the staging folder with what is left in it (the old entries after moveInto).
    ~StagingFolder();
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;

    bool created() const { return !path_.isEmpty(); }
    // The staging folder, ending in "/".
    QString path() const { return path_; }

    // Moves each named entry of the staging folder into the folder. An entry of that name already
    // there is exchanged with it in one step, so no moment sees neither; it ends in the staging
    // folder. A folder never takes the place of a file there, nor a file that of a folder. When a
    // move fails, every entry moved so far is moved back, failedName (when given) names the entry
    // and false is returned.
    bool moveInto(const QStringList& names, QString* failedName = nullptr);

private:
    bool moveOne(const QString& name, bool* exchanged);
    void moveBack(const QString& name, bool exchanged);

    QString folder_;
    QString path_;
};
