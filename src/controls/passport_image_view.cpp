#include "controls/passport_image_view.h"

#include "register/scanner.h"
#include "shell/message_box.h"

#include <QBuffer>
#include <QCamera>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageCapture>
#include <QImageReader>
#include <QLabel>
#include <QMediaCaptureSession>
#include <QCameraDevice>
#include <QMediaDevices>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVideoWidget>
#include <QWheelEvent>

#include <algorithm>

namespace {

const QString kTitle = QStringLiteral("旅券の写し");
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;
// Undo keeps this many steps, and no more memory than this (a phone's photo
// takes 48 MB a step).
constexpr int kUndoSteps = 12;
constexpr qsizetype kUndoBytes = 256 * 1024 * 1024;
constexpr qreal kZoomStep = 1.25;
constexpr qreal kMinZoom = 0.05, kMaxZoom = 8.0;

TPassportImageView::FileChooser fileChooser;

QString chooseWithDialog(QWidget *parent)
{
    return QFileDialog::getOpenFileName(parent, QStringLiteral("旅券の写しを開く"), QString(),
                                        QStringLiteral("画像 (*.jpg *.jpeg *.png *.bmp *.tif *.tiff *.gif *.webp "
                                                       "*.pnm *.pgm *.ppm);;すべてのファイル (*)"));
}

// A JPEG cut off in the middle decodes with its missing lines grey and no
// error: its last scan must be followed by the end-of-image marker. Inside
// the coded data a 0xFF byte is always followed by 0x00 or a restart marker,
// so the marker is not found there by chance.
bool jpegComplete(const QByteArray &bytes)
{
    const qsizetype scan = bytes.lastIndexOf(QByteArrayLiteral("\xFF\xDA"));
    return scan >= 0 && bytes.indexOf(QByteArrayLiteral("\xFF\xD9"), scan) > scan;
}

// The camera's picture, from a small window with its live view.
QImage captureFromCamera(QWidget *parent, QString *error)
{
    if (QMediaDevices::videoInputs().isEmpty()) {
        *error = QStringLiteral("カメラが見つかりません。カメラがこのコンピュータにつながっているか確かめてください。");
        return {};
    }
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("カメラで撮影"));
    auto *video = new QVideoWidget(&dialog);
    video->setMinimumSize(480, 360);
    auto *shoot = new QPushButton(QStringLiteral("撮影"), &dialog);
    shoot->setObjectName(QStringLiteral("ShootButton"));
    shoot->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("キャンセル"), &dialog);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(shoot);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(video, 1);
    layout->addLayout(buttons);

    QCamera camera(QMediaDevices::defaultVideoInput());
    QImageCapture capture;
    QMediaCaptureSession session;
    session.setCamera(&camera);
    session.setImageCapture(&capture);
    session.setVideoOutput(video);
    QImage taken;
    QString failure;
    QObject::connect(&capture, &QImageCapture::imageCaptured, &dialog, [&](int, const QImage &image) {
        taken = image;
        dialog.accept();
    });
    QObject::connect(&capture, &QImageCapture::errorOccurred, &dialog,
                     [&](int, QImageCapture::Error, const QString &why) {
                         failure = why;
                         dialog.reject();
                     });
    QObject::connect(&camera, &QCamera::errorOccurred, &dialog, [&](QCamera::Error, const QString &why) {
        failure = why;
        dialog.reject();
    });
    QObject::connect(shoot, &QPushButton::clicked, &dialog, [&] {
        if (capture.isReadyForCapture())
            capture.capture();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    camera.start();
    dialog.exec();
    camera.stop();
    if (taken.isNull() && !failure.isEmpty())
        *error = QStringLiteral("カメラで撮影できませんでした（%1）。").arg(failure);
    return taken;
}

} // namespace

QImage readPicture(const QByteArray &bytes, QString *error)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true); // a phone's photo stands as it was taken
    const QByteArray format = reader.format();
    if (format.isEmpty()) {
        *error = QStringLiteral("画像として読めません。画像のファイルではないか、壊れています。");
        return {};
    }
    QImage image = reader.read();
    if (image.isNull()) {
        *error = QStringLiteral("画像が壊れていて読めません（%1）。").arg(reader.errorString());
        return {};
    }
    if (format == "jpeg" && !jpegComplete(bytes)) {
        *error = QStringLiteral("画像が途中で切れていて、全体を読めません。");
        return {};
    }
    return image;
}

// The picture, its crop rectangle, and the mouse that drags one.
class PassportCanvas : public QWidget {
public:
    explicit PassportCanvas(TPassportImageView *view) : QWidget(view), view(view)
    {
        setObjectName(QStringLiteral("PassportCanvas"));
        setMinimumSize(160, 120);
        setCursor(Qt::CrossCursor);
        setFocusPolicy(Qt::ClickFocus);
    }

    // Where the picture is drawn, centred.
    QRectF pictureRect() const
    {
        const qreal s = view->scale();
        const QSizeF size = QSizeF(view->current.size()) * s;
        return QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    }
    QPoint toPicture(const QPointF &p) const
    {
        const QRectF r = pictureRect();
        const qreal s = view->scale();
        const int x = std::clamp(int(std::lround((p.x() - r.left()) / s)), 0, view->current.width());
        const int y = std::clamp(int(std::lround((p.y() - r.top()) / s)), 0, view->current.height());
        return {x, y};
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Mid));
        if (view->current.isNull()) {
            p.setPen(palette().color(QPalette::WindowText));
            p.drawText(rect().adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap,
                       QStringLiteral("旅券の写しはまだありません。\nファイル・スキャナ・カメラから取り込むか、"
                                      "画像をここへドロップしてください。"));
            return;
        }
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRectF r = pictureRect();
        p.drawImage(r, view->current);
        if (!view->selected.isEmpty()) {
            const qreal s = view->scale();
            const QRectF sel(r.left() + view->selected.x() * s, r.top() + view->selected.y() * s,
                             view->selected.width() * s, view->selected.height() * s);
            QPainterPath outside;
            outside.addRect(r);
            outside.addRect(sel);
            p.fillPath(outside, QColor(0, 0, 0, 110));
            p.setPen(QPen(Qt::white, 1, Qt::DashLine));
            p.drawRect(sel);
        }
    }
    void mousePressEvent(QMouseEvent *e) override
    {
        if (e->button() != Qt::LeftButton || view->current.isNull())
            return;
        dragging = true;
        start = toPicture(e->position());
        view->setSelection({});
    }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        if (dragging)
            view->setSelection(QRect(start, toPicture(e->position())).normalized());
    }
    void mouseReleaseEvent(QMouseEvent *e) override
    {
        if (!dragging || e->button() != Qt::LeftButton)
            return;
        dragging = false;
        const QRect sel = QRect(start, toPicture(e->position())).normalized();
        // A click, not a drag: no rectangle.
        const qreal s = view->scale();
        view->setSelection(sel.width() * s < 6 || sel.height() * s < 6 ? QRect() : sel);
    }
    void keyPressEvent(QKeyEvent *e) override
    {
        if (e->key() == Qt::Key_Escape && !view->selected.isEmpty()) {
            view->setSelection({});
            e->accept();
            return;
        }
        QWidget::keyPressEvent(e);
    }
    void wheelEvent(QWheelEvent *e) override
    {
        if (!(e->modifiers() & Qt::ControlModifier) || view->current.isNull()) {
            e->ignore();
            return;
        }
        if (e->angleDelta().y() > 0)
            view->zoomIn();
        else if (e->angleDelta().y() < 0)
            view->zoomOut();
        e->accept();
    }

private:
    TPassportImageView *view;
    bool dragging = false;
    QPoint start;
};

TPassportImageView::TPassportImageView(QWidget *parent) : QWidget(parent)
{
    setAcceptDrops(true);
    const auto button = [this](const char *name, const QString &text, const QString &tip, auto slot) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setText(text);
        b->setToolTip(tip);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        connect(b, &QToolButton::clicked, this, slot);
        return b;
    };
    fileButton = button("FileButton", QStringLiteral("ファイル…"), QStringLiteral("画像のファイルから取り込みます"),
                        &TPassportImageView::chooseFile);
    scanButton = button("ScanButton", QStringLiteral("スキャナ"), QStringLiteral("スキャナで読み取ります"),
                        &TPassportImageView::scan);
    cameraButton = button("CameraButton", QStringLiteral("カメラ"), QStringLiteral("カメラで撮影します"),
                          &TPassportImageView::takePhoto);
    clearButton = button("ClearButton", QStringLiteral("消去"), QStringLiteral("写しを消します"),
                         &TPassportImageView::clearImage);
    leftButton = button("RotateLeftButton", QStringLiteral("↺ 左"), QStringLiteral("左へ90°回します"),
                        &TPassportImageView::rotateLeft);
    rightButton = button("RotateRightButton", QStringLiteral("↻ 右"), QStringLiteral("右へ90°回します"),
                         &TPassportImageView::rotateRight);
    cropButton = button("CropButton", QStringLiteral("切り抜き"),
                        QStringLiteral("ドラッグして選んだ範囲だけを残します"),
                        [this] { cropToSelection(); });
    undoButton = button("UndoButton", QStringLiteral("元に戻す"), QStringLiteral("ひとつ前の状態に戻します"),
                        [this] { undo(); });
    zoomInButton = button("ZoomInButton", QStringLiteral("＋"), QStringLiteral("拡大します（Ctrl+ホイール）"),
                          &TPassportImageView::zoomIn);
    zoomOutButton = button("ZoomOutButton", QStringLiteral("－"), QStringLiteral("縮小します（Ctrl+ホイール）"),
                           &TPassportImageView::zoomOut);
    fitButton = button("FitButton", QStringLiteral("全体"), QStringLiteral("全体が見える大きさにします"),
                       &TPassportImageView::zoomToFit);

    auto *sources = new QHBoxLayout;
    for (QToolButton *b : {fileButton, scanButton, cameraButton, clearButton})
        sources->addWidget(b);
    sources->addStretch();
    auto *edits = new QHBoxLayout;
    for (QToolButton *b : {leftButton, rightButton, cropButton, undoButton})
        edits->addWidget(b);
    edits->addStretch();
    for (QToolButton *b : {zoomOutButton, zoomInButton, fitButton})
        edits->addWidget(b);

    canvas = new PassportCanvas(this);
    scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("PassportScroll"));
    scroll->setAlignment(Qt::AlignCenter);
    scroll->setWidget(canvas);
    scroll->setWidgetResizable(true);
    status = new QLabel(this);
    status->setObjectName(QStringLiteral("PassportStatus"));
    status->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(sources);
    layout->addLayout(edits);
    layout->addWidget(scroll, 1);
    layout->addWidget(status);
    updateControls();
}

TPassportImageView::~TPassportImageView()
{
    if (scanThread) {
        scanThread->disconnect(this);
        scanCancel->store(true);
        scanThread->wait();
        delete scanThread;
    }
}

void TPassportImageView::setFileChooser(FileChooser chooser)
{
    fileChooser = std::move(chooser);
}

bool TPassportImageView::refuse(const QString &why)
{
    ShowMessage(this, kTitle, why);
    return false;
}

bool TPassportImageView::setImage(const QByteArray &encoded)
{
    QImage image;
    if (!encoded.isEmpty()) {
        QString error;
        image = readPicture(encoded, &error);
        if (image.isNull())
            return refuse(QStringLiteral("旅券の写しを表示できません。") + error);
    }
    current = image;
    undoSteps.clear();
    selected = {};
    if (!scanThread)
        status->clear();
    edited = false;
    keptBytes = std::max(image.width(), image.height()) <= MaxSide ? encoded : QByteArray();
    fit = true;
    refreshCanvas();
    updateControls();
    return true;
}

QByteArray TPassportImageView::encodedImage() const
{
    if (current.isNull())
        return {};
    if (!edited && !keptBytes.isEmpty())
        return keptBytes;
    QImage out = current;
    if (std::max(out.width(), out.height()) > MaxSide)
        out = out.scaled(MaxSide, MaxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (out.hasAlphaChannel()) {
        QImage flat(out.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, out);
        out = flat;
    }
    out = out.isGrayscale() ? out.convertToFormat(QImage::Format_Grayscale8)
                            : out.convertToFormat(QImage::Format_RGB32);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    out.save(&buffer, "JPEG", 85);
    return bytes;
}

void TPassportImageView::replace(const QImage &next, bool keepUndo)
{
    if (keepUndo && !current.isNull()) {
        undoSteps.append(current);
        const auto bytes = [this] {
            qsizetype total = 0;
            for (const QImage &step : undoSteps)
                total += step.sizeInBytes();
            return total;
        };
        while (undoSteps.size() > kUndoSteps || (undoSteps.size() > 1 && bytes() > kUndoBytes))
            undoSteps.removeFirst();
    }
    current = next;
    selected = {};
    status->clear();
    edited = true;
    refreshCanvas();
    updateControls();
    emit changed();
}

bool TPassportImageView::loadImage(const QImage &image)
{
    if (image.isNull())
        return false;
    fit = true;
    replace(image, true);
    return true;
}

bool TPassportImageView::loadFile(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("「%1」を開けません（%2）。").arg(name, file.errorString()));
    if (file.size() > kMaxFileBytes)
        return refuse(QStringLiteral("「%1」は大きすぎます（%2 MB まで）。").arg(name).arg(kMaxFileBytes >> 20));
    QString error;
    const QImage image = readPicture(file.readAll(), &error);
    if (image.isNull())
        return refuse(QStringLiteral("「%1」を取り込めません。").arg(name) + error);
    return loadImage(image);
}

void TPassportImageView::chooseFile()
{
    const QString path = fileChooser ? fileChooser(this) : chooseWithDialog(this);
    if (!path.isEmpty())
        loadFile(path);
}

void TPassportImageView::scan()
{
    if (scanThread)
        return;
    scanCancel = std::make_shared<std::atomic<bool>>(false);
    scanResult = std::make_shared<ScanResult>();
    const ScanRequest request{scannerDevice, 300, true};
    const auto cancel = scanCancel;
    const auto result = scanResult;
    scanThread = QThread::create([request, cancel, result] { *result = scanPage(request, cancel.get()); });
    connect(scanThread, &QThread::finished, this, &TPassportImageView::scanDone);
    status->setText(QStringLiteral("スキャナから読み取っています…"));
    updateControls();
    scanThread->start();
}

void TPassportImageView::scanDone()
{
    scanThread->wait();
    delete scanThread;
    scanThread = nullptr;
    status->clear();
    updateControls();
    const ScanResult result = *scanResult;
    if (!result.image.isEmpty()) {
        QString error;
        const QImage image = readPicture(result.image, &error);
        if (image.isNull())
            refuse(QStringLiteral("スキャナから届いた画像を読めません。") + error);
        else
            loadImage(image);
    } else if (!result.error.isEmpty()) {
        refuse(result.error);
    }
    emit scanFinished();
}

void TPassportImageView::takePhoto()
{
    QString error;
    const QImage image = captureFromCamera(this, &error);
    if (!error.isEmpty())
        refuse(error);
    else
        loadImage(image);
}

void TPassportImageView::rotateLeft()
{
    if (!current.isNull())
        replace(current.transformed(QTransform().rotate(-90)), true);
}

void TPassportImageView::rotateRight()
{
    if (!current.isNull())
        replace(current.transformed(QTransform().rotate(90)), true);
}

void TPassportImageView::setSelection(const QRect &rect)
{
    selected = rect.normalized().intersected(current.rect());
    canvas->update();
    if (!scanThread)
        status->setText(selected.isEmpty() ? QString()
                                           : QStringLiteral("「切り抜き」で、選んだ範囲（%1 × %2）だけを残します。")
                                                 .arg(selected.width())
                                                 .arg(selected.height()));
    updateControls();
}

bool TPassportImageView::cropToSelection()
{
    if (current.isNull() || selected.isEmpty())
        return false;
    replace(current.copy(selected), true);
    return true;
}

bool TPassportImageView::undo()
{
    if (undoSteps.isEmpty())
        return false;
    const QImage previous = undoSteps.takeLast();
    replace(previous, false);
    return true;
}

void TPassportImageView::clearImage()
{
    if (current.isNull())
        return;
    if (ShowMessage(this, kTitle, QStringLiteral("旅券の写しを消しますか？"), QMessageBox::Yes | QMessageBox::No,
                    QMessageBox::No)
        != QMessageBox::Yes)
        return;
    replace(QImage(), true);
}

qreal TPassportImageView::scale() const
{
    if (current.isNull())
        return 1.0;
    if (!fit)
        return zoomScale;
    const QSize room = scroll->viewport()->size();
    return std::max(0.01, std::min(qreal(room.width()) / current.width(), qreal(room.height()) / current.height()));
}

void TPassportImageView::zoomIn()
{
    if (current.isNull())
        return;
    zoomScale = std::min(kMaxZoom, scale() * kZoomStep);
    fit = false;
    refreshCanvas();
}

void TPassportImageView::zoomOut()
{
    if (current.isNull())
        return;
    zoomScale = std::max(kMinZoom, scale() / kZoomStep);
    fit = false;
    refreshCanvas();
}

void TPassportImageView::zoomToFit()
{
    fit = true;
    refreshCanvas();
}

void TPassportImageView::refreshCanvas()
{
    scroll->setWidgetResizable(fit || current.isNull());
    if (!fit && !current.isNull()) {
        const QSize room = scroll->viewport()->size();
        const QSize size = (QSizeF(current.size()) * zoomScale).toSize();
        canvas->resize(std::max(size.width(), room.width()), std::max(size.height(), room.height()));
    }
    canvas->update();
    updateControls();
}

void TPassportImageView::updateControls()
{
    const bool has = !current.isNull();
    const bool idle = scanThread == nullptr;
    for (QToolButton *b : {fileButton, cameraButton})
        b->setEnabled(idle);
    scanButton->setEnabled(idle);
    clearButton->setEnabled(idle && has);
    for (QToolButton *b : {leftButton, rightButton, zoomInButton, zoomOutButton})
        b->setEnabled(idle && has);
    fitButton->setEnabled(idle && has && !fit);
    cropButton->setEnabled(idle && has && !selected.isEmpty());
    undoButton->setEnabled(idle && !undoSteps.isEmpty());
}

void TPassportImageView::dragEnterEvent(QDragEnterEvent *event)
{
    const QMimeData *m = event->mimeData();
    bool usable = m->hasImage();
    for (const QUrl &url : m->urls())
        usable = usable || url.isLocalFile();
    for (const QString &format : m->formats())
        usable = usable || format.startsWith(QLatin1String("image/"));
    if (usable && !scanThread)
        event->acceptProposedAction();
}

void TPassportImageView::dropEvent(QDropEvent *event)
{
    const QMimeData *m = event->mimeData();
    event->acceptProposedAction();
    for (const QUrl &url : m->urls()) {
        if (url.isLocalFile()) {
            loadFile(url.toLocalFile());
            return;
        }
    }
    if (m->hasImage()) {
        loadImage(qvariant_cast<QImage>(m->imageData()));
        return;
    }
    for (const QString &format : m->formats()) {
        if (format.startsWith(QLatin1String("image/"))) {
            QString error;
            const QImage image = readPicture(m->data(format), &error);
            if (image.isNull())
                refuse(QStringLiteral("ドロップされた画像を取り込めません。") + error);
            else
                loadImage(image);
            return;
        }
    }
}
