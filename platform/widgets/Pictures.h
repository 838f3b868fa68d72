#pragma once
// Pictures stored in forms and the picture control. A picture's stored data
// ("Picture.Data") is the old graphic class name (a length byte and the
// name) followed by the graphic's own data: for TBitmap a 32-bit length and
// the BMP file, for TPngImage, TJPEGImage and TIcon the file itself. Data of
// other graphic classes (metafiles) is kept and written back unchanged but
// not drawn.
#include "Controls.h"

#include <QByteArray>
#include <QImage>

#pragma GCC visibility push(default)

class TPicture : public TPersistent {
    Q_OBJECT
public:
    explicit TPicture(QObject* parent = nullptr) : TPersistent(parent) {}

    const QImage& Graphic() const { return FImage; }
    // The graphic class of the stored data ("TPngImage" ...), empty for none.
    const QString& GraphicClass() const { return FClass; }
    bool Empty() const { return FClass.isEmpty(); }
    // A picture file's bytes (BMP, PNG, JPEG, ICO); raises for data that is
    // not a readable picture and leaves the picture as it was.
    void LoadFromData(const QByteArray& fileBytes);
    void Clear();
    // The stored form; a malformed one raises and changes nothing.
    QByteArray Data() const;
    void SetData(const QByteArray& data);

    void Assign(const TPersistent* source) override;
    void DefineProperties(TFiler& filer) override;

private:
    QString FClass;
    QByteArray FBytes;  // the graphic's own data (a BMP without its length)
    QImage FImage;
};

// A bitmap held by a control (a speed button's glyph): stored as "Data", a
// 32-bit length and the BMP file.
class TBitmap : public TPersistent {
    Q_OBJECT
public:
    explicit TBitmap(QObject* parent = nullptr) : TPersistent(parent) {}
    const QImage& Image() const { return FImage; }
    bool Empty() const { return FBytes.isEmpty(); }
    // A picture file's bytes; stored as a BMP. Raises for unreadable data.
    void LoadFromData(const QByteArray& fileBytes);
    QByteArray Data() const;
    // The stored form; a malformed one raises and changes nothing.
    void SetData(const QByteArray& data);
    void Assign(const TPersistent* source) override;
    void DefineProperties(TFiler& filer) override;

private:
    QByteArray FBytes;  // the BMP file
    QImage FImage;
};

class TImage : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(TPicture* Picture READ Picture WRITE SetPicture)
    Q_PROPERTY(bool Center READ Center WRITE SetCenter)
    Q_PROPERTY(bool Stretch READ Stretch WRITE SetStretch)
    Q_PROPERTY(bool Proportional READ Proportional WRITE SetProportional)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
public:
    Q_INVOKABLE explicit TImage(QObject* owner = nullptr);

    TPicture* Picture() const { return FPicture; }
    void SetPicture(TPicture* v) { FPicture->Assign(v); }
    bool Center() const { return FCenter; }
    void SetCenter(bool v);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool v);
    bool Proportional() const { return FProportional; }
    void SetProportional(bool v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    TPicture* FPicture;
    bool FCenter = false;
    bool FStretch = false;
    bool FProportional = false;
    bool FTransparent = false;
};

#pragma GCC visibility pop
