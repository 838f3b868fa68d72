// The plain form controls and the sensor label: form text in the old syntax,
// loading forms, the label's text and the controls' property dialogs.
#include "VisualTestSupport.h"

#include "DebugOutput.h"
#include "EditControls.h"
#include "RegisterComponents.h"
#include "Swatchbox.h"
#include "WKFormText.h"
#include "WKImage.h"
#include "WKPageControl.h"
#include "WKPlainControls.h"
#include "WKSensorLabel.h"
#include "dlg_SetupImage.h"
#include "dlg_SetupLabel.h"
#include "dlg_SetupPages.h"
#include "dlg_SetupPanel.h"
#include "dlg_SetupSensLabel.h"
#include "dlg_SetupSplitter.h"
#include "fr_Align.h"

#include <QBuffer>
#include <QCheckBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <cmath>
#include <memory>

namespace {
using FormControls = VisualTest;

// A form as the old designer wrote it, with every construct the readers meet.
const char* const OldForm =
    "object Form1: TWKPanel\r\n"
    "  Left = 0\r\n"
    "  Top = 0\r\n"
    "  Width = 400\r\n"
    "  Height = 300\r\n"
    "  BevelOuter = bvLowered\r\n"
    "  Caption = #1055#1072#1085#1077#1083#1100\r\n"
    "  ExplicitLeft = 8\r\n"
    "  OldProperty = 5\r\n"
    "  object lblDepth: TWKLabel\r\n"
    "    Left = 8\r\n"
    "    Top = 8\r\n"
    "    Caption = #1043#1083#1091#1073#1080#1085#1072 + \r\n"
    "      ' ('#1084')'\r\n"
    "    Font.Style = [fsBold]\r\n"
    "  end\r\n"
    "  object gbPumps: TWKGroupBox\r\n"
    "    Left = 8\r\n"
    "    Top = 40\r\n"
    "    Width = 200\r\n"
    "    Height = 120\r\n"
    "    Align = alBottom\r\n"
    "    object slDepth: TWKSensorLabel\r\n"
    "      Left = 8\r\n"
    "      Top = 20\r\n"
    "      IsDateTime = True\r\n"
    "      Sensor.GID = 101\r\n"
    "      Sensor.Name = #1043#1083#1091#1073#1080#1085#1072\r\n"
    "      Sensor.Precision = 1\r\n"
    "      Sensor.StreamID = 'Depth'\r\n"
    "      Sensor.Units = #1084\r\n"
    "      ShowName = True\r\n"
    "    end\r\n"
    "  end\r\n"
    "  object spl: TWKSplitter\r\n"
    "    Left = 0\r\n"
    "    Top = 160\r\n"
    "    Width = 400\r\n"
    "    Height = 3\r\n"
    "    Align = alTop\r\n"
    "    Beveled = True\r\n"
    "  end\r\n"
    "end\r\n";

TEST_F(FormControls, FormTextCompatibility) {
    TDebugOutputCapture log;
    std::unique_ptr<TComponentBase> form(StringToComponent(QString::fromLatin1(OldForm), nullptr));
    ASSERT_TRUE(form);
    auto* panel = qobject_cast<TWKPanel*>(form->Self());
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->Caption(), "Панель");
    EXPECT_EQ(panel->BevelOuter(), TPanel::bvLowered);
    EXPECT_EQ(log.Count("Error loading form: "), 1);
    EXPECT_TRUE(log.Contains("OldProperty"));
    auto* label = form->FindComponentAs<TWKLabel>("lblDepth");
    ASSERT_TRUE(label);
    EXPECT_EQ(label->Caption(), "Глубина (м)");
    EXPECT_EQ(label->Font()->Style(), TFont::TFontStyles(TFont::fsBold));
    auto* sensor = form->FindComponentAs<TWKSensorLabel>("slDepth");
    ASSERT_TRUE(sensor);
    EXPECT_EQ(sensor->ParentControl(), form->FindComponentAs<TWKGroupBox>("gbPumps"));
    EXPECT_TRUE(sensor->IsDateTime());
    EXPECT_TRUE(sensor->ShowName());
    EXPECT_EQ(sensor->Sensor()->GID(), 101);
    EXPECT_EQ(sensor->Sensor()->Units(), "м");
    EXPECT_EQ(sensor->Caption(), "?");  // no secondary services: unbound
    EXPECT_TRUE(form->FindComponentAs<TWKSplitter>("spl")->Beveled());

    const QString first = ComponentToString(form.get());
    EXPECT_TRUE(first.contains("ExplicitLeft = 8"));
    EXPECT_FALSE(first.contains("OldProperty"));
    for (const QChar c : first) EXPECT_LT(c.unicode(), 128);
    std::unique_ptr<TComponentBase> again(StringToComponent(first, nullptr));
    EXPECT_EQ(ComponentToString(again.get()), first);
}

TEST_F(FormControls, ConstructionDefaults) {
    TWKLabel label;
    EXPECT_EQ(label.Caption(), "Текст");
    TWKPanel panel;
    EXPECT_EQ(panel.Caption(), "");
    TWKGroupBox group;
    EXPECT_EQ(group.Caption(), " Группа ");
    TWKSplitter splitter;
    EXPECT_FALSE(splitter.AutoSnap());
    EXPECT_EQ(splitter.MinSize(), 1);
    TWKSensorLabel sensor;
    EXPECT_TRUE(sensor.Transparent());
    EXPECT_EQ(sensor.Caption(), "");
    // The own published flags are always written.
    const QString text = ComponentToString(&sensor);
    EXPECT_TRUE(text.contains("IsDateTime = False"));
    EXPECT_TRUE(text.contains("ShowName = False"));
}

TEST_F(FormControls, LoadFormReplacesTheParentOnlyWithAGoodForm) {
    QTemporaryDir dir;
    TWKPanel parent;
    parent.SetName("Host");
    std::unique_ptr<TComponentBase> form(StringToComponent(QString::fromLatin1(OldForm), nullptr));
    const QString file = dir.filePath("form.wkf");
    SaveForm(form.get(), file);

    // Loaded twice: one copy of the controls.
    for (int i = 0; i < 2; ++i) LoadForm(&parent, file);
    EXPECT_EQ(parent.ComponentCount(), 4);
    EXPECT_EQ(parent.Caption(), "Панель");  // the root's own class name is not checked
    const QString loaded = ComponentToString(&parent);

    // Malformed text, or a missing file: the parent keeps its content.
    QStringList broken = QString::fromLatin1(OldForm).split("\r\n");
    broken.removeAt(broken.indexOf("  end"));
    broken.removeLast();
    broken.removeLast();
    EXPECT_THROW(LoadForm(&parent, broken), Exception);
    EXPECT_THROW(LoadForm(&parent, QStringList{}), Exception);
    EXPECT_THROW(LoadForm(&parent, dir.filePath("missing.wkf")), Exception);
    EXPECT_EQ(ComponentToString(&parent), loaded);

    // An unknown nested class and a quoted "object": logged, the rest loads.
    TDebugOutputCapture log;
    QStringList lines = QString::fromLatin1(OldForm).split("\r\n");
    lines.insert(lines.size() - 2, "  object Gone: TNoSuchGauge");
    lines.insert(lines.size() - 2, "    Hint = 'object'");
    lines.insert(lines.size() - 2, "  end");
    LoadForm(&parent, lines);
    EXPECT_EQ(parent.ComponentCount(), 4);
    EXPECT_EQ(log.Count("Error loading form: "), 2);  // OldProperty and the gauge

    // An unknown root class with no root raises and creates nothing.
    EXPECT_THROW(StringToComponent("object X: TNoSuchForm\r\nend\r\n", nullptr), Exception);

    // A failed write leaves the old file.
    const QByteArray before = [&] {
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    EXPECT_THROW(SaveForm(&parent, dir.filePath("no/such/folder/form.wkf")), Exception);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}

TEST_F(FormControls, RegisteredComponentsGoToTheDesignerList) {
    InitWKControls();
    const qsizetype before = DesignerList().size();
    RegisterComponents("Welvista", {&TWKLabel::staticMetaObject, &TWKPanel::staticMetaObject});
    ASSERT_EQ(DesignerList().size(), before + 2);
    EXPECT_EQ(DesignerList()[before], &TWKLabel::staticMetaObject);
    EXPECT_EQ(DesignerList()[before + 1], &TWKPanel::staticMetaObject);
    for (const char* name : {"TWKLabel", "TWKPanel", "TWKSplitter", "TWKGroupBox", "TWKPageControl", "TSensGrid",
                             "TTabSheet", "TSensorList", "TSensorItem", "TWKSensorLabel", "TWKImage", "TImageList"})
        EXPECT_TRUE(FindClass(name)) << name;
}

TEST_F(FormControls, SensorLabelText) {
    TSensorDataStream stream(101, "Depth", "Данные по глубине", "Depth", 0, false, 100);
    TSensorDataArray* depth = stream.AddSensor(101);
    struct TStep {
        const char* What;
        double Value;
        TSensorState State;
        bool ShowName;
        const char* Caption;
    };
    const TStep steps[] = {
        {"nothing shown yet, bad sample", NAN, ssNormal, false, "?"},
        {"a usable sample", 1234.56, ssNormal, false, "1234.6 м"},
        {"NaN after a shown value", NAN, ssNormal, false, "[1234.6 м]"},
        {"an error sample", 5, ssError, true, "Глубина [1234.6 м]"},
        {"with the name", 7.25, ssNormal, true, "Глубина 7.3 м"},
    };
    TWKSensorLabel label;
    label.Sensor()->SetName("Глубина");
    label.Sensor()->SetUnits("м");
    label.Sensor()->SetPrecision(1);
    label.Sensor()->FYData = depth;
    for (const TStep& s : steps) {
        SCOPED_TRACE(s.What);
        stream.AddRecord();
        depth->SetLast(s.Value, s.State);
        label.SetShowName(s.ShowName);
        label.Notify(sePoll, nullptr);
        EXPECT_EQ(label.Caption(), QString::fromUtf8(s.Caption));
    }
}

TEST_F(FormControls, WellChangeRewritesTheLabelsStream) {
    TWKSensorLabel label;
    label.Sensor()->SetStreamID("Depth");
    SendWKMessage(&label, WM_WELLCHANGED, {}, QStringLiteral("W7"));
    EXPECT_EQ(label.Sensor()->StreamID(), "Depth.W7");
    SendWKMessage(&label, WM_WELLCHANGED, {}, QStringLiteral("W8"));
    EXPECT_EQ(label.Sensor()->StreamID(), "Depth.W8");
}

TEST_F(FormControls, SetupAppliesOnOkOnly) {
    TWKPanel form;
    form.SetName("Form1");
    auto* label = new TWKLabel(&form);
    label->SetName("lbl");
    label->SetParentWidget(&form);
    auto* panel = new TWKPanel(&form);
    panel->SetName("pnl");
    panel->SetParentWidget(&form);
    auto* splitter = new TWKSplitter(&form);
    splitter->SetName("spl");
    splitter->SetParentWidget(&form);
    auto* sensor = new TWKSensorLabel(&form);
    sensor->SetName("sl");
    sensor->SetParentWidget(&form);

    // Cancel: the form text stays as it was.
    const QString untouched = ComponentToString(&form);
    for (IControlDesign* c : {static_cast<IControlDesign*>(label), static_cast<IControlDesign*>(panel),
                              static_cast<IControlDesign*>(splitter), static_cast<IControlDesign*>(sensor)})
        c->Setup();
    EXPECT_EQ(ComponentToString(&form), untouched);
    EXPECT_EQ(UI->ShownDialogs, (QStringList{"TdlgSetupLabel: Настройка текста", "TdlgSetupPanel: Настройка панели",
                                             "TdlgSetupSplitter: Настройка разделителя",
                                             "TdlgSetupSensLabel: Настройка вида параметра"}));

    ScriptOnce<TdlgSetupLabel>(*UI, "TdlgSetupLabel", [](TdlgSetupLabel& d) {
        EXPECT_EQ(d.leText->Text(), "Текст");
        d.leText->SetText("Нагрузка");
        d.OKBtn->click();
        return DialogResult(d);
    });
    label->Setup();
    EXPECT_EQ(label->Caption(), "Нагрузка");

    ScriptOnce<TdlgSetupPanel>(*UI, "TdlgSetupPanel", [](TdlgSetupPanel& d) {
        EXPECT_EQ(d.rgOuter->ItemIndex(), 2);  // raised
        d.frAlign->SetCtlAlign(TControl::alClient);
        d.rgInner->SetItemIndex(1);
        d.cbBorder->setChecked(true);
        d.cd.Color = clYellow;
        d.OKBtn->click();
        return DialogResult(d);
    });
    panel->Setup();
    EXPECT_EQ(panel->Align(), TControl::alClient);
    EXPECT_EQ(panel->BevelInner(), TPanel::bvLowered);
    EXPECT_EQ(panel->BorderStyle(), TPanel::bsSingle);
    EXPECT_EQ(panel->Color(), clYellow);

    ScriptOnce<TdlgSetupSensLabel>(*UI, "TdlgSetupSensLabel", [](TdlgSetupSensLabel& d) {
        d.Descr.GID = 1200;
        d.Descr.Name = "Обороты ротора";
        d.Descr.Units = "об/мин";
        d.Descr.StreamID = "Time1s";
        d.cbColor->SetColor(clRed);
        d.rgTextAlign->SetItemIndex(2);
        d.cbShowName->setChecked(true);
        d.OKBtn->click();
        return DialogResult(d);
    });
    sensor->Setup();
    EXPECT_EQ(sensor->Sensor()->GID(), 1200);
    EXPECT_EQ(sensor->Sensor()->Name(), "Обороты ротора");
    EXPECT_EQ(sensor->Sensor()->StreamID(), "Time1s");
    EXPECT_EQ(sensor->Sensor()->Color(), clRed);
    EXPECT_EQ(sensor->Font()->Color(), clRed);
    EXPECT_TRUE(sensor->ShowName());
    EXPECT_EQ(sensor->Alignment(), TCustomLabel::taCenter);
}

// A picture file of the given format.
QByteArray PictureFile(const char* format) {
    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(QColor(0, 128, 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

TEST_F(FormControls, PictureDataSurvivesTheFormText) {
    struct TCase {
        const char* Format;
        const char* Class;
    };
    for (const TCase& c : {TCase{"png", "TPngImage"}, TCase{"bmp", "TBitmap"}, TCase{"jpg", "TJPEGImage"}}) {
        SCOPED_TRACE(c.Format);
        TWKImage image;
        image.SetName("img");
        image.Picture()->LoadFromData(PictureFile(c.Format));
        EXPECT_EQ(image.Picture()->GraphicClass(), c.Class);
        const QString text = ComponentToString(&image);
        EXPECT_TRUE(text.contains("Picture.Data = {"));
        std::unique_ptr<TComponentBase> back(StringToComponent(text, nullptr));
        auto* read = qobject_cast<TWKImage*>(back->Self());
        ASSERT_TRUE(read);
        EXPECT_EQ(read->Picture()->Graphic().size(), QSize(4, 3));
        EXPECT_EQ(ComponentToString(read), text);
    }
    // Data of a graphic class that is not drawn here is kept as it was.
    TWKImage meta;
    QByteArray emf("\x09TMetafile", 10);
    emf += QByteArray("\x01\x00\x00\x00 EMF", 8);
    meta.Picture()->SetData(emf);
    EXPECT_TRUE(meta.Picture()->Graphic().isNull());
    EXPECT_EQ(meta.Picture()->Data(), emf);
    // Malformed data: one line, the rest of the control loads.
    TDebugOutputCapture log;
    std::unique_ptr<TComponentBase> bad(StringToComponent(
        "object img: TWKImage\r\n  Left = 5\r\n  Picture.Data = {07544269746D6170FFFF}\r\nend\r\n", nullptr));
    EXPECT_EQ(log.Count("Error loading form: "), 1);
    EXPECT_EQ(qobject_cast<TWKImage*>(bad->Self())->Left(), 5);
    EXPECT_THROW(meta.Picture()->LoadFromData("not a picture"), Exception);
    EXPECT_EQ(meta.Picture()->Data(), emf);
}

TEST_F(FormControls, ImageSetupTakesThePictureAndStretches) {
    TWKImage image;
    EXPECT_FALSE(image.Center());
    EXPECT_TRUE(image.Stretch());
    EXPECT_FALSE(image.Transparent());
    image.SetStretch(false);
    image.SetTransparent(true);
    QTemporaryDir dir;
    const QString file = dir.filePath("p.png");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(PictureFile("png"));
    f.close();
    const QString untouched = ComponentToString(&image);
    UI->OpenFileAnswers = {file};
    ScriptOnce<TdlgSetupImage>(*UI, "TdlgSetupImage", [](TdlgSetupImage& d) {
        d.btnOpen->click();
        d.CancelBtn->click();
        return DialogResult(d);
    });
    image.Setup();
    EXPECT_EQ(ComponentToString(&image), untouched);
    UI->OpenFileAnswers = {file};
    ScriptOnce<TdlgSetupImage>(*UI, "TdlgSetupImage", [](TdlgSetupImage& d) {
        d.btnOpen->click();
        d.frAlign->SetCtlAlign(TControl::alClient);
        d.OKBtn->click();
        return DialogResult(d);
    });
    image.Setup();
    EXPECT_EQ(image.Picture()->GraphicClass(), "TPngImage");
    EXPECT_EQ(image.Align(), TControl::alClient);
    EXPECT_TRUE(image.Stretch());
    EXPECT_FALSE(image.Transparent());
}

TEST_F(FormControls, PagesAddedInTheDialogAreSavedWithTheForm) {
    TWKPanel form;
    form.SetName("Form1");
    auto* pages = new TWKPageControl(&form);
    pages->SetName("pc");
    pages->SetParentWidget(&form);
    for (const char* caption : {"Первая", "Вторая"}) {
        auto* sheet = new TTabSheet(&form);
        sheet->SetName(caption == std::string("Первая") ? "ts1" : "ts2");
        sheet->SetCaption(caption);
        sheet->SetPageControl(pages);
    }
    pages->SetActivePageIndex(1);

    // Written while not loading, ActivePageI does not change the page.
    pages->SetActivePageI(0);
    EXPECT_EQ(pages->ActivePageIndex(), 1);

    // Cancel changes nothing; OK adds a page first, drops the second and moves the tabs.
    const QString untouched = ComponentToString(&form);
    pages->Setup();
    EXPECT_EQ(ComponentToString(&form), untouched);
    UI->InputAnswers.push_back("Новая");
    ScriptOnce<TdlgSetupPages>(*UI, "TdlgSetupPages", [](TdlgSetupPages& d) {
        d.lbTabs->setCurrentRow(0);
        d.btnAdd->click();                    // before "Первая"
        d.lbTabs->setCurrentRow(2);
        d.btnDelete->click();                 // "Вторая"
        d.rgTabPos->SetItemIndex(1);
        d.OKBtn->click();
        return DialogResult(d);
    });
    pages->Setup();
    ASSERT_EQ(pages->PageCount(), 2);
    EXPECT_EQ(pages->Pages(0)->Caption(), "Новая");
    EXPECT_EQ(pages->Pages(1)->Caption(), "Первая");
    EXPECT_EQ(pages->TabPosition(), TPageControl::tpBottom);
    EXPECT_EQ(form.FindComponent("ts2"), nullptr);
    pages->SetActivePageIndex(1);

    // Saved and loaded back: the new page, the order and the active page return.
    const QString text = ComponentToString(&form);
    EXPECT_TRUE(text.contains("\r\n    object TabSheet1: TTabSheet\r\n")) << text.toStdString();
    EXPECT_FALSE(text.contains("Visible")) << text.toStdString();
    if (const QString dir = qEnvironmentVariable("WK_TEST_ARTIFACTS"); !dir.isEmpty()) {
        QDir().mkpath(dir);
        pages->SetBounds(0, 0, 300, 160);
        pages->grab().save(dir + "/TWKPageControl.png");
    }
    std::unique_ptr<TComponentBase> back(StringToComponent(text, nullptr));
    auto* read = back->FindComponentAs<TWKPageControl>("pc");
    ASSERT_TRUE(read);
    ASSERT_EQ(read->PageCount(), 2);
    EXPECT_EQ(read->Pages(0)->Caption(), "Новая");
    EXPECT_EQ(read->Pages(1)->Caption(), "Первая");
    EXPECT_EQ(read->ActivePageIndex(), 1);
    EXPECT_TRUE(read->Pages(1)->Visible());
    EXPECT_FALSE(read->Pages(0)->Visible());
    EXPECT_EQ(ComponentToString(back.get()), text);
}
}  // namespace
