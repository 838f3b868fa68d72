#pragma once
// The data document of a review form: the blocks the plug-ins deliver for the
// parameters that the form's chart series name.
#include "DLLMan.h"

#include <QPointer>
#include <memory>

#pragma GCC visibility push(default)

class TfmReview;

class TReviewDataDocument : public Plotmere::TDataDocument {
public:
    explicit TReviewDataDocument(TfmReview* form);
    ~TReviewDataDocument() override;
    TReviewDataDocument(const TReviewDataDocument&) = delete;
    TReviewDataDocument& operator=(const TReviewDataDocument&) = delete;

    Plotmere::TDataBlockList& Blocks() override { return *FBlocks; }
    // Frees the current list and takes the given one.
    void SetBlocks(std::unique_ptr<Plotmere::TDataBlockList> blocks);
    Plotmere::TSketchDataClass DataClass() const override { return FDataClass; }
    void SetDataClass(Plotmere::TSketchDataClass value) { FDataClass = value; }
    double Min() const override { return FRange.RequestedStart; }
    double Max() const override { return FRange.RequestedStop; }
    Plotmere::TDataSelection& Range() override { return FRange; }
    // Exactly one group, the empty one.
    void RegisterGroups(QStringList& list) override { list.append(QString()); }
    // The parameters the series of the form's chart ask of the system or source id.
    void RegisterParams(const QString& id, const QString& group, QStringList& list) override;
    void SetLoading(bool loading) override { Loading = loading; }
    bool GetMIDSubst() const override { return MainIDSubst; }
    TfmReview* Form() const { return FForm; }

    bool Loading = false;
    bool MainIDSubst = false;

private:
    std::unique_ptr<Plotmere::TDataBlockList> FBlocks;
    Plotmere::TSketchDataClass FDataClass = 0;
    TfmReview* FForm;
    Plotmere::TDataSelection FRange;
};

#pragma GCC visibility pop
