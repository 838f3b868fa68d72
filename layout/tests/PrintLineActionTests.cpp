// Drawing correlation lines click by click, moving their nodes, placing,
// moving and setting up track pictures and selecting an index range, with
// synthetic mouse events.
#include "WellLogTestSupport.h"

#include "ModalDialogs.h"
#include "PrintComments.h"
#include "PrintView.h"
#include "UIServices.h"
#include "dlg_SetupPicture.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace Plotmere;
using namespace LayoutTests;

namespace {
struct TLineView {
    TLineView() : UI(std::make_shared<TScriptedUIServices>()), OldUI(SetUIServices(UI)) {
        SetUpDepthDocument(Doc, 1000, 1100, 0.5, 10);
        Field = new TPrintField(&Doc);
        Field->SetLeft(10);
        Field->SetTop(10);
        Field->SetWidth(60);
        View.resize(600, 600);
        View.SetMainView(true);
        View.SetDocument(&Doc);
        View.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&View));
        Doc.Changed(dcContents);
    }
    ~TLineView() {
        View.SetDocument(nullptr);
        SetUIServices(OldUI);
    }
    QPoint At(double x, double value) const { return View.Device().AbsPrj(x, Field->PrjVertValueToMM(value)); }
    QList<TPrintCorellationLine*> Lines() const {
        QList<TPrintCorellationLine*> lines;
        for (TPrintItem* item : Doc.Items())
            if (auto* line = qobject_cast<TPrintCorellationLine*>(item)) lines << line;
        return lines;
    }
    std::shared_ptr<TScriptedUIServices> UI;
    std::shared_ptr<IUIServices> OldUI;
    TSketchDocument Doc;
    TPrintField* Field;
    TSketchView View;
};
}  // namespace

TEST(PrintLineActions, CorrelationLineClickByClick) {
    TLineView f;
    f.Doc.SetCurAction(new TPrintAddCorellationLineAction(&f.Doc));
    const QPoint a = f.At(20, 1020), b = f.At(50, 1060);
    QTest::mouseClick(&f.View, Qt::LeftButton, {}, a);
    QTest::mouseMove(&f.View, b);
    EXPECT_EQ(f.View.Device().Segments().size(), 1) << "the segment to the cursor is in the frame list";
    QTest::mouseClick(&f.View, Qt::LeftButton, {}, b);
    QTest::mouseDClick(&f.View, Qt::LeftButton, {}, b);
    EXPECT_EQ(f.Doc.CurAction(), nullptr);
    EXPECT_TRUE(f.View.Device().Segments().isEmpty());
    ASSERT_EQ(f.Lines().size(), 1);
    TPrintCorellationLine* line = f.Lines()[0];
    ASSERT_EQ(line->Points().Count(), 2);
    EXPECT_NEAR(line->GetPoint(0).x, 20, 0.6);
    EXPECT_NEAR(line->GetPoint(0).y, 1020, 0.3);
    EXPECT_NEAR(line->GetPoint(1).y, 1060, 0.3);
    EXPECT_EQ(f.Doc.LastDone()->GetName(), "Добавить линию корелляции");
    // Its bounds follow the nodes through the track, as its drawing does.
    const QRect bounds = line->Bounds();
    EXPECT_NEAR(bounds.top(), f.Field->PrjVertValueToMM(1020), 1.5);
    EXPECT_NEAR(bounds.top() + bounds.height(), f.Field->PrjVertValueToMM(1060), 1.5);
    const QUuid id = line->ID();
    f.Doc.Undo();
    EXPECT_TRUE(f.Lines().isEmpty());
    f.Doc.Redo();
    ASSERT_EQ(f.Lines().size(), 1);
    EXPECT_EQ(f.Lines()[0]->ID(), id);

    // A node dragged to another depth; undone through the line's text.
    const QPoint node = f.At(f.Lines()[0]->GetPoint(1).x, f.Lines()[0]->GetPoint(1).y);
    QTest::mousePress(&f.View, Qt::LeftButton, {}, node);
    ASSERT_NE(f.Doc.CurAction(), nullptr);
    const QPoint to = f.At(40, 1080);
    QTest::mouseMove(&f.View, to);
    QTest::mouseRelease(&f.View, Qt::LeftButton, {}, to);
    EXPECT_EQ(f.Doc.LastDone()->GetName(), "Изменить линию корелляции");
    EXPECT_NEAR(qobject_cast<TPrintCorellationLine*>(f.Doc.FindItem(id))->GetPoint(1).y, 1080, 0.3);
    f.Doc.Undo();
    EXPECT_NEAR(qobject_cast<TPrintCorellationLine*>(f.Doc.FindItem(id))->GetPoint(1).y, 1060, 0.3);
    f.Doc.Redo();
    EXPECT_NEAR(qobject_cast<TPrintCorellationLine*>(f.Doc.FindItem(id))->GetPoint(1).y, 1080, 0.3);
}

TEST(PrintLineActions, AClickThenADoubleClickOnTheSameSpotCancels) {
    TLineView f;
    f.Doc.SetCurAction(new TPrintAddCorellationLineAction(&f.Doc));
    const QPoint a = f.At(20, 1020);
    QTest::mouseClick(&f.View, Qt::LeftButton, {}, a);
    QTest::mouseDClick(&f.View, Qt::LeftButton, {}, a + QPoint(1, 1));
    EXPECT_EQ(f.Doc.CurAction(), nullptr);
    EXPECT_TRUE(f.Lines().isEmpty());
    EXPECT_EQ(f.Doc.DoneCount(), 0);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST(PrintLineActions, TrackPictureAndIndexRange) {
    TLineView f;
    QTemporaryDir dir;
    QImage picture(76, 38, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(dir.filePath("core.png")));
    f.UI->OpenFileAnswers.push_back(dir.filePath("core.png"));
    f.Doc.SetCurAction(new TPrintAddFieldImage(&f.Doc));
    QTest::mouseClick(&f.View, Qt::LeftButton, {}, f.At(30, 1050));
    ASSERT_EQ(f.UI->FileDialogs.size(), 1u);
    EXPECT_TRUE(f.UI->FileDialogs[0].Picture);
    TPrintFieldImage* image = nullptr;
    for (TPrintItem* item : f.Field->Items())
        if ((image = qobject_cast<TPrintFieldImage*>(item))) break;
    ASSERT_NE(image, nullptr);
    EXPECT_NEAR(image->Position(), 1050, 0.3);
    EXPECT_EQ(image->Left(), 20);
    EXPECT_EQ(image->GetBounds().size(), QSize(21, 11));
    EXPECT_NEAR(image->Bounds().top(), f.Field->PrjVertValueToMM(1050), 1);
    EXPECT_EQ(f.Doc.LastDone()->GetName(), "Добавить изображение");
    const QUuid id = image->ID();
    f.Doc.Undo();
    EXPECT_EQ(f.Doc.FindItem(id), nullptr);
    f.Doc.Redo();
    EXPECT_NE(f.Doc.FindItem(id), nullptr);
    // A cancelled file dialog adds nothing.
    f.Doc.SetCurAction(new TPrintAddFieldImage(&f.Doc));
    QTest::mouseClick(&f.View, Qt::LeftButton, {}, f.At(30, 1070));
    EXPECT_EQ(f.Doc.DoneCount(), 1);
    // A file that is no picture is reported and adds nothing either.
    QFile bad(dir.filePath("core.bmp"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();
    f.UI->OpenFileAnswers.push_back(bad.fileName());
    f.Doc.SetCurAction(new TPrintAddFieldImage(&f.Doc));
    QTest::mouseClick(&f.View, Qt::LeftButton, {}, f.At(30, 1070));
    EXPECT_EQ(f.Doc.CurAction(), nullptr);
    EXPECT_EQ(f.Doc.DoneCount(), 1);
    ASSERT_EQ(f.UI->Messages.size(), 1);
    EXPECT_TRUE(f.UI->Messages[0].contains("core.bmp"));

    auto* range = new TPrintAddDataRangeAction(&f.Doc);
    f.Doc.SetCurAction(range);
    QTest::mousePress(&f.View, Qt::LeftButton, {}, f.At(30, 1010));
    QTest::mouseMove(&f.View, f.At(30, 1030));
    EXPECT_NEAR(range->GetStart(), 1010, 0.3);
    EXPECT_NEAR(range->GetStop(), 1030, 0.3);
    EXPECT_TRUE(range->Hint().startsWith("Интервал выбора: 10"));
    QTest::mouseRelease(&f.View, Qt::LeftButton, {}, f.At(30, 1030));
    EXPECT_EQ(f.Doc.CurAction(), nullptr);
    EXPECT_EQ(f.Doc.LastDone(), range);
}

TEST(PrintLineActions, TrackPictureMovedAndSetUpWithTheMouse) {
    TLineView f;
    auto* image = new TPrintFieldImage(f.Field);
    QImage picture(80, 40, QImage::Format_RGB32);
    picture.fill(Qt::green);
    picture.setDotsPerMeterX(4000);  // 20 mm by 10 mm
    picture.setDotsPerMeterY(4000);
    image->SetGraphic(picture);
    image->AutoSize();
    image->SetLeft(10);
    image->SetPosition(1040);
    f.Doc.Changed(dcContents);
    const QUuid id = image->ID();
    const auto find = [&] { return qobject_cast<TPrintFieldImage*>(f.Doc.FindItem(id)); };

    // Dragged by its inside: the left edge lands on a whole millimetre, the top on an index value.
    const QRect r = f.View.Device().GetAbsPrjRect(image->Bounds().left(), image->Bounds().top(),
                                                  image->Bounds().left() + image->Bounds().width(),
                                                  image->Bounds().top() + image->Bounds().height());
    EXPECT_EQ(image->GetUserAction(&f.View, r.center().x(), r.center().y(), {}), (TPrintEditActions{saMove}));
    EXPECT_EQ(image->GetUserAction(&f.View, r.center().x(), r.center().y(), Qt::ShiftModifier), (TPrintEditActions{saSetup}));
    EXPECT_TRUE(image->GetUserAction(&f.View, r.right() + 5, r.center().y(), {}).Empty());
    const QPoint shift(17, 30);
    QTest::mousePress(&f.View, Qt::LeftButton, {}, r.center());
    ASSERT_NE(f.Doc.CurAction(), nullptr);
    QTest::mouseMove(&f.View, r.center() + shift);
    EXPECT_EQ(f.View.Device().Frames().size(), 1) << "the moved frame is in the view's frame list";
    QTest::mouseRelease(&f.View, Qt::LeftButton, {}, r.center() + shift);
    EXPECT_TRUE(f.View.Device().Frames().isEmpty());
    ASSERT_EQ(f.Doc.DoneCount(), 1);
    EXPECT_EQ(f.Doc.LastDone()->GetName(), "Переместить изображение");
    const double mmPerPixel = 1 / f.View.Device().YResScl();
    EXPECT_NEAR(find()->Position(), 1040 + shift.y() * mmPerPixel * 0.5, 0.5);
    EXPECT_NEAR(find()->Left(), 10 + shift.x() * mmPerPixel, 0.6);
    EXPECT_NEAR(find()->Bounds().top(), f.Field->PrjVertValueToMM(find()->Position()), 0.5) << "laid out anew";
    const int left = find()->Left();
    const double position = find()->Position();
    f.Doc.Undo();
    EXPECT_EQ(find()->Left(), 10);
    EXPECT_EQ(find()->Position(), 1040.0);
    f.Doc.Redo();
    EXPECT_EQ(find()->Left(), left);
    EXPECT_EQ(find()->Position(), position);

    // A double click opens the picture dialog without the top, which the position decides.
    const QPoint inside = f.View.Device().AbsPrj(f.Field->GetAbsLeft() + left + 5, f.Field->PrjVertValueToMM(position) + 5);
    int absLeft = 0;
    f.UI->ScriptDialogOnce(QString::fromLatin1(TdlgSetupPicture::staticMetaObject.className()), [&](QObject* o) {
        auto& d = *qobject_cast<TdlgSetupPicture*>(o);
        EXPECT_FALSE(d.edTop->isVisibleTo(&d));
        EXPECT_EQ(d.edWidth->text(), "20");
        EXPECT_EQ(d.edHeight->text(), "10");
        absLeft = d.edLeft->text().toInt();
        d.edLeft->setText(QString::number(absLeft + 5));
        d.edWidth->setText("30");
        d.OKBtn->click();
        return DialogResult(d);
    });
    QTest::mouseDClick(&f.View, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(&f.View, Qt::LeftButton, {}, inside);
    EXPECT_EQ(f.UI->ShownDialogs, QStringList{"Plotmere::TdlgSetupPicture: Настройка изображения"});
    ASSERT_EQ(f.Doc.DoneCount(), 2);
    EXPECT_EQ(absLeft, f.Field->GetAbsLeft() + left);
    EXPECT_EQ(find()->Left(), left + 5);
    EXPECT_EQ(find()->Width(), 30);
    EXPECT_EQ(find()->Position(), position);
    EXPECT_EQ(find()->Image()->Graphic().size(), QSize(80, 40));
    f.Doc.Undo();
    EXPECT_EQ(find()->Left(), left);
    EXPECT_EQ(find()->Width(), 20);
    f.Doc.Redo();
    EXPECT_EQ(find()->Width(), 30);
}
