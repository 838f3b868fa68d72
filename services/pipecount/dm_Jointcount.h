#pragma once
// The data module of pipe counting: the element list of the current run (the
// run's casing, then its bottom-hole assembly and pipes, from the bottom of
// the string up), the well-database statements that read it, and the element
// pictures. The tubing statistics read the list through dmJointcount().
#include "DataAccess.h"
#include "TreeView.h"
#include "WKDataStructures.h"

#include <QObject>
#include <QString>
#include <limits>
#include <vector>

#pragma GCC visibility push(default)

// One element of the string.
struct TTubingItem {
    int ItemNo = 0;
    int SubItemNo = 0;  // 0: not part of a multi-part element
    bool IsPipe = false;
    bool IsCasing = false;
    int PipeNo = 0;     // the element's own numbers for a pipe, the last pipe's below it otherwise
    int PipeSubNo = 0;
    QString Prefix;     // "КНБК: " assembly, "ОК: " casing, empty for pipes
    QString Name;
    double ItemLength = 0;  // m
    double ItemVolume = 0;  // steel volume, m3
    double Depth = 0;       // this and every lower element: the bit depth with this one's top at the table
    double Weight = 0;
    double SumWeight = 0;   // this and every lower element
};
using TTubingArray = std::vector<TTubingItem>;

// Steel volume in m3 of a tube of the given diameters (mm) and length (m).
double TubingItemVolume(double OutsideDiameter, double InsideDiameter, double Length);

// Appends elements in order from the bottom up. Each append numbers the
// element before it: when both carry the same ItemNo, the earlier one takes
// the number before it (parts of one element read 4, 4.1, 4.2, 5); otherwise
// its SubItemNo is cleared. Pipes pass their numbers on to the elements above
// them that are not pipes. Finish numbers the last element.
class TTubingListBuilder {
public:
    explicit TTubingListBuilder(TTubingArray& List) : FList(List) {}
    // Item with its numbers, kind, prefix, name, length and weight; Depth,
    // SumWeight and the volume (from the diameters) are computed here.
    void Append(TTubingItem Item, double OutsideDiameter, double InsideDiameter);
    void Finish();

private:
    void Number(TTubingItem& Previous, int NextItemNo);
    TTubingArray& FList;
    int FLastPipeNo = 0;
    int FLastPipeSubNo = 0;
};

// The element-number channel (GID 120): a value n shows element n.
class TPipeDataArray : public TSensorDataArray {
public:
    static const TSensorDataArrayClass Class;
    const TSensorDataArrayClass& ClassType() const override { return Class; }
    using TSensorDataArray::TSensorDataArray;
    using TSensorDataArray::AsString;
    // Empty for NaN; the element's prefix, number[.sub-number], a blank and its
    // model when the rounded value names an element; otherwise "0".
    QString AsString(int i, double A, double B, int Precision, const QString& Units, double& Value) override;
};

// The text of element n (1-based) of List as the element channel shows it.
QString TubingItemText(const TTubingArray& List, double Value);

class TdmJointcount : public QObject {
    Q_OBJECT
public:
    explicit TdmJointcount(QObject* Owner = nullptr);
    ~TdmJointcount() override;

    // The statements on the well database (parameters in the order they occur).
    static const QString iqTubing;
    static const QString iqCasing;
    static const QString iqKellyLength;

    // Reads the casing and assembly of a run into a new list; raises when a
    // statement fails. Null catalogue values read as 0.
    static TTubingArray ReadTally(const TDataConnection& Database, int Well, int Run, double& CasingLength);
    // KELLYLENGTH of the run; -1 without a row or with a null value (raises on failure).
    static double ReadKellyLength(const TDataConnection& Database, int Well, int Run);

    TTubingArray FTubing;  // element n is FTubing[n - 1]
    // Element pictures: 0 pipe, 1 assembly element, 2 no element, 3 casing (16 and 32 pixels).
    TPictureList ilPipes;
    TPictureList ilPipesLarge;
};

// The module of the running program (null until the first pipe-counting service makes it).
TdmJointcount* dmJointcount();
// The module, made on first use with the application as owner.
TdmJointcount& CreateJointcountModule();

#pragma GCC visibility pop
