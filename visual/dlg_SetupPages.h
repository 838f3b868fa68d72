#pragma once
// The setup of a page control: font, alignment, tab position and the list
// of tabs. Each entry of the list is a caption with its page, or none for a
// tab added here; the control's setup makes pages for those.
#include "CommonDialogs.h"
#include "dlg_SetupBase.h"

#include <QList>
#include <QPointer>

#pragma GCC visibility push(default)

class QGroupBox;
class QListWidget;
class TfrAlign;
class TRadioGroup;

struct TPageEntry {
    QString Caption;
    QPointer<QObject> Page;  // null for a new tab
};

class TdlgSetupPages : public TSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupPages(QWidget* parent = nullptr);

    void SetTabs(const QList<TPageEntry>& tabs);
    QList<TPageEntry> Tabs() const;

    void btnAddClick();
    void btnDeleteClick();
    void btnMoveUpClick();
    void btnMoveDownClick();
    void UpdateButtons();

    QGroupBox* gbProperties;
    QPushButton* f;
    TFontDialog fd;
    TfrAlign* frAlign;
    TRadioGroup* rgTabPos;
    QGroupBox* gbTabs;
    QListWidget* lbTabs;
    QPushButton* btnAdd;
    QPushButton* btnDelete;
    QPushButton* btnMoveUp;
    QPushButton* btnMoveDown;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void Exchange(int a, int b);
};

#pragma GCC visibility pop
