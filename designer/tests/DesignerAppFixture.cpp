#include "DesignerAppFixture.h"

#include "ClassRegistry.h"
#include "DsgnSurfacePanel.h"
#include "ModalDialogs.h"
#include "WKFormText.h"
#include "WKLocalDB.h"
#include "WKPlainControls.h"
#include "dlg_SelectComp.h"
#include "dlg_SelectFormType.h"
#include "EditControls.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>

void TDesignerAppTest::SetUp() {
    // The surface tests of this program stand a test label in for TWKLabel;
    // the designer works with the real one.
    RegisterClass({QStringLiteral("TWKLabel"), &TWKLabel::staticMetaObject,
                   [](QObject* owner) -> QObject* { return new TWKLabel(owner); }});
    ForgetHeldMouseButtons();
    Home = std::make_unique<TTempXdgHome>();
    const QString db = Home->DataHome() + QStringLiteral("/Tessaline/WK.db");
    QDir().mkpath(QFileInfo(db).absolutePath());
    BuildLocalDatabase(db, LocalDatabaseScripts(SourceDir() + QStringLiteral("/config/local")));
    Service = std::make_unique<TdmService>(db);
    TdmService::SetCurrent(Service.get());
    InitWKControls();
    UI = std::make_shared<TScriptedUIServices>();
    OldUI = SetUIServices(UI);
    ApplicationHintPauses() = THintPauses{};
    Main = std::make_unique<TfmDesignMain>();
    Main->show();
    ProcessEventsUntil([this] { return Main->fmDesigned->isVisible() && QApplication::activeWindow(); }, 100);
    ASSERT_TRUE(Main->edMain->Active());
}

void TDesignerAppTest::TearDown() {
    Main.reset();
    SetUIServices(OldUI);
    TdmService::SetCurrent(nullptr);
    Service.reset();
    Home.reset();
}

TCustomFormDesignPanel* TDesignerAppTest::Panel() const { return Main->fmDesigned->FormDesignPanel; }

QList<TControl*> TDesignerAppTest::Selected() const { return Main->edMain->SelectedControls().Controls(); }

QStringList TDesignerAppTest::SurfaceControls() const {
    QStringList list;
    for (int i = 0; i < Surface()->ComponentCount(); ++i) {
        auto* c = qobject_cast<TControl*>(Surface()->Components(i)->Self());
        if (!c) continue;
        const QRect b = c->BoundsRect();
        list << QStringLiteral("%1: %2 [%3 %4 %5 %6]")
                    .arg(c->Name(), QString::fromLatin1(c->metaObject()->className()))
                    .arg(b.x()).arg(b.y()).arg(b.width()).arg(b.height());
    }
    return list;
}

void TDesignerAppTest::Click(QPoint pos, Qt::KeyboardModifiers mods) {
    SurfaceMouse(Panel(), Surface(), QEvent::MouseButtonPress, pos, Qt::LeftButton, mods);
    SurfaceMouse(Panel(), Surface(), QEvent::MouseButtonRelease, pos, Qt::LeftButton, mods);
}

void TDesignerAppTest::Drag(QPoint from, QPoint to) { SurfaceDrag(Panel(), Surface(), from, to); }

void TDesignerAppTest::Key(int key, Qt::KeyboardModifiers mods) {
    QTest::keyClick(Panel()->Form(), Qt::Key(key), mods);
}

void TDesignerAppTest::NewForm(int binding) {
    UI->ScriptDialogOnce(QStringLiteral("TdlgSelectFormType"), [binding](QObject* d) {
        auto* dlg = static_cast<TdlgSelectFormType*>(d);
        dlg->rgType->Button(binding)->click();
        dlg->btnOK->click();
        return DialogResult(*dlg);
    });
    Main->actNew->trigger();
}

void TDesignerAppTest::Insert(const QString& displayName, QPoint from, QPoint to) {
    UI->ScriptDialogOnce(QStringLiteral("TdlgSelectComp"), [displayName](QObject* d) {
        auto* dlg = static_cast<TdlgSelectComp*>(d);
        const QList<QListWidgetItem*> found = dlg->lbComponents->findItems(displayName, Qt::MatchExactly);
        if (found.isEmpty()) return int(mrCancel);
        dlg->lbComponents->setCurrentItem(found.first());
        dlg->btnOK->click();
        return DialogResult(*dlg);
    });
    Key(Qt::Key_I, Qt::ControlModifier);
    Drag(from, to);
}

void TDesignerAppTest::Open(const QString& fileName) {
    UI->OpenFileAnswers.push_back(fileName);
    Key(Qt::Key_O, Qt::ControlModifier);
}

void TDesignerAppTest::Save(const QString& fileName) {
    UI->SaveFileAnswers.push_back(fileName);
    Key(Qt::Key_S, Qt::ControlModifier);
}

QString TDesignerAppTest::WriteFile(const QString& name, const QByteArray& text) const {
    const QString path = Files.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) throw Exception(QStringLiteral("cannot write ") + path);
    f.write(text);
    return path;
}
