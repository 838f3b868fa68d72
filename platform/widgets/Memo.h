#pragma once
// The multi-line text control of forms: its lines are stored as a string
// list ("Lines.Strings = (...)").
#include "Controls.h"

#include <QStringList>

#pragma GCC visibility push(default)

class QPlainTextEdit;

class TMemo : public TControl {
    Q_OBJECT
    Q_PROPERTY(TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(QStringList Lines READ Lines WRITE SetLines)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(TScrollStyle ScrollBars READ ScrollBars WRITE SetScrollBars)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
public:
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };
    Q_ENUM(TAlignment)
    enum TBorderStyle { bsNone, bsSingle };
    Q_ENUM(TBorderStyle)
    enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
    Q_ENUM(TScrollStyle)

    Q_INVOKABLE explicit TMemo(QObject* owner = nullptr);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    QStringList Lines() const;
    void SetLines(const QStringList& v);
    QString Text() const;
    // 0: no limit; longer text typed or set is cut.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int v);
    bool ReadOnly() const;
    void SetReadOnly(bool v);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);

    QPlainTextEdit* Editor() const { return FEdit; }

protected:
    void resizeEvent(QResizeEvent* e) override;
    void FontChanged() override;
    void ColorChanged() override;

private:
    void ApplyMaxLength();
    QPlainTextEdit* FEdit;
    TAlignment FAlignment = taLeftJustify;
    TBorderStyle FBorderStyle = bsSingle;
    int FMaxLength = 0;
    TScrollStyle FScrollBars = ssNone;
    bool FWordWrap = true;
};

#pragma GCC visibility pop
