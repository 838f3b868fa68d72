#include "LayoutTestSupport.h"

#include "ClassRegistry.h"

#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace LayoutTests {

TFillItem::TFillItem(QObject* owner) : TPrintItem(owner) {
    SetStateFlag(psSelectable, true);
    SetStateFlag(psAcceptItems, true);
    SetStateFlag(psCanCopy, true);
}

void TFillItem::Render(Plotmere::TRenderDevice& device) {
    if (FailRender) throw Exception(QStringLiteral("render failed"));
    QPainter& canvas = *device.Canvas();
    canvas.save();
    canvas.setPen(Qt::NoPen);
    canvas.setBrush(ColorToQColor(TColor(FColor)));
    const QRect b = Bounds();
    device.Rectangle(b.left(), b.top(), b.left() + b.width(), b.top() + b.height());
    canvas.restore();
    TPrintItem::Render(device);
}

bool TFillItem::Setup(Plotmere::TRenderDevice*) {
    if (SetupColor < 0) return false;
    SetColor(SetupColor);
    return true;
}

Plotmere::TPrintEditActions TFillItem::GetUserAction(Plotmere::TPrintView* view, int x, int y, Qt::KeyboardModifiers shift) {
    if (FailUserAction) throw Exception(QStringLiteral("user action failed"));
    return TPrintItem::GetUserAction(view, x, y, shift);
}

TFillItem* AddFill(Plotmere::TPrintItem* parent, int left, int top, int width, int height, int color) {
    auto* item = new TFillItem(parent);
    item->SetLeft(left);
    item->SetTop(top);
    item->SetWidth(width);
    item->SetHeight(height);
    item->SetColor(color);
    return item;
}

namespace {
class TRecordingEngine : public QPaintEngine {
public:
    explicit TRecordingEngine(TRecordingCanvas& canvas) : QPaintEngine(AllFeatures), FCanvas(canvas) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    Type type() const override { return User; }
    void drawRects(const QRectF* rects, int count) override {
        for (int i = 0; i < count; ++i) Add("rect", painter()->transform().mapRect(rects[i]));
    }
    void drawRects(const QRect* rects, int count) override {
        for (int i = 0; i < count; ++i) Add("rect", painter()->transform().mapRect(QRectF(rects[i])));
    }
    void drawLines(const QLineF* lines, int count) override {
        for (int i = 0; i < count; ++i) {
            Add("line", painter()->transform().mapRect(QRectF(lines[i].p1(), lines[i].p2()).normalized()));
            Detail(QPolygonF{lines[i].p1(), lines[i].p2()});
        }
    }
    void drawPath(const QPainterPath& path) override {
        Add("path", path.boundingRect());
        Detail(path.toFillPolygon());
        FCanvas.Calls.back().Color = painter()->brush().color();
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode) override {
        const QPolygonF polygon(QList<QPointF>(points, points + count));
        Add("polygon", polygon.boundingRect());
        Detail(polygon);
    }
    void drawPixmap(const QRectF& r, const QPixmap&, const QRectF&) override { Add("pixmap", r); }
    void drawImage(const QRectF& r, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {
        Add("image", painter()->transform().mapRect(r));
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        Add("text", QRectF(p, QSizeF(1, 1)));
        Detail(QPolygonF{p});
        FCanvas.Calls.back().Text = item.text();
        FCanvas.Calls.back().Color = painter()->pen().color();
    }

private:
    void Add(const char* kind, const QRectF& r) { FCanvas.Calls.push_back({QString::fromLatin1(kind), r}); }
    // The device-pixel details of the call just added.
    void Detail(const QPolygonF& points) {
        TRecordingCanvas::TCall& call = FCanvas.Calls.back();
        const QPainter* p = painter();
        call.Points = p->transform().map(points);
        call.Color = p->pen().color();
        call.PenWidth = p->pen().widthF();
        call.Style = p->pen().style();
        if (p->hasClipping()) call.Clip = p->transform().mapRect(p->clipBoundingRect());
    }
    TRecordingCanvas& FCanvas;
};
}  // namespace

TRecordingCanvas::TRecordingCanvas(int dpi, QSize size) : FDpi(dpi), FSize(size) {}

TRecordingCanvas::~TRecordingCanvas() = default;

QPaintEngine* TRecordingCanvas::paintEngine() const {
    if (!FEngine) FEngine = std::make_unique<TRecordingEngine>(const_cast<TRecordingCanvas&>(*this));
    return FEngine.get();
}

int TRecordingCanvas::metric(PaintDeviceMetric metric) const {
    switch (metric) {
    case PdmWidth: return FSize.width();
    case PdmHeight: return FSize.height();
    case PdmWidthMM: return int(FSize.width() * 25.4 / FDpi);
    case PdmHeightMM: return int(FSize.height() * 25.4 / FDpi);
    case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return FDpi;
    case PdmDepth: return 32;
    case PdmNumColors: return 1 << 24;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
    default: return 0;
    }
}

std::vector<TRecordingCanvas::TCall> TRecordingCanvas::Of(const QString& kind, const QColor& color) const {
    std::vector<TCall> calls;
    for (const TCall& call : Calls)
        if (call.Kind == kind && call.Color == color) calls.push_back(call);
    return calls;
}

QString LayoutText(Plotmere::TPrintItem& item) {
    QStringList lines = item.GetAsText().split(QStringLiteral("\r\n"));
    lines.removeIf([](const QString& line) { return line.trimmed().startsWith(QStringLiteral("State = ")); });
    return lines.join(QStringLiteral("\r\n"));
}

QString ArtifactsDir() {
    const QString dir = qEnvironmentVariable("WK_TEST_ARTIFACTS");
    if (!dir.isEmpty()) QDir().mkpath(dir);
    return dir;
}

QImage RasterisePdfPage(const QString& pdfFile, int page, int dpi) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (program.isEmpty())
        throw Exception(QStringLiteral("pdftoppm is not installed (poppler-utils, scripts/install-deps installs it)"));
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    QProcess run;
    run.start(program, {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QString::number(page),
                        QStringLiteral("-l"), QString::number(page), QStringLiteral("-singlefile"), QStringLiteral("-png"),
                        pdfFile, prefix});
    // The long limit only stops a broken child from hanging the test.
    if (!run.waitForFinished(120000) || run.exitStatus() != QProcess::NormalExit || run.exitCode() != 0)
        throw Exception(QStringLiteral("pdftoppm failed on %1: %2").arg(pdfFile, QString::fromLocal8Bit(run.readAllStandardError())));
    QImage image(prefix + QStringLiteral(".png"));
    if (image.isNull()) throw Exception(QStringLiteral("pdftoppm wrote no page %1 of %2").arg(page).arg(pdfFile));
    return image.convertToFormat(QImage::Format_RGB32);
}

WK_REGISTER_CLASS(TFillItem)

}  // namespace LayoutTests
