#pragma once
// TPassportImageView: the copy of a guest's passport kept with the register
// entry. Shows the picture scaled to fit (or zoomed), turns it a quarter
// left or right, crops it to a rectangle dragged over it (undone step by
// step), and takes a picture from a file, a drop, a scanner or a camera.
//
// The window hands it the kept picture with setImage() and takes it back
// with encodedImage(); changed() tells that the user changed it (never
// setImage() itself).

#include "register/scanner.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

class QLabel;
class QScrollArea;
class QThread;
class QToolButton;
class PassportCanvas;

class TPassportImageView : public QWidget {
    Q_OBJECT

public:
    // The longest side of a kept picture, in pixels: a passport page scanned
    // at 300 dpi stays whole, a photo of 12 megapixels is made smaller.
    static constexpr int MaxSide = 2000;

    explicit TPassportImageView(QWidget *parent = nullptr);
    ~TPassportImageView() override;

    // Shows a kept picture (JPEG, PNG or any format Qt reads); empty bytes
    // clear the view. A picture that cannot be read whole is refused with a
    // message and the view keeps what it showed. Forgets the undo steps.
    bool setImage(const QByteArray &encoded);
    // The picture as kept: JPEG, at most MaxSide pixels on its longest side;
    // empty when there is none.
    QByteArray encodedImage() const;
    QImage image() const { return current; }
    bool isEmpty() const { return current.isNull(); }

    // What the buttons do; each emits changed() when the picture changed.
    bool loadFile(const QString &path); // a message when it cannot be read
    bool loadImage(const QImage &image);
    void chooseFile();
    void scan();
    void takePhoto();
    void rotateLeft();
    void rotateRight();
    // The rectangle to crop to, in the picture's pixels (dragging sets it).
    void setSelection(const QRect &rect);
    QRect selection() const { return selected; }
    bool cropToSelection();
    bool undo();
    bool canUndo() const { return !undoSteps.isEmpty(); }
    void clearImage(); // asks first

    // Zoom: fitting the view, or a scale of the picture's pixels.
    void zoomIn();
    void zoomOut();
    void zoomToFit();
    bool fitsView() const { return fit; }
    qreal scale() const;

    // A scan runs in a worker thread; the view keeps working meanwhile.
    bool isScanning() const { return scanThread != nullptr; }
    // The SANE device the scan uses; empty: the first scanner found.
    void setScannerDevice(const QString &device) { scannerDevice = device; }

    // Asks for a picture file; an empty text cancels. Tests replace it (an
    // empty function restores the file dialog).
    using FileChooser = std::function<QString(QWidget *parent)>;
    static void setFileChooser(FileChooser chooser);

signals:
    void changed();
    void scanFinished();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    friend class PassportCanvas;
    void replace(const QImage &next, bool keepUndo);
    void updateControls();
    void refreshCanvas();
    void scanDone();
    bool refuse(const QString &why);

    QImage current;
    QList<QImage> undoSteps;
    QRect selected;
    bool fit = true;
    qreal zoomScale = 1.0;
    QByteArray keptBytes; // what setImage was given, handed back while unchanged
    bool edited = false;

    QString scannerDevice;
    QThread *scanThread = nullptr;
    std::shared_ptr<std::atomic<bool>> scanCancel;
    std::shared_ptr<ScanResult> scanResult;

    QScrollArea *scroll = nullptr;
    PassportCanvas *canvas = nullptr;
    QLabel *status = nullptr;
    QToolButton *fileButton = nullptr, *scanButton = nullptr, *cameraButton = nullptr;
    QToolButton *leftButton = nullptr, *rightButton = nullptr, *cropButton = nullptr, *undoButton = nullptr;
    QToolButton *zoomInButton = nullptr, *zoomOutButton = nullptr, *fitButton = nullptr, *clearButton = nullptr;
};

// Reads a picture whole: a damaged or cut-off file gives a null image and
// the reason in *error.
QImage readPicture(const QByteArray &bytes, QString *error);
