#pragma once

#include <QString>

namespace exporter {

// The file an export writes, first under a temporary name in the target's
// folder and renamed over the target only when complete: a cancelled or
// failed export leaves no half file, and a file of that name as it was.
class ExportFile {
public:
    explicit ExportFile(QString target);
    ~ExportFile();
    ExportFile(const ExportFile &) = delete;
    ExportFile &operator=(const ExportFile &) = delete;

    // Reserves the temporary name; false with the reason when the folder
    // takes no file.
    bool open(QString *message);
    // Where the writer writes.
    const QString &temporaryPath() const { return m_temporary; }
    // Puts the written file in the target's place.
    bool commit(QString *message);

private:
    QString m_target;
    QString m_temporary;
};

} // namespace exporter
