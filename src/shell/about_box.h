#pragma once
// TAboutBox: product name, version and where to ask.

#include <QWidget>

class TAboutBox : public QWidget {
    Q_OBJECT
public:
    TAboutBox(const QString &version, QWidget *parent = nullptr);
    static QString makerAddress();
};
