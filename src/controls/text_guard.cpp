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
        checking = true;
        const int cursor = edit->cursorPosition() - int(t.size() - accepted.size());
        edit->setText(accepted);
        edit->setCursorPosition(std::clamp(cursor, 0, int(accepted.size())));
        checking = false;
        ShowMessage(edit->window(), QStringLiteral("エラー"), error);
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
