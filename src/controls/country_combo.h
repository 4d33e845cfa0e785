#pragma once
// TCountryCombo: the nationality of a guest, chosen from the ISO 3166-1 list
// or typed. Typing completes on the Japanese name, the English name or the
// code, anywhere in them; the value is the alpha-2 code.

#include <QComboBox>
#include <QString>

class TCountryCombo : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString code READ code WRITE setCode NOTIFY codeChanged USER true)

public:
    explicit TCountryCombo(QWidget *parent = nullptr);

    // The code of the country the text names (an item's caption, a code or
    // either name); empty when it names none.
    QString code() const;
    // Shows the country of the code; an empty or unknown code clears the text.
    void setCode(const QString &code);

    // How a country is listed: "日本 / Japan (JP)".
    static QString caption(const QString &code);

signals:
    void codeChanged(const QString &code);

private:
    QString lastCode;
};
