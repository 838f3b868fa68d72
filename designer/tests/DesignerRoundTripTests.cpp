// The whole road of a user form: a composite form the workstation saved is
// opened in the designer, edited with the mouse and the keyboard, saved as a
// user form file and opened as the workstation opens composite forms. This program links neither gauge package: both come in by
// class name through the class modules of the local configuration.
#include "ComponentStreaming.h"
#include "DesignerAppFixture.h"
#include "FormFiles.h"
#include "PackageLoader.h"
#include "ScrollBox.h"
#include "WKFormText.h"
#include "WKPlainControls.h"
#include "FormsHost.h"
#include "fm_BaseMDIForm.h"
#include "fm_WKComplexForm.h"

#include <QDir>
#include <QFile>
#include <map>
#include <memory>

namespace {

using DesignerRoundTrip = TDesignerAppTest;

// The stored form of each control owned by root, by name.
std::map<QString, TStreamObject> StoredControls(TComponentBase* root) {
    std::map<QString, TStreamObject> stored;
    for (int i = 0; i < root->ComponentCount(); ++i) {
        TComponentBase* c = root->Components(i);
        stored[c->Name()] = WriteComponentTree(c, root);
    }
    return stored;
}

QString ClassOf(const TStreamObject& o) { return o.ClassName; }

TEST_F(DesignerRoundTrip, DesignedFormOpensInTheWorkstationWithTheSameControls) {
    // A composite form as the workstation saves it: the controls belong to
    // the form and sit in its scroll box pnlMain.
    const QString sf2 = Files.filePath(QStringLiteral("complex.sf2"));
    {
        TBaseMDIForm form;
        form.SetName(QStringLiteral("fmWKComplexForm1"));
        auto* box = new TScrollBox(&form);
        box->SetName(QStringLiteral("pnlMain"));
        box->SetParentWidget(&form);
        box->SetAlign(TControl::alClient);
        auto* title = new TWKLabel(&form);
        title->SetName(QStringLiteral("lblTitle"));
        title->SetAutoSize(false);
        title->SetCaption(QStringLiteral("Буровая 12"));
        title->SetBounds(8, 8, 120, 17);
        title->SetParentWidget(box);
        SaveFormFile(&form, sf2);
    }
    Open(sf2);
    ASSERT_TRUE(UI->Messages.isEmpty()) << UI->Messages.join(';').toStdString();
    ASSERT_EQ(SurfaceText(), "lblTitle: TWKLabel [8 8 120 17]");

    Insert(QStringLiteral("Надпись"), {8, 40}, {128, 64});
    Insert(QStringLiteral("Надпись"), {8, 72}, {128, 96});
    Insert(QStringLiteral("Стрелочный индикатор"), {160, 8}, {320, 168});
    Insert(QStringLiteral("Линейный индикатор"), {8, 184}, {248, 232});
    // New labels size themselves to their default text.
    const TWKLabel plain;
    const QString labelSize = QStringLiteral("%1 %2").arg(plain.Width()).arg(plain.Height());
    const auto expected = [&](QStringList lines) { return lines.join(QStringLiteral("; ")).arg(labelSize).toStdString(); };
    EXPECT_EQ(SurfaceText(), expected({"lblTitle: TWKLabel [8 8 120 17]", "WKLabel1: TWKLabel [8 40 %1]",
                                       "WKLabel2: TWKLabel [8 72 %1]", "WKSmoothGauge1: TWKSmoothGauge [160 8 160 160]",
                                       "WKGauge1: TWKGauge [8 184 240 48]"}));
    // The dial moves by a pixel a key; the second label goes by the Delete key.
    Click({240, 88});
    for (int key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Down})
        Key(key, Qt::ControlModifier);
    Click({8 + plain.Width() / 2, 72 + plain.Height() / 2});  // inside the second label, whatever its text's size
    Key(Qt::Key_Delete);
    EXPECT_EQ(SurfaceText(), expected({"lblTitle: TWKLabel [8 8 120 17]", "WKLabel1: TWKLabel [8 40 %1]",
                                       "WKSmoothGauge1: TWKSmoothGauge [163 10 160 160]",
                                       "WKGauge1: TWKGauge [8 184 240 48]"}));

    const QString wkf = Files.filePath(QStringLiteral("designed.wkf"));
    Save(wkf);
    ASSERT_TRUE(UI->Messages.isEmpty()) << UI->Messages.join(';').toStdString();
    QFile saved(wkf);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().startsWith("object pnlMain: TScrollBox\r\n"));
    const QString artifacts = qEnvironmentVariable("WK_TEST_ARTIFACTS");
    if (!artifacts.isEmpty()) {
        QDir().mkpath(artifacts);
        QFile::remove(artifacts + QStringLiteral("/designed.wkf"));
        QFile::copy(wkf, artifacts + QStringLiteral("/designed.wkf"));
    }

    // The workstation opens it as its open command does: a composite form
    // whose scroll box holds the controls, the controls owned by the form.
    ASSERT_TRUE(FormKindHooks().CreateComplexForm);
    std::unique_ptr<TBaseMDIForm> opened(FormKindHooks().CreateComplexForm(wkf));
    auto* complex = qobject_cast<TfmWKComplexForm*>(opened.get());
    ASSERT_NE(complex, nullptr);
    TScrollBox* host = complex->ScrollBox();
    ASSERT_NE(host, nullptr);
    const std::map<QString, TStreamObject> designed = StoredControls(Surface());
    for (const auto& [name, tree] : designed) {
        SCOPED_TRACE(name.toStdString());
        TComponentBase* c = complex->FindComponent(name);
        ASSERT_NE(c, nullptr);
        const TStreamObject stored = WriteComponentTree(c, complex);
        EXPECT_EQ(ClassOf(stored), ClassOf(tree));
        EXPECT_TRUE(stored == tree) << WriteComponentText(stored).toStdString() << "\n"
                                    << WriteComponentText(tree).toStdString();
        const auto* control = qobject_cast<TControl*>(c->Self());
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->parentWidget(), host);
    }
    EXPECT_EQ(qobject_cast<TControl*>(complex->FindComponent(QStringLiteral("WKSmoothGauge1"))->Self())->BoundsRect(),
              QRect(163, 10, 160, 160));
    EXPECT_EQ(complex->FindComponent(QStringLiteral("lblTitle"))->Self()->property("Caption").toString(),
              QStringLiteral("Буровая 12"));
    for (const char* module : {"WKExtCtrls.so", "WKComponents.so"})
        EXPECT_TRUE(IsModuleNameLoaded(QString::fromLatin1(module))) << module;
}

}  // namespace
