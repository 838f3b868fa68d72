// The setup dialogs of labels, system and data labels, tables, pictures and
// panels, each filled and confirmed by a script through the UI services as a
// user would, run through the document's setup action so that undo is checked
// with them.
#include "WellLogTestSupport.h"

#include "DLLMan.h"
#include "Logsheaf10.h"
#include "ModalDialogs.h"
#include "PrintLabels.h"
#include "PrintPictures.h"
#include "PrintTables.h"
#include "RegIniFile.h"
#include "Swatchbox.h"
#include "TestSupport.h"
#include "UIServices.h"
#include "dlg_SetupDBLabel.h"
#include "dlg_SetupLabel.h"
#include "dlg_SetupPicture.h"
#include "dlg_SetupShape.h"
#include "dlg_SetupSysVar.h"
#include "dlg_SetupTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>

using namespace Plotmere;
using namespace LayoutTests;

namespace {

// Runs script for the next showing of the dialog class T.
template <class T>
void ScriptOnce(TScriptedUIServices& ui, std::function<int(T&)> script) {
    ui.ScriptDialogOnce(QString::fromLatin1(T::staticMetaObject.className()), [script](QObject* o) {
        auto* dialog = qobject_cast<T*>(o);
        if (!dialog) {
            ADD_FAILURE() << "not the dialog expected: " << o->metaObject()->className();
            return int(mrCancel);
        }
        return script(*dialog);
    });
}

// What the user looks at, kept when the run asks for it.
void SaveArtifact(QWidget& dialog, const QString& name) {
    const QString dir = ArtifactsDir();
    if (dir.isEmpty()) return;
    dialog.adjustSize();
    dialog.grab().save(dir + "/" + name + ".png");
}

// Presses OK; the dialog's result tells whether it closed.
int PressOK(QDialog& dialog, QPushButton* ok) {
    ok->click();
    return DialogResult(dialog);
}

struct TSetupFixture {
    TSetupFixture() : UI(std::make_shared<TScriptedUIServices>()), OldUI(SetUIServices(UI)) {
        ResetLayoutDialogs();
        ResetAnnotationDefaults();
        SetUpDepthDocument(Doc, 0, 100, 0.2, 10);
        Doc.SetIsDesigner(true);
    }
    ~TSetupFixture() {
        ResetLayoutDialogs();
        ResetAnnotationDefaults();
        SetUIServices(OldUI);
    }
    QString Text() { return Doc.GetAsText(); }
    // Runs the setup action of item; after it, undo and redo give the texts
    // before and after. Undo makes the item anew from its text: the item of
    // the same identity after the redo is returned.
    template <class T>
    T* SetupAndCheckUndo(T* item, const std::function<void()>& checkAfter) {
        Doc.Changed(dcContents);  // laid out, as undo leaves it
        const QString before = Text();
        const QUuid id = item->ID();
        const int done = Doc.DoneCount();
        Doc.SetupItem(item);
        EXPECT_EQ(Doc.DoneCount(), done + 1) << "a confirmed change is one undoable step";
        const QString after = Text();
        EXPECT_NE(after, before);
        checkAfter();
        Doc.Undo();
        EXPECT_EQ(Text().toStdString(), before.toStdString());
        Doc.Redo();
        EXPECT_EQ(Text(), after);
        return qobject_cast<T*>(Doc.FindItem(id));
    }
    std::shared_ptr<TScriptedUIServices> UI;
    std::shared_ptr<IUIServices> OldUI;
    TSketchDocument Doc;
};

// LAS files in a folder named by a temporary settings home, and the
// program's manager with the project's LAS plug-ins loaded.
struct TLasPlugins {
    TLasPlugins() {
        WriteWell("a.las", {{100, 50}, {101, 52.5}});
        TRegIniFile("Software\\Korva\\Plotmere").WriteString("LAS", "Folder", Folder.path());
        PluginManager().Activate(atPath, BinDir() + "/Plugins");
    }
    void WriteWell(const QString& name, const std::vector<std::vector<double>>& rows) {
        TLogsheaf t;
        t.SetFileName(Folder.path() + "/" + name);
        t.LASFieldDefs()->Add("DEPT", "M", "Depth");
        t.LASFieldDefs()->Add("GR", "API", "Gamma ray");
        t.SetWell("W7");
        t.CreateTable();
        t.Open();
        for (const auto& row : rows) {
            t.Append();
            for (size_t i = 0; i < row.size(); ++i) t.Fields(int(i))->SetAsFloat(row[i]);
            t.Post();
        }
        t.Close();
    }
    TTempXdgHome Home;
    QTemporaryDir Folder;
};

QString LasSystemName() {
    TSystemLibrary* las = PluginManager().GetSystemByID("LAS");
    return las ? las->Descr().Name : QString();
}

}  // namespace

TEST(LayoutSetupDialogs, LabelTakesTextFontPositionAngleAndFlagsAndUndoes) {
    TSetupFixture f;
    auto* label = new TPrintLabel(&f.Doc);
    label->SetLeft(30);
    label->SetTop(40);
    label->SetCaption("Скважина");
    f.UI->FontAnswers.push_back({QFont("Courier New", 14, QFont::Bold), TColor(0x0000FF)});
    ScriptOnce<TdlgSetupLabel>(*f.UI, [&](TdlgSetupLabel& d) {
        EXPECT_EQ(d.windowTitle(), "Настройка надписи");
        EXPECT_EQ(d.Text(), "Скважина");
        EXPECT_EQ(d.edX->text(), "30");
        EXPECT_EQ(d.edY->text(), "40");
        EXPECT_EQ(d.cbAngle->currentText(), "0");
        EXPECT_TRUE(d.gbPosition->isVisibleTo(&d)) << "the designer shows the position";
        EXPECT_EQ(d.lbSample->font().family(), "Arial");
        d.meText->setPlainText("Куст 7\nСкважина 12");
        EXPECT_EQ(d.lbSample->text(), "Куст 7\nСкважина 12") << "the sample follows the text";
        d.btnFont->click();
        EXPECT_EQ(d.lbSample->font().family(), "Courier New");
        d.edX->setText("15");
        d.edY->setText("25");
        d.cbAngle->setCurrentText("90");
        d.cbEnableSetup->setChecked(true);
        d.cbEveryPage->setChecked(true);
        SaveArtifact(d, "label-dialog");
        return PressOK(d, d.OKBtn);
    });
    f.SetupAndCheckUndo(label, [&] {
        EXPECT_EQ(label->Caption(), "Куст 7\nСкважина 12");
        EXPECT_EQ(label->Font()->Name(), "Courier New");
        EXPECT_EQ(label->Font()->Size(), 14);
        EXPECT_TRUE(label->Font()->Style().testFlag(TFont::fsBold));
        EXPECT_EQ(label->Font()->Color(), TColor(0x0000FF));
        EXPECT_EQ(label->Font()->Charset(), RUSSIAN_CHARSET) << "the character set stays";
        EXPECT_EQ(label->Left(), 15);
        EXPECT_EQ(label->Top(), 25);
        EXPECT_EQ(label->TextAngle(), 90);
        EXPECT_TRUE(label->EnableSetup());
        EXPECT_TRUE(label->EveryPage());
    });
    // The font chosen is the font of the next label placed, until reset.
    ASSERT_NE(LastLabelFont(), nullptr);
    TPrintLabel placed(&f.Doc, TFloatPoint(5, 5));
    EXPECT_EQ(placed.Font()->Name(), "Courier New");
    ResetAnnotationDefaults();
    TPrintLabel afterReset(&f.Doc, TFloatPoint(5, 5));
    EXPECT_EQ(afterReset.Font()->Name(), "Arial");
}

TEST(LayoutSetupDialogs, LabelInsidePanelTakesAbsolutePositionAndEveryAngle) {
    TSetupFixture f;
    auto* panel = new TPrintShape(&f.Doc);
    panel->SetLeft(20);
    panel->SetTop(30);
    auto* label = new TPrintLabel(panel);
    label->SetLeft(5);
    label->SetTop(6);
    for (const int angle : {90, 180, 270, 0}) {
        SCOPED_TRACE(angle);
        ScriptOnce<TdlgSetupLabel>(*f.UI, [&](TdlgSetupLabel& d) {
            EXPECT_EQ(d.edX->text(), QString::number(20 + label->Left())) << "shown on the page";
            d.edX->setText(QString::number(30 + angle / 90));
            d.edY->setText("40");
            d.cbAngle->setCurrentIndex(angle / 90);
            return PressOK(d, d.OKBtn);
        });
        label = f.SetupAndCheckUndo(label, [&] {
            EXPECT_EQ(label->TextAngle(), angle);
            EXPECT_EQ(label->Left(), 10 + angle / 90) << "kept relative to the panel";
            EXPECT_EQ(label->Top(), 10);
        });
    }
}

TEST(LayoutSetupDialogs, LabelRefusesWhatIsNotAnIntegerAndKeepsTheDialogOpen) {
    TSetupFixture f;
    auto* label = new TPrintLabel(&f.Doc);
    label->SetLeft(30);
    const QString before = f.Text();
    ScriptOnce<TdlgSetupLabel>(*f.UI, [&](TdlgSetupLabel& d) {
        d.meText->setPlainText("Новый текст");
        const std::function<void()> spoil[] = {[&] { d.edX->setText("1.5"); }, [&] { d.edY->setText("низ"); },
                                               [&] { d.cbAngle->setCurrentText("45.5"); }};
        for (const auto& bad : spoil) {
            d.SetPosition(1, 2);
            d.SetAngle(0);
            bad();
            d.OKBtn->click();
            EXPECT_NE(d.result(), QDialog::Accepted);
            EXPECT_EQ(f.Text(), before) << "nothing is taken while the dialog is open";
        }
        EXPECT_EQ(f.UI->Messages.size(), 3);
        d.SetAngle(0);
        d.CancelBtn->click();
        return DialogResult(d);
    });
    f.Doc.SetupItem(label);
    EXPECT_EQ(f.Text(), before);
    EXPECT_EQ(f.Doc.DoneCount(), 0);
    EXPECT_EQ(LastLabelFont(), nullptr) << "a cancelled dialog chose no font";
}

TEST(LayoutSetupDialogs, LabelOutsideTheDesignerHidesThePosition) {
    TSetupFixture f;
    f.Doc.SetIsDesigner(false);
    auto* label = new TPrintLabel(&f.Doc);
    label->SetLeft(12);
    ScriptOnce<TdlgSetupLabel>(*f.UI, [&](TdlgSetupLabel& d) {
        EXPECT_FALSE(d.gbPosition->isVisibleTo(&d));
        d.meText->setPlainText("Просмотр");
        return PressOK(d, d.OKBtn);
    });
    f.SetupAndCheckUndo(label, [&] {
        EXPECT_EQ(label->Caption(), "Просмотр");
        EXPECT_EQ(label->Left(), 12);
    });
}

TEST(LayoutSetupDialogs, SystemVariableIsChosenByListIndexAndShowsItsValue) {
    TSetupFixture f;
    auto* label = new TPrintSysLabel(&f.Doc);
    label->SetSysVarType(0);
    ScriptOnce<TdlgSetupSysVar>(*f.UI, [&](TdlgSetupSysVar& d) {
        EXPECT_EQ(d.windowTitle(), "Настройка переменной");
        EXPECT_FALSE(d.meText->isVisibleTo(&d));
        EXPECT_EQ(d.cbVariable->count(), 11) << "a well-log document adds scale, interval and step";
        EXPECT_EQ(d.cbVariable->currentText(), "Число страниц");
        d.cbVariable->setCurrentIndex(8);
        EXPECT_EQ(d.cbVariable->currentText(), "Масштаб");
        EXPECT_EQ(d.lbSample->text(), "1:200");
        SaveArtifact(d, "system-variable-dialog");
        return PressOK(d, d.OKBtn);
    });
    f.SetupAndCheckUndo(label, [&] { EXPECT_EQ(label->SysVarType(), 7); });

    // A plain layout offers only the common variables.
    TPrintDocument plain;
    auto* other = new TPrintSysLabel(&plain);
    plain.SetFormName("Отчёт");
    ScriptOnce<TdlgSetupSysVar>(*f.UI, [&](TdlgSetupSysVar& d) {
        EXPECT_EQ(d.cbVariable->count(), 8);
        EXPECT_EQ(d.cbVariable->currentText(), "Номер страницы") << "a new label shows the page number";
        d.cbVariable->setCurrentText("Название формы");
        EXPECT_EQ(d.lbSample->text(), "Отчёт");
        return PressOK(d, d.OKBtn);
    });
    ASSERT_TRUE(other->Setup(nullptr));
    EXPECT_EQ(other->SysVarType(), 5);
}

TEST(LayoutSetupDialogs, DataLabelTakesTheWholeParameterOfTheChosenSystem) {
    TSetupFixture f;
    TLasPlugins las;
    const QString system = LasSystemName();
    ASSERT_FALSE(system.isEmpty()) << f.UI->Messages.join('\n').toStdString();
    auto* other = new TPrintDBLabel(&f.Doc);
    other->SetGroup("Скв. 7");
    auto* label = new TPrintDBLabel(&f.Doc);
    ScriptOnce<TdlgSetupDBLabel>(*f.UI, [&](TdlgSetupDBLabel& d) {
        EXPECT_FALSE(d.meText->isVisibleTo(&d));
        EXPECT_TRUE(d.gbParam->isVisibleTo(&d));
        EXPECT_EQ(d.cbSource->currentIndex(), -1) << "no parameter chosen yet";
        EXPECT_FALSE(d.cbParam->isEnabled());
        EXPECT_EQ(d.cbGroup->findText("Скв. 7"), 0) << "the document's groups";
        d.cbSource->setCurrentText(system);
        EXPECT_TRUE(d.cbParam->isEnabled());
        d.cbParam->setCurrentText("Gamma ray");
        EXPECT_EQ(d.lbSample->text(), "[Gamma ray]") << "without blocks the parameter's name";
        d.cbGroup->setCurrentText("Скв. 7");
        SaveArtifact(d, "data-label-dialog");
        return PressOK(d, d.OKBtn);
    });
    label = f.SetupAndCheckUndo(label, [&] {
        EXPECT_EQ(label->GID(), "a.las|GR") << "the curve named with its file";
        EXPECT_EQ(label->Name(), "Gamma ray");
        EXPECT_EQ(label->Descr().Units, "API") << "the whole description";
        EXPECT_EQ(label->SourceID(), PluginManager().GetSysParamsList("LAS").at(1).SourceID);
        EXPECT_EQ(label->Group(), "Скв. 7");
    });
    // Opened again, the dialog shows the parameter chosen.
    ScriptOnce<TdlgSetupDBLabel>(*f.UI, [&](TdlgSetupDBLabel& d) {
        EXPECT_EQ(d.cbSource->currentText(), system);
        EXPECT_EQ(d.cbParam->currentText(), "Gamma ray");
        return int(mrCancel);
    });
    f.Doc.SetupItem(label);
}

TEST(LayoutSetupDialogs, TableIsBoundToTheChosenTableWithItsColumns) {
    TSetupFixture f;
    TLasPlugins las;
    const QString system = LasSystemName();
    ASSERT_FALSE(system.isEmpty()) << f.UI->Messages.join('\n').toStdString();
    auto* table = new TPrintTable(&f.Doc);
    f.UI->ColorAnswers.push_back(TColor(0x00FFFF));
    ScriptOnce<TdlgSetupTable>(*f.UI, [&](TdlgSetupTable& d) {
        EXPECT_EQ(d.windowTitle(), "Настройка таблицы");
        EXPECT_EQ(d.cbSource->currentText(), "[Нет источника]");
        EXPECT_EQ(d.clbFields->count(), 0);
        d.cbSource->setCurrentText(system + ": a.las");
        QStringList shown;
        for (int i = 0; i < d.clbFields->count(); ++i) {
            shown << d.clbFields->item(i)->text();
            EXPECT_EQ(d.clbFields->item(i)->checkState(), Qt::Checked) << "another table: every column ticked";
        }
        EXPECT_EQ(shown, (QStringList{"MNEM", "UNIT", "VALUE", "DESCR"}));
        EXPECT_FALSE(d.btnUp->isEnabled());
        d.clbFields->item(1)->setCheckState(Qt::Unchecked);
        d.clbFields->setCurrentRow(3);
        d.btnUp->click();
        d.btnUp->click();  // DESCR now second
        d.clbFields->setCurrentRow(2);
        EXPECT_EQ(d.clbFields->currentItem()->text(), "UNIT");
        d.btnDown->click();
        d.clbFields->setCurrentRow(3);
        EXPECT_EQ(d.edCaption->text(), "UNIT");
        d.clbFields->setCurrentRow(2);
        EXPECT_EQ(d.edCaption->text(), "VALUE");
        d.edCaption->setText("Значение");
        d.swFieldColor->Button()->click();
        d.cbFrameWidth->setCurrentIndex(3);
        d.cbVertical->setChecked(false);
        d.cbGroup->setCurrentText("Скв. 7");
        SaveArtifact(d, "table-dialog");
        return PressOK(d, d.OKBtn);
    });
    table = f.SetupAndCheckUndo(table, [&] {
        EXPECT_EQ(table->SystemID(), "LAS");
        EXPECT_EQ(table->TableName(), "a.las");
        EXPECT_EQ(table->BlockName(), "a.las");
        EXPECT_EQ(table->Group(), "Скв. 7");
        EXPECT_EQ(table->ExtPenWidth(), 4);
        EXPECT_FALSE(table->Vertical());
        QStringList columns;
        for (TPrintTableField* c : table->Fields())
            columns << QStringLiteral("%1:%2:%3").arg(c->FieldID(), c->Name()).arg(c->Visible());
        EXPECT_EQ(columns, (QStringList{"MNEM:MNEM:1", "DESCR:DESCR:1", "VALUE:Значение:1", "UNIT:UNIT:0"}));
        EXPECT_EQ(table->Fields().at(2)->Color(), TColor(0x00FFFF));
        EXPECT_EQ(table->Fields().at(0)->Color(), clWhite);
    });
    // The table bound shows its own columns, in their order and visibility.
    ScriptOnce<TdlgSetupTable>(*f.UI, [&](TdlgSetupTable& d) {
        EXPECT_EQ(d.cbSource->currentText(), system + ": a.las");
        EXPECT_EQ(d.clbFields->count(), 4);
        EXPECT_EQ(d.clbFields->item(2)->text(), "Значение");
        EXPECT_EQ(d.clbFields->item(3)->checkState(), Qt::Unchecked);
        EXPECT_EQ(d.cbFrameWidth->currentText(), "4");
        return int(mrCancel);
    });
    f.Doc.SetupItem(table);
}

TEST(LayoutSetupDialogs, TableColumnTheSourceNoLongerOffersIsRefused) {
    TSetupFixture f;
    TLasPlugins las;
    const QString system = LasSystemName();
    ASSERT_FALSE(system.isEmpty());
    auto* table = new TPrintTable(&f.Doc);
    table->SetSystemID("LAS");
    table->SetTableName("a.las");
    table->SetBlockName("a.las");
    table->AddField({"VALUE", "Значение", dtString, 0, clBlack});
    table->AddField({"GONE", "Удалено", dtString, 0, clBlack});
    f.Doc.Changed(dcContents);
    const QString before = f.Text();
    ScriptOnce<TdlgSetupTable>(*f.UI, [&](TdlgSetupTable& d) {
        EXPECT_EQ(d.clbFields->count(), 2);
        d.OKBtn->click();
        EXPECT_NE(d.result(), QDialog::Accepted);
        EXPECT_EQ(f.UI->Messages, QStringList{"Источника для поля таблицы не найдено"});
        d.btnClear->click();
        EXPECT_EQ(d.clbFields->count(), 2) << "clearing only unticks";
        EXPECT_EQ(d.clbFields->item(0)->checkState(), Qt::Unchecked);
        d.OKBtn->click();
        EXPECT_NE(d.result(), QDialog::Accepted) << "an unticked column still needs its source";
        EXPECT_EQ(f.Text(), before);
        d.cbSource->setCurrentIndex(0);
        EXPECT_EQ(d.clbFields->count(), 0);
        return PressOK(d, d.OKBtn);
    });
    f.SetupAndCheckUndo(table, [&] {
        EXPECT_TRUE(table->SystemID().isEmpty());
        EXPECT_TRUE(table->TableName().isEmpty());
        EXPECT_TRUE(table->Fields().isEmpty());
    });
}

TEST(LayoutSetupDialogs, TableWhoseSystemIsNotLoadedKeepsItsBinding) {
    TSetupFixture f;
    auto* table = new TPrintTable(&f.Doc);
    table->SetSystemID("NOSUCH");
    table->SetTableName("old");
    table->SetBlockName("old");
    table->AddField({"A", "Колонка", dtString, 0, clBlack});
    table->AddField({"B", "Глубина", dtDouble, 2, clBlack});
    ScriptOnce<TdlgSetupTable>(*f.UI, [&](TdlgSetupTable& d) {
        EXPECT_EQ(d.cbSource->currentText(), "NOSUCH: old");
        EXPECT_FALSE(d.sePrecision->isVisibleTo(&d)) << "text has no precision";
        d.clbFields->setCurrentRow(1);
        EXPECT_TRUE(d.sePrecision->isVisibleTo(&d));
        EXPECT_EQ(d.sePrecision->value(), 2);
        d.sePrecision->setValue(4);
        d.swHeaderColor->SetColor(TColor(0x808000));
        return PressOK(d, d.OKBtn);
    });
    f.SetupAndCheckUndo(table, [&] {
        EXPECT_EQ(table->SystemID(), "NOSUCH");
        EXPECT_EQ(table->HeaderColor(), TColor(0x808000));
        ASSERT_EQ(table->Fields().size(), 2);
        EXPECT_EQ(table->Fields().at(0)->Name(), "Колонка");
        EXPECT_EQ(table->Fields().at(1)->Precision(), 4);
        EXPECT_EQ(table->Fields().at(1)->DataType(), int(dtDouble));
    });
}

TEST(LayoutSetupDialogs, PictureNeedsAPositiveSizeAndTakesTheFileOpened) {
    TSetupFixture f;
    QTemporaryDir dir;
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    picture.setDotsPerMeterX(2000);  // 20 mm by 10 mm
    picture.setDotsPerMeterY(2000);
    const QString file = dir.filePath("logo.png");
    ASSERT_TRUE(picture.save(file));
    auto* image = new TPrintImage(&f.Doc);
    image->SetLeft(10);
    image->SetTop(12);
    f.UI->OpenFileAnswers.push_back(file);
    f.UI->SaveFileAnswers.push_back(dir.filePath("copy"));
    ScriptOnce<TdlgSetupPicture>(*f.UI, [&](TdlgSetupPicture& d) {
        EXPECT_EQ(d.windowTitle(), "Настройка изображения");
        EXPECT_FALSE(d.OKBtn->isEnabled()) << "no picture yet";
        EXPECT_FALSE(d.btnSave->isEnabled());
        d.btnOpen->click();
        EXPECT_TRUE(d.OKBtn->isEnabled());
        EXPECT_EQ(d.edWidth->text(), "20") << "the file's size proposed";
        EXPECT_EQ(d.edHeight->text(), "10");
        d.btnSave->click();
        const struct {
            const char *Width, *Height;
        } refused[] = {{"0", "10"}, {"20", "0"}, {"-5", "10"}, {"20", "-1"}, {"2.5", "10"}};
        for (const auto& size : refused) {
            d.edWidth->setText(size.Width);
            d.edHeight->setText(size.Height);
            d.OKBtn->click();
            EXPECT_NE(d.result(), QDialog::Accepted) << size.Width << "x" << size.Height;
        }
        EXPECT_EQ(f.UI->Messages.mid(0, 4), QStringList(4, "Ширина и высота должны быть > 0"));
        EXPECT_EQ(f.UI->Messages.size(), 5);
        d.edWidth->setText("30");
        d.edHeight->setText("15");
        d.edLeft->setText("5");
        SaveArtifact(d, "picture-dialog");
        return PressOK(d, d.OKBtn);
    });
    f.SetupAndCheckUndo(image, [&] {
        EXPECT_FALSE(image->Image()->Empty());
        EXPECT_EQ(image->Image()->Graphic().size(), QSize(40, 20));
        EXPECT_EQ(image->Left(), 5);
        EXPECT_EQ(image->Top(), 12);
        EXPECT_EQ(image->Width(), 30);
        EXPECT_EQ(image->Height(), 15);
    });
    // The picture was saved as the file it was loaded from, with its extension.
    QFile original(file), saved(dir.filePath("copy.png"));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), original.readAll());
}

TEST(LayoutSetupDialogs, PanelTakesColoursFrameAndPositionAndALinkedPanelKeepsItsTop) {
    TSetupFixture f;
    new TPrintShape(&f.Doc);  // the item a linked panel stacks below
    auto* panel = new TPrintShape(&f.Doc);
    panel->SetLeft(10);
    panel->SetTop(60);
    f.UI->ColorAnswers = {TColor(0x00FF00), TColor(0xFF0000)};
    ScriptOnce<TdlgSetupShape>(*f.UI, [&](TdlgSetupShape& d) {
        EXPECT_EQ(d.windowTitle(), "Настройка панели");
        EXPECT_EQ(d.edFrameWidth->text(), "2");
        d.edX->setText("x");
        d.OKBtn->click();
        EXPECT_NE(d.result(), QDialog::Accepted);
        d.edX->setText("15");
        d.edFrameWidth->setText("");
        d.OKBtn->click();
        EXPECT_NE(d.result(), QDialog::Accepted) << "the frame width must be an integer";
        d.edFrameWidth->setText("2");
        d.btnWidthUp->click();
        d.btnWidthUp->click();
        d.btnWidthDown->click();
        d.swBrush->Button()->click();
        d.swTop->Button()->click();
        d.edY->setText("80");
        d.cbAutosize->setChecked(true);
        SaveArtifact(d, "panel-dialog");
        return PressOK(d, d.OKBtn);
    });
    panel = f.SetupAndCheckUndo(panel, [&] {
        EXPECT_EQ(f.UI->Messages.size(), 2);
        EXPECT_EQ(panel->Left(), 15);
        EXPECT_EQ(panel->Top(), 80);
        EXPECT_EQ(panel->FrameWidth(), 3);
        EXPECT_EQ(panel->BrushColor(), TColor(0x00FF00));
        EXPECT_EQ(panel->TopColor(), TColor(0xFF0000));
        EXPECT_EQ(panel->BottomColor(), clBtnShadow);
        EXPECT_TRUE(panel->HasState(TPrintItem::psAutosize));
    });
    ScriptOnce<TdlgSetupShape>(*f.UI, [&](TdlgSetupShape& d) {
        d.cbVLink->setChecked(true);
        d.edY->setText("5");
        return PressOK(d, d.OKBtn);
    });
    f.SetupAndCheckUndo(panel, [&] {
        EXPECT_TRUE(panel->HasState(TPrintItem::psVLink));
        EXPECT_EQ(panel->Top(), 50) << "stacked below the first panel, not where the dialog said";
    });
}

// Every control spoiled and the dialog cancelled: neither the item nor the
// undo list changes, and the dialog is the same one the next time.
TEST(LayoutSetupDialogs, CancelChangesNothing) {
    TSetupFixture f;
    TLasPlugins las;
    auto* table = new TPrintTable(&f.Doc);
    table->SetSystemID("LAS");
    table->SetTableName("a.las");
    table->SetBlockName("a.las");
    table->AddField({"VALUE", "Значение", dtString, 0, clBlack});
    const QList<TPrintItem*> items = {new TPrintLabel(&f.Doc), new TPrintSysLabel(&f.Doc), new TPrintDBLabel(&f.Doc),
                                      table, new TPrintImage(&f.Doc), new TPrintShape(&f.Doc)};
    QSet<QObject*> dialogs;
    const auto spoil = [&](QObject* o) {
        dialogs << o;
        for (QLineEdit* e : o->findChildren<QLineEdit*>()) e->setText("7");
        for (QPlainTextEdit* e : o->findChildren<QPlainTextEdit*>()) e->setPlainText("испорчено");
        for (QCheckBox* c : o->findChildren<QCheckBox*>()) c->toggle();
        for (QComboBox* c : o->findChildren<QComboBox*>()) c->setCurrentIndex(c->count() - 1);
        for (TColorRect* c : o->findChildren<TColorRect*>()) c->SetColor(clFuchsia);
        for (QListWidget* l : o->findChildren<QListWidget*>())
            for (int i = 0; i < l->count(); ++i) l->item(i)->setCheckState(Qt::Unchecked);
        qobject_cast<QDialog*>(o)->reject();
        return DialogResult(*qobject_cast<QDialog*>(o));
    };
    for (const char* name : {"TdlgSetupLabel", "TdlgSetupSysVar", "TdlgSetupDBLabel", "TdlgSetupTable",
                             "TdlgSetupPicture", "TdlgSetupShape"})
        f.UI->ScriptDialog(QStringLiteral("Plotmere::") + name, spoil);
    const QString before = f.Text();
    for (int round = 0; round < 2; ++round)
        for (TPrintItem* item : items) {
            SCOPED_TRACE(item->metaObject()->className());
            f.Doc.SetupItem(item);
            EXPECT_EQ(f.Text(), before);
        }
    EXPECT_EQ(f.Doc.DoneCount(), 0);
    EXPECT_EQ(dialogs.size(), 6) << "each dialog made once and kept";
    EXPECT_EQ(f.UI->ShownDialogs.size(), 12);
}
