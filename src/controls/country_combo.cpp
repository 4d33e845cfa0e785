#include "controls/country_combo.h"

#include "register/country_list.h"

#include <QCompleter>
#include <QLineEdit>

namespace {

QString listed(const Country &c)
{
    return QStringLiteral("%1 / %2 (%3)").arg(c.japanese, c.english, c.code);
}

} // namespace

TCountryCombo::TCountryCombo(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(20);
    for (const Country &c : countries())
        addItem(listed(c), c.code);
    auto *completer = new QCompleter(model(), this);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    setCompleter(completer);
    setCurrentIndex(-1);
    clearEditText();
    connect(this, &QComboBox::currentTextChanged, this, [this] {
        const QString now = code();
        if (now != lastCode) {
            lastCode = now;
            emit codeChanged(now);
        }
    });
}

QString TCountryCombo::caption(const QString &code)
{
    const Country *c = countryByCode(code);
    return c ? listed(*c) : QString();
}

QString TCountryCombo::code() const
{
    const QString text = currentText().trimmed();
    const int i = findText(text, Qt::MatchFixedString);
    if (i >= 0)
        return itemData(i).toString();
    const Country *c = countryByText(text);
    return c ? c->code : QString();
}

void TCountryCombo::setCode(const QString &code)
{
    const Country *c = countryByCode(code);
    const int i = c ? findData(c->code) : -1;
    setCurrentIndex(i);
    if (i < 0)
        clearEditText();
}
