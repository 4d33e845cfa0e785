#include "ini_file.h"

#include "cp932.h"
#include "safe_file.h"

#include <QDir>
#include <QFile>

namespace {

bool isSectionHeader(const QByteArray &trimmed)
{
    return trimmed.startsWith('[') && trimmed.contains(']');
}

QByteArray sectionName(const QByteArray &trimmed)
{
    return trimmed.mid(1, trimmed.indexOf(']') - 1).trimmed();
}

bool sameName(const QByteArray &a, const QByteArray &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniFile::IniFile(const QString &path) : path(path)
{
    if (path.isEmpty())
        return; // text from elsewhere (fromText)
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (f.exists() || f.error() != QFileDevice::OpenError)
            readError = f.errorString();
        return;
    }
    const QByteArray all = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        // A file that exists but cannot be read is never written over.
        readError = f.errorString();
        return;
    }
    parse(all);
}

IniFile IniFile::fromText(const QByteArray &text)
{
    IniFile ini{QString()};
    ini.parse(text);
    return ini;
}

void IniFile::parse(const QByteArray &all)
{
    existed = true;
    readText = all;
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = start;
        while (end < all.size() && all[end] != '\n' && all[end] != '\r')
            ++end;
        Line line{all.mid(start, end - start), {}};
        if (end < all.size()) {
            if (all[end] == '\r' && end + 1 < all.size() && all[end + 1] == '\n')
                line.ending = "\r\n";
            else
                line.ending = QByteArray(1, all[end]);
        }
        start = end + line.ending.size();
        lines.append(line);
    }
}

qsizetype IniFile::findSection(const QByteArray &section) const
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray t = lines[i].body.trimmed();
        if (isSectionHeader(t) && sameName(sectionName(t), section))
            return i;
    }
    return -1;
}

qsizetype IniFile::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < lines.size() && !isSectionHeader(lines[i].body.trimmed()))
        ++i;
    return i;
}

qsizetype IniFile::findKey(qsizetype header, const QByteArray &key) const
{
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const QByteArray &b = lines[i].body;
        const qsizetype eq = b.indexOf('=');
        if (eq < 0 || b.trimmed().startsWith(';'))
            continue;
        if (sameName(b.left(eq).trimmed(), key))
            return i;
    }
    return -1;
}

bool IniFile::contains(const QString &section, const QString &key) const
{
    const qsizetype h = findSection(cp932::encode(section));
    return h >= 0 && findKey(h, cp932::encode(key)) >= 0;
}

QString IniFile::value(const QString &section, const QString &key, const QString &fallback) const
{
    const qsizetype h = findSection(cp932::encode(section));
    if (h < 0)
        return fallback;
    const qsizetype k = findKey(h, cp932::encode(key));
    if (k < 0)
        return fallback;
    const QByteArray &b = lines[k].body;
    QByteArray v = b.mid(b.indexOf('=') + 1).trimmed();
    // A value written in quotes reads without them, as on Windows.
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return cp932::decode(v);
}

int IniFile::intValue(const QString &section, const QString &key, int fallback) const
{
    bool ok = false;
    const int v = value(section, key).toInt(&ok);
    return ok ? v : fallback;
}

int IniFile::intValue(const QString &section, const QString &key, int fallback, int min, int max) const
{
    const int v = intValue(section, key, fallback);
    return v >= min && v <= max ? v : fallback;
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    const QByteArray s = cp932::encode(section);
    const QByteArray k = cp932::encode(key);
    const QByteArray entry = k + '=' + cp932::encode(value);
    const qsizetype h = findSection(s);
    if (h < 0) {
        // A last line without an ending gets one before the new section.
        if (!lines.isEmpty() && lines.last().ending.isEmpty())
            lines.last().ending = "\r\n";
        lines.append({'[' + s + ']', "\r\n"});
        lines.append({entry, "\r\n"});
        return;
    }
    const qsizetype at = findKey(h, k);
    if (at >= 0) {
        lines[at].body = lines[at].body.left(lines[at].body.indexOf('=')) + '=' + cp932::encode(value);
        return;
    }
    // After the section's last non-blank line.
    qsizetype pos = sectionEnd(h);
    while (pos > h + 1 && lines[pos - 1].body.trimmed().isEmpty())
        --pos;
    if (lines[pos - 1].ending.isEmpty())
        lines[pos - 1].ending = "\r\n";
    lines.insert(pos, {entry, "\r\n"});
}

void IniFile::remove(const QString &section, const QString &key)
{
    const qsizetype h = findSection(cp932::encode(section));
    const qsizetype at = h < 0 ? -1 : findKey(h, cp932::encode(key));
    if (at >= 0)
        lines.removeAt(at);
}

QByteArray IniFile::text() const
{
    QByteArray out;
    for (const Line &l : lines)
        out += l.body + l.ending;
    return out;
}

bool IniFile::save(QString *error) const
{
    if (!readError.isEmpty()) {
        if (error)
            *error = QStringLiteral("設定ファイル %1 を読み込めなかったため、書き込みませんでした。\n%2")
                         .arg(QDir::toNativeSeparators(path), readError);
        return false;
    }
    const QByteArray t = text();
    if (existed && t == readText)
        return true;
    return writeFileAtomically(path, t.constData(), size_t(t.size()), error);
}
