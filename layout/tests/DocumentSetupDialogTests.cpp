// The setup dialogs of the well-log document, its tracks and curves, and
// the choice of a new document's type, filled and confirmed offscreen as a
// user would through the scripted UI services.
#include "WellLogTestSupport.h"

#include "DictionaryIntf.h"
#include "Formatting.h"
#include "ModalDialogs.h"
#include "Printers.h"
#include "SketchDoc.h"
#include "UIServices.h"
#include "dlg_SelectSource.h"
#include "dlg_SetupChart.h"
#include "dlg_SetupDiSeries.h"
#include "dlg_SetupField.h"
#include "dlg_SetupLineSeries.h"

#include <QCheckBox>
#include <QComboBox>
#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include <functional>
#include <gtest/gtest.h>

using namespace Plotmere;
using namespace LayoutTests;

namespace {

// A spooler that reports fixed paper forms, or fails when asked.
class TFormsPrinters : public IPrinters {
public:
    explicit TFormsPrinters(QStringList forms, bool fail = false) : FForms(std::move(forms)), FFail(fail) {}
    bool HasPrinter() const override { return true; }
    QString PrinterName() const override { return QStringLiteral("Test"); }
    QSizeF PageSizeMM() const override { return {210, 297}; }
    QStringList PaperForms() const override {
        if (FFail) throw EPrinterError(QStringLiteral("spooler unavailable"));
        return FForms;
    }
    void SetPaperSizeMM(const QSizeF&) override {}
    bool PrintDialog(TPrintDialogOptions&) override { return false; }
    bool PrinterSetupDialog() override { return false; }
    std::unique_ptr<IPrintJob> BeginJob(const QString&) override { throw EPrinterError(QStringLiteral("no jobs")); }

private:
    QStringList FForms;
    bool FFail;
};

class SetupDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        ResetLayoutDialogs();
        FOldUI = SetUIServices(UI);
        FOldPrinters = SetPrinters(std::make_shared<TFormsPrinters>(
            QStringList{PaperFormText("A4", 210, 297), PaperFormText("A5", 148, 210)}));
    }
    void TearDown() override {
        TdlgSetupChart::SetLanguageSource({});
        SetPrinters(FOldPrinters);
        SetUIServices(FOldUI);
        ResetLayoutDialogs();
    }

    // The next showing of the dialog runs the script, which returns its result.
    template <class TDialog>
    void Script(std::function<int(TDialog&)> script) {
        UI->ScriptDialogOnce(QString::fromLatin1(TDialog::staticMetaObject.className()), [script](QObject* o) {
            auto* dialog = qobject_cast<TDialog*>(o);
            if (!dialog) {
                ADD_FAILURE() << "not the dialog expected";
                return int(mrCancel);
            }
            return script(*dialog);
        });
    }
    // Presses OK; the dialog stays open when a check fails.
    static int Confirm(TLayoutFormDialog& dialog) {
        dialog.OKBtn->click();
        return DialogResult(dialog);
    }
    static int Cancel(TLayoutFormDialog& dialog) {
        dialog.CancelBtn->click();
        return DialogResult(dialog);
    }
    // Presses OK on a wrong value: the dialog must stay open with the message.
    void ExpectRefused(TLayoutFormDialog& dialog, const QString& message, const char* what) {
        const qsizetype shown = UI->Messages.size();
        dialog.setResult(QDialog::Rejected);
        dialog.OKBtn->click();
        EXPECT_NE(dialog.result(), QDialog::Accepted) << what;
        ASSERT_EQ(UI->Messages.size(), shown + 1) << what;
        if (!message.isEmpty()) EXPECT_EQ(UI->Messages.last(), message) << what;
    }

    std::shared_ptr<TScriptedUIServices> UI = std::make_shared<TScriptedUIServices>();

private:
    std::shared_ptr<IUIServices> FOldUI;
    std::shared_ptr<IPrinters> FOldPrinters;
};

}  // namespace

TEST_F(SetupDialogs, DocumentPropertiesAreTakenOverAndUndone) {
    TSketchDocument doc;
    doc.SetMin(0.123456);  // shown rounded, kept exact while untouched
    const QString before = doc.GetAsText();
    Script<TdlgSetupChart>([](TdlgSetupChart& d) {
        EXPECT_EQ(d.windowTitle(), "Свойства документа");
        EXPECT_EQ(d.cbScale->currentText(), "200");
        EXPECT_EQ(d.edStep->text(), "5");
        EXPECT_EQ(d.edMin->text(), "0.12");
        EXPECT_EQ(d.edMax->text(), "50");
        EXPECT_EQ(d.edStartPage->text(), "1");
        EXPECT_FALSE(d.cbMainIDSubst->isHidden()) << "a depth document";
        EXPECT_FALSE(d.cbPageSize->isEnabled());
        EXPECT_EQ(d.cbPageSize->count(), 2);
        d.cbScale->setEditText("500");
        d.edStep->setText("10");
        d.edMax->setText("300.5");
        d.edStartPage->setText("0");
        d.edAuthor->setText("Иванов");
        d.edName->setText("Каротаж");
        d.memComment->setPlainText("скв. 12");
        d.cbShowBottomHeader->setChecked(true);
        d.cbMainIDSubst->setChecked(true);
        d.cbLanguage->setEditText("English");
        d.cbFixedPageSize->setChecked(true);
        EXPECT_TRUE(d.cbPageSize->isEnabled());
        d.cbPageSize->setCurrentIndex(1);
        return Confirm(d);
    });
    doc.SetupItem(&doc);
    EXPECT_DOUBLE_EQ(doc.Scale(), 0.5);
    EXPECT_EQ(doc.Step(), 10);
    EXPECT_EQ(doc.Min(), 0.123456);
    EXPECT_EQ(doc.Max(), 300.5);
    EXPECT_EQ(doc.StartPage(), 1) << "|0 - 1|";
    EXPECT_EQ(doc.FormDesigner(), "Иванов");
    EXPECT_EQ(doc.FormName(), "Каротаж");
    EXPECT_EQ(doc.Comment(), "скв. 12");
    EXPECT_TRUE(doc.ShowBottomHeader());
    EXPECT_TRUE(doc.GetMIDSubst());
    EXPECT_EQ(doc.Language(), "English");
    EXPECT_TRUE(doc.IsFixedPageSize());
    EXPECT_EQ(doc.FixedPageSize(), QSize(148, 210));
    EXPECT_EQ(doc.GetSysVar(7), "1:500");

    ASSERT_EQ(doc.DoneCount(), 1);
    doc.Undo();
    EXPECT_EQ(doc.GetAsText(), before);
    EXPECT_EQ(doc.Scale(), 0.2);
}

TEST_F(SetupDialogs, DocumentRefusesWrongValuesAndCancelChangesNothing) {
    TSketchDocument doc;
    const QString before = doc.GetAsText();
    struct TCase {
        const char* What;
        std::function<void(TdlgSetupChart&)> Spoil;
        QString Message;  // empty: the platform's conversion message
    };
    const TCase cases[] = {
        {"scale 0", [](TdlgSetupChart& d) { d.cbScale->setEditText("0"); }, "Неверно задан масштаб"},
        {"negative scale", [](TdlgSetupChart& d) { d.cbScale->setEditText("-200"); }, "Неверно задан масштаб"},
        {"a ratio as the scale", [](TdlgSetupChart& d) { d.cbScale->setEditText("1:200"); }, "Неверно задан масштаб"},
        {"negative step", [](TdlgSetupChart& d) { d.edStep->setText("-5"); }, "Неверно задан шаг"},
        {"step not a number", [](TdlgSetupChart& d) { d.edStep->setText("пять"); }, "Неверно задан шаг"},
        {"start page not an integer", [](TdlgSetupChart& d) { d.edStartPage->setText("1.5"); },
         "Неверно задана начальная страница"},
        {"minimum not a number", [](TdlgSetupChart& d) { d.edMin->setText("abc"); }, ""},
        {"unknown fixed page size", [](TdlgSetupChart& d) {
             d.cbFixedPageSize->setChecked(true);
             d.cbPageSize->clear();
         }, ""},
    };
    Script<TdlgSetupChart>([&](TdlgSetupChart& d) {
        for (const TCase& c : cases) {
            d.Fill(doc);
            c.Spoil(d);
            ExpectRefused(d, c.Message, c.What);
        }
        d.Fill(doc);
        d.edStep->setText("0");  // no grid: allowed
        d.edAuthor->setText("кто-то");
        return Cancel(d);
    });
    doc.SetupItem(&doc);
    EXPECT_EQ(doc.GetAsText(), before);
    EXPECT_EQ(doc.DoneCount(), 0);

    Script<TdlgSetupChart>([](TdlgSetupChart& d) {
        d.edStep->setText("0");
        return Confirm(d);
    });
    doc.SetupItem(&doc);
    EXPECT_EQ(doc.Step(), 0) << "a zero step only hides the grid";
}

TEST_F(SetupDialogs, TimeDocumentShowsMillimetresPerHourAndMinutes) {
    TSketchDocument doc;
    doc.SetDataClass(0);
    doc.SetScale(1.0 / 1440);
    doc.SetStep(1.0 / 24);
    doc.SetMin(EncodeDate(2026, 3, 1));
    doc.SetMax(EncodeDate(2026, 3, 2));
    Script<TdlgSetupChart>([](TdlgSetupChart& d) {
        EXPECT_EQ(d.cbScale->currentText(), "60");
        EXPECT_EQ(d.cbScale->itemText(1), "180");
        EXPECT_EQ(d.edStep->text(), "60");
        EXPECT_TRUE(d.cbMainIDSubst->isHidden()) << "only depth documents have a vertical depth";
        d.cbScale->setEditText("180");
        d.edStep->setText("30");
        d.edMin->setText("01.03.2026 06:30");
        d.edMax->setText("02.03.2026");
        return Confirm(d);
    });
    ASSERT_TRUE(doc.Setup(nullptr));
    EXPECT_DOUBLE_EQ(doc.Scale(), 1.0 / 180 / 24);
    EXPECT_DOUBLE_EQ(doc.Step(), 30.0 / 24 / 60);
    EXPECT_DOUBLE_EQ(doc.Min(), EncodeDate(2026, 3, 1) + EncodeTime(6, 30, 0, 0));
    EXPECT_EQ(doc.Max(), EncodeDate(2026, 3, 2));

    Script<TdlgSetupChart>([](TdlgSetupChart& d) {
        EXPECT_EQ(d.cbScale->currentText(), "180");
        d.cbScale->setEditText("60");
        return Confirm(d);
    });
    ASSERT_TRUE(doc.Setup(nullptr));
    EXPECT_DOUBLE_EQ(doc.Scale(), 1.0 / 1440);
    EXPECT_EQ(doc.GetSysVar(7), "1:60");

    Script<TdlgSetupChart>([&](TdlgSetupChart& d) {
        d.edMax->setText("вчера");
        ExpectRefused(d, "", "a maximum that is no date");
        return Cancel(d);
    });
    EXPECT_FALSE(doc.Setup(nullptr));
    EXPECT_EQ(doc.Max(), EncodeDate(2026, 3, 2));
}

TEST_F(SetupDialogs, DocumentPageSizeListFollowsTheSpoolerAndKeepsTheStoredSize) {
    TSketchDocument doc;
    doc.SetIsFixedPageSize(true);
    doc.SetStrPageSize(PaperFormText("Рулон", 210, 1000));
    SetPrinters(std::make_shared<TFormsPrinters>(QStringList{}, true));
    Script<TdlgSetupChart>([](TdlgSetupChart& d) {
        EXPECT_EQ(d.cbPageSize->count(), 1) << "a failing spooler offers no forms";
        EXPECT_EQ(d.cbPageSize->currentText(), PaperFormText("Рулон", 210, 1000));
        return Confirm(d);
    });
    ASSERT_TRUE(doc.Setup(nullptr));
    EXPECT_EQ(doc.FixedPageSize(), QSize(210, 1000));
}

TEST_F(SetupDialogs, DataClassChoice) {
    int dataClass = 7;
    Script<TdlgSelectSource>([](TdlgSelectSource& d) {
        EXPECT_EQ(d.windowTitle(), "Выберите тип документа");
        EXPECT_EQ(d.lbClasses->count(), 2);
        EXPECT_EQ(d.lbClasses->item(0)->text(), "Документ с привязкой ко времени");
        EXPECT_EQ(d.lbClasses->currentRow(), 0);
        d.lbClasses->setCurrentRow(1);
        return Cancel(d);
    });
    EXPECT_FALSE(SelectSketchDataClass(dataClass));
    EXPECT_EQ(dataClass, 7);

    Script<TdlgSelectSource>([](TdlgSelectSource& d) {
        EXPECT_EQ(d.lbClasses->currentRow(), 0) << "the first is selected again";
        d.lbClasses->setCurrentRow(1);
        emit d.lbClasses->itemDoubleClicked(d.lbClasses->item(1));
        return DialogResult(d);
    });
    EXPECT_TRUE(SelectSketchDataClass(dataClass));
    EXPECT_EQ(dataClass, 1);
}

namespace {
// The document's text once laid out: laying out adds run-time state that an
// undo step's own layout would add too.
QString Settled(TPrintDocument& doc) {
    doc.PrepareDocument();
    return doc.GetAsText();
}

// A depth document with one track holding the curves A and B and, between
// them, a sub-track that is not a curve.
struct TTrackFixture {
    TTrackFixture() {
        Field = new TPrintField(&Doc);
        Field->SetCaption("ГК");
        A = AddLineCurve(Field, "A", 0, 100, clRed);
        Sub = new TPrintField(Field);
        B = AddLineCurve(Field, "B", 0, 100, clBlue);
    }
    TSketchDocument Doc;
    TPrintField* Field;
    TPrintLineSeries* A;
    TPrintField* Sub;
    TPrintLineSeries* B;
};
}  // namespace

TEST_F(SetupDialogs, TrackTakesItsValuesAndReordersOnlyItsCurves) {
    TTrackFixture f;
    const QString before = Settled(f.Doc);
    UI->ColorAnswers.push_back(clGreen);
    QFont chosen("Courier New");
    chosen.setPixelSize(15);
    UI->FontAnswers.push_back({chosen, clBlack});
    Script<TdlgSetupField>([](TdlgSetupField& d) {
        EXPECT_EQ(d.windowTitle(), "Настройка поля");
        EXPECT_EQ(d.edWidth->text(), "35");
        EXPECT_EQ(d.cbDecades->currentText(), "10");
        EXPECT_EQ(d.cbDecades->count(), 10);
        EXPECT_EQ(d.cbLineType->currentIndex(), int(TPen::psDot));
        EXPECT_TRUE(d.cbShowGrid->isChecked());
        EXPECT_TRUE(d.cbShowBorders->isChecked());
        EXPECT_EQ(d.lbSeries->count(), 2) << "curves only";
        EXPECT_EQ(d.lbSeries->item(0)->text(), "A");
        EXPECT_FALSE(d.btnUp->isEnabled());
        EXPECT_TRUE(d.btnDown->isEnabled());
        d.lbSeries->setCurrentRow(1);
        EXPECT_TRUE(d.btnUp->isEnabled());
        EXPECT_FALSE(d.btnDown->isEnabled());
        d.btnUp->click();
        EXPECT_EQ(d.lbSeries->item(0)->text(), "B");
        EXPECT_EQ(d.lbSeries->currentRow(), 0);
        d.edWidth->setText("40");
        d.edCaption->setText("Каротаж");
        d.cbVertHeader->setChecked(true);
        d.cbDecades->setEditText("11");  // a linear track may have more than 10 columns
        d.cbLineType->setCurrentIndex(int(TPen::psDashDot));
        d.scGridColor->Button()->click();
        d.btnFont->click();
        d.cbShowBorders->setChecked(false);
        d.cbShowGridMarks->setChecked(true);
        return Confirm(d);
    });
    f.Doc.SetupItem(f.Field);
    EXPECT_EQ(f.Field->Width(), 40);
    EXPECT_EQ(f.Field->Caption(), "Каротаж");
    EXPECT_EQ(f.Field->Decades(), 11);
    EXPECT_EQ(f.Field->Flags(), (TFieldFlags{TFieldFlag::ffVertHeader, TFieldFlag::ffShowGrid,
                                             TFieldFlag::ffShowGridMarks}));
    EXPECT_EQ(f.Field->Pen()->Color(), clGreen);
    EXPECT_EQ(f.Field->Pen()->Style(), TPen::psDashDot);
    EXPECT_EQ(f.Field->Font()->Name(), "Courier New");
    EXPECT_NE(f.Field->HeaderFont()->Name(), "Courier New");
    EXPECT_EQ(f.Field->Items(), (QList<TPrintItem*>{f.Sub, f.B, f.A}));

    ASSERT_EQ(f.Doc.DoneCount(), 1);
    f.Doc.Undo();
    EXPECT_EQ(Settled(f.Doc), before);
}

TEST_F(SetupDialogs, TrackRefusesWrongValuesAndCancelChangesNothing) {
    TTrackFixture f;
    const QString before = Settled(f.Doc);
    struct TCase {
        const char* What;
        QString Width, Decades;
        bool Logarithmic;
        QString Message;
    };
    const TCase cases[] = {
        {"width 0", "0", "10", false, "Ширина поля должна быть > 0"},
        {"negative width", "-5", "10", false, "Ширина поля должна быть > 0"},
        {"width not an integer", "12.5", "10", false, ""},
        {"no divisions", "35", "0", false, "Число декад должно быть > 0"},
        {"11 logarithmic decades", "35", "11", true, "Число декад должно быть <= 10"},
        {"divisions not a number", "35", "много", false, ""},
    };
    Script<TdlgSetupField>([&](TdlgSetupField& d) {
        for (const TCase& c : cases) {
            d.edWidth->setText(c.Width);
            d.cbDecades->setEditText(c.Decades);
            d.cbLogarithmic->setChecked(c.Logarithmic);
            ExpectRefused(d, c.Message, c.What);
        }
        d.lbSeries->setCurrentRow(0);
        d.btnDown->click();
        d.edWidth->setText("20");
        return Cancel(d);
    });
    f.Doc.SetupItem(f.Field);
    EXPECT_EQ(Settled(f.Doc), before);
    EXPECT_EQ(f.Doc.DoneCount(), 0);

    Script<TdlgSetupField>([](TdlgSetupField& d) {
        d.cbDecades->setEditText("10");
        d.cbLogarithmic->setChecked(true);
        return Confirm(d);
    });
    f.Doc.SetupItem(f.Field);
    EXPECT_TRUE(f.Field->HasFlag(TFieldFlag::ffLogarithmic));
    EXPECT_EQ(f.Field->Decades(), 10);
}

TEST_F(SetupDialogs, LineCurveTakesItsValuesAndIsUndone) {
    TTrackFixture f;
    f.B->SetGroup("Бурение");
    f.A->SetDataMultiplier(2);
    f.A->SetDataOffset(1);
    f.A->SetMax(0.123456789012);  // more digits than the box shows
    f.A->SetFlags({TSeriesFlag::sfSubTicks, TSeriesFlag::sfInverted});
    const QString before = Settled(f.Doc);
    UI->ColorAnswers.push_back(clNavy);
    Script<TdlgSetupLineSeries>([](TdlgSetupLineSeries& d) {
        EXPECT_EQ(d.windowTitle(), "Настройка графика");
        EXPECT_EQ(d.lbID->text(), "ID=A SRC");
        EXPECT_EQ(d.cbMin->currentText(), "0");
        EXPECT_EQ(d.cbMax->currentText(), "0.123456789");
        EXPECT_EQ(d.cbMax->itemText(7), "10000");
        EXPECT_EQ(d.edMultiplier->text(), "2");
        EXPECT_EQ(d.edOffset->text(), "1");
        EXPECT_EQ(d.edCrop->text(), "") << "no crop";
        EXPECT_TRUE(d.cbSubTicks->isChecked());
        EXPECT_TRUE(d.cbColoredText->isChecked());
        EXPECT_EQ(d.cbGroup->count(), 1) << "the document's non-empty groups";
        EXPECT_EQ(d.cbGroup->itemText(0), "Бурение");
        d.cbMin->setEditText("0.5");
        d.cbMinMaxWithCaption->setChecked(true);
        EXPECT_FALSE(d.cbSubTicks->isChecked()) << "the two exclude each other";
        d.cbHideHeader->setChecked(true);
        d.cbColoredText->setChecked(false);
        d.edCaption->setText("Гамма");
        d.edUnits->setText("мкР/ч");
        d.cbGroup->setCurrentIndex(0);
        d.edMultiplier->setText("");
        d.edOffset->setText("7");  // ignored without a multiplier
        d.edCrop->setText("20");
        d.scColor->Button()->click();
        d.cbLineType->setCurrentIndex(int(TPen::psDash));
        d.cbPenWidth->setCurrentIndex(2);
        d.cbJagged->setChecked(true);
        d.cbMinBrush->setCurrentIndex(int(TBrush::bsCross));
        d.cbPrecision->setCurrentIndex(3);
        return Confirm(d);
    });
    f.Doc.SetupItem(f.A);
    EXPECT_EQ(f.A->Min(), 0.5);
    EXPECT_EQ(f.A->Max(), 0.123456789012) << "an untouched box keeps the exact value";
    EXPECT_TRUE(f.A->HasFlag(TSeriesFlag::sfHideHeader));
    EXPECT_TRUE(f.A->HasFlag(TSeriesFlag::sfMinMaxWithCaption));
    EXPECT_FALSE(f.A->HasFlag(TSeriesFlag::sfSubTicks));
    EXPECT_TRUE(f.A->HasFlag(TSeriesFlag::sfInverted)) << "no box sets it: it stays";
    EXPECT_TRUE(f.A->BlackCaption());
    EXPECT_EQ(f.A->Caption(), "Гамма");
    EXPECT_EQ(f.A->Units(), "мкР/ч");
    EXPECT_EQ(f.A->Group(), "Бурение");
    EXPECT_EQ(f.A->DataMultiplier(), 0);
    EXPECT_EQ(f.A->DataOffset(), 0) << "an empty multiplier clears the offset too";
    EXPECT_EQ(f.A->CropValue(), 20);
    EXPECT_EQ(f.A->Color(), clNavy);
    EXPECT_EQ(f.A->PenStyle(), TPen::psDash);
    EXPECT_EQ(f.A->PenWidth(), 3);
    EXPECT_TRUE(f.A->Jagged());
    EXPECT_EQ(f.A->BrushStyle(), TBrush::bsCross);
    EXPECT_EQ(f.A->MaxBrushStyle(), TBrush::bsClear);
    EXPECT_EQ(f.A->Precision(), 3);

    Script<TdlgSetupLineSeries>([](TdlgSetupLineSeries& d) {
        EXPECT_EQ(d.edMultiplier->text(), "");
        EXPECT_EQ(d.edOffset->text(), "") << "both empty without a multiplier";
        d.edMultiplier->setText("1.5");
        d.edOffset->setText("-2");
        d.edCrop->setText(" ");
        return Confirm(d);
    });
    f.Doc.SetupItem(f.A);
    EXPECT_EQ(f.A->DataMultiplier(), 1.5);
    EXPECT_EQ(f.A->DataOffset(), -2);
    EXPECT_EQ(f.A->CropValue(), -2147483647) << "an empty crop box removes the crop";

    ASSERT_EQ(f.Doc.DoneCount(), 2);
    f.Doc.Undo();
    f.Doc.Undo();
    EXPECT_EQ(Settled(f.Doc), before);
}

TEST_F(SetupDialogs, LineCurveRefusesWhatIsNoNumberAndCancelChangesNothing) {
    TTrackFixture f;
    const QString before = Settled(f.Doc);
    struct TCase {
        const char* What;
        std::function<void(TdlgSetupLineSeries&)> Spoil;
        QString Message;
    };
    const TCase cases[] = {
        {"minimum", [](TdlgSetupLineSeries& d) { d.cbMin->setEditText("мин"); },
         "Минимум должен быть числом с плавающей точкой"},
        {"empty maximum", [](TdlgSetupLineSeries& d) { d.cbMax->setEditText(""); },
         "Максимум должен быть числом с плавающей точкой"},
        {"multiplier", [](TdlgSetupLineSeries& d) { d.edMultiplier->setText("2x"); },
         "Множитель должен быть числом с плавающей точкой"},
        {"offset with a multiplier", [](TdlgSetupLineSeries& d) {
             d.edMultiplier->setText("2");
             d.edOffset->setText("b");
         }, "Смещение должно быть числом с плавающей точкой"},
        {"crop", [](TdlgSetupLineSeries& d) { d.edCrop->setText("1,5"); },
         "Отсечка должна быть числом с плавающей точкой"},
    };
    Script<TdlgSetupLineSeries>([&](TdlgSetupLineSeries& d) {
        for (const TCase& c : cases) {
            d.Fill(*f.A);
            c.Spoil(d);
            ExpectRefused(d, c.Message, c.What);
        }
        d.Fill(*f.A);
        d.cbJagged->setChecked(true);
        d.edCaption->setText("другое");
        return Cancel(d);
    });
    f.Doc.SetupItem(f.A);
    EXPECT_EQ(Settled(f.Doc), before);
    EXPECT_EQ(f.Doc.DoneCount(), 0);
}

TEST_F(SetupDialogs, DigitalCurveTakesItsValuesAndEmptiesItsPageCache) {
    TTrackFixture f;
    auto* marks = new TPrintDigitalSeries(f.Field);
    marks->SetGID("T");
    marks->SetCaption("Время");
    marks->SetDataType(dtDateTime);
    const QString before = Settled(f.Doc);
    marks->ResetPageCache(3);
    Script<TdlgSetupDiSeries>([](TdlgSetupDiSeries& d) {
        EXPECT_EQ(d.windowTitle(), "Настройка отметок");
        EXPECT_EQ(d.edOffset->text(), "1");
        EXPECT_EQ(d.edStep->text(), "10");
        EXPECT_TRUE(d.cbPrecision->isHidden()) << "not a floating point value";
        EXPECT_TRUE(d.lbPrecision->isHidden());
        EXPECT_FALSE(d.cbDateOnly->isHidden());
        EXPECT_TRUE(d.cbShowHeader->isChecked());
        EXPECT_TRUE(d.rbMainParam->isChecked());
        d.edOffset->setText("4");
        d.edStep->setText("2.5");
        d.cbDateOnly->setChecked(true);
        d.edCaption->setText("Дата");
        d.edUnits->setText("ч");
        d.cbShowHeader->setChecked(false);
        d.cbShowPrefix->setChecked(true);
        d.cbColoredCaption->setChecked(false);
        d.rbThisParam->setChecked(true);
        return Confirm(d);
    });
    f.Doc.SetupItem(marks);
    EXPECT_EQ(marks->Offset(), 4);
    EXPECT_EQ(marks->Step(), 2.5);
    EXPECT_TRUE(marks->DateOnly());
    EXPECT_EQ(marks->Caption(), "Дата");
    EXPECT_EQ(marks->Units(), "ч");
    EXPECT_TRUE(marks->HasFlag(TSeriesFlag::sfHideHeader));
    EXPECT_TRUE(marks->ShowPrefix());
    EXPECT_TRUE(marks->BlackCaption());
    EXPECT_TRUE(marks->ByChanging());
    EXPECT_TRUE(marks->PageCache().empty()) << "rebuilt for the new step";

    ASSERT_EQ(f.Doc.DoneCount(), 1);
    f.Doc.Undo();
    EXPECT_EQ(Settled(f.Doc), before);
}

TEST_F(SetupDialogs, DigitalCurveWantsAPositiveStepAndAnIntegerOffset) {
    TTrackFixture f;
    auto* marks = new TPrintDigitalSeries(f.Field);
    marks->SetDataType(dtSingleFloat);
    const QString before = Settled(f.Doc);
    struct TCase {
        const char* What;
        QString Offset, Step, Message;
    };
    const TCase cases[] = {
        {"step 0", "1", "0", "Шаг должен быть > 0"},
        {"negative step", "1", "-10", "Шаг должен быть > 0"},
        {"step not a number", "1", "шаг", "Шаг должен быть > 0"},
        {"offset not an integer", "1.5", "10", ""},
    };
    Script<TdlgSetupDiSeries>([&](TdlgSetupDiSeries& d) {
        EXPECT_FALSE(d.cbPrecision->isHidden()) << "single floating point values have decimals";
        EXPECT_TRUE(d.cbDateOnly->isHidden());
        for (const TCase& c : cases) {
            d.edOffset->setText(c.Offset);
            d.edStep->setText(c.Step);
            ExpectRefused(d, c.Message, c.What);
        }
        d.cbPrecision->setCurrentIndex(4);
        return Cancel(d);
    });
    f.Doc.SetupItem(marks);
    EXPECT_EQ(Settled(f.Doc), before);

    Script<TdlgSetupDiSeries>([](TdlgSetupDiSeries& d) {
        d.cbPrecision->setCurrentIndex(4);
        return Confirm(d);
    });
    f.Doc.SetupItem(marks);
    EXPECT_EQ(marks->Precision(), 4);
}

TEST_F(SetupDialogs, EveryControlShowsItsWholeCaption) {
    TTrackFixture f;
    auto* marks = new TPrintDigitalSeries(f.Field);
    const std::pair<const char*, std::function<void()>> dialogs[] = {
        {"document", [&] { KeptDialog<TdlgSetupChart>().Fill(f.Doc); }},
        {"track", [&] { KeptDialog<TdlgSetupField>().Fill(*f.Field); }},
        {"line", [&] { KeptDialog<TdlgSetupLineSeries>().Fill(*f.A); }},
        {"digital", [&] { KeptDialog<TdlgSetupDiSeries>().Fill(*marks); }},
    };
    const QList<QDialog*> shown = {&KeptDialog<TdlgSetupChart>(), &KeptDialog<TdlgSetupField>(),
                                   &KeptDialog<TdlgSetupLineSeries>(), &KeptDialog<TdlgSetupDiSeries>()};
    for (int i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(dialogs[i].first);
        dialogs[i].second();
        QDialog& d = *shown[i];
        d.adjustSize();
        const QImage picture = d.grab().toImage();
        if (!ArtifactsDir().isEmpty())
            picture.save(ArtifactsDir() + QStringLiteral("/setup-dialog-%1.png").arg(dialogs[i].first));
        for (QAbstractButton* b : d.findChildren<QAbstractButton*>())
            if (b->isVisibleTo(&d) && !b->text().isEmpty())
                EXPECT_GE(b->width(), b->minimumSizeHint().width()) << b->text().toStdString();
        for (QLabel* l : d.findChildren<QLabel*>())
            if (l->isVisibleTo(&d) && !l->text().isEmpty())
                EXPECT_GE(l->width(), l->minimumSizeHint().width()) << l->text().toStdString();
    }
}

TEST_F(SetupDialogs, DocumentLanguagesComeFromTheTranslationLibrary) {
    TSketchDocument doc;
    doc.SetLanguage("Deutsch");
    TLanguageList known;
    WKDictionary().GetLanguages(known);
    Script<TdlgSetupChart>([&](TdlgSetupChart& d) {
        EXPECT_EQ(d.cbLanguage->count(), known.size() + 1) << "the program's library's languages and the document's own";
        for (int i = 0; i < known.size() && i < d.cbLanguage->count(); ++i) EXPECT_EQ(d.cbLanguage->itemText(i), known[i].Name);
        EXPECT_EQ(d.cbLanguage->currentText(), "Deutsch");
        return Cancel(d);
    });
    EXPECT_FALSE(doc.Setup(nullptr));

    TdlgSetupChart::SetLanguageSource([] { return QStringList{"Русский", "English"}; });
    doc.SetLanguage("English");
    Script<TdlgSetupChart>([](TdlgSetupChart& d) {
        EXPECT_EQ(d.cbLanguage->count(), 2);
        EXPECT_EQ(d.cbLanguage->currentIndex(), 1);
        d.cbLanguage->setCurrentIndex(0);
        d.cbMainIDSubst->setChecked(true);
        return Confirm(d);
    });
    ASSERT_TRUE(doc.Setup(nullptr));
    EXPECT_EQ(doc.Language(), "Русский");
    EXPECT_TRUE(doc.NeedsDataRebuild()) << "curves rebuild their caches for the true vertical depth";
}
