#include "register/register_unlock_form.h"

#include "controls/ime_mode.h"
#include "printing/register_documents.h"
#include "shell/front_desk.h"
#include "shell/message_box.h"
#include "shell/register_session.h"
#include "storage/clock.h"
#include "storage/cp932.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

const QString Title = QStringLiteral("宿泊者名簿");

QString innNameOf(FrontDesk &desk) { return fieldText(desk.data().BaseData.SisetuName); }

QLineEdit *secretEdit(QWidget *parent, const char *name)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setEchoMode(QLineEdit::Password);
    // A pass phrase is typed as it stands: no conversion to pick from.
    ApplyImeMode(e, imDisable);
    return e;
}

QDialogButtonBox *okCancel(QDialog *d)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d);
    buttons->setObjectName(QStringLiteral("Buttons"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, d, &QDialog::reject);
    return buttons;
}

} // namespace

TRegisterUnlockForm::TRegisterUnlockForm(RegisterSession &session, QWidget *parent)
    : QDialog(parent), Session(session)
{
    setObjectName(QStringLiteral("RegisterUnlockForm"));
    setWindowTitle(QStringLiteral("宿泊者名簿を開く"));
    auto *layout = new QVBoxLayout(this);
    PassLabel = new QLabel(this);
    layout->addWidget(PassLabel);
    PassEdit = secretEdit(this, "PassEdit");
    PassEdit->setMinimumWidth(320);
    layout->addWidget(PassEdit);
    RecoveryCheck = new QCheckBox(QStringLiteral("合言葉を忘れたので回復キーで開く"), this);
    RecoveryCheck->setObjectName(QStringLiteral("RecoveryCheck"));
    layout->addWidget(RecoveryCheck);
    layout->addWidget(okCancel(this));
    connect(RecoveryCheck, &QCheckBox::toggled, this, [this] { showMode(); });
    showMode();
}

void TRegisterUnlockForm::showMode()
{
    const bool recovery = RecoveryCheck->isChecked();
    PassLabel->setText(recovery ? QStringLiteral("回復キー（金庫の控えのとおりに）:") : QStringLiteral("合言葉:"));
    PassEdit->setEchoMode(recovery ? QLineEdit::Normal : QLineEdit::Password);
    PassEdit->clear();
    PassEdit->setFocus();
}

void TRegisterUnlockForm::accept()
{
    QString error;
    const bool recovery = RecoveryCheck->isChecked();
    QByteArray typed = PassEdit->text().toUtf8();
    const bool ok = recovery ? Session.unlockWithRecoveryKey(PassEdit->text(), &error) : Session.unlock(typed, &error);
    typed.fill('\0');
    PassEdit->clear();
    if (!ok) {
        ShowMessage(this, QStringLiteral("エラー"), error);
        PassEdit->setFocus();
        return;
    }
    QDialog::accept();
    // Opened with the recovery key: a new pass phrase at once, the old one being lost.
    if (recovery)
        ShowMessage(parentWidget(), Title,
                    QStringLiteral("回復キーで開きました。「宿泊者名簿」→「合言葉の変更」で新しい合言葉を決めてください。"));
}

TRegisterPassphraseForm::TRegisterPassphraseForm(RegisterSession &session, Mode mode, const QString &innName,
                                                 QWidget *parent)
    : QDialog(parent), Session(session), FMode(mode), InnName(innName)
{
    setObjectName(QStringLiteral("RegisterPassphraseForm"));
    setWindowTitle(mode == Create ? QStringLiteral("合言葉の設定") : QStringLiteral("合言葉の変更"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(
        (mode == Create ? QStringLiteral("宿泊者名簿は暗号化して保存します。名簿を開くための合言葉を決めてください（%1文字以上）。\n\n")
                        : QStringLiteral("新しい合言葉を決めてください（%1文字以上）。名簿は新しい合言葉で暗号化し直します。\n\n"))
                .arg(MinLength)
            + QStringLiteral("合言葉を忘れると、宿泊者名簿は二度と開けません。誰にも元に戻せません。\n"
                             "このあと一度だけ表示する回復キーを紙に控え、金庫にしまってください。"),
        this);
    intro->setObjectName(QStringLiteral("WarningLabel"));
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto *form = new QFormLayout;
    PassEdit1 = secretEdit(this, "PassEdit1");
    PassEdit2 = secretEdit(this, "PassEdit2");
    form->addRow(QStringLiteral("合言葉:"), PassEdit1);
    form->addRow(QStringLiteral("もう一度:"), PassEdit2);
    layout->addLayout(form);
    layout->addWidget(okCancel(this));
    connect(PassEdit1, &QLineEdit::returnPressed, PassEdit2, qOverload<>(&QWidget::setFocus));
    setMinimumWidth(460);
}

void TRegisterPassphraseForm::accept()
{
    QByteArray first = PassEdit1->text().toUtf8();
    const bool same = PassEdit1->text() == PassEdit2->text();
    const int length = int(PassEdit1->text().size());
    QString refusal;
    if (length < MinLength)
        refusal = QStringLiteral("合言葉は%1文字以上にしてください。").arg(MinLength);
    else if (!same)
        refusal = QStringLiteral("二つの合言葉が違います。もう一度入力してください。");
    if (!refusal.isEmpty()) {
        first.fill('\0');
        ShowMessage(this, QStringLiteral("注意"), refusal);
        PassEdit1->clear();
        PassEdit2->clear();
        PassEdit1->setFocus();
        return;
    }
    QString recoveryKey, error;
    bool ok;
    if (FMode == Create) {
        ok = Session.create(first, &recoveryKey, &error);
    } else {
        GuestRegister &reg = Session.reg();
        ok = reg.changePassphrase(first, &recoveryKey, &error);
        if (ok) {
            reg.addLog(Clock::now(), QStringLiteral("合言葉変更"), QStringLiteral("名簿を新しい合言葉で暗号化し直しました"));
            QString logError;
            reg.save(&logError); // else stored with the next save
        }
    }
    first.fill('\0');
    PassEdit1->clear();
    PassEdit2->clear();
    if (!ok) {
        ShowMessage(this, QStringLiteral("エラー"), error);
        return;
    }
    QDialog::accept();
    showRecoveryKey(parentWidget(), InnName, recoveryKey);
}

void showRecoveryKey(QWidget *parent, const QString &innName, const QString &recoveryKey)
{
    ShownMessage m;
    m.title = QStringLiteral("回復キー");
    m.text = QStringLiteral("宿泊者名簿の回復キーです。合言葉を忘れたときに名簿を開く唯一の手段です。\n"
                            "印刷するか紙に書き写して、金庫にしまってください。この画面を閉じると二度と表示しません。\n\n%1")
                 .arg(recoveryKey);
    m.buttons = QMessageBox::Apply | QMessageBox::Close;
    m.defaultButton = QMessageBox::Apply;
    m.captions[QMessageBox::Apply] = QStringLiteral("回復キーを印刷");
    // Until it is on paper (or the clerk says it is written down), the key stays on the screen.
    while (ShowMessage(parent, m) == QMessageBox::Apply) {
        const QDate today = Clock::now().date();
        const printing::PrintOutcome done =
            printing::outputRegisterDocumentWith(&ShowMessage, parent, printing::recoveryKeyPages(innName, today, recoveryKey),
                                                 printing::recoveryKeySheetName(today), printing::RegisterOutput::Print);
        if (done == printing::PrintOutcome::Printed || done == printing::PrintOutcome::SavedPdf)
            return;
    }
}

void offerRegisterRetention(QWidget *parent, RegisterSession &session)
{
    GuestRegister &reg = session.reg();
    const int years = session.settings().retentionYears;
    const QDateTime now = Clock::now();
    const int count = reg.expiredCount(now, years);
    if (count == 0)
        return;
    if (ShowMessage(parent, QStringLiteral("確認"),
                    QStringLiteral("作成から%1年の保存期間を過ぎた宿泊者名簿の記入が %2 件あります（旅券の写しを含みます）。\n"
                                   "削除しますか？")
                        .arg(years)
                        .arg(count),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    if (ShowMessage(parent, QStringLiteral("確認"),
                    QStringLiteral("%1 件を削除します。削除した記入は元に戻せません。本当に削除しますか？").arg(count),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    const int removed = reg.removeExpired(now, years);
    QString error;
    if (!reg.save(&error)) {
        ShowMessage(parent, QStringLiteral("エラー"),
                    error + QStringLiteral("\n\n削除は保存されていません。次に名簿を開いたときにもう一度たずねます。"));
        session.lock();
        return;
    }
    ShowMessage(parent, Title, QStringLiteral("%1 件を削除しました。").arg(removed));
}

bool openRegister(QWidget *parent, FrontDesk &desk)
{
    RegisterSession &session = desk.registerSession();
    if (session.isUnlocked()) {
        session.touch();
        return true;
    }
    QString error;
    if (!session.reg().exists(&error)) {
        if (!error.isEmpty()) {
            ShowMessage(parent, QStringLiteral("エラー"), error);
            return false;
        }
        TRegisterPassphraseForm form(session, TRegisterPassphraseForm::Create, innNameOf(desk), parent);
        return form.exec() == QDialog::Accepted;
    }
    TRegisterUnlockForm form(session, parent);
    if (form.exec() != QDialog::Accepted)
        return false;
    if (!session.retentionOffered()) {
        session.setRetentionOffered();
        offerRegisterRetention(parent, session);
    }
    return session.isUnlocked();
}

void changeRegisterPassphrase(QWidget *parent, FrontDesk &desk)
{
    if (!openRegister(parent, desk))
        return;
    TRegisterPassphraseForm form(desk.registerSession(), TRegisterPassphraseForm::Change, innNameOf(desk), parent);
    form.exec();
}
