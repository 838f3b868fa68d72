#pragma once
// A document for the plug-in manager tests: groups and parameter IDs as the
// test sets them, the loading state recorded.
#include "DLLMan.h"

#include <QMap>

class TTestDocument : public Plotmere::TDataDocument {
public:
    Plotmere::TDataBlockList& Blocks() override { return FBlocks; }
    Plotmere::TSketchDataClass DataClass() const override { return Class; }
    double Min() const override { return MinValue; }
    double Max() const override { return MaxValue; }
    Plotmere::TDataSelection& Range() override { return FRange; }
    void RegisterGroups(QStringList& list) override { list += Groups; }
    void RegisterParams(const QString& id, const QString& group, QStringList& list) override {
        Q_UNUSED(group);
        list += Params.value(id);
    }
    void SetLoading(bool loading) override {
        Loading = loading;
        LoadingChanges << loading;
    }
    bool GetMIDSubst() const override { return MainIDSubst; }

    Plotmere::TSketchDataClass Class = 1;
    double MinValue = 0, MaxValue = 100;
    QStringList Groups{QString()};
    QMap<QString, QStringList> Params;
    bool MainIDSubst = false;
    bool Loading = false;
    QList<bool> LoadingChanges;

private:
    Plotmere::TDataBlockList FBlocks;
    Plotmere::TDataSelection FRange;
};
