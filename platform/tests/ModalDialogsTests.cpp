// The UI-services seam for the system's own dialogs, file dialogs and the clipboard.
#include "ModalDialogs.h"
#include "QtUIServices.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>
#include <QTimer>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {
class TdlgProbe : public QDialog {
    Q_OBJECT
public:
    TdlgProbe() {
        setWindowTitle(QStringLiteral("Проба"));
        Edit = new QLineEdit(this);
    }
    void OkClick() {
        // A dialog that checks its input stays open on a bad value.
        if (Edit->text().isEmpty()) return;
        accept();
    }
    QLineEdit* Edit;
};

struct TSeamScope {
    std::shared_ptr<TScriptedUIServices> UI = std::make_shared<TScriptedUIServices>();
    std::shared_ptr<IUIServices> Previous = SetUIServices(UI);
    ~TSeamScope() { SetUIServices(Previous); }
};

TEST(ModalDialogs, ScriptsRunPerClassAndUnscriptedDialogsCancel) {
    TSeamScope seam;
    TdlgProbe unscripted;
    EXPECT_EQ(ShowModal(unscripted), mrCancel);

    seam.UI->ScriptDialog("TdlgProbe", [](QObject* d) {
        auto* dlg = static_cast<TdlgProbe*>(d);
        dlg->Edit->setText("42");
        dlg->OkClick();
        return DialogResult(*dlg);
    });
    seam.UI->ScriptDialogOnce("TdlgProbe", [](QObject* d) {
        auto* dlg = static_cast<TdlgProbe*>(d);
        dlg->OkClick();  // empty: refused, the dialog would stay open
        return DialogResult(*dlg);
    });
    TdlgProbe first;
    EXPECT_EQ(ShowModal(first), mrCancel);
    TdlgProbe second;
    EXPECT_EQ(ShowModal(second), mrOk);
    EXPECT_EQ(second.Edit->text(), "42");
    EXPECT_EQ(seam.UI->ShownDialogs,
              (QStringList{"TdlgProbe: Проба", "TdlgProbe: Проба", "TdlgProbe: Проба"}));
}

TEST(ModalDialogs, FileDialogAnswersAndOptions) {
    TSeamScope seam;
    TFileDialogOptions save;
    save.Title = "Сохранить";
    save.Filter = "Формы (*.sf2)|*.sf2|Все файлы (*.*)|*.*";
    save.DefaultExt = "sf2";
    EXPECT_FALSE(UIServices().SaveFileDialog(save));
    seam.UI->SaveFileAnswers = {"/tmp/a", "/tmp/b.wkf"};
    EXPECT_TRUE(UIServices().SaveFileDialog(save));
    EXPECT_EQ(save.FileName, "/tmp/a.sf2");
    EXPECT_TRUE(UIServices().SaveFileDialog(save));
    EXPECT_EQ(save.FileName, "/tmp/b.wkf");
    ASSERT_EQ(seam.UI->FileDialogs.size(), 3u);
    EXPECT_EQ(seam.UI->FileDialogs[0].Title, "Сохранить");

    const auto pairs = SplitFileFilter(save.Filter);
    ASSERT_EQ(pairs.size(), 2);
    EXPECT_EQ(pairs[1].first, "Все файлы (*.*)");
    EXPECT_EQ(pairs[1].second, "*.*");
    EXPECT_EQ(ApplyDefaultExt("x.tar", ".sf2"), "x.tar");
    EXPECT_EQ(ApplyDefaultExt("", "sf2"), "");
}

// The programs' own file dialogs speak the interface's language: Qt's
// dialog, its title and its buttons in Russian.
TEST(ModalDialogs, QtFileDialogsSpeakRussian) {
    const std::shared_ptr<IUIServices> previous = SetUIServices(std::make_shared<TScriptedUIServices>());
    InstallQtUIServices();
    struct TSeen { QString Title; QStringList Buttons; };
    auto answer = [](TSeen& seen) {
        QTimer::singleShot(0, [&seen] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            seen.Title = dialog->windowTitle();
            for (auto* b : dialog->findChildren<QDialogButtonBox*>())
                for (QAbstractButton* button : b->buttons()) seen.Buttons << button->text().remove(QLatin1Char('&'));
            dialog->reject();
        });
    };
    TSeen open, save;
    TFileDialogOptions o;
    o.Filter = QStringLiteral("Формы (*.wkf)|*.wkf");
    answer(open);
    EXPECT_FALSE(UIServices().OpenFileDialog(o));
    answer(save);
    EXPECT_FALSE(UIServices().SaveFileDialog(o));
    SetUIServices(previous);
    EXPECT_EQ(open.Title, QStringLiteral("Открыть"));
    EXPECT_EQ(save.Title, QStringLiteral("Сохранить как"));
    EXPECT_TRUE(open.Buttons.contains(QStringLiteral("Открыть"))) << open.Buttons.join('|').toStdString();
    EXPECT_TRUE(open.Buttons.contains(QStringLiteral("Отмена"))) << open.Buttons.join('|').toStdString();
    EXPECT_TRUE(save.Buttons.contains(QStringLiteral("Сохранить"))) << save.Buttons.join('|').toStdString();
}

TEST(ModalDialogs, ColourAndFontAnswers) {
    TSeamScope seam;
    TColor c = clRed;
    EXPECT_FALSE(UIServices().ColorDialog(c));
    EXPECT_EQ(c, clRed);
    seam.UI->ColorAnswers.push_back(clBlue);
    EXPECT_TRUE(UIServices().ColorDialog(c));
    EXPECT_EQ(c, clBlue);
    QFont f;
    seam.UI->FontAnswers.push_back({QFont("DejaVu Sans", 14), clGreen});
    EXPECT_TRUE(UIServices().FontDialog(f, c));
    EXPECT_EQ(f.pointSize(), 14);
    EXPECT_EQ(c, clGreen);
}

// The same contract for the memory clipboard and the desktop one.
void CheckClipboard(IClipboard& clip) {
    clip.SetAsText("строка\t1");
    EXPECT_EQ(clip.AsText(), "строка\t1");
    EXPECT_TRUE(clip.HasFormat("text/plain"));
    clip.SetData({{"Designer Format", QByteArray("\x00\x01\x02", 3)}, {"text/plain", "t"}});
    EXPECT_TRUE(clip.HasFormat("Designer Format"));
    EXPECT_TRUE(clip.Formats().contains("Designer Format"));
    EXPECT_EQ(clip.GetData("Designer Format"), QByteArray("\x00\x01\x02", 3));
    EXPECT_EQ(clip.AsText(), "t");
    QImage img(4, 3, QImage::Format_RGB32);
    img.fill(Qt::red);
    clip.SetImage(img);
    EXPECT_FALSE(clip.HasFormat("Designer Format"));
    EXPECT_EQ(clip.GetImage().size(), QSize(4, 3));
    clip.Clear();
    EXPECT_TRUE(clip.AsText().isEmpty());
}

TEST(ModalDialogs, ClipboardsKeepTextPrivateFormatsAndPictures) {
    TMemoryClipboard memory;
    CheckClipboard(memory);
    auto desktop = CreateQtClipboard();
    CheckClipboard(*desktop);
}
}  // namespace

#include "ModalDialogsTests.moc"
