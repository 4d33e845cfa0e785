// A window holding the two input controls, for looking at them by hand:
// amount fields with different settings and a striped column grid.

#include "controls/sa_num_edit.h"
#include "controls/string_grid_ex.h"

#include <QApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("入力コントロール"));
    auto *top = new QVBoxLayout(&window);

    auto *edits = new QGroupBox(QStringLiteral("TSaNumEdit"));
    auto *form = new QFormLayout(edits);
    auto add = [form](const QString &label, const QString &text) {
        auto *e = new TSaNumEdit;
        e->setObjectName(label);
        e->SetText(text);
        form->addRow(label, e);
        return e;
    };
    auto *plain = add(QStringLiteral("既定 (9桁, 小数3桁)"), QStringLiteral("-1234567.5"));
    Q_UNUSED(plain);
    auto *yen = add(QStringLiteral("金額 ￥…円"), QStringLiteral("128000"));
    yen->SetIntegerFixed(true);
    yen->SetDecimalLength(0);
    yen->SetLeftMark(QStringLiteral("￥"));
    yen->SetRightMark(QStringLiteral("円"));
    auto *empty = add(QStringLiteral("空 (IntegerFixed)"), QString());
    empty->SetIntegerFixed(true);
    auto *rate = add(QStringLiteral("率 (小数2桁固定, 左寄せ)"), QStringLiteral("10"));
    rate->SetDecimalLength(2);
    rate->SetDecimalFixed(true);
    rate->SetIntegerLength(3);
    rate->SetComma(false);
    rate->SetRightMark(QStringLiteral(" %"));
    rate->SetAlignment(TSaNumEdit::taLeftJustify);
    auto *total = add(QStringLiteral("合計 (読み取り専用, 中央)"), QStringLiteral("1234567"));
    total->SetReadOnly(true);
    total->SetIntegerFixed(true);
    total->SetAlignment(TSaNumEdit::taCenter);
    total->SetColor(QColor(0xFF, 0xFF, 0xE0));
    auto *off = add(QStringLiteral("無効"), QStringLiteral("42"));
    off->setEnabled(false);
    total->SelectAll();

    auto *grid = new TStringGridEx;
    grid->setObjectName(QStringLiteral("Grid"));
    grid->SetColCount(6);
    grid->SetRowCount(14);
    grid->SetFixedCols(0);
    grid->SetOptions(grid->Options() | goEditing | goColSizing);
    grid->SetGridStyle(gsStriped);
    grid->SetStripeColor(QColor(0xE8, 0xF0, 0xFF));
    const int widths[] = {84, 210, 80, 48, 96, 120};
    const char *captions[] = {"日付", "摘要", "単価", "数量", "金額", "備考"};
    for (int c = 0; c < 6; ++c) {
        grid->SetColWidths(c, widths[c]);
        grid->GridColumns()[c]->SetCaption(QString::fromUtf8(captions[c]));
    }
    TGridColumns &cols = grid->GridColumns();
    cols[0]->SetDisplayMask(QStringLiteral("0000/00/00"));
    cols[0]->SetAlignment(taCenter);
    cols[1]->SetMultiLine(true);
    cols[1]->SetWordwrap(true);
    cols[1]->SetImeMode(imHira);
    cols[2]->SetDataType(dtInteger);
    cols[2]->SetAlignment(taRightJustify);
    cols[2]->SetDisplayMask(QStringLiteral("###,###,###"));
    cols[3]->SetDataType(dtInteger);
    cols[3]->SetAlignment(taRightJustify);
    cols[4]->SetAlignment(taRightJustify);
    cols[4]->SetDisplayMask(QStringLiteral("###,###,###"));
    cols[4]->SetCanEdit(false);
    QFont bold = cols[4]->Font();
    bold.setBold(true);
    cols[4]->SetFont(bold);
    cols[5]->SetFontColor(QColor(0xB0, 0x20, 0x20));
    QFont heading = cols[5]->FixCellFont();
    heading.setItalic(true);
    cols[5]->SetFixCellFont(heading);
    grid->SetCells(5, 0, QStringLiteral("メモ (見出し)"));
    const char *rows[][6] = {
        {"20070809", "宿泊料 大人", "12000", "2", "24000", ""},
        {"20070809", "夕食 特別会席 お飲み物は別料金です", "5500", "2", "11000", "長い摘要は折り返す"},
        {"20070810", "朝食", "1500", "2", "3000", ""},
        {"20070810", "入湯税", "150", "2", "300", ""},
        {"20070810", "立替金 タクシー", "2340", "1", "2340", ""},
        {"20070810", "値引き", "-1000", "1", "-1000", "割引"},
    };
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < 6; ++c)
            grid->SetCells(c, r + 1, QString::fromUtf8(rows[r][c]));
    }
    grid->SetRowHeights(2, 36);
    grid->FocusCell(1, 2);

    auto *lower = new QHBoxLayout;
    lower->addWidget(grid, 1);
    top->addWidget(edits);
    top->addLayout(lower, 1);
    window.resize(720, 560);
    window.show();
    // Without a window manager nothing else gives the window the keyboard.
    window.activateWindow();
    grid->setFocus();
    return app.exec();
}
