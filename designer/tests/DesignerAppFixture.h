#pragma once
// The form designer program in process: a fresh XDG home with the default
// local configuration, scripted UI services, the main window shown and its
// surface active, and helpers that act as a user on the edit window.
#include "DsgnSurfaceFixture.h"
#include "TestSupport.h"
#include "dm_Service.h"
#include "fm_DesignMain.h"
#include "ScrollBox.h"
#include "fm_Designed.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

class TDesignerAppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    TControl* Surface() const { return Main->fmDesigned->pnlMain; }
    TCustomFormDesignPanel* Panel() const;
    QList<TControl*> Selected() const;
    // The surface's controls as "name: class [left top width height]", in creation order.
    QStringList SurfaceControls() const;
    // The same joined by "; ", as failures print it.
    std::string SurfaceText() const { return SurfaceControls().join(QStringLiteral("; ")).toStdString(); }

    void Click(QPoint pos, Qt::KeyboardModifiers mods = Qt::NoModifier);
    void Drag(QPoint from, QPoint to);
    // A key typed in the edit window (shortcuts of the main window included).
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
    // "Новая форма" answered with the binding rgType index (0 time, 1 depth).
    void NewForm(int binding);
    // "Добавить компонент..." (Ctrl+I) answered with the row of that display
    // name, then the insert drag from from to to.
    void Insert(const QString& displayName, QPoint from, QPoint to);
    // Opens or saves through the file dialogs answered with fileName.
    void Open(const QString& fileName);
    void Save(const QString& fileName);
    QString WriteFile(const QString& name, const QByteArray& text) const;

    std::unique_ptr<TTempXdgHome> Home;
    QTemporaryDir Files;
    std::unique_ptr<TdmService> Service;
    std::shared_ptr<TScriptedUIServices> UI;
    std::shared_ptr<IUIServices> OldUI;
    std::unique_ptr<TfmDesignMain> Main;
};
