#include "text_guard.h"

#include "shell/message_box.h"
#include "storage/text_entry.h"

#include <QLineEdit>
#include <QPointer>

#include <algorithm>

namespace {

// The last text the box held that could be stored, kept beside the box.
class TextGuard : public QObject {
public:
    TextGuard(QLineEdit *edit, const QString &field, int maxBytes)
        : QObject(edit), edit(edit), field(field), maxBytes(maxBytes), accepted(edit->text())
    {
        // Text set by the program (a loaded bill) becomes the text to return to.
        // A refused edit still reports its own text afterwards: only the box's
        // current text counts, and only a text that could be stored.
        QObject::connect(edit, &QLineEdit::textChanged, this, [this](const QString &t) {
            if (!checking && t == this->edit->text()
                && textentry::entryError(this->field, t, this->maxBytes).isEmpty())
                accepted = t;
        });
        QObject::connect(edit, &QLineEdit::textEdited, this, [this](const QString &t) { check(t); });
    }

private:
    void check(const QString &t)
    {
        const QString error = textentry::entryError(field, t, maxBytes);
        if (error.isEmpty()) {
            accepted = t;
            return;
        }
        // The box shows what it held before the refused keystroke or paste,
        // the caret where the refused text went in.
        const int typedCursor = edit->cursorPosition();
        checking = true;
        const int cursor = typedCursor - int(t.size() - accepted.size());
        edit->setText(accepted);
        edit->setCursorPosition(std::clamp(cursor, 0, int(accepted.size())));
        checking = false;
        const QString plain = RefuseText(edit->window(), error, t, [this](const QString &candidate) {
            return textentry::entryError(field, candidate, maxBytes);
        });
        if (plain.isEmpty() || !edit)
            return;
        edit->setText(plain);
        edit->setCursorPosition(std::clamp(typedCursor - int(t.size() - plain.size()), 0, int(plain.size())));
        accepted = plain;
    }

    QPointer<QLineEdit> edit;
    QString field;
    int maxBytes;
    QString accepted;
    bool checking = false;
};

} // namespace

void GuardTextEntry(QLineEdit *edit, const QString &field, int maxBytes)
{
    new TextGuard(edit, field, maxBytes);
}

QString RefuseText(QWidget *parent, const QString &refusal, const QString &text,
                   const std::function<QString(const QString &)> &check)
{
    const QString plain = textentry::plainLetters(text);
    if (plain.isEmpty() || !check(plain).isEmpty()) {
        ShowMessage(parent, QStringLiteral("エラー"), refusal);
        return {};
    }
    ShownMessage m{QStringLiteral("エラー"), refusal + textentry::plainLettersOffer(plain),
                   QMessageBox::Apply | QMessageBox::Cancel, QMessageBox::Apply, {}};
    m.captions[QMessageBox::Apply] = QStringLiteral("アクセントを外す");
    m.captions[QMessageBox::Cancel] = QStringLiteral("入力し直す");
    return ShowMessage(parent, m) == QMessageBox::Apply ? plain : QString();
}
