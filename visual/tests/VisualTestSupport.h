#pragma once
// The setting of the visual tests: a temporary home with a copy of the
// default local configuration, the parameter catalogue (the built Mapex
// module registered there), the scripted UI services, and on demand the
// embedded well database.
#include "ComServer.h"
#include "ConvSys.h"
#include "DataAccess.h"
#include "ModalDialogs.h"
#include "TestSupport.h"
#include "UIServices.h"
#include "WKConsts.h"
#include "WKLocalDB.h"
#include "dm_Service.h"
#include "dm_Wells.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <memory>

class VisualTest : public ::testing::Test {
protected:
    void SetUp() override {
        // With the debug switch, so that tests can read the diagnostic lines.
        InitWKConsts({QStringLiteral("-DEBUG")}, BinDir() + QStringLiteral("/Welvista2"));
        const QString db = Home.DataHome() + QStringLiteral("/Tessaline/WK.db");
        QDir().mkpath(QFileInfo(db).absolutePath());
        BuildLocalDatabase(db, LocalDatabaseScripts(SourceDir() + QStringLiteral("/config/local")));
        Service = std::make_unique<TdmService>(db);
        TdmService::SetCurrent(Service.get());
        ASSERT_EQ(RegisterComServer(BinDir() + QStringLiteral("/Mapex.so")), S_OK);
        InitConvSys();
        PreviousUI = SetUIServices(UI);
    }
    void TearDown() override {
        SetUIServices(PreviousUI);
        Wells.reset();
        FinalizeConvSys();
        TdmService::SetCurrent(nullptr);
    }
    // The embedded well database in the temporary home, as the workstation opens it.
    void OpenWells() { Wells = std::make_unique<TdmWells>(); }
    void Sql(const QString& statement) const { Service->dbService().Exec(statement); }

    TTempXdgHome Home;
    std::unique_ptr<TdmService> Service;
    std::unique_ptr<TdmWells> Wells;
    std::shared_ptr<TScriptedUIServices> UI = std::make_shared<TScriptedUIServices>();
    std::shared_ptr<IUIServices> PreviousUI;
};

// Registers a one-time script for a dialog class that casts it for the callback.
template <class TDialog, class F>
void ScriptOnce(TScriptedUIServices& ui, const char* className, F script) {
    ui.ScriptDialogOnce(QString::fromLatin1(className), [script](QObject* d) {
        auto* dlg = qobject_cast<TDialog*>(d);
        if (!dlg) {
            ADD_FAILURE() << "not the dialog expected";
            return int(mrCancel);
        }
        return script(*dlg);
    });
}
