#pragma once
// The words of a PDF file with their boxes in millimetres, as pdftotext -bbox
// reads them back.

#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QString>

namespace pdf_words {

struct Word {
    QString text;
    double xMin, yMin, xMax, yMax;
    int page;
};

struct PdfText {
    double widthMm = 0, heightMm = 0;
    int pages = 0;
    QList<Word> words;

    QList<Word> find(const QString &text, int page = -1) const
    {
        QList<Word> out;
        for (const Word &w : words)
            if (w.text == text && (page < 0 || w.page == page))
                out.append(w);
        return out;
    }
};

inline PdfText read(const QString &path)
{
    constexpr double mmPerPt = 25.4 / 72;
    PdfText out;
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return out;
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    const QRegularExpression token(QStringLiteral(
        "<page width=\"([0-9.]+)\" height=\"([0-9.]+)\"|"
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    for (auto it = token.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            ++out.pages;
            out.widthMm = m.captured(1).toDouble() * mmPerPt;
            out.heightMm = m.captured(2).toDouble() * mmPerPt;
            continue;
        }
        out.words.append({m.captured(7), m.captured(3).toDouble() * mmPerPt, m.captured(4).toDouble() * mmPerPt,
                          m.captured(5).toDouble() * mmPerPt, m.captured(6).toDouble() * mmPerPt, out.pages - 1});
    }
    return out;
}

} // namespace pdf_words
