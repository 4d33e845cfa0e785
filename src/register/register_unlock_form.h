#pragma once
// The dialogs that open the guest register: the pass phrase (or the recovery
// key) to unlock it, a new pass phrase typed twice when the register is made
// or its pass phrase changed, and the recovery key shown once. openRegister()
// is the one way a window asks for the register.

#include <QDialog>

class FrontDesk;
class QCheckBox;
class QLabel;
class QLineEdit;
class RegisterSession;

// TRegisterUnlockForm "宿泊者名簿を開く": the pass phrase, masked; or, when
// the pass phrase is lost, the recovery key from the sheet in the safe.
class TRegisterUnlockForm : public QDialog {
    Q_OBJECT
public:
    TRegisterUnlockForm(RegisterSession &session, QWidget *parent = nullptr);
    // OK: tries what was typed; a refusal is said and the dialog stays.
    void accept() override;

private:
    void showMode();

    RegisterSession &Session;
    QLineEdit *PassEdit = nullptr;
    QCheckBox *RecoveryCheck = nullptr;
    QLabel *PassLabel = nullptr;
};

// TRegisterPassphraseForm "合言葉の設定" / "合言葉の変更": a new pass phrase
// typed twice, with the plain warning that a forgotten one cannot be
// recovered. On OK the register is made (or re-sealed) and the new
// recovery key shown once.
class TRegisterPassphraseForm : public QDialog {
    Q_OBJECT
public:
    enum Mode { Create, Change };
    // innName heads the recovery key sheet.
    TRegisterPassphraseForm(RegisterSession &session, Mode mode, const QString &innName, QWidget *parent = nullptr);
    void accept() override;

    static constexpr int MinLength = 8;

private:
    RegisterSession &Session;
    Mode FMode;
    QString InnName;
    QLineEdit *PassEdit1 = nullptr;
    QLineEdit *PassEdit2 = nullptr;
};

// Shows a recovery key once, to be written down or printed (on a sheet with
// the inn's name) for the safe.
void showRecoveryKey(QWidget *parent, const QString &innName, const QString &recoveryKey);

// The register unlocked for the asking window: made first when there is none
// (the pass phrase set), unlocked otherwise; at the first opening of a run
// the entries past their keeping are offered for deletion. False when the
// clerk cancelled (nothing changed).
bool openRegister(QWidget *parent, FrontDesk &desk);
// Changes the pass phrase of the register (opened first when locked).
void changeRegisterPassphrase(QWidget *parent, FrontDesk &desk);
// The offer to delete the entries past the keeping years: a count, a final
// confirmation, No the default; a deletion is logged and stored.
void offerRegisterRetention(QWidget *parent, RegisterSession &session);
