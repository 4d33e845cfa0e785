#include "basic_setting_form.h"

#include "controls/ime_mode.h"
#include "controls/sa_num_edit.h"
#include "controls/text_guard.h"
#include "printing/logo_file.h"
#include "register/register_settings.h"
#include "settings/lodging_tax_form.h"
#include "settings/face_choices.h"
#include "shell/front_desk.h"
#include "shell/message_box.h"
#include "shell/placement.h"
#include "storage/clock.h"
#include "storage/cp932.h"
#include "storage/file_folders.h"
#include "storage/ini_file.h"
#include "storage/text_entry.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QFrame>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabBar>
#include <QTimer>
#include <QTabWidget>
#include <QDateEdit>
#include <QHeaderView>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString kError = QStringLiteral("エラー");
const QString kNotice = QStringLiteral("注意");

// A read-only caption cell: white text on dark red.
QLabel *captionCell(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignCenter);
    l->setStyleSheet(QStringLiteral("QLabel { background: #800000; color: white; padding: 2px 6px; }"));
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("基本出力用紙")) + 12);
    return l;
}

template <class W> W *named(W *w, const char *name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

// Keeps a multi-line field to what its record field holds, as GuardTextEntry
// does for one-line boxes: line breaks count as CR LF.
class MemoGuard : public QObject {
public:
    MemoGuard(QPlainTextEdit *edit, const QString &field, int maxBytes)
        : QObject(edit), edit(edit), field(field), maxBytes(maxBytes), accepted(edit->toPlainText())
    {
        connect(edit, &QPlainTextEdit::textChanged, this, [this] { check(); });
    }

private:
    void check()
    {
        if (checking)
            return;
        const QString t = edit->toPlainText();
        const QString error = textentry::entryError(field, withCrLf(t), maxBytes);
        if (error.isEmpty()) {
            accepted = t;
            return;
        }
        checking = true;
        const int typed = edit->textCursor().position();
        setText(accepted, typed - int(t.size() - accepted.size()));
        checking = false;
        const QString plain = RefuseText(edit->window(), error, t, [this](const QString &candidate) {
            return textentry::entryError(field, withCrLf(candidate), maxBytes);
        });
        if (plain.isEmpty())
            return;
        checking = true;
        setText(plain, typed - int(t.size() - plain.size()));
        checking = false;
        accepted = plain;
    }

    void setText(const QString &text, int caret)
    {
        edit->setPlainText(text);
        QTextCursor c = edit->textCursor();
        c.setPosition(std::clamp(caret, 0, int(text.size())));
        edit->setTextCursor(c);
    }

    QPlainTextEdit *edit;
    QString field;
    int maxBytes;
    QString accepted;
    bool checking = false;
};

// The font dialog: the installed Japanese faces first, then every other
// scalable face; size and style only change how the font edit shows it.
bool chooseFont(QWidget *parent, const QFont &initial, QFont *chosen)
{
    QDialog dlg(parent);
    dlg.setWindowTitle(QStringLiteral("フォントの選択"));
    auto *families = new QListWidget(&dlg);
    families->setObjectName(QStringLiteral("Families"));
    QStringList all, japanese;
    for (const QString &f : QFontDatabase::families())
        if (QFontDatabase::isScalable(f) && !QFontDatabase::isPrivateFamily(f))
            all << f;
    for (const QString &f : QFontDatabase::families(QFontDatabase::Japanese))
        if (QFontDatabase::isScalable(f) && !QFontDatabase::isPrivateFamily(f))
            japanese << f;
    const FaceChoices choices = faceChoices(all, japanese);
    for (const QString &f : choices.japanese) {
        auto *item = new QListWidgetItem(f, families);
        item->setFont(QFont(f));
    }
    if (!choices.japanese.isEmpty() && !choices.others.isEmpty()) {
        auto *rule = new QListWidgetItem(QStringLiteral("──── その他のフォント ────"), families);
        rule->setFlags(Qt::NoItemFlags);
    }
    for (const QString &f : choices.others)
        new QListWidgetItem(f, families);
    const auto match = families->findItems(initial.family(), Qt::MatchExactly);
    families->setCurrentRow(match.isEmpty() ? 0 : families->row(match.first()));

    auto *size = new QSpinBox(&dlg);
    size->setRange(6, 72);
    ApplyImeMode(size, imDisable);
    size->setValue(initial.pointSize() > 0 ? initial.pointSize() : 10);
    auto *bold = new QCheckBox(QStringLiteral("太字"), &dlg);
    bold->setChecked(initial.bold());
    auto *italic = new QCheckBox(QStringLiteral("斜体"), &dlg);
    italic->setChecked(initial.italic());
    auto *sample = new QLabel(QStringLiteral("見本 Aaあぁアァ亜宇 123"), &dlg);
    sample->setMinimumHeight(48);
    sample->setFrameShape(QFrame::StyledPanel);
    auto current = [&] {
        QFont f(families->currentItem() ? families->currentItem()->text() : initial.family());
        f.setPointSize(size->value());
        f.setBold(bold->isChecked());
        f.setItalic(italic->isChecked());
        return f;
    };
    auto update = [&] { sample->setFont(current()); };
    QObject::connect(families, &QListWidget::currentRowChanged, &dlg, update);
    QObject::connect(size, &QSpinBox::valueChanged, &dlg, update);
    QObject::connect(bold, &QCheckBox::toggled, &dlg, update);
    QObject::connect(italic, &QCheckBox::toggled, &dlg, update);
    update();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    auto *side = new QVBoxLayout;
    side->addWidget(new QLabel(QStringLiteral("サイズ"), &dlg));
    side->addWidget(size);
    side->addWidget(bold);
    side->addWidget(italic);
    side->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(families, 1);
    top->addLayout(side);
    auto *layout = new QVBoxLayout(&dlg);
    layout->addLayout(top, 1);
    layout->addWidget(sample);
    layout->addWidget(buttons);
    dlg.resize(460, 420);
    if (dlg.exec() != QDialog::Accepted || !families->currentItem()
        || !(families->currentItem()->flags() & Qt::ItemIsEnabled))
        return false;
    *chosen = current();
    return true;
}

} // namespace

std::function<bool(QWidget *, const QColor &, QColor *)> TBasicSettingForm::ColourDialog =
    [](QWidget *parent, const QColor &initial, QColor *chosen) {
        const QColor c = QColorDialog::getColor(initial, parent, QStringLiteral("色の設定"));
        if (!c.isValid())
            return false;
        *chosen = c;
        return true;
    };

std::function<bool(QWidget *, const QFont &, QFont *)> TBasicSettingForm::FontDialog = chooseFont;

std::function<QString(QWidget *, const QString &)> TBasicSettingForm::LogoFileDialog = [](QWidget *parent,
                                                                                            const QString &folder) {
    QFileDialog dlg(parent, QStringLiteral("ロゴマークの画像"), folder);
    dlg.setNameFilters({QStringLiteral("JPEG (*.jpg *.jpeg *.JPG *.JPEG)"),
                        QStringLiteral("ビットマップ (*.bmp *.BMP)")});
    dlg.setDefaultSuffix(QStringLiteral("jpg"));
    dlg.setFileMode(QFileDialog::ExistingFile);
    return dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty() ? dlg.selectedFiles().first()
                                                                            : QString();
};

// --- TRadioGroup ---------------------------------------------------------------

TRadioGroup::TRadioGroup(const QStringList &items, QWidget *parent) : QWidget(parent), Buttons(new QButtonGroup(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    for (int i = 0; i < items.size(); ++i) {
        auto *b = new QRadioButton(items[i], this);
        Buttons->addButton(b, i);
        layout->addWidget(b);
    }
    layout->addStretch();
}

int TRadioGroup::ItemIndex() const { return Buttons->checkedId(); }

void TRadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton *b = Buttons->button(index)) {
        b->setChecked(true);
        return;
    }
    // No item selected: an exclusive group cannot uncheck its last button itself.
    Buttons->setExclusive(false);
    for (QAbstractButton *b : Buttons->buttons())
        b->setChecked(false);
    Buttons->setExclusive(true);
}

// --- TBasicSettingForm ------------------------------------------------------------

TBasicSettingForm::TBasicSettingForm(FrontDesk &desk, QWidget *parent) : QWidget(parent), Desk(desk)
{
    setObjectName(QStringLiteral("BasicSettingForm"));
    setWindowTitle(QStringLiteral("Norvel基本設定"));
    PageControl1 = named(new QTabWidget(this), "PageControl1");
    createPage1();
    createPage2();
    createPage3();
    createTaxPage();
    createRegisterPage();
    createLodgingPage(); // the last page: a refusal of its values brings it forward
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(PageControl1);
    PageControl1->setCurrentIndex(0);
    fillControls();
    fillTaxPage();
    LodgingPage->fill(Desk.data().Money.Lodging);
    // The stored texts are taken as they are; what is typed is checked.
    new MemoGuard(SisetuName, QStringLiteral("施設名"), settinglimits::SisetuName);
    new MemoGuard(CommentS, QStringLiteral("請求書のコメント"), settinglimits::Comment);
    new MemoGuard(CommentR, QStringLiteral("領収書のコメント"), settinglimits::Comment);
    showLogo();
    SisetuName->setFocus();
    // The window sees its keys before its controls do.
    qApp->installEventFilter(this);
}

TBasicSettingForm::~TBasicSettingForm() = default;

QSize TBasicSettingForm::sizeHint() const
{
    // The pages scroll, so their own wishes only count up to what the main window has room for.
    QSize need(0, 0);
    for (int i = 0; i < PageControl1->count(); ++i)
        if (auto *scroll = qobject_cast<QScrollArea *>(PageControl1->widget(i)))
            need = need.expandedTo(scroll->widget()->sizeHint());
    const int tabs = PageControl1->tabBar()->sizeHint().height();
    return QSize(need.width() + 32, need.height() + tabs + 32).boundedTo(QSize(980, 540));
}

namespace {
// A page that scrolls when the window is made smaller than its controls.
QWidget *scrolledPage(QTabWidget *tabs, const QString &caption, const char *name)
{
    auto *scroll = new QScrollArea(tabs);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *page = new QWidget;
    page->setObjectName(QLatin1String(name));
    scroll->setWidget(page);
    tabs->addTab(scroll, caption);
    return page;
}
} // namespace

void TBasicSettingForm::createPage1()
{
    QWidget *page = scrolledPage(PageControl1, QStringLiteral("施設基本設定"), "TabSheet1");
    auto line = [&](const char *name, int maxBytes, TImeMode ime, const QString &caption) {
        auto *e = named(new QLineEdit(page), name);
        ApplyImeMode(e, ime);
        GuardTextEntry(e, caption, maxBytes);
        return e;
    };
    auto memo = [&](const char *name, int lines) {
        auto *m = named(new QPlainTextEdit(page), name);
        m->setTabChangesFocus(true);
        m->setLineWrapMode(QPlainTextEdit::NoWrap);
        ApplyImeMode(m, imHira);
        m->setFixedHeight(m->fontMetrics().lineSpacing() * lines + 10);
        return m;
    };
    auto amount = [&](const char *name, int digits) {
        auto *n = named(new TSaNumEdit(page), name);
        n->SetIntegerFixed(true);
        n->SetComma(false);
        // One digit more than the range holds, so that going past it is
        // answered with the range rather than a beep.
        n->SetIntegerLength(digits + 1);
        // Whole, non-negative amounts only: the record holds integers.
        n->SetDecimalLength(0);
        n->SetMinus(false);
        n->SetImeMode(imDisable);
        n->setFixedWidth(n->fontMetrics().horizontalAdvance(QStringLiteral("99999")) + 12);
        connect(n, &TSaNumEdit::OnChange, this, [this, n] { amountEdited(n); });
        // A refused key or paste (a sign, a point, a digit too many) says what the field takes.
        connect(n, &TSaNumEdit::Beeped, this, [this, n] { ShowMessage(this, kError, amountRangeMessage(n->objectName())); });
        return n;
    };
    auto choice = [&](const char *name, const QStringList &items) {
        auto *c = named(new QComboBox(page), name);
        c->addItems(items);
        return c;
    };

    SisetuName = memo("SisetuName", 5);
    ZipCode = named(new QLineEdit(page), "ZipCode");
    ZipCode->setInputMask(QStringLiteral("999-9999; "));
    ZipCode->setFixedWidth(ZipCode->fontMetrics().horizontalAdvance(QStringLiteral("999-99999")) + 16);
    ApplyImeMode(ZipCode, imDisable);
    ZipCode->installEventFilter(this);
    Jusyo = line("Jusyo", settinglimits::Jusyo, imHira, QStringLiteral("住所"));
    TelNo = line("TelNo", settinglimits::TelNo, imSAlpha, QStringLiteral("電話番号"));
    FaxNo = line("FaxNo", settinglimits::FaxNo, imSAlpha, QStringLiteral("FAX番号"));
    Daihyou = line("Daihyou", settinglimits::Daihyou, imHira, QStringLiteral("代表者名"));
    EMail = line("EMail", settinglimits::EMail, imDisable, QStringLiteral("E-Mail"));
    URL = line("URL", settinglimits::URL, imDisable, QStringLiteral("URL"));
    CommentS = memo("CommentS", 4);
    CommentR = memo("CommentR", 4);
    Service = amount("Service", 2);
    ServiceKubun = choice("ServiceKubun", KubunChoices);
    TaxKubun = choice("TaxKubun", TaxChoices);
    Nyutouzei = amount("Nyutouzei", 4);
    DayNyutouzei = amount("DayNyutouzei", 4);
    Nyutou_Kubun = choice("Nyutou_Kubun", KubunChoices);
    Tadashi = line("Tadashi", settinglimits::Tadashi, imHira, QStringLiteral("領収書但書"));

    auto *group = named(new QGroupBox(QStringLiteral("Norvelオンライン予約システム設定"), page), "GroupBox1");
    const QString idHint = QStringLiteral("Norvelオンライン予約システムのログインIDを設定してください");
    IDCode = line("IDCode", settinglimits::IDCode, imDisable, QStringLiteral("ログインID"));
    IDCode->setToolTip(idHint);
    Passwd = line("Passwd", settinglimits::Passwd, imDisable, QStringLiteral("パスワード"));
    Passwd->setToolTip(QStringLiteral("Norvelオンライン予約システムのパスワードを設定してください"));
    Passwd->setEchoMode(QLineEdit::Password);
    Acount = line("Acount", settinglimits::Acount, imDisable, QStringLiteral("アカウント"));
    Acount->setToolTip(idHint);
    Domain = choice("Domain", PresetDomains);
    Domain->setEditable(true);
    Domain->setInsertPolicy(QComboBox::NoInsert);
    ApplyImeMode(Domain, imDisable);
    GuardTextEntry(Domain->lineEdit(), QStringLiteral("ドメイン"), settinglimits::Domain);
    auto *g = new QGridLayout(group);
    g->addWidget(captionCell(QStringLiteral("ログインID"), group), 0, 0);
    g->addWidget(IDCode, 0, 1);
    g->addWidget(captionCell(QStringLiteral("パスワード"), group), 1, 0);
    g->addWidget(Passwd, 1, 1);
    g->addWidget(captionCell(QStringLiteral("アカウント"), group), 2, 0);
    g->addWidget(Acount, 2, 1);
    g->addWidget(captionCell(QStringLiteral("ドメイン"), group), 3, 0);
    g->addWidget(Domain, 3, 1);

    auto *left = new QGridLayout;
    int row = 0;
    auto addRow = [&](QGridLayout *grid, int &r, const QString &caption, QWidget *w) {
        grid->addWidget(captionCell(caption, page), r, 0, Qt::AlignTop);
        grid->addWidget(w, r++, 1);
    };
    addRow(left, row, QStringLiteral("施設名"), SisetuName);
    {
        auto *zip = new QHBoxLayout;
        zip->addWidget(ZipCode);
        zip->addStretch();
        left->addWidget(captionCell(QStringLiteral("郵便No"), page), row, 0);
        left->addLayout(zip, row++, 1);
    }
    addRow(left, row, QStringLiteral("住所"), Jusyo);
    addRow(left, row, QStringLiteral("電話番号"), TelNo);
    addRow(left, row, QStringLiteral("FAX番号"), FaxNo);
    addRow(left, row, QStringLiteral("代表者名"), Daihyou);
    addRow(left, row, QStringLiteral("E-Mail"), EMail);
    addRow(left, row, QStringLiteral("URL"), URL);
    left->addWidget(group, row++, 0, 1, 2);
    left->setRowStretch(row, 1);

    auto *right = new QGridLayout;
    row = 0;
    addRow(right, row, QStringLiteral("請求書の\nコメント"), CommentS);
    addRow(right, row, QStringLiteral("領収書の\nコメント"), CommentR);
    {
        auto *h = new QHBoxLayout;
        h->addWidget(Service);
        h->addWidget(new QLabel(QStringLiteral("％"), page));
        h->addWidget(ServiceKubun);
        h->addStretch();
        right->addWidget(captionCell(QStringLiteral("サービス料"), page), row, 0);
        right->addLayout(h, row++, 1);
    }
    {
        auto *h = new QHBoxLayout;
        h->addWidget(TaxKubun);
        h->addStretch();
        right->addWidget(captionCell(QStringLiteral("税区分"), page), row, 0);
        right->addLayout(h, row++, 1);
    }
    {
        auto *h = new QHBoxLayout;
        h->addWidget(new QLabel(QStringLiteral("宿泊"), page));
        h->addWidget(Nyutouzei);
        h->addWidget(new QLabel(QStringLiteral("円　日帰り"), page));
        h->addWidget(DayNyutouzei);
        h->addWidget(new QLabel(QStringLiteral("円"), page));
        h->addWidget(Nyutou_Kubun);
        h->addStretch();
        right->addWidget(captionCell(QStringLiteral("入湯税"), page), row, 0);
        right->addLayout(h, row++, 1);
    }
    addRow(right, row, QStringLiteral("領収書但書"), Tadashi);
    right->setRowStretch(row, 1);

    auto *columns = new QHBoxLayout(page);
    columns->addLayout(left, 1);
    columns->addSpacing(12);
    columns->addLayout(right, 1);
}

void TBasicSettingForm::createPage2()
{
    QWidget *page = scrolledPage(PageControl1, QStringLiteral("ロゴマーク"), "TabSheet2");
    LogoImage = named(new QLabel(page), "LogoImage");
    LogoImage->setToolTip(QStringLiteral("ここに表示されている画像をロゴマークにできます"));
    LogoImage->setFrameShape(QFrame::Box);
    LogoImage->setAlignment(Qt::AlignCenter);
    LogoImage->setFixedSize(232 + 8, 160 + 8);
    LogoImage->setStyleSheet(QStringLiteral("QLabel { background: white; }"));
    BitBtn1 = named(new QPushButton(QStringLiteral("画像選択"), page), "BitBtn1");
    Button5 = named(new QPushButton(QStringLiteral("ロゴ削除"), page), "Button5");
    connect(BitBtn1, &QPushButton::clicked, this, &TBasicSettingForm::BitBtn1Click);
    connect(Button5, &QPushButton::clicked, this, &TBasicSettingForm::Button5Click);
    auto *info = named(new QLabel(QStringLiteral("ロゴマークは\n高さ160×横232\n高さ100×横232\n"
                                                 "のいずれかのサイズで作成してください。\n"
                                                 "JPEGもしくはビットマップが使用できます。\n\n"
                                                 "選んだ画像はすぐにロゴマークになり、\n"
                                                 "請求書・領収書に印刷されます。"),
                                  page),
                       "Label20");
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addWidget(Button5);
    buttons->addStretch();
    auto *layout = new QHBoxLayout;
    layout->addWidget(LogoImage, 0, Qt::AlignTop);
    layout->addLayout(buttons);
    layout->addSpacing(16);
    layout->addWidget(info, 0, Qt::AlignTop);
    layout->addStretch();
    auto *outer = new QVBoxLayout(page);
    outer->addLayout(layout);
    outer->addStretch();
}

void TBasicSettingForm::createPage3()
{
    QWidget *page = scrolledPage(PageControl1, QStringLiteral("印刷設定"), "TabSheet3");

    auto *paper = named(new QGroupBox(QStringLiteral("出力用紙のファイリングの向きを選択してください"), page),
                        "GroupBox2");
    TojiRadioGroup = named(new TRadioGroup(TojiChoices, paper), "TojiRadioGroup");
    PaperRadioGroup = named(new TRadioGroup(PaperChoices, paper), "PaperRadioGroup");
    FontRadioGroup = named(new TRadioGroup(FontSizeChoices, paper), "FontRadioGroup");
    auto *pg = new QGridLayout(paper);
    pg->addWidget(captionCell(QStringLiteral("閉じ方"), paper), 0, 0);
    pg->addWidget(TojiRadioGroup, 0, 1);
    pg->addWidget(captionCell(QStringLiteral("基本出力用紙サイズ"), paper), 1, 0);
    pg->addWidget(PaperRadioGroup, 1, 1);
    pg->addWidget(captionCell(QStringLiteral("出力文字サイズ"), paper), 2, 0);
    pg->addWidget(FontRadioGroup, 2, 1);

    auto *colours = named(new QGroupBox(QStringLiteral("印刷時のカラー項目を設定します"), page), "GroupBox3");
    auto *cg = new QGridLayout(colours);
    const QStringList colourCaptions = {QStringLiteral("領収(請求)金額の背景色"), QStringLiteral("明細見出し行の背景色"),
                                        QStringLiteral("ご利用額合計の背景色"), QStringLiteral("線の色")};
    for (int i = 0; i < 4; ++i) {
        auto *e = new QLineEdit(colours);
        e->setObjectName(QStringLiteral("ColorEdit%1").arg(i + 1));
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("999999999")) + 16);
        ApplyImeMode(e, imDisable);
        ColorEdit[size_t(i)] = e;
        // The colour itself beside its number; the number stays black on white.
        auto *swatch = new QFrame(colours);
        swatch->setObjectName(QStringLiteral("ColorSwatch%1").arg(i + 1));
        swatch->setFrameShape(QFrame::Box);
        swatch->setFixedSize(e->sizeHint().height() * 2, e->sizeHint().height());
        swatch->setAutoFillBackground(true);
        ColorSwatch[size_t(i)] = swatch;
        auto *b = new QPushButton(QStringLiteral("選択"), colours);
        b->setObjectName(QStringLiteral("Button%1").arg(i + 1));
        const int n = i + 1;
        connect(b, &QPushButton::clicked, this, [this, n] { ColourButtonClick(n); });
        connect(e, &QLineEdit::textEdited, this, [this, n] { colourEdited(n); });
        // Colours 2 to 4 are checked as they change, colour 1 when left.
        if (n > 1)
            connect(e, &QLineEdit::textChanged, this, [this, n] { checkColour(n); });
        else
            e->installEventFilter(this);
        cg->addWidget(captionCell(colourCaptions[i], colours), i, 0);
        cg->addWidget(e, i, 1);
        cg->addWidget(swatch, i, 2);
        cg->addWidget(b, i, 3);
    }
    cg->setColumnStretch(4, 1);

    auto *fonts = named(new QGroupBox(QStringLiteral("印刷時のフォントを設定します"), page), "GroupBox4");
    auto *fg = new QGridLayout(fonts);
    const QStringList fontCaptions = {QStringLiteral("見出し･名義のフォント"), QStringLiteral("明細行のフォント"),
                                      QStringLiteral("合計行のフォント")};
    for (int i = 0; i < 3; ++i) {
        auto *e = new QLineEdit(fonts);
        e->setObjectName(QStringLiteral("FontEdit%1").arg(i + 1));
        ApplyImeMode(e, imDisable);
        GuardTextEntry(e, fontCaptions[i], int(sizeof(TBaseData::FontName1)) - 1);
        FontEdit[size_t(i)] = e;
        auto *b = new QPushButton(QStringLiteral("選択"), fonts);
        b->setObjectName(QStringLiteral("Button%1").arg(i + 6));
        const int n = i + 1;
        connect(b, &QPushButton::clicked, this, [this, n] { FontButtonClick(n); });
        // The colour of the same row is checked again with the font, as it always was.
        if (n == 1)
            e->installEventFilter(this);
        else
            connect(e, &QLineEdit::textChanged, this, [this, n] { checkColour(n); });
        connect(e, &QLineEdit::textEdited, this, [e](const QString &t) {
            QFont f = e->font();
            f.setFamily(t);
            e->setFont(f);
        });
        fg->addWidget(captionCell(fontCaptions[i], fonts), i, 0);
        fg->addWidget(e, i, 1);
        fg->addWidget(b, i, 2);
    }
    fg->setColumnStretch(1, 1);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(paper);
    layout->addWidget(colours);
    layout->addWidget(fonts);
    layout->addStretch();
}

void TBasicSettingForm::fillControls()
{
    const BasicSettingValues v = basicSettingValues(Desk.data().BaseData);
    SisetuName->setPlainText(v.SisetuName);
    ZipCode->setText(v.ZipCode);
    Jusyo->setText(v.Jusyo);
    TelNo->setText(v.TelNo);
    FaxNo->setText(v.FaxNo);
    Daihyou->setText(v.Daihyou);
    EMail->setText(v.EMail);
    URL->setText(v.URL);
    CommentS->setPlainText(v.CommentS);
    CommentR->setPlainText(v.CommentR);
    Service->SetText(v.Service);
    Nyutouzei->SetText(v.Nyutouzei);
    DayNyutouzei->SetText(v.DayNyutouzei);
    for (TSaNumEdit *n : {Service, Nyutouzei, DayNyutouzei})
        AcceptedAmount[n] = n->Text();
    ServiceKubun->setCurrentIndex(v.ServiceKubun);
    TaxKubun->setCurrentIndex(v.TaxKubun);
    Nyutou_Kubun->setCurrentIndex(v.Nyutou_Kubun);
    Tadashi->setText(v.Tadashi);
    IDCode->setText(v.IDCode);
    Passwd->setText(v.Passwd);
    Acount->setText(v.Acount);
    Domain->setCurrentIndex(int(PresetDomains.indexOf(v.Domain)));
    Domain->setEditText(v.Domain);
    TojiRadioGroup->SetItemIndex(v.TojiKubun);
    PaperRadioGroup->SetItemIndex(v.PaperKubun);
    FontRadioGroup->SetItemIndex(v.FontKubun);
    Checking = true;
    for (int i = 0; i < 4; ++i) {
        ColorEdit[size_t(i)]->setText(v.Color[size_t(i)]);
        AcceptedColour[size_t(i)] = v.Color[size_t(i)];
        paintColour(i + 1);
    }
    for (int i = 0; i < 3; ++i) {
        FontEdit[size_t(i)]->setText(v.FontName[size_t(i)]);
        QFont f = FontEdit[size_t(i)]->font();
        if (!v.FontName[size_t(i)].isEmpty())
            f.setFamily(v.FontName[size_t(i)]);
        FontEdit[size_t(i)]->setFont(f);
    }
    Checking = false;
}

BasicSettingValues TBasicSettingForm::values() const
{
    BasicSettingValues v;
    v.SisetuName = SisetuName->toPlainText();
    v.ZipCode = ZipCode->displayText();
    v.Jusyo = Jusyo->text();
    v.TelNo = TelNo->text();
    v.FaxNo = FaxNo->text();
    v.Daihyou = Daihyou->text();
    v.EMail = EMail->text();
    v.URL = URL->text();
    v.CommentS = CommentS->toPlainText();
    v.CommentR = CommentR->toPlainText();
    v.Service = Service->GetText();
    v.Nyutouzei = Nyutouzei->GetText();
    v.DayNyutouzei = DayNyutouzei->GetText();
    v.ServiceKubun = ServiceKubun->currentIndex();
    v.TaxKubun = TaxKubun->currentIndex();
    v.Nyutou_Kubun = Nyutou_Kubun->currentIndex();
    v.Tadashi = Tadashi->text();
    v.IDCode = IDCode->text();
    v.Passwd = Passwd->text();
    v.Acount = Acount->text();
    v.Domain = Domain->currentText();
    v.TojiKubun = TojiRadioGroup->ItemIndex();
    v.PaperKubun = PaperRadioGroup->ItemIndex();
    v.FontKubun = FontRadioGroup->ItemIndex();
    for (int i = 0; i < 4; ++i)
        v.Color[size_t(i)] = ColorEdit[size_t(i)]->text();
    for (int i = 0; i < 3; ++i)
        v.FontName[size_t(i)] = FontEdit[size_t(i)]->text();
    return v;
}

void TBasicSettingForm::showLogo()
{
    const QString path = Desk.data().filePath("logo.bmp");
    QImage image;
    if (QFileInfo::exists(path))
        image = QImageReader(path).read();
    if (image.isNull()) {
        LogoImage->clear();
        return;
    }
    QPixmap pm = QPixmap::fromImage(image);
    const QSize room = LogoImage->contentsRect().size();
    if (pm.width() > room.width() || pm.height() > room.height())
        pm = pm.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    LogoImage->setPixmap(pm);
}

void TBasicSettingForm::BitBtn1Click()
{
    // The dialog starts where the last picture was chosen.
    const QString folder = filefolders::startFolder(QStringLiteral("Logo"), QDir::homePath());
    const QString file = LogoFileDialog ? LogoFileDialog(this, folder) : QString();
    if (file.isEmpty())
        return;
    filefolders::remember(QStringLiteral("Logo"), file);
    const QString error = storeLogo(file, Desk.data().filePath("logo.bmp"));
    if (!error.isEmpty())
        ShowMessage(this, kError, error);
    showLogo();
}

void TBasicSettingForm::Button5Click()
{
    const QString path = Desk.data().filePath("logo.bmp");
    if (!QFileInfo::exists(path)) {
        ShowMessage(this, kNotice, QStringLiteral("ロゴ画像は設定されていません"));
        return;
    }
    if (ShowMessage(this, kNotice, QStringLiteral("ロゴ画像を削除します　よろしいですか？"),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    const QString error = removeLogo(path);
    if (!error.isEmpty())
        ShowMessage(this, kError, error);
    showLogo();
}

void TBasicSettingForm::ColourButtonClick(int n)
{
    QColor chosen;
    if (n < 1 || n > 4 || !ColourDialog || !ColourDialog(this, LastColour, &chosen))
        return;
    LastColour = chosen;
    const QColor rgb = chosen.toRgb();
    ColorEdit[size_t(n - 1)]->setText(QString::number(colourOf(rgb.red(), rgb.green(), rgb.blue())));
    // Colour 1 is otherwise checked only when it is left.
    if (n == 1)
        checkColour(1);
    paintColour(n);
}

void TBasicSettingForm::FontButtonClick(int n)
{
    QFont chosen;
    if (n < 1 || n > 3 || !FontDialog || !FontDialog(this, FontEdit[size_t(n - 1)]->font(), &chosen))
        return;
    const QString face = chosen.family();
    if (const QString error = textentry::entryError(QStringLiteral("フォント名"), face,
                                                    int(sizeof(TBaseData::FontName1)) - 1);
        !error.isEmpty()) {
        ShowMessage(this, kError, error);
        return;
    }
    setFontEdit(n, chosen);
}

void TBasicSettingForm::setFontEdit(int n, const QFont &font)
{
    QLineEdit *e = FontEdit[size_t(n - 1)];
    e->setFont(font);
    e->setText(font.family());
}

void TBasicSettingForm::colourEdited(int n)
{
    QLineEdit *e = ColorEdit[size_t(n - 1)];
    const QString error = colourRefusal(e->text());
    if (error.isEmpty()) {
        paintColour(n);
        return;
    }
    Checking = true;
    e->setText(AcceptedColour[size_t(n - 1)]);
    Checking = false;
    ShowMessage(this, kError, error);
}

void TBasicSettingForm::amountEdited(TSaNumEdit *edit)
{
    QString &accepted = AcceptedAmount[edit];
    const QString error = amountRefusal(edit->objectName(), edit->Text());
    if (error.isEmpty()) {
        accepted = edit->Text();
        return;
    }
    edit->SetText(accepted);
    ShowMessage(this, kError, error);
}

void TBasicSettingForm::checkColour(int n)
{
    if (Checking || n < 1 || n > 4)
        return;
    QLineEdit *e = ColorEdit[size_t(n - 1)];
    if (!colourRefusal(e->text()).isEmpty())
        return; // refused as it was typed
    const QString checked = checkedColourText(n, e->text());
    Checking = true;
    if (checked != e->text())
        e->setText(checked);
    Checking = false;
    AcceptedColour[size_t(n - 1)] = checked;
    paintColour(n);
}

void TBasicSettingForm::paintColour(int n)
{
    QFrame *swatch = ColorSwatch[size_t(n - 1)];
    uint32_t c = 0;
    // A text that is no colour (yet) shows an empty swatch.
    const bool valid = readColour(ColorEdit[size_t(n - 1)]->text(), &c);
    QPalette pal = QApplication::palette(swatch);
    pal.setColor(QPalette::Window, valid ? QColor(redOf(c), greenOf(c), blueOf(c)) : pal.color(QPalette::Window));
    swatch->setPalette(pal);
    swatch->setToolTip(valid ? QColor(redOf(c), greenOf(c), blueOf(c)).name() : QString());
}

bool TBasicSettingForm::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(e);
        auto *w = qobject_cast<QWidget *>(watched);
        const auto mods = k->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (w && (w == this || isAncestorOf(w)) && k->key() == HiddenKey && mods == HiddenKeyModifiers) {
            Desk.data().ShowHidden = !Desk.data().ShowHidden;
            return true;
        }
    } else if (e->type() == QEvent::FocusIn && watched == ZipCode && ZipCode->text() == QLatin1String("-")) {
        // An empty postal code is typed from its first digit, wherever the caret was.
        QTimer::singleShot(0, ZipCode, [z = ZipCode] { z->setCursorPosition(0); });
    } else if (e->type() == QEvent::FocusOut) {
        if (watched == ColorEdit[0] || watched == FontEdit[0])
            checkColour(1);
    }
    return QWidget::eventFilter(watched, e);
}

namespace {
bool baseDataStored(const AppData &data)
{
    QFile f(data.filePath("base.dat"));
    return f.open(QIODevice::ReadOnly)
        && f.readAll() == QByteArray(reinterpret_cast<const char *>(&data.BaseData), sizeof data.BaseData);
}
} // namespace

void TBasicSettingForm::closeEvent(QCloseEvent *e)
{
    AppData &data = Desk.data();
    // All of the record or none of it: a value that cannot be stored keeps the window open.
    TBaseData base = data.BaseData;
    const QString refusal = rebuildBaseData(values(), base);
    if (!refusal.isEmpty()) {
        ShowMessage(this, kError, refusal);
        e->ignore();
        return;
    }
    TMoneySettings money = data.Money;
    if (!readTaxPage(money)) {
        e->ignore();
        return;
    }
    if (const QString problem = LodgingPage->read(&money.Lodging); !problem.isEmpty()) {
        PageControl1->setCurrentIndex(PageControl1->count() - 1);
        ShowMessage(this, kError, problem);
        e->ignore();
        return;
    }
    // A changed amount applies from a date the user names (today unless told
    // otherwise): bills and months before it keep the amount of their time.
    const QDate today = Clock::now().date();
    static const char *const names[] = {"サービス料", "入湯税(宿泊)", "入湯税(日帰り)"};
    static const char *const units[] = {"%", "円", "円"};
    for (int k = 0; k < MoneySettingKinds; ++k) {
        const MoneySetting kind = MoneySetting(k);
        const int before = money.amountAt(kind, today, data.BaseData);
        const int after = TMoneySettings::baseValue(kind, base);
        if (before == after)
            continue;
        QDate from = today;
        const QString what = QStringLiteral("%1 %2%4 → %3%4")
                                 .arg(QString::fromUtf8(names[k]))
                                 .arg(before)
                                 .arg(after)
                                 .arg(QString::fromUtf8(units[k]));
        if (!FromDateDialog(this, what, &from) || !from.isValid()) {
            e->ignore();
            return;
        }
        money.setAmountFrom(kind, from, after, data.BaseData);
    }
    money.applyToday(base, today);
    data.BaseData = base;
    data.Money = money;
    {
        IniFile ini(data.iniPath());
        writeMoneySettings(ini, money);
        QString iniError;
        if (!ini.save(&iniError))
            ShowMessage(this, kError,
                        iniError + QStringLiteral("\n\n消費税率と日付付きの設定はこのまま使われます。"
                                                  "次にこの画面を閉じるときに、もう一度保存します。"));
    }
    fillTaxPage();
    LodgingPage->fill(money.Lodging);
    QString error;
    // base.dat holding these settings already: no save, and no backup generation for nothing.
    if (!baseDataStored(data) && !saveBaseData(data, Desk.library(), &error))
        ShowMessage(this, kError,
                    error + QStringLiteral("\n\n設定はこのまま使われます。"
                                           "次にこの画面を閉じるときに、もう一度保存します。"));
    saveRegisterPage();
    SaveFormPlacement(Desk.library(), this, data.iniPath());
    qApp->removeEventFilter(this);
    e->accept();
}

// --- the consumption-tax page ---------------------------------------------------------

std::function<bool(QWidget *, const QString &, QDate *)> TBasicSettingForm::FromDateDialog =
    [](QWidget *parent, const QString &what, QDate *from) {
        QDialog d(parent);
        d.setWindowTitle(QStringLiteral("適用開始日"));
        auto *layout = new QVBoxLayout(&d);
        layout->addWidget(new QLabel(QStringLiteral("%1\nこの変更をいつから適用しますか。\n"
                                                    "その前の日付の伝票と月次帳票は、変更前の値のままです。")
                                         .arg(what),
                                     &d));
        auto *date = new QDateEdit(*from, &d);
        date->setObjectName(QStringLiteral("FromDate"));
        date->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        date->setCalendarPopup(true);
        ApplyImeMode(date, imDisable);
        layout->addWidget(date);
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
        layout->addWidget(buttons);
        if (d.exec() != QDialog::Accepted)
            return false;
        *from = date->date();
        return true;
    };

void TBasicSettingForm::createTaxPage()
{
    QWidget *page = scrolledPage(PageControl1, QStringLiteral("消費税・登録番号"), "TabSheet4");
    auto *layout = new QVBoxLayout(page);

    auto *rates = named(new QGroupBox(QStringLiteral("消費税率（伝票は清算日の税率で計算します）"), page), "TaxGroup");
    auto *r = new QVBoxLayout(rates);
    TaxTable = named(new QTableWidget(0, 3, rates), "TaxTable");
    TaxTable->setHorizontalHeaderLabels(
        {QStringLiteral("適用開始日"), QStringLiteral("標準税率(%)"), QStringLiteral("軽減税率(%)")});
    TaxTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    TaxTable->verticalHeader()->setVisible(false);
    ApplyImeModeToCells(TaxTable, imDisable); // dates and rates
    TaxTable->setMinimumHeight(TaxTable->fontMetrics().height() * 7);
    r->addWidget(TaxTable);
    auto *buttons = new QHBoxLayout;
    auto *add = named(new QPushButton(QStringLiteral("行を追加"), rates), "TaxAdd");
    auto *remove = named(new QPushButton(QStringLiteral("行を削除"), rates), "TaxDelete");
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    r->addLayout(buttons);
    connect(add, &QPushButton::clicked, this, [this] {
        const int row = TaxTable->rowCount();
        TaxTable->insertRow(row);
        TaxTable->setItem(row, 0, new QTableWidgetItem(moneyDateText(Clock::now().date())));
        TaxTable->setItem(row, 1, new QTableWidgetItem(QStringLiteral("10")));
        TaxTable->setItem(row, 2, new QTableWidgetItem(QStringLiteral("8")));
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (TaxTable->currentRow() >= 0)
            TaxTable->removeRow(TaxTable->currentRow());
    });
    auto *fixed = new QHBoxLayout;
    FixedTax = named(new QCheckBox(QStringLiteral("税率を固定する"), rates), "FixedTax");
    FixedRate = named(new QSpinBox(rates), "FixedRate");
    FixedRate->setRange(0, 100);
    FixedRate->setSuffix(QStringLiteral("%"));
    ApplyImeMode(FixedRate, imDisable);
    fixed->addWidget(FixedTax);
    fixed->addWidget(FixedRate);
    fixed->addWidget(new QLabel(QStringLiteral("（日付によらず、すべての品目をこの税率で計算します）"), rates));
    fixed->addStretch();
    r->addLayout(fixed);
    connect(FixedTax, &QCheckBox::toggled, this, [this](bool on) {
        FixedRate->setEnabled(on);
        TaxTable->setEnabled(!on);
    });
    layout->addWidget(rates);

    auto *invoice = named(new QGroupBox(QStringLiteral("適格請求書発行事業者の登録番号"), page), "InvoiceGroup");
    auto *g = new QHBoxLayout(invoice);
    RegistrationNo = named(new QLineEdit(invoice), "RegistrationNo");
    // Only "T" and digits can be typed; the length and the check digit are checked on closing.
    RegistrationNo->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("T?[0-9]{0,13}")), RegistrationNo));
    RegistrationNo->setPlaceholderText(QStringLiteral("T1234567890123"));
    RegistrationNo->setFixedWidth(RegistrationNo->fontMetrics().horizontalAdvance(QStringLiteral("T00000000000000")) + 16);
    ApplyImeMode(RegistrationNo, imDisable);
    g->addWidget(RegistrationNo);
    g->addWidget(new QLabel(QStringLiteral("（設定すると領収書に登録番号と税率ごとの金額を印刷します）"), invoice));
    g->addStretch();
    layout->addWidget(invoice);

    auto *dated = named(new QGroupBox(QStringLiteral("日付付きの設定（施設基本設定で変更すると適用開始日を尋ねます）"), page),
                        "DatedGroup");
    auto *d = new QVBoxLayout(dated);
    DatedSettings = named(new QLabel(dated), "DatedSettings");
    DatedSettings->setTextInteractionFlags(Qt::TextSelectableByMouse);
    d->addWidget(DatedSettings);
    layout->addWidget(dated);
    layout->addStretch();
}

void TBasicSettingForm::createLodgingPage()
{
    QWidget *page = scrolledPage(PageControl1, QStringLiteral("宿泊税"), "TabSheet5");
    auto *layout = new QVBoxLayout(page);
    LodgingPage = new TLodgingTaxPage(page);
    layout->addWidget(LodgingPage);
}

namespace {
// The extra fields in the order of their check boxes.
constexpr bool RegisterFields::*RegisterFieldFlags[] = {&RegisterFields::age, &RegisterFields::sex,
                                                        &RegisterFields::previousStay, &RegisterFields::nextStay,
                                                        &RegisterFields::arrivalTimes};
} // namespace

void TBasicSettingForm::createRegisterPage()
{
    QWidget *page = scrolledPage(PageControl1, QStringLiteral("宿泊者名簿"), "TabSheet6");
    const RegisterSettings settings = readRegisterSettings(Desk.data().iniPath());
    auto *fields = named(new QGroupBox(QStringLiteral("都道府県の条例で記入する項目（氏名・住所・連絡先、国外在住の方の国籍・旅券番号のほかに）"), page),
                         "RegisterFieldsGroup");
    auto *fieldLayout = new QVBoxLayout(fields);
    static const char *const captions[] = {"年齢", "性別", "前泊地", "行先地", "到着日時・出発日時"};
    static const char *const names[] = {"RegisterAge", "RegisterSex", "RegisterPreviousStay", "RegisterNextStay",
                                        "RegisterArrivalTimes"};
    for (size_t i = 0; i < RegisterFieldChecks.size(); ++i) {
        RegisterFieldChecks[i] = named(new QCheckBox(QString::fromUtf8(captions[i]), fields), names[i]);
        RegisterFieldChecks[i]->setChecked(settings.fields.*RegisterFieldFlags[i]);
        fieldLayout->addWidget(RegisterFieldChecks[i]);
    }
    LockMinutesSpin = named(new QSpinBox(page), "LockMinutesSpin");
    LockMinutesSpin->setRange(1, 24 * 60);
    LockMinutesSpin->setSuffix(QStringLiteral(" 分"));
    LockMinutesSpin->setValue(settings.lockMinutes);
    ApplyImeMode(LockMinutesSpin, imDisable);
    RetentionYearsSpin = named(new QSpinBox(page), "RetentionYearsSpin");
    RetentionYearsSpin->setRange(RegisterSettings::MinRetentionYears, 100);
    RetentionYearsSpin->setSuffix(QStringLiteral(" 年"));
    RetentionYearsSpin->setValue(settings.retentionYears);
    ApplyImeMode(RetentionYearsSpin, imDisable);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("操作がないとき名簿に鍵をかけるまで:"), LockMinutesSpin);
    form->addRow(QStringLiteral("名簿の保存期間（作成から、3年以上）:"), RetentionYearsSpin);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(fields);
    layout->addLayout(form);
    layout->addStretch();
}

bool TBasicSettingForm::saveRegisterPage()
{
    const QString ini = Desk.data().iniPath();
    RegisterSettings settings = readRegisterSettings(ini);
    RegisterSettings chosen = settings;
    for (size_t i = 0; i < RegisterFieldChecks.size(); ++i)
        chosen.fields.*RegisterFieldFlags[i] = RegisterFieldChecks[i]->isChecked();
    chosen.lockMinutes = LockMinutesSpin->value();
    chosen.retentionYears = RetentionYearsSpin->value();
    const auto same = [](const RegisterSettings &a, const RegisterSettings &b) {
        for (bool RegisterFields::*flag : RegisterFieldFlags)
            if (a.fields.*flag != b.fields.*flag)
                return false;
        return a.lockMinutes == b.lockMinutes && a.retentionYears == b.retentionYears;
    };
    if (same(settings, chosen))
        return true;
    QString error;
    if (writeRegisterSettings(ini, chosen, &error))
        return true;
    ShowMessage(this, kError, error + QStringLiteral("\n\n宿泊者名簿の設定は保存されていません。"));
    return false;
}

void TBasicSettingForm::fillTaxPage()
{
    const AppData &data = Desk.data();
    const TMoneySettings &money = data.Money;
    TaxTable->setRowCount(0);
    for (const TTaxPeriod &p : money.TaxRates) {
        const int row = TaxTable->rowCount();
        TaxTable->insertRow(row);
        TaxTable->setItem(row, 0, new QTableWidgetItem(moneyDateText(p.From)));
        TaxTable->setItem(row, 1, new QTableWidgetItem(QString::number(p.Standard)));
        TaxTable->setItem(row, 2, new QTableWidgetItem(p.Reduced > 0 ? QString::number(p.Reduced) : QString()));
    }
    FixedTax->setChecked(money.FixedTax);
    FixedRate->setValue(money.FixedRate);
    FixedRate->setEnabled(money.FixedTax);
    TaxTable->setEnabled(!money.FixedTax);
    RegistrationNo->setText(money.RegistrationNo);

    static const char *const names[] = {"サービス料", "入湯税(宿泊)", "入湯税(日帰り)"};
    static const char *const units[] = {"%", "円", "円"};
    QStringList lines;
    for (int k = 0; k < MoneySettingKinds; ++k) {
        QStringList periods;
        for (const TAmountPeriod &p : money.Amounts[size_t(k)])
            periods << QStringLiteral("%1%2（%3）")
                           .arg(p.Value)
                           .arg(QString::fromUtf8(units[k]))
                           .arg(p.From.isValid() ? moneyDateText(p.From) + QStringLiteral("から")
                                                 : QStringLiteral("当初から"));
        if (periods.isEmpty())
            periods << QStringLiteral("%1%2（変更なし）")
                           .arg(TMoneySettings::baseValue(MoneySetting(k), data.BaseData))
                           .arg(QString::fromUtf8(units[k]));
        lines << QString::fromUtf8(names[k]) + QStringLiteral("：") + periods.join(QStringLiteral(" → "));
    }
    DatedSettings->setText(lines.join(QLatin1Char('\n')));
}

bool TBasicSettingForm::readTaxPage(TMoneySettings &money)
{
    std::vector<TTaxPeriod> rates;
    for (int row = 0; row < TaxTable->rowCount(); ++row) {
        const auto text = [&](int col) { return TaxTable->item(row, col) ? TaxTable->item(row, col)->text().trimmed() : QString(); };
        TTaxPeriod p;
        p.From = moneyDate(text(0));
        bool standardOk = false, reducedOk = true;
        p.Standard = text(1).toInt(&standardOk);
        if (!text(2).isEmpty())
            p.Reduced = text(2).toInt(&reducedOk);
        if (!standardOk || !reducedOk) {
            PageControl1->setCurrentIndex(3);
            ShowMessage(this, kError, QStringLiteral("消費税率の%1行目の税率は0から100までの整数で入力してください").arg(row + 1));
            return false;
        }
        rates.push_back(p);
    }
    if (const QString problem = checkTaxRates(rates); !problem.isEmpty()) {
        PageControl1->setCurrentIndex(3);
        ShowMessage(this, kError, problem + QStringLiteral("\n（日付は yyyy/mm/dd の形で入力してください）"));
        return false;
    }
    const QString reg = RegistrationNo->text().trimmed();
    switch (reg.isEmpty() ? RegistrationCheck::Valid : checkRegistrationNo(reg)) {
    case RegistrationCheck::Malformed:
        PageControl1->setCurrentIndex(3);
        RegistrationNo->setFocus();
        ShowMessage(this, kError, QStringLiteral("登録番号は「T」と13桁の数字で入力してください"));
        return false;
    case RegistrationCheck::BadCheckDigit:
        // A sole trader's number need not follow the corporate-number scheme: the user decides.
        if (ShowMessage(this, QStringLiteral("確認"),
                        QStringLiteral("登録番号 %1 の先頭の数字は、法人番号の検査用数字と一致しません。\n"
                                       "個人事業者の登録番号ならこのままで構いません。このまま登録しますか。")
                            .arg(reg),
                        QMessageBox::Yes | QMessageBox::No)
            != QMessageBox::Yes) {
            PageControl1->setCurrentIndex(3);
            RegistrationNo->setFocus();
            return false;
        }
        break;
    case RegistrationCheck::Valid:
        break;
    }
    money.TaxRates = rates;
    money.FixedTax = FixedTax->isChecked();
    money.FixedRate = FixedRate->value();
    money.RegistrationNo = reg;
    return true;
}
