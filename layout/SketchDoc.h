#pragma once
// The well-log document: a print document bound to one index axis (depth in
// metres or time in days) with the visible index range, the vertical scale
// and the grid step that every track and curve reads, the data blocks that
// the plug-ins deliver, and the bookmarks and jump history of the host's view.
// It collects from its items which data groups and parameters to load.
#include "DLLMan.h"
#include "PrintEngine.h"

#include <array>
#include <vector>

#pragma GCC visibility push(default)

namespace Plotmere {

class TPrintField;
class TSketchView;

enum class TSketchDocStateItem { dsLoading };
using TSketchDocState = TSet<TSketchDocStateItem>;

class TSketchDocument : public TPrintDocument, public TDataDocument {
    Q_OBJECT
    Q_PROPERTY(TCollection* Blocks READ BlockCollection)
    Q_PROPERTY(int DataClass READ DataClass WRITE SetDataClass)
    Q_PROPERTY(QString Language READ Language WRITE SetLanguage)
    Q_PROPERTY(double Min READ Min WRITE SetMin)
    Q_PROPERTY(double Max READ Max WRITE SetMax)
    Q_PROPERTY(bool MainIDSubst READ GetMIDSubst WRITE SetMIDSubst)
    Q_PROPERTY(double Scale READ Scale WRITE SetScale)
    Q_PROPERTY(bool ShowBottomHeader READ ShowBottomHeader WRITE SetShowBottomHeader)
    Q_PROPERTY(double Step READ Step WRITE SetStep)
public:
    Q_INVOKABLE explicit TSketchDocument(QObject* owner = nullptr);
    // Reads the document file (any error raises) and remembers it as FormFile.
    TSketchDocument(QObject* owner, const QString& fileName);
    ~TSketchDocument() override;

    // Published properties.
    TCollection* BlockCollection() const { return FBlocks; }
    TSketchDataClass DataClass() const override { return FDataClass; }
    void SetDataClass(TSketchDataClass value) { FDataClass = value; }
    QString Language() const { return FLanguage; }
    void SetLanguage(const QString& value) { FLanguage = value; }
    double Min() const override { return FMin; }
    void SetMin(double value) { FMin = value; }
    double Max() const override { return FMax; }
    void SetMax(double value) { FMax = value; }
    bool GetMIDSubst() const override;
    // A change outside streaming makes every curve rebuild its caches at the
    // next prepare; the data stay where they came from.
    void SetMIDSubst(bool value);
    double Scale() const { return FScale; }
    void SetScale(double value) { FScale = value; }
    bool ShowBottomHeader() const { return FShowBottomHeader; }
    void SetShowBottomHeader(bool value) { FShowBottomHeader = value; }
    double Step() const { return FStep; }
    void SetStep(double value) { FStep = value; }
    // Blocks are written while the host asks for the data to be saved, and
    // when they came from the document file itself.
    Q_INVOKABLE bool IsBlocksStored() const { return FSaveData || FLoadedFromForm; }

    // The save-data flag: write the blocks and the line curves' marks into
    // the file at the next save (cleared by it and by every data load).
    bool SaveData() const { return FSaveData; }
    void SetSaveData(bool value) { FSaveData = value; }
    // The blocks in use came from the document file, not from the plug-ins.
    bool LoadedFromForm() const { return FLoadedFromForm; }
    TSketchDocState DocState() const { return FDocState; }
    // A save to a file is writing the document.
    bool WritingFile() const { return FWritingFile; }
    // Curves rebuild their block caches at the next prepare.
    bool NeedsDataRebuild() const { return GetLoading() || FRebuildCaches; }

    // The data manager's document.
    TDataBlockList& Blocks() override { return *FBlocks; }
    const TDataBlockList& Blocks() const { return *FBlocks; }
    TDataSelection& Range() override { return FRange; }
    void RegisterGroups(QStringList& list) override { RegisterGroups(list, false); }
    void RegisterGroups(QStringList& groups, bool ignoreEmptyGroup);
    void RegisterParams(const QString& source, const QString& group, QStringList& params) override;
    void SetLoading(bool value) override;
    bool GetLoading() const { return FDocState.Contains(TSketchDocStateItem::dsLoading); }

    // The first string of the string column id of the last block with these
    // source, name and group; empty when there is none.
    QString GetParamValue(const QString& srcID, const QString& blockName, const QString& id,
                          const QString& groupName) const;
    // The index range of the blocks that hold data (0 .. 0 without any).
    void AdjustDataRange();
    // Assigns a copy of the blocks.
    void SetBlocks(const TDataBlockList& value);

    // Overrides.
    void Loaded() override;
    bool AcceptItem(TPrintItem* item) const override;
    void Clear() override;
    bool Setup(TRenderDevice* device) override;
    QString GetSysVar(int index) const override;
    void PrepareDocument() override;
    void PostRender(TRenderDevice& device) override;
    void Save(const QString& fileName) override;
    using TPrintDocument::Save;

    // Jumps and bookmarks of a view; positions are index values measured
    // through the first track of the document.
    TPrintField* FirstField() const;
    double GetCurrentPosition(TSketchView* view) const;
    // Moves the view; returns the position it left (NaN without a track).
    double DoJumpToPosition(TSketchView* view, double value);
    bool AddHistory(double value);
    void JumpToPosition(TSketchView* view, double position);
    void JumpBack(TSketchView* view);
    void JumpForward(TSketchView* view);
    void JumpToMarker(TSketchView* view, int index);
    void SetMarker(TSketchView* view, int index);
    double GetBookmark(int index) const;
    const std::vector<double>& JumpHistory() const { return FJumpHistory; }
    int JumpIndex() const { return FJumpIndex; }

private:
    // Equal positions: within one screen pixel of the view.
    bool SamePosition(TSketchView* view, double a, double b) const;
    // Every data item drops its pointers: the blocks they point into change.
    void DropDataCaches();

    TDataBlockList* FBlocks;  // child of this
    TSketchDataClass FDataClass = 1;
    bool FLoadedFromForm = false;
    QString FLanguage;
    double FMin = 0, FMax = 50;
    double FScale = 0.2;
    bool FShowBottomHeader = false;
    double FStep = 5;
    std::array<double, 10> FBookmarks;
    TSketchDocState FDocState;
    bool FSaveData = false;
    bool FRebuildCaches = false;
    bool FWritingFile = false;
    std::vector<double> FJumpHistory;
    int FJumpIndex = 0;
    TDataSelection FRange;
};

}  // namespace Plotmere

#pragma GCC visibility pop
