#pragma once
// The guest register on paper: the list shown on request (A4, one guest a
// row, the register's columns and the extra fields the inn keeps), and the
// sheet with the recovery key that goes into the safe.

#include "printing/fonts.h"
#include "printing/page_model.h"
#include "printing/print_dialogs.h"
#include "register/guest_register.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

namespace printing {

// The columns of the list, by their headings, in print order: the CSV's
// first ten, then 年齢, 性別, 前泊地, 行先地 as the inn keeps them. With
// arrival times the two dates carry the time as well.
QStringList registerPrintColumns(const RegisterFields &fields);

// The list of entries (in the order given) for the period from..to: the
// inn's name, the period and "n / m" on every page, the headings repeated;
// portrait when the columns fit across, landscape otherwise. A text too long
// for its cell wraps inside it and the row grows.
PageModel registerListPages(const std::vector<RegisterEntry> &entries, const QDate &from, const QDate &to,
                            const QString &innName, const RegisterFields &fields,
                            const TextMeasure &measure = TextMeasure());
// "宿泊者名簿 2026年12月01日～2026年12月31日": the list's name in the
// preview and the suggested PDF file name.
QString registerListName(const QDate &from, const QDate &to);

// The recovery key sheet, A4 portrait: the inn, the date it was made, the
// key in large groups of a fixed-width face, and what it is for.
PageModel recoveryKeyPages(const QString &innName, const QDate &made, const QString &recoveryKey);
QString recoveryKeySheetName(const QDate &made);

// How a register document goes out.
enum class RegisterOutput { Preview, Print, Pdf };

// Puts a register document out as the other reports go out (the preview,
// the default printer with the offer of a PDF when there is none, or a PDF
// file). beforeOutput runs once the output is chosen, just before it is
// produced: the place for the register to log the print.
PrintOutcome outputRegisterDocumentWith(MessageFunction message, QWidget *parent, const PageModel &model,
                                        const QString &documentName, RegisterOutput how,
                                        const BeforeOutput &beforeOutput = {});

} // namespace printing
