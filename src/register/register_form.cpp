#include "register/register_form.h"

#include "controls/country_combo.h"
#include "controls/ime_mode.h"
#include "controls/passport_image_view.h"
#include "printing/register_documents.h"
#include "register/register_csv.h"
#include "register/register_settings.h"
#include "register/register_unlock_form.h"
#include "shell/front_desk.h"
#include "shell/message_box.h"
#include "shell/register_session.h"
#include "storage/clock.h"
#include "storage/cp932.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString Title = QStringLiteral("宿泊者名簿");
const QString DateFormat = QStringLiteral("yyyy/MM/dd");
const QString TimeFormat = QStringLiteral("yyyy/MM/dd HH:mm");

enum GuestColumn { ColNo, ColName, ColKind, ColState, GuestColumns };

template <class T> T *named(T *w, const char *name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

QLineEdit *lineEdit(QWidget *parent, const char *name, TImeMode ime)
{
    auto *e = named(new QLineEdit(parent), name);
    ApplyImeMode(e, ime);
    return e;
}

QDateTimeEdit *timeEdit(QWidget *parent, const char *name)
{
    auto *e = named(new QDateTimeEdit(parent), name);
    e->setDisplayFormat(TimeFormat);
    e->setCalendarPopup(true);
    // The lowest value stands for none: an empty time is allowed.
    e->setMinimumDateTime(QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
    e->setSpecialValueText(QStringLiteral("（未記入）"));
    ApplyImeMode(e, imDisable);
    return e;
}

QDateEdit *dateEdit(QWidget *parent, const char *name, const QDate &date)
{
    auto *e = named(new QDateEdit(date, parent), name);
    e->setDisplayFormat(DateFormat);
    e->setCalendarPopup(true);
    ApplyImeMode(e, imDisable);
    return e;
}

bool isBlank(const RegisterEntry &e)
{
    return e.id == 0 && e.name.trimmed().isEmpty() && e.reading.trimmed().isEmpty() && e.address.trimmed().isEmpty()
        && e.contact.trimmed().isEmpty() && e.passportNo.trimmed().isEmpty() && e.nationality.isEmpty();
}

QString stayText(const RegisterStay &s)
{
    return QStringLiteral("請求番号 %1　%2 様　部屋 %3　%4 から %5 泊　%6 名")
        .arg(s.meiNo)
        .arg(s.name.isEmpty() ? QStringLiteral("（名前なし）") : s.name, s.room.isEmpty() ? QStringLiteral("－") : s.room,
             s.firstNight.toString(DateFormat))
        .arg(s.nights)
        .arg(s.guests);
}

} // namespace

std::function<QString(QWidget *, const QString &)> TRegisterForm::CsvFileDialog = [](QWidget *parent,
                                                                                    const QString &suggested) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("宿泊者名簿のCSV"), suggested,
                                        QStringLiteral("CSV (*.csv)"));
};

TRegisterForm::TRegisterForm(FrontDesk &desk, const RegisterStay &stay, QWidget *parent) : QWidget(parent), Desk(desk)
{
    setObjectName(QStringLiteral("RegisterForm"));
    setWindowTitle(Title);
    setAttribute(Qt::WA_DeleteOnClose);
    Fields = readRegisterSettings(Desk.data().iniPath()).fields;
    createControls();
    createLayout();
    RegisterSession &session = Desk.registerSession();
    connect(&session, &RegisterSession::aboutToLock, this, &TRegisterForm::locking);
    loadStay(stay);
    showLog();
    NameEdit->setFocus();
}

TRegisterForm::~TRegisterForm() = default;

void TRegisterForm::createControls()
{
    Pages = named(new QTabWidget(this), "Pages");

    auto *guests = new QWidget;
    StayLabel = named(new QLabel(guests), "StayLabel");
    GuestGrid = named(new QTableWidget(0, GuestColumns, guests), "GuestGrid");
    GuestGrid->setHorizontalHeaderLabels({QStringLiteral("No."), QStringLiteral("氏名"), QStringLiteral("区分"),
                                          QStringLiteral("記入")});
    GuestGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    GuestGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    GuestGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GuestGrid->verticalHeader()->hide();
    GuestGrid->horizontalHeader()->setStretchLastSection(true);
    GuestGrid->setColumnWidth(ColNo, 32);
    GuestGrid->setColumnWidth(ColName, 130);
    GuestGrid->setColumnWidth(ColKind, 40);
    GuestGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    GuestGrid->setMinimumWidth(300);
    GuestGrid->setWordWrap(false);
    GuestGrid->installEventFilter(this);
    AddButton = named(new QPushButton(QStringLiteral("宿泊者を追加"), guests), "AddButton");
    RemoveButton = named(new QPushButton(QStringLiteral("宿泊者を削除"), guests), "RemoveButton");
    SaveButton = named(new QPushButton(QStringLiteral("保存 (Ctrl+S)"), guests), "SaveButton");

    RequiredLabel = named(new QLabel(guests), "RequiredLabel");
    RequiredLabel->setWordWrap(true);
    ProblemLabel = named(new QLabel(guests), "ProblemLabel");
    ProblemLabel->setWordWrap(true);
    ProblemLabel->setStyleSheet(QStringLiteral("color: #b00000"));

    // Names are typed as the guest writes them: Japanese with the input
    // method, a Latin name (Müller, Nguyễn) as it stands.
    NameEdit = lineEdit(guests, "NameEdit", imDontCare);
    ReadingEdit = lineEdit(guests, "ReadingEdit", imKata);
    AddressEdit = lineEdit(guests, "AddressEdit", imDontCare);
    ContactEdit = lineEdit(guests, "ContactEdit", imDisable);
    ContactEdit->setPlaceholderText(QStringLiteral("電話番号またはメール"));
    AbroadCheck = named(new QCheckBox(QStringLiteral("国外在住（日本に住所がない）"), guests), "AbroadCheck");
    NationalityCombo = named(new TCountryCombo(guests), "NationalityCombo");
    PassportEdit = lineEdit(guests, "PassportEdit", imDisable);
    PassportEdit->setMaxLength(12);
    // Passport numbers are capitals whatever the keyboard's state.
    connect(PassportEdit, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (text != text.toUpper()) {
            const int at = PassportEdit->cursorPosition();
            PassportEdit->setText(text.toUpper());
            PassportEdit->setCursorPosition(at);
            readGuest();
        }
    });
    AgeEdit = lineEdit(guests, "AgeEdit", imDisable);
    AgeEdit->setMaxLength(3);
    AgeEdit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), AgeEdit));
    SexCombo = named(new QComboBox(guests), "SexCombo");
    SexCombo->addItems({QString(), QStringLiteral("男"), QStringLiteral("女"), QStringLiteral("その他")});
    PreviousEdit = lineEdit(guests, "PreviousEdit", imDontCare);
    NextEdit = lineEdit(guests, "NextEdit", imDontCare);
    ArrivalEdit = timeEdit(guests, "ArrivalEdit");
    DepartureEdit = timeEdit(guests, "DepartureEdit");

    ImageLabel = named(new QLabel(QStringLiteral("旅券の写し"), guests), "ImageLabel");
    PassportView = named(new TPassportImageView(guests), "PassportView");
    PassportView->setMinimumWidth(300);
    ShowImageButton = named(new QPushButton(QStringLiteral("保存してある旅券の写しを開く"), guests), "ShowImageButton");
    ShowImageButton->setToolTip(QStringLiteral("開いたことは名簿の記録に残ります"));
    connect(ShowImageButton, &QPushButton::clicked, this, &TRegisterForm::openPassportImage);
    connect(PassportView, &TPassportImageView::changed, this, [this] {
        if (Current < 0)
            return;
        RowImage &image = Images[size_t(Current)];
        image.bytes = PassportView->encodedImage();
        image.shown = true;
        image.changed = true;
        Rows[size_t(Current)].hasPassportImage = !image.bytes.isEmpty();
        Dirty = true;
        showImage();
    });

    auto *exportPage = new QWidget;
    const QDate today = Clock::now().date();
    FromDate = dateEdit(exportPage, "FromDate", QDate(today.year(), today.month(), 1));
    ToDate = dateEdit(exportPage, "ToDate", today);
    CsvButton = named(new QPushButton(QStringLiteral("CSVに書き出す..."), exportPage), "CsvButton");
    PreviewButton = named(new QPushButton(QStringLiteral("印刷プレビュー"), exportPage), "PreviewButton");
    PrintButton = named(new QPushButton(QStringLiteral("印刷"), exportPage), "PrintButton");
    LogGrid = named(new QTableWidget(0, 3, exportPage), "LogGrid");
    LogGrid->setHorizontalHeaderLabels({QStringLiteral("日時"), QStringLiteral("操作"), QStringLiteral("内容")});
    LogGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LogGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    LogGrid->verticalHeader()->hide();
    LogGrid->horizontalHeader()->setStretchLastSection(true);
    LogGrid->setColumnWidth(0, 130);
    LogGrid->setColumnWidth(1, 80);

    Pages->addTab(guests, QStringLiteral("宿泊者"));
    Pages->addTab(exportPage, QStringLiteral("記録・書き出し"));

    for (QLineEdit *e : {NameEdit, ReadingEdit, AddressEdit, ContactEdit, PassportEdit, AgeEdit, PreviousEdit, NextEdit})
        connect(e, &QLineEdit::textEdited, this, [this] { readGuest(); });
    connect(AbroadCheck, &QCheckBox::toggled, this, [this] { readGuest(); });
    connect(NationalityCombo, &TCountryCombo::codeChanged, this, [this] { readGuest(); });
    connect(SexCombo, &QComboBox::currentIndexChanged, this, [this] { readGuest(); });
    for (QDateTimeEdit *t : {ArrivalEdit, DepartureEdit})
        connect(t, &QDateTimeEdit::dateTimeChanged, this, [this] { readGuest(); });
    connect(GuestGrid, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!Showing && row >= 0 && row != Current)
            selectGuest(row);
    });
    connect(AddButton, &QPushButton::clicked, this, &TRegisterForm::addGuest);
    connect(RemoveButton, &QPushButton::clicked, this, &TRegisterForm::removeGuest);
    connect(SaveButton, &QPushButton::clicked, this, &TRegisterForm::save);
    connect(CsvButton, &QPushButton::clicked, this, &TRegisterForm::exportCsv);
    connect(PreviewButton, &QPushButton::clicked, this, [this] { printList(int(printing::RegisterOutput::Preview)); });
    connect(PrintButton, &QPushButton::clicked, this, [this] { printList(int(printing::RegisterOutput::Print)); });

    auto *saveKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this);
    saveKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(saveKey, &QShortcut::activated, this, &TRegisterForm::save);
    auto *nextKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this);
    nextKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(nextKey, &QShortcut::activated, this, [this] {
        if (Current + 1 < int(Rows.size()))
            selectGuest(Current + 1);
    });
    auto *prevKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), this);
    prevKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(prevKey, &QShortcut::activated, this, [this] {
        if (Current > 0)
            selectGuest(Current - 1);
    });
}

void TRegisterForm::createLayout()
{
    QWidget *guests = Pages->widget(0);
    auto *form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight);
    const auto row = [&](const char *caption, QWidget *field) {
        auto *label = new QLabel(QStringLiteral("　") + QString::fromUtf8(caption), guests);
        label->setBuddy(field);
        form->addRow(label, field);
        FieldRows.emplace_back(label, field);
        field->installEventFilter(this);
    };
    row("氏名", NameEdit);
    row("フリガナ", ReadingEdit);
    row("住所", AddressEdit);
    row("連絡先", ContactEdit);
    form->addRow(QString(), AbroadCheck);
    AbroadCheck->installEventFilter(this);
    row("国籍", NationalityCombo);
    row("旅券番号", PassportEdit);
    row("年齢", AgeEdit);
    row("性別", SexCombo);
    row("前泊地", PreviousEdit);
    row("行先地", NextEdit);
    row("到着日時", ArrivalEdit);
    row("出発日時", DepartureEdit);

    auto *left = new QVBoxLayout;
    left->addWidget(GuestGrid, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(AddButton);
    buttons->addWidget(RemoveButton);
    left->addLayout(buttons);

    auto *right = new QVBoxLayout;
    right->addWidget(RequiredLabel);
    right->addLayout(form);
    right->addWidget(ProblemLabel);
    right->addStretch();
    auto *saveRow = new QHBoxLayout;
    saveRow->addStretch();
    saveRow->addWidget(SaveButton);
    right->addLayout(saveRow);

    auto *image = new QVBoxLayout;
    image->addWidget(ImageLabel);
    image->addWidget(ShowImageButton);
    image->addWidget(PassportView, 1);

    auto *body = new QHBoxLayout;
    body->addLayout(left, 2);
    body->addLayout(right, 3);
    body->addLayout(image, 3);
    auto *page = new QVBoxLayout(guests);
    page->addWidget(StayLabel);
    page->addLayout(body, 1);

    QWidget *exportPage = Pages->widget(1);
    auto *range = new QHBoxLayout;
    range->addWidget(new QLabel(QStringLiteral("到着日"), exportPage));
    range->addWidget(FromDate);
    range->addWidget(new QLabel(QStringLiteral("～"), exportPage));
    range->addWidget(ToDate);
    range->addWidget(CsvButton);
    range->addWidget(PreviewButton);
    range->addWidget(PrintButton);
    range->addStretch();
    auto *log = new QVBoxLayout(exportPage);
    log->addLayout(range);
    log->addWidget(new QLabel(QStringLiteral("記録（旅券の写しの閲覧・印刷・書き出し・削除）"), exportPage));
    log->addWidget(LogGrid, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(Pages);

    // Keyboard order: the guests, then the fields top to bottom, then saving.
    QWidget *order[] = {GuestGrid,   NameEdit,  ReadingEdit,  AddressEdit, ContactEdit,   AbroadCheck, NationalityCombo,
                        PassportEdit, AgeEdit,  SexCombo,     PreviousEdit, NextEdit,     ArrivalEdit, DepartureEdit,
                        SaveButton,  AddButton, RemoveButton};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TRegisterForm::loadStay(const RegisterStay &stay)
{
    Stay = stay;
    Rows = entriesForStay(Stay, Desk.registerSession().reg().entriesOfBill(Stay.meiNo));
    Images.assign(Rows.size(), RowImage());
    Removed.clear();
    for (RowImage &image : Images)
        image.changed = false;
    Dirty = false;
    Current = -1;
    StayLabel->setText(stayText(Stay));
    setWindowTitle(QStringLiteral("%1 - 請求番号 %2").arg(Title).arg(Stay.meiNo));
    showGuestList();
    selectGuest(0);
}

bool TRegisterForm::showStay(const RegisterStay &stay)
{
    if (!save())
        return false;
    loadStay(stay);
    return true;
}

const std::vector<RegisterEntry> &TRegisterForm::guests() { return Rows; }

void TRegisterForm::showGuestList()
{
    Showing = true;
    GuestGrid->setRowCount(int(Rows.size()));
    for (int r = 0; r < int(Rows.size()); ++r) {
        const RegisterEntry &e = Rows[size_t(r)];
        const QStringList problems = entryProblems(e, Fields);
        const QString cells[] = {QString::number(r + 1), e.name, e.livesAbroad ? QStringLiteral("国外") : QStringLiteral("国内"),
                                 isBlank(e) ? QStringLiteral("未記入")
                                 : problems.isEmpty() ? QStringLiteral("済")
                                                      : QStringLiteral("不足: ") + problems.join(QStringLiteral("、"))};
        for (int c = 0; c < GuestColumns; ++c) {
            auto *item = GuestGrid->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                GuestGrid->setItem(r, c, item);
            }
            item->setText(cells[c]);
            item->setToolTip(cells[c]);
        }
    }
    if (Current >= 0)
        GuestGrid->setCurrentCell(Current, ColName);
    Showing = false;
    RemoveButton->setEnabled(Rows.size() > 1);
}

void TRegisterForm::selectGuest(int row)
{
    if (row < 0 || row >= int(Rows.size()))
        return;
    Current = row;
    Showing = true;
    GuestGrid->setCurrentCell(row, ColName);
    Showing = false;
    showGuest();
}

void TRegisterForm::showGuest()
{
    if (Current < 0)
        return;
    const RegisterEntry &e = Rows[size_t(Current)];
    Showing = true;
    NameEdit->setText(e.name);
    ReadingEdit->setText(e.reading);
    AddressEdit->setText(e.address);
    ContactEdit->setText(e.contact);
    AbroadCheck->setChecked(e.livesAbroad);
    NationalityCombo->setCode(e.nationality);
    PassportEdit->setText(e.passportNo);
    AgeEdit->setText(e.age);
    SexCombo->setCurrentIndex(std::max(0, SexCombo->findText(e.sex)));
    PreviousEdit->setText(e.previousStay);
    NextEdit->setText(e.nextStay);
    ArrivalEdit->setDateTime(e.arrival.isValid() ? e.arrival.toLocalTime() : ArrivalEdit->minimumDateTime());
    DepartureEdit->setDateTime(e.departure.isValid() ? e.departure.toLocalTime() : DepartureEdit->minimumDateTime());
    Showing = false;
    showRequired();
    showImage();
}

void TRegisterForm::showImage()
{
    const RegisterEntry &e = Rows[size_t(Current)];
    const RowImage &image = Images[size_t(Current)];
    // A kept copy stays closed until the clerk asks for it: each look is logged.
    const bool closed = e.hasPassportImage && !image.shown;
    ShowImageButton->setVisible(closed);
    PassportView->setEnabled(!closed);
    QSignalBlocker quiet(PassportView);
    PassportView->setImage(image.shown ? image.bytes : QByteArray());
    ImageLabel->setText(e.livesAbroad ? QStringLiteral("旅券の写し（国外在住の方）") : QStringLiteral("旅券の写し"));
}

bool TRegisterForm::openPassportImage()
{
    const RegisterEntry &e = Rows[size_t(Current)];
    if (e.id == 0 || !e.hasPassportImage)
        return false;
    GuestRegister &reg = Desk.registerSession().reg();
    QByteArray bytes;
    QString error;
    if (!reg.passportImage(e.id, &bytes, &error)) {
        ShowMessage(this, QStringLiteral("エラー"), error);
        return false;
    }
    reg.addLog(Clock::now(), QStringLiteral("閲覧"),
               QStringLiteral("請求番号 %1 の %2人目の旅券の写し").arg(Stay.meiNo).arg(Current + 1));
    if (!reg.save(&error)) {
        ShowMessage(this, QStringLiteral("エラー"), QStringLiteral("記録を保存できないため、写しは開きません。\n") + error);
        return false;
    }
    RowImage &image = Images[size_t(Current)];
    image.bytes = bytes;
    image.shown = true;
    showImage();
    showLog();
    return true;
}

void TRegisterForm::readGuest()
{
    if (Showing || Current < 0)
        return;
    RegisterEntry &e = Rows[size_t(Current)];
    e.name = NameEdit->text();
    e.reading = ReadingEdit->text();
    e.address = AddressEdit->text();
    e.contact = ContactEdit->text();
    e.livesAbroad = AbroadCheck->isChecked();
    e.nationality = NationalityCombo->code();
    e.passportNo = PassportEdit->text();
    e.age = AgeEdit->text();
    e.sex = SexCombo->currentText();
    e.previousStay = PreviousEdit->text();
    e.nextStay = NextEdit->text();
    const auto timeOf = [](QDateTimeEdit *t) {
        return t->dateTime() == t->minimumDateTime() ? QDateTime() : t->dateTime();
    };
    e.arrival = timeOf(ArrivalEdit);
    e.departure = timeOf(DepartureEdit);
    Dirty = true;
    showGuestList();
    showRequired();
}

void TRegisterForm::showRequired()
{
    const RegisterEntry &e = Rows[size_t(Current)];
    QStringList required = {QStringLiteral("氏名"), QStringLiteral("住所"), QStringLiteral("連絡先")};
    if (e.livesAbroad)
        required << QStringLiteral("国籍") << QStringLiteral("旅券番号");
    const std::pair<bool, const char *> extras[] = {{Fields.age, "年齢"},         {Fields.sex, "性別"},
                                                    {Fields.previousStay, "前泊地"}, {Fields.nextStay, "行先地"},
                                                    {Fields.arrivalTimes, "到着日時"}, {Fields.arrivalTimes, "出発日時"}};
    for (const auto &[on, caption] : extras)
        if (on)
            required << QString::fromUtf8(caption);
    RequiredLabel->setText(QStringLiteral("%1人目（%2）の必須: %3")
                               .arg(Current + 1)
                               .arg(e.livesAbroad ? QStringLiteral("国外在住") : QStringLiteral("国内在住"))
                               .arg(required.join(QStringLiteral("・"))));
    // The fields this kind of guest needs are marked; the extra fields the inn
    // has not turned on are not shown at all, nor nationality and passport for
    // a guest living in Japan.
    for (auto &[label, field] : FieldRows) {
        const QString caption = label->text().mid(1);
        const bool extra = (field == AgeEdit && !Fields.age) || (field == SexCombo && !Fields.sex)
            || (field == PreviousEdit && !Fields.previousStay) || (field == NextEdit && !Fields.nextStay)
            || ((field == ArrivalEdit || field == DepartureEdit) && !Fields.arrivalTimes);
        label->setVisible(!extra);
        field->setVisible(!extra);
        if (field == NationalityCombo)
            field->setEnabled(e.livesAbroad);
        // A full-width space where the mark is not, so that the captions stay put.
        label->setText((required.contains(caption) ? QStringLiteral("＊") : QStringLiteral("　")) + caption);
    }
    const QStringList problems = entryProblems(e, Fields);
    ProblemLabel->setText(problems.isEmpty() ? QString()
                                             : QStringLiteral("未記入・誤り: ") + problems.join(QStringLiteral("、")));
}

void TRegisterForm::addGuest()
{
    RegisterEntry e;
    e.meiNo = Stay.meiNo;
    e.room = Stay.room;
    e.firstNight = Stay.firstNight;
    e.nights = Stay.nights;
    Rows.push_back(e);
    Images.emplace_back();
    Dirty = true;
    showGuestList();
    selectGuest(int(Rows.size()) - 1);
    NameEdit->setFocus();
}

void TRegisterForm::removeGuest()
{
    if (Current < 0 || Rows.size() <= 1)
        return;
    const RegisterEntry &e = Rows[size_t(Current)];
    if (!isBlank(e)
        && ShowMessage(this, QStringLiteral("確認"),
                       QStringLiteral("%1人目（%2）の記入を削除しますか？").arg(Current + 1).arg(e.name),
                       QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes)
        return;
    if (e.id != 0)
        Removed.push_back(e.id);
    Rows.erase(Rows.begin() + Current);
    Images.erase(Images.begin() + Current);
    Dirty = true;
    const int next = std::min(Current, int(Rows.size()) - 1);
    Current = -1;
    showGuestList();
    selectGuest(next);
}

bool TRegisterForm::save() { return store(true); }

bool TRegisterForm::store(bool checkForm)
{
    RegisterSession &session = Desk.registerSession();
    if (!session.isUnlocked())
        return false;
    // A number typed wrong is caught while the passport is at hand; when the
    // register locks it is kept as typed (and shows as wrong later).
    for (int r = 0; r < int(Rows.size()); ++r) {
        RegisterEntry &e = Rows[size_t(r)];
        if (e.passportNo.trimmed().isEmpty())
            continue;
        if (!isPassportNumber(e.passportNo)) {
            if (!checkForm)
                continue;
            selectGuest(r);
            Pages->setCurrentIndex(0);
            ShowMessage(this, QStringLiteral("注意"),
                        QStringLiteral("%1人目の旅券番号「%2」は旅券番号の形ではありません"
                                       "（英字と数字で6～9文字、数字を含む）。\n確かめて直してください。")
                            .arg(r + 1)
                            .arg(e.passportNo));
            PassportEdit->setFocus();
            return false;
        }
        e.passportNo = normalizedPassportNumber(e.passportNo);
    }
    if (!Dirty)
        return true;
    GuestRegister &reg = session.reg();
    const QDateTime now = Clock::now();
    for (quint64 id : Removed)
        reg.remove(id);
    QString error;
    for (size_t i = 0; i < Rows.size(); ++i) {
        RegisterEntry &e = Rows[i];
        if (isBlank(e) && !Images[i].changed)
            continue;
        e.id = reg.put(e, now);
        if (Images[i].changed && !reg.setPassportImage(e.id, Images[i].bytes, &error)) {
            ShowMessage(this, QStringLiteral("エラー"),
                        QStringLiteral("旅券の写しを保存できませんでした。\n%1\n\n入力はこの画面に残っています。").arg(error));
            return false;
        }
    }
    if (!reg.save(&error)) {
        ShowMessage(this, QStringLiteral("エラー"),
                    QStringLiteral("宿泊者名簿を保存できませんでした。\n%1\n\n入力はこの画面に残っています。").arg(error));
        return false;
    }
    Removed.clear();
    for (RowImage &image : Images)
        image.changed = false;
    Dirty = false;
    showGuest();
    return true;
}

bool TRegisterForm::rangeReady(QDate *from, QDate *to)
{
    if (!save())
        return false;
    *from = FromDate->date();
    *to = ToDate->date();
    if (*from <= *to)
        return true;
    ShowMessage(this, QStringLiteral("注意"), QStringLiteral("期間の始まりが終わりより後です。"));
    FromDate->setFocus();
    return false;
}

bool TRegisterForm::exportCsv()
{
    QDate from, to;
    if (!rangeReady(&from, &to))
        return false;
    const QString suggested = QDir(Desk.data().ExePath)
                                  .filePath(QStringLiteral("宿泊者名簿_%1-%2.csv")
                                                .arg(from.toString(QStringLiteral("yyyyMMdd")),
                                                     to.toString(QStringLiteral("yyyyMMdd"))));
    const QString file = CsvFileDialog(this, suggested);
    if (file.isEmpty())
        return false;
    QString error;
    const RegisterExport r =
        exportRegisterRange(Desk.registerSession().reg(), from, to, file, Clock::now(), QString(), &error);
    showLog();
    if (r != RegisterExport::Written) {
        ShowMessage(this, QStringLiteral("エラー"),
                    (r == RegisterExport::LogNotStored ? QStringLiteral("記録を保存できないため、書き出していません。\n")
                                                       : QStringLiteral("CSVを書き出せませんでした。\n"))
                        + error);
        return false;
    }
    ShowMessage(this, Title, QStringLiteral("%1 に書き出しました。").arg(QDir::toNativeSeparators(file)));
    return true;
}

bool TRegisterForm::printList(int how)
{
    QDate from, to;
    if (!rangeReady(&from, &to))
        return false;
    GuestRegister &reg = Desk.registerSession().reg();
    const std::vector<RegisterEntry> entries = reg.entriesBetween(from, to);
    const printing::PageModel pages = printing::registerListPages(
        entries, from, to, fieldText(Desk.data().BaseData.SisetuName), Fields);
    // Logged and stored just before the list goes out: no print unrecorded.
    const auto logFirst = [this, &reg, &entries, from, to] {
        reg.addLog(Clock::now(), QStringLiteral("印刷"),
                   QStringLiteral("%1～%2 の %3 件")
                       .arg(from.toString(DateFormat), to.toString(DateFormat))
                       .arg(entries.size()));
        QString error;
        if (reg.save(&error))
            return true;
        ShowMessage(this, QStringLiteral("エラー"), QStringLiteral("記録を保存できないため、印刷していません。\n") + error);
        return false;
    };
    const printing::PrintOutcome done = printing::outputRegisterDocumentWith(
        &ShowMessage, this, pages, printing::registerListName(from, to), printing::RegisterOutput(how), logFirst);
    showLog();
    return done == printing::PrintOutcome::Printed || done == printing::PrintOutcome::SavedPdf;
}

void TRegisterForm::showLog()
{
    const std::vector<RegisterLogLine> &log = Desk.registerSession().reg().log();
    LogGrid->setRowCount(int(log.size()));
    // The newest first.
    for (int i = 0; i < int(log.size()); ++i) {
        const RegisterLogLine &l = log[log.size() - 1 - size_t(i)];
        const QString cells[] = {l.when.toLocalTime().toString(TimeFormat), l.what, l.detail};
        for (int c = 0; c < 3; ++c)
            LogGrid->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
}

void TRegisterForm::moveOn(QWidget *from)
{
    // Enter goes on as Tab does; past the last field of a guest, to the next guest's name.
    QWidget *last = nullptr;
    for (auto &[label, field] : FieldRows)
        if (field->isVisible() && field->isEnabled())
            last = field;
    if (from == last && Current + 1 < int(Rows.size())) {
        selectGuest(Current + 1);
        NameEdit->setFocus();
        NameEdit->selectAll();
        return;
    }
    if (from == GuestGrid) {
        NameEdit->setFocus();
        NameEdit->selectAll();
        return;
    }
    focusNextChild();
}

bool TRegisterForm::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(e);
        const bool enter = (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && k->modifiers() == Qt::NoModifier;
        auto *combo = qobject_cast<QComboBox *>(watched);
        if (enter && !(combo && combo->view()->isVisible())) {
            moveOn(qobject_cast<QWidget *>(watched));
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void TRegisterForm::locking()
{
    // What was typed is kept; the guests' data leave the screen.
    store(false);
    Closing = true;
    close();
}

void TRegisterForm::closeEvent(QCloseEvent *e)
{
    if (!Closing && !save()) {
        e->ignore();
        return;
    }
    Closing = true;
    e->accept();
}

TRegisterForm *openRegisterWindow(FrontDesk &desk, QWidget *asking, const RegisterStay &stay)
{
    if (!openRegister(asking, desk))
        return nullptr;
    if (auto *open = qobject_cast<TRegisterForm *>(desk.findChildWindow(QStringLiteral("RegisterForm")))) {
        desk.bringToFront(open);
        open->showStay(stay);
        return open;
    }
    auto *form = qobject_cast<TRegisterForm *>(desk.openChildWindow(
        QStringLiteral("RegisterForm"), [&desk, &stay] { return new TRegisterForm(desk, stay); }));
    placeRegisterWindow(form);
    return form;
}

void placeRegisterWindow(QWidget *window)
{
    auto *sub = window ? qobject_cast<QMdiSubWindow *>(window->parentWidget()) : nullptr;
    if (!sub || !sub->mdiArea())
        return;
    sub->move(0, 0);
    sub->resize(sub->sizeHint().boundedTo(sub->mdiArea()->viewport()->size()));
}

TRegisterForm *openRegisterWindow(FrontDesk &desk, QWidget *asking, quint32 billNo)
{
    const AppData &data = desk.data();
    return openRegisterWindow(desk, asking,
                              registerStayOf(data.ReserveList, data.Money.Lodging, billNo, Clock::now().date()));
}

bool registerReadyForCheckout(FrontDesk &desk, QWidget *asking, const RegisterStay &stay)
{
    RegisterSession &session = desk.registerSession();
    // Day use is no stay: nobody to register.
    if (stay.nights <= 0 || !session.exists())
        return true;
    if (!session.isUnlocked() && !openRegister(asking, desk))
        return true;
    const StayCompleteness c =
        stayCompleteness(stay, session.reg().entriesOfBill(stay.meiNo), session.settings().fields);
    if (c.complete())
        return true;
    if (ShowMessage(asking, QStringLiteral("警告"), checkoutWarningText(c), QMessageBox::Yes | QMessageBox::No,
                    QMessageBox::No)
        == QMessageBox::Yes)
        return true;
    openRegisterWindow(desk, asking, stay);
    return false;
}
