#pragma once
// Text labels of a layout: plain text, a system variable of the document
// (page number, scale ...), or a value from the document's data blocks.
// Labels size themselves to their text, may be turned by a multiple of 90
// degrees and may repeat at the same place on every page.
#include "DataStructures.h"
#include "PrintDocument.h"
#include "PrintInplaceEditor.h"

#pragma GCC visibility push(default)

namespace Plotmere {

class TdlgSetupLabel;

// The extension point for item classes that plug-ins contribute.
class TPrintCustomComponent : public TPrintItem {
    Q_OBJECT
public:
    using TPrintItem::TPrintItem;
    // The palette picture and hint of the class.
    virtual void GetComponentProperties(QImage& image, QString& hint) const = 0;
};

// What the label and comment dialogs chose last is given to labels and
// comments placed at a point: one explicit setting, reset by the host (and
// tests) at will. Items made otherwise (read from text, probed) always start
// from Arial 12 (labels), Arial 10 and clipped (comments), so that what a
// file holds never depends on the setting.
void SetLastLabelFont(const TFont& font);
void SetLastCommentFont(const TFont& font);
// The comment dialog's "do not clip at the track's edge" choice.
void SetLastCommentNoClip(bool noClip);
// The last chosen fonts (null when none) and the clip choice.
const TFont* LastLabelFont();
const TFont* LastCommentFont();
bool LastCommentNoClip();
void ResetAnnotationDefaults();

class TPrintLabel : public TPrintDBItem {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
    Q_PROPERTY(bool EnableSetup READ EnableSetup WRITE SetEnableSetup)
    Q_PROPERTY(bool EveryPage READ EveryPage WRITE SetEveryPage)
    Q_PROPERTY(int TextAngle READ TextAngle WRITE SetTextAngle)
public:
    static constexpr unsigned DesignerFrameColor = 0x200000;

    Q_INVOKABLE explicit TPrintLabel(QObject* owner = nullptr);
    TPrintLabel(QObject* owner, const TFloatPoint& position);
    ~TPrintLabel() override;

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value) { FCaption = value; }
    TFont* Font() const { return FFont; }
    void SetFont(TFont* value) { FFont->Assign(value); }
    bool EnableSetup() const { return FEnSetup; }
    void SetEnableSetup(bool value) { FEnSetup = value; }
    bool EveryPage() const { return FEveryPage; }
    void SetEveryPage(bool value) { FEveryPage = value; }
    int TextAngle() const { return FTextAngle; }
    void SetTextAngle(int value) { FTextAngle = value; }
    unsigned FrameColor() const { return FFrameColor; }

    // Sizes the label to its text at the screen's resolution.
    void AutoSize();
    // The rectangle drawn on the device's page: FBounds, or for EveryPage
    // labels the same offset on the current page.
    QRect PageRect(const TRenderDevice& device) const;

    TPrintInplaceTextEditor* Editor() const { return FEditor; }

    // The label dialog is filled from the label before it shows, and on OK
    // the label takes the values back; derived labels add their own choices.
    virtual void AfterSetup(TRenderDevice* device, TdlgSetupLabel& dialog);
    virtual void BeforeSetup(TRenderDevice* device, TdlgSetupLabel& dialog);

    void BeginInplaceEdit(TPrintView* view) override;
    void BuildTree(TTreeView& tree, QTreeWidgetItem* node) override;
    void CreateFromClipboard() override;
    void EndInplaceEdit() override;
    void OnDetachView(TPrintView* view) override;
    void Prepare(TRenderDevice& device) override;
    QString PrintClassName() const override { return QStringLiteral("Текст"); }
    void Render(TRenderDevice& device) override;
    bool Setup(TRenderDevice* device) override;
    int SupportsClipboardFormat(const QList<int>& formats) const override;

protected:
    // The label's own state rules of Prepare, without the base prepare.
    void PrepareLabel();
    // The caption's lines (CR LF, LF or CR end a line).
    QStringList Lines() const;

    QString FCaption;
    TFont* FFont;
    bool FEnSetup = false;
    bool FEveryPage = false;
    int FTextAngle = 0;
    unsigned FFrameColor = DesignerFrameColor;
    QPointer<TPrintInplaceTextEditor> FEditor;
    QPointer<TPrintView> FEditView;
};

class TPrintSysLabel : public TPrintLabel {
    Q_OBJECT
    Q_PROPERTY(int SysVarType READ SysVarType WRITE SetSysVarType)
public:
    Q_INVOKABLE explicit TPrintSysLabel(QObject* owner = nullptr) : TPrintLabel(owner) {}
    int SysVarType() const { return FSysVarType; }
    void SetSysVarType(int value) { FSysVarType = value; }
    void AfterSetup(TRenderDevice* device, TdlgSetupLabel& dialog) override;
    void BeforeSetup(TRenderDevice* device, TdlgSetupLabel& dialog) override;
    void BuildTree(TTreeView& tree, QTreeWidgetItem* node) override;
    void Prepare(TRenderDevice& device) override;
    QString PrintClassName() const override { return QStringLiteral("Информация"); }
    // A page number shows the page being drawn.
    void Render(TRenderDevice& device) override;
    int SupportsClipboardFormat(const QList<int>&) const override { return -1; }

private:
    int FSysVarType = -1;
};

class TPrintDBLabel : public TPrintLabel {
    Q_OBJECT
    Q_PROPERTY(QString GID READ GID WRITE SetGID)
    Q_PROPERTY(QString SourceID READ SourceID WRITE SetSourceID)
    Q_PROPERTY(QString BlockName READ BlockName WRITE SetBlockName)
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(TSeriesFlagSet Flags READ StoredFlags WRITE SetStoredFlags)
public:
    enum TSeriesFlagBit {
        sfLogarithmic = 1 << 0, sfSubTicks = 1 << 1, sfHideHeader = 1 << 2, sfInverted = 1 << 3,
        sfOwnsRender = 1 << 4, sfCanSetup = 1 << 5, sfNeedCache = 1 << 6, sfNeedPageCache = 1 << 7,
        sfHideMinMax = 1 << 8, sfMinMaxWithCaption = 1 << 9,
    };
    Q_DECLARE_FLAGS(TSeriesFlagSet, TSeriesFlagBit)
    Q_FLAG(TSeriesFlagSet)

    static constexpr unsigned DataFrameColor = 1823;  // $00071F

    Q_INVOKABLE explicit TPrintDBLabel(QObject* owner = nullptr) : TPrintLabel(owner) {}
    const TParamDescr& Descr() const { return FDescr; }
    void SetDescr(const TParamDescr& value) { FDescr = value; }
    QString GID() const { return FDescr.ID; }
    void SetGID(const QString& v) { FDescr.ID = v; }
    QString SourceID() const { return FDescr.SourceID; }
    void SetSourceID(const QString& v) { FDescr.SourceID = v; }
    QString BlockName() const { return FDescr.Path; }
    void SetBlockName(const QString& v) { FDescr.Path = v; }
    QString Name() const { return FDescr.Name; }
    void SetName(const QString& v) { FDescr.Name = v; }
    TSeriesFlagSet StoredFlags() const { return TSeriesFlagSet::fromInt(int(FDescr.Flags.Bits())); }
    void SetStoredFlags(TSeriesFlagSet v) { FDescr.Flags = TSeriesFlags::FromBits(uint64_t(v.toInt())); }

    // What a data label of descr and group shows in doc: the value of the
    // document's blocks, or without blocks the parameter's name in brackets;
    // fallback when neither applies.
    static QString ShownValue(const TPrintDocument* doc, const TParamDescr& descr, const QString& group,
                              const QString& fallback);

    void AfterSetup(TRenderDevice* device, TdlgSetupLabel& dialog) override;
    void BeforeSetup(TRenderDevice* device, TdlgSetupLabel& dialog) override;

    void BuildTree(TTreeView& tree, QTreeWidgetItem* node) override;
    void Prepare(TRenderDevice& device) override;
    QString PrintClassName() const override { return QStringLiteral("Строка данных"); }
    void RegisterParams(const QString& source, const QString& group, QStringList& gids) override;
    int SupportsClipboardFormat(const QList<int>&) const override { return -1; }

private:
    TParamDescr FDescr;
};

}  // namespace Plotmere

#pragma GCC visibility pop
