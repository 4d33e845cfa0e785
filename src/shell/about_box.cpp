#include "about_box.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TAboutBox::TAboutBox(const QString &version, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    auto *product = new QLabel(QStringLiteral("Norvel　領収書発行"), this);
    product->setObjectName(QStringLiteral("ProductName"));
    QFont f = product->font();
    f.setPointSizeF(f.pointSizeF() * 1.4);
    f.setBold(true);
    product->setFont(f);
    auto *ver = new QLabel(QStringLiteral("Version ") + version, this);
    ver->setObjectName(QStringLiteral("Version"));
    auto *contact = new QLabel(QStringLiteral("お問い合わせ先"), this);
    auto *link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(makerAddress()), this);
    link->setObjectName(QStringLiteral("WebAddress"));
    link->setOpenExternalLinks(true);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    connect(ok, &QPushButton::clicked, this, &QWidget::close);

    layout->addWidget(product);
    layout->addWidget(ver);
    layout->addSpacing(12);
    layout->addWidget(contact);
    layout->addWidget(link);
    layout->addStretch();
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    resize(360, 200);
}

QString TAboutBox::makerAddress()
{
    return QStringLiteral("https://www.norvel.example/");
}
