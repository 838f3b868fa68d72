#pragma once
// The plain text controls of forms: the label (drawn on its parent, not a
// window) and the group box (a captioned frame around its children).
#include "Controls.h"

#pragma GCC visibility push(default)

class TCustomLabel : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
public:
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };
    Q_ENUM(TAlignment)

    Q_INVOKABLE explicit TCustomLabel(QObject* owner = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);

    // With AutoSize, the size of the caption in the label's font.
    void AdjustBounds();
    void Loaded() override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void FontChanged() override { AdjustBounds(); update(); }

private:
    QString FCaption;
    TAlignment FAlignment = taLeftJustify;
    bool FAutoSize = true;
    bool FTransparent = false;
    bool FWordWrap = false;
};

class TLabel : public TCustomLabel {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TLabel(QObject* owner = nullptr) : TCustomLabel(owner) {}
};

class TGroupBox : public TControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
    Q_INVOKABLE explicit TGroupBox(QObject* owner = nullptr);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);

protected:
    void AdjustClientRect(QRect& rect) const override;
    void paintEvent(QPaintEvent* e) override;

private:
    QString FCaption;
};

#pragma GCC visibility pop
