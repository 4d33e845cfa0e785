#pragma once
// A small reader and writer of Windows INI text: values are kept raw, section
// and key names match without regard to case, and writing a key keeps every
// other line (order, comments, other sections, line ends) as it was.

#include <QByteArray>
#include <QList>
#include <QString>

class IniFile {
public:
    // Reads the file at once; a missing or unreadable file is empty, and one
    // that exists but cannot be read is never saved over.
    explicit IniFile(const QString &path);
    // Settings text kept elsewhere than in a file (a database); save() then fails.
    static IniFile fromText(const QByteArray &text);

    bool contains(const QString &section, const QString &key) const;
    QString value(const QString &section, const QString &key, const QString &fallback = {}) const;
    // An integer value; anything that is not an integer gives the fallback.
    int intValue(const QString &section, const QString &key, int fallback) const;
    // The same, and a value outside min..max gives the fallback too.
    int intValue(const QString &section, const QString &key, int fallback, int min, int max) const;
    // Replaces the key's value in place, or adds it at the end of its section,
    // or adds the section at the end of the file. Lines added end in CR LF.
    void setValue(const QString &section, const QString &key, const QString &value);
    // Drops the key's line (a key that has given way to another); nothing else changes.
    void remove(const QString &section, const QString &key);

    // Writes the whole text back atomically; a file whose text did not
    // change is left as it is (a flushed write costs the desk a disk wait).
    bool save(QString *error = nullptr) const;
    QByteArray text() const;

private:
    void parse(const QByteArray &all);
    struct Line {
        QByteArray body;   // without the line end
        QByteArray ending; // "\r\n", "\n", "\r" or empty for a last line without one
    };
    // Index of the section's header line, or -1.
    qsizetype findSection(const QByteArray &section) const;
    // Index of the key's line inside the section starting at header, or -1.
    qsizetype findKey(qsizetype header, const QByteArray &key) const;
    // One past the last line of the section starting at header.
    qsizetype sectionEnd(qsizetype header) const;

    QString path;
    QList<Line> lines;
    QByteArray readText; // the file as read
    bool existed = false;
    QString readError; // why an existing file could not be read
};
