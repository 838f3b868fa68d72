#pragma once
// The base of every monitoring form: a well (ID and display name) shown in
// the caption and handed to the form's data-bound controls as their stream
// suffix (message 1228), the normal rectangle kept across saving and
// loading, and the messages that tell the main window when the form is
// shown (1046, posted), activated (1046, posted), about to become visible
// (1048, sent) and closing (1047, sent).
#include "Forms.h"

#pragma GCC visibility push(default)

class TBaseMDIForm : public TForm {
    Q_OBJECT
    Q_CLASSINFO("AlwaysStored", "NormalLeft,NormalTop,NormalRight,NormalBottom")
    Q_PROPERTY(int NormalLeft READ NormalLeft WRITE SetNormalLeft)
    Q_PROPERTY(int NormalTop READ NormalTop WRITE SetNormalTop)
    Q_PROPERTY(int NormalRight READ NormalRight WRITE SetNormalRight)
    Q_PROPERTY(int NormalBottom READ NormalBottom WRITE SetNormalBottom)
    Q_PROPERTY(QString WellID READ WellID WRITE SetWellID)
    Q_PROPERTY(QString WellName READ WellName WRITE SetWellName)
    Q_PROPERTY(QString ShortCaption READ ShortCaption WRITE SetShortCaption)
public:
    Q_INVOKABLE explicit TBaseMDIForm(QObject* owner = nullptr);
    ~TBaseMDIForm() override;

    // Reading refreshes the normal rectangle from the window's placement;
    // writing only stores (Loaded applies it).
    int NormalLeft() const { return RefreshedNormalRect().left(); }
    int NormalTop() const { return RefreshedNormalRect().top(); }
    int NormalRight() const { return RefreshedNormalRect().left() + RefreshedNormalRect().width(); }
    int NormalBottom() const { return RefreshedNormalRect().top() + RefreshedNormalRect().height(); }
    void SetNormalLeft(int v) { FNormalLeft = v; }
    void SetNormalTop(int v) { FNormalTop = v; }
    void SetNormalRight(int v) { FNormalRight = v; }
    void SetNormalBottom(int v) { FNormalBottom = v; }

    QString WellID() const { return FWellID; }
    virtual void SetWellID(const QString& v);
    QString WellName() const { return FWellName; }
    virtual void SetWellName(const QString& v);
    // The caption without its well part.
    QString ShortCaption() const;
    void SetShortCaption(const QString& v);

    // Rebuilds the caption: ShortCaption, then " [" + WellName + "]" when
    // there is a well name.
    virtual void UpdateCaption();
    // Sends 1228 with the well ID to every windowed control of the form,
    // children before their parent, and to the form last.
    virtual void BroadcastWell();

    void Loaded() override;

protected:
    void FormShowing() override;
    void FormShow() override;
    void FormActivate() override;
    void FormClose(TCloseAction& action) override;
    TCloseAction DefaultCloseAction() const override { return caFree; }

private:
    QRect RefreshedNormalRect() const;

    QString FWellID;
    QString FWellName;
    // As stored: the rectangle a loaded form is restored to.
    int FNormalLeft = 0, FNormalTop = 0, FNormalRight = 0, FNormalBottom = 0;
};

// The caption text without its well part: everything from the first " ["
// on, when the text also holds "]".
QString StripWellPart(const QString& caption);

#pragma GCC visibility pop
