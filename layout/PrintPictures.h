#pragma once
// Pictures and panels of a layout. A picture is drawn stretched into its
// rectangle and takes its physical size from the resolution it stores; a
// panel is a framed, filled rectangle that groups other items.
#include "Pictures.h"
#include "PrintDocument.h"

#pragma GCC visibility push(default)

class QPainter;

namespace Plotmere {

// A picture's physical size in whole millimetres, rounded up (96 dots per
// inch when it stores no resolution); 50 x 50 mm for none.
QSize PictureSizeMM(const QImage& image);

// A panel: the rectangle filled, with a 3-D frame of frameWidth pixels,
// topColor at the top and left, bottomColor at the bottom and right.
void DrawPanel(QPainter& canvas, const QRect& r, TColor brushColor, TColor topColor, TColor bottomColor, int frameWidth);

class TPrintImage : public TPrintItem {
    Q_OBJECT
    Q_PROPERTY(TPicture* Image READ Image WRITE SetImage)
public:
    Q_INVOKABLE explicit TPrintImage(QObject* owner = nullptr);
    TPicture* Image() const { return FImage; }
    void SetImage(TPicture* value);
    QString ImageFile() const { return FImageFile; }
    // Loads a picture file; a file that cannot be read leaves the picture as
    // it was, says so through the UI services and answers false.
    bool SetImageFile(const QString& fileName);
    // Takes a picture (its stored resolution kept).
    void SetGraphic(const QImage& image);
    // The picture's physical size in whole millimetres (96 dots per inch when
    // it stores no resolution); 50 mm for none.
    void AutoSize();

    void BuildTree(TTreeView& tree, QTreeWidgetItem* node) override;
    void CreateFromClipboard() override;
    void Prepare(TRenderDevice& device) override;
    void Render(TRenderDevice& device) override;
    bool Setup(TRenderDevice* device) override;
    int SupportsClipboardFormat(const QList<int>& formats) const override;

private:
    TPicture* FImage;
    QString FImageFile;
};

class TPrintShape : public TPrintItem {
    Q_OBJECT
    Q_PROPERTY(Colors::TColor TopColor READ TopColor WRITE SetTopColor)
    Q_PROPERTY(Colors::TColor BottomColor READ BottomColor WRITE SetBottomColor)
    Q_PROPERTY(Colors::TColor BrushColor READ BrushColor WRITE SetBrushColor)
    Q_PROPERTY(int FrameWidth READ FrameWidth WRITE SetFrameWidth)
public:
    Q_INVOKABLE explicit TPrintShape(QObject* owner = nullptr);
    TColor TopColor() const { return FTopColor; }
    void SetTopColor(TColor v) { FTopColor = v; }
    TColor BottomColor() const { return FBottomColor; }
    void SetBottomColor(TColor v) { FBottomColor = v; }
    TColor BrushColor() const { return FBrushColor; }
    void SetBrushColor(TColor v) { FBrushColor = v; }
    int FrameWidth() const { return FFrameWidth; }
    void SetFrameWidth(int v) { FFrameWidth = v; }

    bool AcceptItem(TPrintItem* item) const override;
    void BuildTree(TTreeView& tree, QTreeWidgetItem* node) override;
    void Prepare(TRenderDevice& device) override;
    QString PrintClassName() const override { return QStringLiteral("Панель"); }
    void Render(TRenderDevice& device) override;
    bool Setup(TRenderDevice* device) override;

private:
    TColor FTopColor = clBtnFace;
    TColor FBottomColor = clBtnShadow;
    TColor FBrushColor = clWindow;
    int FFrameWidth = 2;
};

}  // namespace Plotmere

#pragma GCC visibility pop
