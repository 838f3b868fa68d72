#pragma once
// What the review tests share: blocks made by hand, LAS files written
// through the LAS table, and a scripted UI with a fresh settings home.
#include "ComServer.h"
#include "ConvSys.h"
#include "DataStructures.h"
#include "Logsheaf10.h"
#include "TestSupport.h"
#include "UIServices.h"
#include "WKLocalDB.h"

#include <QDir>
#include <QFileInfo>

#include <QTemporaryDir>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace ReviewTest {

inline constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// A block of doubles: the main column and one column per parameter; NaN is empty.
inline Plotmere::TDataBlock* AddBlock(Plotmere::TDataBlockList& list, const QString& system, const QString& source,
                                      const std::vector<double>& main,
                                      const std::vector<std::pair<QString, std::vector<double>>>& columns) {
    using namespace Plotmere;
    TDataBlock* b = list.Add();
    b->SetSystemID(system);
    b->SetSourceID(source);
    b->SetMainID(QStringLiteral("__DEPTH__"));
    auto add = [b](const QString& id, const std::vector<double>& values) {
        auto seg = std::make_unique<TDoubleDataSegment>();
        seg->SetID(id);
        seg->AllocBuffer(int(values.size()));
        for (double v : values) seg->AddDouble(v);
        b->AddSegment(std::move(seg));
    };
    add(QStringLiteral("__DEPTH__"), main);
    for (const auto& [id, values] : columns) add(id, values);
    if (!main.empty()) {
        b->SetStart(main.front());
        b->SetStop(main.back());
    }
    return b;
}

inline std::vector<double> Steps(int n, double start, double step) {
    std::vector<double> v;
    for (int i = 0; i < n; ++i) v.push_back(start + i * step);
    return v;
}

// A depth LAS file; -9999 (the table's null) marks empty values.
inline void WriteLas(const QString& path, const QStringList& curves, const std::vector<std::vector<double>>& rows) {
    TLogsheaf t;
    t.SetFileName(path);
    for (const QString& c : curves) t.LASFieldDefs()->Add(c, c == "DEPT" ? "M" : "API", c + " curve");
    t.SetWell("REVIEW-1");
    t.SetCompany("ACME");
    t.CreateTable();
    t.Open();
    for (const auto& row : rows) {
        t.Append();
        for (size_t i = 0; i < row.size(); ++i) t.Fields(int(i))->SetAsFloat(row[i]);
        t.Post();
    }
    t.Close();
}

// A fresh settings home and scripted dialogs for one test.
struct TReviewScope {
    TTempXdgHome Home;
    std::shared_ptr<TScriptedUIServices> UI = std::make_shared<TScriptedUIServices>();
    std::shared_ptr<IUIServices> PreviousUI = SetUIServices(UI);
    bool Catalogue = false;
    ~TReviewScope() {
        if (Catalogue) FinalizeConvSys();
        SetUIServices(PreviousUI);
    }
    // The parameter catalogue over a local database of this home, as the
    // program starts it (the picker reads its profiles).
    void StartCatalogue() {
        const QString db = Home.DataHome() + "/Tessaline/WK.db";
        QDir().mkpath(QFileInfo(db).absolutePath());
        BuildLocalDatabase(db, LocalDatabaseScripts(SourceDir() + "/config/local"));
        if (RegisterComServer(BinDir() + "/Mapex.so") != S_OK) throw Exception("Mapex.so not registered");
        InitConvSys();
        Catalogue = true;
    }
};

}  // namespace ReviewTest
