#pragma once
// The image list: equally sized images kept side by side in one bitmap.
#include "Components.h"

#include <QImage>

#pragma GCC visibility push(default)

class TCustomImageList : public TComponent {
    Q_OBJECT
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(TColorDepth ColorDepth READ ColorDepth WRITE SetColorDepth)
    Q_PROPERTY(bool Masked READ Masked WRITE SetMasked)
public:
    enum TColorDepth { cdDeviceDependent, cd4Bit, cd8Bit, cd16Bit, cd24Bit, cd32Bit };
    Q_ENUM(TColorDepth)

    Q_INVOKABLE explicit TCustomImageList(QObject* owner = nullptr) : TComponent(owner) {}

    int Width() const { return FWidth; }
    // Sizes are 1 to 4096 pixels; changing one empties the list.
    void SetWidth(int v);
    int Height() const { return FHeight; }
    void SetHeight(int v);
    TColorDepth ColorDepth() const { return FDepth; }
    void SetColorDepth(TColorDepth v) { FDepth = v; }
    bool Masked() const { return FMasked; }
    void SetMasked(bool v) { FMasked = v; }

    int Count() const { return FWidth > 0 ? FBitmap.width() / FWidth : 0; }
    // Appends an image, scaled to the list's size.
    void Add(const QImage& image);
    QImage Image(int index) const;
    // The images side by side, premultiplied ARGB.
    const QImage& Bitmap() const { return FBitmap; }
    void SetBitmap(const QImage& bitmap);
    // Copies size, depth, masking and images.
    void Assign(const TCustomImageList& source);
    // "Bitmap": the stored images in the old platform's image list format (a
    // 28-byte header with the count and size, then a BMP holding the images
    // four to a row, then a mask). Kept as read and written back; the images
    // are taken from it when the BMP is readable. A list whose images the
    // program changed has no stored form.
    void DefineProperties(TFiler& filer) override;
    const QByteArray& StoredBitmap() const { return FStored; }
    void SetStoredBitmap(const QByteArray& data);

private:
    int FWidth = 16;
    int FHeight = 16;
    TColorDepth FDepth = cdDeviceDependent;
    bool FMasked = true;
    QImage FBitmap;
    QByteArray FStored;
};

class TImageList : public TCustomImageList {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TImageList(QObject* owner = nullptr) : TCustomImageList(owner) {}
};

#pragma GCC visibility pop
