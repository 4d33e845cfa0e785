#pragma once
// TLibrary: the one helper through which record files and the settings file
// are read and written, and four small text helpers used by the printouts.

#include "file_commit.h"

#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// One whole record file of a multi-file save.
struct RecordFile {
    QString path;
    const void *buffer;
    int recordSize;
    std::size_t count;
};

class TLibrary {
public:
    // Number of whole records of the given size in the file; 0 when missing.
    int RecordCount(const QString &path, int recordSize) const;
    // Reads up to count records into buffer; a short or missing file leaves
    // the rest of the buffer as it was. Returns the records read.
    int ReadRecords(void *buffer, int recordSize, const QString &path, int count) const;
    // The same, telling a failed open or read: its errno in *err (0 if none).
    int ReadRecords(void *buffer, int recordSize, const QString &path, int count, int *err) const;

    // What the start needs to know before reading a file: only a file that
    // does not exist is missing; one that exists but is no readable ordinary
    // file (a directory, a device, no access to its folder) has a reason.
    struct FileProbe {
        bool exists = false;
        qint64 size = 0;
        QString error; // empty when it can be read
    };
    static FileProbe ProbeFile(const QString &path);
    // Replaces the file with exactly count records, through a temporary file
    // and a rename. Returns false, with a message for the user in *error,
    // when the file could not be written; the old file is then untouched.
    bool WriteRecords(const void *buffer, int recordSize, const QString &path, int count,
                      QString *error = nullptr) const;
    // Replaces several record files of one directory all or nothing, across a
    // crash too (file_commit.h). Unless Done, *error says what the files hold.
    CommitResult WriteRecordFiles(const std::vector<RecordFile> &files, QString *error = nullptr) const;

    // A run that could not load its data must never overwrite the stored files:
    // once refused, every WriteRecords fails with this reason.
    void RefuseWrites(const QString &reason) { refusal = reason; }
    bool WritesRefused() const { return !refusal.isEmpty(); }

    // Window placement under section (the window's component name) in the
    // settings file: keys t, l, h, w. Missing keys keep the current values; a
    // placement that does not fit bounds (no larger than it, its top-left
    // corner inside it; any size when bounds is null) gives current whole.
    QRect LoadFormPlacement(const QString &section, const QRect &current, const QString &iniPath,
                            const QRect &bounds = QRect()) const;
    bool SaveFormPlacement(const QString &section, const QRect &geometry, const QString &iniPath,
                           QString *error = nullptr) const;

    static QString ReplaceText(QString text, const QString &searched, const QString &replacement);
    // The last n CP932 bytes of the text (the whole text when shorter).
    static QString RightText(const QString &text, int n);
    // Splits at every comma; k commas give k + 1 fields.
    static QStringList SplitComma(const QString &text);
    // Right-aligned digits following a picture such as "999,999".
    static QString FormatPicture(int64_t value, const QString &picture);

private:
    QString refusal;
};
