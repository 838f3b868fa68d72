// The setup dialogs of the plain controls, each driven through the seam,
// the alignment frame, the page list, the picture preview and the colour
// previews.
#include "VisualTestSupport.h"

#include "EditControls.h"
#include "StateTree.h"
#include "Swatchbox.h"
#include "dlg_SelectLocation.h"
#include "dlg_SelectParam.h"
#include "dlg_SetupChart.h"
#include "dlg_SetupGBox.h"
#include "dlg_SetupGrid.h"
#include "dlg_SetupImage.h"
#include "dlg_SetupLabel.h"
#include "dlg_SetupNetTree.h"
#include "dlg_SetupPages.h"
#include "dlg_SetupSensLabel.h"
#include "dlg_SetupSensorsGridFormulaItem.h"
#include "fr_Align.h"
#include "fr_SetupFormula.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

namespace {
using SetupDialogs = VisualTest;

// One dialog of the table: made, edited by the script as a user would, and
// its values read back after the dialog returned.
struct TDialogCase {
    const char* Class;
    const char* Caption;
    std::function<QDialog*()> Make;
    std::function<void(QDialog&)> Edit;
    std::function<QString(QDialog&)> Values;
    const char* Edited;
};

// What the user looks at, kept when the run asks for it.
void SaveArtifact(QWidget& w, const QString& name) {
    const QString dir = qEnvironmentVariable("WK_TEST_ARTIFACTS");
    if (dir.isEmpty()) return;
    QDir().mkpath(dir);
    w.adjustSize();
    w.grab().save(dir + "/" + name + ".png");
}

template <class T>
T& As(QDialog& d) {
    return *qobject_cast<T*>(&d);
}

TEST_F(SetupDialogs, DialogsOffscreen) {
    const auto panelEdit = [](TdlgSetupPanel& d) {
        d.frAlign->rgAlign->Button(3)->click();
        d.cbBorder->setChecked(true);
        d.rgInner->Button(2)->click();
        d.rgOuter->Button(1)->click();
    };
    const auto panelValues = [](TdlgSetupPanel& d) {
        return QStringLiteral("%1 %2 %3 %4")
            .arg(d.frAlign->GetCtlAlign())
            .arg(d.cbBorder->isChecked())
            .arg(d.rgInner->ItemIndex())
            .arg(d.rgOuter->ItemIndex());
    };
    const TDialogCase cases[] = {
        {"TdlgSetupLabel", "Настройка текста", [] { return new TdlgSetupLabel; },
         [](QDialog& d) { As<TdlgSetupLabel>(d).leText->SetText("Давление"); },
         [](QDialog& d) { return As<TdlgSetupLabel>(d).leText->Text(); }, "Давление"},
        {"TdlgSetupPanel", "Настройка панели", [] { return new TdlgSetupPanel; },
         [=](QDialog& d) { panelEdit(As<TdlgSetupPanel>(d)); },
         [=](QDialog& d) { return panelValues(As<TdlgSetupPanel>(d)); }, "1 1 2 1"},
        {"TdlgSetupSplitter", "Настройка разделителя", [] { return new TdlgSetupSplitter; },
         [](QDialog& d) {
             As<TdlgSetupSplitter>(d).frAlign->SetCtlAlign(TControl::alLeft);
             As<TdlgSetupSplitter>(d).cbBeveled->setChecked(true);
         },
         [](QDialog& d) {
             return QStringLiteral("%1 %2")
                 .arg(As<TdlgSetupSplitter>(d).frAlign->GetCtlAlign())
                 .arg(As<TdlgSetupSplitter>(d).cbBeveled->isChecked());
         },
         "3 1"},
        {"TdlgSetupNetTree", "Настройка сети датчиков", [] { return new TdlgSetupNetTree; },
         [](QDialog& d) { As<TdlgSetupNetTree>(d).frAlign->SetCtlAlign(TControl::alClient); },
         [](QDialog& d) { return QString::number(As<TdlgSetupNetTree>(d).frAlign->GetCtlAlign()); }, "5"},
        {"TdlgSetupGroupBox", "Настройка группы", [] { return new TdlgSetupGroupBox; },
         [](QDialog& d) {
             As<TdlgSetupGroupBox>(d).leText->Edit()->setText("Насосы");
             As<TdlgSetupGroupBox>(d).frAlign->SetCtlAlign(TControl::alBottom);
         },
         [](QDialog& d) {
             return As<TdlgSetupGroupBox>(d).leText->Text() + " " +
                    QString::number(As<TdlgSetupGroupBox>(d).frAlign->GetCtlAlign());
         },
         "Насосы 2"},
        {"TdlgSetupPages", "Настройка закладок", [] { return new TdlgSetupPages; },
         [](QDialog& d) { As<TdlgSetupPages>(d).rgTabPos->Button(2)->click(); },
         [](QDialog& d) { return QString::number(As<TdlgSetupPages>(d).rgTabPos->ItemIndex()); }, "2"},
        {"TdlgSetupImage", "Настройка изображения", [] { return new TdlgSetupImage; },
         [](QDialog& d) { As<TdlgSetupImage>(d).frAlign->SetCtlAlign(TControl::alRight); },
         [](QDialog& d) { return QString::number(As<TdlgSetupImage>(d).frAlign->GetCtlAlign()); }, "4"},
        {"TdlgSetupGrid", "Настройка таблицы", [] { return new TdlgSetupGrid; },
         [=](QDialog& d) {
             auto& g = As<TdlgSetupGrid>(d);
             panelEdit(g);
             g.cbTime->setChecked(true);
             g.lvCheckboxes->SetChecked(sgoColorHeaders, true);
         },
         [=](QDialog& d) {
             auto& g = As<TdlgSetupGrid>(d);
             return panelValues(g) + QStringLiteral(" %1 %2 %3")
                                         .arg(g.cbTime->isChecked())
                                         .arg(g.lvCheckboxes->Checked(sgoColorHeaders))
                                         .arg(g.lvCheckboxes->item(sgoThemes)->text());
         },
         "1 1 2 1 1 1 Иcпользовать темы Windows"},
        {"TdlgSetupChart", "Настройка графиков", [] { return new TdlgSetupChart; },
         [](QDialog& d) { As<TdlgSetupChart>(d).cbVert->setChecked(true); },
         [](QDialog& d) {
             return QStringLiteral("%1 %2").arg(As<TdlgSetupChart>(d).cbVert->isChecked()).arg(As<TdlgSetupChart>(d).cbTime->isChecked());
         },
         "1 0"},
        {"TdlgSetupSensLabel", "Настройка вида параметра", [] { return new TdlgSetupSensLabel; },
         [](QDialog& d) {
             As<TdlgSetupSensLabel>(d).rgTextAlign->Button(2)->click();
             As<TdlgSetupSensLabel>(d).cbShowName->setChecked(true);
             As<TdlgSetupSensLabel>(d).cbColor->SetColor(clTeal);
         },
         [](QDialog& d) {
             auto& s = As<TdlgSetupSensLabel>(d);
             return QStringLiteral("%1 %2 %3").arg(s.rgTextAlign->ItemIndex()).arg(s.cbShowName->isChecked()).arg(int(s.cbColor->Color()));
         },
         "2 1 8421376"},
        {"TdlgSetupSensorsGridItem", "Настройка элемента таблицы", [] { return new TdlgSetupSensorsGridItem; },
         [](QDialog& d) {
             As<TdlgSetupSensorsGridItem>(d).leCaption->SetText("Вес");
             As<TdlgSetupSensorsGridItem>(d).cbScaleColor->SetColor(clNavy);
         },
         [](QDialog& d) {
             auto& s = As<TdlgSetupSensorsGridItem>(d);
             return s.leCaption->Text() + " " + QString::number(int(s.cbScaleColor->Color()));
         },
         "Вес 8388608"},
        {"TdlgSetupSensorsGridFormulaItem", "Настройка элемента таблицы",
         [] { return new TdlgSetupSensorsGridFormulaItem; },
         [](QDialog& d) { As<TdlgSetupSensorsGridFormulaItem>(d).frSetupFormula->SetFormula("S101/2"); },
         [](QDialog& d) { return As<TdlgSetupSensorsGridFormulaItem>(d).frSetupFormula->Formula(); }, "S101/2"},
        {"TdlgSelectLocation", "Установка положения датчиков", [] { return new TdlgSelectLocation; },
         [](QDialog& d) { As<TdlgSelectLocation>(d).SetLocationName("Насосный блок"); },
         [](QDialog& d) { return As<TdlgSelectLocation>(d).LocationName(); }, "Насосный блок"},
    };
    for (const TDialogCase& c : cases) {
        SCOPED_TRACE(c.Class);
        for (const bool ok : {true, false}) {
            UI->ShownDialogs.clear();
            std::unique_ptr<QDialog> dlg(c.Make());
            const QString untouched = c.Values(*dlg);
            UI->ScriptDialogOnce(c.Class, [&](QObject* d) {
                auto& dialog = *qobject_cast<QDialog*>(d);
                c.Edit(dialog);
                const QString button = ok ? QStringLiteral("OK") : QStringLiteral("Отмена");
                for (QPushButton* b : dialog.findChildren<QPushButton*>())
                    if (b->text() == button) {
                        b->click();
                        break;
                    }
                return DialogResult(dialog);
            });
            const int result = ShowModal(*dlg);
            EXPECT_EQ(UI->ShownDialogs, QStringList{QString::fromLatin1(c.Class) + ": " + QString::fromUtf8(c.Caption)});
            if (ok) {
                SaveArtifact(*dlg, c.Class);
                EXPECT_EQ(result, int(mrOk));
                EXPECT_EQ(c.Values(*dlg), QString::fromUtf8(c.Edited));
            } else {
                // The caller applies nothing on cancel: it sees only the result.
                EXPECT_EQ(result, int(mrCancel));
                EXPECT_NE(untouched, QString::fromUtf8(c.Edited));
            }
        }
    }
}

TEST_F(SetupDialogs, AlignFrameBothWays) {
    TfrAlign frame;
    EXPECT_EQ(frame.rgAlign->ItemIndex(), 0);
    EXPECT_EQ(frame.rgAlign->title(), " Выравнивание ");
    const TControl::TAlign byItem[] = {TControl::alNone, TControl::alLeft, TControl::alRight,
                                       TControl::alTop, TControl::alBottom, TControl::alClient};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        frame.SetCtlAlign(byItem[i]);
        EXPECT_EQ(frame.rgAlign->ItemIndex(), i);
        frame.rgAlign->SetItemIndex(i);
        EXPECT_EQ(frame.GetCtlAlign(), byItem[i]);
    }
    frame.SetCtlAlign(TControl::alCustom);
    EXPECT_EQ(frame.rgAlign->ItemIndex(), 0);
    EXPECT_EQ(frame.rgAlign->Button(0)->text(), "Без выравнивания");
    frame.rgAlign->SetItemIndex(-1);
    EXPECT_EQ(frame.GetCtlAlign(), TControl::alNone);
}

TEST_F(SetupDialogs, PageListEditing) {
    QObject first, second;
    TdlgSetupPages dlg;
    const auto captions = [&] {
        QStringList s;
        for (const TPageEntry& e : dlg.Tabs()) s << e.Caption + (e.Page ? "*" : "");
        return s;
    };
    const auto buttons = [&] {
        return QStringLiteral("%1%2%3")
            .arg(dlg.btnDelete->isEnabled())
            .arg(dlg.btnMoveUp->isEnabled())
            .arg(dlg.btnMoveDown->isEnabled());
    };
    dlg.SetTabs({{"Первая", &first}, {"Вторая", &second}});
    dlg.lbTabs->setCurrentRow(-1);
    EXPECT_EQ(buttons(), "000");

    // Nothing selected: appended.
    UI->InputAnswers.push_back("Третья");
    dlg.btnAddClick();
    EXPECT_EQ(captions(), (QStringList{"Первая*", "Вторая*", "Третья"}));
    EXPECT_EQ(UI->Prompts.size(), 1);

    struct TStep {
        const char* What;
        int Select;
        std::function<void()> Act;
        QStringList After;
        const char* Buttons;
    };
    const TStep steps[] = {
        {"add before the first", 0, [&] { UI->InputAnswers.push_back("Новая"); dlg.btnAddClick(); },
         {"Новая", "Первая*", "Вторая*", "Третья"}, "111"},
        {"cancelled input adds nothing", 3, [&] { dlg.btnAddClick(); }, {"Новая", "Первая*", "Вторая*", "Третья"}, "110"},
        {"move up", 3, [&] { dlg.btnMoveUp->click(); }, {"Новая", "Первая*", "Третья", "Вторая*"}, "111"},
        {"move down", 0, [&] { dlg.btnMoveDown->click(); }, {"Первая*", "Новая", "Третья", "Вторая*"}, "111"},
        {"delete", 3, [&] { dlg.btnDelete->click(); }, {"Первая*", "Новая", "Третья"}, "110"},
    };
    for (const TStep& s : steps) {
        SCOPED_TRACE(s.What);
        dlg.lbTabs->setCurrentRow(s.Select);
        s.Act();
        EXPECT_EQ(captions(), s.After);
        EXPECT_EQ(buttons(), QString::fromLatin1(s.Buttons));
    }
    EXPECT_EQ(dlg.Tabs()[0].Page, &first);
}

TEST_F(SetupDialogs, ImagePreviewLoadsOnlyPictures) {
    QTemporaryDir dir;
    QImage red(8, 6, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QString png = dir.filePath("red.png");
    ASSERT_TRUE(red.save(png));
    const QString text = dir.filePath("not.png");
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("no picture here");
    f.close();

    TdlgSetupImage dlg;
    UI->OpenFileAnswers = {png, text, dir.filePath("missing.bmp")};
    dlg.btnOpen->click();
    EXPECT_EQ(dlg.Picture().size(), QSize(8, 6));
    EXPECT_EQ(dlg.PictureData().left(4), QByteArray("\x89PNG"));
    EXPECT_FALSE(dlg.Image->pixmap().isNull());
    for (int i = 0; i < 2; ++i) {
        dlg.btnOpen->click();
        EXPECT_EQ(dlg.Picture().size(), QSize(8, 6));  // unchanged
    }
    EXPECT_EQ(UI->Messages.size(), 2);
    EXPECT_TRUE(UI->Messages[0].contains("not.png"));
    ASSERT_EQ(UI->FileDialogs.size(), 3u);
    EXPECT_TRUE(UI->FileDialogs[0].Picture);
}

TEST_F(SetupDialogs, ColourPreviewsFollowBoxDialogAndParameter) {
    TdlgSetupSensLabel dlg;
    dlg.cbColor->SetColor(clGreen);
    EXPECT_EQ(dlg.shColor->BrushColor(), clGreen);

    // The colour dialog starts from the preview's colour; cancel keeps it.
    dlg.btnColor->click();
    EXPECT_EQ(dlg.cbColor->Color(), clGreen);
    UI->ColorAnswers.push_back(clPurple);
    dlg.btnColor->click();
    EXPECT_EQ(dlg.cbColor->Color(), clPurple);
    EXPECT_EQ(dlg.shColor->BrushColor(), clPurple);
    UI->ColorAnswers.push_back(clOlive);
    QTest::mousePress(dlg.shColor, Qt::LeftButton);  // only a right click opens it here
    EXPECT_EQ(dlg.cbColor->Color(), clPurple);
    QTest::mousePress(dlg.shColor, Qt::RightButton);
    EXPECT_EQ(dlg.cbColor->Color(), clOlive);

    // The picked parameter brings its colour (rotary speed: red).
    TSensSelection asked;
    ScriptOnce<TdlgSelectParam>(*UI, "TdlgSelectParam", [&](TdlgSelectParam& p) {
        asked = p.Selection;
        p.show();
        for (TTreeNode* n : p.tvParams->Nodes())
            if (n->text(0) == "Обороты ротора") {
                p.tvParams->scrollToItem(n);
                const QRect r = p.tvParams->visualItemRect(n);
                QTest::mouseClick(p.tvParams->viewport(), Qt::LeftButton, {}, QPoint(r.right() - 3, r.center().y()));
                break;
            }
        p.OKBtn->click();
        return DialogResult(p);
    });
    dlg.btnParam->click();
    EXPECT_EQ(asked, (TSensSelection{ssDepth, ssTime, ssForemostStream}));
    EXPECT_EQ(dlg.Descr.GID, 1200);
    EXPECT_EQ(dlg.cbColor->Color(), clRed);
    EXPECT_EQ(dlg.shColor->BrushColor(), clRed);
    dlg.btnParam->click();  // cancelled: nothing changes
    EXPECT_EQ(dlg.Descr.GID, 1200);

    TdlgSetupSensorsGridItem item;
    UI->ColorAnswers.push_back(clBlue);
    QTest::mousePress(item.shColor, Qt::LeftButton);
    EXPECT_EQ(item.cbScaleColor->Color(), clBlue);
    EXPECT_EQ(item.shColor->BrushColor(), clBlue);
}

TEST_F(SetupDialogs, FormulaItemOkFollowsTheFormula) {
    TdlgSetupSensorsGridFormulaItem dlg;
    EXPECT_FALSE(dlg.btnOk->isEnabled());
    dlg.frSetupFormula->SetFormula("S101 +");
    EXPECT_FALSE(dlg.btnOk->isEnabled());
    dlg.frSetupFormula->SetFormula("S101 + 1");
    EXPECT_TRUE(dlg.btnOk->isEnabled());
    dlg.frSetupFormula->SetFormula("  ");
    EXPECT_FALSE(dlg.btnOk->isEnabled());
}

TEST_F(SetupDialogs, LocationsComeFromTheLocalTableInOrder) {
    Sql("UPDATE Locations SET NameOrder = 9 WHERE LocationName = 'Ротор'");
    TdlgSelectLocation dlg;
    ASSERT_EQ(dlg.dsLocations->rowCount(), 7);
    EXPECT_EQ(dlg.dsLocations->item(0)->text(), "[Не задано]");
    EXPECT_EQ(dlg.dsLocations->item(6)->text(), "Ротор");
    EXPECT_EQ(dlg.dsLocations->horizontalHeaderItem(0)->text(), "Место установки");
    dlg.SetLocationName("нет такого");
    EXPECT_EQ(dlg.LocationName(), "");
}
}  // namespace
