#pragma once
// Small component classes that carry every kind of stored property, for the
// streaming tests.
#include "ClassRegistry.h"
#include "ComponentStreaming.h"
#include "Components.h"
#include "Graphics.h"

#include <QVariant>

class TProbeSubItem : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(QString Text READ Text WRITE SetText)
public:
    Q_INVOKABLE explicit TProbeSubItem(TCollection* c = nullptr) : TCollectionItem(c) {}
    QString Text() const { return FText; }
    void SetText(const QString& v) { FText = v; }

private:
    QString FText;
};

class TProbeItem : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(int GID READ GID WRITE SetGID)
    Q_PROPERTY(double A READ A WRITE SetA)
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(TCollection* Parts READ Parts)
public:
    Q_INVOKABLE explicit TProbeItem(TCollection* c = nullptr)
        : TCollectionItem(c), FParts(new TCollection(&TProbeSubItem::staticMetaObject, this)) {}
    int GID() const { return FGID; }
    void SetGID(int v) { FGID = v; }
    double A() const { return FA; }
    void SetA(double v) { FA = v; }
    QString Name() const { return FName; }
    void SetName(const QString& v) { FName = v; }
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { FColor = v; }
    TCollection* Parts() const { return FParts; }

private:
    int FGID = 0;
    double FA = 1;
    QString FName;
    TColor FColor = clBlack;
    TCollection* FParts;
};

class TProbe : public TComponent {
    Q_OBJECT
    Q_PROPERTY(int Count READ Count WRITE SetCount)
    Q_PROPERTY(qint64 Big READ Big WRITE SetBig)
    Q_PROPERTY(double Value READ Value WRITE SetValue)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(TKind Kind READ Kind WRITE SetKind)
    Q_PROPERTY(TOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
    Q_PROPERTY(TPen* Pen READ Pen)
    Q_PROPERTY(QStringList Lines READ Lines WRITE SetLines)
    Q_PROPERTY(QByteArray Picture READ Picture WRITE SetPicture)
    Q_PROPERTY(TCollection* Items READ Items)
    Q_PROPERTY(TComponent* Link READ Link WRITE SetLink)
    Q_PROPERTY(QVariant ID READ ID WRITE SetID)
    Q_PROPERTY(TMethod OnChange READ OnChange WRITE SetOnChange)
    Q_PROPERTY(int Hidden READ Hidden WRITE SetHidden STORED false)
public:
    enum TKind { pkNone, pkFirst, pkSecond };
    Q_ENUM(TKind)
    enum TOption { poOne = 1, poTwo = 2, poThree = 4 };
    Q_DECLARE_FLAGS(TOptions, TOption)
    Q_FLAG(TOptions)

    Q_INVOKABLE explicit TProbe(QObject* owner = nullptr)
        : TComponent(owner), FFont(new TFont(this)), FPen(new TPen(this)),
          FItems(new TCollection(&TProbeItem::staticMetaObject, this)) {}
    ~TProbe() override { ++Destroyed; }

    int Count() const { return FCount; }
    void SetCount(int v) { FCount = v; }
    qint64 Big() const { return FBig; }
    void SetBig(qint64 v) { FBig = v; }
    double Value() const { return FValue; }
    void SetValue(double v) { FValue = v; }
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v) { FCaption = v; }
    bool Active() const { return FActive; }
    void SetActive(bool v) { FActive = v; }
    TKind Kind() const { return FKind; }
    void SetKind(TKind v) { FKind = v; }
    TOptions Options() const { return FOptions; }
    void SetOptions(TOptions v) { FOptions = v; }
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { FColor = v; }
    TFont* Font() const { return FFont; }
    void SetFont(TFont* v) { FFont->Assign(v); }
    TPen* Pen() const { return FPen; }
    QStringList Lines() const { return FLines; }
    void SetLines(const QStringList& v) { FLines = v; }
    QByteArray Picture() const { return FPicture; }
    void SetPicture(const QByteArray& v) { FPicture = v; }
    TCollection* Items() const { return FItems; }
    TComponent* Link() const { return FLink; }
    void SetLink(TComponent* v) {
        if (FLink) RemoveFreeNotification(FLink);
        FLink = v;
        if (v) FreeNotification(v);
    }
    QVariant ID() const { return FID; }
    void SetID(const QVariant& v) { FID = v; }
    TMethod OnChange() const { return FOnChange; }
    void SetOnChange(const TMethod& v) { FOnChange = v; }
    int Hidden() const { return FHidden; }
    void SetHidden(int v) { FHidden = v; }

    // A defined property: raw bytes stored apart from the published ones.
    QByteArray Extra;
    int LoadedCalls = 0;
    bool LinkSetWhenLoaded = false;
    static inline int Destroyed = 0;

    void DefineProperties(TFiler& filer) override {
        TComponent::DefineProperties(filer);
        filer.DefineBinaryProperty(
            "ExtraData", [this](const QByteArray& b) { Extra = b; }, [this] { return Extra; }, !Extra.isEmpty());
    }
    void Loaded() override {
        ++LoadedCalls;
        LinkSetWhenLoaded = FLink != nullptr;
    }
    void Notification(TComponentBase* c, TOperation op) override {
        if (op == TOperation::opRemove && FLink && c == AsComponent(FLink)) FLink = nullptr;
    }

private:
    int FCount = 0;
    qint64 FBig = 0;
    double FValue = 0;
    QString FCaption;
    bool FActive = false;
    TKind FKind = pkNone;
    TOptions FOptions;
    TColor FColor = clWindow;
    TFont* FFont;
    TPen* FPen;
    QStringList FLines;
    QByteArray FPicture;
    TCollection* FItems;
    TComponent* FLink = nullptr;
    QVariant FID;
    TMethod FOnChange;
    int FHidden = 0;
};

// A root with event handlers; children are written inside it.
class TProbeRoot : public TProbe {
    Q_OBJECT
    Q_CLASSINFO("AlwaysStored", "Count")
public:
    Q_INVOKABLE explicit TProbeRoot(QObject* owner = nullptr) : TProbe(owner) {}
    Q_INVOKABLE void ProbeChanged(QObject* sender) { LastSender = sender; }
    QObject* LastSender = nullptr;
};

// Registers the probe classes for one test and removes them afterwards.
struct TProbeClasses {
    TProbeClasses() {
        RegisterClass({"TProbe", &TProbe::staticMetaObject, [](QObject* o) -> QObject* { return new TProbe(o); }});
        RegisterClass({"TProbeRoot", &TProbeRoot::staticMetaObject, [](QObject* o) -> QObject* { return new TProbeRoot(o); }});
    }
    ~TProbeClasses() {
        UnregisterClass("TProbe");
        UnregisterClass("TProbeRoot");
        SetClassResolver(nullptr);
    }
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TProbe::TOptions)
