#include "shell/help_form.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The manual's screen pictures are wider than a help window: they are shown
// scaled down to fit beside the text.
class ManualBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;
    QVariant loadResource(int type, const QUrl &name) override
    {
        QVariant v = QTextBrowser::loadResource(type, name);
        if (type == QTextDocument::HtmlResource && v.typeId() == QMetaType::QByteArray) {
            // The rich-text engine knows no <figure>: it would set the picture
            // inline at the end of the paragraph before it, off the page's edge.
            QString html = QString::fromUtf8(v.toByteArray());
            html.replace(QLatin1String("<figure>"), QLatin1String("<div>"))
                .replace(QLatin1String("</figure>"), QLatin1String("</div>"))
                .replace(QLatin1String("<figcaption>"), QLatin1String("<p>"))
                .replace(QLatin1String("</figcaption>"), QLatin1String("</p>"));
            return html;
        }
        if (type != QTextDocument::ImageResource)
            return v;
        QImage image;
        if (v.canConvert<QImage>())
            image = v.value<QImage>();
        else if (v.typeId() == QMetaType::QByteArray)
            image.loadFromData(v.toByteArray());
        const int room = std::max(320, viewport()->width() - 40);
        if (!image.isNull() && image.width() > room)
            return image.scaledToWidth(room, Qt::SmoothTransformation);
        return image.isNull() ? v : QVariant(image);
    }
};

} // namespace

THelpForm::THelpForm(const QString &index, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("ヘルプ"));
    FFolder = QFileInfo(index).absolutePath();

    auto button = [this](const char *name, const QString &text, const QString &tip) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setText(text);
        b->setToolTip(tip);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        return b;
    };
    FBack = button("BackButton", QStringLiteral("← 戻る"), QStringLiteral("前に見たページへ戻ります (Alt+←)"));
    FForward = button("ForwardButton", QStringLiteral("進む →"), QStringLiteral("戻る前のページへ進みます (Alt+→)"));
    FHome = button("ContentsButton", QStringLiteral("目次"), QStringLiteral("マニュアルの目次を開きます"));
    FBack->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    FForward->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));

    FBrowser = new ManualBrowser(this);
    FBrowser->setObjectName(QStringLiteral("HelpBrowser"));
    FBrowser->setOpenLinks(true);
    FBrowser->setOpenExternalLinks(true); // the maker's site, mail: the desktop's own programs
    FBrowser->setSearchPaths({FFolder});

    auto *bar = new QHBoxLayout;
    bar->addWidget(FBack);
    bar->addWidget(FForward);
    bar->addWidget(FHome);
    bar->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(FBrowser, 1);

    FBack->setEnabled(false);
    FForward->setEnabled(false);
    connect(FBack, &QToolButton::clicked, FBrowser, &QTextBrowser::backward);
    connect(FForward, &QToolButton::clicked, FBrowser, &QTextBrowser::forward);
    connect(FHome, &QToolButton::clicked, this, [this] { ShowPage(QStringLiteral("index.html")); });
    connect(FBrowser, &QTextBrowser::backwardAvailable, FBack, &QToolButton::setEnabled);
    connect(FBrowser, &QTextBrowser::forwardAvailable, FForward, &QToolButton::setEnabled);
    connect(FBrowser, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = FBrowser->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("ヘルプ") : QStringLiteral("ヘルプ — ") + title);
    });
    resize(760, 560);
    FBrowser->setSource(QUrl::fromLocalFile(index));
}

void THelpForm::ShowPage(const QString &page)
{
    FBrowser->setSource(QUrl::fromLocalFile(FFolder + QLatin1Char('/')).resolved(QUrl(page)));
}
