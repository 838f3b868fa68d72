#pragma once
// Data tables: a table block of the document shown with one column item per
// block column, either with rows running downward (vertical) or with the
// columns turned into rows (horizontal).
#include "DataStructures.h"
#include "PrintDocument.h"

#include <vector>

#pragma GCC visibility push(default)

namespace Plotmere {

class TPrintTableField : public TPrintItem {
    Q_OBJECT
    Q_PROPERTY(QString ID READ FieldID WRITE SetFieldID)
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(int DataType READ DataType WRITE SetDataType)
    Q_PROPERTY(int Precision READ Precision WRITE SetPrecision)
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
public:
    Q_INVOKABLE explicit TPrintTableField(QObject* owner = nullptr) : TPrintItem(owner) {}
    QString FieldID() const { return FFieldID; }
    void SetFieldID(const QString& v) { FFieldID = v; }
    QString Name() const { return FName; }
    void SetName(const QString& v) { FName = v; }
    int DataType() const { return FDataType; }
    void SetDataType(int v) { FDataType = v; }
    int Precision() const { return FPrecision; }
    void SetPrecision(int v) { FPrecision = v; }
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { FColor = v; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { FVisible = v; }
    TDataSegment* Segment() const { return FSegment; }
    void SetSegment(TDataSegment* segment) { FSegment = segment; }
    // The bound column's text of a row; empty without one.
    QString GetDataString(int row) const;
    int RowCount() const { return FSegment ? FSegment->GetCount() : 0; }
    // Columns are laid out and drawn by their table.
    void Prepare(TRenderDevice&) override { FBounds = GetBounds(); }
    void Render(TRenderDevice&) override {}

private:
    QString FFieldID, FName;
    int FDataType = dtString;
    int FPrecision = 0;
    TColor FColor = clWhite;
    bool FVisible = true;
    TDataSegment* FSegment = nullptr;
};

class TPrintTable : public TPrintDBItem {
    Q_OBJECT
    Q_PROPERTY(QString BlockName READ BlockName WRITE SetBlockName)
    Q_PROPERTY(QString SystemID READ SystemID WRITE SetSystemID)
    Q_PROPERTY(QString TableName READ TableName WRITE SetTableName)
    Q_PROPERTY(bool Vertical READ Vertical WRITE SetVertical)
    Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
    Q_PROPERTY(TFont* HeaderFont READ HeaderFont WRITE SetHeaderFont)
    Q_PROPERTY(Colors::TColor HeaderColor READ HeaderColor WRITE SetHeaderColor)
    Q_PROPERTY(Colors::TColor ExtPenColor READ ExtPenColor WRITE SetExtPenColor)
    Q_PROPERTY(int ExtPenWidth READ ExtPenWidth WRITE SetExtPenWidth)
    Q_PROPERTY(Colors::TColor IntPenColor READ IntPenColor WRITE SetIntPenColor)
    Q_PROPERTY(int IntPenWidth READ IntPenWidth WRITE SetIntPenWidth)
public:
    Q_INVOKABLE explicit TPrintTable(QObject* owner = nullptr);

    QString BlockName() const { return FBlockName; }
    void SetBlockName(const QString& v) { FBlockName = v; }
    QString SystemID() const { return FSystemID; }
    void SetSystemID(const QString& v) { FSystemID = v; }
    QString TableName() const { return FTableName; }
    void SetTableName(const QString& v) { FTableName = v; }
    bool Vertical() const { return FVertical; }
    void SetVertical(bool v) { FVertical = v; }
    TFont* Font() const { return FFont; }
    void SetFont(TFont* v) { FFont->Assign(v); }
    TFont* HeaderFont() const { return FHeaderFont; }
    void SetHeaderFont(TFont* v) { FHeaderFont->Assign(v); }
    TColor HeaderColor() const { return FHeaderColor; }
    void SetHeaderColor(TColor v) { FHeaderColor = v; }
    TColor ExtPenColor() const { return FExtPenColor; }
    void SetExtPenColor(TColor v) { FExtPenColor = v; }
    int ExtPenWidth() const { return FExtPenWidth; }
    void SetExtPenWidth(int v) { FExtPenWidth = v; }
    TColor IntPenColor() const { return FIntPenColor; }
    void SetIntPenColor(TColor v) { FIntPenColor = v; }
    int IntPenWidth() const { return FIntPenWidth; }
    void SetIntPenWidth(int v) { FIntPenWidth = v; }

    TDataBlock* Block() const { return FBlock; }
    const std::vector<double>& FieldWidths() const { return FFieldWidths; }
    QList<TPrintTableField*> Fields() const;
    // A new column for a field of the table block.
    TPrintTableField* AddField(const TSketchFieldDescr& descr);
    // Header height h and line height l in millimetres.
    double HeaderHeight() const;
    double LineHeight() const;

    void BuildTree(TTreeView& tree, QTreeWidgetItem* node) override;
    void Prepare(TRenderDevice& device) override;
    void RegisterParams(const QString& source, const QString& group, QStringList& gids) override;
    void Render(TRenderDevice& device) override;
    bool Setup(TRenderDevice* device) override;
    void DropDataReferences() override;

private:
    void RenderVertical(TRenderDevice& device);
    void RenderHorizontal(TRenderDevice& device);

    QString FBlockName, FSystemID, FTableName;
    bool FVertical = true;
    TFont* FFont;
    TFont* FHeaderFont;
    TColor FHeaderColor = clWhite;
    TColor FExtPenColor = clBlack;
    int FExtPenWidth = 2;
    TColor FIntPenColor = clGray;
    int FIntPenWidth = 1;
    TDataBlock* FBlock = nullptr;
    std::vector<double> FFieldWidths;
};

}  // namespace Plotmere

#pragma GCC visibility pop
